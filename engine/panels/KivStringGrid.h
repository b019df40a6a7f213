#pragma once
// An outline panel: a one-column string grid whose rows are the rows of its outline model
// (TNester). It draws every row itself (frame, wrapped caption, numbered badge, icons for a
// clone, a text card and links), edits captions in place with its caption editor, follows
// the mouse and keys, starts topic drags, and changes the tree's shape (insert, delete,
// move, join, split) with the outline file following.
//
// Geometry is in client (viewport) pixels. Rectangles are QRects as Qt means them
// (right() = left + width - 1); the rules below speak of the exclusive right and bottom
// edges, x() + width() and y() + height().
//
// Drawing is done in two steps: a layout step computes everything a row's painting
// decides besides pixels (the height-box flag, the caption editor's place) and applies it
// at once; painting then draws what the layout found. DrawRow runs the layout step
// synchronously and schedules the repaint, so hit tests and callers see the result at once.
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QTextEdit>
#include <QTextOption>
#include <climits>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/Navigation.h"
#include "engine/core/NestFunctions.h"
#include "engine/core/Nester.h"
#include "platform/qt/Colors.h"
#include "platform/qt/Fonts.h"
#include "platform/qt/Grids.h"
#include "platform/qt/WinKeys.h"

class QMimeData;
class QTextLayout;

namespace kiv {

// The applied colour scheme, read by the panels on every paint. Colours are Windows values
// (0x00BBGGRR). The defaults are those of an unreadable scheme.
struct TColorSchemeRec {
    int32_t Reserved = 0;        // not read by the panels
    int32_t FontSize = 10;       // caption font and line-height measurement
    TColor FontColor = 0;        // captions without a colour of their own; caption editor
    int32_t RowLines = 1;        // caption lines per default row height; outside 1..3 counts as 1
    TColor RowColor = 0xECF3F4;  // ordinary rows; panel background outside document view
    TColor SelRowColor = 0xE4E2ED;           // current row of an inactive panel
    TColor FocSelRowColor = 0xE4E2FD;        // marked rows; current row of the active panel
    TColor BorderColor = 0xCECECE;           // frame and separator pen
    TColor FocBorderColor = 0x0000FF;        // frame of the focused current row; empty active panel
    std::string FontName = "MS Sans Serif";  // caption font face, up to 63 characters
};
extern TColorSchemeRec ColorScheme;

// RowLines as the panels use it: 1..3, anything else 1.
int SchemeRowLines();

class TKivStringGrid;
struct TPanelContext;

// What the outline edits need to know of the panel (its model, number, mode, the panel
// before it, the open trail and datastructure).
TPanelContext EditContext(const TKivStringGrid* g);

// How captions wrap, in the panels and in their editor alike: at word boundaries, and
// anywhere inside a word longer than the line.
constexpr QTextOption::WrapMode kCaptionWrap = QTextOption::WrapAtWordBoundaryOrAnywhere;

// The caption editor: a frameless, word-wrapping memo over the current row's caption.
// Its lines are one line pitch apart (the panels' line height), as the caption is drawn,
// so the text does not move when editing starts. Its text has "\n" line breaks; captions
// are stored with CR LF.
class TKivMemo : public QTextEdit {
    Q_OBJECT
public:
    using TNotifyEvent = std::function<void(TKivMemo* Sender)>;
    using TKeyEvent = std::function<void(TKivMemo* Sender, Word& Key, TShiftState Shift)>;
    using TKeyPressEvent = std::function<void(TKivMemo* Sender, QChar& Key)>;

    explicit TKivMemo(TKivStringGrid* grid);

    TKivStringGrid* Grid() const { return grid_; }

    QString Text() const;
    // Loads a text and clears the modified flag, as setting an edit control's text does.
    void SetText(const QString& text);
    bool Modified() const;
    void SetModified(bool on);
    // The caret as a character position; setting it clears the selection. Past the end
    // (10000, as the key handlers use it) puts it at the end.
    int SelStart() const;
    void SetSelStart(int pos);
    // Line of the caret and number of lines, as the text is wrapped now (0-based line).
    int CaretLine() const;
    int LineCount() const;
    // The editor's face and font colour (Windows colours) and font style bits.
    TColor Color() const { return color_; }
    void SetColor(TColor c);
    TColor FontColor() const { return fontColor_; }
    void SetFontColor(TColor c);
    void SetFontStyle(TFontStyles style);
    // The scheme font (face and size), styles kept.
    void SetSchemeFont(const QString& storedName, int pointSize);
    // Pixels from one line's top to the next.
    int LinePitch() const { return pitch_; }
    void SetLinePitch(int pixels);
    // One line up, as EM_SCROLL with SB_LINEUP.
    void ScrollLineUp();

    // Set by the owning grid to its editor handlers; fired only when set.
    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;
    TNotifyEvent OnChange;

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
    // Pasted and dropped text comes in as plain text whose lines keep the line pitch.
    void insertFromMimeData(const QMimeData* source) override;

private:
    void ApplyPalette();
    // Every block gets the fixed line height; not an edit (no undo step, modified kept).
    void ApplyLinePitch();
    // The character phase of a key: OnKeyPress may swallow it (set it to 0).
    bool PassChar(QChar& ch);

    TKivStringGrid* grid_;
    TColor color_ = 0xE4E2FD;
    TColor fontColor_ = 0;
    int pitch_ = 16;
    bool loading_ = false;  // SetText and the pitch: no OnChange
};

class TKivStringGrid : public TStringGrid {
    Q_OBJECT
    friend class TKivMemo;

public:
    // Events, sender first, fired only when set.
    using TItemChanged = std::function<void(TKivStringGrid* Sender, int Old, int New)>;
    using TMouseOverRow = std::function<void(TKivStringGrid* Sender, int ARow)>;
    using TItemsUpdated = std::function<void(TKivStringGrid* Sender, uint32_t NestStart)>;
    using TEditChanged = std::function<void(TKivStringGrid* Sender, const QString& Text)>;
    using TPanelNotify = std::function<void(TKivStringGrid* Sender)>;
    // Source: the panel or list that started the program's own topic drag.
    using TDragOverEvent =
        std::function<void(TKivStringGrid* Sender, QObject* Source, int X, int Y, bool& Accept)>;
    using TDragDropEvent =
        std::function<void(TKivStringGrid* Sender, QObject* Source, int X, int Y)>;
    // Starts the program's own drag of topics (the MIME data carries the internal-drag
    // format) and returns when it ended. Tests install one that records instead.
    using TDragStarter = std::function<void(TKivStringGrid* Source, QMimeData* Data)>;

    // One column, one row, no fixed cells, no grid options, not drawn by the base; a new
    // model; registers with the panels manager, which must exist.
    explicit TKivStringGrid(QWidget* parent = nullptr);
    ~TKivStringGrid() override;

    // ---- state ----
    int Tag = 0;                        // panel number 1..3
    std::unique_ptr<TNester> Nester;    // the outline model; its OnChange runs RowsChanged (0)
    TKivMemo* CaptionEditor = nullptr;  // owned as a child
    QRect EditorRect;                   // where the editor was last placed
    bool PaintEnabled = true;           // rows are painted only while set
    bool AutoRowHeight = true;          // row heights are recomputed at all
    bool TreeMode = false;              // badge numbers by sibling ordinal; inline children
    bool DragArmed = false;             // the left button went down over a row
    bool DragStarted = false;           // this grid started the running drag
    bool KeyDownSeen = false;           // a key went down here (or in the editor), not yet up
    int HoverRow = -1;                  // row under the mouse
    std::string
        ExternalPath;  // the external datastructure of the current row or panel, resolved (UTF-8)
    std::string BaseFolder;  // the program folder; replaces a leading "||"

    // ---- events ----
    TItemChanged OnSelRowChanged;
    TItemChanged OnPanelChanged;
    TMouseOverRow OnMouseOverLaunch;
    TItemsUpdated OnItemsUpdated;
    TMouseOverRow OnTitleModified;
    TEditChanged OnEditChanged;
    TPanelNotify OnStartDrag;
    TPanelNotify OnEndDrag;
    TDragOverEvent OnDragOver;
    TDragDropEvent OnDragDrop;

    // ---- view flags (each setter stores and repaints) ----
    bool Editing() const { return editing_; }
    bool TextOnly() const { return textOnly_; }
    void SetTextOnly(bool on);
    bool BoxedView() const { return boxedView_; }
    void SetBoxedView(bool on);
    bool DocumentView() const { return documentView_; }
    // White grid colour (on) or RowColor (off), and SetExpandAll with the same value.
    void SetDocumentView(bool on);
    bool DocViewCircles() const { return docViewCircles_; }
    void SetDocViewCircles(bool on);  // clears DocViewNumbers when on
    bool DocViewNumbers() const { return docViewNumbers_; }
    void SetDocViewNumbers(bool on);  // clears DocViewCircles when on
    bool DocViewLaunchImage() const { return docViewLaunchImage_; }
    void SetDocViewLaunchImage(bool on);
    bool DocViewTextPointer() const { return docViewTextPointer_; }
    void SetDocViewTextPointer(bool on);
    bool DocViewSizer() const { return docViewSizer_; }
    void SetDocViewSizer(bool on);
    bool GetExpandAll() const { return expandAll_; }
    // Stores the flag and runs UpdateRowHeights (0).
    void SetExpandAll(bool on);
    void SetAutoRowHeight(bool on) { AutoRowHeight = on; }

    // ---- drawing and geometry ----
    // Lays row r out (height-box flag, editor place) and repaints it.
    void DrawRow(int r);
    QRect RowContentRect(int r) const;
    QRect CaptionRect(int r) const;
    // 25 x 14 at the content rectangle's top-left.
    static QRect BadgeRect(const QRect& content);
    // The box that toggles a long caption's height (14 x 12 at the content's bottom-right).
    static QRect HeightBoxRect(const QRect& content);
    int RowNumber(int r) const;
    // Height the row needs for its caption (at least RowLines lines).
    int RowHeight(int r) const;
    // The row's height as shown. With expand-all, rows are measured lazily, when they come
    // near the view or become current; asking for a row's height measures it first.
    int RowHeights(int r) const;
    void FitRowHeight(int r);
    void ResetRowHeight(int r);
    // Every row from fromRow at the default height (or, with ExpandAll, fitted as it comes
    // into view), as after loading rows or collapsing all.
    void UpdateRowHeights(int fromRow);
    // Rows measured again at the present width and line pitch, their state kept: with
    // ExpandAll every row is fitted; otherwise rows at the default height stay there and
    // rows shown taller (expanded, or being edited) are fitted again. A resize of the
    // panel, a scroll bar coming or going and a new scheme font run it. An UpdateRowHeights
    // put off while AutoRowHeight was off runs first; a current row on show stays on show.
    void RefitRowHeights();
    // The scheme's font or the line height changed: the editor follows, rows are refitted.
    void SchemeFontChanged();
    // Lines of a caption wrapped at a width, in the scheme font with the row's style, as
    // the panel draws it (kCaptionWrap, "\n" breaks).
    int CaptionLineCount(const QString& text, int width, TFontStyles style) const;
    // Its height: lines times the line height, the one pitch of drawing and editing.
    int CaptionTextHeight(const QString& text, int width, TFontStyles style) const;

    // ---- rows, selection and the caption editor ----
    int CurrentRow() const { return Nester->CurrentRow(); }
    bool IsRowValid(int row) const { return Nester->ValidRow(row); }
    // A row change is refused while the edited caption of the current row cannot be stored.
    void SelectRow(int row);
    // Leaving edit mode keeps a caption that could not be stored in the editor, and edit
    // mode brings it back on the same row.
    void SetEditing(bool on);
    // Stores what was typed in the caption editor (true when nothing was pending). A caption
    // that is refused stays in the editor, modified, and the user is told.
    [[nodiscard]] bool StoreEditedCaption();
    void PlaceEditor(const QRect& rect, bool withColour);
    void ClearMarks();
    void MakeActive();
    // The grid or its caption editor has the keyboard focus.
    bool HasFocusHere() const;
    // Enter and exit of the panel, as focus arriving and leaving runs them (public so that
    // the main window's key handling can move the active panel).
    void DoEnter() override;
    void DoExit() override;

    // Stored caption bytes <-> editor text (CR LF <-> "\n", through the text codec).
    static QString CaptionToText(const std::string& stored);
    static std::string TextToCaption(const QString& text);

    // ---- hit tests, (x, y) in client pixels; false outside a valid row ----
    int RowAt(int x, int y) const;
    bool IsOverLaunchIcon(int x, int y) const;
    bool IsOverTextIcon(int x, int y) const;
    bool IsOverHeightBox(int x, int y) const;
    bool IsOverBadge(int x, int y) const;

    // ---- drag start ----
    static void SetDragStarter(TDragStarter starter);
    static const char* const InternalDragFormat;  // "application/x-kiv-internal-drag"
    // The source of the running internal drag (panel or list), or null.
    static QObject* InternalDragSource();
    static void SetInternalDragSource(QObject* source);

    // ---- structural edits (KivStringGridEdits.cpp) ----
    // Inserts topics for the items; the reference row is Pos + Offset. Returns how many
    // topics were inserted (0 when nothing happened).
    int InsertTopics(const TItemArray& items, int Pos, bool Select, bool AsSiblings, int Offset);
    void DeleteMarkedTopics(bool Recycle, bool WithCurrent, bool Refresh);
    // False when refused (moving under a topic that stands for an external datastructure).
    bool MoveMarkedTopics(int Target, bool After, bool Beside);
    // Direction 0 up, 1 down, 2 out, 3 in; true when something moved.
    bool MoveMarkedTopicsByKey(int Direction);
    void JoinTopics();
    void SplitTopic();
    // Grid row count := the model's; UpdateRowHeights (FromRow); OnItemsUpdated (root nest).
    void RowsChanged(int FromRow);
    int FindItemRow(const TNestItem& item, bool Select, int StartRow);
    std::string TextCardPlainText(int row);
    void ExpandRow(int row);
    void CollapseRow(int row);
    void UnmarkShownDescendants();
    bool IsHoistedRow(int row) const;
    bool IsHoistedTopRow(int row) const;
    bool IsSinglePanelRootRow(int row) const;
    bool HasSinglePanelRoot() const;
    bool ValidateNavigator(TNavigator& trail);

protected:
    void DrawCell(int ACol, int ARow, const QRect& ARect, TGridDrawState AState) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    // The caption editor's caret nearest to the point (global), when it is on its line.
    void PlaceCaretAt(const QPoint& global);
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseLeave() override;
    void TopLeftChanged() override;
    void RowHeightsChanged() override;
    // Fits the rows around the cell first, so that scrolling it into view lands as with
    // every row fitted.
    bool SelectCell(int ACol, int ARow) override;

    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    bool viewportEvent(QEvent* e) override;

    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    // What the painting of a row decides, found by the layout step.
    struct RowLayout {
        bool visible = false;
        bool modelRow = false;
        QRect cell, content, caption;
        TColor base = 0, fill = 0, pen = 0;
        bool frame = false;       // a rectangle over the content
        bool separator = false;   // a line along the content's top
        bool editorHere = false;  // the caption editor covers the caption
        QString text;             // caption with trailing blanks removed
        TColor textColor = 0;
        TFontStyles style = 0;
        bool heightBox = false;
        bool external = false;  // "External database " + file name
    };
    // Painting off while row heights change, back on (and one repaint) at the end; the
    // hour-glass while many rows are measured. Nests: only the outermost repaints.
    class HeightsUpdate {
    public:
        // many: the hour-glass while more than 100 rows exist.
        HeightsUpdate(TKivStringGrid* g, bool many);
        ~HeightsUpdate();
        HeightsUpdate(const HeightsUpdate&) = delete;
        HeightsUpdate& operator=(const HeightsUpdate&) = delete;

    private:
        TKivStringGrid* g_;
        bool outer_;
        bool hourglass_;
    };
    // The one column as wide as the panel's inside; rows refitted when the width changed.
    void FitColumn();
    // Rows waiting for their fit (their stored height is provisional until then).
    bool IsPending(int r) const;
    void SetPending(int r, bool on);
    // Every row from `from` on waits for its fit.
    void MarkPending(int from);
    void FitPendingRows(int from, int to);
    // Fits the waiting rows of the view and a page either side, around the current row
    // and of the last page (which sets how far the view scrolls).
    void FitShownRows();
    // At least as many rows as the view can show at once.
    int MaxRowsInView() const;
    // Fits the waiting rows within a view's height of the row.
    void FitRowsAround(int r);
    RowLayout LayoutRow(int r) const;
    void ApplyLayout(int r, const RowLayout& l);
    // Lays out every visible row, then repaints the grid.
    void Repaint();
    // Over the rectangle with the fill; height 0 while not editing, without rows, or when
    // the current row is scrolled out of view.
    void PlaceEditorAt(const QRect& rect, bool withColour, TColor fill);
    // The panel's own enter and exit handling (DoEnter and DoExit guard them).
    void EnterPanel();
    void ExitPanel();
    QFont SchemeFont(TFontStyles style) const;
    // Lays the text out in the layout's font at the width, one line every LineHeight
    // pixels; returns the number of lines.
    int LayOutCaption(QTextLayout& layout, int width) const;
    // Draws the text wrapped into the rectangle, clipped to it; with elide, the last line
    // that fits ends in "..." when more follow.
    void DrawCaptionText(QPainter& p, const QRect& rect, const QString& text, bool elide) const;
    void PaintRow(QPainter& p, int r, const RowLayout& l);
    void PaintBadge(QPainter& p, int r, const RowLayout& l);
    bool IsActivePanel() const;
    // The row shows a launch icon (in any place) under the view flags.
    bool ShowsLaunchIcon(int r) const;
    QPixmap LaunchIconPixmap(int r) const;
    void BeginPendingDrag(int x, int y);
    void StartDrag();

    // Caption editor handlers.
    void EditorKeyDown(Word& Key, TShiftState Shift);
    void EditorKeyPress(QChar& Key);
    void EditorKeyUp(Word& Key, TShiftState Shift);
    void EditorChange();
    void EditorFocusIn(QFocusEvent* e);
    void EditorFocusOut(QFocusEvent* e);

    bool editing_ = false;
    bool textOnly_ = false;
    bool boxedView_ = false;
    bool documentView_ = false;
    bool docViewCircles_ = false;
    bool docViewNumbers_ = false;
    bool docViewLaunchImage_ = false;
    bool docViewTextPointer_ = false;
    bool docViewSizer_ = false;
    bool expandAll_ = false;
    std::vector<uint8_t> pending_;  // per row: waits for its fit
    int pendingCount_ = 0;
    bool fittingShown_ = false;
    static constexpr int kNoDeferredRows = INT_MAX;
    int deferredFrom_ = kNoDeferredRows;  // UpdateRowHeights put off from this row on
    bool entered_ = false;                // DoEnter ran and DoExit has not yet
    bool dragPending_ = false;            // a drag waits for the mouse to move 8 pixels
    QPoint dragOrigin_;                   // where the pending drag began
};

}  // namespace kiv
