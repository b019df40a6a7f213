#pragma once
// The sortable string grid: one header row (row 0) whose clicks sort the rows by a column
// and further key columns, with seven comparison styles and a stable order; filtering that
// keeps rejected rows past RowCount; multi-row selection; per-column and per-row formats;
// check-box, list and ellipsis cells; type-ahead; cell validation. The ordering itself is
// components/core/SortEngine (no Qt).
#include <QListWidget>
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "components/MyGrids.h"
#include "components/core/SortEngine.h"

namespace kiv {

class TSortGrid;

// Sorting, changed field by field. SortCompare (used by ssCustom) is cleared after every sort.
struct TSortOptions {
    bool CanSort = true;
    std::string SecondaryIndex;  // comma list of further key columns
    TSortStyle SortStyle = ssNormal;
    bool SortCaseSensitive = false;
    int SortCol = 0;
    TSortDirection SortDirection = sdAscending;
    bool UpdateOnSizeChange = false;  // sort again after every size change
    TSortCompare SortCompare;
};

enum TMyPrintRange { prAll, prSelected };

// Stored only; nothing prints a grid.
struct TPrintOptions {
    QString JobTitle;
    QString PageTitle;
    unsigned Copies = 1;
    TMyPrintRange PrintRange = prAll;
    int FromRow = 0;
    int ToRow = 0;
    unsigned PreviewPage = 0;
};

// A column's or a row's format.
struct TFontSetting {
    TColor FontColor = clWindowText;
    TColor BackgroundColor = clWindow;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool InUse = false;
};
using TFontList = std::vector<TFontSetting>;

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TVertAlignment { taTopJustify, taBottomJustify, taMiddle };
enum TCellBevelStyle { cbNone, cbRaised, cbLowered };

// A cell's format, as OnGetCellFormat may change it.
struct TFormatOptions {
    struct {
        TColor Color = clWindow;
    } Brush;
    struct {
        QFont Font;  // family and size
        TColor Color = clWindowText;
        bool Bold = false;
        bool Italic = false;
        bool Underline = false;
    } Font;
    TAlignment AlignmentHorz = taLeftJustify;
    TVertAlignment AlignmentVert = taTopJustify;
    TCellBevelStyle Bevel = cbNone;
    TColor HighlightColor = clWindow;
    TColor ShadowColor = clWindow;
    bool HideText = false;
};

// GetCellFormat's answer: the format and the cell's kind.
struct TCellFormat {
    TFormatOptions FormatOptions;
    bool CheckBox = false;
    bool Combobox = false;
    bool Ellipsis = false;
};

class TSortGrid : public TMyStringGrid {
    Q_OBJECT
public:
    using TSortNotify = std::function<void(TSortGrid* Sender)>;
    using TRowEvent = std::function<void(TSortGrid* Sender, int ARow)>;
    using TSizeChangedEvent =
        std::function<void(TSortGrid* Sender, int OldColCount, int OldRowCount)>;
    using TGetCellFormatEvent =
        std::function<void(TSortGrid* Sender, int Col, int Row, TGridDrawState State,
                           TFormatOptions& FormatOptions, bool& CheckBox, bool& Combobox,
                           bool& Ellipsis)>;
    using TFilterEvent = std::function<void(const QStringList& ARows, bool& Accept)>;
    using TGetSortStyleEvent =
        std::function<void(TSortGrid* Sender, int Col, TSortStyle& SortStyle)>;
    using TCellValidateEvent =
        std::function<void(TSortGrid* Sender, int ACol, int ARow, const QString& OldValue,
                           QString& NewValue, bool& Valid)>;
    using TSetCheckedEvent = std::function<void(TSortGrid* Sender, int ACol, int ARow, bool State)>;
    using TGetComboBoxEvent =
        std::function<void(TSortGrid* Sender, int ACol, int ARow, QStringList& Strs, int& Width,
                           int& Height, bool& Sorted)>;
    using TSetComboBoxEvent =
        std::function<void(TSortGrid* Sender, int ACol, int ARow, const QString& Str)>;
    using TCellEvent = std::function<void(TSortGrid* Sender, int ACol, int ARow)>;
    using TBeginSortEvent = std::function<void(TSortGrid* Sender, int& ACol)>;
    using TEndSortEvent = std::function<void(TSortGrid* Sender, int ACol)>;

    // One header row, no fixed column, row 1 current and selected, not modified.
    explicit TSortGrid(QWidget* parent = nullptr);
    ~TSortGrid() override;

    // The grid always has exactly one header row.
    int FixedRows() const { return TMyStringGrid::FixedRows(); }
    void SetFixedRows(int) = delete;

    // ---- Sorting ----
    TSortOptions& SortOptions() { return sortOptions_; }
    const TSortOptions& SortOptions() const { return sortOptions_; }
    // Sorts the data rows by the column and SortOptions.SecondaryIndex, in one update;
    // selected rows stay selected under their new numbers. Nothing when CanSort is false.
    void SortByColumn(int ACol);
    // True while a sort runs.
    bool Sorting() const { return sorting_; }

    TPrintOptions& PrintOptions() { return printOptions_; }

    // ---- Rows ----
    // The texts into a new row (an empty last row is reused); a filter is asked. No sort.
    void AddRow(const QStringList& Strings);
    // Empties everything but the header: formats, selection, cells; two rows; unmodified.
    void Clear();
    void InsertRow(int ARow);
    void InsertColumn(int ACol);
    // With fewer than 3 rows the one data row is emptied instead.
    void DeleteRow(int ARow);
    void DeleteColumn(int ACol);
    void MoveRow(int FromIndex, int ToIndex);
    void MoveColumn(int FromIndex, int ToIndex);
    void ExchangeRows(int ARow1, int ARow2);
    // All cells 0..ColCount-1 of the row are empty.
    bool RowEmpty(int ARow) const;

    // ---- Filtering ----
    // Switching on asks OnSetFilter for each data row and keeps the rejected rows past
    // RowCount; switching off shows them again. Setting the present value does nothing.
    bool Filtered() const { return filtered_; }
    void SetFiltered(bool Value);
    int FilteredOutCount() const { return filteredOut_; }

    // ---- Selection ----
    bool MultiSelect() const { return multiSelect_; }
    void SetMultiSelect(bool Value);
    // The selected rows, as decimal row numbers, in the order they were selected.
    QStringList SelectedRows() const;
    bool RowSelected(int ARow) const;
    void ClearSelection();
    // The cell (clamped to the data rows) becomes current and the only selected row; with
    // ScrollIntoView its row becomes the second visible row (or row 1).
    void SelectCell(int ACol, int ARow, bool ScrollIntoView);

    // ---- Cells ----
    TCellFormat GetCellFormat(int ACol, int ARow);
    void SetChecked(int ACol, int ARow, bool State);
    bool IsChecked(int ACol, int ARow);
    // Width of the widest text plus "X" (the sort arrow counts in the sorted header).
    // ResizeHidden false leaves a column of width -1 alone.
    void AutoSizeCol(int ACol, bool ResizeHidden = true);

    // ---- Formats and looks ----
    // One entry per column (row), also while an update defers the size change.
    TFontList& ColumnFormats() {
        FitFormatLists();
        return colFormats_;
    }
    TFontList& RowFormats() {
        FitFormatLists();
        return rowFormats_;
    }
    bool HideRows() const { return hideRows_; }
    void SetHideRows(bool Value);
    TAlignment AlignmentHorz() const { return alignmentHorz_; }
    void SetAlignmentHorz(TAlignment Value);
    TVertAlignment AlignmentVert() const { return alignmentVert_; }
    void SetAlignmentVert(TVertAlignment Value);
    TCellBevelStyle BevelStyle() const { return bevelStyle_; }
    void SetBevelStyle(TCellBevelStyle Value);
    bool ProportionalScrollBars() const { return proportionalScrollBars_; }
    void SetProportionalScrollBars(bool Value);
    // Ctrl(+Shift)+Insert/Delete insert and delete rows (columns).
    bool ExtendedKeys() const { return extendedKeys_; }
    void SetExtendedKeys(bool Value) { extendedKeys_ = Value; }

    // ---- State ----
    bool Modified() const { return modified_; }
    void SetModified(bool Value);
    // Free-form storage for the owner; assigning marks the grid modified.
    const QStringList& UserSettings() const { return userSettings_; }
    void SetUserSettings(const QStringList& Value);

    void BeginUpdate() override;
    void EndUpdate() override;

    // The hidden list box of list cells.
    QListWidget* DropDownList() const { return list_.data(); }

    // ---- Events ----
    TSortNotify OnModified;
    TSortNotify OnRowSelected;
    TRowEvent OnRowInsert;
    TRowEvent OnRowDelete;
    TRowEvent OnColumnInsert;  // the column, named ARow
    TRowEvent OnColumnDelete;
    TSortNotify OnColumnWidthsChanged;
    TSortNotify OnRowHeightsChanged;
    TSizeChangedEvent OnSizeChanged;
    TGetCellFormatEvent OnGetCellFormat;
    TFilterEvent OnSetFilter;
    TFilterEvent OnSearch;  // stored only
    TSortNotify OnEndUpdate;
    TGetSortStyleEvent OnGetSortStyle;
    TCellValidateEvent OnCellValidate;
    TSetCheckedEvent OnSetChecked;
    TGetComboBoxEvent OnGetComboBox;
    TSetComboBoxEvent OnSetComboBox;
    TCellEvent OnSetEllipsis;
    TBeginSortEvent OnBeginSort;
    TEndSortEvent OnEndSort;

protected:
    void DrawCell(int ACol, int ARow, const QRect& ARect, TGridDrawState AState) override;
    bool SelectCell(int ACol, int ARow) override;
    void SizeChanged(int OldColCount, int OldRowCount) override;
    void ColumnMoved(int FromIndex, int ToIndex) override;
    void RowMoved(int FromIndex, int ToIndex) override;
    void ColWidthsChanged() override;
    void RowHeightsChanged() override;
    QString GetEditText(int ACol, int ARow) override;
    void SetEditText(int ACol, int ARow, const QString& Value) override;
    void keyPressEvent(QKeyEvent* e) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyUp(Word& Key, TShiftState Shift) override;
    void KeyPress(QChar& Key) override;
    void DblClick() override;
    bool DoMouseWheelDown(TShiftState Shift, QPoint MousePos) override;
    bool DoMouseWheelUp(TShiftState Shift, QPoint MousePos) override;
    void resizeEvent(QResizeEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    friend class SortGridTestAccess;
    struct RowCopy {
        QStringList texts;  // columns 0..ColCount (the last one the hidden row format)
        std::vector<void*> objects;
    };
    RowCopy CopyRow(int ARow) const;
    void WriteRow(int ARow, const RowCopy& Row);
    void ClearRow(int ARow);
    // RowCount + 1 with an empty new last row; rows kept by the filter stay kept.
    void AppendEmptyRow();
    void FitFormatLists();
    // Runs the work in an update: its own, or the one already running.
    void InUpdate(const std::function<void()>& Work);
    // The row-format texts move with the column count.
    void MoveHiddenColumn(int From, int To);
    void SelectOnly(int ARow);
    void AddSelected(int ARow);
    void UpdateProportionalScrollBars();
    void FillLastColumn();
    void StartRowDrag();
    void TypeAhead(QChar Ch);
    void DropDown(int ACol, int ARow);
    void CloseDropDown(bool Take);
    void ValidateEdit();
    int HeaderTextShift(int ACol) const;
    bool SortArrowShown(int ACol) const;

    TSortOptions sortOptions_;
    TPrintOptions printOptions_;
    TFontList colFormats_;
    TFontList rowFormats_;
    bool sorting_ = false;
    bool filtered_ = false;
    int filteredOut_ = 0;
    bool multiSelect_ = false;
    bool hideRows_ = false;
    TAlignment alignmentHorz_ = taLeftJustify;
    TVertAlignment alignmentVert_ = taTopJustify;
    TCellBevelStyle bevelStyle_ = cbNone;
    bool proportionalScrollBars_ = false;
    bool extendedKeys_ = false;
    bool modified_ = false;
    QStringList userSettings_;
    bool savedUpdateOnSizeChange_ = false;
    bool updateSaved_ = false;

    std::vector<int> selectedRows_;
    std::vector<int> anchors_;  // entry 0: where the present selection began (-1: none)

    // The cell being edited and its text when editing began, for validation.
    int editCol_ = -1;
    int editRow_ = -1;
    QString editOldText_;
    bool editOldModified_ = false;

    int downCol_ = -1;
    int downRow_ = -1;
    QPoint downPoint_;
    QPoint dragPoint_;
    bool dragPending_ = false;
    bool tabDown_ = false;
    bool tabStepping_ = false;
    bool closingList_ = false;

    QPixmap arrowUp_;
    QPixmap arrowDown_;
    QPixmap checked_, unchecked_, comboButton_, ellipsisButton_;
    QPointer<QListWidget> list_;
    const QObject* listObject_ = nullptr;  // the list, for telling its events apart
    int listCol_ = -1;
    int listRow_ = -1;
};

// A header text that fits Available pixels: its last two characters become "..", then the
// character before the dots goes while it is still too wide and at least 4 long.
QString ShortenHeaderText(const QString& Text, int Available,
                          const std::function<int(const QString&)>& Width);
// A row format from its text "font colour,bold,italic,underline,background colour" (colours
// as names or numbers, "1" = on); false, and no format, when it does not read.
bool ParseRowFormat(const QString& Text, TFontSetting& Format);

// The grid's bitmaps by their resource names: "UP", "DOWN", "CHECKED", "UNCHECKED",
// "COMBOBOX", "ELLIPSIS"; drawn in code.
QPixmap SortGridBitmap(const char* Name);

}  // namespace kiv
