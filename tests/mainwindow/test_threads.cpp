// Threads and QuickJumps in the window: the strip and list texts, the QuickJumps flash,
// going to a mark whose topic is gone, Del in the lists, the main menus with another open
// datastructure, drops of topics, and the marks kept across a restart.
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "components/FourthTabSet.h"
#include "mainwindow/filecommands/FileCommands.h"
#include "mainwindow/marks/Marks.h"
#include "mainwindow/navpath/NavigationPath.h"
#include "tests/ToolRun.h"
#include "tests/mainwindow/WindowFixture.h"

// Failures show the texts.
static void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace kiv::wintest {
namespace {

const QString kQuickJumpGone = QStringLiteral(
    "It isn't possible to move to this QuickJump topic, because it was removed or relocated. This item will we "
    "removed from this list.");
const QString kThreadGone = QStringLiteral(
    "It isn't possible to move to this Thread topic, because it was removed or relocated. This item will we removed "
    "from this list.");

QStringList ListLines(const QListWidget* l) {
    QStringList r;
    for (int i = 0; i < l->count(); ++i) r << l->item(i)->text();
    return r;
}

// Removes the top-level topic at index from an open pair's outline.
void RemoveTopLevelTopic(BlockFile* outline, int index) {
    const uint32_t root = ReadRootNest(outline);
    TItemArray items;
    ReadNestItems(outline, root, items);
    items.erase(items.begin() + index);
    WriteNestItems(outline, root, items);
}

class Marks : public PanelsWindow {
protected:
    TMarks* m = nullptr;

    void Restart() override {
        PanelsWindow::Restart();
        m = &f->Marks();
    }
    QString Current() const {
        TKivStringGrid* g = f->CurrentGrid();
        return g && g->IsRowValid(g->CurrentRow())
                   ? QString::fromStdString(g->Nester->Caption(g->CurrentRow()))
                   : QString();
    }
    TQuickJump& Threads() const { return Form1->Open().BookMark->Threads; }
    TQuickJump& QuickJumps() const { return Form1->Open().BookMark->QuickJumps; }
    // The current trail is the current thread.
    void ExpectCurrentThreadIsTheTrail() const {
        ASSERT_GE(Threads().CurrentIndex(), 0);
        EXPECT_EQ(Threads().Navigator(Threads().CurrentIndex()), Form1->Open().Navigator);
    }
    void SetQuickJumpsTabs(bool on) {
        if (f->Marks().acShowQuickJumpsTabs->Checked() != on) m->acShowQuickJumpsTabsExecute();
    }
    std::vector<std::string> Messages() {
        std::vector<std::string> r;
        for (const auto& msg : env.Dialogs().Messages) r.push_back(msg.Text.toStdString());
        return r;
    }
};

TEST_F(Marks, StripAndListTexts) {
    const std::string longCaption = "abcdefghijklmnopqrstuvwxyz0123456789ABCD";  // 40 characters
    Open("A(B(C)) X \"" + longCaption + "\"");
    ClickRow(p1, 2);
    m->acToMarksExecute();  // QuickJump 0: the long caption
    ClickRow(p1, 0);
    ClickRow(p2, 0);
    m->acToMarksExecute();    // QuickJump 1: A / B
    m->acToThreadsExecute();  // Thread 1: A / B
    ClickRow(p1, 1);          // thread 0 moves on to X
    ASSERT_EQ(Current(), QStringLiteral("X"));
    m->acShowThreadsTabsExecute();
    ASSERT_TRUE(f->Marks().acShowThreadsTabs->Checked());

    SetQuickJumpsTabs(true);
    EXPECT_EQ(m->tsQuickJumps->Tabs().Strings(),
              (QStringList{"0. abcdefghijklmnopqrst...", "1. B"}));
    EXPECT_EQ(m->tsThreads->Tabs().Strings(), (QStringList{"0", "1"}))
        << "numbers alone beside the QuickJumps";
    SetQuickJumpsTabs(false);
    EXPECT_EQ(m->tsThreads->Tabs().Strings(), (QStringList{"0. X", "1. B"}));
    EXPECT_EQ(m->tsThreads->TabIndex(), 0);

    QListWidget* list = f->Marks().lbxBMList;
    struct Case {
        QString kind;
        QStringList lines;
    } cases[] = {
        {TMarks::kThreads, {"0.  X", "1.  B"}},
        {TMarks::kQuickJumps, {"0.  abcdefghijklmnopqrstuvwxyz012345678...", "1.  B"}},
        {QStringLiteral("Outlines"), {}},
    };
    for (const Case& c : cases) {
        m->FillMarkList(list, c.kind);
        EXPECT_EQ(ListLines(list), c.lines) << c.kind.toStdString();
    }
    m->acThreadListShowExecute();
    EXPECT_TRUE(f->Marks().pnlBMList->isVisible());
    EXPECT_EQ(m->pnlBMListHeader->text(), QStringLiteral("Threads List"));
    // The docked Threads list follows the topic change of the current thread.
    ClickRow(p1, 2);
    EXPECT_EQ(ListLines(list)[0], QStringLiteral("0.  abcdefghijklmnopqrstuvwxy..."));
    EXPECT_EQ(m->tsThreads->Tabs()[0], QStringLiteral("0. abcdefghijklmnopqrstuvwxy..."));
}

TEST_F(Marks, AChosenQuickJumpLightsUpFor300Ms) {
    Open("A(B) X");
    ClickRow(p1, 0);
    ClickRow(p2, 0);
    m->acToMarksExecute();
    ClickRow(p1, 1);
    m->acToMarksExecute();
    ASSERT_EQ(m->tsQuickJumps->TabIndex(), -1);
    m->tsQuickJumps->SetTabIndex(0);
    EXPECT_EQ(Current(), QStringLiteral("B"));
    EXPECT_EQ(CurrentPanel, 1);
    EXPECT_EQ(m->tsQuickJumps->TabIndex(), 0);
    EXPECT_TRUE(m->tmQuickJumpsFlasher->isActive());
    EXPECT_EQ(m->tmQuickJumpsFlasher->interval(), 300);
    // Lit until the flasher fires, and dark from then on.
    QSignalSpy fired(m->tmQuickJumpsFlasher, &QTimer::timeout);
    bool litUntilFired = true;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            if (fired.isEmpty()) litUntilFired = litUntilFired && m->tsQuickJumps->TabIndex() == 0;
            return !fired.isEmpty();
        },
        30000));
    EXPECT_TRUE(litUntilFired) << "still lit";
    EXPECT_EQ(m->tsQuickJumps->TabIndex(), -1);
    EXPECT_FALSE(m->tmQuickJumpsFlasher->isActive());
    // A QuickJump is a copy: moving on leaves it where it was.
    ClickRow(p1, 0);
    EXPECT_EQ(QuickJumps().Navigator(0)->Count(), 2);
    EXPECT_EQ(m->QuickJumpTabText(0), QStringLiteral("0. B"));
}

TEST_F(Marks, AQuickJumpWhoseTopicWentIsDroppedWithTheWarning) {
    Open("A B C");
    for (int r = 0; r < 3; ++r) {
        ClickRow(p1, r);
        m->acToMarksExecute();
    }
    ClickRow(p1, 0);
    RemoveTopLevelTopic(f->Pair().Outline.get(), 1);  // B
    m->tsQuickJumps->SetTabIndex(1);
    EXPECT_EQ(Messages(), std::vector<std::string>{kQuickJumpGone.toStdString()});
    EXPECT_EQ(Current(), QStringLiteral("A")) << "the user stays where he was";
    EXPECT_EQ(m->tsQuickJumps->Tabs().Strings(), (QStringList{"0. A", "1. C"}));
    EXPECT_EQ(m->tsQuickJumps->TabIndex(), -1) << "nothing lights up";
    m->tsQuickJumps->SetTabIndex(1);
    EXPECT_EQ(Current(), QStringLiteral("C")) << "C is found where it stands now";
}

TEST_F(Marks, AThreadWhoseTopicWentIsDroppedAndTheCurrentOneStays) {
    Open("A B C");
    ClickRow(p1, 1);
    m->acToThreadsExecute();  // thread 1 on B
    ClickRow(p1, 2);          // thread 0 on C
    RemoveTopLevelTopic(f->Pair().Outline.get(), 1);
    m->tsThreads->SetTabIndex(1);
    EXPECT_EQ(Messages(), std::vector<std::string>{kThreadGone.toStdString()});
    ASSERT_EQ(Threads().Count(), 1);
    ExpectCurrentThreadIsTheTrail();
    EXPECT_EQ(Form1->Open().Navigator->Count(), 0)
        << "the trail is where the user stands, without the topic";
    SetQuickJumpsTabs(false);
    EXPECT_EQ(m->tsThreads->Tabs().Strings(), QStringList{"0. C"});
}

TEST_F(Marks, DelKeepsTheOnlyThreadAndRemovesQuickJumpTwoOfThree) {
    Open("A B C");
    for (int r = 0; r < 3; ++r) {
        ClickRow(p1, r);
        m->acToMarksExecute();
    }
    QListWidget* list = f->Marks().lbxBMList;
    m->acThreadListShowExecute();
    ASSERT_EQ(list->count(), 1);
    list->setCurrentRow(0);
    QTest::keyClick(list, Qt::Key_Delete);
    EXPECT_EQ(Threads().Count(), 1) << "the last thread stays";
    ExpectCurrentThreadIsTheTrail();

    m->acQuickJumpListShowExecute();
    EXPECT_EQ(m->pnlBMListHeader->text(), QStringLiteral("QuickJump List"));
    list->setCurrentRow(1);
    QTest::keyClick(list, Qt::Key_Delete);
    EXPECT_EQ(ListLines(list), (QStringList{"0.  A", "1.  C"}));
    EXPECT_EQ(list->currentRow(), 1) << "the selection stays at its place";
    EXPECT_EQ(m->tsQuickJumps->Tabs().Strings(), (QStringList{"0. A", "1. C"}));
    QTest::keyClick(list, Qt::Key_Delete);
    EXPECT_EQ(list->currentRow(), 0) << "past the end: one up";
}

TEST_F(Marks, DelOfTheCurrentThreadGoesToTheNewCurrentOne) {
    Open("A B C");
    ClickRow(p1, 1);
    m->acToThreadsExecute();
    ClickRow(p1, 2);
    m->tsThreads->SetTabIndex(1);
    ASSERT_EQ(Current(), QStringLiteral("B"));
    ASSERT_EQ(Threads().CurrentIndex(), 1);
    QListWidget* list = f->Marks().lbxBMList;
    m->acThreadListShowExecute();
    list->setCurrentRow(1);
    QTest::keyClick(list, Qt::Key_Delete);
    ASSERT_EQ(Threads().Count(), 1);
    ExpectCurrentThreadIsTheTrail();
    EXPECT_EQ(Current(), QStringLiteral("C")) << "thread 0 was left on C";
}

TEST_F(Marks, DroppedTopicsAndReorderedThreads) {
    Open("A B C");
    ClickRow(p1, 1);
    // A topic dropped on the strips appends a mark; on the list below the last line, at the top.
    m->tsThreadsDragDrop(m->tsQuickJumps, p1);
    m->tsThreadsDragDrop(m->tsThreads, p1);
    EXPECT_EQ(m->PopupListKind, TMarks::kThreads);
    ClickRow(p1, 2);
    QListWidget* list = f->Marks().lbxBMList;
    m->acQuickJumpListShowExecute();
    m->lbxBMListPopupDragDrop(list, p1, QPoint(5, list->viewport()->height() - 2));
    EXPECT_EQ(ListLines(list), (QStringList{"0.  C", "1.  B"}));
    EXPECT_FALSE(m->TopicDragOver(list)) << "only topic rows are taken";
    m->tsThreadsDragDrop(m->tsQuickJumps, list);
    EXPECT_EQ(QuickJumps().Count(), 2);

    // Thread 1 dragged onto line 0: the current thread stays the one the panels show.
    m->acThreadListShowExecute();
    ASSERT_EQ(ListLines(list), (QStringList{"0.  C", "1.  B"}));
    list->setCurrentRow(1);
    m->lbxBMListPopupStartDrag(list);
    EXPECT_TRUE(
        m->lbxBMListPopupDragOver(list, list, list->visualItemRect(list->item(0)).center()));
    m->lbxBMListPopupDragDrop(list, list, list->visualItemRect(list->item(0)).center());
    EXPECT_EQ(ListLines(list), (QStringList{"0.  B", "1.  C"}));
    ExpectCurrentThreadIsTheTrail();
    EXPECT_EQ(Threads().CurrentIndex(), 1);
    EXPECT_EQ(Current(), QStringLiteral("C"));
    // And back, the current one moved this time.
    list->setCurrentRow(1);
    m->lbxBMListPopupStartDrag(list);
    m->lbxBMListPopupDragDrop(list, list, list->visualItemRect(list->item(0)).center());
    EXPECT_EQ(ListLines(list), (QStringList{"0.  C", "1.  B"}));
    ExpectCurrentThreadIsTheTrail();
    EXPECT_EQ(Threads().CurrentIndex(), 0);
    m->tsThreads->SetTabIndex(1);
    EXPECT_EQ(Current(), QStringLiteral("B"));
}

TEST_F(Marks, HoverSelectsAndThePopupListHidesWhenTheMouseHasLeft) {
    Open("A Bravo");
    ClickRow(p1, 0);
    m->acToMarksExecute();
    ClickRow(p1, 1);
    m->acToMarksExecute();
    m->ShowBookmarksPopup();
    QListWidget* popup = f->Marks().lbxBMListPopup;
    ASSERT_TRUE(f->Marks().pnlBookmarks->isVisible());
    EXPECT_EQ(ListLines(popup), (QStringList{"0.  A", "1.  Bravo"}));
    EXPECT_TRUE(m->tmrHide->isActive());
    EXPECT_EQ(m->tmrHide->interval(), 400);
    m->lbxBMListPopupMouseMove(popup, popup->visualItemRect(popup->item(1)).center());
    EXPECT_EQ(popup->currentRow(), 1);
    EXPECT_EQ(popup->viewport()->cursor().shape(), Qt::PointingHandCursor);
    m->lbxBMListPopupMouseMove(popup, popup->visualItemRect(popup->item(0)).center());
    EXPECT_EQ(popup->currentRow(), 0);
    // "0.  A" has five characters: still a hand.
    EXPECT_EQ(popup->viewport()->cursor().shape(), Qt::PointingHandCursor);
    // A mouse-up on a line goes there.
    m->lbxBMListPopupMouseUp(popup, popup->visualItemRect(popup->item(1)).center());
    EXPECT_EQ(Current(), QStringLiteral("Bravo"));
    QWidget* panel = f->Marks().pnlBookmarks;
    m->ShowBookmarksPopup();
    QCursor::setPos(panel->mapToGlobal(panel->rect().center()));
    // The hide timer looks where the mouse is each time it fires.
    QSignalSpy looked(m->tmrHide, &QTimer::timeout);
    EXPECT_TRUE(QTest::qWaitFor([&] { return looked.size() >= 2; }, 30000));
    EXPECT_TRUE(panel->isVisible()) << "the mouse is over it";
    QCursor::setPos(f->mapToGlobal(QPoint(f->width() - 5, f->height() - 5)));
    looked.clear();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !looked.isEmpty(); }, 30000));
    EXPECT_TRUE(f->Marks().pnlBookmarks->isHidden()) << "the mouse is elsewhere";
    EXPECT_FALSE(m->tmrHide->isActive());
}

TEST_F(Marks, TheThreadsMenuListsTheMarksOfAnotherOpenDatastructure) {
    MakeJoined(Home() + "second.kiv", "P Q");
    Open("A B C");
    ClickRow(p1, 2);
    m->acToThreadsExecute();  // thread 1 on C
    ClickRow(p1, 1);          // thread 0 on B
    const std::string first = Form1->Open().BookMark->Path;
    InterBase().Open(Home() + "second.kiv");
    ASSERT_EQ(QString::fromStdString(Form1->Open().BookMark->Name), QStringLiteral("second"));
    ClickRow(p1, 1);

    m->Threads2Click(m->Threads1);
    const QList<QAction*> items = m->Threads1->actions();
    ASSERT_EQ(items.size(), 2 + 1 + 1 + 1);  // fixed two, own thread, separator, submenu
    EXPECT_EQ(items[2]->text(), QStringLiteral("0. Q"));
    EXPECT_TRUE(items[3]->isSeparator());
    QMenu* sub = items[4]->menu();
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(sub->title(), QStringLiteral("FirstKivDB"));
    QStringList texts;
    for (QAction* a : sub->actions()) texts << a->text();
    EXPECT_EQ(texts, (QStringList{"0.  B", "1.  C"}));
    EXPECT_EQ(sub->actions()[1]->data().toList(), (QVariantList{QString::fromStdString(first), 1}));

    sub->actions()[1]->trigger();
    EXPECT_EQ(Form1->Open().BookMark->Path, first);
    EXPECT_EQ(Current(), QStringLiteral("C"));
    ExpectCurrentThreadIsTheTrail();
    EXPECT_EQ(Threads().CurrentIndex(), 1);
}

TEST_F(Marks, TwoThreadsAndThreeQuickJumpsSurviveARestart) {
    Open("A(B(C)) X Y(Z)");
    ClickRow(p1, 0);
    ClickRow(p2, 0);
    m->acToMarksExecute();    // QuickJump 0: A / B
    m->acToThreadsExecute();  // thread 1: A / B
    ClickRow(p1, 1);
    m->acToMarksExecute();  // QuickJump 1: X
    ClickRow(p1, 2);
    ClickRow(p2, 0);
    m->acToMarksExecute();  // QuickJump 2: Y / Z; thread 0 stands on Z
    Stop();

    const std::string path = Home() + "FirstKivDB.kiv";
    const test::ToolRun dump =
        test::RunTool(QStringLiteral("kivtree"), {QStringLiteral("dump"), QStringLiteral("--marks"),
                                                  QString::fromStdString(path)});
    EXPECT_EQ(dump.status, 0) << dump.err.toStdString();
    EXPECT_EQ(dump.out.toStdString(),
              "Threads\n  0. Y / Z\n  1. A / B\nQuickJumps\n  0. A / B\n  1. X\n  2. Y / Z\n");

    ResetGlobals();
    Restart();
    EXPECT_EQ(Messages(), std::vector<std::string>{});
    ASSERT_EQ(Threads().Count(), 2);
    ASSERT_EQ(QuickJumps().Count(), 3);
    ExpectCurrentThreadIsTheTrail();
    EXPECT_EQ(Current(), QStringLiteral("Z")) << "it opens where thread 0 stood";
    m->tsThreads->SetTabIndex(1);
    EXPECT_EQ(Current(), QStringLiteral("B"));
    m->tsThreads->SetTabIndex(0);
    EXPECT_EQ(Current(), QStringLiteral("Z"));
    const char* targets[] = {"B", "X", "Z"};
    for (int i = 0; i < 3; ++i) {
        m->tsQuickJumps->SetTabIndex(i);
        EXPECT_EQ(Current(), QString::fromLatin1(targets[i])) << i;
    }
    EXPECT_EQ(Messages(), std::vector<std::string>{});
}

// The marks follow their topics through a pack (the engine's tests move every address); only
// the one whose topic went into the Recycled Bin is dropped, with its warning.
TEST_F(Marks, PackKeepsTwoThreadsAndTwoQuickJumps) {
    Open("A(B(C)) D E(F)");
    ClickRow(p1, 0);
    ClickRow(p2, 0);
    m->acToMarksExecute();    // QuickJump 0: A / B
    m->acToThreadsExecute();  // thread 1: A / B
    ClickRow(p1, 1);
    m->acToMarksExecute();  // QuickJump 1: D, deleted below
    ClickRow(p1, 2);
    ClickRow(p2, 0);
    m->acToMarksExecute();  // QuickJump 2: E / F
    ClickRow(p1, 1);
    p1->DeleteMarkedTopics(true, true, true);
    ASSERT_EQ(RecycledBin().Count(), 1);
    ClickRow(p1, 0);
    ClickRow(p1, 1);
    ClickRow(p2, 0);  // thread 0 stands on E / F

    f->FileCommands().acCompactDatabase->Execute();
    EXPECT_EQ(Messages(), std::vector<std::string>{kQuickJumpGone.toStdString()});
    ASSERT_EQ(Threads().Count(), 2);
    ASSERT_EQ(QuickJumps().Count(), 2);
    ExpectCurrentThreadIsTheTrail();
    EXPECT_EQ(Current(), QStringLiteral("F"));
    EXPECT_EQ(m->tsQuickJumps->Tabs().Strings(), (QStringList{"0. B", "1. F"}));
    m->tsThreads->SetTabIndex(1);
    EXPECT_EQ(Current(), QStringLiteral("B"));
    m->tsThreads->SetTabIndex(0);
    EXPECT_EQ(Current(), QStringLiteral("F"));
    m->tsQuickJumps->SetTabIndex(0);
    EXPECT_EQ(Current(), QStringLiteral("B"));
    m->tsQuickJumps->SetTabIndex(1);
    EXPECT_EQ(Current(), QStringLiteral("F"));
    EXPECT_EQ(Messages().size(), 1u) << "every mark left leads to its topic";
    Stop();

    const std::string path = Home() + "FirstKivDB.kiv";
    const test::ToolRun dump =
        test::RunTool(QStringLiteral("kivtree"), {QStringLiteral("dump"), QStringLiteral("--marks"),
                                                  QString::fromStdString(path)});
    EXPECT_EQ(dump.status, 0) << dump.err.toStdString();
    EXPECT_EQ(dump.out.toStdString(),
              "Threads\n  0. E / F\n  1. A / B\nQuickJumps\n  0. A / B\n  1. E / F\n");
}

TEST_F(Marks, ATopicDeletedWhileClosedDropsItsMarksWithTheWarning) {
    Open("A B C");
    ClickRow(p1, 1);
    m->acToMarksExecute();
    m->acToThreadsExecute();
    ClickRow(p1, 2);
    m->acToMarksExecute();
    Stop();
    const std::string path = Home() + "FirstKivDB.kiv";
    UnpackDatastructure(path);
    {
        auto kiv = PosixBlockFile::Open(path, OpenMode::ReadWrite);
        RemoveTopLevelTopic(kiv.get(), 1);  // B
    }
    PackDatastructure(path);

    ResetGlobals();
    Restart();
    EXPECT_EQ(Messages(),
              (std::vector<std::string>{kThreadGone.toStdString(), kQuickJumpGone.toStdString()}));
    ASSERT_EQ(QuickJumps().Count(), 1);
    EXPECT_EQ(m->tsQuickJumps->Tabs().Strings(), QStringList{"0. C"});
    ASSERT_EQ(Threads().Count(), 1);
    EXPECT_EQ(Current(), QStringLiteral("C"));
    ExpectCurrentThreadIsTheTrail();
}

}  // namespace
}  // namespace kiv::wintest
