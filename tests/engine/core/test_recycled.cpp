// The store of removed topics: records paired with trails, both string forms, damaged strings.
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "engine/core/Cards.h"
#include "engine/core/RecycledBin.h"
#include "platform/core/BlockFile.h"
#include "platform/core/KivStrings.h"
#include "tests/engine/core/ExactBytes.h"

using namespace kiv;

namespace {

std::string Old(uint32_t parent, uint32_t dir, uint32_t child) {
    std::string s;
    AppendU32(s, parent);
    AppendU32(s, dir);
    AppendU32(s, child);
    return s;
}

// Adds a record with its trail, as the structural edits do.
void Recycle(TRecycledBin& bin, uint32_t parent, uint32_t index, uint32_t dir, uint32_t child) {
    bin.Add({parent, dir, child});
    TNavigatorPtr trail = bin.Trails.AddNavigator();
    trail->Add(8, 0, false, "top", {50, parent});
    trail->Add(parent, index, false, "topic", {dir, child});
}

TEST(RecycledBin, OldFormStaysOldUntilATrailExists) {
    TRecycledBin bin;
    bin.LoadFromString(Old(8, 100, 0) + Old(16, 200, 300) + "x");  // 25 bytes
    ASSERT_EQ(bin.Count(), 2);
    EXPECT_EQ(bin.GetItem(1), (TRecycledRecord{16, 200, 300}));
    EXPECT_EQ(bin.Trails.Count(), 0);
    EXPECT_EQ(bin.SaveToString(), Old(8, 100, 0) + Old(16, 200, 300));

    Recycle(bin, 40, 3, 400, 0);
    const std::string s = bin.SaveToString();
    EXPECT_EQ(s.substr(0, 16), std::string(16, '\xFF'));
    EXPECT_EQ(s.substr(16), bin.Trails.SaveToString());
}

TEST(RecycledBin, NewFormRebuildsRecordsFromTheTrails) {
    TRecycledBin bin;
    Recycle(bin, 24, 1, 100, 0);
    Recycle(bin, 32, 0, 200, 0xFFFFFFFF);
    TRecycledBin back;
    back.LoadFromString(bin.SaveToString());
    ASSERT_EQ(back.Count(), 2);
    ASSERT_EQ(back.Trails.Count(), 2);
    EXPECT_EQ(back.GetItem(0), (TRecycledRecord{24, 100, 0}));
    EXPECT_EQ(back.GetItem(1), (TRecycledRecord{32, 200, 0xFFFFFFFF}));
    EXPECT_EQ(back.Trails.Navigator(1)->Count(), 2);
    EXPECT_EQ(back.SaveToString(), bin.SaveToString());

    back.LoadFromString("");
    EXPECT_EQ(back.Count(), 0);
    EXPECT_EQ(back.Trails.Count(), 0);
}

TEST(RecycledBin, RecordsAndTrailsStayPaired) {
    TRecycledBin bin;
    Recycle(bin, 24, 0, 100, 0);
    Recycle(bin, 24, 1, 200, 0);
    Recycle(bin, 24, 2, 300, 0);
    bin.Delete(2);
    EXPECT_EQ(bin.Count(), 2);
    EXPECT_EQ(bin.Trails.Count(), 2);
    bin.Delete(0);
    EXPECT_EQ(bin.GetItem(0).CardDir, 200u);
    EXPECT_EQ(bin.Trails.Navigator(0)->GetNode(1).CardDir, 200u);
    bin.Delete(5);
    EXPECT_EQ(bin.Count(), 1);
    EXPECT_EQ(bin.GetItem(5), TRecycledRecord{});

    // Records without trails (old form): deleting one touches no trail.
    bin.Add({1, 2, 3});
    bin.Delete(1);
    EXPECT_EQ(bin.Count(), 1);
    EXPECT_EQ(bin.Trails.Count(), 1);
    bin.Clear();
    EXPECT_EQ(bin.Count(), 0);
    EXPECT_EQ(bin.Trails.Count(), 0);
}

TEST(RecycledBin, IndexOfMatchesByBytesOrByOneNonZeroAddress) {
    TRecycledBin bin;
    bin.Add({8, 100, 0});
    bin.Add({16, 0, 500});
    bin.Add({24, 0, 0});
    EXPECT_EQ(bin.IndexOf({99, 100, 77}), 0);  // card directory alone
    EXPECT_EQ(bin.IndexOf({99, 0, 500}), 1);   // child nest alone
    EXPECT_EQ(bin.IndexOf({24, 0, 0}), 2);     // byte for byte
    EXPECT_EQ(bin.IndexOf({99, 0, 0}), -1);    // zero addresses match nothing
    EXPECT_EQ(bin.IndexOf({8, 101, 1}), -1);
}

TEST(RecycledBin, ItemCaptionDropsThePrefixAndShortens) {
    MemoryBlockFile file;
    InitCardFile(&file);
    TCards cards;
    cards.SetCardFile(&file);
    uint32_t plain = 0, prefixed = 0, late = 0;
    ASSERT_TRUE(cards.WriteCard(kCardCaption, plain, std::string(40, 'p')));
    ASSERT_TRUE(cards.WriteCard(kCardCaption, prefixed,
                                MakeCaptionPrefix(0x0000FF, kFlagBold) + "red topic"));
    ASSERT_TRUE(cards.WriteCard(kCardCaption, late,
                                "eleven char\x01tail"));  // 0x01 past the tenth character

    TRecycledBin bin;
    bin.Add({8, plain, 0});
    bin.Add({8, prefixed, 0});
    bin.Add({8, late, 0});
    bin.Add({8, 0, 0});
    EXPECT_EQ(bin.ItemCaption(0, cards), std::string(35, 'p') + "...");
    EXPECT_EQ(bin.ItemCaption(1, cards), "red topic");
    EXPECT_EQ(bin.ItemCaption(2, cards), "eleven char\x01tail");
    EXPECT_EQ(bin.ItemCaption(3, cards), "[untitled]");
    EXPECT_EQ(bin.ItemCaption(9, cards), "[untitled]");
}

TEST(RecycledBin, DamagedStringsAreReadAsFarAsTheyAreWhole) {
    TRecycledBin full;
    Recycle(full, 24, 1, 100, 0);
    const std::string newForm = full.SaveToString();  // marker, two records, separator: 64
    const std::string oldForm = Old(8, 1, 2) + Old(8, 3, 4) + Old(8, 5, 6) + Old(8, 7, 8);
    for (size_t len = 0; len <= 40; ++len) {
        SCOPED_TRACE(len);
        {
            ExactBytes b(oldForm.substr(0, len));
            TRecycledBin bin;
            bin.LoadFromString(b.View());
            EXPECT_EQ(size_t(bin.Count()), len / 12);
            EXPECT_EQ(bin.Trails.Count(), 0);
        }
        {
            ExactBytes b(newForm.substr(0, len));
            TRecycledBin bin;
            bin.LoadFromString(b.View());
            if (len >= 16) {
                // The marker read; whole node records after it form one trail.
                EXPECT_EQ(bin.Trails.Count(), len >= 32 ? 1 : 0);
                EXPECT_EQ(bin.Count(), bin.Trails.Count());
                if (len >= 32) {
                    EXPECT_EQ(bin.Trails.Navigator(0)->Count(), 1);
                    EXPECT_EQ(bin.GetItem(0),
                              (TRecycledRecord{8, 50, 24}));  // the trail's node so far
                }
            } else {
                EXPECT_EQ(size_t(bin.Count()), len / 12);  // too short for the marker: old form
            }
        }
    }
}

TEST(RecycledBin, TwoStoresForTheRun) {
    EXPECT_NE(&RecycledBin(), &LostBin());
    EXPECT_EQ(&RecycledBin(), &RecycledBin());
}

}  // namespace
