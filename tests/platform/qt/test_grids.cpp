// The grid's model of the view: counts, cells past the counts, extents, whole-row
// scrolling, clipped cell rectangles, hit tests, hidden rows and columns, moves.
#include <QScrollBar>

#include "tests/platform/qt/test_grids_fixture.h"

namespace kiv::gridtest {
namespace {

using GridModel = GridFixture;

TEST_F(GridModel, WindowsDefaultsAndCountsNeverBelowOne) {
    TStringGrid g;
    EXPECT_EQ(g.ColCount(), 5);
    EXPECT_EQ(g.RowCount(), 5);
    EXPECT_EQ(g.FixedCols(), 1);
    EXPECT_EQ(g.FixedRows(), 1);
    EXPECT_EQ(g.DefaultColWidth(), 64);
    EXPECT_EQ(g.DefaultRowHeight(), 24);
    EXPECT_TRUE(g.Options() ==
                (goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect));
    EXPECT_EQ(g.Row(), 1);
    EXPECT_EQ(g.Col(), 1);

    // Lowering a count to the fixed count lowers the fixed count; zero rows are one row.
    g.SetRowCount(1);
    EXPECT_EQ(g.RowCount(), 1);
    EXPECT_EQ(g.FixedRows(), 0);
    g.SetRowCount(0);
    EXPECT_EQ(g.RowCount(), 1);
    g.SetColCount(-3);
    EXPECT_EQ(g.ColCount(), 1);
    EXPECT_EQ(g.FixedCols(), 0);
    EXPECT_EQ(g.Row(), 0);
    EXPECT_EQ(g.Col(), 0);

    EXPECT_THROW(g.SetFixedRows(1), EInvalidGridOperation);
    EXPECT_THROW(g.SetFixedCols(-1), EInvalidGridOperation);
    EXPECT_THROW(g.SetRowHeights(1, 10), EInvalidGridOperation);
    EXPECT_THROW(g.SetRow(3), EInvalidGridOperation);
}

TEST_F(GridModel, CellsAreKeptPastTheCounts) {
    grid->SetColCount(3);
    grid->SetRowCount(4);
    grid->SetCells(2, 3, "last");
    grid->SetCells(7, 9, "far away");
    grid->SetRowCount(2);
    grid->SetColCount(1);
    EXPECT_EQ(grid->Cells(2, 3), "last");
    EXPECT_EQ(grid->Cells(7, 9), "far away");
    grid->SetRowCount(4);
    grid->SetColCount(3);
    EXPECT_EQ(grid->Cells(2, 3), "last");
    EXPECT_EQ(grid->Rows(3), QStringList({"", "", "last"}));

    int token = 0;
    grid->SetObjects(1, 1, &token);
    EXPECT_EQ(grid->Objects(1, 1), &token);
    EXPECT_EQ(grid->Objects(0, 1), nullptr);
    EXPECT_EQ(grid->Cells(-1, 0), "");
    EXPECT_THROW(grid->SetCells(-1, 0, "x"), EInvalidGridOperation);

    grid->SetRows(1, {"a", "b"});
    EXPECT_EQ(grid->Rows(1), QStringList({"a", "b", ""}));
    grid->SetCols(2, {"h"});
    EXPECT_EQ(grid->Cols(2), QStringList({"h", "", "", ""}));  // "last" in row 3 cleared
}

TEST_F(GridModel, SizeChangedReportsTheOldCountsAndTheCurrentCellFollows) {
    grid->SetRowCount(10);
    grid->SetRow(8);
    grid->sizeChanges.clear();
    grid->SetRowCount(4);
    ASSERT_EQ(grid->sizeChanges.size(), 1u);
    EXPECT_EQ(grid->sizeChanges[0], std::make_pair(5, 10));
    EXPECT_EQ(grid->Row(), 3);
    EXPECT_EQ(grid->RowHeightsLength(), 4);

    // A refused cell-selection check cannot leave the current cell outside the grid.
    grid->SetRowCount(10);
    grid->SetRow(9);
    grid->OnSelectCell = [](TCustomGrid*, int, int, bool& CanSelect) { CanSelect = false; };
    grid->SetRowCount(5);
    EXPECT_EQ(grid->Row(), 4);
}

TEST_F(GridModel, DeferredSizeChangeWaitsForApply) {
    grid->SetRowCount(2);
    grid->SetRowHeights(1, 40);
    grid->defer = true;
    grid->sizeChanges.clear();
    grid->SetRowCount(100);
    EXPECT_EQ(grid->RowCount(), 100);
    EXPECT_EQ(grid->RowHeightsLength(), 2);
    EXPECT_TRUE(grid->sizeChanges.empty());
    grid->SetRowCount(1);  // the fixed count drops at once
    EXPECT_EQ(grid->FixedRows(), 0);
    grid->SetRowCount(100);
    grid->defer = false;
    grid->ApplySizeChange(grid->ColCount(), grid->RowCount());
    EXPECT_EQ(grid->RowHeightsLength(), 100);
    EXPECT_EQ(grid->RowHeights(99), grid->DefaultRowHeight());
    EXPECT_EQ(grid->RowHeights(1), 40);
    ASSERT_EQ(grid->sizeChanges.size(), 1u);
    EXPECT_EQ(grid->sizeChanges[0], std::make_pair(5, 100));
}

TEST_F(GridModel, SettingTheDefaultHeightResetsEveryRow) {
    grid->SetRowHeights(2, 50);
    grid->SetDefaultRowHeight(30);
    EXPECT_EQ(grid->RowHeights(2), 30);
    EXPECT_EQ(grid->RowHeights(4), 30);
    EXPECT_EQ(grid->RowHeights(400), 30);  // past the count: the default
}

// ---- Scrolling and cell rectangles ----

TEST_F(GridModel, ScrollsByWholeRows) {
    MakeList(20, 20, 100);
    EXPECT_EQ(grid->VisibleRowCount(), 5);
    grid->SetTopRow(3);
    EXPECT_EQ(grid->TopRow(), 3);
    EXPECT_EQ(grid->CellRect(0, 3), QRect(0, 0, 200, 20));
    EXPECT_EQ(grid->CellRect(0, 7), QRect(0, 80, 200, 20));
    EXPECT_TRUE(grid->CellRect(0, 2).isEmpty());
    EXPECT_TRUE(grid->CellRect(0, 8).isEmpty());

    // The last position shows the last row at the bottom, and no further.
    grid->SetTopRow(100);
    EXPECT_EQ(grid->TopRow(), 15);
    EXPECT_EQ(grid->CellRect(0, 19), QRect(0, 80, 200, 20));
    grid->SetTopRow(-4);
    EXPECT_EQ(grid->TopRow(), 0);

    // Moving the current row below the view scrolls by one row; above, it comes to the top.
    grid->SetRow(4);
    EXPECT_EQ(grid->TopRow(), 0);
    grid->SetRow(5);
    EXPECT_EQ(grid->TopRow(), 1);
    EXPECT_EQ(grid->CellRect(0, 5), QRect(0, 80, 200, 20));
    grid->SetRow(12);
    EXPECT_EQ(grid->TopRow(), 8);
    grid->SetRow(2);
    EXPECT_EQ(grid->TopRow(), 2);
    EXPECT_GT(grid->topLeftChanges, 0);
}

TEST_F(GridModel, ScrollBarMovesTheTopRow) {
    MakeList(20, 20, 100);
    grid->SetScrollBars(TCustomGrid::ssVertical);
    QCoreApplication::processEvents();
    QScrollBar* bar = grid->verticalScrollBar();
    // The bar takes width from the view but not height: the range is in rows.
    EXPECT_EQ(bar->maximum(), 15);
    bar->setValue(7);  // as a drag of the thumb ends
    EXPECT_EQ(grid->TopRow(), 7);
    EXPECT_EQ(grid->CellRect(0, 7).top(), 0);
    grid->SetTopRow(2);
    EXPECT_EQ(bar->value(), 2);

    // A bar step onto a hidden row goes on to the next shown one.
    grid->SetRowHeights(3, -1);
    bar->setValue(3);
    EXPECT_EQ(grid->TopRow(), 4);
    EXPECT_EQ(bar->value(), 4);
}

TEST_F(GridModel, PartlyVisibleRowIsClippedToTheView) {
    MakeList(10, 20, 110);
    EXPECT_EQ(grid->VisibleRowCount(), 5);
    EXPECT_EQ(grid->CellRect(0, 5), QRect(0, 100, 200, 10));
    EXPECT_TRUE(grid->CellRect(0, 6).isEmpty());
    // A column wider than the view is clipped at its right edge.
    grid->SetColWidths(0, 500);
    EXPECT_EQ(grid->CellRect(0, 1), QRect(0, 20, 200, 20));
    // Outside the counts there is no rectangle.
    EXPECT_TRUE(grid->CellRect(1, 0).isEmpty());
    EXPECT_TRUE(grid->CellRect(0, -1).isEmpty());
}

TEST_F(GridModel, HiddenRowsAndColumnsTakeNoRoom) {
    grid->SetOptions(TGridOptions());  // no lines
    grid->SetColCount(4);
    grid->SetRowCount(6);
    grid->SetFixedCols(0);
    grid->SetFixedRows(0);
    grid->SetDefaultColWidth(40);
    grid->SetDefaultRowHeight(20);
    grid->SetRowHeights(2, -1);
    grid->SetColWidths(1, -1);
    EXPECT_TRUE(grid->CellRect(0, 2).isEmpty());
    EXPECT_TRUE(grid->CellRect(1, 0).isEmpty());
    EXPECT_EQ(grid->CellRect(0, 3), QRect(0, 40, 40, 20));
    EXPECT_EQ(grid->CellRect(2, 0), QRect(40, 0, 40, 20));

    int c, r;
    grid->MouseToCell(45, 45, c, r);
    EXPECT_EQ(c, 2);
    EXPECT_EQ(r, 3);

    // Keys and the wheel step over hidden rows and columns.
    grid->SetRow(1);
    grid->SetCol(0);
    QTest::keyClick(grid, Qt::Key_Down);
    EXPECT_EQ(grid->Row(), 3);
    QTest::keyClick(grid, Qt::Key_Right);
    EXPECT_EQ(grid->Col(), 2);
    QTest::keyClick(grid, Qt::Key_Up);
    EXPECT_EQ(grid->Row(), 1);

    // Width 0 is not hidden: the column is there with no pixels.
    grid->SetColWidths(1, 0);
    EXPECT_TRUE(grid->CellRect(1, 0).isEmpty());
    QTest::keyClick(grid, Qt::Key_Left);
    EXPECT_EQ(grid->Col(), 1);
}

TEST_F(GridModel, LastRowsHiddenDoNotLeaveAnEmptyView) {
    MakeList(12, 20, 100);
    grid->SetRowHeights(10, -1);
    grid->SetRowHeights(11, -1);
    grid->SetTopRow(100);
    EXPECT_EQ(grid->TopRow(), 5);  // rows 5..9 fill the view
    EXPECT_EQ(grid->CellRect(0, 9), QRect(0, 80, 200, 20));
}

TEST_F(GridModel, RowTallerThanTheViewScrollsToTheTop) {
    MakeList(5, 20, 100);
    grid->SetRowHeights(4, 300);
    grid->SetTopRow(100);
    EXPECT_EQ(grid->TopRow(), 4);
    EXPECT_EQ(grid->VisibleRowCount(), 1);
    EXPECT_EQ(grid->CellRect(0, 4), QRect(0, 0, 200, 100));
}

struct HitCase {
    int x, y, col, row;
};

TEST_F(GridModel, MouseToCellAtCellEdges) {
    // Default options: 1-pixel lines after every cell; one fixed row and column.
    grid->SetColCount(3);
    grid->SetRowCount(3);
    grid->SetDefaultColWidth(50);
    grid->SetDefaultRowHeight(20);
    grid->setGeometry(0, 0, 300, 200);
    const HitCase cases[] = {
        {0, 0, 0, 0},       // top-left pixel of the fixed corner
        {49, 19, 0, 0},     // last pixel inside the fixed corner
        {50, 20, 0, 0},     // the lines after it belong to it
        {51, 21, 1, 1},     // first pixel of the first scrolling cell
        {101, 41, 1, 1},    // its lines
        {102, 42, 2, 2},    // the last cell
        {152, 62, 2, 2},    // its lines
        {153, 30, -1, -1},  // right of the last column
        {30, 63, -1, -1},   // below the last row
        {-1, 5, -1, -1},    // left of the grid
        {5, -1, -1, -1},    // above the grid
    };
    for (const auto& c : cases) {
        int col = 9, row = 9;
        grid->MouseToCell(c.x, c.y, col, row);
        EXPECT_EQ(col, c.col) << c.x << "," << c.y;
        EXPECT_EQ(row, c.row) << c.x << "," << c.y;
    }
    EXPECT_EQ(grid->CellRect(1, 1), QRect(51, 21, 50, 20));

    // Scrolled, the fixed cells stay and the first scrolling cell shows the top row.
    grid->SetRowCount(30);
    grid->SetTopRow(10);
    int col, row;
    grid->MouseToCell(60, 25, col, row);
    EXPECT_EQ(row, 10);
    grid->MouseToCell(60, 10, col, row);
    EXPECT_EQ(row, 0);
    EXPECT_TRUE(grid->CellRect(1, 5).isEmpty());
    EXPECT_EQ(grid->CellRect(1, 0), QRect(51, 0, 50, 20));
}

// ---- Moves and deletes ----

TEST_F(GridModel, RowMoveCarriesCellsHeightsAndTheCurrentRow) {
    grid->SetRowCount(6);
    for (int r = 0; r < 8; ++r) grid->SetCells(1, r, QString::number(r));
    grid->SetRowHeights(1, 40);
    grid->SetRowHeights(2, -1);
    grid->SetRow(1);
    std::vector<std::pair<int, int>> moves;
    grid->OnRowMoved = [&](TCustomGrid*, int f, int t) { moves.emplace_back(f, t); };
    grid->MoveRow(1, 4);
    EXPECT_EQ(grid->Cols(1), QStringList({"0", "2", "3", "4", "1", "5"}));
    EXPECT_EQ(grid->RowHeights(4), 40);
    EXPECT_EQ(grid->RowHeights(1), -1);
    EXPECT_EQ(grid->Row(), 4);
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0], std::make_pair(1, 4));

    grid->SetRow(3);
    grid->MoveRow(4, 2);  // back up: rows 2..3 shift down
    EXPECT_EQ(grid->Cols(1), QStringList({"0", "2", "1", "3", "4", "5"}));
    EXPECT_EQ(grid->Row(), 4);

    // Rows past the count move too, the shown ones untouched.
    grid->MoveRow(6, 7);
    EXPECT_EQ(grid->Cells(1, 6), "7");
    EXPECT_EQ(grid->Cells(1, 7), "6");
    EXPECT_EQ(grid->Cols(1), QStringList({"0", "2", "1", "3", "4", "5"}));
    EXPECT_THROW(grid->MoveRow(-1, 2), EInvalidGridOperation);
}

TEST_F(GridModel, ColumnMoveCarriesCellsWidthsAndTabStops) {
    grid->SetColCount(4);
    for (int c = 0; c < 4; ++c) grid->SetCells(c, 2, QString(QChar('a' + c)));
    grid->SetColWidths(3, 10);
    grid->SetTabStops(3, false);
    grid->SetCol(3);
    grid->MoveColumn(3, 1);
    EXPECT_EQ(grid->Rows(2), QStringList({"a", "d", "b", "c"}));
    EXPECT_EQ(grid->ColWidths(1), 10);
    EXPECT_FALSE(grid->TabStops(1));
    EXPECT_TRUE(grid->TabStops(3));
    EXPECT_EQ(grid->Col(), 1);
}

TEST_F(GridModel, DeleteRowMovesTheRowPastTheCount) {
    grid->SetRowCount(4);
    for (int r = 0; r < 4; ++r) grid->SetCells(0, r, QString::number(r));
    grid->DeleteRow(1);
    EXPECT_EQ(grid->RowCount(), 3);
    EXPECT_EQ(grid->Cols(0), QStringList({"0", "2", "3"}));
    EXPECT_EQ(grid->Cells(0, 3), "1");  // kept past the count, as the Windows grid kept it
    grid->DeleteColumn(4);
    EXPECT_EQ(grid->ColCount(), 4);
    EXPECT_THROW(grid->DeleteRow(3), EInvalidGridOperation);
}

TEST_F(GridModel, RunTimeOptions) {
    grid->SetColCount(4);
    grid->SetRowCount(6);
    grid->SetCol(2);
    grid->SetRow(2);
    grid->SetOptions(grid->Options() | goRowSelect);
    EXPECT_EQ(grid->Selection(), (TGridRect{1, 2, 3, 2}));
    EXPECT_EQ(grid->Col(), 1);
    grid->SetRow(4);
    EXPECT_EQ(grid->Selection(), (TGridRect{1, 4, 3, 4}));
    grid->SetOptions(grid->Options() - goRowSelect);
    EXPECT_EQ(grid->Selection(), (TGridRect{1, 4, 1, 4}));

    // Lines take room only while a line option is on.
    const int top = grid->TopRow();
    const int withLines = grid->CellRect(2, top).left();
    EXPECT_EQ(withLines, 130);
    grid->SetOptions(TGridOptions(goRangeSelect));
    EXPECT_EQ(grid->CellRect(2, top).left(), withLines - 2);
}

}  // namespace
}  // namespace kiv::gridtest
