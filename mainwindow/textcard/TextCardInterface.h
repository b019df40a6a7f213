#pragma once
// What other features ask of the text card.
#include <QString>
#include <functional>
#include <string>

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

    // ---- the pin card (beside the text card) ----
    virtual void ShowPinCard(bool shown) = 0;
    // The card (kind 2 as stored) into the pin card's editor, unmodified, under the label;
    // read-only when locked.
    virtual void LoadPinCard(const std::string& card, const QString& label, bool locked) = 0;
    // When the pin card's text was changed: the card to store (empty for blank text), and
    // the editor counts as unchanged again. False when nothing changed.
    virtual bool TakePinCardEdit(std::string& card) = 0;
    // The pin card's close button runs this.
    virtual void SetPinCardClose(std::function<void()> close) = 0;

protected:
    ~ITextCard() = default;
};

}  // namespace kiv
