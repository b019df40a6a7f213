#pragma once
// What other features ask of the text card.
#include <functional>

namespace kiv {

class KivAction;
class TKivStringGrid;

class ITextCard {
public:
    // The topic branch of Copy, Cut, Paste, Delete and Select All (focus in an outline panel,
    // or Delete in an empty caption editor).
    virtual void SetTopicEditCommand(std::function<void(KivAction* command)> command) = 0;
    // The editors follow whether the current topic is locked.
    virtual void UpdateEditorReadOnly(bool locked) = 0;

protected:
    ~ITextCard() = default;
};

}  // namespace kiv
