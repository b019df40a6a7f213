#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "engine/core/Cards.h"
#include "engine/core/NestFunctions.h"
#include "engine/core/Nester.h"
#include "engine/core/OutlineEdits.h"
#include "platform/core/KivError.h"
#include "tests/engine/core/CloneChain.h"
#include "tests/engine/core/TreeFixture.h"

using namespace kiv;
using kiv::test::RowsText;
using kiv::test::TreePair;

namespace {

class Outline : public ::testing::Test {
protected:
    // a         row 0
    //   b       (children shown after Expand(0))
    //   c
    //     c1
    // d
    // e
    //   e1
    explicit Outline(std::string_view tree = "a(b c(c1)) d e(e1)") : pair(tree) {
        pair.Attach(model);
        model.LoadBranch(-1, false);
    }
    std::string CaptionCard(int row) {
        std::string card;
        model.Cards().ReadRowCard(kCardCaption, row, card);
        return card;
    }
    // A second model over the same files sees only what was stored.
    std::string Reloaded(bool expandAll = false) {
        TNester fresh;
        pair.Attach(fresh);
        fresh.LoadBranch(-1, false);
        if (expandAll)
            for (int i = 0; i < fresh.RowCount(); ++i) fresh.Expand(i);
        return RowsText(fresh);
    }

    TreePair pair;
    TNester model;
};

}  // namespace

TEST_F(Outline, LoadsTopLevelAndExpandsOnce) {
    EXPECT_EQ(RowsText(model), "a\nd\ne\n");
    for (int i = 0; i < model.RowCount(); ++i) EXPECT_EQ(model.ParentNest(i), model.RootNest);
    int changes = 0;
    model.OnChange = [&](TNester* sender) {
        EXPECT_EQ(sender, &model);
        ++changes;
    };
    model.LoadBranch(-1, true);
    EXPECT_EQ(changes, 1);

    model.Expand(0);
    model.Expand(0);  // already expanded: nothing more
    EXPECT_EQ(RowsText(model), "a\n  b\n  c\nd\ne\n");
    EXPECT_TRUE(model.IsExpanded(0));
    EXPECT_EQ(model.ParentNest(1), uint32_t(model.ChildNest(0)));
    model.Expand(2);
    EXPECT_EQ(RowsText(model), "a\n  b\n  c\n    c1\nd\ne\n");
    model.Expand(1);  // no children
    EXPECT_FALSE(model.IsExpanded(1));

    model.Collapse(0);
    EXPECT_EQ(RowsText(model), "a\nd\ne\n");
    EXPECT_FALSE(model.IsExpanded(0));
    model.Collapse(1);  // not expanded: nothing
    EXPECT_EQ(model.RowCount(), 3);

    // LoadBranch of a row inserts its children below it.
    model.LoadBranch(2, false);
    EXPECT_EQ(RowsText(model), "a\nd\ne\n  e1\n");
}

TEST(OutlineEmpty, RootNestZeroLeavesTheModelEmpty) {
    TreePair pair("");
    TNester model;
    pair.Attach(model);
    EXPECT_EQ(model.RootNest, 0u);
    model.LoadBranch(-1, false);
    EXPECT_EQ(model.RowCount(), 0);
    EXPECT_EQ(model.Cards().RowCardDir(0), 1u);
    std::string text = "x";
    model.Cards().ReadRowCard(kCardCaption, 0, text);
    EXPECT_EQ(text, "");
    EXPECT_FALSE(model.Cards().WriteRowCard(kCardCaption, 0, "nowhere"));
    EXPECT_THROW(model.GetRow(0), EKivError);
}

TEST_F(Outline, EditedCaptionIsStoredAndReloaded) {
    model.Expand(0);
    EXPECT_TRUE(
        model.SetCaption(2, "c renamed, longer than the two hundred bytes its first chunk holds " +
                                std::string(200, '.')));
    EXPECT_TRUE(model.SetCaption(0, "A"));
    EXPECT_EQ(model.Caption(0), "A");
    const std::string expected =
        "A\n  b\n  c renamed, longer than the two hundred bytes its first chunk holds " +
        std::string(200, '.') + "\n    c1\nd\ne\n  e1\n";
    EXPECT_EQ(pair.Dump(), expected);
    pair.Reopen();
    EXPECT_EQ(Reloaded(true), expected);
}

TEST_F(Outline, CaptionPrefixRules) {
    struct Case {
        const char* name;
        int32_t color;
        uint8_t flags;
        std::string text;
        std::string card;
    };
    const Case cases[] = {
        {"plain", -1, 0, "x", "x"},
        {"colour", 0xFF, 0, "x", MakeCaptionPrefix(0xFF, 0) + "x"},
        {"style", -1, kFlagBold, "x", MakeCaptionPrefix(-1, 1) + "x"},
        {"empty keeps a lone clone", -1, 0x80, "", MakeCaptionPrefix(-1, 0x80)},
        {"empty keeps a lone lock", 0xFF, 0x40, "", MakeCaptionPrefix(0xFF, 0x40)},
        {"empty loses lock and clone together", -1, 0xC0, "", ""},
        {"empty loses colour", 0xFF, 0, "", ""},
    };
    for (const auto& c : cases) {
        model.SetFontColor(1, c.color);
        TNestPack p = model.GetRow(1);
        p.Flags = c.flags;
        model.SetRow(1, p);
        EXPECT_TRUE(model.SetCaption(1, c.text));
        EXPECT_EQ(CaptionCard(1), c.card) << c.name;
        model.LoadRowCards(1);
        TCaptionCard split = SplitCaptionCard(c.card);
        EXPECT_EQ(model.FontColor(1), split.FontColor) << c.name;
        EXPECT_EQ(model.GetRow(1).Flags, split.Flags) << c.name;
        EXPECT_EQ(model.Caption(1), c.text) << c.name;
    }
}

TEST_F(Outline, FlagSettersKeepTheOtherBits) {
    model.SetLocked(0, true);
    model.SetClone(0, true);
    model.SetFontStyle(0, kFlagBold);
    EXPECT_EQ(model.GetRow(0).Flags, 0xC1);
    EXPECT_TRUE(model.IsLocked(0));
    EXPECT_TRUE(model.IsClone(0));
    EXPECT_EQ(model.GetFontStyle(0), kFlagBold);
    model.SetFontStyle(0, kFlagItalic | kFlagStrikeOut | 0xF0);  // only style bits taken
    EXPECT_EQ(model.GetRow(0).Flags, 0xCA);
    EXPECT_EQ(CaptionCard(0), "a");  // setters write nothing
    EXPECT_TRUE(model.SetCaption(0, "a"));
    EXPECT_EQ(CaptionCard(0), MakeCaptionPrefix(-1, 0xCA) + "a");

    model.SetFontStyle(1, 0);
    model.SetClone(1, true);
    model.SetClone(1, false);
    EXPECT_EQ(model.GetRow(1).Flags, 0);
}

TEST_F(Outline, MarksAndCurrentRow) {
    model.SetCurrentRow(1);
    model.SetMarked(1, true);
    EXPECT_FALSE(model.IsMarked(1));  // the current row cannot be marked
    model.SetMarked(0, true);
    model.SetMarked(2, true);
    EXPECT_EQ(model.GetMarkedRows(false), (TIArray{0, 2}));
    EXPECT_EQ(model.GetMarkedRows(true), (TIArray{0, 1, 2}));
    EXPECT_EQ(model.GetMarkedItems(true).size(), 3u);
    EXPECT_EQ(model.GetMarkedItems(false)[1], model.GetItem(2));
    TNodeArray nodes = model.GetMarkedNodes(true);
    ASSERT_EQ(nodes.size(), 3u);
    EXPECT_EQ(nodes[2].ParentNest, model.RootNest);
    EXPECT_EQ(nodes[2].Index, 2u);
    EXPECT_EQ(nodes[2].Item(), model.GetItem(2));
    model.SetCurrentRow(2);  // becoming current clears the mark
    EXPECT_FALSE(model.IsMarked(2));
    model.SetMarked(0, false);
    EXPECT_TRUE(model.GetMarkedRows(false).empty());

    model.SetMarked(0, true);
    model.UnmarkAll();
    EXPECT_TRUE(model.GetMarkedRows(false).empty());

    model.TagRow(1);
    model.TagRow(2);
    EXPECT_EQ(model.FindTaggedRow(), 2);
    EXPECT_EQ(model.FindTaggedTarget(), -1);
    model.TagTargetRow(0);
    EXPECT_EQ(model.FindTaggedTarget(), 0);
}

TEST_F(Outline, DeletingRowsMovesTheCurrentRow) {
    model.Expand(2);  // a d e e1
    model.SetCurrentRow(3);
    model.DeleteRow(3);  // the only child and current: its parent becomes current
    EXPECT_EQ(model.CurrentRow(), 2);

    model.Expand(0);  // a b c d e
    model.SetCurrentRow(4);
    model.DeleteRow(1);  // above the current row
    EXPECT_EQ(model.CurrentRow(), 3);
    EXPECT_EQ(RowsText(model), "a\n  c\nd\ne\n");
    model.SetCurrentRow(1);
    model.DeleteRow(1);  // current, the only child left: the parent
    EXPECT_EQ(model.CurrentRow(), 0);
    model.SetCurrentRow(1);
    model.DeleteRow(1);  // current with a sibling after it: the index stays
    EXPECT_EQ(model.CurrentRow(), 1);
    EXPECT_EQ(RowsText(model), "a\ne\n");
    model.Clear();
    EXPECT_EQ(model.RowCount(), 0);
    EXPECT_EQ(model.CurrentRow(), 0);
    // The file is not touched by any of it.
    EXPECT_EQ(pair.Dump(), "a\n  b\n  c\n    c1\nd\ne\n  e1\n");
}

TEST_F(Outline, InsertingRowsAboveTheCurrentRowMovesItDown) {
    model.SetCurrentRow(2);  // e
    TItemArray items;
    ReadNestItems(pair.kiv.get(), uint32_t(model.ChildNest(0)), items);  // b c
    model.InsertItemRows(items, -1, true, 1);  // as siblings of a, before d
    EXPECT_EQ(RowsText(model), "a\nb\nc\nd\ne\n");
    EXPECT_EQ(model.CurrentRow(), 4);
    EXPECT_EQ(model.ParentNest(1), model.RootNest);
    EXPECT_EQ(model.Level(2), 0);
}

TEST_F(Outline, SiblingGroups) {
    model.Expand(0);
    model.Expand(2);  // a b c c1 d e
    TBranch top;
    model.GetBranch(4, true, top);
    EXPECT_EQ(top.ParentRow, -1);
    EXPECT_EQ(top.ParentNest, model.RootNest);
    EXPECT_EQ(top.FirstRow, 0);
    EXPECT_EQ(top.LastRow, 5);
    EXPECT_EQ(top.Index, 1);
    EXPECT_EQ(top.Count, 3);
    EXPECT_EQ(top.Items, (TItemArray{model.GetItem(0), model.GetItem(4), model.GetItem(5)}));

    TBranch inner;
    model.GetBranch(2, false, inner);
    EXPECT_EQ(inner.ParentRow, 0);
    EXPECT_EQ(inner.ParentItem, model.GetItem(0));
    EXPECT_EQ(inner.ParentNest, uint32_t(model.ChildNest(0)));
    EXPECT_EQ(inner.Level, 1);
    EXPECT_EQ(inner.FirstRow, 1);
    EXPECT_EQ(inner.LastRow, 2);
    EXPECT_EQ(inner.Index, 1);
    EXPECT_EQ(inner.Count, 2);
    EXPECT_TRUE(inner.Items.empty());
    EXPECT_EQ(model.SiblingIndex(2), 1);

    TBranch none;
    model.GetBranch(99, true, none);
    EXPECT_EQ(none.ParentRow, -1);
    EXPECT_EQ(none.LastRow, -1);
    EXPECT_EQ(none.Index, -1);

    struct Case {
        int row;
        bool toEnd;
        int next;
        int prev;
    };
    const Case cases[] = {
        {0, false, 4, -1},  {1, false, 2, -1}, {2, false, -1, 1}, {2, true, 4, 1},
        {3, true, 4, -1},   {4, false, 5, 0},  {5, false, -1, 4}, {5, true, 6, 4},
        {-1, true, -1, -1}, {6, true, -1, -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(model.NextSibling(c.row, c.toEnd), c.next) << c.row;
        EXPECT_EQ(model.PrevSibling(c.row), c.prev) << c.row;
    }
    EXPECT_EQ(model.GetSiblingItems(1), (TItemArray{model.GetItem(1), model.GetItem(2)}));
    EXPECT_EQ(model.GetSiblingItems(-1).size(), 6u);
}

TEST_F(Outline, MarkedSubtreesAreTakenOnce) {
    model.Expand(0);
    model.Expand(2);  // a b c c1 d e
    model.SetCurrentRow(5);
    model.SetMarked(2, true);
    model.SetMarked(3, true);  // inside c's sub-tree
    EXPECT_EQ(model.GetSubtreeRows(2).size(), 2u);
    TNestPackArray subs = model.GetMarkedSubtrees(true, true);
    ASSERT_EQ(subs.size(), 3u);
    EXPECT_EQ(subs[0].Caption, "c");
    EXPECT_EQ(subs[0].Level, 0);
    EXPECT_EQ(subs[0].NestIndex, 1);
    EXPECT_EQ(subs[1].Caption, "c1");
    EXPECT_EQ(subs[1].Level, 1);
    EXPECT_EQ(subs[1].NestIndex, -1);
    EXPECT_EQ(subs[2].Caption, "e");
    EXPECT_EQ(subs[2].NestIndex, 2);
    EXPECT_EQ(model.GetMarkedSubtrees(false, false).size(), 2u);
}

TEST_F(Outline, RemovingMarkedRowsOfABranch) {
    model.Expand(0);  // a b c d e
    model.SetCurrentRow(3);
    model.SetMarked(0, true);
    model.SetMarked(1, true);  // another branch: stays
    TBranch branch;
    model.RemoveMarkedRows(true, 4, branch);
    EXPECT_EQ(RowsText(model), "  b\n  c\ne\n");
    EXPECT_EQ(branch.Modified, 1);
    EXPECT_EQ(branch.LastRow, 2);
    ASSERT_EQ(branch.Items.size(), 1u);
    EXPECT_EQ(branch.Items[0], model.GetItem(2));
    EXPECT_EQ(pair.Dump(), "a\n  b\n  c\n    c1\nd\ne\n  e1\n");  // rows only

    TNester all;
    pair.Attach(all);
    all.LoadBranch(-1, false);
    all.Expand(0);
    all.SetCurrentRow(4);
    all.SetMarked(1, true);
    all.SetMarked(3, true);
    TBranch unused;
    all.RemoveMarkedRows(true, -1, unused);
    EXPECT_EQ(RowsText(all), "a\n  c\n");
}

TEST_F(Outline, SavedSiblingOrderIsWhatAReloadShows) {
    // Swap d and e in the rows, then store the group.
    TNestPack d = model.GetRow(1), e = model.GetRow(2);
    model.SetRow(1, e);
    model.SetRow(2, d);
    int changes = 0;
    model.OnChange = [&](TNester*) { ++changes; };
    model.SetCurrentRow(1);
    model.SaveSiblingItems(-1, true);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(pair.Dump(), "a\n  b\n  c\n    c1\ne\n  e1\nd\n");
    EXPECT_EQ(Reloaded(), "a\ne\nd\n");
}

TEST_F(Outline, FirstCardOfANewTopicWritesItsItemBack) {
    // A topic without cards, as a structural insert leaves it.
    AddNestItems(pair.kiv.get(), model.RootNest, TItemArray{TNestItem{}});
    model.LoadBranch(-1, false);
    ASSERT_EQ(model.RowCount(), 4);
    EXPECT_EQ(model.CardDir(3), 0u);
    EXPECT_TRUE(model.SetCaption(3, "new"));
    EXPECT_NE(model.CardDir(3), 0u);
    TNestItem stored;
    ASSERT_TRUE(GetNestItem(pair.kiv.get(), model.RootNest, 3, stored));
    EXPECT_EQ(stored, model.GetItem(3));
    EXPECT_EQ(Reloaded(), "a\nd\ne\nnew\n");
}

// A caller storing a flag change passes the row's own caption back; the store must not read
// the caption it is replacing. Captions past 15 bytes live on the heap, where it shows.
TEST_F(Outline, SettersTakeTheRowsOwnText) {
    const std::string caption = "a caption well past the short-string buffer";
    ASSERT_TRUE(model.SetCaption(0, caption));
    model.SetLocked(0, true);
    ASSERT_TRUE(model.SetCaption(0, model.Caption(0)));
    EXPECT_EQ(model.Caption(0), caption);
    EXPECT_EQ(CaptionCard(0), MakeCaptionPrefix(-1, kFlagLocked) + caption);

    TLaunchList& links = model.LaunchList();
    const std::string link =
        "/far/away/and/long/enough/document.txt\x01"
        "Document\r\n";
    ASSERT_TRUE(links.SetLinks(1, link));
    ASSERT_TRUE(links.SetLinks(1, model.GetRow(1).Links));
    EXPECT_EQ(links.GetLinks(1), link);
    model.LoadRowCards(1);
    EXPECT_EQ(model.GetRow(1).Links, link);
}

TEST_F(Outline, CaptionNotStoredOnAFullDiskStaysAsStored) {
    MemoryBlockFile disk(pair.dsc->ReadAll());
    model.SetCardFile(&disk);
    disk.FailGrowthPast(disk.Size());
    const std::string before = disk.Bytes();
    EXPECT_THROW((void)model.SetCaption(0, std::string(300, 'x')), EFileError);
    EXPECT_EQ(model.Caption(0), "a");
    EXPECT_EQ(disk.Bytes(), before);
    EXPECT_TRUE(model.SetCaption(0, "short"));  // fits in place
    EXPECT_EQ(model.Caption(0), "short");
}

// A topic's first card makes a directory that only the topic's item can name: when the
// row's slot holds another topic, nothing is written and the store says so.
TEST_F(Outline, FirstCardIsRefusedWhenNoItemWouldNameIt) {
    // A topic with children but no cards yet (an all-zero item would match any slot).
    AddNestItems(pair.kiv.get(), model.RootNest,
                 TItemArray{TNestItem{0, AppendEmptyNest(pair.kiv.get())}});
    model.LoadBranch(-1, false);
    ASSERT_EQ(model.CardDir(3), 0u);
    // The nest is rewritten behind the model's back: slot 3 now holds "a".
    TItemArray items;
    ReadNestItems(pair.kiv.get(), model.RootNest, items);
    WriteNestItems(pair.kiv.get(), model.RootNest,
                   TItemArray{items[3], items[1], items[2], items[0]});
    const std::string cardsBefore = pair.dsc->ReadAll(), nestsBefore = pair.kiv->ReadAll();
    EXPECT_FALSE(model.SetCaption(3, "new"));
    EXPECT_FALSE(model.Cards().WriteRowCard(kCardText, 3, "text"));
    EXPECT_FALSE(model.Cards().AppendRowCard(3, kCardText, "text"));
    EXPECT_FALSE(model.LaunchList().AddLinks(3, "/x\x01X"));
    EXPECT_EQ(model.CardDir(3), 0u);
    EXPECT_EQ(pair.dsc->ReadAll(), cardsBefore);
    EXPECT_EQ(pair.kiv->ReadAll(), nestsBefore);
}

TEST_F(Outline, SaveRowItemRefusesASlotHoldingAnotherTopic) {
    TItemArray items;
    ReadNestItems(pair.kiv.get(), model.RootNest, items);
    // Someone reordered the nest behind this model's back.
    WriteNestItems(pair.kiv.get(), model.RootNest, TItemArray{items[2], items[0], items[1]});
    TNestItem changed = model.GetItem(0);
    changed.ChildNest = 0;
    model.SetItem(0, changed);
    EXPECT_FALSE(model.SaveRowItem(0));
    TItemArray after;
    ReadNestItems(pair.kiv.get(), model.RootNest, after);
    EXPECT_EQ(after, (TItemArray{items[2], items[0], items[1]}));

    // With a stored nest index the row finds its slot again.
    model.SetNestIndex(0, 1);
    EXPECT_TRUE(model.SaveRowItem(0));
    ReadNestItems(pair.kiv.get(), model.RootNest, after);
    EXPECT_EQ(after[1], changed);

    model.ReloadRowItem(2);  // e's row takes what its slot holds now
    EXPECT_EQ(model.Caption(2), "d");
}

TEST_F(Outline, RowCardsCarryLinksAndTextFlag) {
    const std::string link = pair.Home() +
                             "doc.txt\x01"
                             "Doc\r\n";
    ASSERT_TRUE(model.Cards().WriteRowCard(kCardLaunch, 1, link));
    ASSERT_TRUE(model.Cards().WriteRowCard(kCardText, 1, std::string(5000, 'T')));
    model.LoadRowCards(1);
    EXPECT_EQ(model.GetRow(1).Links, link);
    EXPECT_TRUE(model.HasText(1));
    EXPECT_FALSE(model.HasText(0));
    std::string raw;
    TCardArray entries;
    ReadCardDirectory(pair.dsc.get(), model.CardDir(1), entries);
    ReadCardOfKind(pair.dsc.get(), entries, kCardLaunch, raw);
    EXPECT_EQ(raw,
              "||doc.txt\x01"
              "Doc\r\n");
}

TEST_F(Outline, LaunchListLines) {
    TLaunchList& links = model.LaunchList();
    EXPECT_TRUE(links.AddLinks(0, pair.Home() + "one.txt\x01One"));
    EXPECT_EQ(links.GetLinks(0), pair.Home() + "one.txt\x01One\r\n");  // no leading break
    EXPECT_TRUE(links.AddLinks(0, "just text"));
    EXPECT_TRUE(links.AddLinks(0, pair.Home() + "three\x01Three\r\n"));
    EXPECT_EQ(links.Count(0), 3);
    EXPECT_EQ(links.GetPath(0, 0), pair.Home() + "one.txt");
    EXPECT_EQ(links.GetPath(0, 1), "");  // no 0x01
    EXPECT_EQ(links.GetPath(0, 7), "");
    std::string raw;
    TCardArray entries;
    ReadCardDirectory(pair.dsc.get(), model.CardDir(0), entries);
    ReadCardOfKind(pair.dsc.get(), entries, kCardLaunch, raw);
    EXPECT_EQ(raw, "||one.txt\x01One\r\njust text\r\n||three\x01Three\r\n");

    EXPECT_TRUE(links.DeleteLink(0, 1));
    EXPECT_EQ(links.Count(0), 2);
    model.LoadRowCards(0);
    EXPECT_EQ(links.GetLinks(0),
              pair.Home() + "one.txt\x01One\r\n" + pair.Home() + "three\x01Three\r\n");
    EXPECT_TRUE(links.SetLinks(0, ""));
    EXPECT_EQ(links.Count(0), 0);
}

TEST_F(Outline, WalkVisitsPreOrderFromAnItem) {
    struct Visit {
        std::string caption;
        int depth;
        int index;
    };
    auto walk = [&](uint32_t nest, int index, int stopAfter) {
        std::vector<Visit> seen;
        bool stopped = false;
        TCards cards;
        cards.SetCardFile(pair.dsc.get());
        model.WalkNestItems(nest, index, stopped,
                            [&](uint32_t, int i, const TNestItem& item, int depth) {
                                std::string c;
                                cards.ReadCaption(item.CardDir, c);
                                seen.push_back({c, depth, i});
                                return int(seen.size()) != stopAfter;
                            });
        std::string out;
        for (const auto& v : seen)
            out += std::to_string(v.depth) + v.caption + std::to_string(v.index) + " ";
        return std::make_pair(out, stopped);
    };
    EXPECT_EQ(walk(model.RootNest, -1, -1),
              std::make_pair(std::string("0a0 1b0 1c1 2c10 0d1 0e2 1e10 "), false));
    EXPECT_EQ(walk(model.RootNest, 2, -1), std::make_pair(std::string("0e2 1e10 "), false));
    EXPECT_EQ(walk(model.RootNest, 0, -1).first, "0a0 1b0 1c1 2c10 ");
    EXPECT_EQ(walk(model.RootNest, -1, 3), std::make_pair(std::string("0a0 1b0 1c1 "), true));
    EXPECT_EQ(walk(0, -1, -1).first, "");
}

TEST_F(Outline, WalkEndsOnANestThatContainsItself) {
    // c1 becomes a clone of a: its child nest is a's own, so a's sub-tree holds itself.
    model.Expand(0);
    model.Expand(2);  // a b c c1 d e
    model.SetChildNest(3, model.ChildNest(0));
    ASSERT_TRUE(model.SaveRowItem(3));
    int visits = 0;
    bool stopped = false;
    model.WalkNestItems(model.RootNest, -1, stopped,
                        [&](uint32_t, int, const TNestItem&, int) { return ++visits < 1000; });
    EXPECT_FALSE(stopped);
    EXPECT_EQ(visits, 7);
}

namespace {

// top(L1a L1b) where both level-1 topics share one child nest (L2a L2b), and so on down to
// level depth; probe is a clone of the last level's parent (it shares the deepest nest).
// 2^depth paths run through the file, which holds 2 x depth + 2 topics.
class CloneChain : public ::testing::Test {
protected:
    static constexpr int kDepth = 40;
    CloneChain() : pair("top probe") {
        pair.Attach(model);
        model.LoadBranch(-1, false);
        const test::TCloneChain chain =
            test::AppendCloneChain(pair.kiv.get(), pair.dsc.get(), kDepth);
        deepest = chain.Deepest;
        model.SetChildNest(0, int32_t(chain.Top));
        EXPECT_TRUE(model.SaveRowItem(0));
        model.SetChildNest(1, int32_t(deepest));
        EXPECT_TRUE(model.SaveRowItem(1));
    }
    static std::string Name(int level, int k) { return test::CloneChainCaption(level, k); }
    // Each nest written out once, under its first topic.
    static std::string Dump() {
        std::string out = "top\n";
        for (int level = 1; level <= kDepth; ++level)
            out += std::string(size_t(level) * 2, ' ') + Name(level, 0) + "\n";
        for (int level = kDepth; level >= 1; --level)
            out += std::string(size_t(level) * 2, ' ') + Name(level, 1) + "\n";
        return out + "probe\n";
    }

    TreePair pair;
    TNester model;
    uint32_t deepest = 0;
};

}  // namespace

TEST_F(CloneChain, DumpWritesEachSharedNestOnce) {
    EXPECT_EQ(pair.Dump(), Dump());
    EXPECT_EQ(DumpTreePair(pair.Path()), Dump());
    int visits = 0;
    bool stopped = false;
    model.WalkNestItems(model.RootNest, -1, stopped, [&](uint32_t, int, const TNestItem&, int) {
        ++visits;
        return true;
    });
    EXPECT_EQ(visits, 2 * kDepth + 2);
}

TEST_F(CloneChain, OwnBranchCheckReadsEachNestOnce) {
    const TItemArray top{model.GetItem(0)};
    EXPECT_TRUE(NestInsideItems(pair.kiv.get(), deepest, top));
    EXPECT_FALSE(NestInsideItems(pair.kiv.get(), model.RootNest, top));
    // probe's sub-tree is the deepest nest alone.
    EXPECT_TRUE(NestInsideItems(pair.kiv.get(), deepest, {model.GetItem(1)}));
    EXPECT_FALSE(NestInsideItems(pair.kiv.get(), uint32_t(model.ChildNest(0)), {model.GetItem(1)}));
}

TEST_F(CloneChain, DragIntoACloneOfTheOwnBranchIsRefused) {
    TPanelContext c;
    c.Model = &model;
    // top under probe: probe's children are top's deepest, so top would hold itself.
    model.SetCurrentRow(0);
    EXPECT_FALSE(MoveMarkedRows(c, 1, true, false));
    EXPECT_EQ(pair.Dump(), Dump());
    // The other way round is a plain move: probe becomes top's first child.
    model.SetCurrentRow(1);
    ASSERT_TRUE(MoveMarkedRows(c, 0, true, false));
    const std::string dump = pair.Dump();
    EXPECT_EQ(dump.substr(0, 12), "top\n  probe\n");
    EXPECT_EQ(std::count(dump.begin(), dump.end(), '\n'), 2 * kDepth + 2);
}

TEST_F(Outline, ExternalTopicHasNoChildren) {
    model.SetChildNest(1, -1);
    ASSERT_TRUE(model.SaveRowItem(1));
    model.Expand(1);
    EXPECT_EQ(model.RowCount(), 3);
    model.LoadBranch(-1, false);
    EXPECT_EQ(model.ChildNest(1), -1);
    EXPECT_EQ(pair.Dump(), "a\n  b\n  c\n    c1\nd\ne\n  e1\n");
}

TEST_F(Outline, NodesOfRows) {
    model.Expand(0);
    TNode n = model.GetNode(2);
    EXPECT_EQ(n.ParentNest, uint32_t(model.ChildNest(0)));
    EXPECT_EQ(n.Index, 1u);
    EXPECT_EQ(n.Item(), model.GetItem(2));
    EXPECT_EQ(n.Caption, "c");
    model.SetNode(1, n);
    EXPECT_EQ(model.GetItem(1), n.Item());
    EXPECT_EQ(model.NestIndex(1), 1);
}

namespace {

// Rows of random shape (each row at most one level below the one above it), with random
// marks and a random current row, some of them past the end.
void RandomRows(std::mt19937& rng, TNester& a, TNester& b) {
    const int n = int(rng() % 40);
    int level = 0;
    for (int i = 0; i < n; ++i) {
        level = i == 0 ? 0 : std::max(0, level + int(rng() % 3) - 1 - int(rng() % 2));
        TNestPack p;
        p.CardDir = uint32_t(100 + i);
        p.Level = level;
        a.InsertRow(i, p);
        b.InsertRow(i, p);
    }
    const int current = int(rng() % uint32_t(n + 2));
    a.SetCurrentRow(current);
    b.SetCurrentRow(current);
    for (int i = 0; i < n; ++i)
        if (rng() % 3 == 0) {
            a.SetMarked(i, true);
            b.SetMarked(i, true);
        }
}

std::vector<uint32_t> Dirs(const TNester& m) {
    std::vector<uint32_t> out;
    for (int r = 0; r < m.RowCount(); ++r) out.push_back(m.CardDir(r));
    return out;
}

}  // namespace

// Removing many rows at once leaves the rows and the current row exactly as deleting them
// one by one does, for the whole list and for a sibling group.
TEST(OutlineRemoval, ManyRowsAtOnceAsOneByOne) {
    std::mt19937 rng(20261211);
    for (int round = 0; round < 3000; ++round) {
        TNester fast, slow;
        RandomRows(rng, fast, slow);
        const bool withCurrent = rng() % 2;
        const int row =
            slow.RowCount() == 0 || rng() % 2 ? -1 : int(rng() % uint32_t(slow.RowCount()));
        TBranch branch;
        fast.RemoveMarkedRows(withCurrent, row, branch);

        if (row == -1) {
            TIArray doomed;
            for (int i = 0; i < slow.RowCount(); ++i)
                if (slow.IsMarked(i) || (withCurrent && i == slow.CurrentRow()))
                    doomed.push_back(i);
            int removed = 0;
            for (int i : doomed) slow.DeleteRow(i - removed++);
        } else {
            TBranch b;
            slow.GetBranch(row, false, b);
            if (withCurrent && slow.CurrentRow() >= b.FirstRow && slow.CurrentRow() <= b.LastRow &&
                slow.Level(slow.CurrentRow()) == b.Level) {
                slow.DeleteRow(slow.CurrentRow());
                --b.LastRow;
            }
            for (int i = b.FirstRow; i <= b.LastRow;) {
                if (slow.Level(i) == b.Level && slow.IsMarked(i)) {
                    slow.DeleteRow(i);
                    --b.LastRow;
                    continue;
                }
                ++i;
            }
            EXPECT_EQ(branch.LastRow, b.LastRow) << "round " << round;
        }
        ASSERT_EQ(Dirs(fast), Dirs(slow)) << "round " << round;
        ASSERT_EQ(fast.CurrentRow(), slow.CurrentRow()) << "round " << round;
    }
}

// A row's place among its siblings, counted from the rows above it alone, is the place its
// whole sibling group gives it, for every row of random shapes.
TEST(OutlineRemoval, SiblingIndexIsThePlaceInTheGroup) {
    std::mt19937 rng(20261212);
    for (int round = 0; round < 500; ++round) {
        TNester a, b;
        RandomRows(rng, a, b);
        for (int row = -1; row <= a.RowCount(); ++row) {
            TBranch branch;
            a.GetBranch(row, false, branch);
            ASSERT_EQ(a.SiblingIndex(row), branch.Index) << "round " << round << ", row " << row;
        }
    }
}
