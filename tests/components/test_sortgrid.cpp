// The sort grid's model: construction, the bulk update, sorting by header clicks and keys,
// filtering, rows and columns, Clear and the modified state.
#include "tests/components/sortgrid_fixture.h"

using namespace kiv;
using namespace kiv::sortgridtest;

namespace {
class SortGridModel : public SortGridFixture {};
}  // namespace

TEST_F(SortGridModel, ConstructionDefaults) {
    TSortGrid g;
    EXPECT_EQ(g.ColCount(), 5);
    EXPECT_EQ(g.RowCount(), 5);
    EXPECT_EQ(g.FixedRows(), 1);
    EXPECT_EQ(g.FixedCols(), 0);
    EXPECT_EQ(g.DefaultColWidth(), 64);
    EXPECT_EQ(g.DefaultRowHeight(), 24);
    EXPECT_EQ(g.GridLineWidth(), 1);
    EXPECT_EQ(g.Options(),
              goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect);
    EXPECT_EQ(g.ScrollBars(), TCustomGrid::ssBoth);
    EXPECT_TRUE(g.DefaultDrawing());
    EXPECT_FALSE(g.NowUpdating());
    EXPECT_FALSE(g.Modified());
    EXPECT_FALSE(g.Filtered());
    EXPECT_FALSE(g.MultiSelect());
    EXPECT_FALSE(g.HideRows());
    EXPECT_FALSE(g.ExtendedKeys());
    EXPECT_FALSE(g.ProportionalScrollBars());
    EXPECT_EQ(g.AlignmentHorz(), taLeftJustify);
    EXPECT_EQ(g.AlignmentVert(), taTopJustify);
    EXPECT_EQ(g.BevelStyle(), cbNone);
    EXPECT_EQ(g.Row(), 1);
    EXPECT_EQ(g.SelectedRows(), QStringList{"1"});
    EXPECT_EQ(g.ColumnFormats().size(), 5u);
    EXPECT_EQ(g.RowFormats().size(), 5u);
    const TSortOptions& o = g.SortOptions();
    EXPECT_TRUE(o.CanSort);
    EXPECT_EQ(o.SecondaryIndex, "");
    EXPECT_EQ(o.SortStyle, ssNormal);
    EXPECT_FALSE(o.SortCaseSensitive);
    EXPECT_EQ(o.SortCol, 0);
    EXPECT_EQ(o.SortDirection, sdAscending);
    EXPECT_FALSE(o.UpdateOnSizeChange);
    EXPECT_EQ(g.PrintOptions().Copies, 1u);
    EXPECT_EQ(g.PrintOptions().PrintRange, prAll);
    ASSERT_NE(g.DropDownList(), nullptr);
    EXPECT_TRUE(g.DropDownList()->isHidden());
    EXPECT_EQ(g.DropDownList()->focusPolicy() & Qt::TabFocus, 0);
}

TEST_F(SortGridModel, UpdatesDoNotNestAndLeaveNoCursorBehind) {
    int begins = 0, ends = 0;
    grid->OnBeginUpdate = [&](TCustomGrid*) { ++begins; };
    grid->OnEndUpdate = [&](TSortGrid*) { ++ends; };
    Activate();
    grid->BeginUpdate();
    grid->BeginUpdate();
    EXPECT_TRUE(grid->NowUpdating());
    EXPECT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(grid->updatesEnabled());
    grid->EndUpdate();
    EXPECT_FALSE(grid->NowUpdating());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(grid->updatesEnabled());
    EXPECT_FALSE(grid->isHidden());
    EXPECT_TRUE(grid->hasFocus());
    EXPECT_EQ(begins, 2);
    EXPECT_EQ(ends, 1);
}

TEST_F(SortGridModel, CountChangesInsideAnUpdateNotifyOnceWithTheCountsFromBefore) {
    grid->SetRowCount(2);
    std::vector<std::pair<int, int>> notes;
    grid->OnSizeChanged = [&](TSortGrid*, int c, int r) { notes.emplace_back(c, r); };
    grid->BeginUpdate();
    grid->SetRowCount(100);
    grid->SetRowCount(50);
    grid->SetRowCount(100);
    EXPECT_EQ(grid->RowHeightsLength(), 2);
    EXPECT_TRUE(notes.empty());
    grid->EndUpdate();
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0], std::make_pair(5, 2));
    EXPECT_EQ(grid->RowHeightsLength(), 100);
    EXPECT_EQ(grid->RowHeights(99), 24);
    EXPECT_EQ(grid->RowFormats().size(), 100u);
    // Below the fixed rows at once, even inside an update.
    grid->BeginUpdate();
    grid->SetRowCount(1);
    EXPECT_EQ(grid->FixedRows(), 0);
    grid->EndUpdate();
    ASSERT_FALSE(env.Dialogs().Messages.empty());
    EXPECT_EQ(env.Dialogs().Messages.back().Text, "Rowsize too small");
}

TEST_F(SortGridModel, EndUpdateUnlocksAlsoWhenTheDeferredWorkFails) {
    grid->SetRowCount(3);
    grid->OnSizeChanged = [](TSortGrid*, int, int) { throw std::runtime_error("handler failed"); };
    grid->BeginUpdate();
    grid->SetRowCount(10);
    EXPECT_THROW(grid->EndUpdate(), std::runtime_error);
    EXPECT_FALSE(grid->NowUpdating());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(grid->updatesEnabled());
    EXPECT_EQ(grid->RowCount(), 3);  // the old counts are back
}

TEST_F(SortGridModel, HeaderClicksSortAndToggleTheDirection) {
    Fill(L({"Name", "Size"}), {L({"b", "2"}), L({"c", "10"}), L({"a", "9"})});
    grid->SetColWidths(0, 100);
    grid->SetColWidths(1, 100);
    struct Step {
        int col;
        Qt::MouseButton button;
        int x;  // offset from the cell's left edge, -1 for the centre
        TSortDirection dir;
        int sortCol;
        const char* first;
    } steps[] = {
        {0, Qt::LeftButton, -1, sdDescending, 0, "c"},  // the sorted column: descending first
        {0, Qt::LeftButton, -1, sdAscending, 0, "a"},
        {1, Qt::LeftButton, -1, sdAscending, 1, "c"},    // another column: ascending ("10" < "2")
        {1, Qt::RightButton, -1, sdDescending, 1, "a"},  // a right click always descends
        {1, Qt::RightButton, -1, sdDescending, 1, "a"},
        {0, Qt::LeftButton, 3, sdDescending, 1, "a"},  // within 5 pixels of a border: no sort
        {0, Qt::LeftButton, 96, sdDescending, 1, "a"},
    };
    for (const Step& s : steps) {
        const QRect r = grid->CellRect(s.col, 0);
        const QPoint p = s.x < 0 ? r.center() : QPoint(r.left() + s.x, r.center().y());
        Click(p, s.button);
        EXPECT_EQ(grid->SortOptions().SortDirection, s.dir) << s.col;
        EXPECT_EQ(grid->SortOptions().SortCol, s.sortCol);
        EXPECT_EQ(grid->Cells(0, 1), s.first);
    }
}

TEST_F(SortGridModel, AutomaticStyleIsDetectedOnceAndKept) {
    Fill(L({"n"}), {L({"10"}), L({"9"}), L({""})});
    grid->SortOptions().SortStyle = ssAutomatic;
    grid->SortByColumn(0);
    EXPECT_EQ(Column(0), L({"", "10", "9"}));
    EXPECT_EQ(grid->SortOptions().SortStyle, ssNormal);

    Fill(L({"n"}), {L({"10"}), L({"9"}), L({"100"})});
    grid->SortByColumn(0);  // still ssNormal
    EXPECT_EQ(Column(0), L({"10", "100", "9"}));
    grid->SortOptions().SortStyle = ssAutomatic;
    grid->SortByColumn(0);
    EXPECT_EQ(grid->SortOptions().SortStyle, ssNumeric);
    EXPECT_EQ(Column(0), L({"9", "10", "100"}));

    grid->SortOptions().SortStyle = ssNumericExtended;
    Fill(L({"n"}), {L({"file10"}), L({"a10b"}), L({"file9"}), L({"a2b"})});
    grid->SortByColumn(0);
    EXPECT_EQ(Column(0), L({"a2b", "a10b", "file9", "file10"}));
}

TEST_F(SortGridModel, GetSortStyleIsAskedPerKeyAndItsAnswerKept) {
    Fill(L({"a", "b"}), {L({"x", "10"}), L({"x", "9"})});
    grid->SortOptions().SecondaryIndex = "1";
    std::vector<int> asked;
    grid->OnGetSortStyle = [&](TSortGrid*, int col, TSortStyle& s) {
        asked.push_back(col);
        s = col == 1 ? ssNumeric : s;
    };
    grid->SortByColumn(0);
    EXPECT_EQ(asked, (std::vector<int>{1, 0}));
    EXPECT_EQ(Column(1), L({"9", "10"}));
    EXPECT_EQ(grid->SortOptions().SortStyle, ssNumeric);
}

TEST_F(SortGridModel, SecondaryKeysInBothDirectionsWithTiesTopToBottom) {
    const std::vector<QStringList> rows{L({"r0", "b", "2"}), L({"r1", "a", "9"}),
                                        L({"r2", "b", "1"}), L({"r3", "a", "9"}),
                                        L({"r4", "b", "1"})};
    Fill(L({"id", "k1", "k2"}), rows);
    grid->SortOptions().SecondaryIndex = "2";
    grid->SortByColumn(1);
    EXPECT_EQ(Column(0), L({"r1", "r3", "r2", "r4", "r0"}));
    Fill(L({"id", "k1", "k2"}), rows);
    grid->SortOptions().SortDirection = sdDescending;
    grid->SortByColumn(1);
    EXPECT_EQ(Column(0), L({"r0", "r2", "r4", "r1", "r3"}));
}

TEST_F(SortGridModel, SelectionFollowsTheSortAndEventsBracketIt) {
    Fill(L({"k"}), {L({"c"}), L({"a"}), L({"b"})});
    grid->SelectCell(0, 1, false);  // "c"
    ASSERT_EQ(grid->SelectedRows(), QStringList{"1"});
    std::vector<std::string> log;
    grid->OnBeginSort = [&](TSortGrid*, int& c) { log.push_back("begin " + std::to_string(c)); };
    grid->OnEndSort = [&](TSortGrid*, int c) { log.push_back("end " + std::to_string(c)); };
    grid->SortOptions().SortCompare = [](const std::string&, const std::string&) { return 0; };
    grid->SortByColumn(0);
    EXPECT_EQ(Column(0), L({"a", "b", "c"}));
    EXPECT_EQ(grid->SelectedRows(), QStringList{"3"});
    EXPECT_EQ(grid->Row(), 3);
    EXPECT_EQ(log, (std::vector<std::string>{"begin 0", "end 0"}));
    EXPECT_FALSE(grid->SortOptions().SortCompare);  // cleared after the sort
    // The objects and the hidden row-format text travel with their rows.
    int tag = 7;
    grid->SetObjects(0, 1, &tag);
    grid->SetCells(1, 1, "clRed,1,0,0,clWhite");
    grid->SortOptions().SortDirection = sdDescending;
    grid->SortByColumn(0);
    EXPECT_EQ(grid->Cells(0, 3), "a");
    EXPECT_EQ(grid->Objects(0, 3), &tag);
    EXPECT_EQ(grid->Cells(1, 3), "clRed,1,0,0,clWhite");
    // No sorting at all when it is not allowed.
    grid->SortOptions().CanSort = false;
    grid->SortOptions().SortDirection = sdAscending;
    grid->SortByColumn(0);
    EXPECT_EQ(Column(0), L({"c", "b", "a"}));
}

TEST_F(SortGridModel, FiltersAcceptingNoneSomeOrAll) {
    const std::vector<QStringList> rows{L({"d"}), L({"b"}), L({"c"}), L({"a"})};
    struct Case {
        QStringList accepted;
        QStringList shown;
    } cases[] = {
        {{}, L({""})},
        {L({"b", "d"}), L({"b", "d"})},
        {L({"a", "b", "c", "d"}), L({"a", "b", "c", "d"})},
    };
    for (const Case& c : cases) {
        grid->SetFiltered(false);
        Fill(L({"k"}), rows);
        grid->SetModified(false);
        grid->OnSetFilter = [&](const QStringList& texts, bool& accept) {
            accept = c.accepted.contains(texts[0]);
        };
        grid->SetFiltered(true);
        EXPECT_EQ(Column(0), c.shown) << c.accepted.join(',').toStdString();
        EXPECT_EQ(grid->FilteredOutCount(), 4 - int(c.accepted.size()));
        EXPECT_FALSE(grid->Modified());
        // Setting the same value again forgets nothing.
        grid->SetFiltered(true);
        EXPECT_EQ(grid->FilteredOutCount(), 4 - int(c.accepted.size()));
        grid->SetFiltered(false);
        EXPECT_EQ(Column(0), L({"a", "b", "c", "d"}));
        EXPECT_EQ(grid->FilteredOutCount(), 0);
    }
    // Without a handler no row is accepted.
    grid->OnSetFilter = nullptr;
    grid->SetFiltered(true);
    EXPECT_EQ(Column(0), L({""}));
    grid->SetFiltered(false);
    EXPECT_EQ(Column(0), L({"a", "b", "c", "d"}));
}

TEST_F(SortGridModel, RowsAddedDeletedAndInsertedWhileFilteredKeepTheHiddenRows) {
    Fill(L({"k"}), {L({"keep1"}), L({"drop1"}), L({"keep2"}), L({"drop2"})});
    grid->OnSetFilter = [](const QStringList& t, bool& a) { a = t[0].startsWith("keep"); };
    grid->SetFiltered(true);
    ASSERT_EQ(Column(0), L({"keep1", "keep2"}));
    grid->AddRow(L({"keep3"}));
    grid->AddRow(L({"drop3"}));
    EXPECT_EQ(Column(0), L({"keep1", "keep2", "keep3"}));
    EXPECT_EQ(grid->FilteredOutCount(), 3);
    grid->DeleteRow(1);
    grid->InsertRow(1);
    grid->SetCells(0, 1, "keep0");
    grid->SetFiltered(false);
    EXPECT_EQ(Column(0), L({"drop1", "drop2", "drop3", "keep0", "keep2", "keep3"}));
}

TEST_F(SortGridModel, AddRowReusesAnEmptyLastRowAndWritesTheWholeRow) {
    grid->SetColCount(2);
    grid->SetRowCount(2);
    grid->AddRow(L({"a", "1"}));
    EXPECT_EQ(grid->RowCount(), 2);
    grid->AddRow(L({"b"}));
    EXPECT_EQ(grid->RowCount(), 3);
    EXPECT_EQ(grid->Rows(2), L({"b", ""}));
    // A row left past the count by a deletion does not show through a new one.
    grid->DeleteRow(2);
    grid->AddRow(L({"c"}));
    EXPECT_EQ(grid->Rows(2), L({"c", ""}));
    grid->AddRow(L({"d", "4", "clRed,0,0,0,clWhite"}));
    EXPECT_EQ(grid->Cells(2, 3), "clRed,0,0,0,clWhite");  // the row's format
}

TEST_F(SortGridModel, ClearLeavesOneEmptyRowUnmodified) {
    Fill(L({"k", "v"}), {L({"a", "1"}), L({"b", "2"})});
    int selected = 0;
    grid->OnRowSelected = [&](TSortGrid*) { ++selected; };
    grid->ColumnFormats()[0].InUse = true;
    grid->OnSetFilter = [](const QStringList& t, bool& a) { a = t[0] == "a"; };
    grid->SetFiltered(true);
    grid->SetModified(true);
    grid->Clear();
    EXPECT_EQ(grid->RowCount(), 2);
    EXPECT_EQ(grid->Rows(1), L({"", ""}));
    EXPECT_EQ(grid->Cells(0, 0), "k");
    EXPECT_FALSE(grid->Modified());
    EXPECT_TRUE(grid->SelectedRows().isEmpty());
    EXPECT_EQ(selected, 1);
    EXPECT_EQ(grid->ColumnFormats().size(), 2u);
    EXPECT_FALSE(grid->ColumnFormats()[0].InUse);
    EXPECT_EQ(grid->RowFormats().size(), 2u);
    grid->SetFiltered(false);
    EXPECT_EQ(grid->RowCount(), 2);  // nothing kept comes back
}

TEST_F(SortGridModel, ColumnMovesCarryFormatsAndTheSortColumn) {
    Fill(L({"a", "b", "c", "d"}), {L({"1", "2", "3", "4"})});
    grid->ColumnFormats()[3].InUse = true;
    struct Case {
        int sortCol, from, to, after;
    } cases[] = {{1, 1, 3, 3}, {2, 0, 3, 1}, {1, 3, 0, 2}, {0, 2, 3, 0}, {3, 3, 3, 3}};
    for (const Case& c : cases) {
        grid->SortOptions().SortCol = c.sortCol;
        grid->MoveColumn(c.from, c.to);
        EXPECT_EQ(grid->SortOptions().SortCol, c.after) << c.from << "->" << c.to;
    }
    EXPECT_EQ(grid->ColumnFormats().size(), 4u);
    int inUse = 0;
    for (const TFontSetting& f : grid->ColumnFormats()) inUse += f.InUse;
    EXPECT_EQ(inUse, 1);
}

TEST_F(SortGridModel, DeletionsAndInsertions) {
    Fill(L({"k", "v"}), {L({"a", "1"}), L({"b", "2"})});
    std::vector<std::string> log;
    grid->OnRowDelete = [&](TSortGrid*, int r) { log.push_back("row- " + std::to_string(r)); };
    grid->OnRowInsert = [&](TSortGrid*, int r) { log.push_back("row+ " + std::to_string(r)); };
    grid->OnColumnInsert = [&](TSortGrid*, int c) { log.push_back("col+ " + std::to_string(c)); };
    grid->OnColumnDelete = [&](TSortGrid*, int c) { log.push_back("col- " + std::to_string(c)); };
    grid->SetCells(2, 2, "clBlue,0,0,0,clWhite");  // row 2's format, in the hidden column
    grid->InsertColumn(1);
    EXPECT_EQ(grid->ColCount(), 3);
    EXPECT_EQ(grid->Rows(2), L({"b", "", "2"}));
    EXPECT_EQ(grid->Cells(3, 2), "clBlue,0,0,0,clWhite");
    EXPECT_EQ(grid->Col(), 1);
    grid->DeleteColumn(1);
    EXPECT_EQ(grid->Rows(2), L({"b", "2"}));
    EXPECT_EQ(grid->Cells(2, 2), "clBlue,0,0,0,clWhite");
    grid->InsertRow(2);
    EXPECT_EQ(Column(0), L({"a", "", "b"}));
    EXPECT_EQ(grid->Row(), 2);
    EXPECT_EQ(grid->SelectedRows(), QStringList{"2"});
    grid->SetModified(false);
    grid->DeleteRow(2);
    EXPECT_TRUE(grid->Modified());
    grid->DeleteRow(1);
    EXPECT_EQ(Column(0), L({"b"}));
    grid->DeleteRow(1);  // the last data row is emptied, not deleted
    EXPECT_EQ(grid->RowCount(), 2);
    EXPECT_EQ(Column(0), L({""}));
    EXPECT_EQ(log, (std::vector<std::string>{"col+ 1", "col- 1", "row+ 2", "row- 2", "row- 1",
                                             "row- 1"}));
}

TEST_F(SortGridModel, ModifiedFiresWhenItBecomesTrue) {
    int fired = 0;
    grid->OnModified = [&](TSortGrid*) { ++fired; };
    grid->SetModified(true);
    grid->SetModified(true);
    grid->SetModified(false);
    grid->SetModified(true);
    EXPECT_EQ(fired, 2);
    grid->SetModified(false);
    grid->SetUserSettings(L({"x=1"}));
    EXPECT_TRUE(grid->Modified());
    EXPECT_EQ(grid->UserSettings(), L({"x=1"}));
}
