// The navigation path and its strips: the tab texts of a trail, the parent-topic label,
// the full-path toggle, the path popup, going to a level from each of the three panels,
// the outline tabs, and the path rebuilt during a long operation.
#include <QLabel>
#include <QMenu>
#include <QResizeEvent>
#include <QToolButton>
#include <QPushButton>

#include "mainwindow/settings/WindowSettings.h"
#include "platform/core/SamePath.h"
#include "tests/mainwindow/NavFixture.h"

namespace kiv::wintest {
namespace {

const std::string kLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";

std::unique_ptr<TNavigator> TrailOf(const std::vector<std::string>& captions) {
    auto t = std::make_unique<TNavigator>();
    for (size_t i = 0; i < captions.size(); ++i)
        t->Add(1, uint32_t(i), false, captions[i], TNestItem{uint32_t(i + 1), 0});
    return t;
}

TEST(NavigationPathTexts, WidthsRampFromShortToLong) {
    const QString a = QString::fromStdString(kLetters);
    struct Case {
        int nodes;
        bool hoisted;
        QStringList texts;
    } cases[] = {
        {1, false, {"<..>", "1. " + a + "\\"}},  // width 28: the whole caption
        {4,
         false,
         {"<..>", "1. " + a.left(13) + "...\\", "2. " + a.left(18) + "...\\",
          "3. " + a.left(23) + "...\\", "4. " + a.left(23) + "...\\"}},
        {2, true, {"<Hoist>", "1. " + a.left(18) + "...\\", "2. " + a + "\\"}},
        // 20 / 3 rounds up to a step of 7, not down to 6.
        {3,
         false,
         {"<..>", "1. " + a.left(15) + "...\\", "2. " + a.left(22) + "...\\",
          "3. " + a.left(22) + "...\\"}},
    };
    for (const Case& c : cases) {
        const auto t = TrailOf(std::vector<std::string>(size_t(c.nodes), kLetters));
        EXPECT_EQ(NavigationPathTexts(*t, c.hoisted, true), c.texts) << c.nodes << " nodes";
    }
    // 20 / 8 = 2.5 rounds to the even 2: the widths climb 10, 12, ... 22 and stop there.
    const QStringList eight =
        NavigationPathTexts(*TrailOf(std::vector<std::string>(8, kLetters)), false, false);
    ASSERT_EQ(eight.size(), 8);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(eight[i],
                  QString::number(i + 1) + ". " + a.left(std::min(10 + 2 * i, 22)) + "...\\")
            << "node " << i + 1;
    EXPECT_TRUE(NavigationPathTexts(TNavigator{}, false, true).isEmpty()) << "no nodes, no tabs";
    EXPECT_EQ(NavigationPathTexts(*TrailOf({"x"}), false, false), QStringList{"1. x\\"})
        << "nothing open: no first tab";
}

TEST(NavigationPathTexts, DeepTrailsAndBlankCaptionsStayReadable) {
    // 50 levels: the step rounds to 0 and every caption keeps 8 characters.
    const auto deep = TrailOf(std::vector<std::string>(50, std::string(300, 'x')));
    const QStringList texts = NavigationPathTexts(*deep, false, true);
    ASSERT_EQ(texts.size(), 51);
    EXPECT_EQ(texts[50], QStringLiteral("50. xxxxxxxx...\\"));
    EXPECT_EQ(NavigationPathTexts(*TrailOf({"  \r\n "}), false, true)[1],
              QStringLiteral("1. [untitled]\\"));
    EXPECT_EQ(SuperOrdText(*TrailOf({"a", " \r\n"})), QStringLiteral("[untitled]"));
    EXPECT_EQ(SuperOrdText(TNavigator{}), QString()) << "the top level has no parent";
    EXPECT_EQ(SuperOrdText(*TrailOf({"a", "two\r\nlines"})), QStringLiteral("two  lines"));
}

TEST(NavigationPathTexts, CaptionsStoredInWindows1252ShowAsInThePanels) {
    // "Café", "Über": as the Windows program stores them, and as an earlier build stored them.
    const std::string cafe = "Caf\xe9",
                      ueber =
                          "\xdc"
                          "ber",
                      utf8 = "Caf\xc3\xa9";
    const QString shown = QString::fromUtf8("Caf\xc3\xa9"), ueberShown = QString::fromUtf8(
                                                                "\xc3\x9c"
                                                                "ber");
    EXPECT_EQ(NavigationPathTexts(*TrailOf({cafe, ueber}), false, true),
              (QStringList{"<..>", "1. " + shown + "\\", "2. " + ueberShown + "\\"}));
    EXPECT_EQ(NavigatorPopupTexts(*TrailOf({cafe, ueber}), false)[0], "2 level:  " + shown);
    EXPECT_EQ(SuperOrdText(*TrailOf({cafe, ueber})), ueberShown);
    EXPECT_EQ(OutlineTabText(1, cafe), "1. " + shown);
    EXPECT_EQ(OutlineTabText(2, utf8), "2. " + shown);
    EXPECT_EQ(OutlineTabText(1, cafe), QStringLiteral("1. ") + TKivStringGrid::CaptionToText(cafe))
        << "the panels' decoding";
}

TEST(NavigationPathTexts, PopupListsTheLevelsDeepestFirst) {
    EXPECT_EQ(NavigatorPopupTexts(*TrailOf({"A", "B", "C"}), false),
              (QStringList{"3 level:  B", "2 level:  A", "1 level:  <..>"}));
    EXPECT_EQ(NavigatorPopupTexts(*TrailOf({"A"}), true), QStringList{"1 level:  <Hoist>"});
}

class NavPath : public NavFixture {
protected:
    // A path tab chosen as the user clicks it.
    void ChoosePathTab(int t) {
        nav->tsNavigator->SetTabIndex(t);
        QCoreApplication::processEvents();
    }
    // Panel 1 on A, panel 2 on B, panel 3 on C, panel 3 active.
    void GoToThirdPanel() {
        ClickRow(p1, 0);
        ClickRow(p2, 0);
        ClickRow(p3, 0);
        ASSERT_EQ(CurrentPanel, 3);
    }
};

TEST_F(NavPath, TheTrailFollowsTheActivePanel) {
    Open("A(B(C(D))) X");
    EXPECT_TRUE(Path().isEmpty()) << "panel 1: nothing above the current topic";
    GoToThirdPanel();
    EXPECT_EQ(Path(), (QStringList{"<..>", "1. A\\", "2. B\\"}));
    EXPECT_EQ(nav->lblSuperOrd->text(), QStringLiteral("B"));
    ClickRow(p2, 0);
    EXPECT_EQ(CurrentPanel, 2);
    EXPECT_EQ(Path(), (QStringList{"<..>", "1. A\\"}));
    EXPECT_EQ(nav->tsNavigator->TabIndex(), -1) << "the path keeps no selected tab";
}

TEST_F(NavPath, TheFullPathToggleShowsTheStripOrTheParent) {
    Open("A(B)");
    KivAction* full = f->NavPath().acFullNavPath;
    ASSERT_FALSE(full->Checked());
    struct Expect {
        bool strip;
        const char* caption;
        const char* hint;
    };
    const Expect states[] = {{false, "\\", "Show Full Navigation Path"},
                             {true, "\\\\\\", "Show Parent Topic Only"},
                             {false, "\\", "Show Full Navigation Path"}};
    for (int i = 0; i < 3; ++i) {
        if (i > 0) nav->btnShowFullPath->click();
        EXPECT_EQ(full->Checked(), states[i].strip);
        EXPECT_EQ(!nav->tsNavigator->isHidden(), states[i].strip);
        EXPECT_EQ(nav->lblSuperOrd->isHidden(), states[i].strip);
        EXPECT_EQ(nav->btnShowFullPath->text(), QString::fromLatin1(states[i].caption));
        EXPECT_EQ(full->toolTip(), QString::fromLatin1(states[i].hint));
    }
}

TEST_F(NavPath, APathTabAlreadyOnShowOnlyMovesTheFocus) {
    Open("A(B(C(D))) X");
    GoToThirdPanel();
    // Panel 3: tab 1 is panel 2's level, tab 0 panel 1's.
    ChoosePathTab(1);
    EXPECT_EQ(CurrentPanel, 2);
    EXPECT_EQ(Rows(p1), (QStringList{"A", "X"}));
    EXPECT_EQ(Path(), (QStringList{"<..>", "1. A\\"}));
    ChoosePathTab(0);
    EXPECT_EQ(CurrentPanel, 1);
    EXPECT_TRUE(Path().isEmpty());
    GoToThirdPanel();
    ChoosePathTab(0);
    EXPECT_EQ(CurrentPanel, 1);
    EXPECT_EQ(Caption(p1), QStringLiteral("A"));
    GoToThirdPanel();
    ChoosePathTab(2);  // the list panel 3 shows: nothing to do
    EXPECT_EQ(CurrentPanel, 3);
}

TEST_F(NavPath, ShiftingRightAndGoingBackUpTheTrail) {
    Open("A(B(C(D(E)))) X");
    GoToThirdPanel();
    nav->ShiftPanelsRight();
    EXPECT_EQ(Path(), (QStringList{"<..>", "1. A\\", "2. B\\", "3. C\\"}));
    EXPECT_EQ(Rows(p1), QStringList{"B"});
    EXPECT_EQ(Rows(p2), QStringList{"C"});
    EXPECT_EQ(Rows(p3), QStringList{"D"});
    // The popup names each level; choosing one goes there.
    nav->pmNavigatorPopup();
    QStringList items;
    for (QAction* a : nav->pmNavigator->actions())
        if (!a->isSeparator()) items << a->text();
    EXPECT_EQ(items, (QStringList{"3 level:  B", "2 level:  A", "1 level:  <..>", "What's This?"}));
    nav->pmNavigator->actions()[1]->trigger();  // "2 level:  A": level 1, the list under A
    EXPECT_EQ(CurrentPanel, 1);
    EXPECT_EQ(Rows(p1), QStringList{"B"});
    EXPECT_EQ(Caption(p1), QStringLiteral("B"));
    EXPECT_EQ(Rows(p2), QStringList{"C"});
    EXPECT_EQ(Path(), (QStringList{"<..>", "1. A\\"}));
    EXPECT_EQ(f->TextCard().OwnerGrid(), p1) << "the panes show the topic the level selects";
    // One level up from panel 1.
    nav->ShiftPanelsLeft();
    EXPECT_EQ(Rows(p1), (QStringList{"A", "X"}));
    EXPECT_EQ(Caption(p1), QStringLiteral("A"));
    EXPECT_TRUE(Path().isEmpty());
}

TEST_F(NavPath, NavigateToLevelFromEachPanel) {
    Open("A(B(C(D(E)))) X");
    // From panel 3, 2 and 1 of a view shifted one level down (trail A B C), to the top.
    for (int panel = 3; panel >= 1; --panel) {
        SCOPED_TRACE(panel);
        GoToThirdPanel();
        nav->ShiftPanelsRight();
        if (panel < 3) ClickRow(p2, 0);
        if (panel < 2) ClickRow(p1, 0);
        ASSERT_EQ(CurrentPanel, panel);
        ASSERT_EQ(Form1->Open().Navigator->Count(), panel);
        nav->NavigateToLevel(0, false);
        EXPECT_EQ(CurrentPanel, 1);
        EXPECT_EQ(Rows(p1), (QStringList{"A", "X"}));
        EXPECT_EQ(Caption(p1), QStringLiteral("A"));
        EXPECT_EQ(Rows(p2), QStringList{"B"});
        EXPECT_EQ(Rows(p3), QStringList{"C"});
        EXPECT_TRUE(Path().isEmpty());
    }
}

TEST_F(NavPath, OutlineTabsShowOneTopLevelTopicEach) {
    Open("First(a b) Second(c)");
    TFourthTabSet* tabs = nav->tsOutLine;
    QLabel* mode = f->NavPath().lblNavigateMode;
    EXPECT_EQ(tabs->Tabs().Strings(), (QStringList{"<..>", "1. First", "2. Second"}));
    EXPECT_EQ(tabs->TabIndex(), 0);
    tabs->SetTabIndex(1);
    EXPECT_EQ(mode->text(), QStringLiteral("outline"));
    EXPECT_EQ(Rows(p1), (QStringList{"First", "a", "b"})) << "one topic, shown unfolded";
    EXPECT_TRUE(p1->IsHoistedTopRow(0));
    ClickRow(p1, 2);  // b
    tabs->SetTabIndex(2);
    EXPECT_EQ(Rows(p1), (QStringList{"Second", "c"}));
    tabs->SetTabIndex(0);
    EXPECT_EQ(mode->text(), QStringLiteral("whole"));
    EXPECT_EQ(Rows(p1), (QStringList{"First", "Second"}));
    tabs->SetTabIndex(1);
    EXPECT_EQ(Caption(p1), QStringLiteral("b")) << "an outline opens where the user left it";
    // The popup and the menu list the outlines.
    nav->pmOutlinePopup();
    QStringList items;
    for (QAction* a : nav->pmOutline->actions().mid(2))
        if (!a->isSeparator()) items << a->text();
    EXPECT_EQ(items, (QStringList{"<..>", "1: 1. First", "2: 2. Second", "What's This?"}));
}

TEST_F(NavPath, TheOpenDatastructuresTabNeverOffersToDeleteItself) {
    Open("a");
    InterBase().Add(Home() + "other.kiv");
    nav->FillInterBaseTabs();
    EXPECT_EQ(nav->tsInterBase->Tabs().Strings(), (QStringList{"FirstKivDB", "other"}));
    EXPECT_EQ(nav->tsInterBase->TabIndex(), 0);
    QCursor::setPos(nav->tsInterBase->mapToGlobal(QPoint(20, 10)));
    nav->pmInterBasePopup();
    EXPECT_FALSE(nav->DeleteTab1->isVisible()) << "over the current tab";
    nav->DeleteTab1->setData(0);
    nav->DeleteTab1Click();
    EXPECT_EQ(InterBase().Count(), 2);
    // Over the other tab: offered, and it goes.
    const auto tabs = nav->tsInterBase->TabPositions();
    ASSERT_EQ(tabs.size(), 2u);
    QCursor::setPos(nav->tsInterBase->mapToGlobal(QPoint(tabs[1].Left + 5, 10)));
    nav->pmInterBasePopup();
    EXPECT_TRUE(nav->DeleteTab1->isVisible());
    EXPECT_EQ(nav->DeleteTab1->text(), QStringLiteral("Delete tab 'other'"));
    nav->DeleteTab1->trigger();
    EXPECT_EQ(nav->tsInterBase->Tabs().Strings(), QStringList{"FirstKivDB"});
    EXPECT_EQ(nav->tsInterBase->TabIndex(), 0);
}

TEST_F(NavPath, ARebuildDuringALongOperationKeepsItsBusy) {
    Open("A(B(C))");
    f->NavPath().acFullNavPath->Execute();
    GoToThirdPanel();
    {
        TBusyGuard walk(f->BusyCounter());
        // The walk moves on; the window is resized meanwhile and the path rebuilt for it.
        Form1->Open().Navigator->Add(1, 0, false, "Walked", TNestItem{});
        f->resize(f->width() - 60, f->height());
        ProcessEventsFor(50);
        EXPECT_EQ(Path(), (QStringList{"<..>", "1. A\\", "2. B\\", "3. Walked\\"}))
            << "rebuilt on the resize";
        EXPECT_TRUE(Busy) << "the path's own busy scope must not end the walk's";
        EXPECT_EQ(f->BusyCounter().Depth(), 1);
    }
    EXPECT_FALSE(Busy);
}

TEST_F(NavPath, ADeepTrailScrollsItsLastTabIntoView) {
    Open("A(B(C))");
    f->NavPath().acFullNavPath->Execute();
    for (int i = 0; i < 50; ++i)
        Form1->Open().Navigator->Add(1, 0, false, std::string(200, char('a' + i % 26)),
                                     TNestItem{});
    nav->UpdateNavigationPath();
    TFourthTabSet* s = nav->tsNavigator;
    ASSERT_EQ(s->Tabs().Count(), 51);
    EXPECT_GT(s->FirstIndex(), 0);
    EXPECT_EQ(s->FirstIndex() + s->VisibleTabs(), 51) << "the last tab shows";
    EXPECT_LE(nav->lblSuperOrd->width(), f->width()) << "a long caption does not widen the window";
}

}  // namespace
}  // namespace kiv::wintest

namespace kiv::wintest {
namespace {

TEST_F(NavPath, InTreeModeTheTrailIsTheAncestorsAndATabSelectsOne) {
    Open("A(B(C(D))) X");
    PanelsManager().SetTreeMode(true);
    p1->ExpandRow(0);
    p1->ExpandRow(1);
    ASSERT_EQ(Rows(p1), (QStringList{"A", "B", "C", "X"}));
    p1->SelectRow(2);
    EXPECT_EQ(Path(), (QStringList{"<..>", "1. A\\", "2. B\\"}));
    ChoosePathTab(1);
    EXPECT_EQ(Caption(p1), QStringLiteral("B"));
    EXPECT_EQ(Path(), (QStringList{"<..>", "1. A\\"}));
    ChoosePathTab(0);
    EXPECT_EQ(Caption(p1), QStringLiteral("A"));
    EXPECT_TRUE(Path().isEmpty());
    // A trail to a folded branch unfolds it on the way.
    p1->CollapseRow(0);
    ASSERT_EQ(Rows(p1), (QStringList{"A", "X"}));
    Form1->Open().Navigator->Clear();
    Form1->Open().Navigator->Add(p1->Nester->ParentNest(0), 0, false, "A", p1->Nester->GetItem(0));
    TNestItem b;
    {
        TItemArray items;
        ReadNestItems(PanelsManager().NestFile, uint32_t(p1->Nester->ChildNest(0)), items);
        b = items[0];
    }
    Form1->Open().Navigator->Add(uint32_t(p1->Nester->ChildNest(0)), 0, false, "B", b);
    nav->NavigateToLevel(1, false);
    EXPECT_EQ(Rows(p1), (QStringList{"A", "B", "X"}));
    EXPECT_EQ(Caption(p1), QStringLiteral("B"));
}

}  // namespace
}  // namespace kiv::wintest

namespace kiv::wintest {
namespace {

TEST_F(NavPath, TheLinesToggleCyclesAndWholeCaptionsGoBackToOneLine) {
    Open("a");
    struct Step {
        int lines;
        bool whole;
    };
    const Step steps[] = {{2, false}, {3, false}, {0, true}, {1, false}, {2, false}};
    ColorScheme.RowLines = 1;
    for (const Step& s : steps) {
        nav->acLinesToggle->Execute();
        EXPECT_EQ(ColorScheme.RowLines, s.lines);
        EXPECT_EQ(PanelsManager().ExpandAll, s.whole);
        EXPECT_EQ(p2->GetExpandAll(), s.whole);
    }
    ColorScheme.RowLines = 7;
    nav->acLinesToggle->Execute();
    EXPECT_EQ(ColorScheme.RowLines, 1) << "a value above 3 becomes 1";
}

TEST_F(NavPath, TheArrowsShowAndHide) {
    Open("a b");
    KivAction* arrows = f->NavPath().acArrows;
    ASSERT_TRUE(arrows->Checked());
    EXPECT_EQ(f->Skeleton().pnlArrows->width(), 156);
    arrows->Execute();
    EXPECT_FALSE(arrows->Checked());
    EXPECT_EQ(f->Skeleton().pnlArrows->width(), 64);
    EXPECT_TRUE(nav->btnDown->isHidden());
    arrows->Execute();
    EXPECT_FALSE(nav->btnDown->isHidden());
    // The arrow goes to the active panel as its own key: the panel's cursor moves.
    ClickRow(p1, 0);
    ASSERT_EQ(p1->Row(), 0);
    nav->btnDown->click();
    EXPECT_EQ(p1->Row(), 1);
}

}  // namespace
}  // namespace kiv::wintest

namespace kiv::wintest {
namespace {

// A long top level: the open makes only the tabs that show; a tab made later still names its
// topic, and choosing it shows that topic hoisted and keeps it in view.
TEST_F(NavPath, OutlineTabsOfALongTopLevelAreMadeAsTheyShow) {
    std::string tree;
    for (int i = 0; i < 300; ++i) tree += "t" + std::to_string(i) + (i == 250 ? "(x y) " : " ");
    Open(tree);
    TFourthTabSet* tabs = nav->tsOutLine;
    ASSERT_EQ(tabs->Tabs().Count(), 301);
    EXPECT_LT(tabs->Tabs().MadeCount(), 60) << "the tabs that fit, not the top level";
    EXPECT_EQ(tabs->Tabs()[251], QStringLiteral("251. t250"));
    EXPECT_EQ(tabs->Tabs()[300], QStringLiteral("300. t299"));

    tabs->SetTabIndex(251);
    EXPECT_EQ(f->NavPath().lblNavigateMode->text(), QStringLiteral("outline"));
    EXPECT_EQ(Rows(p1), (QStringList{"t250", "x", "y"}));
    EXPECT_LE(tabs->FirstIndex(), 251);
    EXPECT_GT(tabs->FirstIndex() + tabs->VisibleTabs(), 251) << "the chosen tab shows";
    ClickRow(p1, 2);
    EXPECT_EQ(Current(), QStringLiteral("y"));
    tabs->SetTabIndex(0);
    EXPECT_EQ(p1->Nester->RowCount(), 300);
    // Back in that outline where the user stood.
    tabs->SetTabIndex(251);
    EXPECT_EQ(Current(), QStringLiteral("y"));
}

TEST_F(NavPath, TheOutlineTabsFollowTheTopLevel) {
    Open("First(a) Second");
    TFourthTabSet* tabs = nav->tsOutLine;
    ClickRow(p1, 1);
    AddTopicAfter(p1);
    EXPECT_EQ(tabs->Tabs().Strings(),
              (QStringList{"<..>", "1. First", "2. Second", "3. [untitled]"}));
    ClickRow(p1, 0);
    PanelsManager().SetEditMode(true);
    p1->CaptionEditor->SetSelStart(10000);
    TypeCaption(p1, QStringLiteral("ly"));
    ClickRow(p1, 1);
    EXPECT_EQ(tabs->Tabs()[1], QStringLiteral("1. Firstly"));
    tabs->SetTabIndex(1);
    EXPECT_EQ(Rows(p1), (QStringList{"Firstly", "a"}));
}

}  // namespace
}  // namespace kiv::wintest

namespace kiv::wintest {
namespace {

TEST_F(NavPath, ChoosingAnotherDatastructuresTabOpensIt) {
    MakeJoined(Home() + "other.kiv", "o1(o2) o3");
    Open("a(b)");
    InterBase().Add(Home() + "other.kiv");
    nav->FillInterBaseTabs();
    ClickRow(p2, 0);
    ASSERT_EQ(Path(), (QStringList{"<..>", "1. a\\"}));
    nav->tsInterBase->SetTabIndex(1);
    EXPECT_EQ(f->windowTitle(), QStringLiteral("KIV - other.kiv"));
    EXPECT_EQ(nav->tsInterBase->TabIndex(), 1);
    EXPECT_EQ(Rows(p1), (QStringList{"o1", "o3"}));
    EXPECT_EQ(nav->tsOutLine->Tabs().Strings(), (QStringList{"<..>", "1. o1", "2. o3"}));
    EXPECT_TRUE(Path().isEmpty()) << "the other datastructure's own trail";
    nav->tsInterBase->SetTabIndex(0);
    // Back where the user stood, on its thread: b, under a.
    EXPECT_EQ(Rows(p1), QStringList{"b"});
    EXPECT_EQ(Path(), (QStringList{"<..>", "1. a\\"}));
}

TEST_F(NavPath, TheHandShowsOverTabsAndOverOtherDatastructuresOnly) {
    Open("a b");
    InterBase().Add(Home() + "other.kiv");
    nav->FillInterBaseTabs();
    auto move = [](TFourthTabSet* s, int x) {
        QMouseEvent e(QEvent::MouseMove, QPointF(x, 10), s->mapToGlobal(QPointF(x, 10)),
                      Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(s, &e);
        return s->cursor().shape();
    };
    TFourthTabSet* outlines = nav->tsOutLine;
    EXPECT_EQ(move(outlines, outlines->TabPositions()[1].Left + 3), Qt::PointingHandCursor);
    EXPECT_EQ(move(outlines, outlines->width() - 2), Qt::ArrowCursor);
    TFourthTabSet* bases = nav->tsInterBase;
    EXPECT_EQ(move(bases, bases->TabPositions()[0].Left + 3), Qt::ArrowCursor)
        << "the open one's tab";
    EXPECT_EQ(move(bases, bases->TabPositions()[1].Left + 3), Qt::PointingHandCursor);
}

}  // namespace
}  // namespace kiv::wintest

namespace kiv::wintest {
namespace {

// "Manage..." edits the bookmarked list; OK refills the tabs and the list outlives the run.
TEST_F(NavPath, TheManagedBookmarkedListShowsAsTabsAndSurvivesARestart) {
    Open("a");
    const std::string work = Home() + "My Work.kiv";
    MakeJoined(work, "w");
    const QList<QAction*> fixed = nav->BookMarkedDatabases1->actions();
    ASSERT_GE(fixed.size(), 2);
    EXPECT_EQ(fixed[1], nav->acInterbaseManage);
    EXPECT_EQ(nav->acInterbaseManage->text(), QStringLiteral("Manage..."));

    nav->acInterbaseManage->trigger();
    ASSERT_TRUE(nav->frmAddDB);
    TfrmAddDB& d = *nav->frmAddDB;
    EXPECT_TRUE(d.isVisible());
    EXPECT_TRUE(d.isModal());
    Dialogs().AnswerOpen({QString::fromStdString(work)});
    d.btnAdd->click();
    d.btnOK->click();
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(nav->tsInterBase->Tabs().Strings(), (QStringList{"FirstKivDB", "My Work"}));
    EXPECT_EQ(nav->tsInterBase->TabIndex(), 0);
    nav->BookMarkedDatabases2Click(nav->BookMarkedDatabases1);
    EXPECT_EQ(nav->BookMarkedDatabases1->actions().last()->text(), QStringLiteral("2. My Work"));

    Stop();
    ResetGlobals();  // a new run
    Restart();
    ASSERT_EQ(InterBase().Count(), 2);
    EXPECT_EQ(InterBase().GetName(1), "My Work");
    EXPECT_TRUE(SamePath(InterBase().GetPath(1), work));
    EXPECT_EQ(nav->tsInterBase->Tabs().Strings(), (QStringList{"FirstKivDB", "My Work"}));
}

}  // namespace
}  // namespace kiv::wintest
