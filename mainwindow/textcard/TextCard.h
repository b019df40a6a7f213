#pragma once
// The text card of the current topic in its editor txtSimpleText, with the topic's caption
// over it: loaded from card kind 2 when a topic becomes current, stored back to its own
// topic when it was modified. Around it: the format bar (font name and size, alignment,
// bullets, indents, colour, date and time), the style commands (which restyle the marked
// and current topics when a panel or caption editor has the focus), the default text-card
// font, and the edit commands as they act on edit controls and combo boxes.
//
// TextCard.cpp: load, store, the editors' events and lock state. TextFormat.cpp: the format
// bar and the style, paragraph and colour commands. TextEditCommands.cpp: edit, clipboard
// and undo, date and time, symbols, Save As.
#include <QDateTime>
#include <QList>
#include <QLocale>
#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <QTextCharFormat>
#include <cstdint>
#include <functional>

#include "mainwindow/TopicRef.h"
#include "mainwindow/textcard/TextCardInterface.h"
#include "platform/qt/Colors.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/KivAction.h"
#include "mainwindow/Published.h"
#include "mainwindow/print/PrintInterface.h"
#include "mainwindow/bins/BinsInterface.h"

class QKeyEvent;
class QLabel;
class QMenu;
class QTextEdit;
class QToolBar;
class QToolButton;
class QWidget;

namespace kiv {

class IWindowContext;
struct TWindowEvents;
class TKivStringGrid;
class TFontSizeComboBox;
class TfrmDefaultDateTime;
class TfrmSymbol;
class TWPopOutFntCBox;

// The colour menu's swatches, in menu order.
struct TColorEntry {
    const char* Name;
    TColor Color;
};
extern const TColorEntry kColorTable[16];

// The default text-card font (dfName, dfSize, dfColor, dfStyle) as a character format.
QTextCharFormat DefaultCardFormat();

// The text of date-time style n (2..12) for a moment, month and day names from the locale.
QString FormatDateTimeChoice(int n, const QDateTime& now, const QLocale& locale);

class TTextCard : public QObject, public ITextCard {
    Q_OBJECT
public:
    explicit TTextCard(IWindowContext& ctx);
    // The caption line and the editor into the skeleton's text pane, the format bar into
    // its tool row, the commands into the Edit and Settings menus.
    void BuildComponents();

    // ---- the card in the editor ----
    // The caption and the text card of that row (or of no topic) into the panes; nothing
    // while the editor holds text that could not be stored.
    void ShowTopic(TKivStringGrid* grid, int row);
    // The caption line names the topic whose text card the editor holds, as it is now.
    void ShowCaptionLine();
    // Hands the window's events this feature handles to them.
    void Subscribe(TWindowEvents& events);
    void LoadTextCardIntoEditor(TKivStringGrid* grid, int row);
    // The editor's text, when modified, back to that row when it is the editor's topic.
    // False when that store failed: the user is told (once until a store succeeds) and the
    // text stays in the editor, modified, with its own topic.
    bool StoreTextCard(TKivStringGrid* grid, int row);
    // The editor's text, when modified, back to its own topic wherever its row moved.
    bool StoreToOwner();
    // The editor holds modified text of a topic that is still there (a store failed).
    bool HoldsUnsavedText() const;
    // While set, a failed store is only recorded, for whoever asks UnstoredCard (the close).
    bool QuietStoreFailures = false;
    void SetQuietStoreFailures(bool on) override { QuietStoreFailures = on; }
    // What could not be stored, for a question to the user: "the text card of "a" (reason)";
    // empty when nothing is pending.
    QString UnstoredCard() const override;
    // The pending text as RTF, for keeping it elsewhere; empty when nothing is pending.
    std::string UnstoredRtf() const;
    void ShowNoTopic() override;
    void FollowReloadedRows(TKivStringGrid* grid) override;
    // Whether the text card editor shows that topic; the panel of the topic it shows.
    bool ShowsTextCardOf(TKivStringGrid* grid, int row) const;
    TKivStringGrid* OwnerGrid() const { return textOwner_.Grid; }

    // ---- lock state and the format bar ----
    // The editors, the caption editor and the style commands follow whether the topic is
    // locked; the format controls are off until an editor of an unlocked topic is entered.
    void UpdateEditorReadOnly(bool locked) override;
    void ShowPinCard(bool shown) override;
    void LoadPinCard(const std::string& card, const QString& label, bool locked,
                     bool readOnly) override;
    bool TakePinCardEdit(std::string& card) override;
    void SetPinCardClose(std::function<void()> close) override { pinClose_ = std::move(close); }
    void SetDefaultDateTimeStore(std::function<int()> current,
                                 std::function<void(int code)> choose) override {
        currentDateTime_ = std::move(current);
        chooseDateTime_ = std::move(choose);
    }
    void EnableFormatControls(bool on);
    // The style commands show the topic's caption style.
    void ShowTopicStyle(uint8_t style) override;
    // The format controls show the editor's selection (only while it has the focus).
    void SelectionChanged(QTextEdit* editor);
    // Shows the nearest listed size of the selection's font; the text keeps its size.
    void UpdateFontSizeList(QTextEdit* editor, const QString& size);

    // ---- style, paragraph and colour commands ----
    // Style bit (1 bold, 2 italic, 4 underline, 8 strike-out) on the marked and current
    // topics of the current panel; locked topics keep theirs.
    void SetTopicStyleBits(uint8_t bit, bool set);
    void BuildColorMenu();
    void ApplyColorMenuItem(QAction* item);
    // Adds (+1) or takes (-1) 20 pixels of first-line indent in the focused editor.
    void IndentFirstLine(int direction);
    void DefaultTextCardFont();

    // ---- date, time, symbols, edit commands ----
    QString FormatDateTimeChoice(int n) const;
    // The editor's text as a ".txt" or ".rtf" file (EditorFile.h, shared with the print window).
    void SaveEditorAs(QTextEdit* editor);
    // The focused control when it is one of the rich-text editors (text card, pin card,
    // text bin), else none.
    QTextEdit* ActiveTextEditor() const override;
    QTextEdit* TopicEditor() const override { return txtSimpleText; }
    QTextEdit* PinEditor() const override { return txtPinText; }
    QWidget* SidePane() const override { return pnlTextRight; }
    void AddToCaptionLine(QWidget* widget) override;

    // What the date and time commands read; tests set a fixed clock and locale.
    std::function<QDateTime()> Clock;
    QLocale Locale;
    // The symbol window, when there is one: takes the edit control it inserts into and
    // shows itself. Without it Insert Symbol is disabled.
    std::function<void(QWidget* target)> ShowSymbolWindow;
    // The topic branch of Copy, Cut, Paste and Delete (focus in an outline panel, or Delete
    // in an empty caption editor); without it those commands are off there.
    std::function<void(KivAction* command)> TopicEditCommand;
    void SetTopicEditCommand(std::function<void(KivAction* command)> command) override {
        TopicEditCommand = std::move(command);
    }
    // Whether the topic shown in the pin card is locked (set by whoever pins a topic).
    bool PinnedTopicLocked = false;
    // The pin card is read-only for another reason (its topic is the current one).
    bool PinCardReadOnly = false;

    // ---- components ----
    QWidget* pnlCurDescr = nullptr;
    QLabel* lblCurDescr = nullptr;
    QTextEdit* txtSimpleText = nullptr;
    QWidget* pnlTextLeft = nullptr;
    QWidget* pnlPinCard = nullptr;
    QTextEdit* txtPinText = nullptr;
    QLabel* lblPinCard = nullptr;
    QToolButton* btnClosePinCard = nullptr;
    QWidget* pnlTextRight = nullptr;
    QToolBar* tbFormat = nullptr;
    TWPopOutFntCBox* cbFontName = nullptr;
    TFontSizeComboBox* cbFontSize = nullptr;
    KivAction* acBold = nullptr;
    KivAction* acItalic = nullptr;
    KivAction* acUnderline = nullptr;
    QToolButton* btnStrike = nullptr;
    QToolButton* btnBullet = nullptr;
    QToolButton* btnLeftAlign = nullptr;
    QToolButton* btnCenterAlign = nullptr;
    QToolButton* btnRightAlign = nullptr;
    QToolButton* btnIndentIn = nullptr;
    QToolButton* btnIndentDe = nullptr;
    QToolButton* btnColor = nullptr;
    QMenu* pmColor = nullptr;
    QList<QPixmap> imlColor;
    QToolButton* btnDateTime = nullptr;
    QMenu* InsertDateTime1 = nullptr;
    KivAction* SetDefault1 = nullptr;
    QAction* DefaultTextCardFont1 = nullptr;
    TFontDialog dlgDefFont;
    // Save As shows the print window's dialog; this one only while there is none.
    TSaveDialog sdSaveEdit;
    KivAction* acInsertTime = nullptr;
    KivAction* acInsertSymbol = nullptr;
    // The symbol and default date-time windows (children of the main window).
    TfrmSymbol* frmSymbol = nullptr;
    TfrmDefaultDateTime* frmDefaultDateTime = nullptr;
    KivAction* acSaveAsEdit = nullptr;
    KivAction* acCopy = nullptr;
    KivAction* acCut = nullptr;
    KivAction* acPaste = nullptr;
    KivAction* acDelete = nullptr;
    KivAction* acUndo = nullptr;
    KivAction* acSelectAll = nullptr;
    // The editor the font boxes act on: the text or pin card editor left last.
    QPointer<QTextEdit> FontComboTarget;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    // What has the focus, as the commands ask.
    enum class TFocusKind { None, Panel, CaptionEditor, RichEditor, Edit, Combo };
    TFocusKind FocusKind(QWidget** control = nullptr) const;

    void BuildEditors();
    std::function<void()> pinClose_;
    void BuildFormatBar();
    void BuildEditCommands();
    void BuildDateTimeMenu();
    void FillDateTimeMenu();
    void EditorEntered(QTextEdit* editor);
    void EditorLeft(QTextEdit* editor);
    // A key typed into an editor whose topic is locked: the warning; true when it was.
    bool RefusedLockedKey(QTextEdit* editor, QKeyEvent* key);
    bool EditorLocked(QTextEdit* editor) const;
    // The current topic of the current panel is locked.
    bool CurrentTopicLocked() const;
    void ApplyStyle(uint8_t bit, bool set);
    void ApplyFontBoxes(bool name);
    void UpdateColorMenuChecks();
    void UpdateFormatEnabling();
    void InsertIntoFocused(const QString& text);
    void RunEditCommand(KivAction* command);
    void UpdateEditCommand(KivAction* command);
    // Gives the topic being written a card directory, so it is found again when rows move.
    void AnchorTextOwner();

    IWindowContext& ctx_;
    std::function<int()> currentDateTime_;
    std::function<void(int code)> chooseDateTime_;
    TNeed<IPrint> print_;
    TNeed<ITextBin> textBin_;
    bool storeFailureShown_ = false;
    // The reason of the last failed store.
    QString storeFailure_;
    // Runs the enabling of the format bar's buttons with the other updates.
    KivAction* formatUpdate_ = nullptr;
    // The topic whose text card the editor shows: its text goes back only there.
    TTopicRef textOwner_;
};

}  // namespace kiv
