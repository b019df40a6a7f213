#pragma once
// Threads and QuickJumps as other rooms reach them.
namespace kiv {

class TNavigator;

class IMarks {
public:
    // Unless busy: the active panel's current topic appended to the trail.
    virtual void AddCurrentTopicToMarks(TNavigator& trail) = 0;

protected:
    ~IMarks() = default;
};

}  // namespace kiv
