#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "engine/core/Cards.h"
#include "engine/core/NestFunctions.h"
#include "engine/core/OutlineEdits.h"
#include "platform/core/KivError.h"
#include "platform/core/KivStrings.h"
#include "tests/engine/core/EditsFixture.h"
#include "tests/engine/core/TreeFixture.h"

using namespace kiv;
using kiv::test::DumpOf;
using kiv::test::ExpandAllRows;
using kiv::test::RowsText;
using kiv::test::TreePair;

namespace {

class Edits : public kiv::test::EditsFixture {
protected:
    void Current(std::string_view caption) { model.SetCurrentRow(Row(caption)); }
    void Mark(std::string_view caption) { model.SetMarked(Row(caption), true); }
    // Captions a new topic at the row so that the dump shows it.
    void Name(int row, std::string_view caption) { EXPECT_TRUE(model.SetCaption(row, caption)); }
    std::string Card(uint8_t kind, int row) {
        std::string s;
        model.Cards().ReadRowCard(kind, row, s);
        return s;
    }
    TNestItem ItemOf(std::string_view caption) { return model.GetItem(Row(caption)); }
    // Makes the topic stand for an external datastructure, in the row and in the file.
    void MakeExternal(std::string_view caption) {
        const int r = Row(caption);
        ASSERT_TRUE(model.Cards().WriteRowCard(kCardExternal, r, "/data/other.kiv"));
        model.SetChildNest(r, -1);
        ASSERT_TRUE(model.SaveRowItem(r));
    }
};

// ---- inserting ----

TEST_F(Edits, InsertBeforeAndAfterACurrentTopic) {
    Open("a b c");
    Current("b");
    TInsertResult r = InsertTopicItems(ctx, TItemArray(1), Row("b"), true, 0);
    ASSERT_EQ(r.Inserted, 1);
    EXPECT_EQ(r.FirstRow, 1);
    Name(r.FirstRow, "before");
    EXPECT_EQ(Dump(), DumpOf("a before b c"));
    EXPECT_EQ(model.CurrentRow(), Row("b"));  // the current topic keeps its row's topic

    const int cur = Row("b");
    const int next = model.NextSibling(cur, true);
    r = InsertTopicItems(ctx, TItemArray(1), next, true, cur - next);
    ASSERT_EQ(r.Inserted, 1);
    Name(r.FirstRow, "after");
    EXPECT_EQ(Dump(), DumpOf("a before b after c"));

    // Past the last row with offset -1: appended.
    r = InsertTopicItems(ctx, TItemArray(1), 0x7FFFFFFF, true, -1);
    ASSERT_EQ(r.Inserted, 1);
    Name(r.FirstRow, "end");
    EXPECT_EQ(Dump(), DumpOf("a before b after c end"));
    pair->Reopen();
    EXPECT_EQ(Dump(), DumpOf("a before b after c end"));
}

TEST_F(Edits, InsertAfterAShownBranchInTreeMode) {
    Open("a(a1 a2(x)) b", true);
    Current("a");
    const int cur = Row("a");
    const int next = model.NextSibling(cur, true);
    EXPECT_EQ(next, Row("b"));
    TInsertResult r = InsertTopicItems(ctx, TItemArray(1), next, true, cur - next);
    ASSERT_EQ(r.Inserted, 1);
    EXPECT_EQ(model.Level(r.FirstRow), 0);
    Name(r.FirstRow, "n");
    EXPECT_EQ(Dump(), DumpOf("a(a1 a2(x)) n b"));

    // As the first child of a shown topic.
    r = InsertTopicItems(ctx, TItemArray(1), Row("a2") + 1, false, 0);
    ASSERT_EQ(r.Inserted, 1);
    EXPECT_EQ(model.Level(r.FirstRow), 2);
    Name(r.FirstRow, "c");
    EXPECT_EQ(Dump(), DumpOf("a(a1 a2(c x)) n b"));
}

TEST_F(Edits, InsertIntoTheEmptyRootTakesTheGivenTopics) {
    Open("");
    ASSERT_EQ(ReadRootNest(pair->kiv.get()), 0u);
    TInsertResult r = InsertTopicItems(ctx, TItemArray(3), 0, true, 0);
    EXPECT_EQ(r.Inserted, 3);
    EXPECT_TRUE(r.RootChanged);
    ASSERT_EQ(model.RowCount(), 3);
    const uint32_t root = ReadRootNest(pair->kiv.get());
    EXPECT_GT(root, 0u);
    EXPECT_EQ(model.RootNest, root);
    EXPECT_EQ(bookmark.RootNest, root);
    Name(0, "x");
    Name(1, "y");
    Name(2, "z");
    pair->Reopen();
    EXPECT_EQ(Dump(), DumpOf("x y z"));
}

TEST_F(Edits, InsertIntoAnEmptySecondPanelMakesTheChildNest) {
    Open("a b(c)");
    TNester second;
    pair->Attach(second);
    second.RootNest = 0;
    TPanelContext c2 = ctx;
    c2.Model = &second;
    c2.Panel = 2;
    c2.PrevModel = &model;
    Current("a");
    TInsertResult r = InsertTopicItems(c2, TItemArray(2), 0, true, 0);
    ASSERT_EQ(r.Inserted, 2);
    EXPECT_TRUE(r.PrevRowChanged);
    EXPECT_GT(model.ChildNest(Row("a")), 0);  // the badge turns yellow
    EXPECT_EQ(second.RootNest, uint32_t(model.ChildNest(Row("a"))));
    EXPECT_TRUE(second.SetCaption(0, "a1"));
    EXPECT_TRUE(second.SetCaption(1, "a2"));
    EXPECT_EQ(Dump(), DumpOf("a(a1 a2) b(c)"));

    // Under an external topic nothing goes.
    MakeExternal("b");
    Current("b");
    TNester third;
    pair->Attach(third);
    third.RootNest = 0;
    c2.Model = &third;
    EXPECT_EQ(InsertTopicItems(c2, TItemArray(1), 0, true, 0).Inserted, 0);
    third.RootNest = kExternalNest;
    EXPECT_EQ(InsertTopicItems(c2, TItemArray(1), 0, true, 0).Inserted, 0);
    TNestItem item;
    ASSERT_TRUE(GetNestItem(pair->kiv.get(), model.RootNest, 1, item));
    EXPECT_EQ(item.ChildNest, kExternalNest);
}

TEST_F(Edits, InsertIntoAnEmptyFirstPanelUnderTheTrail) {
    Open("a b");
    const TNode b = model.GetNode(Row("b"));
    trail.Add(b.ParentNest, b.Index, false, "b", b.Item());
    TNester first;
    pair->Attach(first);
    first.RootNest = 0;
    ctx.Model = &first;
    TInsertResult r = InsertTopicItems(ctx, TItemArray(1), 0, true, 0);
    ASSERT_EQ(r.Inserted, 1);
    EXPECT_TRUE(first.SetCaption(0, "b1"));
    EXPECT_EQ(Dump(), DumpOf("a b(b1)"));
    EXPECT_EQ(trail.GetNode(0).ChildNest, first.RootNest);
}

TEST_F(Edits, ChildrenOfATopicNotShownInlineStay) {
    Open("a(x y) b");
    TInsertResult r = InsertTopicItems(ctx, TItemArray(1), Row("a") + 1, false, 0);
    ASSERT_EQ(r.Inserted, 1);
    EXPECT_EQ(r.FirstRow, -1);  // one nest per panel: the new child is not a row here
    EXPECT_EQ(RowsText(model), "a\nb\n");
    // The new topic is the first child; name it through a model of that nest.
    TNester children;
    pair->Attach(children);
    children.RootNest = uint32_t(model.ChildNest(0));
    children.LoadBranch(-1, false);
    EXPECT_TRUE(children.SetCaption(0, "n"));
    EXPECT_EQ(Dump(), DumpOf("a(n x y) b"));
}

TEST_F(Edits, NothingGoesUnderAnExternalTopic) {
    Open("a b", true);
    MakeExternal("a");
    const std::string before = Dump();
    EXPECT_EQ(InsertTopicItems(ctx, TItemArray(1), Row("a") + 1, false, 0).Inserted, 0);
    EXPECT_EQ(Dump(), before);
    EXPECT_EQ(model.ChildNest(Row("a")), -1);
}

// Edits that need room on a full disk stop before any topic has left its nest: the files
// are byte for byte as they were and the panel shows what they hold.
TEST_F(Edits, GrowingEditsOnAFullDiskChangeNothing) {
    // a's nest is one block of 15 items and 5 spare slots: six more need a new block.
    std::string children;
    for (int i = 1; i <= 15; ++i) children += " c" + std::to_string(i);
    const std::string six = " d1 d2 d3 d4 d5 d6";
    const std::string tree = "a(" + children + ")" + six;
    auto markSix = [this] {
        Current("d1");
        for (const char* d : {"d2", "d3", "d4", "d5", "d6"}) Mark(d);
    };
    struct Case {
        const char* name;
        std::function<void()> edit;
        std::string after;
    };
    const Case cases[] = {
        {"insert six beside a child",
         [this] {
             const TInsertResult r = InsertTopicItems(ctx, TItemArray(6), Row("c2"), true, -1);
             ASSERT_EQ(r.Inserted, 6);
             Name(r.FirstRow, "new");
         },
         "a(c1 new \"\" \"\" \"\" \"\" \"\"" + children.substr(3) + ")" + six},
        {"move six into the nest",
         [&] {
             markSix();
             ASSERT_TRUE(MoveMarkedRows(ctx, Row("c15"), true, true));
         },
         "a(" + children + six + ")"},
        {"move six under the nest's topic",
         [&] {
             markSix();
             ASSERT_TRUE(MoveMarkedRows(ctx, Row("a"), true, false));
         },
         "a(" + six + children + ")"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Open(tree, true);
        MemoryBlockFile kiv(pair->kiv->ReadAll()), dsc(pair->dsc->ReadAll());
        model.SetNestFile(&kiv);
        model.SetCardFile(&dsc);
        const std::string nests = kiv.Bytes(), cards = dsc.Bytes(), rows = RowsText(model);
        kiv.FailGrowthPast(kiv.Size());
        dsc.FailGrowthPast(dsc.Size());
        EXPECT_THROW(c.edit(), EFileError);
        EXPECT_EQ(kiv.Bytes(), nests);
        EXPECT_EQ(dsc.Bytes(), cards);
        EXPECT_EQ(RowsText(model), rows);
        EXPECT_EQ(DumpTree(&kiv, &dsc), DumpOf(tree));

        kiv.UnlimitedGrowth();  // room again: the same edit goes through
        dsc.UnlimitedGrowth();
        c.edit();
        EXPECT_EQ(DumpTree(&kiv, &dsc), DumpOf(c.after));
    }
}

// ---- deleting ----

TEST_F(Edits, DeleteTakesTheSubTreeAndRecyclesIt) {
    Open("a(b(c)) d e", true);
    const TNestItem a = ItemOf("a");
    trail.Add(7, 3, false, "up", {1, 2});
    Current("a");
    Mark("e");
    EXPECT_EQ(DeleteMarkedRows(ctx, true, true), 2);
    EXPECT_EQ(RowsText(model), "d\n");
    EXPECT_EQ(Dump(), DumpOf("d"));
    ASSERT_EQ(bin.Count(), 2);
    EXPECT_EQ(bin.GetItem(0), (TRecycledRecord{model.RootNest, a.CardDir, a.ChildNest}));
    TNavigatorPtr t = bin.Trails.Navigator(0);
    ASSERT_EQ(t->Count(), 2);
    EXPECT_EQ(t->GetCaption(0), "up");
    EXPECT_EQ(t->GetNode(1).Index, 0u);
    EXPECT_EQ(t->GetCaption(1), "a");
    EXPECT_EQ(bin.Trails.Navigator(1)->GetNode(1).Index, 2u);  // e stood third

    // The recycled topic still has its sub-tree in the file.
    TItemArray kids;
    ReadNestItems(pair->kiv.get(), a.ChildNest, kids);
    EXPECT_EQ(kids.size(), 1u);
}

TEST_F(Edits, DeleteInSeveralSiblingGroups) {
    Open("a(b c) d(e f) g", true);
    Mark("c");
    Mark("e");
    Current("f");
    EXPECT_EQ(DeleteMarkedRows(ctx, true, true), 3);
    EXPECT_EQ(Dump(), DumpOf("a(b) d g"));
    EXPECT_EQ(model.ChildNest(Row("d")), 0);  // its group went empty
    ASSERT_EQ(bin.Count(), 3);
    const char* order[] = {"c", "e", "f"};
    for (int i = 0; i < 3; ++i) EXPECT_EQ(bin.Trails.Navigator(i)->GetCaption(0), order[i]);
    pair->Reopen();
    EXPECT_EQ(Dump(), DumpOf("a(b) d g"));
}

TEST_F(Edits, DeletingTheOnlyChildLeavesTheParentWithoutChildren) {
    Open("a(b) c", true);
    Current("b");
    EXPECT_EQ(DeleteMarkedRows(ctx, false, true), 1);
    EXPECT_EQ(Dump(), DumpOf("a c"));
    EXPECT_EQ(model.ChildNest(Row("a")), 0);
    TNestItem item;
    ASSERT_TRUE(GetNestItem(pair->kiv.get(), model.RootNest, 0, item));
    EXPECT_EQ(item.ChildNest, 0u);
    EXPECT_EQ(model.CurrentRow(), Row("a"));
    EXPECT_EQ(bin.Count(), 0);
}

TEST_F(Edits, ACurrentRowInsideAMarkedBranchGoesWithIt) {
    Open("a(b) c", true);
    Current("b");
    Mark("a");
    // Without the current row: only a's branch goes, c stays.
    EXPECT_EQ(DeleteMarkedRows(ctx, true, false), 1);
    EXPECT_EQ(Dump(), DumpOf("c"));
    EXPECT_EQ(bin.Count(), 1);
}

TEST_F(Edits, DeletingTheLastRowLeavesTheCurrentPastTheEnd) {
    Open("a b c");
    Current("c");
    DeleteMarkedRows(ctx, false, true);
    EXPECT_EQ(Dump(), DumpOf("a b"));
    EXPECT_GE(model.CurrentRow(), model.RowCount());  // the panel then selects its last row
}

// ---- moving by key ----

struct KeyCase {
    const char* name;
    const char* tree;
    bool treeMode;
    const char* current;
    const char* marked;  // "" none
    int direction;
    bool moved;
    const char* after;
};

class KeyMoves : public Edits, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(KeyMoves, FileAfterTheMove) {
    const KeyCase& k = GetParam();
    Open(k.tree, k.treeMode);
    Current(k.current);
    if (*k.marked) Mark(k.marked);
    EXPECT_EQ(MoveMarkedRowsByKey(ctx, k.direction), k.moved);
    EXPECT_EQ(Dump(), DumpOf(k.after));
    EXPECT_EQ(model.Caption(model.CurrentRow()), k.current);  // the moved topic stays current
    pair->Reopen();
    EXPECT_EQ(Dump(), DumpOf(k.after));
}

INSTANTIATE_TEST_SUITE_P(
    Directions, KeyMoves,
    ::testing::Values(
        KeyCase{"Up", "a b c", false, "b", "", mdUp, true, "b a c"},
        KeyCase{"Down", "a b c", false, "b", "", mdDown, true, "a c b"},
        KeyCase{"UpWithMarked", "a b c d", false, "c", "d", mdUp, true, "a c d b"},
        KeyCase{"UpAtTopDoesNothing", "a b", false, "a", "", mdUp, false, "a b"},
        KeyCase{"DownAtEndDoesNothing", "a b", false, "b", "", mdDown, false, "a b"},
        KeyCase{"DownOverABranch", "a b(c) d", true, "a", "", mdDown, true, "b(c) a d"},
        KeyCase{"OnlyChildUpGoesBeforeItsParent", "a(b) c", true, "b", "", mdUp, true, "b a c"},
        KeyCase{"FirstChildUpGoesToThePreviousBranchEnd", "x(y) a(b) c", true, "b", "", mdUp, true,
                "x(y b) a c"},
        KeyCase{"FirstChildUpGoesUnderAChildlessUncle", "x a(b) c", true, "b", "", mdUp, true,
                "x(b) a c"},
        KeyCase{"LastChildDownBecomesFirstChildOfTheNext", "a(b) c(d)", true, "b", "", mdDown, true,
                "a c(b d)"},
        KeyCase{"LastChildDownBecomesOnlyChildOfTheNext", "a(b) c", true, "b", "", mdDown, true,
                "a c(b)"},
        KeyCase{"LastChildDownPastTheBranch", "a(b(c)) d", true, "c", "", mdDown, true,
                "a(b) d(c)"},
        KeyCase{"InUnderThePreviousSibling", "a b", true, "b", "", mdIn, true, "a(b)"},
        KeyCase{"InAfterThePreviousSiblingsChildren", "a(x) b", true, "b", "", mdIn, true,
                "a(x b)"},
        KeyCase{"OutAfterTheParentsBranch", "a(b c) d", true, "b", "", mdOut, true, "a(c) b d"},
        KeyCase{"OutOfTheOnlyChild", "a(b) d", true, "b", "", mdOut, true, "a b d"},
        KeyCase{"InOutsideTreeModeDoesNothing", "a b", false, "b", "", mdIn, false, "a b"},
        KeyCase{"OutOutsideTreeModeDoesNothing", "a(b) c", false, "c", "", mdOut, false, "a(b) c"},
        KeyCase{"OutOfATopRowDoesNothing", "a b", true, "b", "", mdOut, false, "a b"}),
    [](const ::testing::TestParamInfo<KeyCase>& i) { return std::string(i.param.name); });

TEST_F(Edits, InCollapsedBranchShowsItsChildren) {
    Open("a(x) b");
    ctx.TreeMode = true;  // tree mode with a not shown yet
    Current("b");
    ASSERT_TRUE(MoveMarkedRowsByKey(ctx, mdIn));
    EXPECT_EQ(RowsText(model), "a\n  x\n  b\n");
    EXPECT_EQ(Dump(), DumpOf("a(x b)"));
}

TEST_F(Edits, MovedMarkedDescendantsAreUnmarkedFirst) {
    Open("a(b) c", true);
    Current("a");
    Mark("b");
    ASSERT_TRUE(MoveMarkedRowsByKey(ctx, mdDown));
    EXPECT_EQ(Dump(), DumpOf("c a(b)"));
    EXPECT_FALSE(model.IsMarked(Row("b")));
}

// ---- moving beside and under a target ----

TEST_F(Edits, AnExternalTopicStaysAsItWasAfterARefusedMove) {
    Open("a b c", true);
    MakeExternal("a");
    const TNestItem a = ItemOf("a");
    const std::string before = Dump();
    Current("b");
    EXPECT_FALSE(MoveMarkedRowsByKey(ctx, mdIn));
    EXPECT_FALSE(MoveMarkedRows(ctx, Row("a"), true, false));
    EXPECT_EQ(Dump(), before);
    EXPECT_EQ(ItemOf("a"), a);
    TNestItem stored;
    ASSERT_TRUE(GetNestItem(pair->kiv.get(), model.RootNest, 0, stored));
    EXPECT_EQ(stored, a);
    EXPECT_EQ(stored.ChildNest, kExternalNest);
    // Beside it is fine.
    EXPECT_TRUE(MoveMarkedRows(ctx, Row("a"), false, true));
    EXPECT_EQ(Dump(), DumpOf("b a c"));
}

TEST_F(Edits, MoveUnderAChildlessTopicMakesASmallEmptyNest) {
    Open("a b c");
    Current("c");
    const uint64_t size = pair->kiv->Size();
    ASSERT_TRUE(MoveMarkedRows(ctx, Row("a"), true, false));
    const uint32_t nest = uint32_t(model.ChildNest(Row("a")));
    EXPECT_EQ(nest, size);  // appended at the end of the file
    TNestHeader h;
    ReadNestHeader(pair->kiv.get(), nest, h);
    EXPECT_EQ(h.Capacity, 10);
    EXPECT_EQ(h.Count, 1);
    EXPECT_EQ(Dump(), DumpOf("a(c) b"));
    // One nest per panel: the moved topic went under a, a became current.
    EXPECT_EQ(RowsText(model), "a\nb\n");
    EXPECT_EQ(model.CurrentRow(), Row("a"));
}

TEST_F(Edits, MoveUnderATopicWithHiddenChildrenKeepsThem) {
    Open("a(x y) b");
    Current("b");
    ASSERT_TRUE(MoveMarkedRows(ctx, Row("a"), true, false));
    EXPECT_EQ(Dump(), DumpOf("a(b x y)"));
    EXPECT_EQ(RowsText(model), "a\n");
}

TEST_F(Edits, MoveIntoItsOwnBranchIsRefused) {
    Open("a(b) c", true);
    Current("a");
    EXPECT_FALSE(MoveMarkedRows(ctx, Row("b"), true, true));
    EXPECT_FALSE(MoveMarkedRows(ctx, Row("b"), true, false));
    EXPECT_EQ(Dump(), DumpOf("a(b) c"));
}

TEST_F(Edits, MovingAllChildrenUnderTheirParentKeepsThem) {
    Open("a(b c)", true);
    Current("c");
    Mark("b");
    ASSERT_TRUE(MoveMarkedRows(ctx, Row("a"), true, false));
    EXPECT_EQ(Dump(), DumpOf("a(b c)"));
    EXPECT_GT(model.ChildNest(Row("a")), 0);
}

// ---- joining and splitting ----

class Joins : public Edits {
protected:
    TPlainTextOf Plain() {
        return [this](int row) { return Card(kCardText, row); };
    }
};

TEST_F(Joins, ThreeTopicsBecomeOne) {
    Open("a b c d");
    for (const char* t : {"a", "b", "c"})
        ASSERT_TRUE(model.Cards().WriteRowCard(kCardText, Row(t), std::string("text ") + t));
    Current("a");
    Mark("b");
    Mark("c");
    ASSERT_TRUE(JoinMarkedRows(ctx, Plain()));
    EXPECT_EQ(Dump(), DumpOf("\"a b c\" d"));
    EXPECT_EQ(Card(kCardText, 0), "text a\r\ntext b\r\ntext c");
    EXPECT_EQ(model.Caption(0), "a b c");
    EXPECT_EQ(model.CurrentRow(), 0);
    EXPECT_EQ(bin.Count(), 0);
}

TEST_F(Joins, TheFirstMarkedTopicSurvivesAndTakesTheChildren) {
    Open("a(x) b c(y z)", true);
    ASSERT_TRUE(model.Cards().WriteRowCard(kCardText, Row("c"), "only c"));
    // The survivor's colour prefix stays; the joined caption loses its own.
    model.SetFontColor(Row("a"), 0xFF);
    EXPECT_TRUE(model.SetCaption(Row("a"), "a"));
    model.SetFontColor(Row("c"), 0xFF00);
    EXPECT_TRUE(model.SetCaption(Row("c"), "c"));
    Current("c");
    Mark("a");
    ASSERT_TRUE(JoinMarkedRows(ctx, Plain()));
    EXPECT_EQ(Dump(), DumpOf("\"a c\"(x y z) b"));
    const int s = model.CurrentRow();
    EXPECT_EQ(model.Caption(s), "a c");
    EXPECT_EQ(model.FontColor(s), 0xFF);
    EXPECT_EQ(Card(kCardText, s), "only c");  // no leading line break
}

TEST_F(Joins, LinkAndGraphicLinesStaySeparate) {
    Open("a b");
    ASSERT_TRUE(model.Cards().WriteRowCard(kCardGraphic, 0, "/p/one.png"));
    ASSERT_TRUE(model.Cards().WriteRowCard(kCardGraphic, 1, "/p/two.png"));
    Current("a");
    Mark("b");
    ASSERT_TRUE(JoinMarkedRows(ctx, Plain()));
    EXPECT_EQ(SplitLines(Card(kCardGraphic, 0)),
              (std::vector<std::string>{"/p/one.png", "/p/two.png"}));
}

TEST_F(Joins, ClonesDoNotDoubleTheirChildren) {
    Open("a(x) b");
    model.SetChildNest(Row("b"), model.ChildNest(Row("a")));  // b shares a's children
    ASSERT_TRUE(model.SaveRowItem(Row("b")));
    Current("a");
    Mark("b");
    ASSERT_TRUE(JoinMarkedRows(ctx, Plain()));
    EXPECT_EQ(Dump(), DumpOf("\"a b\"(x)"));
}

TEST_F(Joins, NothingMarkedJoinsNothing) {
    Open("a b");
    Current("a");
    EXPECT_FALSE(JoinMarkedRows(ctx, Plain()));
    EXPECT_EQ(Dump(), DumpOf("a b"));
}

TEST_F(Joins, AnExternalSurvivorTakesNoChildren) {
    Open("a b(x)");
    MakeExternal("a");
    Current("a");
    Mark("b");
    EXPECT_FALSE(JoinMarkedRows(ctx, Plain()));
    EXPECT_EQ(Dump(), DumpOf("a b(x)"));
}

TEST_F(Edits, SplitGivesTheTailToANewSibling) {
    Open("abc(x) d", true);
    Current("abc");
    const int row = SplitRowCaption(ctx, "a", "\r\nbc");
    ASSERT_GE(row, 0);
    EXPECT_EQ(model.Caption(row), "bc");
    EXPECT_EQ(Dump(), DumpOf("a(x) bc d"));
    EXPECT_EQ(model.Caption(model.CurrentRow()), "a");
}

// ---- hoisted and single-panel rows ----

class Hoisted : public Edits {
protected:
    // Panel 1 shows b1 and c1, two topics of different nests, as its hoisted top rows.
    void SetUp() override {
        Open("a b(b1) c(c1)");
        model.Expand(Row("b"));
        model.Expand(Row("c"));
        for (const char* t : {"b1", "c1"}) nodes.push_back(model.GetNode(Row(t)));
        trail.SetHoistedNodes(nodes);
        bookmark.HoistStack.AddNavigator();
        model.Clear();
        TItemArray items;
        for (const TNode& n : nodes) items.push_back(n.Item());
        model.InsertItemRows(items, 0, false, 0);
        for (int i = 0; i < 2; ++i) {
            model.SetNode(i, nodes[size_t(i)]);
            model.SetLevel(i, 0);
        }
    }
    TNodeArray nodes;
};

TEST_F(Hoisted, RowTests) {
    EXPECT_TRUE(IsHoistedRow(ctx, 0));
    EXPECT_TRUE(IsHoistedTopRow(ctx, 1));
    EXPECT_FALSE(IsHoistedTopRow(ctx, 2));
    ctx.Panel = 2;
    EXPECT_FALSE(IsHoistedRow(ctx, 0));
    EXPECT_FALSE(IsHoistedTopRow(ctx, 0));
    EXPECT_FALSE(HasSinglePanelRoot(ctx));
    ctx.Panel = 1;
    ctx.PanelCount = 1;
    EXPECT_TRUE(HasSinglePanelRoot(ctx));
    EXPECT_TRUE(IsSinglePanelRootRow(ctx, 0));
    EXPECT_FALSE(IsSinglePanelRootRow(ctx, 1));
    ctx.TreeMode = true;
    EXPECT_FALSE(HasSinglePanelRoot(ctx));
}

TEST_F(Hoisted, TopRowsStayWhereTheyAre) {
    const std::string before = Dump();
    ctx.TreeMode = true;
    model.SetCurrentRow(1);
    model.SetMarked(0, true);
    EXPECT_EQ(DeleteMarkedRows(ctx, true, true), 0);
    EXPECT_EQ(Dump(), before);
    EXPECT_EQ(bin.Count(), 0);
    EXPECT_FALSE(MoveMarkedRowsByKey(ctx, mdUp));
    EXPECT_FALSE(MoveMarkedRows(ctx, 0, false, true));
    EXPECT_EQ(Dump(), before);
    // Current and unmarked, a top row stays too.
    model.SetMarked(0, false);
    model.SetCurrentRow(0);
    EXPECT_EQ(DeleteMarkedRows(ctx, true, true), 0);
    EXPECT_EQ(Dump(), before);
    EXPECT_EQ(bin.Count(), 0);
}

TEST_F(Hoisted, ASiblingOfATopRowGoesUnderIt) {
    ctx.TreeMode = true;
    model.SetCurrentRow(0);
    TInsertResult r = InsertTopicItems(ctx, TItemArray(1), 1, true, -1);
    ASSERT_EQ(r.Inserted, 1);
    ASSERT_EQ(r.FirstRow, 1);
    EXPECT_EQ(model.Level(1), 1);
    Name(1, "n");
    EXPECT_EQ(Dump(), DumpOf("a b(b1(n)) c(c1)"));
    EXPECT_EQ(trail.GetHoistedNodes()[0].ChildNest, uint32_t(model.ChildNest(0)));
}

// ---- finding and checking ----

TEST_F(Edits, FindItemRowLooksAmongSiblings) {
    Open("a(b c) d", true);
    EXPECT_EQ(FindItemRow(model, ItemOf("c"), Row("b")), Row("c"));
    EXPECT_EQ(FindItemRow(model, ItemOf("d"), Row("b")), -1);
    EXPECT_EQ(FindItemRow(model, ItemOf("d"), -1), Row("d"));
    EXPECT_EQ(FindItemRow(model, ItemOf("c"), -1), -1);
}

TEST_F(Edits, ValidateTrailFollowsTheFile) {
    Open("a(b c) d", true);
    trail.Add(model.RootNest, 0, false, "stored", ItemOf("a"));
    const TNode c = model.GetNode(Row("c"));
    trail.Add(c.ParentNest, c.Index, false, "stored", c.Item());
    TCards cards;
    cards.SetCardFile(pair->dsc.get());
    ASSERT_TRUE(ValidateTrail(pair->kiv.get(), cards, trail));
    EXPECT_EQ(trail.GetCaption(0), "a");
    EXPECT_EQ(trail.GetCaption(1), "c");

    Current("b");
    DeleteMarkedRows(ctx, false, true);  // c moves to index 0
    ASSERT_TRUE(ValidateTrail(pair->kiv.get(), cards, trail));
    EXPECT_EQ(trail.GetNode(1).Index, 0u);

    Current("c");
    DeleteMarkedRows(ctx, false, true);
    EXPECT_FALSE(ValidateTrail(pair->kiv.get(), cards, trail));
    EXPECT_EQ(trail.Count(), 0);

    // A stored address that names no nest is not found, not an error.
    trail.Add(uint32_t(pair->kiv->Size()) + 1000, 0, false, "stored", {5, 0});
    EXPECT_FALSE(ValidateTrail(pair->kiv.get(), cards, trail));
    EXPECT_FALSE(ValidateTrail(pair->kiv.get(), cards, trail));  // an empty trail is not valid
}

TEST_F(Edits, ValidateTrailFindsATopicThatGotChildrenByItsCards) {
    Open("a b");
    const TNode b = model.GetNode(Row("b"));
    trail.Add(b.ParentNest, 5, false, "stored", b.Item());         // index out of date
    InsertTopicItems(ctx, TItemArray(1), Row("b") + 1, false, 0);  // b gets a child nest
    TCards cards;
    cards.SetCardFile(pair->dsc.get());
    ASSERT_TRUE(ValidateTrail(pair->kiv.get(), cards, trail));
    EXPECT_EQ(trail.GetNode(0).Index, 1u);
    EXPECT_EQ(trail.GetNode(0).ChildNest, uint32_t(model.ChildNest(Row("b"))));
}

}  // namespace
