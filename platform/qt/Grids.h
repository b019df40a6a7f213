#pragma once
// Our grid family: the custom grid, the draw grid, the string grid and the in-place cell
// editor, with the Windows class library's names and string-grid semantics. One
// implementation on QAbstractScrollArea serves every grid of the program:
// - cells are kept past the row and column counts (lowering a count hides them, raising
//   it shows them again);
// - a row height or column width of -1 (any negative value) hides the row or column;
// - scrolling moves by whole rows and columns (TopRow, LeftCol);
// - CellRect is clipped to the view and empty for a cell that is not visible;
// - the cell-selection check (SelectCell, OnSelectCell) runs before OnMouseDown fires;
// - owner drawing goes through the virtual DrawCell with the painter in Canvas().
// Events are std::function members fired only when set, sender first. Coordinates are
// client (viewport) pixels. Invalid operations raise EInvalidGridOperation.
#include <QAbstractScrollArea>
#include <QColor>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QRect>
#include <QRegion>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <map>
#include <stdexcept>
#include <vector>

#include "platform/qt/Colors.h"
#include "platform/qt/WinKeys.h"

class QPainter;

namespace kiv {

class EInvalidGridOperation : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The class library's texts for invalid grid operations.
extern const char* const SGridIndexOutOfRange;  // "Grid index out of range"
extern const char* const SFixedColTooBig;  // "Fixed column count must be less than column count"
extern const char* const SFixedRowTooBig;  // "Fixed row count must be less than row count"

struct TGridCoord {
    int X = 0;
    int Y = 0;
    friend bool operator==(const TGridCoord&, const TGridCoord&) = default;
};

// Inclusive cell ranges, as the class library's TGridRect.
struct TGridRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    friend bool operator==(const TGridRect&, const TGridRect&) = default;
    bool Contains(int ACol, int ARow) const {
        return ACol >= Left && ACol <= Right && ARow >= Top && ARow <= Bottom;
    }
};

// A small set over a flag enumeration, written like the class library's sets:
// Options().Contains(goEditing), SetOptions(Options() | goTabs), Options() - goRangeSelect.
template <class Flag, class Bits>
class TFlagSet {
public:
    constexpr TFlagSet() = default;
    constexpr TFlagSet(Flag f) : bits_(Bits(f)) {}
    static constexpr TFlagSet FromBits(Bits b) {
        TFlagSet s;
        s.bits_ = b;
        return s;
    }
    constexpr bool Contains(Flag f) const { return (bits_ & Bits(f)) != 0; }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr Bits ToBits() const { return bits_; }
    constexpr TFlagSet& operator|=(TFlagSet o) {
        bits_ |= o.bits_;
        return *this;
    }
    constexpr TFlagSet& operator-=(TFlagSet o) {
        bits_ &= Bits(~o.bits_);
        return *this;
    }
    friend constexpr TFlagSet operator|(TFlagSet a, TFlagSet b) { return a |= b; }
    friend constexpr TFlagSet operator-(TFlagSet a, TFlagSet b) { return a -= b; }
    friend constexpr bool operator==(TFlagSet a, TFlagSet b) { return a.bits_ == b.bits_; }

private:
    Bits bits_ = 0;
};

enum TGridOption : uint16_t {
    goFixedVertLine = 1 << 0,
    goFixedHorzLine = 1 << 1,
    goVertLine = 1 << 2,
    goHorzLine = 1 << 3,
    goRangeSelect = 1 << 4,
    goDrawFocusSelected = 1 << 5,
    goRowSizing = 1 << 6,
    goColSizing = 1 << 7,
    goRowMoving = 1 << 8,
    goColMoving = 1 << 9,
    goEditing = 1 << 10,
    goTabs = 1 << 11,
    goRowSelect = 1 << 12,
    goAlwaysShowEditor = 1 << 13,
    goThumbTracking = 1 << 14,
};
using TGridOptions = TFlagSet<TGridOption, uint16_t>;
constexpr TGridOptions operator|(TGridOption a, TGridOption b) {
    return TGridOptions(a) | TGridOptions(b);
}

enum TGridDrawStateFlag : uint8_t {
    gdSelected = 1 << 0,
    gdFocused = 1 << 1,
    gdFixed = 1 << 2,
};
using TGridDrawState = TFlagSet<TGridDrawStateFlag, uint8_t>;
constexpr TGridDrawState operator|(TGridDrawStateFlag a, TGridDrawStateFlag b) {
    return TGridDrawState(a) | TGridDrawState(b);
}

enum TGridState { gsNormal, gsSelecting, gsRowSizing, gsColSizing, gsRowMoving, gsColMoving };

class TInplaceEdit;

class TCustomGrid : public QAbstractScrollArea {
    Q_OBJECT
    friend class TInplaceEdit;

public:
    enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
    enum TBorderStyle { bsNone, bsSingle };
    enum TMouseButton { mbLeft, mbRight, mbMiddle };

    using TNotifyEvent = std::function<void(TCustomGrid* Sender)>;
    using TKeyEvent = std::function<void(TCustomGrid* Sender, Word& Key, TShiftState Shift)>;
    using TKeyPressEvent = std::function<void(TCustomGrid* Sender, QChar& Key)>;
    using TMouseEvent = std::function<void(TCustomGrid* Sender, TMouseButton Button,
                                           TShiftState Shift, int X, int Y)>;
    using TMouseMoveEvent =
        std::function<void(TCustomGrid* Sender, TShiftState Shift, int X, int Y)>;
    // MousePos in screen coordinates, as Windows passed it; Handled true stops the
    // grid's own wheel handling (moving the current row).
    using TMouseWheelUpDownEvent =
        std::function<void(TCustomGrid* Sender, TShiftState Shift, QPoint MousePos, bool& Handled)>;

    // The class library's defaults: 5 x 5 cells, one fixed row and column, 64 x 24
    // pixels, lines everywhere and range selection, both scroll bars.
    explicit TCustomGrid(QWidget* parent = nullptr);
    ~TCustomGrid() override;

    // Counts. The row and column counts are at least 1; fixed counts stay below them.
    int ColCount() const { return colCount_; }
    void SetColCount(int Value);
    int RowCount() const { return rowCount_; }
    void SetRowCount(int Value);
    int FixedCols() const { return fixedCols_; }
    void SetFixedCols(int Value);
    int FixedRows() const { return fixedRows_; }
    void SetFixedRows(int Value);

    // Extents. Setting a default resets every row (column) to it. A negative extent hides.
    int DefaultColWidth() const { return defaultColWidth_; }
    void SetDefaultColWidth(int Value);
    int DefaultRowHeight() const { return defaultRowHeight_; }
    void SetDefaultRowHeight(int Value);
    int ColWidths(int ACol) const;
    void SetColWidths(int ACol, int Value);
    int RowHeights(int ARow) const;
    void SetRowHeights(int ARow, int Value);
    bool TabStops(int ACol) const;
    void SetTabStops(int ACol, bool Value);
    int GridLineWidth() const { return gridLineWidth_; }
    void SetGridLineWidth(int Value);

    TGridOptions Options() const { return options_; }
    void SetOptions(TGridOptions Value);
    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle Value);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle Value);
    bool DefaultDrawing() const { return defaultDrawing_; }
    void SetDefaultDrawing(bool Value);
    // Colours in Windows order; system colours follow the palette when painted.
    TColor Color() const { return color_; }
    void SetColor(TColor Value);
    TColor FixedColor() const { return fixedColor_; }
    void SetFixedColor(TColor Value);

    // The current cell. Setting Col or Row asks SelectCell (OnSelectCell may refuse),
    // scrolls the cell into view and fires OnClick, as the Windows grid did.
    int Col() const { return current_.X; }
    void SetCol(int Value);
    int Row() const { return current_.Y; }
    void SetRow(int Value);
    // The selected range (current cell and anchor). Setting it asks nothing.
    TGridRect Selection() const;
    void SetSelection(TGridRect Value);

    // Scrolling, by whole rows and columns, kept between the fixed cells and the last
    // position that still fills the view.
    int TopRow() const { return topLeft_.Y; }
    void SetTopRow(int Value);
    int LeftCol() const { return topLeft_.X; }
    void SetLeftCol(int Value);
    // Rows (columns) from TopRow (LeftCol) to the last fully visible one.
    int VisibleRowCount() const;
    int VisibleColCount() const;
    int ClientWidth() const;
    int ClientHeight() const;

    // The cell's rectangle in client pixels, clipped to the view; empty (QRect()) when
    // the cell is hidden, scrolled away or outside the counts.
    QRect CellRect(int ACol, int ARow) const;
    // The cell under a client point; -1, -1 when there is none. A grid line belongs to
    // the cell before it.
    void MouseToCell(int X, int Y, int& ACol, int& ARow) const;
    TGridCoord MouseCoord(int X, int Y) const;

    // The in-place editor (goEditing): shown by F2, Enter, typing or a click on the
    // current cell; Enter ends, Esc cancels.
    bool EditorMode() const { return editorMode_; }
    void SetEditorMode(bool Value);
    TInplaceEdit* InplaceEditor() const { return editor_; }

    // The painter while the grid paints (inside Paint, DrawCell and OnDrawCell), else null.
    QPainter* Canvas() const { return canvas_; }
    // Shown at the mouse on a right click when set (not owned).
    QMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(QMenu* Value) { popupMenu_ = Value; }

    void Invalidate();
    void InvalidateCell(int ACol, int ARow);
    void InvalidateRow(int ARow);
    void InvalidateCol(int ACol);

    // Events of the control.
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TMouseWheelUpDownEvent OnMouseWheelDown;
    TMouseWheelUpDownEvent OnMouseWheelUp;

protected:
    // ---- The class library's virtual operations, for derived grids to override ----
    virtual void DrawCell(int ACol, int ARow, const QRect& ARect, TGridDrawState AState);
    // Whether the cell may become current; false keeps the current cell.
    virtual bool SelectCell(int ACol, int ARow);
    virtual void SizeChanged(int OldColCount, int OldRowCount);
    virtual void TopLeftChanged();
    virtual void ColumnMoved(int FromIndex, int ToIndex);
    virtual void RowMoved(int FromIndex, int ToIndex);
    virtual void ColWidthsChanged();
    virtual void RowHeightsChanged();
    virtual QString GetEditText(int ACol, int ARow);
    virtual void SetEditText(int ACol, int ARow, const QString& Value);
    virtual bool CanEditModify();
    virtual bool CanEditShow();
    virtual TInplaceEdit* CreateEditor();
    // Paints the whole view into Canvas().
    virtual void Paint();
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseMove(TShiftState Shift, int X, int Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseLeave();
    virtual void KeyDown(Word& Key, TShiftState Shift);
    virtual void KeyUp(Word& Key, TShiftState Shift);
    virtual void KeyPress(QChar& Key);
    virtual void Click();
    virtual void DblClick();
    // Entering and leaving the control (the grid or its editor); window activation and
    // popups do not count.
    virtual void DoEnter();
    virtual void DoExit();
    // True when the wheel notch was handled; the grid's own handling moves the current row.
    virtual bool DoMouseWheelDown(TShiftState Shift, QPoint MousePos);
    virtual bool DoMouseWheelUp(TShiftState Shift, QPoint MousePos);

    // Moves keep the cells, extents, current cell and anchor with the moved row (column).
    // Indices past the counts are allowed (cells live there too); negative ones raise.
    void MoveColumn(int FromIndex, int ToIndex);
    void MoveRow(int FromIndex, int ToIndex);
    // Moves the row (column) to the end and lowers the count; its cells stay past the count.
    void DeleteColumn(int ACol);
    void DeleteRow(int ARow);

    void FocusCell(int ACol, int ARow, bool MoveAnchor);
    // Makes a cell current when SelectCell accepts it; true when it did.
    bool MoveCurrent(int ACol, int ARow, bool MoveAnchor, bool Show);
    void MoveAnchor(TGridCoord NewAnchor);
    void ClampInView(TGridCoord Coord);
    void InvalidateGrid() { Invalidate(); }
    void ShowEditor();
    void HideEditor();
    // Puts the editor over the current cell (or hides it), writing back a moved edit.
    void UpdateEdit();
    // Reloads the editor's text from the cell.
    void InvalidateEditor();
    // Focus in the grid or its editor.
    bool IsActiveControl() const;

    // ---- For derived grids that defer size changes (begin/end update) ----
    // While true, setting the counts stores them (and lowers the fixed counts) but defers
    // the rest: extents arrays, clamping of the current cell, scroll range, SizeChanged.
    virtual bool SizeChangeDeferred() const { return false; }
    // The deferred work; restores the old counts and raises again when it fails.
    void ApplySizeChange(int OldColCount, int OldRowCount);
    int ColWidthsLength() const { return int(colWidths_.size()); }
    int RowHeightsLength() const { return int(rowHeights_.size()); }
    // The mouse state (sizing, moving, selecting) and the row or column being sized.
    TGridState GridState() const { return gridState_; }
    int SizingIndex() const { return sizingIndex_; }
    // Ends sizing, moving and selecting by the mouse without applying them. A grid that
    // starts a drag calls it: the button's release then goes to the drag, not the grid.
    void CancelMode();

    // Qt plumbing.
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;
    bool event(QEvent* e) override;
    bool viewportEvent(QEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    // One axis of the view (columns across, rows down), as the class library's draw info.
    struct Axis {
        const std::vector<int>* extents;
        int defaultExtent;
        int lineWidth;  // width of the line after each cell (0 without lines)
        int fixedCount;
        int firstCell;  // LeftCol or TopRow
        int cellCount;
        int viewExtent;       // client width or height
        int fixedBoundary;    // end of the fixed cells
        int gridBoundary;     // end of the last cell drawn (at most the view)
        int fullVisBoundary;  // end of the last fully visible cell
        int lastFullVisibleCell;

        int Extent(int i) const;
        // Pixels the cell takes with its line; 0 when hidden.
        int Step(int i) const;
        bool Hidden(int i) const { return Extent(i) < 0; }
    };
    Axis HorzAxis() const;
    Axis VertAxis() const;
    Axis MakeAxis(const std::vector<int>& ext, int def, int lw, int fixed, int first, int count,
                  int view) const;
    static bool AxisSpan(const Axis& a, int i, int& start, int& end);
    static int AxisCoord(const Axis& a, int n);
    // The first cell that shows `last` as the last fully visible cell (hidden cells skipped).
    static int CalcMaxCell(const Axis& a, int last);
    static int CellStart(const Axis& a, int i);
    int MaxTopRow() const;
    int MaxLeftCol() const;
    // The next visible index from `from` going `dir` (+1/-1), or `from` when none.
    int StepVisible(bool rows, int from, int dir) const;
    // The visible index nearest to `i` (searching `dir` first), within the scrolling cells.
    int NearestVisible(bool rows, int i, int dir) const;
    bool RangeSelectActive() const;

    void ChangeSize(int NewColCount, int NewRowCount);
    void DoSizeChange(int OldColCount, int OldRowCount);
    void Initialize();
    void MoveTopLeft(int ALeft, int ATop);
    void TopLeftMoved(TGridCoord OldTopLeft);
    void UpdateScrollRange();
    void UpdateScrollPos();
    void ScrollBarMoved(bool vertical, int value);
    void SelectionMoved(const TGridRect& OldSel);
    void InvalidateBox(const TGridRect& r);
    void MoveAdjust(int& CellPos, int FromIndex, int ToIndex) const;
    static void MoveExtent(std::vector<int>& ext, int count, int def, int FromIndex, int ToIndex);

    void CalcSizingState(int X, int Y, TGridState& State, int& Index, int& SizingPos,
                         int& SizingOfs) const;
    void SelectingMove(int X, int Y);
    void MovingMove(int X, int Y);
    void TimerTick();
    void UpdateSizingCursor(int X, int Y);

    void DrawArea(QPainter& p, const Axis& h, const Axis& v, int firstCol, int firstRow, int startX,
                  int startY, int stopX, int stopY, TColor areaColor, TGridDrawState include,
                  const TGridRect& sel, bool active);
    void DrawLines(QPainter& p, const Axis& h, const Axis& v, int firstCol, int firstRow,
                   int startX, int startY, int stopX, int stopY, bool horzLines, bool vertLines,
                   const QColor& onColor, const QColor& offColor);
    void DrawIndicators(QPainter& p, const Axis& h, const Axis& v);

    // Editor plumbing.
    void UpdateEditor();
    void HideEdit();
    void UpdateText();
    void CancelEdit();
    void EditorTextEdited();
    void ShowEditorChar(QChar Ch);
    void FocusArrived(QFocusEvent* e, bool fromEditor);
    void FocusLeft(QFocusEvent* e);

    int colCount_ = 5;
    int rowCount_ = 5;
    int fixedCols_ = 1;
    int fixedRows_ = 1;
    int defaultColWidth_ = 64;
    int defaultRowHeight_ = 24;
    int gridLineWidth_ = 1;
    std::vector<int> colWidths_;
    std::vector<int> rowHeights_;
    std::vector<bool> tabStops_;
    TGridOptions options_;
    TScrollStyle scrollBars_ = ssBoth;
    TBorderStyle borderStyle_ = bsSingle;
    bool defaultDrawing_ = true;
    TColor color_ = clWindow;
    TColor fixedColor_ = clBtnFace;

    TGridCoord current_{1, 1};
    TGridCoord anchor_{1, 1};
    TGridCoord topLeft_{1, 1};

    bool editorMode_ = false;
    TInplaceEdit* editor_ = nullptr;
    int inplaceCol_ = -1;
    int inplaceRow_ = -1;
    QString editStartText_;       // the cell's text when the editor was loaded (Esc restores it)
    QString editLastText_;        // the text last handed to SetEditText (or loaded)
    int editUpdate_ = 0;          // SetEditText is writing the cell: do not reload the editor
    bool focusHandOver_ = false;  // focus moves between the grid and its own editor
    bool entered_ = false;

    TGridState gridState_ = gsNormal;
    int sizingIndex_ = -1;
    int sizingPos_ = 0;
    int sizingOfs_ = 0;
    int moveIndex_ = -1;
    int movePos_ = -1;
    bool sizingCursor_ = false;
    QPoint lastMouse_;
    QTimer timer_;
    int wheelAccumulator_ = 0;
    bool settingScroll_ = false;

    QPainter* canvas_ = nullptr;
    QRegion paintRegion_;
    QPointer<QMenu> popupMenu_;
};

// Publishes the grid's own events: drawing, cell selection, edit texts, scrolling, moves.
class TDrawGrid : public TCustomGrid {
    Q_OBJECT
public:
    using TDrawCellEvent = std::function<void(TCustomGrid* Sender, int ACol, int ARow,
                                              const QRect& Rect, TGridDrawState State)>;
    using TSelectCellEvent =
        std::function<void(TCustomGrid* Sender, int ACol, int ARow, bool& CanSelect)>;
    using TGetEditEvent =
        std::function<void(TCustomGrid* Sender, int ACol, int ARow, QString& Value)>;
    using TSetEditEvent =
        std::function<void(TCustomGrid* Sender, int ACol, int ARow, const QString& Value)>;
    using TMovedEvent = std::function<void(TCustomGrid* Sender, int FromIndex, int ToIndex)>;

    explicit TDrawGrid(QWidget* parent = nullptr);

    TDrawCellEvent OnDrawCell;
    TSelectCellEvent OnSelectCell;
    TGetEditEvent OnGetEditText;
    TSetEditEvent OnSetEditText;
    TNotifyEvent OnTopLeftChanged;
    TMovedEvent OnColumnMoved;
    TMovedEvent OnRowMoved;

protected:
    void DrawCell(int ACol, int ARow, const QRect& ARect, TGridDrawState AState) override;
    bool SelectCell(int ACol, int ARow) override;
    QString GetEditText(int ACol, int ARow) override;
    void SetEditText(int ACol, int ARow, const QString& Value) override;
    void TopLeftChanged() override;
    void ColumnMoved(int FromIndex, int ToIndex) override;
    void RowMoved(int FromIndex, int ToIndex) override;
};

// Cell texts and objects over sparse storage, kept past the counts and carried by moves.
class TStringGrid : public TDrawGrid {
    Q_OBJECT
public:
    explicit TStringGrid(QWidget* parent = nullptr);

    // Negative indices read as empty and raise on writing.
    QString Cells(int ACol, int ARow) const;
    void SetCells(int ACol, int ARow, const QString& Value);
    // A pointer carried with the cell, not owned.
    void* Objects(int ACol, int ARow) const;
    void SetObjects(int ACol, int ARow, void* Value);
    // The texts of columns 0..ColCount-1 of a row (rows 0..RowCount-1 of a column).
    // Setting writes those cells, the missing ones empty.
    QStringList Rows(int ARow) const;
    void SetRows(int ARow, const QStringList& Value);
    QStringList Cols(int ACol) const;
    void SetCols(int ACol, const QStringList& Value);

protected:
    // With DefaultDrawing the cell's text 2 pixels in from its top-left corner.
    void DrawCell(int ACol, int ARow, const QRect& ARect, TGridDrawState AState) override;
    QString GetEditText(int ACol, int ARow) override;
    void SetEditText(int ACol, int ARow, const QString& Value) override;
    void ColumnMoved(int FromIndex, int ToIndex) override;
    void RowMoved(int FromIndex, int ToIndex) override;

private:
    struct Cell {
        QString text;
        void* object = nullptr;
    };
    using RowData = std::map<int, Cell>;  // by column
    Cell* Find(int ACol, int ARow);
    const Cell* Find(int ACol, int ARow) const;
    Cell& Ensure(int ACol, int ARow);
    void Prune(int ACol, int ARow);
    void CellChanged(int ACol, int ARow);
    template <class Map>
    static void Rotate(Map& m, int FromIndex, int ToIndex);

    std::map<int, RowData> data_;  // by row
};

// The cell editor: a frameless line edit over the current cell. Its keys follow the grid:
// Up, Down, Page Up, Page Down and Esc (and Insert, Tab) go to the grid; Left, Right, Home
// and End stay with the editor; F2 deselects; Enter ends the edit.
class TInplaceEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TInplaceEdit(TCustomGrid* grid);

    TCustomGrid* Grid() const { return grid_; }
    // Loads the current cell's text.
    void UpdateContents();
    // Caret to the end, nothing selected.
    void Deselect();
    // Over the rectangle, or hidden when it is empty; takes the focus while the grid has it.
    void Move(const QRect& Loc);
    void UpdateLoc(const QRect& Loc) { Move(Loc); }
    // Types a character as if its key had been pressed (the grid hands on the key that
    // started the edit).
    void TypeChar(QChar Ch);

protected:
    virtual void KeyDown(Word& Key, TShiftState Shift);
    virtual void KeyPress(QChar& Key);

    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    // The character phase: the grid's KeyPress, then the editor's filter. Returns the
    // character that remains (0 when swallowed).
    QChar FilterChar(QChar Ch);
    TCustomGrid* grid_;
};

}  // namespace kiv
