#pragma once
// What the search does for the other rooms: a running search stopped, and the find dialog
// put away while the main window hides and brought back with it.
class QObject;

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
    // The key handling asks whether a key went to the results list.
    virtual bool IsResultsList(const QObject* control) const = 0;
    // The next search result's occurrence in the text card, as the Find Next button
    // (nothing while the button is disabled).
    virtual void ClickFindNext() = 0;
    // The next occurrence in the text card, or the message that there is none.
    virtual void FindNextInTextCardOrTell() = 0;
};

}  // namespace kiv
