// What the grid paints, sampled at known points of an image of its view (away from text).
#include <QPainter>

#include "tests/platform/qt/test_grids_fixture.h"

namespace kiv::gridtest {
namespace {

using GridPaint = GridFixture;

QRgb At(const QImage& img, int x, int y) { return img.pixel(x, y) & 0xFFFFFF; }
QRgb Rgb(TColor c) { return toQColor(c).rgb() & 0xFFFFFF; }

TEST_F(GridPaint, DefaultDrawingFillsFixedAndScrollingCellsAndDrawsLines) {
    // 3 x 3 cells of 50 x 20 with 1-pixel lines, one fixed row and column, in 200 x 100.
    grid->SetColCount(3);
    grid->SetRowCount(3);
    grid->SetDefaultColWidth(50);
    grid->SetDefaultRowHeight(20);
    grid->SetColor(clWhite);
    grid->SetFixedColor(0x00C0FFC0);
    grid->SetCol(2);
    grid->SetRow(2);
    other->setFocus();  // not focused: the current cell shows as selected
    const QImage img = Snapshot();
    ASSERT_EQ(img.size(), QSize(200, 100));
    EXPECT_EQ(At(img, 25, 10), Rgb(0x00C0FFC0));    // fixed corner
    EXPECT_EQ(At(img, 75, 10), Rgb(0x00C0FFC0));    // fixed row
    EXPECT_EQ(At(img, 25, 30), Rgb(0x00C0FFC0));    // fixed column
    EXPECT_EQ(At(img, 75, 30), Rgb(clWhite));       // cell (1, 1)
    EXPECT_EQ(At(img, 125, 50), Rgb(clHighlight));  // the current cell (2, 2)
    EXPECT_EQ(At(img, 50, 10), Rgb(clBlack));       // line after the fixed column, in the fixed row
    EXPECT_EQ(At(img, 80, 20), Rgb(clBlack));       // line under the fixed row
    EXPECT_EQ(At(img, 101, 30), Rgb(clSilver));     // line between cells (1,1) and (2,1)
    EXPECT_EQ(At(img, 75, 41), Rgb(clSilver));      // line between cells (1,1) and (1,2)
    EXPECT_EQ(At(img, 170, 30), Rgb(clWhite));      // right of the last column
    EXPECT_EQ(At(img, 75, 80), Rgb(clWhite));       // below the last row

    // Without lines the cells touch.
    grid->SetOptions(TGridOptions());
    const QImage bare = Snapshot();
    EXPECT_EQ(At(bare, 50, 30), Rgb(clWhite));  // cell (1, 1) starts at x 50 now
    EXPECT_EQ(At(bare, 49, 30), Rgb(0x00C0FFC0));
}

TEST_F(GridPaint, FocusedCellIsNotHighlightedUnlessAsked) {
    grid->SetColor(clWhite);
    Activate();
    grid->SetCol(1);
    grid->SetRow(1);
    const QPoint mid = Centre(1, 1);
    EXPECT_EQ(At(Snapshot(), mid.x(), mid.y()), Rgb(clWhite));
    grid->SetOptions(grid->Options() | goDrawFocusSelected);
    EXPECT_EQ(At(Snapshot(), mid.x(), mid.y()), Rgb(clHighlight));
    // Row selection highlights the whole row.
    grid->SetOptions((grid->Options() - goDrawFocusSelected) | goRowSelect);
    const QPoint right = Centre(3, 1);
    EXPECT_EQ(At(Snapshot(), right.x(), right.y()), Rgb(clHighlight));
}

TEST_F(GridPaint, OwnerDrawingThroughDrawCellWithTheCanvas) {
    MakeList(8, 20, 100, 120);
    grid->SetDefaultDrawing(false);
    grid->SetColor(clWhite);
    grid->SetRowHeights(2, -1);
    grid->SetRowHeights(4, 30);
    const TColor colours[] = {clRed, clLime, clBlue, clYellow, clAqua, clFuchsia, clNavy, clMaroon};
    std::vector<int> drawn;
    bool canvasInside = true;
    grid->OnDrawCell = [&](TCustomGrid* g, int, int r, const QRect& rect, TGridDrawState) {
        drawn.push_back(r);
        canvasInside = canvasInside && g->Canvas() != nullptr;
        g->Canvas()->fillRect(rect.adjusted(2, 2, -2, -2), toQColor(colours[r]));
    };
    const QImage img = Snapshot();
    EXPECT_TRUE(canvasInside);
    EXPECT_EQ(grid->Canvas(), nullptr);
    EXPECT_EQ(drawn,
              (std::vector<int>{0, 1, 3, 4, 5}));  // the hidden row is not drawn, nor 6 and 7
    EXPECT_EQ(At(img, 60, 10), Rgb(clRed));
    EXPECT_EQ(At(img, 60, 30), Rgb(clLime));
    EXPECT_EQ(At(img, 60, 50), Rgb(clYellow));   // row 3 right under row 1
    EXPECT_EQ(At(img, 60, 75), Rgb(clAqua));     // row 4, 30 high, 60..89
    EXPECT_EQ(At(img, 60, 95), Rgb(clFuchsia));  // row 5 partly visible at 90
    EXPECT_EQ(At(img, 1, 10), Rgb(clWhite));     // the inset the handler left: no default fill

    // Scrolled by two rows the first painted row is row 3.
    grid->SetTopRow(2);
    drawn.clear();
    const QImage scrolled = Snapshot();
    EXPECT_EQ(drawn.front(), 3);
    EXPECT_EQ(At(scrolled, 60, 10), Rgb(clYellow));
}

TEST_F(GridPaint, StringGridDrawsTextInsideItsCell) {
    MakeList(3, 30, 100, 150);
    grid->SetColor(clWhite);
    grid->SetCells(0, 1, "WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW");
    const QImage img = Snapshot();
    // Ink somewhere in row 1, none in the 2-pixel margin above the text or in row 2.
    bool ink = false;
    for (int x = 2; x < 150 && !ink; ++x)
        for (int y = 32; y < 60 && !ink; ++y) ink = At(img, x, y) != Rgb(clWhite);
    EXPECT_TRUE(ink);
    for (int x = 0; x < 150; ++x) {
        EXPECT_EQ(At(img, x, 30), Rgb(clWhite)) << x;
        EXPECT_EQ(At(img, x, 75), Rgb(clWhite)) << x;
    }
}

}  // namespace
}  // namespace kiv::gridtest
