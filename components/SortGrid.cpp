// The sort grid's model: construction, sorting, filtering, rows and columns, the selected
// rows, the format lists and the modified state.
#include "components/SortGrid.h"

#include <QLocale>
#include <algorithm>

#include "platform/qt/Dialogs.h"

namespace kiv {

namespace {

// The number, date and time formats for sorting, from the locale, once per run.
void TakeSortFormatsFromLocale() {
    if (SortFormatSettingsSet()) return;
    const QLocale loc = QLocale::system();
    TFormatSettings f;
    const QString dec = loc.decimalPoint();
    if (dec.size() == 1 && dec[0].unicode() < 0x80) f.DecimalSeparator = char(dec[0].unicode());
    const QString date = loc.dateFormat(QLocale::ShortFormat);
    const qsizetype d = date.indexOf('d'), m = date.indexOf('M'), y = date.indexOf('y');
    if (d >= 0 && m >= 0 && y >= 0) {
        if (y < m && m < d) f.DateOrder = TFormatSettings::doYMD;
        else if (d < m) f.DateOrder = TFormatSettings::doDMY;
        else f.DateOrder = TFormatSettings::doMDY;
    }
    for (QChar c : date)
        if (!c.isLetter() && c.unicode() < 0x80 && c != ' ') {
            f.DateSeparator = char(c.unicode());
            break;
        }
    for (QChar c : loc.timeFormat(QLocale::ShortFormat))
        if (!c.isLetter() && c.unicode() < 0x80 && c != ' ') {
            f.TimeSeparator = char(c.unicode());
            break;
        }
    if (!loc.amText().isEmpty()) f.TimeAMString = loc.amText().toStdString();
    if (!loc.pmText().isEmpty()) f.TimePMString = loc.pmText().toStdString();
    SetSortFormatSettings(f);
}

// Moves entry From to To as a row (column) move does; entries past the end are defaults.
void RotateFormats(TFontList& list, int From, int To) {
    if (From < 0 || To < 0 || From == To) return;
    const size_t n = list.size();
    const size_t hi = size_t(std::max(From, To));
    if (hi >= n) list.resize(hi + 1);
    const TFontSetting v = list[size_t(From)];
    list.erase(list.begin() + From);
    list.insert(list.begin() + To, v);
    list.resize(n);
}

// Turns goAlwaysShowEditor off for the scope, and back on when it was on.
class EditorAlwaysOff {
public:
    explicit EditorAlwaysOff(TCustomGrid* g)
        : g_(g), was_(g->Options().Contains(goAlwaysShowEditor)) {
        if (was_) g_->SetOptions(g_->Options() - goAlwaysShowEditor);
    }
    ~EditorAlwaysOff() {
        if (was_) g_->SetOptions(g_->Options() | goAlwaysShowEditor);
    }

private:
    TCustomGrid* g_;
    bool was_;
};

}  // namespace

// ---- Construction ----

TSortGrid::TSortGrid(QWidget* parent) : TMyStringGrid(parent) {
    TakeSortFormatsFromLocale();
    TMyStringGrid::SetFixedCols(0);
    FitFormatLists();
    selectedRows_ = {Row()};
    anchors_ = {Row()};
    arrowUp_ = SortGridBitmap("UP");
    arrowDown_ = SortGridBitmap("DOWN");
    checked_ = SortGridBitmap("CHECKED");
    unchecked_ = SortGridBitmap("UNCHECKED");
    comboButton_ = SortGridBitmap("COMBOBOX");
    ellipsisButton_ = SortGridBitmap("ELLIPSIS");
    list_ = new QListWidget(this);
    listObject_ = list_.data();
    list_->setObjectName(QStringLiteral("SortGridList"));
    list_->setSortingEnabled(true);
    list_->setFocusPolicy(Qt::ClickFocus);
    list_->setFrameShape(QFrame::NoFrame);
    list_->hide();
    list_->installEventFilter(this);
    list_->viewport()->installEventFilter(this);
}

TSortGrid::~TSortGrid() {
    // The list lives on the grid's window while it is dropped down.
    if (list_ && list_->parent() != this) delete list_.data();
}

// ---- State ----

void TSortGrid::SetModified(bool Value) {
    const bool was = modified_;
    modified_ = Value;
    if (Value && !was && OnModified) OnModified(this);
}

void TSortGrid::SetUserSettings(const QStringList& Value) {
    userSettings_ = Value;
    SetModified(true);
}

void TSortGrid::SetHideRows(bool Value) {
    hideRows_ = Value;
    Invalidate();
}

void TSortGrid::SetAlignmentHorz(TAlignment Value) {
    alignmentHorz_ = Value;
    Invalidate();
}

void TSortGrid::SetAlignmentVert(TVertAlignment Value) {
    alignmentVert_ = Value;
    Invalidate();
}

void TSortGrid::SetBevelStyle(TCellBevelStyle Value) {
    bevelStyle_ = Value;
    Invalidate();
}

void TSortGrid::SetProportionalScrollBars(bool Value) {
    proportionalScrollBars_ = Value;
    UpdateProportionalScrollBars();
}

void TSortGrid::SetMultiSelect(bool Value) {
    multiSelect_ = Value;
    if (Value) SetOptions(Options() | goRowSelect);
    Invalidate();
}

void TSortGrid::BeginUpdate() {
    TMyStringGrid::BeginUpdate();
    // A repeated BeginUpdate must not save the switched-off value over the caller's.
    if (!updateSaved_) {
        savedUpdateOnSizeChange_ = sortOptions_.UpdateOnSizeChange;
        updateSaved_ = true;
    }
    sortOptions_.UpdateOnSizeChange = false;
}

void TSortGrid::EndUpdate() {
    struct Restore {
        TSortGrid* g;
        ~Restore() {
            if (g->updateSaved_) g->sortOptions_.UpdateOnSizeChange = g->savedUpdateOnSizeChange_;
            g->updateSaved_ = false;
        }
    };
    {
        Restore restore{this};
        TMyStringGrid::EndUpdate();
    }
    if (OnEndUpdate) OnEndUpdate(this);
}

void TSortGrid::InUpdate(const std::function<void()>& Work) {
    // Rows move: the cell an edit began in is remembered afresh when the editor loads.
    editCol_ = editRow_ = -1;
    // Updates do not nest: inside another one the work runs in that one.
    if (NowUpdating()) {
        Work();
        return;
    }
    BeginUpdate();
    try {
        Work();
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TSortGrid::FitFormatLists() {
    colFormats_.resize(size_t(std::max(0, ColCount())));
    rowFormats_.resize(size_t(std::max(0, RowCount())));
}

// ---- Row copies ----

TSortGrid::RowCopy TSortGrid::CopyRow(int ARow) const {
    RowCopy r;
    const int n = ColCount();
    r.texts.reserve(n + 1);
    r.objects.reserve(size_t(n));
    for (int c = 0; c <= n; ++c) r.texts << Cells(c, ARow);
    for (int c = 0; c < n; ++c) r.objects.push_back(Objects(c, ARow));
    return r;
}

void TSortGrid::WriteRow(int ARow, const RowCopy& Row) {
    const int n = ColCount();
    for (int c = 0; c <= n; ++c) SetCells(c, ARow, c < Row.texts.size() ? Row.texts[c] : QString());
    for (int c = 0; c < n; ++c)
        SetObjects(c, ARow, size_t(c) < Row.objects.size() ? Row.objects[size_t(c)] : nullptr);
}

void TSortGrid::ClearRow(int ARow) {
    for (int c = 0; c <= ColCount(); ++c) {
        SetCells(c, ARow, QString());
        if (c < ColCount()) SetObjects(c, ARow, nullptr);
    }
}

bool TSortGrid::RowEmpty(int ARow) const {
    for (int c = 0; c < ColCount(); ++c)
        if (!Cells(c, ARow).isEmpty()) return false;
    return true;
}

void TSortGrid::AppendEmptyRow() {
    // The slot after the rows the filter keeps is free; it moves in front of them, so
    // they stay right after the shown rows, in their order.
    const int slot = RowCount() + filteredOut_;
    ClearRow(slot);
    if (filteredOut_ > 0) TCustomGrid::MoveRow(slot, RowCount());
    SetRowCount(RowCount() + 1);
}

// ---- Selection lists ----

QStringList TSortGrid::SelectedRows() const {
    QStringList l;
    for (int r : selectedRows_) l << QString::number(r);
    return l;
}

bool TSortGrid::RowSelected(int ARow) const {
    return std::find(selectedRows_.begin(), selectedRows_.end(), ARow) != selectedRows_.end();
}

void TSortGrid::AddSelected(int ARow) {
    if (!RowSelected(ARow)) selectedRows_.push_back(ARow);
    anchors_.push_back(ARow);
    InvalidateRow(ARow);
}

void TSortGrid::SelectOnly(int ARow) {
    for (int r : selectedRows_) InvalidateRow(r);
    selectedRows_ = {ARow};
    anchors_ = {ARow};
    InvalidateRow(ARow);
}

void TSortGrid::ClearSelection() {
    for (int r : selectedRows_) InvalidateRow(r);
    selectedRows_.clear();
    anchors_.resize(1);
    anchors_[0] = -1;
}

void TSortGrid::SelectCell(int ACol, int ARow, bool ScrollIntoView) {
    if (RowCount() < 2 || ColCount() < 1) return;
    ACol = std::clamp(ACol, 0, ColCount() - 1);
    ARow = std::clamp(ARow, 1, RowCount() - 1);
    if (!SelectCell(ACol, ARow)) return;
    const bool lock = updatesEnabled();
    if (lock) setUpdatesEnabled(false);
    struct Unlock {
        TSortGrid* g;
        bool lock;
        ~Unlock() {
            if (lock) g->setUpdatesEnabled(true);
        }
    } unlock{this, lock};
    MoveCurrent(ACol, ARow, true, false);
    SelectOnly(ARow);
    Invalidate();
    if (ScrollIntoView) {
        ClampInView({ACol, TopRow()});
        SetTopRow(std::max(1, ARow - 1));
    }
}

// ---- Sorting ----

void TSortGrid::SortByColumn(int ACol) {
    if (!sortOptions_.CanSort) return;
    sortOptions_.SortCol = ACol;
    sorting_ = true;
    struct Finish {
        TSortGrid* g;
        ~Finish() {
            g->sorting_ = false;
            g->sortOptions_.SortCompare = nullptr;
        }
    } finish{this};
    InUpdate([&] {
        if (OnBeginSort) OnBeginSort(this, ACol);
        std::vector<int> wasSelected = selectedRows_;
        std::sort(wasSelected.begin(), wasSelected.end());

        const int n = std::max(0, RowCount() - 1);
        std::vector<RowCopy> copies;
        std::vector<std::vector<std::string>> rows(static_cast<size_t>(n));
        copies.reserve(size_t(n));
        for (int r = 1; r <= n; ++r) {
            copies.push_back(CopyRow(r));
            auto& texts = rows[size_t(r - 1)];
            texts.reserve(size_t(ColCount()));
            for (int c = 0; c < ColCount(); ++c)
                texts.push_back(copies.back().texts[c].toStdString());
        }
        std::vector<TFontSetting> formats(static_cast<size_t>(n));
        for (int r = 1; r <= n; ++r)
            if (size_t(r) < rowFormats_.size()) formats[size_t(r - 1)] = rowFormats_[size_t(r)];

        TSortRequest req;
        req.Keys = SortKeyColumns(ACol, sortOptions_.SecondaryIndex);
        req.CaseSensitive = sortOptions_.SortCaseSensitive;
        req.Direction = sortOptions_.SortDirection;
        req.Custom = sortOptions_.SortCompare;
        req.StyleOf = [this](int col, const std::vector<std::string>& cells) {
            if (OnGetSortStyle) {
                TSortStyle s = sortOptions_.SortStyle;
                OnGetSortStyle(this, col, s);
                sortOptions_.SortStyle = s;
            } else if (sortOptions_.SortStyle == ssAutomatic) {
                sortOptions_.SortStyle = DetectSortStyle(cells);
            }
            return sortOptions_.SortStyle;
        };
        const std::vector<int> order = SortOrder(rows, req);

        bool first = true;
        for (int j = 0; j < n; ++j) {
            const int from = order[size_t(j)];
            const int newRow = j + 1;
            WriteRow(newRow, copies[size_t(from)]);
            if (size_t(newRow) < rowFormats_.size())
                rowFormats_[size_t(newRow)] = formats[size_t(from)];
            if (std::binary_search(wasSelected.begin(), wasSelected.end(), from + 1)) {
                if (first) {
                    selectedRows_.clear();
                    anchors_.clear();
                    MoveCurrent(std::clamp(Col(), 0, ColCount() - 1), newRow, true, false);
                    first = false;
                }
                AddSelected(newRow);
            }
        }
        if (OnEndSort) OnEndSort(this, ACol);
    });
}

// ---- Filtering ----

void TSortGrid::SetFiltered(bool Value) {
    if (Value == filtered_) return;
    filtered_ = Value;
    if (Value && RowEmpty(1)) return;
    if (!Value && filteredOut_ == 0) return;
    const bool savedModified = modified_;
    struct Restore {
        TSortGrid* g;
        bool modified;
        ~Restore() { g->modified_ = modified; }
    } restore{this, savedModified};
    InUpdate([&] {
        if (Value) {
            filteredOut_ = 0;
            const int n = RowCount() - 1;
            std::vector<bool> accepted(size_t(std::max(0, n)));
            int acceptedCount = 0;
            for (int r = 1; r <= n; ++r) {
                bool accept = false;
                if (OnSetFilter) OnSetFilter(Rows(r), accept);
                accepted[size_t(r - 1)] = accept;
                acceptedCount += accept;
            }
            filteredOut_ = n - acceptedCount;
            std::vector<RowCopy> copies;
            copies.reserve(size_t(n));
            for (int r = 1; r <= n; ++r) copies.push_back(CopyRow(r));
            const std::vector<int> order = FilterOrder(accepted);
            for (int j = 0; j < n; ++j) WriteRow(j + 1, copies[size_t(order[size_t(j)])]);
            if (acceptedCount > 0) {
                SetRowCount(RowCount() - filteredOut_);
                SortByColumn(sortOptions_.SortCol);
            } else {
                // One empty data row stays shown; the slot after the rows is cleared of
                // anything a deletion left there, so that it is truly empty.
                const int slot = RowCount();
                ClearRow(slot);
                ExchangeRows(1, slot);
                SetRowCount(2);
            }
            SelectCell(0, 1, true);
        } else {
            SetRowCount(RowCount() + filteredOut_);
            filteredOut_ = 0;
            if (RowEmpty(1) && RowCount() > 2) DeleteRow(1);
            SortByColumn(sortOptions_.SortCol);
        }
    });
}

// ---- Rows and columns ----

void TSortGrid::AddRow(const QStringList& Strings) {
    int target;
    if (filtered_) {
        bool accept = true;
        if (OnSetFilter) OnSetFilter(Strings, accept);
        if (!accept) {
            ++filteredOut_;
            target = RowCount() - 1 + filteredOut_;
        } else if (RowCount() < 2 || !RowEmpty(1)) {
            AppendEmptyRow();
            target = RowCount() - 1;
        } else {
            target = 1;
        }
    } else {
        if (RowCount() < 2 || !RowEmpty(RowCount() - 1)) AppendEmptyRow();
        target = RowCount() - 1;
    }
    // Every cell of the row is written, so nothing a deletion left there shows again; a
    // text past the last column is the row's format.
    const int n = std::max<int>(ColCount() + 1, int(Strings.size()));
    for (int c = 0; c < n; ++c) SetCells(c, target, c < Strings.size() ? Strings[c] : QString());
}

void TSortGrid::Clear() {
    struct Unmodified {
        TSortGrid* g;
        ~Unmodified() { g->modified_ = false; }
    };
    {
        Unmodified unmodified{this};
        InUpdate([&] {
            colFormats_.clear();
            rowFormats_.clear();
            FitFormatLists();
            if (RowCount() >= 2) MoveCurrent(std::clamp(Col(), 0, ColCount() - 1), 1, true, false);
            selectedRows_ = {1};
            ClearSelection();
            anchors_[0] = 1;
            // The rows a filter keeps go too: they would come back when it is switched off.
            const int last = RowCount() - 1 + filteredOut_;
            for (int r = 1; r <= last; ++r) ClearRow(r);
            filteredOut_ = 0;
            SetRowCount(2);
        });
    }
    if (OnRowSelected) OnRowSelected(this);
}

void TSortGrid::InsertRow(int ARow) {
    AppendEmptyRow();
    {
        EditorAlwaysOff off(this);
        TCustomGrid::MoveRow(RowCount() - 1, ARow);
    }
    ClearRow(ARow);
    if (ARow >= 1 && ARow < RowCount()) {
        MoveCurrent(std::clamp(Col(), 0, ColCount() - 1), ARow, true, true);
        SelectOnly(ARow);
    }
    if (OnRowInsert) OnRowInsert(this, ARow);
}

void TSortGrid::InsertColumn(int ACol) {
    // The hidden row-format column moves out with the count.
    const int old = ColCount();
    MoveHiddenColumn(old, old + 1);
    SetColCount(old + 1);
    TCustomGrid::MoveColumn(ColCount() - 1, ACol);
    if (ACol >= 0 && ACol < ColCount()) SetCol(ACol);
    if (OnColumnInsert) OnColumnInsert(this, ACol);
}

void TSortGrid::MoveHiddenColumn(int From, int To) {
    const int last = RowCount() - 1 + filteredOut_;
    for (int r = 0; r <= last; ++r) {
        SetCells(To, r, Cells(From, r));
        SetCells(From, r, QString());
        SetObjects(From, r, nullptr);
    }
}

void TSortGrid::DeleteRow(int ARow) {
    SetModified(true);
    EditorAlwaysOff off(this);
    if (RowCount() < 3) {
        const int r = RowCount() - 1;
        if (r >= 1) ClearRow(r);
        if (size_t(r) < rowFormats_.size()) rowFormats_[size_t(r)] = TFontSetting();
    } else {
        if (ARow < 0 || ARow >= RowCount()) throw EInvalidGridOperation(SGridIndexOutOfRange);
        // Past the rows the filter keeps, so that they stay whole.
        TCustomGrid::MoveRow(ARow, RowCount() - 1 + filteredOut_);
        SetRowCount(RowCount() - 1);
    }
    if (OnRowDelete) OnRowDelete(this, ARow);
}

void TSortGrid::DeleteColumn(int ACol) {
    if (ACol < 0 || ACol >= ColCount()) throw EInvalidGridOperation(SGridIndexOutOfRange);
    const int last = RowCount() - 1 + filteredOut_;
    for (int r = 0; r <= last; ++r) {
        SetCells(ACol, r, QString());
        SetObjects(ACol, r, nullptr);
    }
    {
        EditorAlwaysOff off(this);
        TCustomGrid::DeleteColumn(ACol);
    }
    MoveHiddenColumn(ColCount() + 1, ColCount());
    if (OnColumnDelete) OnColumnDelete(this, ACol);
}

void TSortGrid::MoveRow(int FromIndex, int ToIndex) {
    EditorAlwaysOff off(this);
    TCustomGrid::MoveRow(FromIndex, ToIndex);
}

void TSortGrid::MoveColumn(int FromIndex, int ToIndex) {
    TCustomGrid::MoveColumn(FromIndex, ToIndex);
}

void TSortGrid::ExchangeRows(int ARow1, int ARow2) {
    if (ARow1 == ARow2) return;
    const int lo = std::min(ARow1, ARow2), hi = std::max(ARow1, ARow2);
    MoveRow(lo, hi);
    MoveRow(hi - 1, lo);
}

void TSortGrid::RowMoved(int FromIndex, int ToIndex) {
    RotateFormats(rowFormats_, FromIndex, ToIndex);
    TMyStringGrid::RowMoved(FromIndex, ToIndex);
}

void TSortGrid::ColumnMoved(int FromIndex, int ToIndex) {
    RotateFormats(colFormats_, FromIndex, ToIndex);
    SetModified(true);
    int& sc = sortOptions_.SortCol;
    if (sc == FromIndex) sc = ToIndex;
    else if (FromIndex > ToIndex && sc >= ToIndex && sc < FromIndex) ++sc;
    else if (FromIndex < ToIndex && sc > FromIndex && sc <= ToIndex) --sc;
    TMyStringGrid::ColumnMoved(FromIndex, ToIndex);
}

// ---- Size changes ----

void TSortGrid::SizeChanged(int OldColCount, int OldRowCount) {
    TMyStringGrid::SizeChanged(OldColCount, OldRowCount);
    SetModified(true);
    UpdateProportionalScrollBars();
    if (sortOptions_.UpdateOnSizeChange) SortByColumn(sortOptions_.SortCol);
    if (!NowUpdating()) SelectCell(0, 1, true);
    FitFormatLists();
    if (RowCount() < 2) ShowMessage(QStringLiteral("Rowsize too small"));
    if (OnSizeChanged) OnSizeChanged(this, OldColCount, OldRowCount);
}

void TSortGrid::ColWidthsChanged() {
    TMyStringGrid::ColWidthsChanged();
    UpdateProportionalScrollBars();
    if (OnColumnWidthsChanged) OnColumnWidthsChanged(this);
}

void TSortGrid::RowHeightsChanged() {
    TMyStringGrid::RowHeightsChanged();
    UpdateProportionalScrollBars();
    if (OnRowHeightsChanged) OnRowHeightsChanged(this);
}

}  // namespace kiv
