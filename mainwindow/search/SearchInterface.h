#pragma once
// What the search does for the other rooms: a running search stopped, and the find dialog
// put away while the main window hides and brought back with it.
namespace kiv {

class ISearch {
public:
    virtual ~ISearch() = default;

    // A running search stops at its next step.
    virtual void StopSearch() = 0;
    // The main window hides: an open find dialog closes and is marked to come back.
    virtual void PutAwayFindDialog() = 0;
    // The main window shows again: a find dialog put away opens again.
    virtual void BringBackFindDialog() = 0;
};

}  // namespace kiv
