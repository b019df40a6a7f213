// Painting of outline rows sampled at known points (frames, fills, badges; never glyphs),
// the geometry the hit tests share, badge numbers and row heights.
#include <QFontMetrics>

#include "engine/core/Cards.h"
#include "tests/engine/panels/PanelsFixture.h"

namespace kiv::paneltest {
namespace {

class Render : public PanelsFixture {
protected:
    // A point inside row r's content, right of the caption of a one-letter topic.
    QPoint Inside(TKivStringGrid* g, int r) {
        const QRect c = g->RowContentRect(r);
        return QPoint(Right(c) - 20, c.y() + c.height() / 2);
    }
    // A point on the top edge of row r's frame or separator, clear of the badge.
    QPoint TopEdge(TKivStringGrid* g, int r) {
        const QRect c = g->RowContentRect(r);
        return QPoint(Right(c) - 30, c.y());
    }
};

TEST_F(Render, FillsAndPensOfOrdinaryMarkedAndCurrentRows) {
    Open("a b c d");
    ASSERT_NO_FATAL_FAILURE(Activate(p[0]));
    p[0]->Nester->SetMarked(2, true);
    p[0]->DrawRow(2);
    const QImage img = Shot(p[0]);

    // Current row of the focused active panel: its own face and the focus frame.
    EXPECT_EQ(Pixel(img, Inside(p[0], 0).x(), Inside(p[0], 0).y()), kFocSelRowColor);
    EXPECT_EQ(Pixel(img, TopEdge(p[0], 0).x(), TopEdge(p[0], 0).y()), kFocBorderColor);
    // Left edge of the frame, one pixel below its top.
    const QRect c0 = p[0]->RowContentRect(0);
    EXPECT_EQ(Pixel(img, c0.x(), Bottom(c0) - 3), kFocBorderColor);
    // An ordinary row: the panel's face with a separator line at its top only.
    EXPECT_EQ(Pixel(img, Inside(p[0], 1).x(), Inside(p[0], 1).y()), kRowColor);
    EXPECT_EQ(Pixel(img, TopEdge(p[0], 1).x(), TopEdge(p[0], 1).y()), kBorderColor);
    const QRect c1 = p[0]->RowContentRect(1);
    EXPECT_EQ(Pixel(img, c1.x(), Bottom(c1) - 3), kRowColor);  // no frame at the side
    // A marked row: the marked face in a plain frame.
    EXPECT_EQ(Pixel(img, Inside(p[0], 2).x(), Inside(p[0], 2).y()), kFocSelRowColor);
    EXPECT_EQ(Pixel(img, TopEdge(p[0], 2).x(), TopEdge(p[0], 2).y()), kBorderColor);
    // Between the rows the cell is filled with the panel's face.
    EXPECT_EQ(Pixel(img, c1.x() + 40, c1.y() - 2), kRowColor);

    // Without the focus the current row keeps its face and loses the focus frame.
    other->setFocus(Qt::MouseFocusReason);
    QCoreApplication::processEvents();
    const QImage unfocused = Shot(p[0]);
    EXPECT_EQ(Pixel(unfocused, Inside(p[0], 0).x(), Inside(p[0], 0).y()), kFocSelRowColor);
    EXPECT_EQ(Pixel(unfocused, TopEdge(p[0], 0).x(), TopEdge(p[0], 0).y()), kBorderColor);

    // The boxed view frames every row.
    p[0]->SetBoxedView(true);
    EXPECT_EQ(Pixel(Shot(p[0]), c1.x(), Bottom(c1) - 3), kBorderColor);
}

TEST_F(Render, CurrentRowOfAnInactivePanelAndEmptyPanels) {
    Open("a(b c) d");
    ASSERT_NO_FATAL_FAILURE(Activate(p[0]));
    const QImage img = Shot(p[1]);
    EXPECT_EQ(Pixel(img, Inside(p[1], 0).x(), Inside(p[1], 0).y()), kSelRowColor);
    EXPECT_EQ(Pixel(img, TopEdge(p[1], 0).x(), TopEdge(p[1], 0).y()), kBorderColor);
    EXPECT_EQ(Pixel(img, Inside(p[1], 1).x(), Inside(p[1], 1).y()), kRowColor);

    // A panel without rows shows one white frame; framed in the focus colour when active.
    const QImage empty = Shot(p[2]);
    EXPECT_EQ(Pixel(empty, Inside(p[2], 0).x(), Inside(p[2], 0).y()), 0xFFFFFFu);
    EXPECT_EQ(Pixel(empty, TopEdge(p[2], 0).x(), TopEdge(p[2], 0).y()), kBorderColor);
    CurrentPanel = 3;
    p[2]->DrawRow(0);
    const QImage active = Shot(p[2]);
    EXPECT_EQ(Pixel(active, TopEdge(p[2], 0).x(), TopEdge(p[2], 0).y()), kFocBorderColor);
}

TEST_F(Render, DocumentView) {
    Open("a b c");
    ASSERT_NO_FATAL_FAILURE(Activate(p[0]));
    p[0]->Nester->SetMarked(2, true);
    p[0]->SetDocumentView(true);
    QImage img = Shot(p[0]);
    const QRect c1 = p[0]->RowContentRect(1);
    // White everywhere: background, rows, current row.
    EXPECT_EQ(Pixel(img, 2, 2), 0xFFFFFFu);
    EXPECT_EQ(Pixel(img, Inside(p[0], 0).x(), Inside(p[0], 0).y()), 0xFFFFFFu);
    EXPECT_EQ(Pixel(img, Inside(p[0], 1).x(), Inside(p[0], 1).y()), 0xFFFFFFu);
    EXPECT_EQ(Pixel(img, p[0]->width() - 2, p[0]->height() - 2), 0xFFFFFFu);
    // The focused current row is framed red, a marked row light grey, others not at all.
    EXPECT_EQ(Pixel(img, TopEdge(p[0], 0).x(), TopEdge(p[0], 0).y()), 0x0000FFu);
    EXPECT_EQ(Pixel(img, TopEdge(p[0], 2).x(), TopEdge(p[0], 2).y()), 0xCECECEu);
    EXPECT_EQ(Pixel(img, TopEdge(p[0], 1).x(), TopEdge(p[0], 1).y()), 0xFFFFFFu);
    // No badge without circles or numbers.
    EXPECT_EQ(Pixel(img, c1.x() + 3, c1.y() + 7), 0xFFFFFFu);
    EXPECT_FALSE(p[0]->IsOverBadge(c1.x() + 3, c1.y() + 7));

    other->setFocus(Qt::MouseFocusReason);
    QCoreApplication::processEvents();
    img = Shot(p[0]);
    EXPECT_EQ(Pixel(img, TopEdge(p[0], 0).x(), TopEdge(p[0], 0).y()), 0x000000u);

    p[0]->SetDocViewNumbers(true);
    img = Shot(p[0]);
    EXPECT_TRUE(p[0]->IsOverBadge(c1.x() + 3, c1.y() + 7));
    EXPECT_EQ(Pixel(img, c1.x() + 3, c1.y() + 7), 0xFFFFFFu);  // a white box (no children)
    p[0]->SetDocViewCircles(true);
    EXPECT_FALSE(p[0]->DocViewNumbers());

    p[0]->SetDocumentView(false);
    EXPECT_EQ(Pixel(Shot(p[0]), 2, Bottom(p[0]->RowContentRect(2)) + 40), kRowColor);
}

TEST_F(Render, BadgesShowChildrenAndExternalLinksInTheirColour) {
    Open("a(b) c d");
    const QImage img = Shot(p[0]);
    auto badgeFace = [&](int r) {
        const QRect b = TKivStringGrid::BadgeRect(p[0]->RowContentRect(r));
        return Pixel(img, b.x() + 3, b.y() + 7);
    };
    EXPECT_EQ(badgeFace(0), 0x00FFFFu);  // yellow: has children
    EXPECT_EQ(badgeFace(1), 0xFFFFFFu);  // white: none
    // The badge's outline is the row's pen.
    const QRect b = TKivStringGrid::BadgeRect(p[0]->RowContentRect(1));
    EXPECT_EQ(Pixel(img, b.x() + 12, b.y()), kBorderColor);
}

TEST_F(Render, BadgeNumbersInListAndTreeNumbering) {
    Open("a(b c) d(e)");
    TNester& m = *p[0]->Nester;
    m.Expand(0);
    m.Expand(3);
    p[0]->SetRowCount(m.RowCount());
    ASSERT_EQ(test::RowsText(m), "a\n  b\n  c\nd\n  e\n");
    const int list[] = {1, 2, 3, 4, 5};
    const int tree[] = {1, 1, 2, 2, 1};
    for (int r = 0; r < 5; ++r) EXPECT_EQ(p[0]->RowNumber(r), list[r]) << r;
    p[0]->TreeMode = true;
    for (int r = 0; r < 5; ++r) EXPECT_EQ(p[0]->RowNumber(r), tree[r]) << r;
    EXPECT_EQ(p[0]->RowNumber(5), -1);
    EXPECT_EQ(p[0]->RowNumber(-1), -1);
    // Children are indented 20 pixels a level.
    EXPECT_EQ(p[0]->RowContentRect(1).x() - p[0]->RowContentRect(0).x(), 20);
}

TEST_F(Render, CaptionPlaceBesideAndUnderTheLaunchIcon) {
    Open("a b");
    TNester& m = *p[0]->Nester;
    EXPECT_TRUE(m.LaunchList().SetLinks(0,
                                        "/nowhere/file.txt\x01"
                                        "file\r\n"));
    const int lh = PanelsManager().LineHeight;
    ASSERT_LE(p[0]->RowHeights(0), lh + 8);
    const QRect c = p[0]->RowContentRect(0);
    EXPECT_EQ(p[0]->CaptionRect(0).x() - c.x(), 48);
    EXPECT_EQ(p[0]->CaptionRect(1).x() - p[0]->RowContentRect(1).x(), 30);
    EXPECT_TRUE(p[0]->IsOverLaunchIcon(c.x() + 31, c.y() + 2));
    EXPECT_FALSE(p[0]->IsOverLaunchIcon(c.x() + 31 + 17, c.y() + 2));
    EXPECT_FALSE(p[1]->IsOverLaunchIcon(c.x() + 31, c.y() + 2));
    // The clip is drawn beside the badge: the face there is not plain any more.
    const QImage img = Shot(p[0]);
    bool drawn = false;
    for (int y = c.y() + 2; y < c.y() + 18 && !drawn; ++y)
        for (int x = c.x() + 30; x < c.x() + 46 && !drawn; ++x)
            drawn = Pixel(img, x, y) != Pixel(img, Inside(p[0], 0).x(), Inside(p[0], 0).y());
    EXPECT_TRUE(drawn);

    p[0]->SetRowHeights(0, lh * 3 + 8);
    EXPECT_EQ(p[0]->CaptionRect(0).x() - c.x(), 30);
    EXPECT_TRUE(p[0]->IsOverLaunchIcon(c.x() + 3, c.y() + 15));
    EXPECT_FALSE(p[0]->IsOverLaunchIcon(c.x() + 31, c.y() + 2));

    p[0]->SetTextOnly(true);
    EXPECT_FALSE(p[0]->IsOverLaunchIcon(c.x() + 3, c.y() + 15));
    EXPECT_EQ(p[0]->CaptionRect(0).x() - c.x(), 30);
}

TEST_F(Render, TextCardIconAndItsHitArea) {
    Open("a b");
    TNester& m = *p[0]->Nester;
    ASSERT_TRUE(m.Cards().WriteRowCard(kCardText, 1, "some text"));
    m.SetHasText(1, true);
    p[0]->DrawRow(1);
    const QRect c = p[0]->RowContentRect(1);
    EXPECT_TRUE(p[0]->IsOverTextIcon(c.x() + 23, c.y() + 2));
    EXPECT_TRUE(p[0]->IsOverTextIcon(c.x() + 22 + 7 + 2, c.y() + 1 + 10 + 2));  // edges included
    EXPECT_FALSE(p[0]->IsOverTextIcon(c.x() + 23, c.y() + 14));
    EXPECT_FALSE(
        p[0]->IsOverTextIcon(p[0]->RowContentRect(0).x() + 23, p[0]->RowContentRect(0).y() + 2));
    const QImage img = Shot(p[0]);
    bool drawn = false;
    for (int y = c.y() + 2; y < c.y() + 12; ++y)
        for (int x = c.x() + 23; x < c.x() + 30; ++x) drawn |= Pixel(img, x, y) == 0x303030u;
    EXPECT_TRUE(drawn);
}

TEST_F(Render, LongCaptionsGetAHeightBoxAndGrowWithExpandAll) {
    const std::string longCaption =
        "A rather long caption that wraps over several lines of the panel because it keeps "
        "going with more words than fit";
    Open("short \"" + longCaption + "\" tail");
    const int def = p[0]->DefaultRowHeight();
    EXPECT_EQ(def, PanelsManager().LineHeight + 8);
    for (int r = 0; r < 3; ++r) EXPECT_EQ(p[0]->RowHeights(r), def);
    // Drawn at the default height the long caption shows its height box.
    EXPECT_FALSE(p[0]->Nester->HasHeightBox(0));
    EXPECT_TRUE(p[0]->Nester->HasHeightBox(1));
    const QRect c = p[0]->RowContentRect(1);
    EXPECT_TRUE(p[0]->IsOverHeightBox(Right(c) - 8, Bottom(c) - 6));
    EXPECT_TRUE(p[0]->IsOverHeightBox(Right(c) - 16, Bottom(c) - 12));  // edges included
    EXPECT_FALSE(p[0]->IsOverHeightBox(Right(c) - 17, Bottom(c) - 6));
    const QImage img = Shot(p[0]);
    const QRect box = TKivStringGrid::HeightBoxRect(c);
    EXPECT_EQ(Pixel(img, box.x(), box.y() + 5), kBorderColor);   // the box's outline
    EXPECT_EQ(Pixel(img, box.x() + 2, box.y() + 2), 0xFFFFFFu);  // its white face

    p[0]->SetExpandAll(true);
    EXPECT_EQ(p[0]->RowHeights(0), def);
    EXPECT_GT(p[0]->RowHeights(1), 2 * def);
    EXPECT_EQ(p[0]->RowHeights(2), def);
    EXPECT_EQ(p[0]->RowHeights(1), p[0]->RowHeight(1));
    // Rows below moved down with it.
    EXPECT_EQ(p[0]->RowContentRect(2).y(), p[0]->RowContentRect(1).y() + p[0]->RowHeights(1));

    p[0]->SetExpandAll(false);
    EXPECT_EQ(p[0]->RowHeights(1), def);

    // More lines per row make every row taller.
    ColorScheme.RowLines = 2;
    p[0]->UpdateRowHeights(0);
    EXPECT_EQ(p[0]->DefaultRowHeight(), 2 * PanelsManager().LineHeight + 8);
    EXPECT_EQ(p[0]->RowHeights(2), 2 * PanelsManager().LineHeight + 8);
    ColorScheme.RowLines = 7;  // out of range counts as 1
    EXPECT_EQ(SchemeRowLines(), 1);
}

TEST_F(Render, NoHeightBoxWhileEditingOrInTextOnlyView) {
    Open("\"a caption long enough to need more than one line in a panel of this width, surely\" b");
    ASSERT_TRUE(p[0]->Nester->HasHeightBox(0));
    p[0]->SetTextOnly(true);
    EXPECT_FALSE(p[0]->Nester->HasHeightBox(0));
    p[0]->SetTextOnly(false);
    EXPECT_TRUE(p[0]->Nester->HasHeightBox(0));
    // Switching edit mode on takes every box away at once.
    p[0]->SelectRow(1);
    PanelsManager().SetEditMode(true);
    EXPECT_FALSE(p[0]->Nester->HasHeightBox(0));
    const QRect c = p[0]->RowContentRect(0);
    EXPECT_FALSE(p[0]->IsOverHeightBox(Right(c) - 8, Bottom(c) - 6));
    PanelsManager().SetEditMode(false);
    EXPECT_TRUE(p[0]->Nester->HasHeightBox(0));
}

TEST_F(Render, ACaptionIsMeasuredInTheWidthItIsDrawnIn) {
    // A caption that fits on one line of the full caption width but not of the width
    // left beside a launch icon.
    Open("a b");
    TNester& m = *p[0]->Nester;
    EXPECT_TRUE(m.LaunchList().SetLinks(0,
                                        "/nowhere/file.txt\x01"
                                        "file\r\n"));
    const int wide = p[0]->ColWidths(0) - 43;
    const QFontMetrics fm(
        FontFromStored(QString::fromStdString(ColorScheme.FontName), ColorScheme.FontSize));
    std::string caption = "w";
    while (fm.horizontalAdvance(QString::fromStdString(caption + " w")) <= wide) caption += " w";
    ASSERT_GT(fm.horizontalAdvance(QString::fromStdString(caption)), wide - 18);
    EXPECT_TRUE(m.SetCaption(0, caption));
    p[0]->FitRowHeight(0);
    const QRect k = p[0]->CaptionRect(0);
    EXPECT_LE(p[0]->CaptionTextHeight(QString::fromStdString(caption), k.width(), 0), k.height());
    EXPECT_GT(p[0]->RowHeights(0), PanelsManager().LineHeight + 8);
    // Without the link the same caption is one line.
    EXPECT_TRUE(m.LaunchList().SetLinks(0, ""));
    p[0]->FitRowHeight(0);
    EXPECT_EQ(p[0]->RowHeights(0), PanelsManager().LineHeight + 8);
}

TEST_F(Render, NothingIsPaintedWhilePaintingIsOff) {
    Open("a b");
    ASSERT_NO_FATAL_FAILURE(Activate(p[0]));
    p[0]->PaintEnabled = false;
    const QImage img = Shot(p[0]);
    EXPECT_EQ(Pixel(img, Inside(p[0], 0).x(), Inside(p[0], 0).y()), kRowColor);
    EXPECT_EQ(Pixel(img, TopEdge(p[0], 0).x(), TopEdge(p[0], 0).y()), kRowColor);
    p[0]->PaintEnabled = true;
}

}  // namespace
}  // namespace kiv::paneltest
