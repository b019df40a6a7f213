#pragma once
// What the text card offers the other features: its lock and style state, the editors the
// search may look through, the column and caption line the other cards share, and the store
// the close asks about.
#include <QString>
#include <cstdint>
#include <functional>
#include <string>

class QTextEdit;
class QWidget;

namespace kiv {

class KivAction;
class TKivStringGrid;

class ITextCard {
public:
    virtual ~ITextCard() = default;
    // The editors, the caption editor and the style commands follow whether the topic is locked.
    virtual void UpdateEditorReadOnly(bool locked) = 0;
    // The style commands show the topic's caption style.
    virtual void ShowTopicStyle(uint8_t style) = 0;
    // The rows of the active panel were reloaded without a topic change: what the editor
    // holds goes to its own topic, and the panes show the current one (or none).
    virtual void FollowReloadedRows(TKivStringGrid* grid) = 0;
    virtual void ShowNoTopic() = 0;
    // While on, a failed store is only recorded, for UnstoredCard (the close).
    virtual void SetQuietStoreFailures(bool on) = 0;
    // What could not be stored, for a question to the user; empty when nothing is pending.
    virtual QString UnstoredCard() const = 0;
    // The editor of the current topic's text card, and the pin card's.
    virtual QTextEdit* TopicEditor() const = 0;
    virtual QTextEdit* PinEditor() const = 0;
    // The focused control when it is one of the rich-text editors, else none.
    virtual QTextEdit* ActiveTextEditor() const = 0;
    // The column beside the text that other cards put their pane into; shown with it.
    virtual QWidget* SidePane() const = 0;
    // A widget put at the end of the topic's caption line.
    virtual void AddToCaptionLine(QWidget* widget) = 0;
    // The topic branch of Copy, Cut, Paste, Delete and Select All (focus in an outline panel,
    // or Delete in an empty caption editor).
    virtual void SetTopicEditCommand(std::function<void(KivAction* command)> command) = 0;
    // Where the format Insert Time uses (the Set Default... choice) is kept; handed over by
    // the settings as they build.
    virtual void SetDefaultDateTimeStore(std::function<int()> current,
                                         std::function<void(int code)> choose) = 0;

    // ---- the pin card (beside the text card) ----
    virtual void ShowPinCard(bool shown) = 0;
    // The card (kind 2 as stored) into the pin card's editor, unmodified, under the label;
    // read-only when locked, or when asked (the topic is in the text card as well): only
    // a locked one is said to be locked.
    virtual void LoadPinCard(const std::string& card, const QString& label, bool locked,
                             bool readOnly) = 0;
    // When the pin card's text was changed: the card to store (empty for blank text), and
    // the editor counts as unchanged again. False when nothing changed.
    virtual bool TakePinCardEdit(std::string& card) = 0;
    // The pin card's close button runs this.
    virtual void SetPinCardClose(std::function<void()> close) = 0;
};

}  // namespace kiv
