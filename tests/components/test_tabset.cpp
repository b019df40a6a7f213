// The tab strip: construction values, layout, scrolling, hit tests, the selection and its
// veto, disabled tabs, the tab list and the exact pixels of the painting.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QMouseEvent>
#include <QTest>
#include <string>
#include <vector>

#include "components/FourthScroller.h"
#include "components/FourthTabSet.h"
#include "platform/core/KivError.h"

namespace kiv {
namespace {

void Click(QWidget* w, QPoint p, Qt::MouseButton b = Qt::LeftButton) {
    QMouseEvent press(QEvent::MouseButtonPress, p, w->mapToGlobal(p), b, b, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, p, w->mapToGlobal(p), b, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(w, &release);
}

std::vector<std::pair<int, int>> Lefts(TFourthTabSet& s) {
    std::vector<std::pair<int, int>> out;
    for (auto t : s.TabPositions()) out.emplace_back(t.Left, t.Width);
    return out;
}

class TabSetTest : public ::testing::Test {
protected:
    void SetUp() override { strip.setFont(QFont("DejaVu Sans", 9)); }

    // Every tab 40 wide (measured by the owner) and 20 high: lefts 14, 63, 112, ...
    void OwnerMeasured(const QStringList& captions, int width = 40) {
        strip.SetStyle(tsOwnerDraw);
        strip.OnMeasureTab = [width](TFourthTabSet*, int, int& w) { w = width; };
        for (const QString& c : captions) strip.Tabs().Add(c);
    }

    static QStringList Numbered(int n) {
        QStringList l;
        for (int i = 0; i < n; ++i) l << QString("T%1").arg(i);
        return l;
    }

    TFourthTabSet strip;
};

TEST_F(TabSetTest, ConstructionValues) {
    EXPECT_EQ(strip.width(), 185);
    EXPECT_EQ(strip.height(), 21);
    EXPECT_TRUE(strip.AutoScroll());
    EXPECT_EQ(strip.TabIndex(), -1);
    EXPECT_EQ(strip.FirstIndex(), 0);
    EXPECT_EQ(strip.TabHeight(), 20);
    EXPECT_EQ(strip.Orientation(), toBottom);
    EXPECT_EQ(strip.Style(), tsStandard);
    EXPECT_EQ(strip.Tabs().Count(), 0);
    EXPECT_TRUE(strip.DisabledTabs().isEmpty());
    EXPECT_EQ(strip.PopupMenu(), nullptr);

    TFourthTabSetOptions& o = strip.Options();
    EXPECT_EQ(o.BackgroundColor(), clBtnShadow);
    EXPECT_EQ(o.LightColor(), cl3DLight);
    EXPECT_EQ(o.HighlightColor(), clBtnHighlight);
    EXPECT_EQ(o.ShadowColor(), clBtnShadow);
    EXPECT_EQ(o.DarkShadowColor(), cl3DDkShadow);
    EXPECT_EQ(o.FlatStyle(), fsMiddleFlat);
    EXPECT_EQ(o.SeparatorColor(), clBtnFace);
    EXPECT_EQ(o.UnSelectedColor(), clBtnHighlight);
    EXPECT_EQ(o.FaceColor(), clBtnFace);
    EXPECT_FALSE(o.BoldSelectedTab());
    EXPECT_TRUE(o.SeparatorOnSide());

    TFourthTabSetMargins& m = strip.Margins();
    EXPECT_EQ(m.StartMargin(), 5);
    EXPECT_EQ(m.EndMargin(), 5);
    EXPECT_EQ(m.EdgeHeight(), 1);
    EXPECT_EQ(m.TextTopMargin(), 3);
    EXPECT_EQ(m.TextBottomMargin(), 3);
    EXPECT_EQ(m.TextLeftMargin(), 2);
    EXPECT_EQ(m.TextRightMargin(), 0);

    TFourthScroller* sc = strip.Scroller();
    EXPECT_TRUE(sc->isHidden());
    EXPECT_EQ(sc->y(), 5);
    EXPECT_EQ(sc->size(), QSize(26, 12));
    EXPECT_EQ(sc->Min(), 0);
    EXPECT_EQ(sc->Max(), 0);
    EXPECT_EQ(sc->Position(), 0);
    EXPECT_EQ(sc->Change(), 1);
}

TEST_F(TabSetTest, TabsFollowAtTheirWidthPlusNine) {
    OwnerMeasured({"A", "B", "C"});
    EXPECT_EQ(Lefts(strip), (std::vector<std::pair<int, int>>{{14, 40}, {63, 40}, {112, 40}}));
    EXPECT_EQ(strip.VisibleTabs(), 3);
    EXPECT_TRUE(strip.Scroller()->isHidden());
}

TEST_F(TabSetTest, TabHeightFromTheFontOrTheOwner) {
    EXPECT_EQ(strip.ComputedTabHeight(), 3 + 3 + QFontInfo(strip.font()).pixelSize() + 3);
    strip.Margins().SetTextTopMargin(5);
    EXPECT_EQ(strip.ComputedTabHeight(), 5 + 3 + QFontInfo(strip.font()).pixelSize() + 3);
    strip.SetStyle(tsOwnerDraw);
    strip.SetTabHeight(17);
    EXPECT_EQ(strip.ComputedTabHeight(), 17);
}

TEST_F(TabSetTest, StandardWidthIsTheCaptionWithItsMargins) {
    strip.resize(600, 21);
    strip.Tabs().AddStrings({"Alpha", "Beta"});
    // Asked only of an owner-drawn strip.
    strip.OnMeasureTab = [](TFourthTabSet*, int, int& w) { w = 100; };
    const int alpha = QFontMetrics(strip.font()).horizontalAdvance("Alpha");
    EXPECT_EQ(Lefts(strip)[0], std::make_pair(14, alpha + 2));
    EXPECT_EQ(Lefts(strip)[1].first, 14 + alpha + 2 + 9);

    strip.Margins().SetTextRightMargin(6);
    EXPECT_EQ(Lefts(strip)[0].second, alpha + 8);

    // Measured bold, so that the selected tab fits when it is drawn bold.
    strip.Options().SetBoldSelectedTab(true);
    QFont bold = strip.font();
    bold.setBold(true);
    EXPECT_EQ(Lefts(strip)[0].second, QFontMetrics(bold).horizontalAdvance("Alpha") + 8);

    strip.SetStyle(tsOwnerDraw);
    EXPECT_EQ(Lefts(strip)[1].first, 14 + 100 + 9);
}

TEST_F(TabSetTest, ScrollerWhenTheTabsDoNotFit) {
    OwnerMeasured(Numbered(5));
    // A fourth tab would end at 210 beyond 180; the row then ends before the scroller
    // (26 + 4 pixels), at 150, and only two tabs fit.
    EXPECT_EQ(strip.VisibleTabs(), 2);
    EXPECT_EQ(Lefts(strip), (std::vector<std::pair<int, int>>{{14, 40}, {63, 40}}));
    TFourthScroller* sc = strip.Scroller();
    EXPECT_FALSE(sc->isHidden());
    EXPECT_EQ(sc->pos(), QPoint(185 - 26 - 2, 5));
    EXPECT_EQ(sc->Min(), 0);
    EXPECT_EQ(sc->Max(), 3);
    EXPECT_EQ(sc->Position(), 0);

    // The right half scrolls forward, the left half back; the strip follows.
    Click(sc, {20, 6});
    EXPECT_EQ(strip.FirstIndex(), 1);
    EXPECT_EQ(sc->Position(), 1);
    Click(sc, {20, 6});
    Click(sc, {20, 6});
    Click(sc, {20, 6});  // at Max: nothing more
    EXPECT_EQ(strip.FirstIndex(), 3);
    EXPECT_EQ(strip.VisibleTabs(), 2);
    Click(sc, {3, 6});
    EXPECT_EQ(strip.FirstIndex(), 2);

    strip.SetAutoScroll(false);
    EXPECT_TRUE(sc->isHidden());
    strip.SetFirstIndex(0);
    EXPECT_EQ(strip.VisibleTabs(), 3);
    strip.SetAutoScroll(true);
    strip.resize(400, 21);
    EXPECT_EQ(strip.VisibleTabs(), 5);
    EXPECT_TRUE(sc->isHidden());
}

TEST_F(TabSetTest, SelectingAHiddenTabBringsItIntoView) {
    strip.resize(200, 21);
    OwnerMeasured(Numbered(20));
    const int rowEnd = 200 - 5 - (26 + 4);
    strip.SetTabIndex(19);
    const int first = strip.FirstIndex();
    ASSERT_EQ(first + strip.VisibleTabs() - 1, 19);
    EXPECT_EQ(strip.Scroller()->Position(), first);
    const auto last = strip.TabPositions().back();
    EXPECT_LE(last.Left + last.Width + 9, rowEnd);
    // As many as fit: one more before it would not.
    EXPECT_GT((strip.VisibleTabs() + 1) * 49, rowEnd - 14);

    strip.SetTabIndex(2);
    EXPECT_EQ(strip.FirstIndex(), 2);
    strip.SetTabIndex(4);
    EXPECT_EQ(strip.FirstIndex(), 2);  // already in view
}

// Laying out and bringing into view end the row at the same place, 30 pixels before the
// end margin: at 190 pixels a third tab (ending at 161) would fit before the scroller's
// own left (162), but not before 155.
TEST_F(TabSetTest, RowEndsBeforeTheScrollerWithItsMargin) {
    strip.resize(190, 21);
    OwnerMeasured(Numbered(5));
    EXPECT_EQ(strip.VisibleTabs(), 2);
    strip.SetTabIndex(4);
    EXPECT_EQ(strip.FirstIndex(), 3);
    EXPECT_EQ(strip.VisibleTabs(), 2);
    strip.SetTabIndex(0);
    strip.SetTabIndex(2);
    EXPECT_EQ(strip.FirstIndex(), 1);
}

TEST_F(TabSetTest, ResizeShowsMoreTabsFromTheEnd) {
    OwnerMeasured(Numbered(10));
    strip.show();
    strip.SetFirstIndex(5);
    ASSERT_EQ(strip.VisibleTabs(), 2);
    // Seven tabs fit in 400 pixels (from 14 to 395): the last seven are shown.
    strip.resize(400, 21);
    EXPECT_EQ(strip.FirstIndex(), 3);
    // All fit: from the first.
    strip.resize(700, 21);
    EXPECT_EQ(strip.FirstIndex(), 0);
    EXPECT_EQ(strip.VisibleTabs(), 10);
}

struct HitCase {
    int x, y;
    Qt::MouseButton button;
    int expected;
};

class TabSetHitTest : public TabSetTest, public ::testing::WithParamInterface<HitCase> {};

// Tab 0 spans 14..54 and tab 1 63..103; a press in the lower half of the tab height
// reaches 4 pixels past each side (the drawn edges), in the upper half 3.
TEST_P(TabSetHitTest, PressSelectsTheTabUnderIt) {
    const HitCase c = GetParam();
    OwnerMeasured({"A", "B", "C"});
    Click(&strip, {c.x, c.y}, c.button);
    EXPECT_EQ(strip.TabIndex(), c.expected) << "at " << c.x << "," << c.y;
}

INSTANTIATE_TEST_SUITE_P(
    WidenedEdges, TabSetHitTest,
    ::testing::Values(HitCase{10, 15, Qt::LeftButton, 0}, HitCase{9, 15, Qt::LeftButton, -1},
                      HitCase{10, 9, Qt::LeftButton, -1}, HitCase{11, 9, Qt::LeftButton, 0},
                      HitCase{11, 10, Qt::LeftButton, 0}, HitCase{58, 15, Qt::LeftButton, 0},
                      HitCase{59, 15, Qt::LeftButton, 1}, HitCase{57, 2, Qt::LeftButton, 0},
                      HitCase{58, 2, Qt::LeftButton, -1}, HitCase{59, 2, Qt::LeftButton, -1},
                      HitCase{60, 2, Qt::LeftButton, 1}, HitCase{80, 20, Qt::LeftButton, 1},
                      HitCase{134, 0, Qt::LeftButton, 2}, HitCase{157, 19, Qt::LeftButton, -1},
                      HitCase{30, 15, Qt::RightButton, -1}));

TEST_F(TabSetTest, HitTestWithTheTabsOnTop) {
    OwnerMeasured({"A", "B", "C"});
    strip.resize(185, 30);
    strip.SetOrientation(toTop);
    Click(&strip, {80, 5});  // 24 rows from the edge: beyond the tab height
    EXPECT_EQ(strip.TabIndex(), -1);
    Click(&strip, {59, 29 - 15});
    EXPECT_EQ(strip.TabIndex(), 1);
}

TEST_F(TabSetTest, TabAtPosCountsFromTheFirstShownTab) {
    OwnerMeasured(Numbered(5));
    const std::vector<std::pair<QPoint, int>> cases = {{{13, 5}, -1},  {{14, 5}, 0},
                                                       {{54, 5}, 0},   {{55, 5}, -1},
                                                       {{63, 5}, 1},   {{103, 20}, 1},
                                                       {{14, -1}, -1}, {{14, 21}, -1},
                                                       {{112, 5}, -1}};  // tab 2 is not laid out
    for (const auto& [p, expected] : cases)
        EXPECT_EQ(strip.TabAtPos(p), expected) << p.x() << "," << p.y();
    strip.SetFirstIndex(2);
    EXPECT_EQ(strip.TabAtPos({70, 5}), 1);  // tab 3
}

TEST_F(TabSetTest, OnChangeAsksAndOnClickFollows) {
    OwnerMeasured({"A", "B", "C"});
    std::vector<std::string> log;
    bool allow = false;
    strip.OnChange = [&](TFourthTabSet* s, int newTab, bool& allowChange) {
        EXPECT_EQ(s, &strip);
        EXPECT_TRUE(allowChange);
        log.push_back("change " + std::to_string(newTab) + " from " +
                      std::to_string(s->TabIndex()));
        allowChange = allow;
    };
    strip.OnClick = [&](TFourthTabSet*) {
        log.push_back("click " + std::to_string(strip.TabIndex()));
    };

    Click(&strip, {70, 15});
    EXPECT_EQ(strip.TabIndex(), -1);
    EXPECT_EQ(log, (std::vector<std::string>{"change 1 from -1"}));

    log.clear();
    allow = true;
    Click(&strip, {70, 15});
    EXPECT_EQ(strip.TabIndex(), 1);
    EXPECT_EQ(log, (std::vector<std::string>{"change 1 from -1", "click 1"}));

    log.clear();
    Click(&strip, {70, 15});  // the selected tab: nothing to ask
    strip.SetTabIndex(1);
    EXPECT_TRUE(log.empty());

    strip.SetTabIndex(-1);
    EXPECT_EQ(strip.TabIndex(), -1);
    EXPECT_EQ(log, (std::vector<std::string>{"change -1 from 1", "click -1"}));
}

TEST_F(TabSetTest, HandlerThatRefillsTheStripKeepsTheIndexValid) {
    OwnerMeasured({"A", "B", "C"});
    strip.OnChange = [&](TFourthTabSet* s, int, bool&) {
        s->Tabs().Clear();
        s->Tabs().Add("Only");
    };
    int clicks = 0;
    strip.OnClick = [&](TFourthTabSet*) { ++clicks; };
    Click(&strip, {120, 15});  // tab 2, gone once the handler returns
    EXPECT_EQ(strip.TabIndex(), -1);
    EXPECT_EQ(clicks, 0);
}

TEST_F(TabSetTest, TabIndexOutOfBounds) {
    OwnerMeasured({"A", "B", "C"});
    strip.SetTabIndex(1);
    for (int bad : {3, 4, -2}) {
        try {
            strip.SetTabIndex(bad);
            ADD_FAILURE() << bad << " accepted";
        } catch (const EKivError& e) {
            EXPECT_STREQ(e.what(), "Tab index out of bounds");
        }
        EXPECT_EQ(strip.TabIndex(), 1);
    }
}

TEST_F(TabSetTest, DisabledTabsTakeNoSpaceAndCannotBeSelected) {
    OwnerMeasured({"A", "B", "C"});
    int changes = 0;
    strip.OnChange = [&](TFourthTabSet*, int, bool&) { ++changes; };
    strip.SetDisabledTabs({"b"});  // captions compare without regard to case
    EXPECT_FALSE(strip.TabEnabled(1));
    // B repeats A's entry; C takes B's place.
    EXPECT_EQ(Lefts(strip), (std::vector<std::pair<int, int>>{{14, 40}, {14, 40}, {63, 40}}));
    strip.SetTabIndex(1);
    EXPECT_EQ(strip.TabIndex(), -1);
    EXPECT_EQ(changes, 0);
    Click(&strip, {70, 15});
    EXPECT_EQ(strip.TabIndex(), 2);
    EXPECT_EQ(strip.TabAtPos({70, 5}), 2);

    // A disabled first tab: an entry of width 0 where it would have started.
    strip.SetDisabledTabs({"A"});
    EXPECT_EQ(Lefts(strip), (std::vector<std::pair<int, int>>{{14, 0}, {14, 40}, {63, 40}}));
    EXPECT_EQ(strip.TabAtPos({14, 5}), 1);
    strip.SetTabIndex(-1);
    Click(&strip, {14, 15});
    EXPECT_EQ(strip.TabIndex(), 1);
}

TEST_F(TabSetTest, TabListKeepsTheSelection) {
    strip.SetTabs({"A", "B", "C"});
    EXPECT_EQ(strip.TabIndex(), 0);
    int clicks = 0;
    strip.OnClick = [&](TFourthTabSet*) { ++clicks; };
    strip.SetTabIndex(1);
    clicks = 0;

    strip.Tabs().Insert(1, "X");  // at the selected tab: it moves along
    EXPECT_EQ(strip.TabIndex(), 2);
    EXPECT_EQ(strip.Tabs()[2], "B");
    strip.Tabs().Insert(3, "Y");  // after it
    EXPECT_EQ(strip.TabIndex(), 2);
    strip.Tabs().Put(0, "Z");
    EXPECT_EQ(strip.Tabs().Strings(), (QStringList{"Z", "X", "B", "Y", "C"}));
    EXPECT_EQ(strip.Tabs().IndexOf("b"), 2);
    EXPECT_EQ(clicks, 0);

    strip.Tabs().Delete(0);  // not the selected one
    EXPECT_EQ(strip.TabIndex(), 2);
    EXPECT_EQ(clicks, 0);
    strip.Tabs().Delete(2);  // the selected one
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(strip.TabIndex(), 2);
    strip.Tabs().Delete(2);  // selected and last: the new last is selected
    EXPECT_EQ(strip.TabIndex(), 1);
    EXPECT_EQ(clicks, 2);
    EXPECT_THROW(strip.Tabs().Delete(2), EKivError);
    EXPECT_THROW(strip.Tabs().Put(-1, "Q"), EKivError);

    strip.Tabs().Clear();
    EXPECT_EQ(strip.TabIndex(), -1);
    strip.SetTabs({});
    EXPECT_EQ(strip.TabIndex(), -1);
}

// A million tabs made on demand: the strip asks only for the captions it lays out, brings a
// far tab into view as an ordinary list does, and a change makes every caption once.
TEST_F(TabSetTest, TabsMadeOnDemandCostWhatTheStripShows) {
    strip.resize(200, 21);
    std::vector<int> asked;
    OwnerMeasured({});
    strip.Tabs().SetMadeOnDemand(1000000, [&](int i) {
        asked.push_back(i);
        return QString("T%1").arg(i);
    });
    EXPECT_EQ(strip.Tabs().Count(), 1000000);
    const int shown = strip.VisibleTabs();
    EXPECT_EQ(shown, 3);
    EXPECT_EQ(strip.Scroller()->Max(), 1000000 - shown);
    EXPECT_LE(strip.Tabs().MadeCount(), shown + 2) << "only the tabs laid out";
    EXPECT_EQ(strip.Tabs()[999999], QStringLiteral("T999999"));

    strip.SetTabIndex(654321);
    EXPECT_EQ(strip.FirstIndex() + strip.VisibleTabs() - 1, 654321);
    EXPECT_LE(strip.Tabs().MadeCount(), 12);
    // A made caption is asked for once; Put and Remake change one.
    const size_t before = asked.size();
    EXPECT_EQ(strip.Tabs()[654321], QStringLiteral("T654321"));
    EXPECT_EQ(asked.size(), before);
    strip.Tabs().Put(654321, "changed");
    EXPECT_EQ(strip.Tabs()[654321], QStringLiteral("changed"));
    strip.Tabs().Remake(654321);
    EXPECT_EQ(strip.Tabs()[654321], QStringLiteral("T654321"));
    EXPECT_EQ(strip.TabIndex(), 654321);
    EXPECT_FALSE(strip.DialogChar('T')) << "made captions take no accelerators";

    // Adding makes every caption first: an ordinary list from then on.
    strip.Tabs().Clear();
    strip.Tabs().SetMadeOnDemand(3, [](int i) { return QString("&%1").arg(char('a' + i)); });
    strip.Tabs().Add("&d");
    EXPECT_FALSE(strip.Tabs().MadeOnDemand());
    EXPECT_EQ(strip.Tabs().Strings(), (QStringList{"&a", "&b", "&c", "&d"}));
    EXPECT_TRUE(strip.DialogChar('c'));
    EXPECT_EQ(strip.TabIndex(), 2);
    strip.SetTabs({"x"});
    EXPECT_EQ(strip.Tabs().Strings(), QStringList{"x"});
}

TEST_F(TabSetTest, AcceleratorOfACaptionSelectsItsTab) {
    strip.SetTabs({"&Alpha", "Fish && &Chips", "No && accelerator"});
    EXPECT_TRUE(strip.DialogChar('c'));
    EXPECT_EQ(strip.TabIndex(), 1);
    EXPECT_TRUE(strip.DialogChar('C'));  // already selected: still consumed
    EXPECT_EQ(strip.TabIndex(), 1);
    EXPECT_FALSE(strip.DialogChar(' '));
    EXPECT_FALSE(strip.DialogChar('n'));
    EXPECT_TRUE(strip.DialogChar('a'));
    EXPECT_EQ(strip.TabIndex(), 0);
}

TEST_F(TabSetTest, AltAndTheAcceleratorReachTheStripFromItsWindow) {
    QWidget window;
    QWidget other(&window);
    other.setFocusPolicy(Qt::StrongFocus);
    strip.setParent(&window);
    strip.SetTabs({"&Alpha", "&Beta"});
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    other.setFocus();
    QTest::keyClick(&other, Qt::Key_B, Qt::AltModifier);
    EXPECT_EQ(strip.TabIndex(), 1);
    strip.Tabs().Put(1, "Beta");  // the accelerator is gone with it
    strip.SetTabIndex(0);
    QTest::keyClick(&other, Qt::Key_B, Qt::AltModifier);
    EXPECT_EQ(strip.TabIndex(), 0);
    strip.setParent(nullptr);
}

// ---- painting -------------------------------------------------------------------------

constexpr TColor kBack = 0x202020, kFace = 0xC0C0C0, kHigh = 0xFFFFFF, kLight = 0xE0E0E0,
                 kShadow = 0x808080, kDark = 0x000000, kSep = 0x00FF00, kUnsel = 0x0000FF;

struct PixelCase {
    int x, y;
    TColor color;
    const char* what;
};

class TabSetPaintTest : public TabSetTest {
protected:
    void SetUp() override {
        TabSetTest::SetUp();
        TFourthTabSetOptions& o = strip.Options();
        o.SetBackgroundColor(kBack);
        o.SetFaceColor(kFace);
        o.SetHighlightColor(kHigh);
        o.SetLightColor(kLight);
        o.SetShadowColor(kShadow);
        o.SetDarkShadowColor(kDark);
        o.SetSeparatorColor(kSep);
        o.SetUnSelectedColor(kUnsel);
        OwnerMeasured({"A", "B", "C"});
        strip.SetTabIndex(1);  // left 63, width 40, height 20 below an edge of 1
    }

    void Expect(const std::vector<PixelCase>& cases) {
        const QImage img = strip.grab().toImage();
        ASSERT_EQ(img.size(), strip.size());
        for (const PixelCase& c : cases)
            EXPECT_EQ(QColor(img.pixel(c.x, c.y)), toQColor(c.color))
                << c.what << " at " << c.x << "," << c.y;
    }
};

TEST_F(TabSetPaintTest, SelectedTabMiddleFlat) {
    Expect({{0, 0, kFace, "band above the edge"},
            {184, 0, kFace, "band to the right end"},
            {0, 1, kDark, "edge line"},
            {0, 5, kBack, "background"},
            {9, 3, kBack, "above the first separator"},
            {9, 4, kSep, "separator before the first tab"},
            {9, 17, kSep, "separator's last row"},
            {9, 18, kBack, "below the first separator"},
            {59, 0, kFace, "selected tab filled into the band"},
            {70, 1, kFace, "selected tab open to the band"},
            {59, 1, kHigh, "left edge over the separator of tab 0"},
            {59, 18, kHigh, "left edge's last row"},
            {59, 19, kShadow, "inner bottom line from the left edge"},
            {60, 5, kFace, "no light line"},
            {106, 19, kShadow, "inner bottom line's last column"},
            {59, 20, kBack, "bottom line starts one in"},
            {60, 20, kDark, "bottom line"},
            {106, 20, kDark, "bottom line's end"},
            {107, 20, kBack, "corner left open"},
            {107, 0, kFace, "band beside the right edge"},
            {107, 1, kDark, "right edge"},
            {107, 19, kDark, "right edge's last row"},
            {106, 5, kFace, "no inner right line"},
            {108, 10, kBack, "no separator before an unselected tab"},
            {157, 10, kSep, "separator after the last tab"}});
}

TEST_F(TabSetPaintTest, SelectedTabNoFlat) {
    strip.Options().SetFlatStyle(fsNoFlat);
    Expect({{0, 0, kShadow, "shadow line above the edge"},
            {0, 1, kDark, "edge line"},
            {59, 5, kHigh, "left edge"},
            {60, 5, kLight, "light line inside the left edge"},
            {60, 19, kShadow, "inner bottom line"},
            {106, 5, kShadow, "inner right line"},
            {107, 5, kDark, "right edge"},
            {106, 20, kDark, "bottom line"}});
}

TEST_F(TabSetPaintTest, SelectedTabFullFlat) {
    strip.Options().SetFlatStyle(fsFullFlat);
    Expect({{0, 0, kFace, "band"},
            {59, 19, kHigh, "left edge down to its end"},
            {60, 19, kFace, "no inner bottom line"},
            {106, 5, kFace, "no inner right line"},
            {107, 5, kDark, "right edge"},
            {60, 20, kDark, "bottom line"}});
}

TEST_F(TabSetPaintTest, SeparatorsOnlyBetweenTabs) {
    strip.Options().SetSeparatorOnSide(false);
    strip.SetTabIndex(0);
    Expect({{9, 10, kBack, "no separator before the first tab"},
            {59, 10, kBack, "tab 0 selected: no separator after it"},
            {108, 10, kSep, "separator after tab 1"},
            {157, 10, kBack, "no separator after the last tab"}});
}

TEST_F(TabSetPaintTest, DisabledTabIsNotDrawn) {
    strip.SetDisabledTabs({"A"});
    // B now stands at 14 and is selected; C at 63.
    Expect({{10, 5, kHigh, "selected B's left edge"},
            {9, 10, kBack, "no separator before a selected first tab"},
            {59, 10, kBack, "no separator after the selected tab"},
            {108, 10, kSep, "separator after C"},
            {157, 10, kBack, "nothing where C stood"}});
}

TEST_F(TabSetPaintTest, TabsOnTopMirrorTheRows) {
    strip.resize(185, 30);
    strip.SetOrientation(toTop);
    Expect({{0, 29, kFace, "band along the bottom"},
            {0, 28, kHigh, "edge line"},
            {0, 20, kBack, "background"},
            {70, 28, kFace, "selected tab open to the band"},
            {59, 27, kHigh, "left edge"},
            {59, 10, kLight, "inner line at the tab's far side"},
            {60, 9, kHigh, "far side line"},
            {107, 10, kDark, "right edge"},
            {107, 9, kBack, "corner left open"},
            {9, 25, kSep, "separator before the first tab"}});
}

TEST(FourthScrollerTest, RangeAndPosition) {
    TFourthScroller sc;
    sc.resize(100, 50);
    EXPECT_EQ(sc.size(), QSize(26, 12));
    int clicks = 0;
    sc.OnClick = [&](TFourthScroller*) { ++clicks; };
    sc.SetMin(0);  // not below Max 0: refused, and nothing changed anyway
    sc.SetMax(-1);
    EXPECT_EQ(sc.Max(), 0);
    sc.SetMax(5);
    sc.SetMin(7);
    EXPECT_EQ(sc.Min(), 0);
    sc.SetPosition(9);
    EXPECT_EQ(sc.Position(), 5);
    EXPECT_EQ(clicks, 1);
    sc.SetPosition(5);
    EXPECT_EQ(clicks, 1);
    sc.SetChange(2);
    Click(&sc, {3, 6});
    EXPECT_EQ(sc.Position(), 3);
    Click(&sc, {20, 6});
    Click(&sc, {20, 6});  // clamped at Max
    EXPECT_EQ(sc.Position(), 5);
    EXPECT_EQ(clicks, 3);
}

TEST(FourthScrollerTest, ReleaseOutsideThePressedHalfDoesNotScroll) {
    TFourthScroller sc;
    sc.SetMax(3);
    const auto send = [&](QEvent::Type t, QPoint p, Qt::MouseButtons held) {
        QMouseEvent e(t, p, sc.mapToGlobal(p), Qt::LeftButton, held, Qt::NoModifier);
        QCoreApplication::sendEvent(&sc, &e);
    };
    send(QEvent::MouseButtonPress, {3, 6}, Qt::LeftButton);  // back: nothing to scroll back to
    send(QEvent::MouseButtonRelease, {3, 6}, Qt::NoButton);
    EXPECT_EQ(sc.Position(), 0);
    send(QEvent::MouseButtonPress, {20, 6}, Qt::LeftButton);
    send(QEvent::MouseMove, {5, 6}, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, {5, 6}, Qt::NoButton);
    EXPECT_EQ(sc.Position(), 0);
    send(QEvent::MouseButtonPress, {20, 6}, Qt::LeftButton);
    send(QEvent::MouseMove, {5, 6}, Qt::LeftButton);
    send(QEvent::MouseMove, {18, 6}, Qt::LeftButton);  // back inside: pressed again
    send(QEvent::MouseButtonRelease, {18, 6}, Qt::NoButton);
    EXPECT_EQ(sc.Position(), 1);
}

TEST(FourthScrollerTest, HalvesShowTheirState) {
    TFourthScroller sc;
    sc.SetMax(2);
    sc.SetPosition(1);
    const QImage both = sc.grab().toImage();
    EXPECT_EQ(both.copy(0, 0, 13, 12),
              TFourthScroller::Bitmap("FTHSBLEFT").toImage().convertToFormat(both.format()));
    EXPECT_EQ(both.copy(13, 0, 13, 12),
              TFourthScroller::Bitmap("FTHSBRIGHT").toImage().convertToFormat(both.format()));
    sc.SetPosition(2);
    const QImage end = sc.grab().toImage();
    EXPECT_EQ(end.copy(13, 0, 13, 12),
              TFourthScroller::Bitmap("FTHSBRIGHTDIS").toImage().convertToFormat(end.format()));
    for (const char* name : {"FTHSBLEFT", "FTHSBLEFTDN", "FTHSBLEFTDIS", "FTHSBRIGHT",
                             "FTHSBRIGHTDN", "FTHSBRIGHTDIS"})
        EXPECT_EQ(TFourthScroller::Bitmap(name).size(), QSize(13, 12)) << name;
    EXPECT_NE(TFourthScroller::Bitmap("FTHSBLEFT").toImage(),
              TFourthScroller::Bitmap("FTHSBLEFTDN").toImage());
    EXPECT_NE(TFourthScroller::Bitmap("FTHSBLEFT").toImage(),
              TFourthScroller::Bitmap("FTHSBLEFTDIS").toImage());
    EXPECT_NE(TFourthScroller::Bitmap("FTHSBLEFT").toImage(),
              TFourthScroller::Bitmap("FTHSBRIGHT").toImage());
    EXPECT_TRUE(TFourthScroller::Bitmap("FTHSBUP").isNull());
}

}  // namespace
}  // namespace kiv
