// A level of 100,000 topics in the panels: shown, scrolled, edited, marked and moved, with
// the card file read only for the rows that were looked at.
#include <set>

#include "engine/core/Cards.h"
#include "engine/core/OutlineEdits.h"
#include "tests/engine/panels/PanelsFixture.h"

namespace kiv::paneltest {
namespace {

constexpr int kLevel = 100000;

std::string TopicCaption(int i) { return "Topic " + std::to_string(i); }

class LargeLevel : public PanelsFixture {
protected:
    // "parent" with kLevel children, and "sibling"; the children written straight through
    // the storage routines (a tree text of that size would be the slow part of the test).
    void SetUp() override {
        PanelsFixture::SetUp();
        pair = std::make_unique<test::TreePair>("parent sibling");
        TCards cards;
        cards.SetCardFile(pair->dsc.get());
        TItemArray children(static_cast<size_t>(kLevel));
        for (int i = 0; i < kLevel; ++i)
            ASSERT_TRUE(
                cards.WriteCard(kCardCaption, children[size_t(i)].CardDir, TopicCaption(i)));
        const uint32_t root = ReadRootNest(pair->kiv.get());
        TNestItem parent;
        ASSERT_TRUE(GetNestItem(pair->kiv.get(), root, 0, parent));
        parent.ChildNest = AppendNestBlock(pair->kiv.get(), children);
        ASSERT_TRUE(SetNestItem(pair->kiv.get(), root, 0, parent));
        readsBefore = pair->dsc->ReadCalls();
        Attach();
        level = p[1];
    }

    uint64_t CardReads() const { return pair->dsc->ReadCalls() - readsBefore; }
    void Paint(TKivStringGrid* g) { (void)Shot(g); }

    // The children of "parent" as stored, read anew from the files.
    TItemArray StoredChildren() {
        TItemArray top, items;
        ReadNestItems(pair->kiv.get(), ReadRootNest(pair->kiv.get()), top);
        ReadNestItems(pair->kiv.get(), top.at(0).ChildNest, items);
        return items;
    }
    std::string StoredCaption(const TNestItem& item) {
        TCards cards;
        cards.SetCardFile(pair->dsc.get());
        std::string card;
        cards.ReadCard(kCardCaption, item.CardDir, card);
        return card;
    }

    uint64_t readsBefore = 0;
    TKivStringGrid* level = nullptr;
};

TEST_F(LargeLevel, ShowsItsFirstAndLastRowsReadingOnlyWhatIsOnScreen) {
    Paint(level);
    ASSERT_EQ(level->Nester->RowCount(), kLevel);
    ASSERT_EQ(level->RowCount(), kLevel);
    const int shown = level->VisibleRowCount();
    EXPECT_GT(shown, 5);
    EXPECT_LE(level->Nester->RowsRead(), shown + 5);
    // A card directory, a caption and a launch card, and the text card's header per row, at
    // most; the level's nest itself is in the outline file.
    EXPECT_LT(CardReads(), uint64_t(20 * (shown + 10)));
    EXPECT_EQ(level->Nester->Caption(0), TopicCaption(0));
    EXPECT_EQ(level->Nester->Caption(kLevel - 1), TopicCaption(kLevel - 1));
    EXPECT_EQ(level->RowNumber(kLevel - 1), kLevel);
    EXPECT_LE(level->Nester->RowsRead(), shown + 6);
}

TEST_F(LargeLevel, ScrollsToTheEndAndBackReadingTheRowsPassedOnScreenOnly) {
    Paint(level);
    const int shown = level->VisibleRowCount();
    level->SetTopRow(kLevel - shown);
    Paint(level);
    EXPECT_EQ(level->TopRow(), kLevel - shown);
    EXPECT_EQ(level->Nester->Caption(kLevel - 1), TopicCaption(kLevel - 1));
    level->SetTopRow(0);
    Paint(level);
    EXPECT_EQ(level->TopRow(), 0);
    EXPECT_LE(level->Nester->RowsRead(), 2 * shown + 10);
    EXPECT_LT(CardReads(), uint64_t(20 * (2 * shown + 10)));
}

TEST_F(LargeLevel, ATopicInTheMiddleIsEditedAndStored) {
    constexpr int kMiddle = kLevel / 2;
    ASSERT_TRUE(level->Nester->SetCaption(kMiddle, "Edited in the middle"));
    EXPECT_EQ(level->Nester->Caption(kMiddle), "Edited in the middle");
    const TItemArray stored = StoredChildren();
    ASSERT_EQ(stored.size(), size_t(kLevel));
    EXPECT_EQ(StoredCaption(stored[kMiddle]), "Edited in the middle");
    EXPECT_EQ(StoredCaption(stored[kMiddle + 1]), TopicCaption(kMiddle + 1));
    // The rows around it were not read for it.
    EXPECT_LE(level->Nester->RowsRead(), level->VisibleRowCount() + 10);
}

TEST_F(LargeLevel, AllRowsMarkedAndMovedUpKeepEveryTopicInTheNewOrder) {
    TNester& m = *level->Nester;
    level->SelectRow(1);
    for (int r = 2; r < kLevel; ++r) m.SetMarked(r, true);
    ASSERT_TRUE(level->MoveMarkedTopicsByKey(mdUp));
    const TItemArray stored = StoredChildren();
    ASSERT_EQ(stored.size(), size_t(kLevel));
    EXPECT_EQ(StoredCaption(stored.front()), TopicCaption(1));
    EXPECT_EQ(StoredCaption(stored[kLevel - 2]), TopicCaption(kLevel - 1));
    EXPECT_EQ(StoredCaption(stored.back()), TopicCaption(0));
    std::set<uint32_t> dirs;
    for (const TNestItem& it : stored) dirs.insert(it.CardDir);
    EXPECT_EQ(dirs.size(), size_t(kLevel));
    EXPECT_EQ(m.Caption(0), TopicCaption(1));
    EXPECT_EQ(m.Caption(kLevel - 1), TopicCaption(0));
    Paint(level);
    EXPECT_LE(m.RowsRead(), 3 * level->VisibleRowCount() + 20);
}

TEST_F(LargeLevel, HalfTheRowsMovedDownPastTheOtherHalfKeepEveryTopic) {
    TNester& m = *level->Nester;
    constexpr int kHalf = kLevel / 2;
    level->SelectRow(0);
    for (int r = 1; r < kHalf; ++r) m.SetMarked(r, true);
    ASSERT_TRUE(level->MoveMarkedTopicsByKey(mdDown));
    const TItemArray stored = StoredChildren();
    ASSERT_EQ(stored.size(), size_t(kLevel));
    EXPECT_EQ(StoredCaption(stored[0]), TopicCaption(kHalf));
    EXPECT_EQ(StoredCaption(stored[1]), TopicCaption(0));
    EXPECT_EQ(StoredCaption(stored[kHalf]), TopicCaption(kHalf - 1));
    EXPECT_EQ(StoredCaption(stored[kHalf + 1]), TopicCaption(kHalf + 1));
    EXPECT_EQ(m.Caption(1), TopicCaption(0));
    EXPECT_EQ(m.Caption(kLevel - 1), TopicCaption(kLevel - 1));
    Paint(level);
    EXPECT_LE(m.RowsRead(), 3 * level->VisibleRowCount() + 20);
}

}  // namespace
}  // namespace kiv::paneltest
