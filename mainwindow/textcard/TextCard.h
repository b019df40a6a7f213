#pragma once
// The text card of the current topic in its editor txtSimpleText, with the topic's caption
// over it: loaded from card kind 2 when a topic becomes current, stored back to its own
// topic when it was modified. Commands: acBold, acItalic, acUnderline, btnStrike (their
// checked state follows the current topic).
#include <QObject>
#include <cstdint>

#include "platform/qt/KivAction.h"

class QLabel;
class QTextEdit;
class QToolButton;
class QWidget;

namespace kiv {

class IWindowContext;
class TKivStringGrid;

class TTextCard : public QObject {
    Q_OBJECT
public:
    explicit TTextCard(IWindowContext& ctx);
    // The caption line and the editor into the skeleton's text pane; the style commands.
    void BuildComponents();

    // The caption and the text card of that row (or of no topic) into the panes; nothing
    // while the editor holds text that could not be stored.
    void ShowTopic(TKivStringGrid* grid, int row);
    void LoadTextCardIntoEditor(TKivStringGrid* grid, int row);
    // The editor's text, when modified, back to that row when it is the editor's topic.
    // False when that store failed: the user is told (once until a store succeeds) and the
    // text stays in the editor, modified, with its own topic.
    bool StoreTextCard(TKivStringGrid* grid, int row);
    // The editor's text, when modified, back to its own topic wherever its row moved.
    bool StoreToOwner();
    // The editor holds modified text of a topic that is still there (a store failed).
    bool HoldsUnsavedText() const;
    void ShowNoTopic();
    // Whether the text card editor shows that topic; the panel of the topic it shows.
    bool ShowsTextCardOf(TKivStringGrid* grid, int row) const;
    TKivStringGrid* OwnerGrid() const { return textOwner_.Grid; }
    // The editors and the style commands follow whether the topic is locked.
    void UpdateEditorReadOnly(bool locked);
    // The style commands show the topic's caption style.
    void ShowTopicStyle(uint8_t style);

    QWidget* pnlCurDescr = nullptr;
    QLabel* lblCurDescr = nullptr;
    QTextEdit* txtSimpleText = nullptr;
    QWidget* pnlTextLeft = nullptr;
    QWidget* pnlPinCard = nullptr;
    QTextEdit* txtPinText = nullptr;
    QWidget* pnlTextRight = nullptr;
    KivAction* acBold = nullptr;
    KivAction* acItalic = nullptr;
    KivAction* acUnderline = nullptr;
    QToolButton* btnStrike = nullptr;

private:
    // The row of the topic the editor shows, -1 when it is gone.
    int TextOwnerRow() const;
    // Gives the topic being written a card directory, so it is found again when rows move.
    void AnchorTextOwner();

    IWindowContext& ctx_;
    bool storeFailureShown_ = false;
    // The topic whose text card the editor shows: its text goes back only there.
    struct TextCardOwner {
        TKivStringGrid* Grid = nullptr;
        int Row = -1;
        uint32_t ParentNest = 0;
        uint32_t CardDir = 0;
    } textOwner_;
};

}  // namespace kiv
