// With expand-all the rows of a long level are measured when they come near the view or
// become current. What is shown must be what measuring every row at once gives: the
// heights of the rows on show, where the view scrolls to, and every height asked for.
#include <QScrollBar>

#include "tests/engine/panels/PanelsFixture.h"

namespace kiv::paneltest {
namespace {

constexpr int kRows = 300;

class LazyHeights : public PanelsFixture {
protected:
    // kRows topics; every third a caption of two to five lines, the others one line.
    void OpenLongLevel() {
        std::string tree;
        for (int i = 0; i < kRows; ++i) {
            if (i % 3 != 1) {
                tree += "t" + std::to_string(i) + " ";
                continue;
            }
            std::string words;
            for (int w = 0; w < 8 + (i % 4) * 9; ++w) words += " word" + std::to_string(w);
            tree += "\"long " + std::to_string(i) + words + "\" ";
        }
        g = p[0];
        g->SetScrollBars(TCustomGrid::ssVertical);
        Open(tree);
        ASSERT_EQ(g->RowCount(), kRows);
    }
    // The first row of a view whose last fully shown row is `last`, every row fitted.
    int TopShowingLast(int last) const {
        int used = g->RowHeight(last), top = last;
        while (top > 0 && used + g->RowHeight(top - 1) <= g->ClientHeight())
            used += g->RowHeight(--top);
        return top;
    }
    // The rows on show stand where, and are as high as, their captions need.
    void ExpectViewFitted(const char* when) const {
        int y = 0;
        for (int r = g->TopRow(); r < g->RowCount() && y < g->ClientHeight(); ++r) {
            const QRect c = g->CellRect(0, r);
            EXPECT_EQ(c.y(), y) << when << ", row " << r;
            EXPECT_EQ(c.height(), std::min(g->RowHeight(r), g->ClientHeight() - y))
                << when << ", row " << r;
            y += g->RowHeight(r);
        }
    }
    void ExpectEveryHeightFitted(const char* when) const {
        for (int r = 0; r < g->RowCount(); ++r)
            ASSERT_EQ(g->RowHeights(r), g->RowHeight(r)) << when << ", row " << r;
    }
    TKivStringGrid* g = nullptr;
};

TEST_F(LazyHeights, ScrollingShowsEveryRowAtItsFullFit) {
    ASSERT_NO_FATAL_FAILURE(OpenLongLevel());
    g->SetExpandAll(true);
    QCoreApplication::processEvents();
    ExpectViewFitted("at the top");
    // The scroll bar to its end shows the last rows, the view filled as with every row fitted.
    QScrollBar* bar = g->verticalScrollBar();
    ASSERT_TRUE(bar->isVisible());
    bar->setValue(bar->maximum());
    QCoreApplication::processEvents();
    EXPECT_EQ(g->TopRow(), TopShowingLast(kRows - 1));
    ExpectViewFitted("at the end");
    // Back up a page at a time, as the scroll bar's page step goes.
    for (int step = 0; step < 4 && g->TopRow() > 0; ++step) {
        bar->triggerAction(QAbstractSlider::SliderPageStepSub);
        QCoreApplication::processEvents();
        ExpectViewFitted("a page up");
    }
    // Asked for, any row's height is its fit, shown or not.
    ExpectEveryHeightFitted("every row");
    g->SetTopRow(kRows / 2);
    EXPECT_EQ(g->TopRow(), kRows / 2);
    ExpectViewFitted("in the middle");
}

TEST_F(LazyHeights, ARowFarAwayIsShownAtItsHeightWhenSelected) {
    ASSERT_NO_FATAL_FAILURE(OpenLongLevel());
    g->SetExpandAll(true);
    // Down the level: the selected row is the last one shown whole, as a full fit places it.
    for (int row : {250, 253, 298, 299}) {
        g->SelectRow(row);
        EXPECT_EQ(g->CurrentRow(), row);
        EXPECT_EQ(g->TopRow(), TopShowingLast(row)) << "row " << row;
        ExpectViewFitted("after selecting far below");
        EXPECT_EQ(g->CellRect(0, row).height(), g->RowHeight(row)) << "row " << row;
    }
    // Up again: the selected row comes to the top.
    g->SelectRow(100);
    EXPECT_EQ(g->TopRow(), 100);
    ExpectViewFitted("after selecting far above");
    // Row by row down, as the arrow keys go: the current row is kept in view.
    g->SelectRow(0);
    const int shown = g->VisibleRowCount();
    for (int r = 1; r < shown + 4; ++r) g->SelectRow(r);
    EXPECT_EQ(g->TopRow(), TopShowingLast(shown + 3));
    ExpectViewFitted("row by row");
}

TEST_F(LazyHeights, NoHeightIsLeftBehindByLinesWidthsOrLeavingExpandAll) {
    ASSERT_NO_FATAL_FAILURE(OpenLongLevel());
    g->SetExpandAll(true);
    g->SetTopRow(kRows / 2);
    ExpectViewFitted("whole captions");

    // Three lines a row, still whole captions: every row at least three lines high.
    ColorScheme.RowLines = 3;
    g->SetExpandAll(true);
    g->SetTopRow(kRows - 1);
    ExpectViewFitted("three lines, at the end");
    EXPECT_GE(g->CellRect(0, kRows - 1).height(), 3 * PanelsManager().LineHeight + 8);

    // A narrower panel wraps into more lines, also for rows never shown since.
    g->resize(kWidth * 2 / 3, kHeight);
    QCoreApplication::processEvents();
    ExpectViewFitted("narrower, where it was");
    g->SetTopRow(0);
    ExpectViewFitted("narrower, at the top");
    ExpectEveryHeightFitted("narrower");

    // Leaving expand-all sets every row back to the lines per row, the unshown ones too.
    ColorScheme.RowLines = 2;
    g->SetExpandAll(false);
    const int def = 2 * PanelsManager().LineHeight + 8;
    EXPECT_EQ(g->DefaultRowHeight(), def);
    for (int r = 0; r < kRows; ++r) ASSERT_EQ(g->RowHeights(r), def) << "row " << r;
    g->SetTopRow(kRows - 1);
    for (int r = g->TopRow(); r < kRows; ++r) EXPECT_EQ(g->CellRect(0, r).height(), def);

    // And whole captions again after rows were reloaded.
    ColorScheme.RowLines = 1;
    g->SetExpandAll(true);
    Reload();
    ExpectViewFitted("reloaded");
    g->SelectRow(kRows - 2);
    ExpectViewFitted("reloaded, at the end");
}

TEST_F(LazyHeights, RowsChangedWhileHeightsAreOffGetTheirOwnHeightsWhenRefitted) {
    ASSERT_NO_FATAL_FAILURE(OpenLongLevel());
    const int def = g->DefaultRowHeight();
    // Whole captions switched off while heights are off, as a layout change does: every
    // row is back at one line, not left at its whole caption.
    g->SetExpandAll(true);
    g->SelectRow(250);
    g->SetAutoRowHeight(false);
    g->SetExpandAll(false);
    g->SetAutoRowHeight(true);
    g->RefitRowHeights();
    for (int r = 0; r < kRows; ++r) ASSERT_EQ(g->RowHeights(r), def) << "row " << r;
    EXPECT_FALSE(g->CellRect(0, 250).isEmpty()) << "the current row stays on show";

    // A row expanded by hand, then the rows loaded anew while heights are off: they come
    // at the one-line height, as loading with heights on gives, not the old rows' heights.
    g->SetTopRow(0);
    g->FitRowHeight(1);
    ASSERT_GT(g->RowHeights(1), def);
    g->SetAutoRowHeight(false);
    Reload();
    g->SetAutoRowHeight(true);
    g->RefitRowHeights();
    EXPECT_EQ(g->RowHeights(1), def);
    // Expanded by hand and refitted with heights on, a row stays expanded.
    g->FitRowHeight(1);
    g->RefitRowHeights();
    EXPECT_EQ(g->RowHeights(1), g->RowHeight(1));
    EXPECT_GT(g->RowHeights(1), def);
}

}  // namespace
}  // namespace kiv::paneltest
