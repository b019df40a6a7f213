// The topic commands of the main window: insert, clone, lock, copy, cut, paste, delete with
// its questions, and the Recycled Bin's window.
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <functional>

#include "dialogs/RecycledBinWindow.h"
#include "mainwindow/MainHelpers.h"
#include "mainwindow/layouts/Layouts.h"
#include "mainwindow/topics/TopicCommands.h"
#include "tests/ToolRun.h"
#include "tests/mainwindow/WindowFixture.h"

namespace kiv::wintest {
namespace {

std::string Bytes(std::initializer_list<int> b) {
    std::string s;
    for (int c : b) s += char(c);
    return s;
}

class Topics : public PanelsWindow {
protected:
    TTopicCommands* t = nullptr;
    TTextCard* card = nullptr;

    void Restart() override {
        PanelsWindow::Restart();
        t = f->findChild<TTopicCommands*>();
        ASSERT_NE(t, nullptr);
        card = &f->TextCard();
    }
    void Focus(TKivStringGrid* g) {
        g->setFocus(Qt::OtherFocusReason);
        QCoreApplication::processEvents();
    }
    // The command as the user runs it with the focus in the panel.
    void Run(TKivStringGrid* g, KivAction* a) {
        Focus(g);
        a->Update();
        ASSERT_TRUE(a->isEnabled()) << a->objectName().toStdString();
        a->Execute();
        QCoreApplication::processEvents();
    }
    int Row(TKivStringGrid* g, std::string_view caption) {
        for (int r = 0; r < g->Nester->RowCount(); ++r)
            if (g->Nester->Caption(r) == caption) return r;
        ADD_FAILURE() << "no row " << caption;
        return -1;
    }
    TItemArray Items(uint32_t nest) {
        TItemArray items;
        ReadNestItems(f->Pair().Outline.get(), nest, items);
        return items;
    }
    std::string CaptionCard(uint32_t dir) {
        TCards c;
        c.SetCardFile(f->Pair().Cards.get());
        std::string s;
        c.ReadStoredCard(kCardCaption, dir, s);
        return s;
    }
    std::string Tree() { return DumpTree(f->Pair().Outline.get(), f->Pair().Cards.get()); }
    std::string Marked() {
        return DumpTree(f->Pair().Outline.get(), f->Pair().Cards.get(), false, true);
    }
    // The first topic's first child deleted from panel 2, then the first topic (with what
    // is left of its branch) from panel 1: two entries in the Recycled Bin, child first.
    void DeleteFirstChildThenItsParent() {
        ClickRow(p1, 0);
        Focus(p2);
        ClickRow(p2, 0);
        Run(p2, card->acDelete);
        ClickRow(p1, 0);
        Run(p1, card->acDelete);
    }
    TfrmRecycledBin* ShowBin() {
        f->Actions().Get(QStringLiteral("acShowRecycledBin")).Execute();
        QCoreApplication::processEvents();
        return t->RecycledBinWindow();
    }
    // Entries of a bin as the open pair stores it now (the Recycled Bin's card or the lost
    // branches'), not as the window holds it.
    int StoredEntries(uint8_t kind) {
        TDBCards db;
        db.SetCardFile(f->Pair().Cards.get());
        db.LoadDirAddress();
        std::string card;
        db.ReadCard(kind, card);
        TRecycledBin bin;
        bin.LoadFromString(card);
        return bin.Count();
    }
    // kivedit's edit (its arguments after the command, the pair's path first) on the pair
    // make() builds, killed before each of its writes and once after it returned unclosed;
    // after each the window starts again on what was left and check(n, writes) looks.
    void AfterEachKill(const QString& op, const std::function<void()>& make,
                       const std::function<void(int, int)>& check) {
        const QStringList edit{op, QString::fromStdString(Home() + "FirstKivDB.kiv"), "B"};
        make();
        const test::ToolRun counted = test::RunUnderEioShim("kivedit", edit, {});
        ASSERT_EQ(counted.status, 0) << counted.err.toStdString();
        const int writes =
            counted.err.mid(counted.err.lastIndexOf("writes ") + 7).trimmed().toInt();
        ASSERT_GT(writes, 0) << counted.err.toStdString();
        for (int n = 1; n <= writes + 1; ++n) {
            SCOPED_TRACE(n);
            make();
            test::RunUnderEioShim("kivedit", edit, {"KIV_EIO_KILL=" + QString::number(n)});
            ResetGlobals();
            Restart();
            check(n, writes);
            Stop();
        }
    }
    static QStringList Lines(QListWidget* l) {
        QStringList s;
        for (int i = 0; i < l->count(); ++i) s << l->item(i)->text();
        return s;
    }
    static void Select(QListWidget* l, std::initializer_list<int> rows) {
        l->clearSelection();
        for (int r : rows) l->item(r)->setSelected(true);
    }
};

TEST_F(Topics, InsertBeforeAfterChildAndLeftOfTheCurrentTopic) {
    Open("a(x) b");
    ClickRow(p1, 0);
    Run(p1, t->acInsertBefore);
    EXPECT_EQ(p1->CurrentRow(), 0);
    EXPECT_TRUE(p1->Editing()) << "ready for typing the caption";
    TypeCaption(p1, QStringLiteral("n"));
    PanelsManager().SetEditMode(false);
    ClickRow(p1, Row(p1, "a"));
    Run(p1, t->acInsertAfter);
    TypeCaption(p1, QStringLiteral("m"));
    PanelsManager().SetEditMode(false);
    EXPECT_EQ(Tree(), "n\na\n  x\nm\nb\n");
    // Add Topic Right does nothing outside tree mode on a panel with rows.
    Run(p1, t->acInsertChild);
    EXPECT_EQ(p1->Nester->RowCount(), 4);
    // Mark To Clip Card: the current topic into the Clip Bin.
    const int clips = f->Bins().lbxClipCard->count();
    Run(p1, t->acMarkToClipCard);
    EXPECT_EQ(f->Bins().lbxClipCard->count(), clips + 1);
}

TEST_F(Topics, CtrlInsInTheCaptionEditorInsertsBeforeAndKeepsTheTypedCaption) {
    Open("a b");
    ClickRow(p1, 1);
    PanelsManager().SetEditMode(true);
    ASSERT_TRUE(p1->Editing());
    p1->CaptionEditor->selectAll();
    TypeCaption(p1, QStringLiteral("typed"));
    // Where X sends it: to the editor, which would take Ctrl+Ins as its copy key.
    ASSERT_EQ(QApplication::focusWidget(), p1->CaptionEditor);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Insert, Qt::ControlModifier);
    QCoreApplication::processEvents();
    EXPECT_EQ(p1->CurrentRow(), 1) << "the new topic stands before the one edited";
    TypeCaption(p1, QStringLiteral("new"));
    PanelsManager().SetEditMode(false);
    EXPECT_EQ(Tree(), "a\nnew\ntyped\n");
}

TEST_F(Topics, CloneSharesCaptionCardsAndChildrenOrIsRefused) {
    Open("abc(x) z");
    ClickRow(p1, 0);
    Run(p1, t->acToClone);
    const TItemArray top = Items(ReadRootNest(f->Pair().Outline.get()));
    ASSERT_EQ(top.size(), 3u);
    EXPECT_EQ(top[1], top[0]) << "the second nest item has the same card directory and children";
    EXPECT_EQ(CaptionCard(top[0].CardDir),
              Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0x80, 0x01, 'a', 'b', 'c'}));
    EXPECT_EQ(Marked(), "abc [clone]\n  x\nabc [clone]\nz\n");

    Dialogs().Clear();
    ClickRow(p1, 2);  // z has no children
    Run(p1, t->acToClone);
    EXPECT_EQ(Dialogs().MessageTexts(),
              QStringList{"The topic must contain text and have at least one child topic for "
                          "creation of a clone."});
    EXPECT_EQ(Items(ReadRootNest(f->Pair().Outline.get())).size(), 3u);
}

// The lock bit 0x40 in the caption card; a branch lock passes a topic never written.
TEST_F(Topics, LockATopicAndABranchPastANeverWrittenTopic) {
    Open("abc(b c(d)) z");
    ClickRow(p1, 0);
    t->acSetReadOnly->Execute();
    const TItemArray top = Items(ReadRootNest(f->Pair().Outline.get()));
    EXPECT_EQ(CaptionCard(top[0].CardDir),
              Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0x40, 0x01, 'a', 'b', 'c'}));
    EXPECT_TRUE(p1->Nester->IsLocked(0));
    t->acSetReadOnly->Execute();
    EXPECT_FALSE(p1->Nester->IsLocked(0));

    // An empty topic first in the branch: it has no card directory.
    ASSERT_EQ(InsertNestItems(f->Pair().Outline.get(), top[0].ChildNest, 0,
                              TItemArray{TNestItem{}}),
              0);
    t->acSetReadOnlyBranch->Execute();
    EXPECT_EQ(Marked(), "abc [locked]\n  \n  b [locked]\n  c [locked]\n    d [locked]\nz\n");
    t->acSetReadOnlyBranch->Execute();
    EXPECT_EQ(Marked(), "abc\n  \n  b\n  c\n    d\nz\n");
}

TEST_F(Topics, DeleteAsksForLockedTopicsAndANoKeepsThatOneOnly) {
    const std::string longCaption = "A caption of more than thirty-five characters, locked";
    Open("one(sub) \"" + longCaption + "\" three four");
    ClickRow(p1, 0);
    Focus(p2);
    ClickRow(p2, 0);
    t->acSetReadOnly->Execute();  // sub
    ClickRow(p1, 1);
    t->acSetReadOnly->Execute();
    ClickRow(p1, 0);
    for (int r : {1, 2}) p1->Nester->SetMarked(r, true);
    Dialogs().AnswerMessage(IDYES);  // one: has a locked subordinate
    Dialogs().AnswerMessage(IDNO);   // the long one: locked
    Run(p1, card->acDelete);
    const QString shortened = QString::fromStdString(ShortCaption(longCaption, 35));
    EXPECT_EQ(Dialogs().MessageTexts(),
              (QStringList{"Topic 'one' has  one or more subordinates set to 'ReadOnly'.\r\n"
                           "Do you want to delete it in any case?",
                           "Topic '" + shortened +
                               "' is locked.\r\nDo you want to delete it in any case?"}));
    EXPECT_EQ(Tree(), longCaption + "\nfour\n");
    EXPECT_EQ(RecycledBin().Count(), 2);
    EXPECT_EQ(ImageIndex(&f->Actions().Get(QStringLiteral("acShowRecycledBin"))), 20);
}

// A held Del deletes one topic: the key repeats, the command runs once per press.
TEST_F(Topics, AHeldDelDeletesOneTopic) {
    Open("a b c d");
    ClickRow(p1, 1);
    Focus(p1);
    auto send = [&](QEvent::Type type, bool repeat) {
        QTest::simulateEvent(p1, type == QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier,
                             QString(), repeat);
        QCoreApplication::processEvents();
    };
    send(QEvent::KeyPress, false);
    for (int i = 0; i < 3; ++i) {
        send(QEvent::KeyRelease, true);
        send(QEvent::KeyPress, true);
    }
    send(QEvent::KeyRelease, false);
    EXPECT_EQ(Tree(), "a\nc\nd\n");
    send(QEvent::KeyPress, false);
    send(QEvent::KeyRelease, false);
    EXPECT_EQ(Tree(), "a\nd\n");
}

// The first paste of a cut moves the topics back (the Recycled Bin lets go of them); the
// second copies them.
TEST_F(Topics, CutThreeAndPasteTwiceMovesOnceThenCopies) {
    Open("a b c d e");
    ClickRow(p1, 1);
    for (int r : {2, 3}) p1->Nester->SetMarked(r, true);
    const TItemArray before = Items(ReadRootNest(f->Pair().Outline.get()));
    Run(p1, card->acCut);
    EXPECT_EQ(Tree(), "a\ne\n");
    EXPECT_EQ(RecycledBin().Count(), 3);
    ClickRow(p1, 0);
    Run(p1, card->acPaste);
    EXPECT_EQ(Tree(), "a\nb\nc\nd\ne\n");
    EXPECT_EQ(Items(ReadRootNest(f->Pair().Outline.get())), before) << "the same topics";
    EXPECT_EQ(RecycledBin().Count(), 0) << "pasted back, no longer recycled";
    EXPECT_EQ(ImageIndex(&f->Actions().Get(QStringLiteral("acShowRecycledBin"))), 6);
    Run(p1, card->acPaste);
    EXPECT_EQ(Tree(), "a\nb\nc\nd\nb\nc\nd\ne\n");
    const TItemArray after = Items(ReadRootNest(f->Pair().Outline.get()));
    for (int i : {4, 5, 6}) EXPECT_NE(after[size_t(i)].CardDir, before[size_t(i - 3)].CardDir) << i;
}

// A topic kept by a No stays where it is and is not on the clipboard: the paste moves only
// what the cut took out.
TEST_F(Topics, ACutKeepsOnTheClipboardOnlyWhatItsDeleteRemoved) {
    Open("a b c");
    ClickRow(p1, 1);
    t->acSetReadOnly->Execute();  // b
    ClickRow(p1, 0);
    p1->Nester->SetMarked(1, true);
    Dialogs().AnswerMessage(IDNO);
    Run(p1, card->acCut);
    EXPECT_EQ(Tree(), "b\nc\n");
    ASSERT_EQ(t->Clipboard().Records.size(), 1u);
    ClickRow(p1, 1);
    Run(p1, card->acPaste);
    EXPECT_EQ(Tree(), "b\nc\na\n");
    EXPECT_EQ(RecycledBin().Count(), 0);
}

// A cut clone moved back beside its own children (shared with its twin) would make a
// cycle: the move is refused.
TEST_F(Topics, TheMoveOfACutCloneIntoItsOwnBranchIsRefused) {
    Open("a(x) b");
    ClickRow(p1, 0);
    Run(p1, t->acToClone);
    ClickRow(p1, 0);
    Run(p1, card->acCut);
    ASSERT_EQ(Marked(), "a [clone]\n  x\nb\n");
    ClickRow(p1, 0);
    Focus(p2);
    ClickRow(p2, 0);
    Dialogs().Clear();
    Run(p2, card->acPaste);
    EXPECT_EQ(Dialogs().MessageTexts(),
              QStringList{"It is not possible to paste a topic to its own branch."});
    EXPECT_EQ(Marked(), "a [clone]\n  x\nb\n");
    EXPECT_EQ(RecycledBin().Count(), 1) << "still in the bin, nothing moved";
}

// Pasting a topic beside one of its own descendants is refused for that topic only.
TEST_F(Topics, PasteIntoItsOwnBranchIsRefusedForThatRecordOnly) {
    Open("a(x) b");
    ClickRow(p1, 0);
    p1->Nester->SetMarked(1, true);
    Run(p1, card->acCopy);
    ASSERT_EQ(t->Clipboard().Records.size(), 2u);
    Focus(p2);
    ClickRow(p2, 0);
    Run(p2, card->acPaste);
    EXPECT_EQ(Dialogs().MessageTexts(),
              QStringList{"It is not possible to paste a topic to its own branch."});
    EXPECT_EQ(Tree(), "a\n  x\n  b\nb\n");
}

// The last topic of a panel deleted: its parent has no children any more, and what came
// from that nest goes to the lost branches.
TEST_F(Topics, DeletingTheLastTopicOfAPanel) {
    Open("a(x) b");
    ClickRow(p1, 0);
    Focus(p2);
    ClickRow(p2, 0);
    Run(p2, card->acDelete);
    EXPECT_EQ(p2->Nester->RowCount(), 0);
    EXPECT_EQ(p1->Nester->ChildNest(0), 0);
    EXPECT_EQ(Items(ReadRootNest(f->Pair().Outline.get()))[0].ChildNest, 0u);
    EXPECT_EQ(RecycledBin().Count(), 0);
    EXPECT_EQ(LostBin().Count(), 1);
}

// Restoring selected lines works from the top; each goes back to where it stood, and stays
// there after a restart.
TEST_F(Topics, RestoreLinesZeroTwoThreeAndFindThemAfterARestart) {
    Open("a b c d e");
    ClickRow(p1, 1);
    for (int r : {2, 3, 4}) p1->Nester->SetMarked(r, true);
    Run(p1, card->acDelete);
    ASSERT_EQ(Tree(), "a\n");
    TfrmRecycledBin* w = ShowBin();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("KIV Recycle Bin"));
    EXPECT_EQ(Lines(w->lbxRBin), (QStringList{"b", "c", "d", "e"}));
    EXPECT_EQ(w->StatusBar->currentMessage(), QStringLiteral("4 items"));
    Select(w->lbxRBin, {0, 2, 3});
    w->btnRestore->click();
    EXPECT_EQ(Tree(), "a\nb\nd\ne\n");
    EXPECT_EQ(Lines(w->lbxRBin), QStringList{"c"});
    EXPECT_EQ(w->StatusBar->currentMessage(), QStringLiteral("1 items"));
    EXPECT_EQ(p1->Nester->RowCount(), 4) << "the panel shows them";
    f->Datastructure().CloseDatastructure();
    EXPECT_TRUE(w->isHidden()) << "the window belongs to the closed datastructure";
    EXPECT_EQ(w->NestFile, nullptr);
    Stop();
    EXPECT_EQ(ReadJoined(Home() + "FirstKivDB.kiv").Tree, "a\nb\nd\ne\n");
    Restart();
    EXPECT_EQ(RecycledBin().Count(), 1) << "c is still in the bin";
}

// A restored topic whose parent nest panel 2 shows appears there, selected, and the
// navigation path stays as it was.
TEST_F(Topics, ARestoredTopicAppearsInTheSecondPanelThatShowsItsNest) {
    Open("a(x y z) b");
    ClickRow(p1, 0);
    Focus(p2);
    ClickRow(p2, 1);
    Run(p2, card->acDelete);
    ASSERT_EQ(Tree(), "a\n  x\n  z\nb\n");
    const int trail = f->Open().Navigator->Count();
    TfrmRecycledBin* w = ShowBin();
    Select(w->lbxRBin, {0});
    w->btnRestore->click();
    EXPECT_EQ(Tree(), "a\n  x\n  y\n  z\nb\n");
    EXPECT_EQ(p2->Nester->RowCount(), 3);
    EXPECT_EQ(p2->Nester->Caption(p2->CurrentRow()), "y");
    EXPECT_EQ(f->Open().Navigator->Count(), trail);
}

// The single panel's first row stands for the level shown below it: Delete leaves it, and
// deletes the rows below it.
TEST_F(Topics, DeleteLeavesTheSinglePanelsRootRow) {
    Open("a(b c) d");
    ASSERT_TRUE(f->Actions().Get(QStringLiteral("ac1Panel")).Execute());
    ClickRow(p1, 0);
    Focus(p1);
    QTest::keyClick(p1, Qt::Key_Right);
    QCoreApplication::processEvents();
    ASSERT_EQ(p1->Nester->RowCount(), 3);
    ASSERT_TRUE(p1->IsSinglePanelRootRow(0));
    p1->SelectRow(0);
    Focus(p1);
    card->acDelete->Update();
    card->acDelete->Execute();
    QCoreApplication::processEvents();
    EXPECT_EQ(Tree(), "a\n  b\n  c\nd\n");
    EXPECT_EQ(RecycledBin().Count(), 0);
    EXPECT_EQ(p1->Nester->RowCount(), 3);
    ClickRow(p1, 1);
    Run(p1, card->acDelete);
    EXPECT_EQ(Tree(), "a\n  c\nd\n");
}

// Del in either list of the Recycled Bin's window deletes that list's selected lines.
TEST_F(Topics, DelInEitherListOfTheRecycledBinDeletesItsSelection) {
    Open("a(b x) c d e");
    DeleteFirstChildThenItsParent();
    for (const char* c : {"c", "d"}) {
        ClickRow(p1, Row(p1, c));
        Run(p1, card->acDelete);
    }
    ASSERT_EQ(Tree(), "e\n");
    Dialogs().Clear();
    TfrmRecycledBin* w = ShowBin();
    ASSERT_EQ(Lines(w->lbxRBin), (QStringList{"b", "a", "c", "d"}));
    Select(w->lbxRBin, {0});
    w->btnRestore->click();  // b's place is gone: it goes among the lost
    ASSERT_EQ(Lines(w->lbxLostBin), QStringList{"b"});

    w->lbxRBin->setFocus(Qt::OtherFocusReason);
    w->ListEntered(w->lbxRBin);
    Select(w->lbxRBin, {0, 2});
    QTest::keyClick(w->lbxRBin, Qt::Key_Delete);
    EXPECT_EQ(Lines(w->lbxRBin), QStringList{"c"});
    EXPECT_EQ(RecycledBin().Count(), 1);
    EXPECT_EQ(Lines(w->lbxLostBin), QStringList{"b"}) << "the other list stays";

    w->lbxLostBin->setFocus(Qt::OtherFocusReason);
    w->ListEntered(w->lbxLostBin);
    Select(w->lbxLostBin, {0});
    QTest::keyClick(w->lbxLostBin, Qt::Key_Delete);
    EXPECT_TRUE(Lines(w->lbxLostBin).isEmpty());
    EXPECT_EQ(LostBin().Count(), 0);
    EXPECT_EQ(Lines(w->lbxRBin), QStringList{"c"});
    EXPECT_TRUE(Dialogs().MessageTexts().size() == 1) << "only the lost place's warning";
}

// In each tree layout a topic put back from the Recycled Bin shows in the panel at once,
// and moves of its siblings afterwards (written from the rows shown) keep it.
class RestoreInTreeLayouts : public Topics, public ::testing::WithParamInterface<int> {};

TEST_P(RestoreInTreeLayouts, MovesOfItsSiblingsKeepARestoredTopic) {
    Open("A(A1(x1 x2 x3) A2) B(B1)");
    ASSERT_TRUE(f->findChild<TLayouts*>()->LayoutActions[size_t(GetParam())]->Execute());
    QCoreApplication::processEvents();
    ASSERT_TRUE(p1->TreeMode);
    p1->ExpandRow(Row(p1, "A"));
    p1->ExpandRow(Row(p1, "A1"));
    ClickRow(p1, Row(p1, "x2"));
    Run(p1, card->acDelete);
    ASSERT_EQ(Tree(), "A\n  A1\n    x1\n    x3\n  A2\nB\n  B1\n");
    TfrmRecycledBin* w = ShowBin();
    Select(w->lbxRBin, {0});
    w->btnRestore->click();
    ASSERT_EQ(Tree(), "A\n  A1\n    x1\n    x2\n    x3\n  A2\nB\n  B1\n");
    w->hide();
    QApplication::setActiveWindow(f);
    QCoreApplication::processEvents();
    std::vector<std::string> shown;
    for (int r = 0; r < p1->Nester->RowCount(); ++r) shown.push_back(p1->Nester->Caption(r));
    EXPECT_EQ(shown, (std::vector<std::string>{"A", "A1", "x1", "x2", "x3", "A2", "B"}));

    // Alt+arrow as the keyboard sends it: one press and release, Alt held.
    auto altKey = [this](Qt::Key key) {
        QWidget* focus = QApplication::focusWidget();
        for (bool press : {true, false})
            QTest::simulateEvent(focus ? focus : p1, press, key, Qt::AltModifier, QString(), false);
        QCoreApplication::processEvents();
    };
    ClickRow(p1, Row(p1, "x3"));
    Focus(p1);
    altKey(Qt::Key_Up);
    EXPECT_EQ(Tree(), "A\n  A1\n    x1\n    x3\n    x2\n  A2\nB\n  B1\n");
    ClickRow(p1, Row(p1, "x1"));
    Focus(p1);
    altKey(Qt::Key_Down);
    EXPECT_EQ(Tree(), "A\n  A1\n    x3\n    x1\n    x2\n  A2\nB\n  B1\n");
    Stop();
    EXPECT_EQ(ReadJoined(Home() + "FirstKivDB.kiv").Tree,
              "A\n  A1\n    x3\n    x1\n    x2\n  A2\nB\n  B1\n");
}

INSTANTIATE_TEST_SUITE_P(Layouts, RestoreInTreeLayouts, ::testing::Values(5, 6, 7));

// A cut killed (SIGKILL) just before each write of its own, and one that returned and was
// never closed: started again on the files the dead program left, the window has the topic
// in its place or lists it in the Recycled Bin, from where it comes back with its card and
// branch. (kivedit makes the cut through the same edit as Cut and Delete of the window.)
TEST_F(Topics, AfterAKillDuringACutTheTopicIsInItsPlaceOrInTheRecycledBin) {
    const std::string kiv = Home() + "FirstKivDB.kiv";
    const std::string whole = "A\n  a1\nB\n  b1\n    c1\n  b2\nC\n";
    auto make = [&] {
        MakeTreePair(kiv, "A(a1) B(b1(c1) b2) C");
        StoreTrailCardPair(kiv, "1", kCardText, "the card of B");
    };
    int inBin = 0;
    AfterEachKill("cut", make, [&](int, int) {
        if (Tree() == whole) return;
        ++inBin;
        EXPECT_EQ(Tree(), "A\n  a1\nC\n");
        TfrmRecycledBin* w = ShowBin();
        ASSERT_NE(w, nullptr);
        ASSERT_EQ(Lines(w->lbxRBin), QStringList{"B"});
        Select(w->lbxRBin, {0});
        w->btnRestore->click();
        EXPECT_EQ(Tree(), whole);
        TCards cards;
        cards.SetCardFile(f->Pair().Cards.get());
        std::string text;
        cards.ReadCard(kCardText, Items(ReadRootNest(f->Pair().Outline.get()))[1].CardDir, text);
        EXPECT_NE(text.find("the card of B"), std::string::npos) << text;
    });
    EXPECT_GE(inBin, 1) << "the cut that returned took the topic out of its place";
}

// A restore killed (SIGKILL) just before each write of its own, and one that returned and
// was never closed: started again, the window has the topic in its place once, or not in
// the tree and in the Recycled Bin, or, killed between the two, in its place and still
// listed; restored from there it stands in its place once, and the bin is stored empty.
TEST_F(Topics, AfterAKillDuringARestoreTheTopicIsInTheTreeOnceOrInTheBin) {
    const std::string kiv = Home() + "FirstKivDB.kiv";
    const std::string whole = "A\n  a1\nB\n  b1\n    c1\n  b2\nC\n", cut = "A\n  a1\nC\n";
    auto make = [&] {
        MakeTreePair(kiv, "A(a1) B(b1(c1) b2) C");
        StoreTrailCardPair(kiv, "1", kCardText, "the card of B");
        const test::ToolRun r = test::RunTool("kivedit", {"cut", QString::fromStdString(kiv), "B"});
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
    };
    int inBoth = 0;
    AfterEachKill("restore", make, [&](int n, int writes) {
        const std::string tree = Tree();
        EXPECT_TRUE(tree == whole || tree == cut) << tree;
        Dialogs().Clear();
        TfrmRecycledBin* w = ShowBin();
        ASSERT_NE(w, nullptr);
        if (n == writes + 1) {
            EXPECT_EQ(tree, whole);
            EXPECT_TRUE(Lines(w->lbxRBin).isEmpty()) << "the restore that returned stored the bin";
        }
        if (Lines(w->lbxRBin).isEmpty()) return;
        ASSERT_EQ(Lines(w->lbxRBin), QStringList{"B"});
        if (tree == whole) ++inBoth;
        Select(w->lbxRBin, {0});
        w->btnRestore->click();
        EXPECT_EQ(Tree(), whole) << "in its place once";
        EXPECT_TRUE(Lines(w->lbxRBin).isEmpty());
        EXPECT_TRUE(Dialogs().MessageTexts().isEmpty());
        EXPECT_EQ(StoredEntries(kDBCardRecycled), 0);
        EXPECT_EQ(p1->Nester->Caption(p1->CurrentRow()), "B") << "selected where it stands";
    });
    EXPECT_GE(inBoth, 1) << "no kill fell between the topic's nest and the bins";
}

// "put..." and "delete" store the bins at once; a topic of the lost branches that already
// stands in the tree is not put there again, its entry only leaves the bin.
TEST_F(Topics, PutAndDeleteStoreTheBinsAndPutSkipsATopicInTheTree) {
    Open("a(b c) d");
    DeleteFirstChildThenItsParent();
    ASSERT_EQ(Tree(), "d\n");
    const uint32_t root = ReadRootNest(f->Pair().Outline.get());
    const TNestItem d = Items(root)[0];
    TfrmRecycledBin* w = ShowBin();
    Select(w->lbxRBin, {0});
    w->btnRestore->click();  // b's place is gone
    ASSERT_EQ(Lines(w->lbxLostBin), QStringList{"b"});
    EXPECT_EQ(StoredEntries(kDBCardLostBin), 1);
    EXPECT_EQ(StoredEntries(kDBCardRecycled), 1);
    w->hide();
    // d among the lost branches too, as a put cut short by a crash leaves it.
    AddToBin(LostBin(), {root, d.CardDir, d.ChildNest}, nullptr);
    w = ShowBin();
    ASSERT_EQ(Lines(w->lbxLostBin), (QStringList{"b", "d"}));
    w->lbxLostBin->setFocus(Qt::OtherFocusReason);
    w->ListEntered(w->lbxLostBin);
    Select(w->lbxLostBin, {0, 1});
    w->btnMoveToSelPanel->click();
    EXPECT_EQ(Tree(), "d\nb\n") << "b at the end of the active panel, d not twice";
    EXPECT_TRUE(Lines(w->lbxLostBin).isEmpty());
    EXPECT_EQ(StoredEntries(kDBCardLostBin), 0);

    w->ListEntered(w->lbxRBin);
    Select(w->lbxRBin, {0});
    w->btnDelete->click();
    EXPECT_EQ(StoredEntries(kDBCardRecycled), 0);
}

// A place that is gone: the warning, the tree as it was, the topic among the lost branches;
// put into the active panel from there; deleted for good without a question.
TEST_F(Topics, LostTrailThenPutThenDeleteWithoutADialog) {
    Open("a(b c) d");
    DeleteFirstChildThenItsParent();
    ASSERT_EQ(Tree(), "d\n");
    Dialogs().Clear();
    TfrmRecycledBin* w = ShowBin();
    EXPECT_EQ(Lines(w->lbxRBin), (QStringList{"b", "a"}));
    Select(w->lbxRBin, {0});
    w->btnRestore->click();
    EXPECT_EQ(Dialogs().MessageTexts(),
              QStringList{"Path to topic is lost and can't be restored in its original "
                          "location\r\nThe topic - b will be moved to lost branches"});
    EXPECT_EQ(Tree(), "d\n") << "nothing written for a lost place";
    EXPECT_EQ(Lines(w->lbxLostBin), QStringList{"b"});

    w->lbxLostBin->setFocus(Qt::OtherFocusReason);
    w->ListEntered(w->lbxLostBin);
    EXPECT_FALSE(w->btnRestore->isEnabled());
    Select(w->lbxLostBin, {0});
    w->btnMoveToSelPanel->click();
    EXPECT_EQ(Tree(), "d\nb\n") << "at the end of the active panel";
    EXPECT_EQ(LostBin().Count(), 0);

    Dialogs().Clear();
    w->ListEntered(w->lbxRBin);
    Select(w->lbxRBin, {0});
    w->btnDelete->click();
    EXPECT_TRUE(Dialogs().MessageTexts().isEmpty());
    EXPECT_EQ(RecycledBin().Count(), 0);
    EXPECT_EQ(ImageIndex(&f->Actions().Get(QStringLiteral("acShowRecycledBin"))), 6);
}

// The pin card keeps a topic's text card in view; while that topic is current only the
// text card edits it; the pin is stored when the datastructure closes.
TEST_F(Topics, PinCardTextsEditsAndTheStoreAtClose) {
    Open("a b");
    ASSERT_TRUE(p1->Nester->SetCaption(1, "two\r\nlines"));
    ClickRow(p1, 1);
    KivAction& graphic = f->Actions().Get(QStringLiteral("acShowGraphicCard"));
    graphic.Execute();
    ASSERT_TRUE(graphic.Checked());
    Run(p1, t->acToPin);
    EXPECT_FALSE(graphic.Checked()) << "pinning closes the graphic card first";
    EXPECT_EQ(card->lblPinCard->text(), QStringLiteral("Pinned - two lines"));
    EXPECT_FALSE(card->pnlTextLeft->isHidden());
    EXPECT_TRUE(t->acToPin->Checked());
    EXPECT_TRUE(card->txtPinText->isReadOnly()) << "the text card edits the current topic";
    // Typed where the keyboard sends it, into the pin card: refused, but no "locked" word
    // for a topic that is not locked.
    card->txtPinText->setFocus();
    QTest::keyClicks(card->txtPinText, QStringLiteral("x"));
    EXPECT_TRUE(card->txtPinText->isReadOnly()) << "entering it keeps it read-only";
    EXPECT_TRUE(Dialogs().Messages.empty()) << Dialogs().MessageTexts().join("|").toStdString();

    ClickRow(p1, 0);
    EXPECT_FALSE(card->txtPinText->isReadOnly());
    card->txtPinText->selectAll();
    card->txtPinText->insertPlainText(QStringLiteral("pinned text"));
    ClickRow(p1, 1);  // the pin card's edit is stored before the text card reads the topic
    EXPECT_EQ(card->txtSimpleText->toPlainText(), QStringLiteral("pinned text"));
    EXPECT_TRUE(card->txtPinText->isReadOnly());

    ClickRow(p1, 0);
    card->txtPinText->selectAll();
    card->txtPinText->insertPlainText(QStringLiteral("at close"));
    Stop();
    const TJoinedContent c = ReadJoined(Home() + "FirstKivDB.kiv");
    ASSERT_EQ(c.TextCards.size(), 2u);
    EXPECT_NE(c.TextCards[1].find("at close"), std::string::npos);
    Restart();
    EXPECT_EQ(t->PinnedItem().CardDir, 0u) << "the pin went with its datastructure";
    EXPECT_TRUE(card->pnlTextLeft->isHidden());
}

}  // namespace
}  // namespace kiv::wintest
