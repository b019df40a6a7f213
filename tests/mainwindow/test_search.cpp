// The search pane: rows and their images, the status, branch scope, choosing a result and
// stepping through its keywords, a stale result, hoisting the results, Stop, the tab strips
// and a datastructure closed under a running search, the find dialog and the web-search
// items.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTextCursor>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include "components/FourthTabSet.h"
#include "engine/core/Search.h"
#include "mainwindow/MainHelpers.h"
#include "mainwindow/hoist/Hoisting.h"
#include "mainwindow/navpath/NavigationPath.h"
#include "mainwindow/search/FindDialog.h"
#include "mainwindow/search/SearchPane.h"
#include "tests/mainwindow/WindowFixture.h"

namespace kiv::wintest {
namespace {

struct CardAt {
    std::vector<int> path;  // 0-based indexes from the top level
    std::string text;
};

TNode NodeAt(BlockFile* kiv, const std::vector<int>& path) {
    TNode node;
    uint32_t nest = ReadRootNest(kiv);
    for (int i : path) {
        TItemArray items;
        ReadNestItems(kiv, nest, items);
        node = {nest, uint32_t(i), items.at(size_t(i)).CardDir, items.at(size_t(i)).ChildNest, {}};
        nest = node.ChildNest;
    }
    return node;
}

// A closed datastructure from a tree text, with text cards.
void MakeWithCards(const std::string& path, std::string_view tree,
                   const std::vector<CardAt>& cards) {
    MakeTreePair(path, tree);
    {
        auto kiv = PosixBlockFile::Open(path, OpenMode::ReadWrite);
        auto dsc = PosixBlockFile::Open(CardFileName(path), OpenMode::ReadWrite);
        TCards store;
        store.SetCardFile(dsc.get());
        for (const CardAt& c : cards) {
            const TNode node = NodeAt(kiv.get(), c.path);
            uint32_t dir = node.CardDir;
            ASSERT_TRUE(store.WriteCard(kCardText, dir, c.text));
            ASSERT_TRUE(
                SetNestItem(kiv.get(), node.ParentNest, int(node.Index), {dir, node.ChildNest}));
        }
    }
    PackDatastructure(path);
}

class Search : public WindowFixture {
protected:
    TSearchPane& P() { return form->Search(); }

    void Find(const QString& keywords, bool andMode = true) {
        P().edKeywords->setText(keywords);
        (andMode ? P().rbAnd : P().rbOr)->setChecked(true);
        QTest::mouseClick(P().btnSearch, Qt::LeftButton);
    }

    // Row text, then " T" (state image 0) and " X" (image 1).
    QStringList Rows() {
        QStringList rows;
        for (int i = 0; i < P().lvSearch->topLevelItemCount(); ++i) {
            QTreeWidgetItem* it = P().lvSearch->topLevelItem(i);
            QString r = it->text(0);
            if (it->data(0, TSearchPane::kStateImageRole).toInt() == 0) r += QStringLiteral(" T");
            if (it->data(0, TSearchPane::kImageRole).toInt() == 1) r += QStringLiteral(" X");
            rows << r;
        }
        return rows;
    }

    QString Status() { return form->Skeleton().StatusBar->currentMessage(); }
    TKivStringGrid* Panel1() { return PanelsManager().PanelByNumber(1); }
    QString CurrentCaption() {
        TKivStringGrid* g = form->CurrentGrid();
        return StoredToText(g->Nester->Caption(g->CurrentRow()));
    }
    void Choose(int row) { P().lvSearch->setCurrentItem(P().lvSearch->topLevelItem(row)); }
    // The captions of the current trail, the top level first.
    QStringList TrailCaptions() {
        QStringList captions;
        const TNavigator& trail = *Form1->Open().Navigator;
        for (int i = 0; i < trail.Count(); ++i) captions << StoredToText(trail.GetCaption(i));
        return captions;
    }
    // The captions of panel 1's level-0 rows.
    QStringList TopRows() {
        QStringList rows;
        const TNester& m = *Panel1()->Nester;
        for (int r = 0; r < m.RowCount(); ++r)
            if (m.Level(r) == 0) rows << StoredToText(m.Caption(r));
        return rows;
    }
    QString Mode() { return form->NavPath().lblNavigateMode->text(); }
    int HoistLevels() { return Form1->Open().BookMark->HoistStack.Count(); }
};

const char* const kTree = "\"red cat\" \"two\r\nlines\" other(red)";
const std::vector<CardAt> kCards = {
    {{0}, "blue"},
    {{1}, "{\\rtf1\\ansi red and blue, then red again\\par}"},
    {{2}, "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\f0\\fs20 hello\\par}"},
};

TEST_F(Search, RowsImagesAndStatus) {
    MakeWithCards(Home() + "FirstKivDB.kiv", kTree, kCards);
    Start();
    P().acSearch->Execute();
    EXPECT_FALSE(form->Skeleton().pnlBins->isHidden());
    EXPECT_EQ(QApplication::focusWidget(), P().edKeywords);

    Find(QStringLiteral("red blue"));
    EXPECT_EQ(Rows(), QStringList{QStringLiteral("   two  lines X")});  // And: all in one part
    EXPECT_EQ(Status(), QStringLiteral("1 results found"));
    Find(QStringLiteral("red blue"), false);
    EXPECT_EQ(Rows(), (QStringList{"   red cat T X", "   two  lines X", "   red T"}));
    EXPECT_EQ(Status(), QStringLiteral("3 results found"));
    EXPECT_EQ(Form1->Open().BookMark->SearchResults.Count(), 3);
    // A result keeps its topic alone; its trail is found again when it is chosen.
    EXPECT_EQ(Form1->Open().BookMark->SearchResults.Navigator(2)->Count(), 1);

    for (const char* hidden : {"arial", "ARIAL", "fonttbl", "FONTTBL", "fs20"}) {
        Find(QString::fromLatin1(hidden));
        EXPECT_EQ(Rows(), QStringList{}) << hidden;
    }
    Find(QStringLiteral("hello"));
    EXPECT_EQ(Rows(), QStringList{QStringLiteral("   other X")});

    // Title only, text only, neither.
    P().cbText->setChecked(false);
    Find(QStringLiteral("red"));
    EXPECT_EQ(Rows(), (QStringList{"   red cat T", "   red T"}));
    P().cbTitle->setChecked(false);
    Find(QStringLiteral("red"));
    EXPECT_EQ(Rows(), QStringList{});
    P().cbText->setChecked(true);
    Find(QStringLiteral("red"));
    EXPECT_EQ(Rows(), QStringList{QStringLiteral("   two  lines X")});

    // Blank input runs no walk: the rows stay and the status counts them.
    Find(QStringLiteral("   "));
    EXPECT_EQ(Rows().size(), 1);
    EXPECT_EQ(Status(), QStringLiteral("1 results found"));
    P().cbxAsPhrase->click();
    EXPECT_FALSE(P().rbAnd->isEnabled());
    EXPECT_FALSE(P().rbOr->isEnabled());
    Find(QStringLiteral("\"\""));
    EXPECT_EQ(Rows().size(), 1);
    P().cbxAsPhrase->click();
    EXPECT_TRUE(P().rbAnd->isEnabled());
    EXPECT_FALSE(form->IsBusy());

    // Esc in the keywords closes the column; the command opens it again.
    QTest::keyClick(P().edKeywords, Qt::Key_Escape);
    EXPECT_TRUE(form->Skeleton().pnlBins->isHidden());
    EXPECT_FALSE(P().acSearch->Checked());
    P().acSearch->Execute();
    EXPECT_FALSE(form->Skeleton().pnlBins->isHidden());
    EXPECT_TRUE(P().acSearch->Checked());
}

TEST_F(Search, BranchScopeAndChoosingAResult) {
    MakeWithCards(Home() + "FirstKivDB.kiv", "hit(\"hit a\" \"b\"(\"hit b1\") \"hit c\") \"hit d\"",
                  {{{0, 1, 0}, "one cat, two cats, a CAT."}});
    Start();
    TKivStringGrid* g = form->Panels().sgdFirst;
    // Panel 1 shows the top level; its first topic's children are in panel 2.
    TKivStringGrid* second = PanelsManager().PanelByNumber(2);
    ASSERT_NE(second, nullptr);
    ASSERT_GE(second->Nester->RowCount(), 2);
    second->MakeActive();
    CurrentPanel = 2;
    second->SelectRow(1);  // "b"
    ASSERT_EQ(form->CurrentGrid(), second);
    P().cbxSelected->setChecked(true);
    Find(QStringLiteral("hit cat"), false);
    EXPECT_EQ(Rows(), (QStringList{"   hit b1 T X"}));  // b and its sub-tree only
    ASSERT_EQ(Form1->Open().BookMark->SearchResults.Navigator(0)->Count(), 1);

    // Choosing it opens the topic down the whole trail from the top, found again from the
    // topic the result kept; Next > steps through the whole-word hits in the card.
    Choose(0);
    EXPECT_EQ(Panel1()->Nester->RootNest,
              Form1->Open().BookMark->SearchResults.Navigator(0)->GetNode(0).ParentNest);
    EXPECT_EQ(TrailCaptions(), (QStringList{"hit", "b"}));
    EXPECT_EQ(CurrentCaption(), QStringLiteral("hit b1"));
    EXPECT_TRUE(P().btnFindNext->isEnabled());
    QTextEdit* e = form->TextCard().txtSimpleText;
    EXPECT_EQ(e->textCursor().selectedText(), QStringLiteral("cat"));
    EXPECT_EQ(e->textCursor().selectionStart(), 4);
    QTest::mouseClick(P().btnFindNext, Qt::LeftButton);
    EXPECT_EQ(e->textCursor().selectedText(), QStringLiteral("CAT"));
    EXPECT_TRUE(Dialogs().Messages.empty());
    QTest::mouseClick(P().btnFindNext, Qt::LeftButton);
    ASSERT_EQ(Dialogs().Messages.size(), 1u);
    EXPECT_EQ(Dialogs().Messages[0].Text,
              QStringLiteral("KIV has finished searching the document"));

    // The whole datastructure again: tree order.
    P().cbxWhole->setChecked(true);
    Find(QStringLiteral("hit"));
    EXPECT_EQ(Rows(),
              (QStringList{"   hit T", "   hit a T", "   hit b1 T", "   hit c T", "   hit d T"}));
    Choose(4);
    EXPECT_EQ(CurrentCaption(), QStringLiteral("hit d"));
    EXPECT_FALSE(P().btnFindNext->isEnabled()) << "no text-card hit";
    (void)g;
}

// In the results list Ctrl+Down steps to the next hit in the text card, Ctrl+Up too, and
// at the end of the card Ctrl+Up tells that there is none; the keys leave the list's row.
TEST_F(Search, CtrlArrowsInTheResultsStepThroughTheTextCard) {
    MakeWithCards(Home() + "FirstKivDB.kiv", "a hit", {{{1}, "one cat, two cats, a CAT."}});
    Start();
    Find(QStringLiteral("cat"));
    ASSERT_EQ(Rows(), (QStringList{"   hit X"}));
    Choose(0);
    QTextEdit* e = form->TextCard().txtSimpleText;
    ASSERT_EQ(e->textCursor().selectedText(), QStringLiteral("cat"));
    ASSERT_EQ(QApplication::focusWidget(), P().lvSearch);
    auto key = [&](Qt::Key k) {
        QTest::keyClick(P().lvSearch, k, Qt::ControlModifier);
        QCoreApplication::processEvents();
    };
    key(Qt::Key_Down);
    EXPECT_EQ(e->textCursor().selectedText(), QStringLiteral("CAT"));
    EXPECT_TRUE(Dialogs().Messages.empty());
    key(Qt::Key_Up);
    ASSERT_EQ(Dialogs().Messages.size(), 1u);
    EXPECT_EQ(Dialogs().Messages[0].Text,
              QStringLiteral("KIV has finished searching the document"));
    EXPECT_EQ(P().lvSearch->currentItem(), P().lvSearch->topLevelItem(0));
}

// Enter in the keywords box starts the search and puts nothing into the box.
TEST_F(Search, EnterInTheKeywordsStartsTheSearch) {
    MakeWithCards(Home() + "FirstKivDB.kiv", "a hit", {});
    Start();
    P().acSearch->Execute();
    P().edKeywords->setFocus(Qt::OtherFocusReason);
    P().edKeywords->setText(QStringLiteral("hit"));
    QTest::keyClick(P().edKeywords, Qt::Key_Return);
    EXPECT_EQ(Rows(), (QStringList{"   hit T"}));
    EXPECT_EQ(P().edKeywords->text(), QStringLiteral("hit"));
}

TEST_F(Search, AStaleResultIsReported) {
    MakeWithCards(Home() + "FirstKivDB.kiv", "a(\"hit x\") hit", {});
    Start();
    Find(QStringLiteral("hit"));
    ASSERT_EQ(Rows().size(), 2);
    // The topic the first result leads to is moved away in the file.
    const TNode a = NodeAt(form->Pair().Outline.get(), {0});
    ASSERT_TRUE(SetNestItem(form->Pair().Outline.get(), a.ParentNest, 0, {a.CardDir, 0}));
    Choose(0);
    ASSERT_EQ(Dialogs().Messages.size(), 1u);
    EXPECT_EQ(Dialogs().Messages[0].Text,
              QStringLiteral("Can't find this branch, may it was deleted!"));
    EXPECT_EQ(QApplication::focusWidget(), P().lvSearch);
    Choose(1);
    EXPECT_EQ(Dialogs().Messages.size(), 1u);
    EXPECT_EQ(CurrentCaption(), QStringLiteral("hit"));
}

TEST_F(Search, HoistedResultsAreTheTopLevelAndChoosingOneStaysHoisted) {
    MakeWithCards(Home() + "FirstKivDB.kiv", "\"hit a\"(\"hit a1\" b(\"hit a2\")) c \"hit d\"(e) f",
                  {{{1}, "one hit here"}, {{0, 1}, "{\\rtf1\\ansi text\\par}"}});
    Start();
    P().cbxAutoHoist->click();
    EXPECT_TRUE(P().cbxAutoHoist->isEnabled());
    EXPECT_EQ(HoistLevels(), 0) << "no rows yet: nothing to hoist";
    Find(QStringLiteral("hit"));
    EXPECT_EQ(Rows(),
              (QStringList{"   hit a T", "   hit a1 T", "   hit a2 T", "   c X", "   hit d T"}));
    EXPECT_EQ(Status(), QStringLiteral("5 results found"));
    EXPECT_EQ(TopRows(), (QStringList{"hit a", "hit a1", "hit a2", "c", "hit d"}))
        << "in tree order";
    EXPECT_EQ(HoistLevels(), 1);
    EXPECT_EQ(Mode(), QStringLiteral("hoist"));
    EXPECT_TRUE(form->Hoist().acDehoistAll->Enabled());
    EXPECT_EQ(form->CurrentGrid(), Panel1());
    EXPECT_TRUE(Panel1()->IsHoistedTopRow(0));

    // Choosing a result selects its hoisted row; the hoist stays.
    Choose(2);
    EXPECT_EQ(form->CurrentGrid(), Panel1());
    EXPECT_EQ(Panel1()->CurrentRow(), 2);
    EXPECT_EQ(CurrentCaption(), QStringLiteral("hit a2"));
    EXPECT_EQ(HoistLevels(), 1);
    EXPECT_EQ(QApplication::focusWidget(), P().lvSearch);
    EXPECT_FALSE(P().btnFindNext->isEnabled());
    // From a deeper panel too: panel 1 lists the results again.
    Choose(0);
    TKivStringGrid* second = PanelsManager().PanelByNumber(2);
    ASSERT_NE(second, nullptr);
    ASSERT_EQ(second->Nester->RowCount(), 2);
    ClickRow(second, 1);
    ASSERT_EQ(form->CurrentGrid(), second);
    ASSERT_EQ(Form1->Open().Navigator->Count(), 1);
    Choose(3);
    EXPECT_EQ(form->CurrentGrid(), Panel1());
    EXPECT_EQ(TopRows(), (QStringList{"hit a", "hit a1", "hit a2", "c", "hit d"}));
    EXPECT_EQ(CurrentCaption(), QStringLiteral("c"));
    EXPECT_EQ(HoistLevels(), 1);
    EXPECT_TRUE(P().btnFindNext->isEnabled());
    EXPECT_EQ(form->TextCard().txtSimpleText->textCursor().selectedText(), QStringLiteral("hit"));

    // Unticking the box de-hoists: the whole outline again, at the topic chosen last.
    P().cbxAutoHoist->click();
    EXPECT_EQ(HoistLevels(), 0);
    EXPECT_EQ(Mode(), QStringLiteral("whole"));
    EXPECT_EQ(TopRows(), (QStringList{"hit a", "c", "hit d", "f"}));
    EXPECT_EQ(CurrentCaption(), QStringLiteral("c"));
    EXPECT_FALSE(form->Hoist().acDehoistAll->Enabled());

    // A result that no longer stands is dropped when the results are hoisted.
    const TNode b = NodeAt(form->Pair().Outline.get(), {0, 1});
    ASSERT_TRUE(SetNestItem(form->Pair().Outline.get(), b.ParentNest, 1, {b.CardDir, 0}));
    P().cbxAutoHoist->click();
    EXPECT_EQ(Rows(), (QStringList{"   hit a T", "   hit a1 T", "   c X", "   hit d T"}));
    EXPECT_EQ(Form1->Open().BookMark->SearchResults.Count(), 4);
    EXPECT_EQ(TopRows(), (QStringList{"hit a", "hit a1", "c", "hit d"}));
    EXPECT_TRUE(Dialogs().Messages.empty()) << "dropped silently";
    Choose(3);
    EXPECT_EQ(CurrentCaption(), QStringLiteral("hit d"));
    EXPECT_EQ(HoistLevels(), 1);
}

TEST_F(Search, InTreeModeAHoistedResultIsChosenFromBelowAnother) {
    MakeWithCards(Home() + "FirstKivDB.kiv", "\"hit a\"(b) c \"hit d\"", {});
    Start();
    PanelsManager().SetTreeMode(true);
    P().cbxAutoHoist->click();
    Find(QStringLiteral("hit"));
    ASSERT_EQ(TopRows(), (QStringList{"hit a", "hit d"}));
    Panel1()->ExpandRow(0);
    ASSERT_EQ(Panel1()->Nester->RowCount(), 3);
    ClickRow(Panel1(), 1);  // b, below the first result
    ASSERT_EQ(CurrentCaption(), QStringLiteral("b"));
    Choose(1);
    EXPECT_EQ(CurrentCaption(), QStringLiteral("hit d"));
    EXPECT_EQ(Panel1()->Nester->Level(Panel1()->CurrentRow()), 0);
    EXPECT_EQ(HoistLevels(), 1);
}

TEST_F(Search, ChoosingAResultLeavesAnotherHoistAndOutline) {
    MakeWithCards(Home() + "FirstKivDB.kiv", "first(\"hit x\") second(y)", {});
    Start();
    TNavigationPath& nav = form->NavPath();
    Find(QStringLiteral("hit"));
    ASSERT_EQ(Rows().size(), 1);
    // On the second outline tab, with a hoist of its own on top.
    nav.tsOutLine->SetTabIndex(2);
    ASSERT_EQ(nav.OutlineIndex(), 2);
    form->Hoist().acHoistExecute();
    ASSERT_EQ(HoistLevels(), 1);
    Choose(0);
    EXPECT_EQ(HoistLevels(), 0);
    EXPECT_EQ(nav.OutlineIndex(), 0);
    EXPECT_EQ(nav.tsOutLine->TabIndex(), 0);
    EXPECT_EQ(Mode(), QStringLiteral("whole"));
    EXPECT_EQ(CurrentCaption(), QStringLiteral("hit x"));
    EXPECT_EQ(Form1->Open().Navigator->Count(), 1);
    EXPECT_EQ(Form1->Open().Navigator->GetNode(0).Item(),
              NodeAt(form->Pair().Outline.get(), {0}).Item());
}

TEST_F(Search, HoistNodesPushesOneLevelAndDehoistReturns) {
    MakeWithCards(Home() + "FirstKivDB.kiv", "a(a1 a2) b c", {});
    Start();
    ClickRow(Panel1(), 1);  // b
    BlockFile* kiv = form->Pair().Outline.get();
    form->Hoist().HoistNodes({});
    EXPECT_EQ(HoistLevels(), 0) << "no topics, no hoist";
    form->Hoist().HoistNodes({NodeAt(kiv, {2}), NodeAt(kiv, {0, 1})});
    EXPECT_EQ(HoistLevels(), 1);
    EXPECT_EQ(TopRows(), (QStringList{"c", "a2"}));
    EXPECT_EQ(CurrentCaption(), QStringLiteral("c"));
    EXPECT_EQ(Form1->Open().BookMark->HoistStack.Navigator(0)->GetNode(0).Item(),
              NodeAt(kiv, {1}).Item())
        << "the topic held before is kept";
    form->Hoist().acDehoistExecute();
    EXPECT_EQ(HoistLevels(), 0);
    EXPECT_EQ(TopRows(), (QStringList{"a", "b", "c"}));
}

TEST_F(Search, StopAfterTheFirstResult) {
    MakeWithCards(Home() + "FirstKivDB.kiv", "hit(hit hit) hit hit", {});
    Start();
    QObject::connect(P().lvSearch->model(), &QAbstractItemModel::rowsInserted, &P(),
                     [this] { P().btnStopClick(); });
    Find(QStringLiteral("hit"));
    EXPECT_EQ(Rows().size(), 1);
    EXPECT_EQ(Status(), QStringLiteral("1 results found"));
    EXPECT_TRUE(P().btnSearch->isEnabled());
    EXPECT_FALSE(P().btnStop->isEnabled());
    EXPECT_FALSE(form->IsBusy());
    EXPECT_FALSE(P().Searching());
}

// A tree of n topics, each with a text card.
std::string ManyTopics(int n, std::vector<CardAt>& cards) {
    std::string tree;
    for (int i = 0; i < n; ++i) {
        tree += "\"hit " + std::to_string(i) + "\" ";
        cards.push_back({{i}, "{\\rtf1\\ansi some words and a hit\\par}"});
    }
    return tree;
}

TEST_F(Search, TheWindowLivesDuringAWalkAndStopEndsIt) {
    std::vector<CardAt> cards;
    MakeWithCards(Home() + "FirstKivDB.kiv", ManyTopics(300, cards), cards);
    Start();
    P().PumpMs = 0;
    P().ProgressMs = 0;
    bool busyDuring = false, progressShown = false, searchDisabled = false;
    int rowsWhenStopped = -1;
    // Runs from the walk's own event processing.
    QTimer::singleShot(0, &P(), [&] {
        busyDuring = form->IsBusy();
        progressShown = !P().lblSearchProgress->isHidden();
        searchDisabled = !P().btnSearch->isEnabled();
        rowsWhenStopped = P().lvSearch->topLevelItemCount();
        QTest::mouseClick(P().btnStop, Qt::LeftButton);
    });
    Find(QStringLiteral("hit"));
    EXPECT_TRUE(busyDuring);
    EXPECT_TRUE(progressShown);
    EXPECT_TRUE(searchDisabled);
    EXPECT_GE(rowsWhenStopped, 0);
    EXPECT_LT(Rows().size(), 300);
    EXPECT_LE(Rows().size(), rowsWhenStopped + 1);
    EXPECT_FALSE(form->IsBusy());
    EXPECT_TRUE(P().lblSearchProgress->isHidden());

    // Without Stop the walk finds them all.
    Find(QStringLiteral("hit"));
    EXPECT_EQ(Rows().size(), 300);
    EXPECT_EQ(Status(), QStringLiteral("300 results found"));
}

TEST_F(Search, TheTabStripsRefuseChangesDuringAWalk) {
    std::vector<CardAt> cards;
    const std::string tree = "deep(inner) " + ManyTopics(200, cards);
    for (CardAt& c : cards) ++c.path[0];
    MakeWithCards(Home() + "FirstKivDB.kiv", tree, cards);
    Start();
    TNavigationPath& nav = form->NavPath();
    InterBase().Add(Home() + "other.kiv");
    nav.FillInterBaseTabs();
    ASSERT_EQ(nav.tsInterBase->TabIndex(), 0);
    TKivStringGrid* second = PanelsManager().PanelByNumber(2);
    ASSERT_NE(second, nullptr);
    ClickRow(second, 0);  // inner: the path has a tab for deep
    ASSERT_EQ(CurrentPanel, 2);
    ASSERT_EQ(nav.tsNavigator->Tabs().Count(), 2);
    ASSERT_EQ(nav.tsOutLine->Tabs().Count(), 202);
    P().PumpMs = 0;
    int outlineDuring = -1, interBaseDuring = -1, panelDuring = -1;
    bool searchingDuring = false;
    QTimer::singleShot(0, &P(), [&] {
        searchingDuring = P().Searching();
        nav.tsOutLine->SetTabIndex(3);
        nav.tsInterBase->SetTabIndex(1);
        nav.tsNavigator->SetTabIndex(0);
        outlineDuring = nav.tsOutLine->TabIndex();
        interBaseDuring = nav.tsInterBase->TabIndex();
        panelDuring = CurrentPanel;
    });
    Find(QStringLiteral("hit"));
    ASSERT_TRUE(searchingDuring);
    EXPECT_EQ(outlineDuring, 0);
    EXPECT_EQ(interBaseDuring, 0);
    EXPECT_EQ(panelDuring, 2) << "the path tab would have gone to panel 1";
    EXPECT_EQ(nav.OutlineIndex(), 0);
    EXPECT_EQ(InterBase().CurrentIndex(), 0);
    EXPECT_EQ(Rows().size(), 200) << "the walk went on";
    EXPECT_TRUE(Dialogs().Messages.empty()) << "no open of the other datastructure was tried";
    // Afterwards the strips work again.
    nav.tsOutLine->SetTabIndex(4);
    EXPECT_EQ(nav.OutlineIndex(), 4);
    EXPECT_EQ(CurrentCaption(), QStringLiteral("hit 2"));
}

TEST_F(Search, ClosingTheDatastructureEndsARunningSearch) {
    std::vector<CardAt> cards;
    MakeWithCards(Home() + "FirstKivDB.kiv", ManyTopics(200, cards), cards);
    Start();
    P().PumpMs = 0;
    // After the fifth row, while the walk runs (as a handed-over path would open another).
    int tested = 0;
    auto c = QObject::connect(P().lvSearch->model(), &QAbstractItemModel::rowsInserted, &P(), [&] {
        if (P().lvSearch->topLevelItemCount() == 5)
            QTimer::singleShot(0, &P(), [&] {
                tested = P().lvSearch->topLevelItemCount();
                form->Datastructure().CloseDatastructure();
            });
    });
    Find(QStringLiteral("hit"));
    QObject::disconnect(c);
    EXPECT_GE(tested, 5);
    EXPECT_FALSE(P().Searching());
    EXPECT_EQ(Rows().size(), 0) << "nothing added to the list after the close";
    EXPECT_FALSE(form->DatastructureOpen());
    EXPECT_FALSE(FileExists(Home() + "FirstKivDB.dsc")) << "joined again";
    ASSERT_TRUE(form->Datastructure().OpenDatastructure(Home() + "FirstKivDB.kiv", false));
    P().PumpMs = 25;
    Find(QStringLiteral("hit"));
    EXPECT_EQ(Rows().size(), 200);
}

TEST_F(Search, ClosingTheWindowEndsARunningSearch) {
    std::vector<CardAt> cards;
    MakeWithCards(Home() + "FirstKivDB.kiv", ManyTopics(200, cards), cards);
    Start();
    P().PumpMs = 0;
    auto c = QObject::connect(P().lvSearch->model(), &QAbstractItemModel::rowsInserted, &P(), [&] {
        if (P().lvSearch->topLevelItemCount() == 3)
            QTimer::singleShot(0, form.get(), [&] { form->close(); });
    });
    Find(QStringLiteral("hit"));
    QObject::disconnect(c);
    EXPECT_FALSE(P().Searching());
    EXPECT_GE(Rows().size(), 3);
    EXPECT_LT(Rows().size(), 200);
    EXPECT_FALSE(form->IsBusy());
}

TEST_F(Search, FindDialogAndWebSearch) {
    MakeWithCards(Home() + "FirstKivDB.kiv", "a", {{{0}, "Cat cat concat CAT end"}});
    Start();
    QTextEdit* e = form->TextCard().txtSimpleText;
    ASSERT_EQ(e->toPlainText(), QStringLiteral("Cat cat concat CAT end"));
    e->setFocus(Qt::OtherFocusReason);
    QTextCursor c = e->textCursor();
    c.setPosition(4);
    c.setPosition(7, QTextCursor::KeepAnchor);
    e->setTextCursor(c);
    P().acFindTextUpdate();
    EXPECT_TRUE(P().acFindText->Enabled());
    P().acFindText->Execute();
    TFindDialog* d = P().fdText;
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(d->FindText(), QStringLiteral("cat"));

    auto find = [&](bool matchCase, bool whole, bool up) {
        d->cbMatchCase->setChecked(matchCase);
        d->cbWholeWord->setChecked(whole);
        (up ? d->rbUp : d->rbDown)->setChecked(true);
        QTest::mouseClick(d->btnFind, Qt::LeftButton);
        return e->textCursor().selectionStart();
    };
    EXPECT_EQ(find(false, true, false), 15);  // the whole word after the selection
    EXPECT_EQ(find(false, false, true), 11);  // up, inside "concat"
    EXPECT_EQ(find(false, true, true), 4);
    EXPECT_EQ(find(false, true, true), 0);
    EXPECT_TRUE(Dialogs().Messages.empty());
    EXPECT_EQ(find(true, true, false), 4);  // "cat" exactly
    EXPECT_EQ(find(true, true, false), 4);  // nothing after it
    ASSERT_EQ(Dialogs().Messages.size(), 1u);
    EXPECT_EQ(Dialogs().Messages[0].Text,
              QStringLiteral("KIV has finished searching the document"));
    d->close();
    EXPECT_EQ(d->Tag, 0);

    // Editor positions past characters outside the BMP and paragraph ends.
    e->setPlainText(QStringLiteral("😀 x\nStraße ÉTÉ été"));
    e->moveCursor(QTextCursor::Start);
    ASSERT_TRUE(FindInEditor(e, {QStringLiteral("été")}, {}, false));
    EXPECT_EQ(e->textCursor().selectionStart(), 12);
    EXPECT_EQ(e->textCursor().selectedText(), QStringLiteral("ÉTÉ"));
    ASSERT_TRUE(FindInEditor(e, {QStringLiteral("été"), QStringLiteral("x")}, {}, true));
    EXPECT_EQ(e->textCursor().selectedText(), QStringLiteral("x"));
    EXPECT_EQ(e->textCursor().selectionStart(), 3);

    std::vector<QUrl> opened;
    P().OpenUrl = [&](const QUrl& u) { return opened.push_back(u), true; };
    ASSERT_EQ(P().WebSearchItems.size(), 5u);
    EXPECT_EQ(P().WebSearchItems[3]->text(), QStringLiteral("Search All Books"));
    P().WebSearchItems[3]->trigger();
    P().Search2Click(1);
    EXPECT_EQ(opened, (std::vector<QUrl>{QUrl("https://books.google.com/"),
                                         QUrl("https://duckduckgo.com/")}));
}

}  // namespace
}  // namespace kiv::wintest
