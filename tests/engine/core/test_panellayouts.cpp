#include <gtest/gtest.h>

#include <string>

#include "engine/core/OutlineLevels.h"
#include "engine/core/PanelLayouts.h"
#include "tests/engine/core/TreeFixture.h"

using namespace kiv;
using kiv::test::RowsText;
using kiv::test::TreePair;

namespace {

TEST(PanelLayouts, TableHoldsTheEightLayoutsByNumber) {
    struct Row {
        int no;
        const char* action;
        const char* key;
        int image;
        int panels;
        bool beside, tree, doc;
    };
    const Row rows[] = {
        {0, "ac3Panel", "F3", 0, 3, false, false, false},
        {1, "ac2Panel", "F2", 1, 2, false, false, false},
        {2, "ac2PanelS_W", "F6", 2, 2, false, false, false},
        {3, "ac1Panel", "F4", 3, 1, false, false, false},
        {4, "ac1PanelRightCard", "F5", 10, 1, true, false, false},
        {5, "acPanelClassic", "F7", 52, 1, false, true, false},
        {6, "acPanelClassicDoc", "F8", 53, 1, true, true, false},
        {7, "acDocumentView", "F9", 61, 1, true, true, true},
    };
    for (const Row& r : rows) {
        const TPanelLayout& l = PanelLayout(r.no);
        SCOPED_TRACE(r.action);
        EXPECT_EQ(l.No, r.no);
        EXPECT_STREQ(l.Action, r.action);
        EXPECT_STREQ(l.Key, r.key);
        EXPECT_EQ(l.Image, r.image);
        EXPECT_EQ(l.Panels, r.panels);
        EXPECT_EQ(l.CardsBeside, r.beside);
        EXPECT_EQ(IsCardsBesideLayout(r.no), r.beside);
        EXPECT_EQ(l.TreeMode, r.tree);
        EXPECT_EQ(l.DocumentView, r.doc);
        EXPECT_EQ(l.ButtonHidden, r.no == 2);
    }
    EXPECT_STREQ(PanelLayout(0).Hint, "OverView (3-Panels)");
    EXPECT_STREQ(PanelLayout(5).Hint, "Classic");
    EXPECT_STREQ(PanelLayout(6).Caption, "ClassicDoc View");
    // A stored number out of range is the three-panel view.
    EXPECT_EQ(PanelLayout(9).No, 0);
    EXPECT_EQ(PanelLayout(-3).No, 0);
}

TEST(PanelLayouts, F12WalksTheMenuOrderAndWraps) {
    EXPECT_EQ(LayoutMenuOrder(), (std::vector<int>{5, 6, 7, kNoLayout, 3, 1, 0, kNoLayout, 2, 4}));
    // From the three panels round the whole menu back to them.
    std::vector<int> seen{0};
    for (int i = 0; i < 8; ++i) seen.push_back(NextLayoutInMenu(seen.back()));
    EXPECT_EQ(seen, (std::vector<int>{0, 2, 4, 5, 6, 7, 3, 1, 0}));
    EXPECT_EQ(NextLayoutInMenu(kNoLayout), 5);
    EXPECT_EQ(NextLayoutInMenu(4), 5);
}

TEST(PanelLayouts, PaneSizesFromRatiosOrTheirDefaults) {
    TPaneRatios none;
    EXPECT_EQ(SideOutlinerWidth(none, 7, 1000), 750);
    EXPECT_EQ(SideOutlinerWidth(none, 4, 1000), 333);
    EXPECT_EQ(SideOutlinerWidth(none, 6, 1000), 333);
    EXPECT_EQ(StackedCardPaneHeight(none, 600), 150);
    TPaneRatios r;
    r.DocOutliner = 0.6f;
    r.SideOutliner = 0.25f;
    r.OutlinerHeight = 0.5f;
    EXPECT_EQ(SideOutlinerWidth(r, 7, 1000), 600);
    EXPECT_EQ(SideOutlinerWidth(r, 4, 1000), 250);
    EXPECT_EQ(StackedCardPaneHeight(r, 600), 300);
}

TEST(PanelLayouts, TextCardHeightOverTheBrowser) {
    EXPECT_EQ(TextCardHeight(0.5f, 400, 77), 200);
    EXPECT_EQ(TextCardHeight(0, 400, 77), 77);      // no ratio yet: unchanged
    EXPECT_EQ(TextCardHeight(0, 100, 300), 50);     // taller than the card pane: halved
    EXPECT_EQ(TextCardHeight(0.01f, 400, 77), 25);  // never below 25
}

TEST(PanelLayouts, PanelWidthsAndTheNarrowCardPane) {
    EXPECT_EQ(PanelWidths(2, 700, 2), (std::vector<int>{200, 500}));
    EXPECT_EQ(PanelWidths(0, 900, 3), (std::vector<int>{300, 300, 300}));
    EXPECT_EQ(PanelWidths(1, 900, 2), (std::vector<int>{450, 450}));
    EXPECT_EQ(PanelWidths(3, 900, 1), (std::vector<int>{900}));
    EXPECT_EQ(OutlinerWidthKeepingCards(1000, 900, 100), 800);
    EXPECT_EQ(OutlinerWidthKeepingCards(1000, 700, 300), 700);
    EXPECT_EQ(OutlinerWidthKeepingCards(400, 300, 100), 300);  // too small a window
}

TEST(PanelLayouts, RecordTakesOnlyWhatIsShown) {
    TPaneRatios r;
    TPaneGeometry g;
    g.Layout = 0;
    g.MainWidth = 1000;
    g.MainHeight = 800;
    g.OutlinerShown = g.CardsShown = true;
    g.OutlinerHeight = 600;
    RecordRatios(r, g);
    EXPECT_FLOAT_EQ(r.OutlinerHeight, 0.75f);
    EXPECT_EQ(r.SideOutliner, 0);
    g.Layout = 7;
    g.OutlinerWidth = 700;
    RecordRatios(r, g);
    EXPECT_FLOAT_EQ(r.DocOutliner, 0.7f);
    EXPECT_EQ(r.SideOutliner, 0);
    g.Layout = 4;
    g.OutlinerWidth = 250;
    g.TextOverBrowser = true;
    g.CardPaneHeight = 400;
    g.TextCardHeight = 100;
    RecordRatios(r, g);
    EXPECT_FLOAT_EQ(r.SideOutliner, 0.25f);
    EXPECT_FLOAT_EQ(r.SideText, 0.25f);
    // The card pane hidden: the outliner fills, nothing of it is a proportion.
    g.CardsShown = false;
    g.OutlinerWidth = 1000;
    RecordRatios(r, g);
    EXPECT_FLOAT_EQ(r.SideOutliner, 0.25f);
}

TEST(PanelLayouts, LinesPerRow) {
    for (auto [n, lines] : {std::pair{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 1}, {5, 1}, {-1, 1}})
        EXPECT_EQ(LinesPerRow(n), lines) << n;
}

class Levels : public ::testing::Test {
protected:
    Levels() : pair("a(b(b1(b2)) c) d(e)") {
        pair.Attach(model);
        model.LoadBranch(-1, false);
    }
    TreePair pair;
    TNester model;
};

TEST_F(Levels, ExpandToLevelOpensAndClosesByLevel) {
    ExpandToLevel(model, 0);
    EXPECT_EQ(RowsText(model), "a\n  b\n    b1\n      b2\n  c\nd\n  e\n");
    ExpandToLevel(model, 1);
    EXPECT_EQ(RowsText(model), "a\nd\n");
    ExpandToLevel(model, 3);
    EXPECT_EQ(RowsText(model), "a\n  b\n    b1\n  c\nd\n  e\n");
    ExpandToLevel(model, 2);
    EXPECT_EQ(RowsText(model), "a\n  b\n  c\nd\n  e\n");
}

TEST_F(Levels, ExpandBranchOpensOneBranchOnlyAndSaysWhenNothingChanged) {
    EXPECT_TRUE(ExpandBranch(model, 0));
    EXPECT_EQ(RowsText(model), "a\n  b\n    b1\n      b2\n  c\nd\n");
    EXPECT_FALSE(ExpandBranch(model, 0));
    EXPECT_FALSE(ExpandBranch(model, 99));
}

}  // namespace
