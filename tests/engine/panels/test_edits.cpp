// Structural edits through the outline panels: each edit is checked by dumping the file
// pair afterwards, and by what the panels show and select.
#include <gtest/gtest.h>

#include <QApplication>
#include <QtTest>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/NestFunctions.h"
#include "engine/core/OutlineEdits.h"
#include "engine/core/RecycledBin.h"
#include "engine/panels/KivPanelsManager.h"
#include "engine/panels/KivStringGrid.h"
#include "platform/core/KivError.h"
#include "platform/qt/TestHarness.h"
#include "tests/engine/core/CloneChain.h"
#include "tests/engine/core/EditsFixture.h"
#include "tests/engine/core/TreeFixture.h"
#include "tests/FileSizeLimit.h"

namespace kiv {
namespace {

using test::DumpOf;
using test::RowOf;

class PanelEdits : public ::testing::Test {
protected:
    void SetUp() override {
        CreatePanelsManager();
        RecycledBin().Clear();
        SetOpenDatastructureSource({[this] { return &bookmark; }, [this] { return &trail; }});
        window = std::make_unique<QWidget>();
        window->resize(720, 400);
        for (int i = 0; i < 3; ++i) {
            auto* g = new TKivStringGrid(window.get());
            g->Tag = i + 1;
            g->setGeometry(i * 240, 0, 240, 400);
            g->SetDefaultColWidth(240);
            p[i] = g;
        }
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    void TearDown() override {
        window.reset();
        pair.reset();
        SetOpenDatastructureSource({});
        RecycledBin().Clear();
        FreePanelsManager();
    }

    void Open(std::string_view tree, bool treeMode = false) {
        pair = std::make_unique<test::TreePair>(tree);
        TKivPanelsManager& m = PanelsManager();
        m.SetNestFile(pair->kiv.get());
        m.SetCardFile(pair->dsc.get());
        m.SetDatastructurePath(pair->Path());
        m.SetTreeMode(treeMode);
        bookmark.RootNest = ReadRootNest(pair->kiv.get());
        TKivStringGrid* g = p[0];
        g->Nester->RootNest = bookmark.RootNest;
        g->Nester->LoadBranch(-1, false);
        g->RowsChanged(0);
        g->SelectRow(0);
        m.RefreshPanelsFrom(1);
    }

    // Shows every row's children in panel 1 (tree mode).
    void ExpandAll() {
        for (int r = 0; r < p[0]->Nester->RowCount(); ++r) p[0]->ExpandRow(r);
    }
    int Row(std::string_view caption, int panel = 0) { return RowOf(*p[panel]->Nester, caption); }
    void Select(std::string_view caption, int panel = 0) {
        p[panel]->SelectRow(Row(caption, panel));
    }
    void Mark(std::string_view caption, int panel = 0) {
        p[panel]->Nester->SetMarked(Row(caption, panel), true);
    }
    std::string Dump() { return pair->Dump(); }
    std::string Current(int panel = 0) {
        TKivStringGrid* g = p[panel];
        return g->IsRowValid(g->CurrentRow()) ? g->Nester->Caption(g->CurrentRow())
                                              : std::string("<none>");
    }
    // The panel's grid rows follow its model.
    void ExpectGridFollows(int panel = 0) {
        TKivStringGrid* g = p[panel];
        EXPECT_EQ(g->RowCount(), std::max(1, g->Nester->RowCount()));
        if (g->IsRowValid(g->CurrentRow())) {
            EXPECT_EQ(g->Row(), g->CurrentRow());
        }
    }
    void MakeExternal(std::string_view caption) {
        TNester& m = *p[0]->Nester;
        const int r = Row(caption);
        ASSERT_TRUE(m.Cards().WriteRowCard(kCardExternal, r, "/data/other.kiv"));
        m.SetChildNest(r, -1);
        ASSERT_TRUE(m.SaveRowItem(r));
    }
    // Types into the caption editor of a panel in edit mode.
    void Type(const QString& text, int panel = 0) {
        TKivMemo* e = p[panel]->CaptionEditor;
        e->SetText(text);
        e->SetModified(true);
    }

    TestEnvironment env;
    TBookMark bookmark;
    TNavigator trail;
    std::unique_ptr<test::TreePair> pair;
    std::unique_ptr<QWidget> window;
    TKivStringGrid* p[3] = {};
};

// ---- inserting ----

TEST_F(PanelEdits, InsertBeforeAndAfterTheCurrentTopic) {
    Open("a b c");
    Select("b");
    ASSERT_EQ(p[0]->InsertTopics(TItemArray(1), p[0]->CurrentRow(), true, true, 0), 1);
    EXPECT_EQ(p[0]->CurrentRow(), 1);  // the new topic, selected
    EXPECT_TRUE(p[0]->Nester->SetCaption(1, "before"));
    EXPECT_EQ(Dump(), DumpOf("a before b c"));
    ExpectGridFollows();

    Select("b");
    const int cur = p[0]->CurrentRow();
    const int next = p[0]->Nester->NextSibling(cur, true);
    ASSERT_EQ(p[0]->InsertTopics(TItemArray(1), next, false, true, cur - next), 1);
    EXPECT_EQ(Current(), "b");  // not selected
    EXPECT_TRUE(p[0]->Nester->SetCaption(next, "after"));
    EXPECT_EQ(Dump(), DumpOf("a before b after c"));
    ExpectGridFollows();
}

TEST_F(PanelEdits, InsertIntoTheEmptyRootWritesTheHeader) {
    Open("");
    ASSERT_EQ(p[0]->Nester->RowCount(), 0);
    std::vector<uint32_t> updated;
    p[0]->OnItemsUpdated = [&](TKivStringGrid*, uint32_t nest) { updated.push_back(nest); };
    ASSERT_EQ(p[0]->InsertTopics(TItemArray(2), 0, true, true, 0), 2);
    ASSERT_EQ(p[0]->Nester->RowCount(), 2);
    const uint32_t root = ReadRootNest(pair->kiv.get());
    EXPECT_GT(root, 0u);
    EXPECT_EQ(bookmark.RootNest, root);
    EXPECT_EQ(p[0]->Nester->RootNest, root);
    ASSERT_FALSE(updated.empty());
    EXPECT_EQ(updated.back(), root);
    EXPECT_EQ(p[0]->CurrentRow(), 0);
    ExpectGridFollows();
    EXPECT_TRUE(p[0]->Nester->SetCaption(0, "first"));
    EXPECT_TRUE(p[0]->Nester->SetCaption(1, "second"));
    pair->Reopen();
    EXPECT_EQ(Dump(), DumpOf("first second"));
}

TEST_F(PanelEdits, InsertIntoAnEmptySecondPanel) {
    Open("a(x) b");
    Select("b");
    PanelsManager().RefreshPanelsFrom(1);
    ASSERT_EQ(p[1]->Nester->RowCount(), 0);
    ASSERT_EQ(p[1]->InsertTopics(TItemArray(1), 0, true, true, 0), 1);
    EXPECT_EQ(p[1]->Nester->RowCount(), 1);
    EXPECT_GT(p[0]->Nester->ChildNest(Row("b")), 0);
    EXPECT_EQ(p[1]->Nester->RootNest, uint32_t(p[0]->Nester->ChildNest(Row("b"))));
    EXPECT_TRUE(p[1]->Nester->SetCaption(0, "b1"));
    EXPECT_EQ(Dump(), DumpOf("a(x) b(b1)"));
    ExpectGridFollows(1);
}

// ---- deleting ----

TEST_F(PanelEdits, DeleteTakesTheSubTreeIntoTheRecycledStore) {
    Open("a(b(c)) d e", true);
    ExpandAll();
    Select("a");
    p[0]->DeleteMarkedTopics(true, true, true);
    EXPECT_EQ(Dump(), DumpOf("d e"));
    EXPECT_EQ(Current(), "d");
    ExpectGridFollows();
    ASSERT_EQ(RecycledBin().Count(), 1);
    EXPECT_EQ(RecycledBin().ItemCaption(0, PanelsManager().Cards), "a");
    // Its branch is still in the file, for a restore.
    TItemArray kids;
    ReadNestItems(pair->kiv.get(), RecycledBin().GetItem(0).ChildNest, kids);
    EXPECT_EQ(kids.size(), 1u);
}

TEST_F(PanelEdits, DeletingTheLastRowMakesTheNewLastRowCurrent) {
    Open("a b c");
    Select("c");
    std::vector<std::pair<int, int>> changes;
    p[0]->OnSelRowChanged = [&](TKivStringGrid*, int o, int n) { changes.push_back({o, n}); };
    p[0]->DeleteMarkedTopics(false, true, true);
    EXPECT_EQ(Dump(), DumpOf("a b"));
    EXPECT_EQ(p[0]->CurrentRow(), 1);
    EXPECT_EQ(Current(), "b");
    EXPECT_EQ(p[0]->Row(), 1);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].second, 1);
    ExpectGridFollows();
}

TEST_F(PanelEdits, APendingEditGoesToItsOwnTopicBeforeItIsDeleted) {
    Open("a b c");
    Select("b");
    p[0]->SetEditing(true);
    Type("b edited");
    p[0]->DeleteMarkedTopics(true, true, true);
    EXPECT_EQ(Current(), "c");  // c took the row
    EXPECT_EQ(p[0]->CaptionEditor->Text().toStdString(), "c");
    EXPECT_FALSE(p[0]->CaptionEditor->Modified());
    p[0]->SetEditing(false);
    EXPECT_EQ(Dump(), DumpOf("a c"));
    ASSERT_EQ(RecycledBin().Count(), 1);
    EXPECT_EQ(RecycledBin().ItemCaption(0, PanelsManager().Cards), "b edited");
}

// A caption the card file has no room for (a full disk) stays typed in the editor of its own
// topic, modified, and each refusal is told once: the row change is refused, edit mode
// ends without losing it, and edit mode on the same row brings it back and stores it.
TEST_F(PanelEdits, ARefusedCaptionStaysInTheEditorWithItsTopic) {
    Open("a b c");
    Select("b");
    p[0]->SetEditing(true);
    const std::string typed = "b" + std::string(600, 'x');  // longer than b's chunk
    TKivMemo* e = p[0]->CaptionEditor;
    {
        test::FileSizeLimit full(CardFilePathOf(pair->Path()));
        Type(QString::fromStdString(typed));
        Select("c");
        EXPECT_EQ(Current(), "b");
        EXPECT_EQ(e->Text().toStdString(), typed);
        EXPECT_TRUE(e->Modified());
        ASSERT_EQ(env.Dialogs().Messages.size(), 1u);
        EXPECT_EQ(env.Dialogs().Messages[0].Type, MsgType::Error);
        EXPECT_TRUE(env.Dialogs().Messages[0].Text.startsWith(
            QStringLiteral("The caption of \"b\" could not be stored")))
            << env.Dialogs().Messages[0].Text.toStdString();
        EXPECT_FALSE(p[0]->MoveMarkedTopicsByKey(mdUp))
            << "an edit that keeps the text waiting changes no topic";
        EXPECT_EQ(env.Dialogs().Messages.size(), 2u);
        p[0]->SetEditing(false);
        EXPECT_FALSE(p[0]->Editing());
        EXPECT_EQ(env.Dialogs().Messages.size(), 3u);
        EXPECT_EQ(e->Text().toStdString(), typed);
        EXPECT_EQ(Dump(), DumpOf("a b c"));
    }
    p[0]->SetEditing(true);
    EXPECT_EQ(e->Text().toStdString(), typed);
    EXPECT_FALSE(e->Modified());
    EXPECT_EQ(Current(), typed);
    p[0]->SetEditing(false);
    EXPECT_EQ(Dump(), DumpOf("a " + typed + " c"));
    EXPECT_EQ(env.Dialogs().Messages.size(), 3u);
}

TEST_F(PanelEdits, APendingEditMovesWithItsTopic) {
    Open("a b c");
    Select("b");
    p[0]->SetEditing(true);
    Type("B");
    ASSERT_TRUE(p[0]->MoveMarkedTopicsByKey(mdUp));
    EXPECT_EQ(p[0]->CurrentRow(), 0);
    EXPECT_EQ(p[0]->CaptionEditor->Text().toStdString(), "B");
    p[0]->SetEditing(false);
    EXPECT_EQ(Dump(), DumpOf("B a c"));
}

// ---- moving by key ----

TEST_F(PanelEdits, KeyMovesOutsideTreeMode) {
    Open("a b(x) c");
    Select("b");
    ASSERT_TRUE(p[0]->MoveMarkedTopicsByKey(mdDown));
    EXPECT_EQ(Dump(), DumpOf("a c b(x)"));
    EXPECT_EQ(Current(), "b");
    ExpectGridFollows();
    ASSERT_TRUE(p[0]->MoveMarkedTopicsByKey(mdUp));
    ASSERT_TRUE(p[0]->MoveMarkedTopicsByKey(mdUp));
    EXPECT_EQ(Dump(), DumpOf("b(x) a c"));
    EXPECT_FALSE(p[0]->MoveMarkedTopicsByKey(mdUp));
    EXPECT_FALSE(p[0]->MoveMarkedTopicsByKey(mdIn));
    EXPECT_FALSE(p[0]->MoveMarkedTopicsByKey(mdOut));
    EXPECT_EQ(Dump(), DumpOf("b(x) a c"));
    EXPECT_EQ(p[0]->Nester->RowCount(), 3);
}

// A move whose n-th outline write fails, for every n: the error goes on to its report, and
// the panel then shows what the file holds (the old tree, or the new one), not the rows the
// move had made.
TEST_F(PanelEdits, AfterAFailingMoveThePanelShowsWhatIsStored) {
    auto shown = [this] {
        std::string s;
        for (int r = 0; r < p[0]->Nester->RowCount(); ++r)
            s += std::string(size_t(p[0]->Nester->Level(r)) * 2, ' ') + p[0]->Nester->Caption(r) +
                 "\n";
        return s;
    };
    Open("A(a1 a2) B(b1 b2)", true);
    const std::string fresh = pair->kiv->ReadAll();
    for (int n = 0;; ++n) {
        SCOPED_TRACE(n);
        MemoryBlockFile mem(fresh, pair->kiv->Path());
        PanelsManager().SetNestFile(&mem);
        p[0]->Nester->LoadBranch(-1, false);
        p[0]->RowsChanged(0);
        ExpandAll();
        Select("b1");
        mem.FailWriteNumber(n);
        const int before = mem.Writes();
        bool failed = false;
        try {
            p[0]->MoveMarkedTopicsByKey(mdUp);
        } catch (const EFileError&) {
            failed = true;
        }
        const std::string stored = DumpTree(&mem, pair->dsc.get());
        EXPECT_TRUE(stored == DumpOf("A(a1 a2) B(b1 b2)") || stored == DumpOf("A(a1 a2 b1) B(b2)"))
            << stored;
        EXPECT_EQ(shown(), stored);
        ExpectGridFollows();
        PanelsManager().SetNestFile(pair->kiv.get());
        if (!failed) {
            // The first position past the move's writes: every one before it failed once.
            EXPECT_EQ(mem.Writes() - before, n);
            EXPECT_GE(n, 2) << "a move between nests writes both";
            break;
        }
    }
}

TEST_F(PanelEdits, KeyMovesInTreeMode) {
    Open("a(b) c d", true);
    ExpandAll();
    Select("d");
    struct Step {
        int direction;
        bool moved;
        const char* after;
    };
    const Step
        steps
            [] =
                {
                    {mdIn, true, "a(b) c(d)"},  // under c, which has no children
                    {mdUp, true, "a(b d) c"},   // to the end of the previous branch
                    {mdUp, true, "a(d b) c"},
                    {mdUp, true, "d a(b) c"},    // the first child goes before its parent
                    {mdOut, false, "d a(b) c"},  // a top row cannot go out
                    {mdDown, true, "a(b) d c"},  // past a's branch
                    {mdIn, true, "a(b d) c"},    // after a's shown children
                    {mdOut, true, "a(b) d c"},
                    {mdDown, true, "a(b) c d"},
                    {mdDown, false, "a(b) c d"},
                };
    for (const Step& s : steps) {
        EXPECT_EQ(p[0]->MoveMarkedTopicsByKey(s.direction), s.moved) << s.after;
        EXPECT_EQ(Dump(), DumpOf(s.after));
        EXPECT_EQ(Current(), "d") << s.after;
        ExpectGridFollows();
    }
    pair->Reopen();
    EXPECT_EQ(Dump(), DumpOf("a(b) c d"));
}

TEST_F(PanelEdits, AnExternalTopicIsKeptAsItWasAfterARefusedMove) {
    Open("a b", true);
    MakeExternal("a");
    const TNestItem before = p[0]->Nester->GetItem(Row("a"));
    const std::string dump = Dump();
    Select("b");
    EXPECT_FALSE(p[0]->MoveMarkedTopicsByKey(mdIn));
    EXPECT_FALSE(p[0]->MoveMarkedTopics(Row("a"), true, false));
    EXPECT_EQ(Dump(), dump);
    TNestItem stored;
    ASSERT_TRUE(GetNestItem(pair->kiv.get(), p[0]->Nester->RootNest, 0, stored));
    EXPECT_EQ(stored, before);
    EXPECT_EQ(stored.ChildNest, kExternalNest);
    EXPECT_EQ(Current(), "b");
}

// ---- joining and splitting ----

// Clones sharing sub-trees 40 levels deep: the panels cascade through them and a move into
// a clone of the moved topic's own branch is refused, each without following 2^40 paths.
TEST_F(PanelEdits, ACloneChainFortyLevelsDeepIsMovedAndRefused) {
    Open("top probe", true);
    TNester& m = *p[0]->Nester;
    const test::TCloneChain chain = test::AppendCloneChain(pair->kiv.get(), pair->dsc.get(), 40);
    m.SetChildNest(0, int32_t(chain.Top));
    ASSERT_TRUE(m.SaveRowItem(0));
    m.SetChildNest(1, int32_t(chain.Deepest));  // probe is a clone of L39a and L39b
    ASSERT_TRUE(m.SaveRowItem(1));
    p[0]->ExpandRow(Row("probe"));  // L40a L40b
    p[0]->ExpandRow(0);             // L1a L1b
    const std::string before = Dump();
    ASSERT_EQ(std::count(before.begin(), before.end(), '\n'), 82);

    Select("top");
    EXPECT_FALSE(p[0]->MoveMarkedTopics(Row("L40a"), true, true));    // shown under probe
    EXPECT_FALSE(p[0]->MoveMarkedTopics(Row("probe"), true, false));  // under it
    EXPECT_EQ(Dump(), before);

    Select("probe");
    ASSERT_TRUE(p[0]->MoveMarkedTopics(Row("top"), true, false));
    EXPECT_EQ(Dump().substr(0, 12), "top\n  probe\n");
    ExpectGridFollows();
}

TEST_F(PanelEdits, JoinMakesOneTopicAndRecyclesNothing) {
    Open("a b c d");
    TNester& m = *p[0]->Nester;
    ASSERT_TRUE(m.Cards().WriteRowCard(
        kCardText, Row("a"),
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 text \\b a\\b0\\par}"));
    ASSERT_TRUE(m.Cards().WriteRowCard(kCardText, Row("b"), "text b"));
    ASSERT_TRUE(m.Cards().WriteRowCard(kCardText, Row("c"), "text c"));
    Select("a");
    Mark("b");
    Mark("c");
    p[0]->JoinTopics();
    EXPECT_EQ(Dump(), DumpOf("\"a b c\" d"));
    std::string text;
    m.Cards().ReadRowCard(kCardText, 0, text);
    EXPECT_EQ(text, "text a\r\ntext b\r\ntext c");
    EXPECT_EQ(RecycledBin().Count(), 0);
    EXPECT_EQ(Current(), "a b c");
    ExpectGridFollows();
}

TEST_F(PanelEdits, TextCardPlainText) {
    Open("a");
    TNester& m = *p[0]->Nester;
    ASSERT_TRUE(m.Cards().WriteRowCard(kCardText, 0, "\x01{\\rtf1\\ansi caf\\'e9\\par second}"));
    EXPECT_EQ(p[0]->TextCardPlainText(0), "caf\xE9\r\nsecond");  // stored text
    ASSERT_TRUE(m.Cards().WriteRowCard(kCardText, 0, "never formatted\r\nplain"));
    EXPECT_EQ(p[0]->TextCardPlainText(0), "never formatted\r\nplain");
}

TEST_F(PanelEdits, SplitAtTheCaret) {
    Open("abc d");
    Select("abc");
    p[0]->SetEditing(true);
    p[0]->CaptionEditor->SetSelStart(1);
    p[0]->SplitTopic();
    EXPECT_EQ(Dump(), DumpOf("a bc d"));
    EXPECT_EQ(p[0]->CaptionEditor->Text().toStdString(), "a");
    EXPECT_EQ(p[0]->CaptionEditor->SelStart(), 1);
    EXPECT_EQ(Current(), "a");
    ExpectGridFollows();
    p[0]->SetEditing(false);
    EXPECT_EQ(Dump(), DumpOf("a bc d"));
}

TEST_F(PanelEdits, SplitAtALineEndDropsTheBreak) {
    Open("x");
    Select("x");
    p[0]->SetEditing(true);
    Type("one\ntwo");
    p[0]->CaptionEditor->SetSelStart(3);
    p[0]->SplitTopic();
    EXPECT_EQ(Dump(), DumpOf("one two"));
}

// ---- expanding, finding, checking ----

TEST_F(PanelEdits, CollapsingTheCurrentTopicsBranchSelectsItsRoot) {
    Open("a(b c) d", true);
    p[0]->ExpandRow(0);
    EXPECT_EQ(p[0]->Nester->RowCount(), 4);
    ExpectGridFollows();
    Select("c");
    std::vector<std::pair<int, int>> changes;
    p[0]->OnSelRowChanged = [&](TKivStringGrid*, int o, int n) { changes.push_back({o, n}); };
    p[0]->CollapseRow(0);
    EXPECT_EQ(p[0]->Nester->RowCount(), 2);
    EXPECT_EQ(Current(), "a");
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0], std::make_pair(2, 0));
    ExpectGridFollows();
    // Outside tree mode a row's children are not shown inline.
    PanelsManager().SetTreeMode(false);
    p[0]->ExpandRow(0);
    EXPECT_EQ(p[0]->Nester->RowCount(), 2);
}

TEST_F(PanelEdits, FindItemRowSelects) {
    Open("a b c");
    const TNestItem c = p[0]->Nester->GetItem(2);
    EXPECT_EQ(p[0]->FindItemRow(c, true, 0), 2);
    EXPECT_EQ(Current(), "c");
    EXPECT_EQ(p[0]->FindItemRow(TNestItem{12345, 0}, true, -1), -1);
}

TEST_F(PanelEdits, ValidateNavigatorOnAChangedFile) {
    Open("a(b c) d");
    Select("a");
    PanelsManager().RefreshPanelsFrom(1);
    TNavigator t;
    const TNode a = p[0]->Nester->GetNode(Row("a"));
    const TNode c = p[1]->Nester->GetNode(Row("c", 1));
    t.Add(a.ParentNest, a.Index, false, "stored", a.Item());
    t.Add(c.ParentNest, c.Index, false, "stored", c.Item());
    ASSERT_TRUE(p[0]->ValidateNavigator(t));
    EXPECT_EQ(t.GetCaption(1), "c");
    EXPECT_EQ(t.GetNode(1).Index, 1u);

    Select("b", 1);
    p[1]->DeleteMarkedTopics(false, true, true);
    ASSERT_EQ(Dump(), DumpOf("a(c) d"));
    ASSERT_TRUE(p[0]->ValidateNavigator(t));
    EXPECT_EQ(t.GetNode(1).Index, 0u);

    Select("c", 1);
    p[1]->DeleteMarkedTopics(false, true, true);
    EXPECT_FALSE(p[0]->ValidateNavigator(t));
    EXPECT_EQ(t.Count(), 0);
}

TEST_F(PanelEdits, HoistAndSinglePanelRowTests) {
    Open("a(a1) b");
    TNester& m = *p[0]->Nester;
    EXPECT_FALSE(p[0]->IsHoistedRow(0));
    EXPECT_FALSE(p[0]->HasSinglePanelRoot());
    // Panel 1 showing a hoisted topic.
    TNode node = m.GetNode(0);
    trail.SetHoistedNodes({node});
    bookmark.HoistStack.AddNavigator();
    m.SetNode(0, node);
    EXPECT_TRUE(p[0]->IsHoistedRow(0));
    EXPECT_TRUE(p[0]->IsHoistedTopRow(0));
    EXPECT_FALSE(p[0]->IsHoistedTopRow(1));
    PanelCount = 1;
    EXPECT_TRUE(p[0]->HasSinglePanelRoot());
    EXPECT_TRUE(p[0]->IsSinglePanelRootRow(0));
    EXPECT_FALSE(p[0]->IsSinglePanelRootRow(1));
    // A topic inserted beside the hoisted top row goes under it.
    Select("a");
    ASSERT_EQ(p[0]->InsertTopics(TItemArray(1), 1, false, true, -1), 1);
    PanelCount = 3;
    EXPECT_EQ(p[0]->Nester->Level(1), 1);  // the single-panel root shows its children
    EXPECT_TRUE(p[0]->Nester->SetCaption(1, "new"));
    EXPECT_EQ(Dump(), DumpOf("a(new a1) b"));
}

}  // namespace
}  // namespace kiv
