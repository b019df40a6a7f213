// The grid's model of the view: counts, extents, the current cell and selection, the
// top-left cell with whole-row scrolling, cell rectangles, hit tests, moves and deletes.
#include "platform/qt/Grids.h"

#include <QScrollBar>
#include <algorithm>

namespace kiv {

const char* const SGridIndexOutOfRange = "Grid index out of range";
const char* const SFixedColTooBig = "Fixed column count must be less than column count";
const char* const SFixedRowTooBig = "Fixed row count must be less than row count";

namespace {
[[noreturn]] void InvalidOp(const char* msg) { throw EInvalidGridOperation(msg); }

// Rotates ext[From] to To, treating entries past the array as `def` (the extents of cells
// past the counts); the array keeps its length.
template <class T>
bool RotateVirtual(std::vector<T>& v, T def, int From, int To) {
    const size_t n = v.size();
    const size_t lo = size_t(std::min(From, To)), hi = size_t(std::max(From, To));
    bool same = true;
    for (size_t i = lo; i <= hi && same; ++i)
        same = (i < n ? T(v[i]) : def) == (lo < n ? T(v[lo]) : def);
    if (same) return false;  // nothing would change
    if (hi >= n) v.resize(hi + 1, def);
    T val = v[size_t(From)];
    v.erase(v.begin() + From);
    v.insert(v.begin() + To, val);
    v.resize(n, def);
    return true;
}
}  // namespace

TCustomGrid::TCustomGrid(QWidget* parent) : QAbstractScrollArea(parent) {
    options_ = goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect;
    colWidths_.assign(size_t(colCount_), defaultColWidth_);
    rowHeights_.assign(size_t(rowCount_), defaultRowHeight_);
    tabStops_.assign(size_t(colCount_), true);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setAutoFillBackground(false);
    SetBorderStyle(bsSingle);
    timer_.setInterval(60);
    connect(&timer_, &QTimer::timeout, this, [this] { TimerTick(); });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this](int v) { ScrollBarMoved(true, v); });
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this,
            [this](int v) { ScrollBarMoved(false, v); });
    verticalScrollBar()->setTracking(false);
    horizontalScrollBar()->setTracking(false);
    UpdateScrollRange();
}

TCustomGrid::~TCustomGrid() = default;

// ---- Axes ----

int TCustomGrid::Axis::Extent(int i) const {
    return size_t(i) < extents->size() ? (*extents)[size_t(i)] : defaultExtent;
}

int TCustomGrid::Axis::Step(int i) const {
    int e = Extent(i);
    return e < 0 ? 0 : e + lineWidth;
}

TCustomGrid::Axis TCustomGrid::MakeAxis(const std::vector<int>& ext, int def, int lw, int fixed,
                                        int first, int count, int view) const {
    Axis a{};
    a.extents = &ext;
    a.defaultExtent = def;
    a.lineWidth = lw;
    a.fixedCount = fixed;
    a.firstCell = first;
    a.cellCount = count;
    a.viewExtent = view;
    a.fixedBoundary = 0;
    for (int i = 0; i < fixed; ++i) a.fixedBoundary += a.Step(i);
    a.gridBoundary = a.fixedBoundary;
    a.fullVisBoundary = a.fixedBoundary;
    a.lastFullVisibleCell = first;
    for (int i = first; i < count; ++i) {
        a.gridBoundary += a.Step(i);
        if (a.gridBoundary > view + lw) {
            a.gridBoundary = view;
            break;
        }
        a.lastFullVisibleCell = i;
        a.fullVisBoundary = a.gridBoundary;
    }
    return a;
}

TCustomGrid::Axis TCustomGrid::HorzAxis() const {
    const int lw =
        (options_.Contains(goFixedVertLine) || options_.Contains(goVertLine)) ? gridLineWidth_ : 0;
    return MakeAxis(colWidths_, defaultColWidth_, lw, fixedCols_, topLeft_.X, colCount_,
                    ClientWidth());
}

TCustomGrid::Axis TCustomGrid::VertAxis() const {
    const int lw =
        (options_.Contains(goFixedHorzLine) || options_.Contains(goHorzLine)) ? gridLineWidth_ : 0;
    return MakeAxis(rowHeights_, defaultRowHeight_, lw, fixedRows_, topLeft_.Y, rowCount_,
                    ClientHeight());
}

bool TCustomGrid::AxisSpan(const Axis& a, int i, int& start, int& end) {
    if (i < 0 || i >= a.cellCount || a.Hidden(i)) return false;
    if (i < a.fixedCount) {
        start = 0;
        for (int j = 0; j < i; ++j) start += a.Step(j);
    } else {
        if (i < a.firstCell) return false;
        start = a.fixedBoundary;
        for (int j = a.firstCell; j < i; ++j) {
            start += a.Step(j);
            if (start >= a.viewExtent) return false;
        }
    }
    if (start >= a.viewExtent) return false;
    end = std::min(start + a.Extent(i), a.viewExtent);
    return end > start;
}

int TCustomGrid::AxisCoord(const Axis& a, int n) {
    if (n < 0) return -1;
    if (n < a.fixedBoundary) {
        int line = 0;
        for (int i = 0; i < a.fixedCount; ++i) {
            line += a.Step(i);
            if (n < line) return i;
        }
        return -1;
    }
    int line = a.fixedBoundary;
    for (int i = a.firstCell; i < a.cellCount; ++i) {
        line += a.Step(i);
        if (n < line) return i;
    }
    return -1;
}

int TCustomGrid::CalcMaxCell(const Axis& a, int last) {
    int result = -1;
    int line = a.viewExtent + a.lineWidth;
    for (int i = last; i >= a.fixedCount; --i) {
        if (a.Hidden(i)) continue;
        line -= a.Step(i);
        if (line < a.fixedBoundary) {
            if (result < 0) result = i;  // taller than the view: it goes to the top
            break;
        }
        result = i;
    }
    return result < 0 ? a.fixedCount : result;
}

int TCustomGrid::CellStart(const Axis& a, int i) {
    int line = a.fixedBoundary;
    for (int j = a.firstCell; j < i; ++j) line += a.Step(j);
    return line;
}

int TCustomGrid::MaxTopRow() const {
    return std::max(fixedRows_, CalcMaxCell(VertAxis(), rowCount_ - 1));
}
int TCustomGrid::MaxLeftCol() const {
    return std::max(fixedCols_, CalcMaxCell(HorzAxis(), colCount_ - 1));
}

int TCustomGrid::StepVisible(bool rows, int from, int dir) const {
    const int lo = rows ? fixedRows_ : fixedCols_;
    const int hi = (rows ? rowCount_ : colCount_) - 1;
    for (int i = from + dir; i >= lo && i <= hi; i += dir)
        if ((rows ? RowHeights(i) : ColWidths(i)) >= 0) return i;
    return from;
}

int TCustomGrid::NearestVisible(bool rows, int i, int dir) const {
    const int lo = rows ? fixedRows_ : fixedCols_;
    const int hi = (rows ? rowCount_ : colCount_) - 1;
    i = std::clamp(i, lo, std::max(lo, hi));
    if ((rows ? RowHeights(i) : ColWidths(i)) >= 0) return i;
    int j = StepVisible(rows, i, dir);
    if (j != i) return j;
    return StepVisible(rows, i, -dir);
}

bool TCustomGrid::RangeSelectActive() const {
    return options_.Contains(goRangeSelect) && !options_.Contains(goEditing);
}

int TCustomGrid::ClientWidth() const { return viewport()->width(); }
int TCustomGrid::ClientHeight() const { return viewport()->height(); }

// ---- Counts ----

void TCustomGrid::SetColCount(int Value) {
    if (Value < 1) Value = 1;
    if (Value == colCount_) return;
    if (Value <= fixedCols_) SetFixedCols(Value - 1);
    ChangeSize(Value, rowCount_);
}

void TCustomGrid::SetRowCount(int Value) {
    if (Value < 1) Value = 1;
    if (Value == rowCount_) return;
    if (Value <= fixedRows_) SetFixedRows(Value - 1);
    ChangeSize(colCount_, Value);
}

void TCustomGrid::SetFixedCols(int Value) {
    if (Value == fixedCols_) return;
    if (Value < 0) InvalidOp(SGridIndexOutOfRange);
    if (Value >= colCount_) InvalidOp(SFixedColTooBig);
    fixedCols_ = Value;
    Initialize();
    UpdateScrollRange();
    Invalidate();
    UpdateEdit();
}

void TCustomGrid::SetFixedRows(int Value) {
    if (Value == fixedRows_) return;
    if (Value < 0) InvalidOp(SGridIndexOutOfRange);
    if (Value >= rowCount_) InvalidOp(SFixedRowTooBig);
    fixedRows_ = Value;
    Initialize();
    UpdateScrollRange();
    Invalidate();
    UpdateEdit();
}

void TCustomGrid::Initialize() {
    topLeft_ = {fixedCols_, fixedRows_};
    current_ = topLeft_;
    anchor_ = current_;
    if (options_.Contains(goRowSelect)) anchor_.X = colCount_ - 1;
    UpdateScrollPos();
}

void TCustomGrid::ChangeSize(int NewColCount, int NewRowCount) {
    const int oldCols = colCount_, oldRows = rowCount_;
    colCount_ = NewColCount;
    rowCount_ = NewRowCount;
    if (fixedCols_ >= colCount_) fixedCols_ = colCount_ - 1;
    if (fixedRows_ >= rowCount_) fixedRows_ = rowCount_ - 1;
    if (SizeChangeDeferred()) return;
    ApplySizeChange(oldCols, oldRows);
}

void TCustomGrid::ApplySizeChange(int OldColCount, int OldRowCount) {
    try {
        DoSizeChange(OldColCount, OldRowCount);
    } catch (...) {
        colCount_ = std::max(1, OldColCount);
        rowCount_ = std::max(1, OldRowCount);
        if (fixedCols_ >= colCount_) fixedCols_ = colCount_ - 1;
        if (fixedRows_ >= rowCount_) fixedRows_ = rowCount_ - 1;
        try {
            DoSizeChange(OldColCount, OldRowCount);
        } catch (...) {
        }
        Invalidate();
        throw;
    }
}

void TCustomGrid::DoSizeChange(int OldColCount, int OldRowCount) {
    colWidths_.resize(size_t(colCount_), defaultColWidth_);
    tabStops_.resize(size_t(colCount_), true);
    rowHeights_.resize(size_t(rowCount_), defaultRowHeight_);
    TGridCoord c = current_;
    if (c.Y >= rowCount_) c.Y = rowCount_ - 1;
    if (c.X >= colCount_) c.X = colCount_ - 1;
    if (!(c == current_)) {
        // The cell-selection check is asked as the Windows grid asked it; a refusal must
        // not leave the current cell outside the grid.
        if (!MoveCurrent(c.X, c.Y, true, true) || current_.X >= colCount_ ||
            current_.Y >= rowCount_) {
            if (!options_.Contains(goAlwaysShowEditor)) HideEditor();
            current_ = c;
            anchor_ = c;
        }
    }
    anchor_.X = std::min(anchor_.X, colCount_ - 1);
    anchor_.Y = std::min(anchor_.Y, rowCount_ - 1);
    if (options_.Contains(goRowSelect)) anchor_.X = colCount_ - 1;
    UpdateScrollRange();
    Invalidate();
    UpdateEdit();
    SizeChanged(OldColCount, OldRowCount);
}

// ---- Extents ----

void TCustomGrid::SetDefaultColWidth(int Value) {
    defaultColWidth_ = Value;
    std::fill(colWidths_.begin(), colWidths_.end(), Value);
    ColWidthsChanged();
    Invalidate();
}

void TCustomGrid::SetDefaultRowHeight(int Value) {
    defaultRowHeight_ = Value;
    std::fill(rowHeights_.begin(), rowHeights_.end(), Value);
    RowHeightsChanged();
    Invalidate();
}

int TCustomGrid::ColWidths(int ACol) const {
    return ACol >= 0 && size_t(ACol) < colWidths_.size() ? colWidths_[size_t(ACol)]
                                                         : defaultColWidth_;
}

int TCustomGrid::RowHeights(int ARow) const {
    return ARow >= 0 && size_t(ARow) < rowHeights_.size() ? rowHeights_[size_t(ARow)]
                                                          : defaultRowHeight_;
}

void TCustomGrid::SetColWidths(int ACol, int Value) {
    if (ACol < 0 || ACol >= colCount_) InvalidOp(SGridIndexOutOfRange);
    if (colWidths_.size() < size_t(colCount_))
        colWidths_.resize(size_t(colCount_), defaultColWidth_);
    if (colWidths_[size_t(ACol)] == Value) return;
    colWidths_[size_t(ACol)] = Value;
    Invalidate();
    ColWidthsChanged();
}

void TCustomGrid::SetRowHeights(int ARow, int Value) {
    if (ARow < 0 || ARow >= rowCount_) InvalidOp(SGridIndexOutOfRange);
    if (rowHeights_.size() < size_t(rowCount_))
        rowHeights_.resize(size_t(rowCount_), defaultRowHeight_);
    if (rowHeights_[size_t(ARow)] == Value) return;
    rowHeights_[size_t(ARow)] = Value;
    Invalidate();
    RowHeightsChanged();
}

bool TCustomGrid::TabStops(int ACol) const {
    return ACol >= 0 && size_t(ACol) < tabStops_.size() ? tabStops_[size_t(ACol)] : true;
}

void TCustomGrid::SetTabStops(int ACol, bool Value) {
    if (ACol < 0 || ACol >= colCount_) InvalidOp(SGridIndexOutOfRange);
    if (tabStops_.size() < size_t(colCount_)) tabStops_.resize(size_t(colCount_), true);
    tabStops_[size_t(ACol)] = Value;
}

void TCustomGrid::SetGridLineWidth(int Value) {
    if (Value < 0) Value = 0;
    if (Value == gridLineWidth_) return;
    gridLineWidth_ = Value;
    UpdateScrollRange();
    Invalidate();
    UpdateEdit();
}

void TCustomGrid::ColWidthsChanged() {
    UpdateScrollRange();
    UpdateEdit();
}

void TCustomGrid::RowHeightsChanged() {
    UpdateScrollRange();
    UpdateEdit();
}

// ---- Options and looks ----

void TCustomGrid::SetOptions(TGridOptions Value) {
    if (Value.Contains(goRowSelect)) Value -= goAlwaysShowEditor;
    if (Value == options_) return;
    const TGridOptions old = options_;
    options_ = Value;
    if (Value.Contains(goRowSelect) && !old.Contains(goRowSelect)) {
        current_.X = fixedCols_;
        anchor_ = {colCount_ - 1, current_.Y};
    } else if (!Value.Contains(goRowSelect) && old.Contains(goRowSelect)) {
        anchor_ = current_;
    }
    if (!RangeSelectActive()) {
        anchor_ = current_;
        if (Value.Contains(goRowSelect)) anchor_.X = colCount_ - 1;
    }
    const bool canEdit = Value.Contains(goEditing) && !Value.Contains(goRowSelect);
    if (!canEdit) HideEditor();
    else if (!editorMode_) {
        if (Value.Contains(goAlwaysShowEditor)) ShowEditor();
        else HideEditor();
    }
    verticalScrollBar()->setTracking(Value.Contains(goThumbTracking));
    horizontalScrollBar()->setTracking(Value.Contains(goThumbTracking));
    UpdateScrollRange();
    Invalidate();
    UpdateEdit();
}

void TCustomGrid::SetScrollBars(TScrollStyle Value) {
    if (Value == scrollBars_) return;
    scrollBars_ = Value;
    UpdateScrollRange();
}

void TCustomGrid::SetBorderStyle(TBorderStyle Value) {
    borderStyle_ = Value;
    if (Value == bsNone) setFrameStyle(QFrame::NoFrame);
    else setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
}

void TCustomGrid::SetDefaultDrawing(bool Value) {
    if (Value == defaultDrawing_) return;
    defaultDrawing_ = Value;
    Invalidate();
}

void TCustomGrid::SetColor(TColor Value) {
    color_ = Value;
    Invalidate();
}

void TCustomGrid::SetFixedColor(TColor Value) {
    fixedColor_ = Value;
    Invalidate();
}

// ---- Current cell and selection ----

void TCustomGrid::SetCol(int Value) {
    if (Value != current_.X) FocusCell(Value, current_.Y, true);
}

void TCustomGrid::SetRow(int Value) {
    if (Value != current_.Y) FocusCell(current_.X, Value, true);
}

TGridRect TCustomGrid::Selection() const {
    return {std::min(current_.X, anchor_.X), std::min(current_.Y, anchor_.Y),
            std::max(current_.X, anchor_.X), std::max(current_.Y, anchor_.Y)};
}

void TCustomGrid::SetSelection(TGridRect Value) {
    auto inside = [this](int c, int r) {
        return c >= 0 && r >= 0 && c < colCount_ && r < rowCount_;
    };
    if (!inside(Value.Left, Value.Top) || !inside(Value.Right, Value.Bottom))
        InvalidOp(SGridIndexOutOfRange);
    const TGridRect oldSel = Selection();
    anchor_ = {Value.Left, Value.Top};
    current_ = {Value.Right, Value.Bottom};
    SelectionMoved(oldSel);
    UpdateEdit();
}

void TCustomGrid::FocusCell(int ACol, int ARow, bool MoveAnchor) {
    MoveCurrent(ACol, ARow, MoveAnchor, true);
    UpdateEdit();
    Click();
}

bool TCustomGrid::MoveCurrent(int ACol, int ARow, bool MoveAnchor, bool Show) {
    if (ACol < 0 || ARow < 0 || ACol >= colCount_ || ARow >= rowCount_)
        InvalidOp(SGridIndexOutOfRange);
    if (!SelectCell(ACol, ARow)) return false;
    const TGridRect oldSel = Selection();
    const TGridCoord oldCurrent = current_;
    current_ = {ACol, ARow};
    if (!options_.Contains(goAlwaysShowEditor)) HideEditor();
    if (MoveAnchor || !RangeSelectActive()) {
        anchor_ = current_;
        if (options_.Contains(goRowSelect)) anchor_.X = colCount_ - 1;
    }
    if (options_.Contains(goRowSelect)) current_.X = fixedCols_;
    if (Show) ClampInView(current_);
    SelectionMoved(oldSel);
    InvalidateCell(oldCurrent.X, oldCurrent.Y);
    InvalidateCell(current_.X, current_.Y);
    return true;
}

void TCustomGrid::MoveAnchor(TGridCoord NewAnchor) {
    if (RangeSelectActive()) {
        const TGridRect oldSel = Selection();
        anchor_ = NewAnchor;
        if (options_.Contains(goRowSelect)) anchor_.X = colCount_ - 1;
        ClampInView(NewAnchor);
        SelectionMoved(oldSel);
    } else {
        MoveCurrent(NewAnchor.X, NewAnchor.Y, true, true);
    }
}

void TCustomGrid::SelectionMoved(const TGridRect& OldSel) {
    const TGridRect sel = Selection();
    if (sel == OldSel) return;
    InvalidateBox(OldSel);
    InvalidateBox(sel);
}

void TCustomGrid::InvalidateBox(const TGridRect& r) {
    if (r.Left == r.Right && r.Top == r.Bottom) InvalidateCell(r.Left, r.Top);
    else if (r.Top == r.Bottom) InvalidateRow(r.Top);
    else Invalidate();
}

// ---- Scrolling ----

void TCustomGrid::SetTopRow(int Value) { MoveTopLeft(topLeft_.X, Value); }
void TCustomGrid::SetLeftCol(int Value) { MoveTopLeft(Value, topLeft_.Y); }

int TCustomGrid::VisibleRowCount() const { return VertAxis().lastFullVisibleCell - topLeft_.Y + 1; }
int TCustomGrid::VisibleColCount() const { return HorzAxis().lastFullVisibleCell - topLeft_.X + 1; }

void TCustomGrid::MoveTopLeft(int ALeft, int ATop) {
    ALeft = std::clamp(ALeft, fixedCols_, MaxLeftCol());
    ATop = std::clamp(ATop, fixedRows_, MaxTopRow());
    if (ALeft == topLeft_.X && ATop == topLeft_.Y) return;
    const TGridCoord old = topLeft_;
    topLeft_ = {ALeft, ATop};
    TopLeftMoved(old);
}

void TCustomGrid::TopLeftMoved(TGridCoord) {
    UpdateScrollPos();
    Invalidate();
    TopLeftChanged();
}

void TCustomGrid::TopLeftChanged() {
    if (editorMode_ && editor_ && inplaceCol_ >= 0)
        editor_->UpdateLoc(CellRect(current_.X, current_.Y));
}

void TCustomGrid::ClampInView(TGridCoord Coord) {
    const Axis h = HorzAxis(), v = VertAxis();
    TGridCoord nt = topLeft_;
    if (Coord.X >= fixedCols_) {
        if (Coord.X < topLeft_.X) nt.X = Coord.X;
        else if (Coord.X > h.lastFullVisibleCell) nt.X = CalcMaxCell(h, Coord.X);
    }
    if (Coord.Y >= fixedRows_) {
        if (Coord.Y < topLeft_.Y) nt.Y = Coord.Y;
        else if (Coord.Y > v.lastFullVisibleCell) nt.Y = CalcMaxCell(v, Coord.Y);
    }
    if (!(nt == topLeft_)) MoveTopLeft(nt.X, nt.Y);
}

void TCustomGrid::UpdateScrollRange() {
    const TGridCoord old = topLeft_;
    const int maxTop = MaxTopRow(), maxLeft = MaxLeftCol();
    topLeft_.X = std::clamp(topLeft_.X, fixedCols_, maxLeft);
    topLeft_.Y = std::clamp(topLeft_.Y, fixedRows_, maxTop);
    const bool saved = settingScroll_;
    settingScroll_ = true;
    const bool vert = scrollBars_ == ssVertical || scrollBars_ == ssBoth;
    const bool horz = scrollBars_ == ssHorizontal || scrollBars_ == ssBoth;
    const auto vp = vert ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff;
    const auto hp = horz ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff;
    if (verticalScrollBarPolicy() != vp) setVerticalScrollBarPolicy(vp);
    if (horizontalScrollBarPolicy() != hp) setHorizontalScrollBarPolicy(hp);
    QScrollBar* vb = verticalScrollBar();
    vb->setRange(0, vert ? maxTop - fixedRows_ : 0);
    vb->setSingleStep(1);
    vb->setPageStep(std::max(1, VisibleRowCount()));
    vb->setValue(topLeft_.Y - fixedRows_);
    QScrollBar* hb = horizontalScrollBar();
    hb->setRange(0, horz ? maxLeft - fixedCols_ : 0);
    hb->setSingleStep(1);
    hb->setPageStep(std::max(1, VisibleColCount()));
    hb->setValue(topLeft_.X - fixedCols_);
    settingScroll_ = saved;
    if (!(topLeft_ == old)) TopLeftMoved(old);
}

void TCustomGrid::UpdateScrollPos() {
    const bool saved = settingScroll_;
    settingScroll_ = true;
    verticalScrollBar()->setValue(topLeft_.Y - fixedRows_);
    horizontalScrollBar()->setValue(topLeft_.X - fixedCols_);
    settingScroll_ = saved;
}

void TCustomGrid::ScrollBarMoved(bool vertical, int value) {
    if (settingScroll_) return;
    const int fixed = vertical ? fixedRows_ : fixedCols_;
    const int cur = vertical ? topLeft_.Y : topLeft_.X;
    int target = fixed + value;
    if (target != cur) target = NearestVisible(vertical, target, target > cur ? 1 : -1);
    if (vertical) MoveTopLeft(topLeft_.X, target);
    else MoveTopLeft(target, topLeft_.Y);
    UpdateScrollPos();
}

void TCustomGrid::resizeEvent(QResizeEvent* e) {
    QAbstractScrollArea::resizeEvent(e);
    UpdateScrollRange();
    UpdateEdit();
}

void TCustomGrid::scrollContentsBy(int, int) {
    // Scrolling is by whole cells through TopRow and LeftCol, never by pixels.
}

// ---- Geometry ----

QRect TCustomGrid::CellRect(int ACol, int ARow) const {
    int l, r, t, b;
    if (!AxisSpan(HorzAxis(), ACol, l, r) || !AxisSpan(VertAxis(), ARow, t, b)) return QRect();
    return QRect(l, t, r - l, b - t);
}

TGridCoord TCustomGrid::MouseCoord(int X, int Y) const {
    TGridCoord c{AxisCoord(HorzAxis(), X), AxisCoord(VertAxis(), Y)};
    if (c.X < 0) c.Y = -1;
    else if (c.Y < 0) c.X = -1;
    return c;
}

void TCustomGrid::MouseToCell(int X, int Y, int& ACol, int& ARow) const {
    const TGridCoord c = MouseCoord(X, Y);
    ACol = c.X;
    ARow = c.Y;
}

// ---- Invalidation ----

void TCustomGrid::Invalidate() { viewport()->update(); }

void TCustomGrid::InvalidateCell(int ACol, int ARow) {
    const QRect r = CellRect(ACol, ARow);
    if (r.isEmpty()) return;
    viewport()->update(r.adjusted(0, 0, gridLineWidth_, gridLineWidth_));
}

void TCustomGrid::InvalidateRow(int ARow) {
    int t, b;
    if (!AxisSpan(VertAxis(), ARow, t, b)) return;
    viewport()->update(QRect(0, t, ClientWidth(), b - t + gridLineWidth_));
}

void TCustomGrid::InvalidateCol(int ACol) {
    int l, r;
    if (!AxisSpan(HorzAxis(), ACol, l, r)) return;
    viewport()->update(QRect(l, 0, r - l + gridLineWidth_, ClientHeight()));
}

// ---- Moves and deletes ----

void TCustomGrid::MoveAdjust(int& CellPos, int FromIndex, int ToIndex) const {
    if (CellPos == FromIndex) {
        CellPos = ToIndex;
        return;
    }
    const int lo = std::min(FromIndex, ToIndex), hi = std::max(FromIndex, ToIndex);
    if (CellPos >= lo && CellPos <= hi) CellPos += FromIndex > ToIndex ? 1 : -1;
}

void TCustomGrid::MoveColumn(int FromIndex, int ToIndex) {
    if (FromIndex == ToIndex) return;
    if (FromIndex < 0 || ToIndex < 0) InvalidOp(SGridIndexOutOfRange);
    const bool widths = RotateVirtual<int>(colWidths_, defaultColWidth_, FromIndex, ToIndex);
    std::vector<char> stops(tabStops_.begin(), tabStops_.end());
    if (RotateVirtual<char>(stops, char(1), FromIndex, ToIndex))
        tabStops_.assign(stops.begin(), stops.end());
    MoveAdjust(current_.X, FromIndex, ToIndex);
    MoveAdjust(anchor_.X, FromIndex, ToIndex);
    if (inplaceCol_ >= 0) MoveAdjust(inplaceCol_, FromIndex, ToIndex);
    if (options_.Contains(goRowSelect)) {
        current_.X = fixedCols_;
        anchor_.X = colCount_ - 1;
    }
    Invalidate();
    ColumnMoved(FromIndex, ToIndex);
    if (widths) ColWidthsChanged();
    UpdateEdit();
}

void TCustomGrid::MoveRow(int FromIndex, int ToIndex) {
    if (FromIndex == ToIndex) return;
    if (FromIndex < 0 || ToIndex < 0) InvalidOp(SGridIndexOutOfRange);
    const bool heights = RotateVirtual<int>(rowHeights_, defaultRowHeight_, FromIndex, ToIndex);
    MoveAdjust(current_.Y, FromIndex, ToIndex);
    MoveAdjust(anchor_.Y, FromIndex, ToIndex);
    if (inplaceRow_ >= 0) MoveAdjust(inplaceRow_, FromIndex, ToIndex);
    Invalidate();
    RowMoved(FromIndex, ToIndex);
    if (heights) RowHeightsChanged();
    UpdateEdit();
}

void TCustomGrid::DeleteColumn(int ACol) {
    if (ACol < 0 || ACol >= colCount_) InvalidOp(SGridIndexOutOfRange);
    MoveColumn(ACol, colCount_ - 1);
    SetColCount(colCount_ - 1);
}

void TCustomGrid::DeleteRow(int ARow) {
    if (ARow < 0 || ARow >= rowCount_) InvalidOp(SGridIndexOutOfRange);
    MoveRow(ARow, rowCount_ - 1);
    SetRowCount(rowCount_ - 1);
}

// ---- Default virtuals ----

void TCustomGrid::DrawCell(int, int, const QRect&, TGridDrawState) {}
bool TCustomGrid::SelectCell(int, int) { return true; }
void TCustomGrid::SizeChanged(int, int) {}
void TCustomGrid::ColumnMoved(int, int) {}
void TCustomGrid::RowMoved(int, int) {}
QString TCustomGrid::GetEditText(int, int) { return QString(); }
void TCustomGrid::SetEditText(int, int, const QString&) {}
bool TCustomGrid::CanEditModify() { return true; }

}  // namespace kiv
