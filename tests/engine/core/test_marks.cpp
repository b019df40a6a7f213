// The Threads and QuickJumps blob of datastructure-level card 6.
#include <gtest/gtest.h>

#include <string>

#include "engine/core/Cards.h"
#include "engine/core/Marks.h"
#include "engine/core/OutlineEdits.h"
#include "platform/core/KivStrings.h"
#include "tests/engine/core/TreeFixture.h"

namespace kiv {
namespace {

void AddTrail(TQuickJump& list, std::initializer_list<uint32_t> nests) {
    TNavigatorPtr t = list.AddNavigator();
    uint32_t i = 0;
    for (uint32_t n : nests) t->Add(n, i++, false, "c", TNestItem{n + 100, n + 200});
}

TEST(Marks, EmptyListsAreTheSeparatorAlone) {
    TQuickJump threads, quick;
    const std::string blob = SerializeMarks(threads, quick);
    EXPECT_EQ(blob, std::string(kMarksListSeparator));
    EXPECT_EQ(blob,
              std::string("\x01\x01\x01\x01\xFE\xFF\xFF\xFF\x01\x01\x01\x01\x01\x01\x01\x01", 16));
    AddTrail(threads, {8});
    DeserializeMarks(blob, threads, quick, nullptr);
    EXPECT_EQ(threads.Count(), 1) << "an empty part leaves its list as it is";
    EXPECT_EQ(quick.Count(), 0);
}

TEST(Marks, SeparatorAfterTheThreadsAndRoundTrip) {
    TQuickJump threads, quick;
    AddTrail(threads, {8, 40});  // two nodes and the trail's closing record: 48 bytes
    AddTrail(quick, {8});
    AddTrail(quick, {8, 40, 90});
    const std::string blob = SerializeMarks(threads, quick);
    ASSERT_EQ(blob.size(), 48u + 16u + 32u + 64u);
    EXPECT_EQ(blob.substr(48, 16), std::string(kMarksListSeparator));

    TQuickJump t2, q2;
    DeserializeMarks(blob, t2, q2, nullptr);
    ASSERT_EQ(t2.Count(), 1);
    ASSERT_EQ(q2.Count(), 2);
    EXPECT_EQ(t2.Navigator(0)->Count(), 2);
    EXPECT_EQ(t2.Navigator(0)->GetNode(1).ParentNest, 40u);
    EXPECT_EQ(q2.Navigator(1)->GetNode(2).CardDir, 190u);
    EXPECT_EQ(SerializeMarks(t2, q2), blob);
}

TEST(Marks, OneThreadOfTwoNodesIsSixtyFourBytes) {
    TQuickJump threads, quick;
    TNavigatorPtr t = threads.AddNavigator();
    t->Add(0x11, 2, false, "a", TNestItem{0x33, 0x44});
    t->Add(0x44, 0, false, "b", TNestItem{0x55, 0});
    const std::string expected =
        std::string("\x11\0\0\0\x02\0\0\0\x33\0\0\0\x44\0\0\0", 16) +
        std::string("\x44\0\0\0\0\0\0\0\x55\0\0\0\0\0\0\0", 16) + std::string(16, '\x01') +
        std::string("\x01\x01\x01\x01\xFE\xFF\xFF\xFF\x01\x01\x01\x01\x01\x01\x01\x01", 16);
    EXPECT_EQ(SerializeMarks(threads, quick), expected);
}

TEST(Marks, ADamagedTailIsLeftOut) {
    TQuickJump threads, quick;
    AddTrail(quick, {8, 40});
    const std::string whole = SerializeMarks(threads, quick);
    struct Case {
        const char* name;
        std::string blob;
        int quickJumps, nodes;
    } cases[] = {
        {"whole", whole, 1, 2},
        {"seven bytes more", whole + std::string(7, '\x09'), 1, 2},
        {"the closing record cut", whole.substr(0, whole.size() - 3), 1, 2},
        {"the second node cut", whole.substr(0, 16 + 16 + 5), 1, 1},
    };
    for (const Case& c : cases) {
        TQuickJump t2, q2;
        const TMarksRead r = DeserializeMarks(c.blob, t2, q2, nullptr);
        EXPECT_TRUE(r.Split) << c.name;
        ASSERT_EQ(q2.Count(), c.quickJumps) << c.name;
        EXPECT_EQ(q2.Navigator(0)->Count(), c.nodes) << c.name;
    }
}

TEST(Marks, BlobWithoutSeparatorOnABlockBoundaryChangesNothing) {
    TQuickJump threads, quick;
    AddTrail(threads, {8});
    AddTrail(quick, {8});
    // The separator bytes shifted by one: not on a 16-byte boundary.
    std::string blob = "x" + std::string(kMarksListSeparator) + std::string(15, '\0');
    DeserializeMarks(blob, threads, quick, nullptr);
    EXPECT_EQ(threads.Count(), 1);
    EXPECT_EQ(quick.Count(), 1);
    DeserializeMarks(std::string(), threads, quick, nullptr);
    EXPECT_EQ(threads.Count(), 1);
    // A tail shorter than a block takes no part in the search.
    DeserializeMarks(std::string(kMarksListSeparator).substr(0, 15), threads, quick, nullptr);
    EXPECT_EQ(quick.Count(), 1);
}

TEST(Marks, RefusedTrailsAreDropped) {
    TQuickJump threads, quick, t2, q2;
    AddTrail(threads, {8});
    AddTrail(threads, {9});
    AddTrail(quick, {9, 10});
    AddTrail(quick, {8, 11});
    const std::string blob = SerializeMarks(threads, quick);
    const TMarksRead r =
        DeserializeMarks(blob, t2, q2, [](TNavigator& t) { return t.GetNode(0).ParentNest != 9; });
    EXPECT_EQ(r.ThreadsDropped, 1);
    EXPECT_EQ(r.QuickJumpsDropped, 1);
    ASSERT_EQ(t2.Count(), 1);
    EXPECT_EQ(t2.Navigator(0)->GetNode(0).ParentNest, 8u);
    ASSERT_EQ(q2.Count(), 1);
    EXPECT_EQ(q2.Navigator(0)->GetNode(1).ParentNest, 11u);
    EXPECT_EQ(q2.CurrentIndex(), 0);
}

// A trail to the topic at the child indexes from the root, as the window makes it.
void AddTopicTrail(test::TreePair& pair, TQuickJump& list, std::initializer_list<int> steps) {
    TNavigatorPtr t = list.AddNavigator();
    uint32_t nest = ReadRootNest(pair.kiv.get());
    for (int step : steps) {
        TNestItem item;
        ASSERT_TRUE(GetNestItem(pair.kiv.get(), nest, step, item));
        t->Add(nest, uint32_t(step), false, "stale", item);
        nest = item.ChildNest;
    }
}

void StoreMarks(test::TreePair& pair, const TQuickJump& threads, const TQuickJump& quick) {
    TDBCards db;
    db.SetCardFile(pair.dsc.get());
    db.LoadDirAddress();
    ASSERT_TRUE(db.WriteCard(kDBCardMarks, SerializeMarks(threads, quick)));
}

TEST(Marks, DumpNamesEachMarkByItsCaptionsAndCountsTheGone) {
    test::TreePair pair("alpha(beta \"gamma delta\") epsilon(zeta(eta) theta)");
    TQuickJump threads, quick;
    AddTopicTrail(pair, threads, {0, 1});
    AddTopicTrail(pair, threads, {1});
    AddTopicTrail(pair, quick, {1, 0, 0});
    AddTopicTrail(pair, quick, {0});
    StoreMarks(pair, threads, quick);
    EXPECT_EQ(
        DumpMarks(pair.kiv.get(), pair.dsc.get()),
        "Threads\n  0. alpha / gamma delta\n  1. epsilon\nQuickJumps\n  0. epsilon / zeta / eta\n  1. alpha\n");

    // beta's removal moves "gamma delta" to index 0: the trail follows it. zeta's removal
    // takes eta out of the outline: that QuickJump is gone, though eta's nest is still there.
    TNester m;
    pair.Attach(m);
    m.LoadBranch(-1, false);
    TItemArray alphaKids, epsilonKids;
    ReadNestItems(pair.kiv.get(), m.GetItem(0).ChildNest, alphaKids);
    alphaKids.erase(alphaKids.begin());
    WriteNestItems(pair.kiv.get(), m.GetItem(0).ChildNest, alphaKids);
    ReadNestItems(pair.kiv.get(), m.GetItem(1).ChildNest, epsilonKids);
    epsilonKids.erase(epsilonKids.begin());
    WriteNestItems(pair.kiv.get(), m.GetItem(1).ChildNest, epsilonKids);
    EXPECT_EQ(
        DumpMarks(pair.kiv.get(), pair.dsc.get()),
        "Threads\n  0. alpha / gamma delta\n  1. epsilon\nQuickJumps\n  0. alpha\n  dropped: 1\n");
}

}  // namespace
}  // namespace kiv
