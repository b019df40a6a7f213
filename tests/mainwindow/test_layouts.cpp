// The panel layouts and the outline commands in the window: the eight layouts and their
// panes, hiding and showing the outliner and the card pane, F12, the compact selection,
// the current topic across layout changes, levels and branches in tree mode, the document
// view's badges, the wheel, the panels' popup with its copied menus, and what survives a
// restart in "kiv.ini".
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QSplitter>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QWheelEvent>

#include "mainwindow/MainHelpers.h"
#include "mainwindow/browser/Browser.h"
#include "mainwindow/layouts/Layouts.h"
#include "mainwindow/outline/Outline.h"
#include "platform/qt/Screen.h"
#include "platform/qt/WidgetState.h"
#include "tests/mainwindow/FakeBrowser.h"
#include "tests/mainwindow/NavFixture.h"

namespace kiv::wintest {
namespace {

class Layouts : public NavFixture {
protected:
    TLayouts* L = nullptr;
    TOutline* O = nullptr;

    void Restart() override {
        NavFixture::Restart();
        L = f->findChild<TLayouts*>();
        O = f->findChild<TOutline*>();
        ASSERT_TRUE(L && O);
    }
    TWindowSkeleton& K() { return f->Skeleton(); }
    KivAction& Act(const char* name) { return f->Actions().Get(QString::fromLatin1(name)); }
    void Apply(int layout) {
        ASSERT_TRUE(L->LayoutActions[size_t(layout)]->Execute());
        QCoreApplication::processEvents();
    }
    bool SlotVisible(QWidget* w) {
        for (QAction* a : K().tbModes->actions())
            if (K().tbModes->widgetForAction(a) == w) return a->isVisible();
        return false;
    }
    int CheckedLayouts() {
        int n = 0;
        for (KivAction* a : L->LayoutActions) n += a->Checked();
        return n;
    }
};

TEST_F(Layouts, TheWindowStartsInTheStoredLayoutWithTheOutlinerShown) {
    {
        // Made but not yet restored: no layout is checked, so restoring layout 0 is a change.
        TForm1 fresh;
        for (const TPanelLayout& l : PanelLayouts())
            EXPECT_FALSE(fresh.Actions().Get(QString::fromLatin1(l.Action)).Checked()) << l.Action;
    }
    Open("A(B) C");
    EXPECT_TRUE(L->LayoutActions[0]->Checked());
    EXPECT_EQ(CheckedLayouts(), 1);
    EXPECT_TRUE(L->OutlinerShown());
    EXPECT_EQ(Act("acHideKivPanel").text(), QStringLiteral("Hide KIV Outliner"));
    EXPECT_EQ(PanelCount, 3);
}

TEST_F(Layouts, TheCheckedLayoutAgainHidesTheOutlinerAndOnceMoreBringsItBack) {
    Open("A(B) C");
    Apply(0);
    EXPECT_FALSE(L->OutlinerShown());
    EXPECT_TRUE(L->CardPaneShown());
    KivAction& hide = Act("acHideKivPanel");
    EXPECT_EQ(hide.text(), QStringLiteral("Show KIV Outliner"));
    EXPECT_EQ(hide.toolTip(), hide.text());
    EXPECT_FALSE(hide.Checked());
    EXPECT_FALSE(Act("acFullNavPath").isEnabled());
    EXPECT_FALSE(L->btnOutliner->isChecked());
    EXPECT_EQ(L->btnMaximizePane->toolTip(), QStringLiteral("Restore Pane"));
    EXPECT_EQ(L->btnMaximizePane->property("Glyph").toString(), QStringLiteral("MaximizeOutliner"));
    EXPECT_TRUE(L->LayoutActions[0]->Checked()) << "the layout stays chosen";
    Apply(0);
    EXPECT_TRUE(L->OutlinerShown());
    EXPECT_EQ(hide.text(), QStringLiteral("Hide KIV Outliner"));
    EXPECT_TRUE(hide.Checked());
    EXPECT_TRUE(Act("acFullNavPath").isEnabled());
    EXPECT_EQ(L->btnMaximizePane->toolTip(), QStringLiteral("Maximize Pane"));
    EXPECT_EQ(L->btnMaximizePane->property("Glyph").toString(), QStringLiteral("NormalOutliner"));
    // Another layout while the outliner is away brings it back in that layout.
    Apply(0);
    Apply(3);
    EXPECT_TRUE(L->OutlinerShown());
    EXPECT_EQ(L->CurrentLayout(), 3);
}

TEST_F(Layouts, HidingTheCardPaneSaysHowToGetItBack) {
    Open("A(B) C");
    KivAction& pane = Act("acHidePane");
    EXPECT_EQ(pane.text(), QStringLiteral("Hide Pane"));
    ASSERT_TRUE(pane.Execute());
    EXPECT_FALSE(L->CardPaneShown());
    EXPECT_EQ(pane.text(), QStringLiteral("Show Pane"));
    EXPECT_EQ(L->btnMaximizeOutliner->toolTip(), QStringLiteral("Restore Outliner"));
    EXPECT_EQ(L->btnMaximizeOutliner->property("Glyph").toString(),
              QStringLiteral("MaximizeOutliner"));
    // Hiding the outliner then brings the card pane back first: never both away.
    ASSERT_TRUE(Act("acHideKivPanel").Execute());
    EXPECT_TRUE(L->CardPaneShown());
    EXPECT_FALSE(L->OutlinerShown());
    ASSERT_TRUE(Act("acHideKivPanel").Execute());
    ASSERT_TRUE(pane.Execute());
    ASSERT_TRUE(pane.Execute());
    EXPECT_TRUE(L->CardPaneShown());
    EXPECT_EQ(pane.text(), QStringLiteral("Hide Pane"));
    EXPECT_EQ(L->btnMaximizeOutliner->toolTip(), QStringLiteral("Maximize Outliner"));
    EXPECT_GT(K().pnlCards->height(), 30) << "the card pane comes back with a size";
}

TEST_F(Layouts, F12WalksTheLayoutMenuInOrder) {
    Open("A(B) C");
    QStringList menu;
    for (QAction* a : L->OutlinerLayout1->actions())
        menu << (a->isSeparator() ? "-" : a->objectName());
    EXPECT_EQ(menu,
              (QStringList{"acPanelClassic", "acPanelClassicDoc", "acDocumentView", "-", "ac1Panel",
                           "ac2Panel", "ac3Panel", "-", "ac2PanelS_W", "ac1PanelRightCard"}));
    EXPECT_EQ(Act("acLayoutToggle").shortcut(), QKeySequence(Qt::Key_F12));
    std::vector<int> seen{L->CurrentLayout()};
    for (int i = 0; i < 8; ++i) {
        ASSERT_TRUE(Act("acLayoutToggle").Execute());
        seen.push_back(L->CurrentLayout());
        EXPECT_EQ(CheckedLayouts(), 1);
    }
    EXPECT_EQ(seen, (std::vector<int>{0, 2, 4, 5, 6, 7, 3, 1, 0}));
    EXPECT_TRUE(L->OutlinerShown()) << "walking never hides the outliner";
}

TEST_F(Layouts, PanelsShareTheOutlinerByLayout) {
    Open("A(B(C)) D");
    Apply(2);
    EXPECT_EQ(PanelCount, 2);
    EXPECT_TRUE(isShown(p2));
    EXPECT_FALSE(isShown(p3));
    EXPECT_NEAR(double(p1->width()) / (p1->width() + p2->width()), 2.0 / 7, 0.02) << "2 : 5";
    Apply(0);
    EXPECT_TRUE(isShown(p3));
    EXPECT_NEAR(p1->width(), p2->width(), 3);
    EXPECT_NEAR(p2->width(), p3->width(), 3);
    Apply(1);
    EXPECT_FALSE(isShown(p3));
    EXPECT_NEAR(p1->width(), p2->width(), 3);
}

TEST_F(Layouts, LayoutStatesOfTheSingleAndDocumentViews) {
    Open("A(B) C");
    Apply(3);
    EXPECT_EQ(PanelCount, 1);
    EXPECT_FALSE(PanelsManager().TreeMode);
    EXPECT_EQ(K().Splitter1->orientation(), Qt::Vertical) << "stacked";
    EXPECT_FALSE(isShown(p2));
    EXPECT_FALSE(p1->DocumentView());
    EXPECT_FALSE(O->DocumentViewSettings1->isEnabled());
    EXPECT_FALSE(SlotVisible(O->btnDocumentViewSettings));
    Apply(7);
    EXPECT_EQ(PanelCount, 1);
    EXPECT_TRUE(PanelsManager().TreeMode);
    EXPECT_TRUE(p1->TreeMode);
    EXPECT_TRUE(p1->DocumentView());
    EXPECT_EQ(K().Splitter1->orientation(), Qt::Horizontal) << "cards beside";
    EXPECT_EQ(K().Splitter1->widget(0), K().pnlKiv) << "the outliner at the left";
    EXPECT_EQ(K().pnlNavPath->parentWidget(), K().pnlMain);
    EXPECT_TRUE(O->DocumentViewSettings1->isEnabled());
    EXPECT_TRUE(SlotVisible(O->btnDocumentViewSettings));
    EXPECT_TRUE(O->ShowLevels1->isEnabled());
    EXPECT_TRUE(O->acShowSubTopics->isEnabled());
    Apply(0);
    EXPECT_FALSE(p1->DocumentView());
    EXPECT_EQ(K().pnlNavPath->parentWidget(), K().pnlKiv);
    EXPECT_FALSE(O->ShowLevels1->isEnabled());
}

TEST_F(Layouts, PaneProportionsStartAtTheirDefaultsAndAreKept) {
    // A start in layout 4: nothing measured yet.
    WriteFileAtomic(Home() + "kiv.ini", "[Settings]\r\nPanelsLayout=4\r\n");
    Open("A(B) C");
    ASSERT_EQ(L->CurrentLayout(), 4);
    const int mainW = K().pnlMain->width(), mainH = K().pnlMain->height();
    EXPECT_NEAR(K().pnlKiv->width(), mainW / 3, 8) << "a third";
    Apply(7);
    EXPECT_NEAR(K().pnlKiv->width(), mainW * 3 / 4, 8) << "three quarters";
    Apply(0);
    // Within a splitter handle and the frame settling after the switch.
    EXPECT_NEAR(K().pnlCards->height(), mainH / 4, 16) << "a quarter of the height";
    // What the user leaves the panes at comes back when their layout does.
    K().Splitter1->setSizes({mainH / 2, mainH - mainH / 2});
    QCoreApplication::processEvents();
    const int cards = K().pnlCards->height();
    Apply(6);
    EXPECT_NEAR(K().pnlKiv->width(), mainW / 3, 8) << "as layout 4 was left";
    Apply(0);
    EXPECT_NEAR(K().pnlCards->height(), cards, 8);
    Apply(7);
    EXPECT_NEAR(K().pnlKiv->width(), mainW * 3 / 4, 8);
}

TEST_F(Layouts, AMovedSplitterIsRecordedOnceAndComesBack) {
    Open("A(B) C");
    Apply(4);
    const int mainW = K().pnlMain->width();
    K().Splitter1->setSizes({mainW / 2, mainW - mainW / 2});
    QCoreApplication::processEvents();
    emit K().Splitter1->splitterMoved(mainW / 2, 1);
    EXPECT_NEAR(L->Ratios().SideOutliner, 0.5, 0.02);
    Apply(7);
    EXPECT_NEAR(K().pnlKiv->width(), mainW * 3 / 4, 8) << "layout 7 keeps its own";
    Apply(4);
    EXPECT_NEAR(K().pnlKiv->width(), mainW / 2, 8);
}

TEST_F(Layouts, ANarrowCardPaneBesideTheOutlinerIsWidened) {
    Open("A(B) C");
    Apply(4);
    const int mainW = K().pnlMain->width();
    ASSERT_GT(mainW, 400);
    K().Splitter1->setSizes({mainW - 60, 50});
    QCoreApplication::processEvents();
    L->ArrangePanels();
    EXPECT_GE(K().pnlCards->width(), 195);
    EXPECT_NEAR(K().pnlKiv->width(), mainW - 200, 8);
}

TEST_F(Layouts, CompactSelectionShowsOnlyTheOneLayoutButton) {
    Open("A(B) C");
    for (const TPanelLayout& l : PanelLayouts())
        EXPECT_EQ(SlotVisible(L->LayoutButtons[size_t(l.No)]), !l.ButtonHidden) << l.Button;
    EXPECT_FALSE(SlotVisible(L->btnOutlinerLayout));
    L->CompactLayoutSelection1->trigger();
    EXPECT_TRUE(SlotVisible(L->btnOutlinerLayout));
    for (const TPanelLayout& l : PanelLayouts())
        EXPECT_FALSE(SlotVisible(L->LayoutButtons[size_t(l.No)])) << l.Button;
    EXPECT_EQ(L->btnOutlinerLayout->toolTip(), QStringLiteral("Select Outliner Layout (F12)"));
    L->btnOutlinerLayout->click();
    EXPECT_EQ(L->CurrentLayout(), 2);
    EXPECT_EQ(L->btnOutlinerLayout->text(), QStringLiteral("Two+"));
    L->CompactLayoutSelection1->trigger();
    EXPECT_FALSE(SlotVisible(L->LayoutButtons[2])) << "Two+ is never shown";
    EXPECT_TRUE(SlotVisible(L->LayoutButtons[0]));
}

TEST_F(Layouts, OnANarrowScreenTheLayoutSelectionIsCompact) {
    Screen::SetSizeForTests(QSize(800, 600));
    WriteFileAtomic(Home() + "kiv.ini", "[Settings]\r\nCompactLayoutSelection=0\r\n");
    Open("A(B) C");
    EXPECT_TRUE(L->CompactLayoutSelection1->isChecked());
    EXPECT_TRUE(SlotVisible(L->btnOutlinerLayout));
    EXPECT_FALSE(SlotVisible(L->LayoutButtons[0]));
}

TEST_F(Layouts, TheCurrentTopicStaysCurrentThroughEveryLayout) {
    Open("A(B(C D) E) F");
    ClickRow(p1, 0);
    ClickRow(p2, 0);
    ClickRow(p3, 1);
    ASSERT_EQ(Current(), QStringLiteral("D"));
    for (int layout : {3, 5, 7, 4, 6, 1, 2, 0, 3, 0}) {
        SCOPED_TRACE(layout);
        Apply(layout);
        EXPECT_EQ(Current(), QStringLiteral("D"));
        EXPECT_EQ(f->TextCard().lblCurDescr->text(), QStringLiteral("D")) << "the panes show it";
    }
    // Back in three panels from one: the topic's level in panel 2 under its parent.
    EXPECT_EQ(CurrentPanel, 2);
    EXPECT_EQ(Caption(p1), QStringLiteral("B"));
    EXPECT_EQ(Rows(p2), (QStringList{"C", "D"}));
    EXPECT_EQ(Path(), (QStringList{"<..>", "1. A\\", "2. B\\"}));
}

TEST_F(Layouts, ALongLevelInTheDocumentViewShowsTheCurrentTopicAtItsFullFit) {
    // 300 topics under one, every third of several lines; the current one far down.
    std::string level;
    for (int i = 0; i < 300; ++i) {
        std::string caption = "t" + std::to_string(i);
        if (i % 3 == 1)
            for (int w = 0; w < 10 + (i % 4) * 8; ++w) caption += " word" + std::to_string(w);
        level += "\"" + caption + "\" ";
    }
    Open("L(" + level + ") M");
    ClickRow(p1, 0);
    p2->SelectRow(249);
    ClickRow(p2, 249);
    ASSERT_EQ(Current(), QStringLiteral("t249"));
    // The rows on show stand where, and are as high as, their whole captions need (in the
    // document view) or one line (elsewhere), and the current one is among them, whole.
    auto expectShownFitted = [](TKivStringGrid* g) {
        auto height = [g](int r) {
            return g->DocumentView() ? g->RowHeight(r) : g->DefaultRowHeight();
        };
        const int row = g->CurrentRow();
        const QRect c = g->CellRect(0, row);
        EXPECT_FALSE(c.isEmpty()) << "the current row is in view";
        EXPECT_LE(c.y() + height(row), g->ClientHeight()) << "and shown whole";
        int y = 0;
        for (int r = g->TopRow(); r < g->RowCount() && y < g->ClientHeight(); ++r) {
            EXPECT_EQ(g->CellRect(0, r).y(), y) << "row " << r;
            EXPECT_EQ(g->CellRect(0, r).height(), std::min(height(r), g->ClientHeight() - y))
                << "row " << r;
            y += height(r);
        }
    };
    for (int layout : {7, 5, 7, 6, 7, 0}) {
        SCOPED_TRACE(layout);
        Apply(layout);
        EXPECT_EQ(Current(), QStringLiteral("t249"));
        expectShownFitted(f->CurrentGrid());
        if (layout == 7) {
            // Whole captions at the end of the level too.
            p1->SelectRow(p1->RowCount() - 1);
            expectShownFitted(p1);
            p1->SelectRow(p1->RowCount() - 2);
            ClickRow(p1, p1->RowCount() - 2);
            ASSERT_EQ(Current(), QStringLiteral("t299"));
            ClickRow(p1, 0);
            expectShownFitted(p1);
            p1->SelectRow(250);
            ClickRow(p1, 250);
            ASSERT_EQ(Current(), QStringLiteral("t249"));
        }
    }
}

TEST_F(Layouts, AHoistedBranchKeepsItsTopicThroughLayouts) {
    Open("P(Q(R S) Q2) Z");
    ClickRow(p1, 0);
    ClickRow(p2, 0);
    ASSERT_TRUE(h->acHoist->Execute());
    ASSERT_EQ(Rows(p1), (QStringList{"Q", "R", "S"})) << "one hoisted topic shows its children";
    ClickRow(p1, 2);
    ASSERT_EQ(Current(), QStringLiteral("S"));
    for (int layout : {3, 5, 7, 0}) {
        SCOPED_TRACE(layout);
        Apply(layout);
        EXPECT_EQ(Current(), QStringLiteral("S"));
    }
}

TEST_F(Layouts, TheRightButtonOnALayoutButtonShowsTheOutlinerAlone) {
    Open("A(B) C");
    QTest::mouseClick(L->LayoutButtons[3], Qt::RightButton);
    EXPECT_EQ(L->CurrentLayout(), 3);
    EXPECT_TRUE(L->OutlinerShown());
    EXPECT_FALSE(L->CardPaneShown());
}

TEST_F(Layouts, TheTextCardAloneHasTheKeys) {
    Open("A(B) C");
    QTextEdit* editor = f->TextCard().txtSimpleText;
    Act("acHideKivPanel").Execute();
    QCoreApplication::processEvents();
    EXPECT_TRUE(Act("acShowTextCard").Checked());
    EXPECT_EQ(QApplication::focusWidget(), editor);
}

// ---- with the browser ----

class LayoutsWithBrowser : public Layouts {
protected:
    FakeBrowserEngine engine;
    TBrowser* B = nullptr;

    void Restart() override {
        Layouts::Restart();
        B = f->findChild<TBrowser*>();
        ASSERT_NE(B, nullptr);
    }
    bool BrowserShown() { return isShown(K().pnlCards) && isShown(K().pnlBrowser); }
    bool TextShown() { return isShown(K().pnlCards) && isShown(K().pnlSimpleText); }
    // The browser open with the text card under it.
    void BrowserOverText() {
        Act("acOpenBrowser").Execute();
        if (!TextShown()) Act("acShowTextCard").Execute();
        QCoreApplication::processEvents();
        ASSERT_TRUE(BrowserShown() && TextShown());
    }
    void OpenBins() {
        Act("acSearch").Execute();
        QCoreApplication::processEvents();
        ASSERT_TRUE(isShown(K().pnlBins));
    }
};

TEST_F(LayoutsWithBrowser, HidingTheOutlinerGivesTheBrowserTheWindow) {
    Open("A(B) C");
    Apply(4);
    BrowserOverText();
    EXPECT_EQ(B->btnMaximizeBrowser->toolTip(), QStringLiteral("Maximize Browser"));
    // A text card taking nearly the whole pane shrinks to a strip when the outliner goes.
    B->SetTextCardHeight(K().pnlCards->height());
    QCoreApplication::processEvents();
    ASSERT_GE(K().pnlSimpleText->height(), K().pnlCards->height() - 50);
    Act("acHideKivPanel").Execute();
    QCoreApplication::processEvents();
    EXPECT_EQ(K().pnlSimpleText->height(), 25);
    EXPECT_TRUE(TextShown() && isShown(K().Splitter3));
    EXPECT_EQ(B->btnMaximizeBrowser->toolTip(), QStringLiteral("Restore Browser"));
    EXPECT_EQ(B->btnMaximizeBrowser->property("Glyph").toString(),
              QStringLiteral("MaximizeOutliner"));
    Act("acHideKivPanel").Execute();
    EXPECT_EQ(B->btnMaximizeBrowser->toolTip(), QStringLiteral("Maximize Browser"));
    EXPECT_EQ(B->btnMaximizeBrowser->property("Glyph").toString(),
              QStringLiteral("NormalOutliner"));
    EXPECT_EQ(K().pnlSimpleText->height(), 25) << "a text card of its own size keeps it";
}

// The card pane made lower under a tall text card: the text card follows it down and
// leaves the browser its strip of 30 pixels.
TEST_F(LayoutsWithBrowser, TheTextCardFollowsALowerCardPane) {
    Open("A(B) C");
    Apply(1);  // stacked: the card pane over the outliner
    BrowserOverText();
    QSplitter* s = K().Splitter1;
    ASSERT_TRUE(L->OutlinerShown());
    const int total = s->height() - s->handleWidth();
    s->setSizes({total / 2, total - total / 2});
    QCoreApplication::processEvents();
    B->SetTextCardHeight(K().pnlCards->height() - 40);
    QCoreApplication::processEvents();
    const int chosen = K().pnlSimpleText->height();
    ASSERT_GT(chosen, 100);
    for (int cards : {chosen + 35, chosen, chosen / 2, 60}) {
        SCOPED_TRACE(cards);
        s->setSizes({cards, total - cards});
        QCoreApplication::processEvents();
        EXPECT_EQ(K().pnlCards->height(), cards) << "the text card does not hold the pane open";
        EXPECT_LE(K().pnlSimpleText->height(), cards - 30);
        EXPECT_GE(K().pnlSimpleText->height(), 25);
        EXPECT_TRUE(BrowserShown() && TextShown());
    }
    // A pane that grows again keeps the text card's height: it only follows it down.
    const int low = K().pnlSimpleText->height();
    s->setSizes({chosen + 100, total - chosen - 100});
    QCoreApplication::processEvents();
    EXPECT_EQ(K().pnlSimpleText->height(), low);
}

TEST_F(LayoutsWithBrowser, TheBrowsersPaneButtons) {
    Open("A(B) C");
    BrowserOverText();
    // Maximize: the outliner's room, and the text card out of the pane.
    QTest::mouseClick(B->btnMaximizeBrowser, Qt::LeftButton);
    EXPECT_FALSE(L->OutlinerShown());
    EXPECT_FALSE(TextShown());
    EXPECT_TRUE(BrowserShown());
    QTest::mouseClick(B->btnMaximizeBrowser, Qt::LeftButton);
    EXPECT_TRUE(L->OutlinerShown()) << "and back";
    QTest::mouseClick(B->btnCloseBrowser, Qt::LeftButton);
    EXPECT_FALSE(BrowserShown());
    EXPECT_TRUE(TextShown()) << "the text card fills the pane again";
    // The card pane hidden closes the browser with it.
    BrowserOverText();
    Act("acHidePane").Execute();
    EXPECT_FALSE(L->CardPaneShown());
    EXPECT_TRUE(K().pnlBrowser->isHidden());
    EXPECT_FALSE(Act("acOpenBrowser").Checked());
}

TEST_F(LayoutsWithBrowser, TheBrowserOrTheTextCardAloneByTheRightButton) {
    Open("A(B) C");
    ASSERT_TRUE(L->btnBrowser && L->btnTextCard2);
    // The left buttons are the browser's and the text card's commands.
    QTest::mouseClick(L->btnBrowser, Qt::LeftButton);
    EXPECT_TRUE(BrowserShown());
    QTest::mouseClick(L->btnTextCard2, Qt::LeftButton);
    EXPECT_TRUE(TextShown());
    OpenBins();
    QTest::mouseClick(L->btnBrowser, Qt::RightButton);
    EXPECT_TRUE(BrowserShown());
    EXPECT_FALSE(TextShown());
    EXPECT_FALSE(L->OutlinerShown());
    EXPECT_TRUE(K().pnlBins->isHidden()) << "the browser alone";
    // From the browser alone, the text card alone.
    OpenBins();
    QTest::mouseClick(L->btnTextCard2, Qt::RightButton);
    EXPECT_FALSE(BrowserShown());
    EXPECT_TRUE(TextShown());
    EXPECT_FALSE(L->OutlinerShown());
    EXPECT_TRUE(K().pnlBins->isHidden()) << "the text card alone";
    // From the outliner with the text card, the browser made and left alone.
    Act("acHideKivPanel").Execute();
    ASSERT_TRUE(L->OutlinerShown() && !BrowserShown());
    QTest::mouseClick(L->btnBrowser, Qt::RightButton);
    EXPECT_TRUE(BrowserShown() && !TextShown() && !L->OutlinerShown());
}

TEST_F(LayoutsWithBrowser, TheTextCardUnderTheBrowserKeepsItsShareInEachArrangement) {
    Open("A(B) C");
    BrowserOverText();
    const auto share = [&] { return float(K().pnlSimpleText->height()) / K().pnlCards->height(); };
    // Stacked: a third of the card pane; beside: a half.
    B->SetTextCardHeight(K().pnlCards->height() / 3);
    QCoreApplication::processEvents();
    const float stacked = share();
    Apply(4);
    B->SetTextCardHeight(K().pnlCards->height() / 2);
    QCoreApplication::processEvents();
    const float beside = share();
    ASSERT_GT(beside - stacked, 0.1f);
    Apply(0);
    EXPECT_NEAR(share(), stacked, 0.03f);
    Apply(6);
    EXPECT_NEAR(share(), beside, 0.03f);
}

TEST_F(Layouts, HideAllCardsClosesTheFloatingPanels) {
    Open("A(B) C");
    auto* textBin = f->findChild<QWidget*>(QStringLiteral("pnlTextBin"));
    auto* clipBin = f->findChild<QWidget*>(QStringLiteral("pnlClipBin"));
    auto* metaCard = f->findChild<QWidget*>(QStringLiteral("pnlMetaCard"));
    ASSERT_TRUE(textBin && clipBin && metaCard);
    textBin->show();
    Act("acShowTextBin").SetChecked(true);
    clipBin->show();
    Act("acShowClipBin").SetChecked(true);
    metaCard->show();
    Act("acShowMetaCard").SetChecked(true);
    ASSERT_TRUE(Act("acHideAllCards").Execute());
    EXPECT_FALSE(isShown(textBin));
    EXPECT_FALSE(isShown(clipBin));
    EXPECT_FALSE(isShown(metaCard));
    for (const char* a : {"acShowTextBin", "acShowClipBin", "acShowMetaCard", "acShowLaunchCard"})
        EXPECT_FALSE(Act(a).Checked()) << a;
}

TEST_F(Layouts, LinesPerRowSetsTheSchemeAndWholeCaptions) {
    Open("A(B) C");
    O->SetLinesPerRow(5);
    EXPECT_EQ(ColorScheme.RowLines, 1);
    EXPECT_FALSE(PanelsManager().ExpandAll);
    O->SetLinesPerRow(2);
    EXPECT_EQ(ColorScheme.RowLines, 2);
    EXPECT_EQ(p1->DefaultRowHeight(), PanelsManager().LineHeight * 2 + 8);
    O->Expanded1->trigger();
    EXPECT_EQ(ColorScheme.RowLines, 0);
    EXPECT_TRUE(PanelsManager().ExpandAll);
    EXPECT_TRUE(p2->GetExpandAll());
    O->N110->trigger();
    EXPECT_EQ(ColorScheme.RowLines, 1);
    EXPECT_FALSE(p1->GetExpandAll());
}

TEST_F(Layouts, LevelsAndBranchesInTreeMode) {
    Open("A(B(B1(B2)) C) D(E)");
    Apply(5);
    ASSERT_TRUE(p1->TreeMode);
    const auto rows = [&] { return Rows(p1); };
    O->LevelItems[0]->trigger();  // Level 1
    EXPECT_EQ(rows(), (QStringList{"A", "D"}));
    O->LevelItems[2]->trigger();  // Level 3: rows down to level 2
    EXPECT_EQ(rows(), (QStringList{"A", "B", "B1", "C", "D", "E"}));
    O->All1->trigger();
    EXPECT_EQ(rows(), (QStringList{"A", "B", "B1", "B2", "C", "D", "E"}));
    ClickRow(p1, 3);
    ASSERT_EQ(Current(), QStringLiteral("B2"));
    O->LevelItems[0]->trigger();
    EXPECT_EQ(Current(), QStringLiteral("A")) << "the nearest topic above a hidden one";
    // All branches: open everything, and on an open tree collapse to the top level.
    ASSERT_TRUE(O->acShowAllBranches->Execute());
    EXPECT_EQ(rows().size(), 7);
    ASSERT_TRUE(O->acShowAllBranches->Execute());
    EXPECT_EQ(rows(), (QStringList{"A", "D"}));
    // One row's children, then its whole branch, then closed again.
    ClickRow(p1, 0);
    ASSERT_TRUE(O->acShowSubItems->Execute());
    EXPECT_EQ(rows(), (QStringList{"A", "B", "C", "D"}));
    ASSERT_TRUE(O->acShowBranch->Execute());
    EXPECT_EQ(rows(), (QStringList{"A", "B", "B1", "B2", "C", "D"}));
    ASSERT_TRUE(O->acShowBranch->Execute());
    EXPECT_EQ(rows(), (QStringList{"A", "D"}));
    // Outside tree mode the level commands leave the panel alone.
    Apply(0);
    O->All1->trigger();
    EXPECT_EQ(Rows(p1), (QStringList{"A", "D"}));
}

TEST_F(Layouts, TheTrailFollowsTheActivePanel) {
    Open("A(B(C)) D");
    ClickRow(p1, 0);
    ClickRow(p3, 0);
    ASSERT_EQ(CurrentPanel, 3);
    EXPECT_EQ(f->Open().Navigator->Count(), 2) << "panel 1 to 3 adds two nodes";
    EXPECT_EQ(Path(), (QStringList{"<..>", "1. A\\", "2. B\\"}));
    ClickRow(p2, 0);
    EXPECT_EQ(f->Open().Navigator->Count(), 1) << "back to panel 2 removes one";
}

TEST_F(Layouts, TheWheelMovesOneRowAndStopsAtTheEnds) {
    Open("A(A1) B(B1 B2) C");
    ClickRow(p1, 0);
    auto wheel = [&](TKivStringGrid* g, int delta) {
        QWheelEvent e(QPointF(20, 20), g->viewport()->mapToGlobal(QPointF(20, 20)), QPoint(),
                      QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(g->viewport(), &e);
        QCoreApplication::processEvents();
    };
    wheel(p1, 120);  // up at row 0: nothing
    EXPECT_EQ(p1->CurrentRow(), 0);
    wheel(p1, -120);
    EXPECT_EQ(p1->CurrentRow(), 1);
    EXPECT_EQ(Rows(p2), (QStringList{"B1", "B2"})) << "the later panels follow";
    wheel(p1, -120);
    wheel(p1, -120);  // at the last row: nothing
    EXPECT_EQ(p1->CurrentRow(), 2);
    EXPECT_EQ(Current(), QStringLiteral("C"));
}

TEST_F(Layouts, ADoubleClickOnACaptionStartsEditModeButNotOnTheBadge) {
    Open("A(A1) B");
    ClickRow(p1, 1);
    const QRect badge = TKivStringGrid::BadgeRect(p1->RowContentRect(0));
    QCursor::setPos(p1->viewport()->mapToGlobal(badge.center()));
    QTest::mouseDClick(p1->viewport(), Qt::LeftButton, {}, badge.center());
    EXPECT_FALSE(PanelsManager().EditMode);
    const QPoint caption = p1->CaptionRect(1).center();
    QCursor::setPos(p1->viewport()->mapToGlobal(caption));
    QTest::mouseDClick(p1->viewport(), Qt::LeftButton, {}, caption);
    EXPECT_TRUE(PanelsManager().EditMode);
}

TEST_F(Layouts, NumbersAndCirclesOfTheDocumentView) {
    Open("A(B) C");
    Apply(7);
    EXPECT_TRUE(O->Circle1->isChecked()) << "circles by default";
    EXPECT_TRUE(p1->DocViewCircles());
    O->Number1->trigger();
    EXPECT_TRUE(p1->DocViewNumbers());
    EXPECT_FALSE(p1->DocViewCircles());
    EXPECT_FALSE(O->Circle1->isChecked());
    EXPECT_EQ(ImageIndex(O->acDocViewNumber), 63);
    EXPECT_EQ(O->acDocViewNumber->Tag, 1);
    EXPECT_TRUE(O->acDocViewNumber->Checked());
    // The command switches the style of its Tag off and on.
    ASSERT_TRUE(O->acDocViewNumber->Execute());
    EXPECT_FALSE(p1->DocViewNumbers());
    EXPECT_FALSE(O->acDocViewNumber->Checked());
    O->Circle1->trigger();
    EXPECT_TRUE(p1->DocViewCircles());
    EXPECT_EQ(ImageIndex(O->acDocViewNumber), 62);
    EXPECT_EQ(O->acDocViewNumber->Tag, 0);
    // The flags: the menu item is the command, one check state.
    ASSERT_TRUE(O->acDocViewText->Execute());
    EXPECT_TRUE(p1->DocViewTextPointer());
    EXPECT_TRUE(O->DocumentViewSettings1->actions().contains(O->acDocViewText));
    ASSERT_TRUE(O->acDocViewSizer->Execute());
    EXPECT_TRUE(p1->DocViewSizer());
}

TEST_F(Layouts, ThePanelsPopupRepeatsTheMenusWithSharedChecks) {
    Open("A(B) C");
    auto* copy = f->findChild<QMenu*>(QStringLiteral("OutlinerLayout2"));
    ASSERT_TRUE(copy);
    EXPECT_TRUE(O->pmKivPanel->actions().contains(copy->menuAction()));
    EXPECT_EQ(copy->actions(), L->OutlinerLayout1->actions());
    Apply(3);
    for (QAction* a : copy->actions()) {
        if (a->isSeparator()) continue;
        EXPECT_EQ(a->isChecked(), a == L->LayoutActions[3]) << a->objectName().toStdString();
    }
    auto* levels = f->findChild<QMenu*>(QStringLiteral("ShowLevels2"));
    ASSERT_TRUE(levels);
    ASSERT_EQ(levels->actions().size(), 10);
    EXPECT_EQ(levels->actions()[0]->text(), QStringLiteral("Level 1"));
    EXPECT_EQ(levels->actions()[0]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_1));
    EXPECT_TRUE(f->findChild<QMenu*>(QStringLiteral("MoveTopic2")));
    EXPECT_TRUE(f->findChild<QMenu*>(QStringLiteral("ShowSubtopics2")));
}

// The popup over the caption editor being typed in: its undo item shows and takes the
// typing back; over a panel's rows it is not offered.
TEST_F(Layouts, ThePanelsPopupOffersUndoOnlyOverTheCaptionEditor) {
    Open("A(B) C");
    QAction* undo = O->Undo2;
    ASSERT_NE(undo, nullptr);
    EXPECT_EQ(undo->text(), QStringLiteral("Undo"));
    EXPECT_TRUE(O->pmKivPanel->actions().contains(undo));
    emit O->pmKivPanel->aboutToShow();
    EXPECT_FALSE(undo->isVisible()) << "no caption is edited";

    PanelsManager().SetEditMode(true);
    TKivStringGrid* g = nullptr;
    for (TKivStringGrid* p : {p1, p2, p3})
        if (p->Editing()) g = p;
    ASSERT_NE(g, nullptr);
    const QString before = g->CaptionEditor->toPlainText();
    TypeCaption(g, QStringLiteral("xy"));
    ASSERT_TRUE(g->CaptionEditor->hasFocus());
    ASSERT_NE(g->CaptionEditor->toPlainText(), before);
    QWidget* vp = g->CaptionEditor->viewport();
    QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(5, 5), vp->mapToGlobal(QPoint(5, 5)));
    QCoreApplication::sendEvent(vp, &menu);
    EXPECT_TRUE(O->pmKivPanel->isVisible()) << "the panels' popup, not the editor's own";
    EXPECT_TRUE(undo->isVisible());
    O->pmKivPanel->hide();
    g->CaptionEditor->setFocus(Qt::OtherFocusReason);
    undo->trigger();
    EXPECT_EQ(g->CaptionEditor->toPlainText(), before) << "the typing is taken back";

    PanelsManager().SetEditMode(false);
    emit O->pmKivPanel->aboutToShow();
    EXPECT_FALSE(undo->isVisible());
}

TEST_F(Layouts, LayoutLinesAndDocumentViewSurviveARestart) {
    Open("A(B) C");
    Apply(7);
    O->Number1->trigger();
    ASSERT_TRUE(O->acDocViewLaunch->Execute());
    O->N210->trigger();
    Stop();
    IniFile ini(Home() + "kiv.ini");
    EXPECT_EQ(ini.ReadInteger("Settings", "PanelsLayout", -1), 7);
    EXPECT_EQ(ini.ReadInteger("Settings", "RowStrings", -1), 2);
    EXPECT_EQ(ini.ReadInteger("Settings", "DocViewNumber", -1), 0);
    EXPECT_EQ(ini.ReadInteger("Settings", "DocViewNumber2", -1), 1);
    EXPECT_EQ(ini.ReadInteger("Settings", "DocViewLaunch", -1), 1);
    ResetGlobals();
    Restart();
    EXPECT_EQ(L->CurrentLayout(), 7);
    EXPECT_TRUE(L->LayoutActions[7]->Checked());
    EXPECT_TRUE(O->DocumentViewSettings1->isEnabled());
    EXPECT_TRUE(p1->DocumentView());
    EXPECT_TRUE(O->Number1->isChecked());
    EXPECT_TRUE(p1->DocViewNumbers());
    EXPECT_TRUE(p1->DocViewLaunchImage());
    EXPECT_EQ(ColorScheme.RowLines, 2);
    EXPECT_EQ(K().Splitter1->orientation(), Qt::Horizontal);
}

}  // namespace
}  // namespace kiv::wintest
