// The topic commands' decisions: caption marks, branch locks, the delete questions, the
// own-branch test, the topic clipboard after a cut, and the way back out of the stores.
#include <gtest/gtest.h>

#include <memory>

#include "engine/core/NestFunctions.h"
#include "engine/core/OutlineEdits.h"
#include "engine/core/TopicEdits.h"
#include "platform/core/KivError.h"
#include "tests/engine/core/EditsFixture.h"
#include "tests/engine/core/TreeFixture.h"

using namespace kiv;
using kiv::test::DumpOf;
using kiv::test::ExpandAllRows;
using kiv::test::TreePair;

namespace {

std::string Bytes(std::initializer_list<int> b) {
    std::string s;
    for (int c : b) s += char(c);
    return s;
}

TEST(CaptionMarks, FlagsWrittenIntoTheCaptionCard) {
    struct Case {
        std::string card;
        uint8_t bit;
        bool on;
        std::string want;
    };
    const Case cases[] = {
        // A caption without prefix gets colour -1, the flag and 0x01.
        {"abc", kFlagClone, true, Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0x80, 0x01, 'a', 'b', 'c'})},
        {"abc", kFlagLocked, true, Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0x40, 0x01, 'a', 'b', 'c'})},
        // Colour and the other bits stay.
        {Bytes({0xFF, 0, 0, 0, 0x03, 0x01, 'x'}), kFlagLocked, true,
         Bytes({0xFF, 0, 0, 0, 0x43, 0x01, 'x'})},
        {Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xC1, 0x01, 'x'}), kFlagLocked, false,
         Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0x81, 0x01, 'x'})},
        {"", kFlagLocked, true, Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0x40, 0x01})},
    };
    for (const Case& c : cases) EXPECT_EQ(WithCaptionFlag(c.card, c.bit, c.on), c.want) << c.card;
}

TEST(DeleteQuestions, CaptionShortenedTo35AndTheTwoTexts) {
    const std::string caption = "This caption is much longer than thirty-five characters";
    const std::string shortened = ShortCaption(caption, 35);
    EXPECT_EQ(LockedTopicQuestion(caption),
              "Topic '" + shortened + "' is locked.\r\nDo you want to delete it in any case?");
    EXPECT_EQ(LockedSubordinatesQuestion("abc"),
              "Topic 'abc' has  one or more subordinates set to 'ReadOnly'.\r\n"
              "Do you want to delete it in any case?");
    EXPECT_EQ(LostPathWarning("abc"),
              "Path to topic is lost and can't be restored in its original location\r\n"
              "The topic - abc will be moved to lost branches");
}

class Topics : public kiv::test::EditsFixture {
protected:
    void Open(std::string_view tree, bool treeMode = false) {
        EditsFixture::Open(tree, treeMode);
        cards.SetCardFile(pair->dsc.get());
    }
    BlockFile* Nests() { return pair->kiv.get(); }
    bool Locked(const TNestItem& it) { return TopicHasFlag(cards, it.CardDir, kFlagLocked); }
    // Deletes the topics with these captions, one by one, into bin.
    void Delete(std::initializer_list<const char*> captions) {
        for (const char* c : captions) {
            model.SetCurrentRow(Row(c));
            ASSERT_EQ(DeleteMarkedRows(ctx, true, true), 1) << c;
        }
    }
    // The dialog's scan: every selected line is handled and removed, the index stays.
    void RestoreLines(std::vector<bool> selected) {
        for (size_t i = 0; i < selected.size();) {
            if (!selected[i]) {
                ++i;
                continue;
            }
            RestoreEntry(Nests(), cards, bin, int(i), lost);
            selected.erase(selected.begin() + long(i));
        }
    }

    TRecycledBin lost;
    TCards cards;
};

// A topic that was never written (no card directory) is passed over, not the walk's end.
TEST_F(Topics, BranchLockWalksPastANeverWrittenTopic) {
    Open("a(b c(d) e) f");
    const TNestItem a = model.GetItem(Row("a"));
    TItemArray kids;
    ReadNestItems(Nests(), a.ChildNest, kids);
    ASSERT_EQ(kids.size(), 3u);
    ASSERT_EQ(InsertNestItems(Nests(), a.ChildNest, 1, TItemArray{TNestItem{}}), 1);

    EXPECT_EQ(SetBranchLock(Nests(), cards, a.ChildNest, true), 4);  // b c d e
    ReadNestItems(Nests(), a.ChildNest, kids);
    for (const TNestItem& k : kids) EXPECT_EQ(Locked(k), k.CardDir != 0);
    TItemArray below;
    ReadNestItems(Nests(), kids[2].ChildNest, below);  // c's child d
    EXPECT_TRUE(Locked(below[0]));
    EXPECT_FALSE(Locked(model.GetItem(Row("f"))));
    EXPECT_TRUE(BranchHasLockedTopic(Nests(), cards, a.ChildNest));

    EXPECT_EQ(SetBranchLock(Nests(), cards, a.ChildNest, false), 4);
    EXPECT_FALSE(BranchHasLockedTopic(Nests(), cards, a.ChildNest));
    EXPECT_EQ(Dump(), DumpOf("a(b \"\" c(d) e) f"));
}

// The question is asked whichever topic of the branch is the locked one, first or not.
TEST_F(Topics, ALockedTopicIsFoundAnywhereInTheBranch) {
    Open("a(b c(d) e) f");
    const uint32_t branch = model.GetItem(Row("a")).ChildNest;
    TItemArray kids, below;
    ReadNestItems(Nests(), branch, kids);
    ASSERT_EQ(kids.size(), 3u);
    ReadNestItems(Nests(), kids[1].ChildNest, below);
    ASSERT_EQ(below.size(), 1u);
    const std::pair<const char*, uint32_t> cases[] = {{"b, the first", kids[0].CardDir},
                                                      {"d, one level down", below[0].CardDir},
                                                      {"e, the last", kids[2].CardDir}};
    EXPECT_FALSE(BranchHasLockedTopic(Nests(), cards, branch));
    for (const auto& [what, dir] : cases) {
        uint32_t d = dir;
        ASSERT_TRUE(SetTopicFlag(cards, d, kFlagLocked, true)) << what;
        EXPECT_TRUE(BranchHasLockedTopic(Nests(), cards, branch)) << what;
        ASSERT_TRUE(SetTopicFlag(cards, d, kFlagLocked, false)) << what;
        EXPECT_FALSE(BranchHasLockedTopic(Nests(), cards, branch)) << what;
    }
}

TEST_F(Topics, OwnBranchInTreeModeAndAcrossPanels) {
    Open("a(b(c) d) e", true);
    TOwnBranchView v{&model, Row("c"), 1, true, {}, nullptr};
    const int32_t aKids = model.ChildNest(Row("a"));
    const int32_t bKids = model.ChildNest(Row("b"));
    EXPECT_TRUE(IsInOwnBranch(aKids, v));  // beside c: under a
    EXPECT_TRUE(IsInOwnBranch(bKids, v));
    EXPECT_FALSE(IsInOwnBranch(model.ChildNest(Row("c")), v));  // c's own, not an ancestor
    EXPECT_FALSE(IsInOwnBranch(0, v));
    v.Row = Row("e");
    EXPECT_FALSE(IsInOwnBranch(aKids, v));

    // Outside tree mode: the earlier panels' current topics and the trail.
    TNavigator t;
    t.Add(1, 0, false, "x", TNestItem{7, 70});
    t.Add(70, 0, false, "y", TNestItem{8, 80});
    TOwnBranchView p{&model, 0, 2, false, {55}, &t};
    EXPECT_TRUE(IsInOwnBranch(55, p));
    EXPECT_TRUE(IsInOwnBranch(70, p));   // node Count - 2 = 0
    EXPECT_FALSE(IsInOwnBranch(80, p));  // below the reach of panel 2
    p.Panel = 1;
    EXPECT_TRUE(IsInOwnBranch(80, p));
}

// Cut: only the topics the delete really took out stay in the clipboard.
TEST_F(Topics, ClipboardKeepsWhatTheCutRemoved) {
    Open("a b c");
    TTopicClipboard clip;
    clip.Fill({{model.CardDir(0), 0, "x.kiv"},
               {model.CardDir(1), 0, "x.kiv"},
               {model.CardDir(2), 0, "x.kiv"}},
              true);
    clip.CutPasted = true;
    clip.Fill(clip.Records, true);
    EXPECT_FALSE(clip.CutPasted);
    Delete({"a", "c"});
    TItemArray removed;
    for (int i = 0; i < bin.Count(); ++i) removed.push_back(bin.GetItem(i).Item());
    clip.KeepRemoved(removed);
    ASSERT_EQ(clip.Records.size(), 2u);
    EXPECT_EQ(Dump(), DumpOf("b"));
}

TEST_F(Topics, RestoreLinesZeroTwoThreeToTheirPlaces) {
    Open("a b c d e");
    model.SetCurrentRow(Row("b"));
    for (const char* c : {"c", "d", "e"}) model.SetMarked(Row(c), true);
    ASSERT_EQ(DeleteMarkedRows(ctx, true, true), 4);
    ASSERT_EQ(Dump(), DumpOf("a"));
    ASSERT_EQ(bin.Count(), 4);
    RestoreLines({true, false, true, true});  // b, d, e
    EXPECT_EQ(Dump(), DumpOf("a b d e"));
    ASSERT_EQ(bin.Count(), 1);
    EXPECT_EQ(bin.Trails.Count(), 1);
    EXPECT_EQ(lost.Count(), 0);
}

// The place is checked before anything is written: a lost place leaves the tree as it was.
TEST_F(Topics, RestoreToALostPlaceChangesNothingAndGoesToLost) {
    Open("a(b c) d", true);
    Delete({"b"});
    Delete({"a"});
    ASSERT_EQ(Dump(), DumpOf("d"));
    const std::string before = Dump();
    const TRecycledRecord b = bin.GetItem(0);
    TNavigator t;
    const TRestoreResult r = RestoreEntry(Nests(), cards, bin, 0, lost, &t);
    EXPECT_FALSE(r.Restored);
    EXPECT_EQ(Dump(), before);
    ASSERT_EQ(lost.Count(), 1);
    EXPECT_EQ(lost.GetItem(0), b);
    EXPECT_EQ(lost.Trails.Count(), 1);  // paired, so the store keeps it when saved
    EXPECT_EQ(bin.Count(), 1);

    // The parent itself comes back; then its child can too, with its trail.
    const TRestoreResult ra = RestoreEntry(Nests(), cards, bin, 0, lost, &t);
    EXPECT_TRUE(ra.Restored);
    EXPECT_EQ(Dump(), DumpOf("a(c) d"));
    EXPECT_EQ(t.Count(), 1);
}

// A topic already standing in the tree (left there by a restore cut short before its bins
// were stored, and maybe moved since) is not inserted again: its entry only leaves the bin.
// A clone's twin standing beside it is no such topic: the clone comes back.
TEST_F(Topics, ARestoreOfATopicStandingInTheTreeInsertsNothing) {
    struct Case {
        const char* name;
        const char* tree;
        int deleted;        // the row deleted into the bin
        bool clone;         // that row is a clone of the row before it
        const char* under;  // the topic whose children get the entry's topic back; "" top
        const char* want;   // the tree after the restore; null: as before the delete
        bool inserted;
    };
    const Case cases[] = {
        {"in its nest", "a b c", 1, false, "", "a b c", false},
        {"moved elsewhere", "a(x) b c", 1, false, "a", "a(x b) c", false},
        {"a clone beside its twin", "a(x) c", 1, true, nullptr, nullptr, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Open(c.tree);
        if (c.clone) {
            uint32_t dir = model.GetItem(0).CardDir;
            ASSERT_TRUE(SetTopicFlag(cards, dir, kFlagClone, true));
            ASSERT_EQ(InsertNestItems(Nests(), model.RootNest, 1, {model.GetItem(0)}), 1);
            model.LoadBranch(-1, false);
            ASSERT_EQ(model.RowCount(), 3);
        }
        const std::string before = Dump();
        model.SetCurrentRow(c.deleted);
        ASSERT_EQ(DeleteMarkedRows(ctx, true, true), 1);
        const TNestItem item = bin.GetItem(0).Item();
        if (c.under) {
            uint32_t nest = model.RootNest;
            int at = c.deleted;
            if (*c.under) {
                nest = model.GetItem(Row(c.under)).ChildNest;
                at = 0x7FFF;
            }
            TItemArray there;
            ReadNestItems(Nests(), nest, there);
            ASSERT_GE(InsertNestItems(Nests(), nest, std::min<int>(at, int(there.size())), {item}),
                      0);
        }
        const TRestoreResult r = RestoreEntry(Nests(), cards, bin, 0, lost);
        EXPECT_TRUE(r.Restored);
        EXPECT_EQ(r.AlreadyInTree, !c.inserted);
        EXPECT_EQ(r.Item, item);
        EXPECT_EQ(Dump(), c.want ? DumpOf(c.want) : before);
        TItemArray top;
        ReadNestItems(Nests(), model.RootNest, top);
        if (c.clone) {
            EXPECT_EQ(top, (TItemArray{item, item, top.back()})) << "twins again";
        }
        EXPECT_EQ(bin.Count(), 0);
        EXPECT_EQ(lost.Count(), 0);
    }
}

// Bins that cannot be stored: the restore fails, the topic is not in the tree and its
// entry is where it was, in memory as stored, whether its place was there or lost.
TEST_F(Topics, ARestoreWhoseBinsCannotBeStoredLeavesEverythingAsItWas) {
    for (const bool treeMode : {false, true}) {
        SCOPED_TRACE(treeMode ? "to the lost branches" : "to its place");
        bin.Clear();
        lost.Clear();
        Open("a(x) b c", treeMode);
        Delete({treeMode ? "x" : "b"});
        const std::string before = Dump();
        const TRecycledRecord entry = bin.GetItem(0);
        int stores = 0;
        SetRecycledStoreWriter([&] {
            if (++stores == 1) throw EKivError("Cannot write: Input/output error");
        });
        EXPECT_THROW(RestoreEntry(Nests(), cards, bin, 0, lost), EKivError);
        SetRecycledStoreWriter(nullptr);
        EXPECT_EQ(stores, 2) << "the bins as they were stored again";
        EXPECT_EQ(Dump(), before);
        ASSERT_EQ(bin.Count(), 1);
        EXPECT_EQ(bin.GetItem(0), entry);
        EXPECT_EQ(bin.Trails.Count(), 1);
        EXPECT_EQ(lost.Count(), 0);
    }
}

TEST_F(Topics, LostStoreKeepsItsFormAndOrphansMoveThere) {
    TRecycledBin old;
    old.LoadFromString(std::string(24, '\x02'));
    ASSERT_EQ(old.Count(), 2);
    AddToBin(old, {5, 6, 7}, nullptr);
    EXPECT_EQ(old.Trails.Count(), 0);
    TRecycledBin loaded;
    loaded.LoadFromString(old.SaveToString());
    EXPECT_EQ(loaded.Count(), 3);

    TRecycledBin rec, lostBin;
    AddToBin(rec, {10, 1, 0}, nullptr);
    AddToBin(rec, {20, 2, 0}, nullptr);
    AddToBin(rec, {10, 3, 0}, nullptr);
    EXPECT_EQ(MoveNestEntriesToLost(rec, lostBin, 10), 2);
    EXPECT_EQ(rec.Count(), 1);
    EXPECT_EQ(rec.Trails.Count(), 1);
    ASSERT_EQ(lostBin.Count(), 2);
    EXPECT_EQ(lostBin.GetItem(1), (TRecycledRecord{10, 3, 0}));
    TRecycledBin again;
    again.LoadFromString(lostBin.SaveToString());
    EXPECT_EQ(again.GetItem(1), (TRecycledRecord{10, 3, 0}));

    EXPECT_EQ(ForgetItem(rec, TNestItem{2, 0}), 1);
    EXPECT_EQ(rec.Count(), 0);
    EXPECT_EQ(TakeEntries(lostBin, {1, 0}).size(), 2u);
    EXPECT_EQ(lostBin.Count(), 0);
}

}  // namespace
