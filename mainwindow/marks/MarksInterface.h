#pragma once
// What the marks (threads and quick jumps) do for the other rooms: the current topic
// recorded, and what the open datastructure's marks need when it is opened or its marks
// were dropped.
#include <string_view>

namespace kiv {

class TNavigator;

class IMarks {
public:
    virtual ~IMarks() = default;

    // The trail's topic becomes the current mark's position.
    virtual void AddCurrentTopicToMarks(TNavigator& trail) = 0;

    // At an open: the marks card as read, the threads settled (false: the open stops),
    // the open reported.
    virtual void ReadMarksCard(std::string_view blob) = 0;
    virtual bool SettleThreadsAtOpen() = 0;
    virtual void DatastructureOpened() = 0;
    // Marks that could not be kept, told once the open is done.
    virtual void NoteDroppedMarks(int threads, int quickJumps) = 0;

    // The Threads and QuickJumps strips as the settings keep them: at the start the
    // Threads hidden whatever was saved, the QuickJumps as saved.
    virtual void ShowStripsAtStart(bool quickJumps) = 0;
    virtual bool ThreadsTabsShown() const = 0;
    virtual bool QuickJumpsTabsShown() const = 0;
};

}  // namespace kiv
