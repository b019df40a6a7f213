// The Threads and QuickJumps blob of datastructure-level card 6.
#include <gtest/gtest.h>

#include <string>

#include "engine/core/Marks.h"
#include "platform/core/KivStrings.h"

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
    EXPECT_EQ(blob, std::string("\x01\x01\x01\x01\xFE\xFF\xFF\xFF\x01\x01\x01\x01\x01\x01\x01\x01", 16));
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
    DeserializeMarks(blob, t2, q2, [](TNavigator& t) { return t.GetNode(0).ParentNest != 9; });
    ASSERT_EQ(t2.Count(), 1);
    EXPECT_EQ(t2.Navigator(0)->GetNode(0).ParentNest, 8u);
    ASSERT_EQ(q2.Count(), 1);
    EXPECT_EQ(q2.Navigator(0)->GetNode(1).ParentNest, 11u);
    EXPECT_EQ(q2.CurrentIndex(), 0);
}

}  // namespace
}  // namespace kiv
