// Copying branches between datastructures: cards of all kinds, clones, external topics,
// deep trees; packing, saving branches as a new file and appending to another; crashes at
// every step of pack and save, and sources read in place.
#include <sys/wait.h>
#include <utime.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/core/BranchCopy.h"
#include "engine/core/Cards.h"
#include "engine/core/DatastructureFiles.h"
#include "engine/core/Marks.h"
#include "engine/core/Nester.h"
#include "engine/core/TreeText.h"
#include "tests/engine/core/CrashStep.h"
#include "platform/core/AppPaths.h"
#include "platform/core/BlockFile.h"
#include "platform/core/KivError.h"
#include "tests/engine/core/TempHome.h"

using namespace kiv;

namespace {

const char* kTree = "alpha(beta \"gamma delta\" epsilon(zeta(eta theta))) iota kappa(lambda mu) nu";

std::vector<std::string> Entries(const std::string& dir) { return FolderEntries(dir); }

struct Pair {
    std::unique_ptr<PosixBlockFile> kiv, dsc;
    TPairFiles Files() const { return {kiv.get(), dsc.get()}; }
    TItemArray Tops() const {
        TItemArray items;
        ReadNestItems(kiv.get(), ReadRootNest(kiv.get()), items);
        return items;
    }
};

Pair OpenPair(const std::string& path) {
    Pair p;
    p.kiv = PosixBlockFile::Open(path, OpenMode::ReadWrite, true);
    p.dsc = PosixBlockFile::Open(CardFileName(path), OpenMode::ReadWrite, true);
    return p;
}

// What a joined datastructure holds, read in place: the tree with its cards.
std::string DumpJoined(const std::string& path) {
    TSourceDatastructure src(path);
    return DumpTree(src.Files().Outline, src.Files().Cards, true);
}

std::string LevelCard(const std::string& path, uint8_t kind) {
    TSourceDatastructure src(path);
    TDBCards db;
    db.SetCardFile(src.Files().Cards);
    db.LoadDirAddress();
    std::string t;
    db.ReadCard(kind, t);
    return t;
}

std::string Caption(BlockFile* cards, uint32_t dir) {
    TCards c;
    c.SetCardFile(cards);
    std::string t;
    c.ReadCard(kCardCaption, dir, t);
    return t;
}

void SetCaption(BlockFile* cards, uint32_t dir, const std::string& card) {
    TCards c;
    c.SetCardFile(cards);
    ASSERT_TRUE(c.StoreCard(dir, kCardCaption, card));
}

int OpenDescriptors() { return int(Entries("/proc/self/fd").size()); }

bool HasCloneMark(const std::string& card) {
    return HasCaptionPrefix(card) && (uint8_t(card[4]) & kFlagClone);
}


// Each topic of the outline as the dump walks it: its depth and caption card.
std::vector<std::pair<int, std::string>> Levels(BlockFile* kiv, BlockFile* dsc) {
    TNester walker;
    walker.SetNestFile(kiv);
    std::vector<std::pair<int, std::string>> out;
    bool stopped = false;
    walker.WalkNestItems(ReadRootNest(kiv), -1, stopped,
                         [&](uint32_t, int, const TNestItem& item, int depth) {
                             out.emplace_back(depth, Caption(dsc, item.CardDir));
                             return true;
                         });
    return out;
}

class BranchCopy : public ::testing::Test {
protected:
    test::TempHome home;
    std::string dir = home.Dir();
    std::string path = dir + "notes.kiv";

    // The tree with a text card, a launch card under the program folder and a graphic card.
    void MakeSource(const char* tree = kTree) {
        MakeTreePair(path, tree);
        StoreTrailCardPair(path, "0", kCardText, "{\\rtf1 first text}");
        StoreTrailCardPair(path, "0/2/0", kCardLaunch,
                           dir +
                               "docs/a.txt\x01"
                               "A doc\r\n");
        StoreTrailCardPair(path, "2", kCardGraphic, "/pictures/p.png\r\n");
    }
};

TEST(PackTempName, ReplacesFromTheLastDot) {
    struct Case {
        const char* path;
        const char* temp;
    } cases[] = {{"/d/notes.kiv", "/d/notes_!#_$$.kiv"},
                 {"/d/x.tar.kiv", "/d/x.tar_!#_$$.kiv"},
                 {"/d/a.b/notes", "/d/a.b/notes_!#_$$.kiv"},
                 {"notes.KIV", "notes_!#_$$.kiv"}};
    for (const Case& c : cases) EXPECT_EQ(PackTempName(c.path), c.temp) << c.path;
    EXPECT_EQ(CardFileName(PackTempName("/d/notes.kiv")), "/d/notes_!#_$$.dsc");
}

TEST_F(BranchCopy, CopyTopicCardsCarriesAllFiveKindsAndKeepsLinksRelative) {
    MakeTreePair(path, "a b");
    StoreTrailCardPair(path, "0", kCardExternal, "||other.kiv");
    StoreTrailCardPair(path, "0", kCardLaunch,
                       dir +
                           "docs/a.txt\x01"
                           "A\r\n");
    StoreTrailCardPair(path, "0", kCardGraphic, "p.png\r\n");
    StoreTrailCardPair(path, "0", kCardText, "text");
    Pair src = OpenPair(path);
    MemoryBlockFile dst;
    InitCardFile(&dst);
    const uint32_t srcDir = src.Tops()[0].CardDir;
    const uint32_t dir2 = CopyTopicCards(src.dsc.get(), &dst, srcDir);
    ASSERT_NE(dir2, 0u);
    TCards a, b;
    a.SetCardFile(src.dsc.get());
    b.SetCardFile(&dst);
    for (uint8_t kind = 1; kind <= 5; ++kind) {
        std::string x, y;
        a.ReadCard(kind, srcDir, x);
        b.ReadCard(kind, dir2, y);
        EXPECT_EQ(x, y) << int(kind);
    }
    TCardArray entries;
    ReadCardDirectory(&dst, dir2, entries);
    std::string stored;
    ReadCardOfKind(&dst, entries, kCardLaunch, stored);
    EXPECT_EQ(stored.rfind("||docs/a.txt\x01", 0), 0u) << stored;
    EXPECT_EQ(CopyTopicCards(src.dsc.get(), &dst, 0), 0u);
}

// Clones: x is on the top level twice (one item, flag 0x80), and its sub-tree once.
TEST_F(BranchCopy, AClonePairStaysAPairAndALoneCloneLosesItsMark) {
    MakeTreePair(path, "x(y z) w");
    Pair src = OpenPair(path);
    TItemArray tops = src.Tops();
    SetCaption(src.dsc.get(), tops[0].CardDir, MakeCaptionPrefix(-1, kFlagClone | kFlagBold) + "x");
    WriteNestItems(src.kiv.get(), ReadRootNest(src.kiv.get()), {tops[0], tops[1], tops[0]});
    tops = src.Tops();

    const std::string both = dir + "both.kiv";
    SaveBranchesAs(src.Files(), tops, both);
    {
        TSourceDatastructure copy(both);
        TItemArray ct;
        ReadNestItems(copy.Files().Outline, ReadRootNest(copy.Files().Outline), ct);
        ASSERT_EQ(ct.size(), 3u);
        EXPECT_EQ(ct[0], ct[2]);
        EXPECT_NE(ct[0], ct[1]);
        const std::string cap = Caption(copy.Files().Cards, ct[0].CardDir);
        EXPECT_TRUE(HasCloneMark(cap));
        EXPECT_EQ(uint8_t(cap[4]) & kFlagBold, kFlagBold);
    }
    EXPECT_EQ(DumpJoined(both), DumpTree(src.kiv.get(), src.dsc.get(), true));

    const std::string lone = dir + "lone.kiv";
    SaveBranchesAs(src.Files(), {tops[0]}, lone);
    TSourceDatastructure copy(lone);
    TItemArray ct;
    ReadNestItems(copy.Files().Outline, ReadRootNest(copy.Files().Outline), ct);
    ASSERT_EQ(ct.size(), 1u);
    const std::string cap = Caption(copy.Files().Cards, ct[0].CardDir);
    EXPECT_FALSE(HasCloneMark(cap));
    EXPECT_EQ(SplitCaptionCard(cap).Flags, kFlagBold);
    EXPECT_EQ(SplitCaptionCard(cap).Caption, "x");
    EXPECT_EQ(DumpJoined(lone), "x\n  y\n  z\n");
}

// A clone without children is never looked up in the clone table: the pack gives each of
// its places a copy of its own, the mark cleared; a clone with children stays one group.
TEST_F(BranchCopy, PackCopiesAChildlessCloneOncePerPlace) {
    MakeTreePair(path, "leaf w(k) g(h)");
    {
        Pair src = OpenPair(path);
        TItemArray tops = src.Tops();
        SetCaption(src.dsc.get(), tops[0].CardDir,
                   MakeCaptionPrefix(-1, kFlagClone | kFlagBold) + "leaf");
        SetCaption(src.dsc.get(), tops[2].CardDir, MakeCaptionPrefix(-1, kFlagClone) + "g");
        ASSERT_EQ(tops[0].ChildNest, 0u);
        TItemArray kids;
        ReadNestItems(src.kiv.get(), tops[1].ChildNest, kids);
        kids.push_back(tops[0]);  // leaf also under w
        kids.push_back(tops[2]);  // g also under w
        WriteNestItems(src.kiv.get(), tops[1].ChildNest, kids);
        WriteNestItems(src.kiv.get(), ReadRootNest(src.kiv.get()),
                       {tops[0], tops[1], tops[2], tops[0]});
    }
    PackDatastructure(path);  // joined, as a closed datastructure is
    PackDatastructureFile(path);
    TSourceDatastructure copy(path);
    TItemArray ct, wk;
    ReadNestItems(copy.Files().Outline, ReadRootNest(copy.Files().Outline), ct);
    ASSERT_EQ(ct.size(), 4u);
    ReadNestItems(copy.Files().Outline, ct[1].ChildNest, wk);
    ASSERT_EQ(wk.size(), 3u);
    // Three places of leaf, three copies, none marked; the caption and its flags kept.
    const std::vector<TNestItem> leaves = {ct[0], wk[1], ct[3]};
    for (size_t i = 0; i < leaves.size(); ++i) {
        for (size_t j = 0; j < i; ++j) EXPECT_NE(leaves[i].CardDir, leaves[j].CardDir) << i << j;
        const std::string cap = Caption(copy.Files().Cards, leaves[i].CardDir);
        EXPECT_FALSE(HasCloneMark(cap)) << i;
        EXPECT_EQ(SplitCaptionCard(cap).Flags, kFlagBold) << i;
        EXPECT_EQ(SplitCaptionCard(cap).Caption, "leaf") << i;
    }
    // g has children: one group, shared and still marked.
    EXPECT_EQ(wk[2], ct[2]);
    EXPECT_TRUE(HasCloneMark(Caption(copy.Files().Cards, ct[2].CardDir)));
    EXPECT_EQ(DumpJoined(path),
              "leaf\nw\n  k\n  leaf\n  g\n    h\ng\nleaf\n");  // a nest is dumped once
}

TEST_F(BranchCopy, AClonedNestInsideItsOwnBranchAndADeepTreeAreCopiedOnce) {
    // 20000 levels, made bottom up: the walk keeps its own stack.
    MakeTreePair(path, "");
    Pair src = OpenPair(path);
    {
        TCards cards;
        cards.SetCardFile(src.dsc.get());
        uint32_t child = 0;
        for (int level = 0; level < 20000; ++level) {
            uint32_t d = 0;
            ASSERT_TRUE(cards.WriteCard(kCardCaption, d, level ? "t" : "leaf"));
            child = AppendNestBlock(src.kiv.get(), {TNestItem{d, child}});
        }
        WriteRootNest(src.kiv.get(), child);
    }
    TItemArray tops = src.Tops();
    // The top topic also becomes a child of its own child: a loop through a clone.
    TItemArray kids;
    ReadNestItems(src.kiv.get(), tops[0].ChildNest, kids);
    SetCaption(src.dsc.get(), tops[0].CardDir, MakeCaptionPrefix(-1, kFlagClone) + "t");
    kids.push_back(tops[0]);
    WriteNestItems(src.kiv.get(), tops[0].ChildNest, kids);

    const std::string out = dir + "deep.kiv";
    SaveBranchesAs(src.Files(), tops, out);
    TSourceDatastructure copy(out);
    TItemArray ct;
    ReadNestItems(copy.Files().Outline, ReadRootNest(copy.Files().Outline), ct);
    ASSERT_EQ(ct.size(), 1u);
    TItemArray ck;
    ReadNestItems(copy.Files().Outline, ct[0].ChildNest, ck);
    ASSERT_EQ(ck.size(), 2u);
    EXPECT_EQ(ck[1], ct[0]);  // the loop is the same clone in the copy
    EXPECT_TRUE(HasCloneMark(Caption(copy.Files().Cards, ct[0].CardDir)));
    // The same outline, level by level (a dump indents each line by its depth: 400 MB here).
    EXPECT_EQ(Levels(copy.Files().Outline, copy.Files().Cards),
              Levels(src.kiv.get(), src.dsc.get()));
}

TEST_F(BranchCopy, AnExternalTopicKeepsItsMarkAndPath) {
    MakeTreePair(path, "ext other");
    StoreTrailCardPair(path, "0", kCardExternal, "||far.kiv");
    {
        Pair src = OpenPair(path);
        TItemArray tops = src.Tops();
        tops[0].ChildNest = kExternalNest;
        WriteNestItems(src.kiv.get(), ReadRootNest(src.kiv.get()), tops);
        SaveBranchesAs(src.Files(), src.Tops(), dir + "out.kiv");
    }
    TSourceDatastructure copy(dir + "out.kiv");
    TItemArray ct;
    ReadNestItems(copy.Files().Outline, ReadRootNest(copy.Files().Outline), ct);
    ASSERT_EQ(ct.size(), 2u);
    EXPECT_EQ(ct[0].ChildNest, kExternalNest);
    TCards c;
    c.SetCardFile(copy.Files().Cards);
    std::string p;
    c.ReadCard(kCardExternal, ct[0].CardDir, p);
    EXPECT_EQ(p, "||far.kiv");
}

// Captions rewritten 50 times leave chunks and blocks behind; the pack drops them.
TEST_F(BranchCopy, PackGivesASmallerFileWithTheSameTreeAndResetsTheBins) {
    MakeSource();
    {
        Pair p = OpenPair(path);
        TNester m;
        m.SetNestFile(p.kiv.get());
        m.SetCardFile(p.dsc.get());
        m.RootNest = ReadRootNest(p.kiv.get());
        m.LoadBranch(-1, false);
        for (int round = 0; round < 50; ++round)
            for (int r = 0; r < m.RowCount(); ++r) {
                const std::string name = m.Caption(r).substr(0, m.Caption(r).find('#'));
                ASSERT_TRUE(m.SetCaption(r, name + "#" + std::string(size_t(round * 20), 'x')));
            }
        for (int r = 0; r < m.RowCount(); ++r)
            ASSERT_TRUE(m.SetCaption(r, m.Caption(r).substr(0, m.Caption(r).find('#'))));
        m.SaveSiblingItems(0, false);
        TDBCards db;
        db.SetCardFile(p.dsc.get());
        ASSERT_TRUE(db.WriteCard(kDBCardTextBin, "pw\x01text bin"));
        ASSERT_TRUE(db.WriteCard(kDBCardLaunchBin, "/x\x01X\r\n"));
        ASSERT_TRUE(db.WriteCard(kDBCardRecycled, std::string(12, '\x07')));
        ASSERT_TRUE(db.WriteCard(kDBCardLostBin, std::string(12, '\x08')));
        ASSERT_TRUE(db.WriteCard(kDBCardMarks, std::string(32, '\x01')));
    }
    PackDatastructure(path);
    const std::string before = DumpJoined(path);
    const uint64_t size0 = ReadWholeFile(path).size();

    PackDatastructureFile(path);
    EXPECT_LT(ReadWholeFile(path).size(), size0 * 6 / 10);
    EXPECT_EQ(DumpJoined(path), before);
    EXPECT_EQ(LevelCard(path, kDBCardTextBin), "pw\x01text bin");
    EXPECT_EQ(LevelCard(path, kDBCardLaunchBin), "/x\x01X\r\n");
    for (uint8_t kind : {kDBCardRecycled, kDBCardLostBin, kDBCardMarks})
        EXPECT_EQ(LevelCard(path, kind), "") << int(kind);
    EXPECT_EQ(Entries(dir), (std::vector<std::string>{"notes.kiv"}));
}

// A trail to the topic at the child indexes from the root, as the window makes it.
void AddTopicTrail(BlockFile* kiv, TQuickJump& list, std::initializer_list<int> steps) {
    TNavigatorPtr t = list.AddNavigator();
    uint32_t nest = ReadRootNest(kiv);
    for (int step : steps) {
        TNestItem item;
        ASSERT_TRUE(GetNestItem(kiv, nest, step, item));
        t->Add(nest, uint32_t(step), false, "stale", item);
        nest = item.ChildNest;
    }
}

// The marks follow their topics into the packed file, whose addresses all differ; a mark whose
// topic went into the Recycled Bin is dropped and counted.
TEST_F(BranchCopy, PackRepointsTheMarksAndDropsThoseWhoseTopicsWent) {
    MakeSource();
    const std::string dump =
        "Threads\n  0. alpha / epsilon / zeta / eta\n  1. kappa / mu\n"
        "QuickJumps\n  0. iota\n  1. alpha / gamma delta\n";
    TQuickJump threads, quick;
    {
        Pair p = OpenPair(path);
        // The root nest rewritten far from where the copy puts it.
        for (int round = 0; round < 20; ++round)
            WriteRootNest(p.kiv.get(), AppendNestBlock(p.kiv.get(), p.Tops()));
        AddTopicTrail(p.kiv.get(), threads, {0, 2, 0, 0});
        AddTopicTrail(p.kiv.get(), threads, {2, 1});
        AddTopicTrail(p.kiv.get(), threads, {2, 0});  // lambda, removed below
        AddTopicTrail(p.kiv.get(), quick, {1});
        AddTopicTrail(p.kiv.get(), quick, {0, 1});
        AddTopicTrail(p.kiv.get(), quick, {3});  // nu, removed below
        TDBCards db;
        db.SetCardFile(p.dsc.get());
        db.LoadDirAddress();
        ASSERT_TRUE(db.WriteCard(kDBCardMarks, SerializeMarks(threads, quick)));
        TItemArray tops = p.Tops();
        tops.pop_back();
        WriteNestItems(p.kiv.get(), ReadRootNest(p.kiv.get()), tops);
        TItemArray kappa;
        ReadNestItems(p.kiv.get(), tops[2].ChildNest, kappa);
        kappa.erase(kappa.begin());
        WriteNestItems(p.kiv.get(), tops[2].ChildNest, kappa);
    }
    PackDatastructure(path);
    const TNode oldRoot = threads.Navigator(0)->GetNode(0);
    // The window's form first, on a copy: its lists are re-pointed in place, the drops counted.
    const std::string copy = dir + "copy.kiv";
    WriteFileAtomic(copy, ReadWholeFile(path));
    {
        UnpackDatastructure(copy);
        Pair p = OpenPair(copy);
        TPackMarks marks{&threads, &quick};
        BuildPackedCopy(p.Files(), copy, {}, &marks);
        EXPECT_EQ(marks.ThreadsDropped, 1);
        EXPECT_EQ(marks.QuickJumpsDropped, 1);
        ASSERT_EQ(threads.Count(), 2);
        ASSERT_EQ(quick.Count(), 2);
        EXPECT_EQ(quick.Navigator(1)->GetCaption(1), "gamma delta");
        TSourceDatastructure packed(PackTempName(copy));
        EXPECT_EQ(DumpMarks(packed.Files().Outline, packed.Files().Cards), dump);
    }

    PackDatastructureFile(path);
    TSourceDatastructure src(path);
    EXPECT_EQ(DumpMarks(src.Files().Outline, src.Files().Cards), dump);
    TQuickJump t2, q2;
    ASSERT_TRUE(DeserializeMarks(LevelCard(path, kDBCardMarks), t2, q2, {}).Split);
    ASSERT_EQ(t2.Count(), 2);
    EXPECT_EQ(ReadRootNest(src.Files().Outline), t2.Navigator(0)->GetNode(0).ParentNest);
    EXPECT_NE(oldRoot.ParentNest, t2.Navigator(0)->GetNode(0).ParentNest);
    EXPECT_EQ(t2.Navigator(1)->GetNode(1).Index, 0u) << "mu moved up when lambda went";
}

TEST_F(BranchCopy, PackRefusesAnOpenPairAndLeavesItAlone) {
    MakeSource();
    const std::string outline = ReadWholeFile(path);
    EXPECT_THROW(PackDatastructureFile(path), EKivError);
    EXPECT_EQ(ReadWholeFile(path), outline);
    EXPECT_EQ(Entries(dir), (std::vector<std::string>{"notes.dsc", "notes.kiv"}));
}

TEST_F(BranchCopy, SaveBranchesAsRefusesItsOwnSourceAndADamagedSourceLeavesNothing) {
    MakeSource();
    Pair src = OpenPair(path);
    EXPECT_THROW(SaveBranchesAs(src.Files(), src.Tops(), path), EKivError);
    // A child nest pointing past the end of the outline.
    TItemArray tops = src.Tops();
    tops[1].ChildNest = 0x7000000;
    const std::string target = dir + "new.kiv";
    WriteFileAtomic(target, "old");
    const int fds = OpenDescriptors();
    EXPECT_THROW(SaveBranchesAs(src.Files(), tops, target), ENesterError);
    EXPECT_EQ(OpenDescriptors(), fds) << "every handle of the copy is closed";
    EXPECT_THROW(AppendBranchesTo(src.Files(), tops, dir + "template.kiv"), ENesterError);
    EXPECT_EQ(OpenDescriptors(), fds);
    PackDatastructure(dir + "template.kiv");
    {
        TSourceDatastructure t(dir + "template.kiv");
        const std::vector<TTopTopic> top = ReadTopTopics(t.Files());
        ASSERT_EQ(top.size(), 1u) << "the topic copied before the failure, and no empty one";
        EXPECT_EQ(top[0].Caption, "alpha");
    }
    EXPECT_EQ(ReadWholeFile(target), "old");
    EXPECT_EQ(Entries(dir),
              (std::vector<std::string>{"new.kiv", "notes.dsc", "notes.kiv", "template.kiv"}));
}

TEST_F(BranchCopy, ASourceIsReadInPlaceAndNeverSplit) {
    MakeSource();
    const std::string tree = DumpTreePair(path, true);
    PackDatastructure(path);
    const std::string joined = ReadWholeFile(path);
    {
        TSourceDatastructure src(path);
        EXPECT_EQ(DumpTree(src.Files().Outline, src.Files().Cards, true), tree);
        EXPECT_THROW(src.Files().Outline->WriteU32(0, 1), EKivError);
        const std::vector<TTopTopic> top = ReadTopTopics(src.Files());
        ASSERT_EQ(top.size(), 4u);
        EXPECT_EQ(top[1].Caption, "iota");
    }
    EXPECT_EQ(ReadWholeFile(path), joined);
    EXPECT_EQ(Entries(dir), (std::vector<std::string>{"notes.kiv"}));
    WriteFileAtomic(dir + "plain.kiv", "not one");
    EXPECT_THROW(TSourceDatastructure(dir + "plain.kiv"), EKivError);
}

TEST_F(BranchCopy, AppendBranchesAddsTopLevelTopicsAndJoinsTheTarget) {
    MakeSource();
    const std::string target = dir + "template.kiv";
    MakeTreePair(target, "first");
    PackDatastructure(target);
    Pair src = OpenPair(path);
    TItemArray tops = src.Tops();
    const std::vector<TTopSlot> slots = AppendBranchesTo(src.Files(), {tops[2], tops[0]}, target);
    ASSERT_EQ(slots.size(), 2u);
    EXPECT_EQ(slots[0].Index, 1u);
    EXPECT_EQ(slots[1].Index, 2u);
    EXPECT_FALSE(FileExists(CardFileName(target)));
    const std::string dump = DumpJoined(target);
    EXPECT_EQ(dump.substr(0, dump.find('\n')), "first");
    EXPECT_NE(dump.find("kappa\n  lambda\n  mu\nalpha\n  | first text\n  beta"), std::string::npos)
        << dump;
    // A new target is made.
    AppendBranchesTo(src.Files(), {tops[3]}, dir + "fresh.kiv");
    EXPECT_EQ(DumpJoined(dir + "fresh.kiv"), "nu\n");
}

// A child killed before each step of the pack, then of the save: what is left opens with
// every topic, the old content or the new.
TEST_F(BranchCopy, ACrashAtAnyStepOfPackOrSaveLosesNothing) {
    MakeSource();
    PackDatastructure(path);
    const std::string tree = DumpJoined(path);
    int steps = 0;
    for (int n = 1; n < 100; ++n) {
        const bool finished = RunCrashingBeforeStep(n, [&] { PackDatastructureFile(path); });
        {
            TDatastructurePair pair = OpenDatastructurePair(path, false);
            EXPECT_EQ(DumpTree(pair.Outline.get(), pair.Cards.get(), true), tree)
                << "crash before step " << n;
        }
        PackDatastructure(path);
        if (finished) {
            steps = n;
            break;
        }
    }
    EXPECT_GT(steps, 5);

    const std::string target = dir + "branches.kiv";
    MakeTreePair(target, "old(topics)");
    PackDatastructure(target);
    const std::string oldTree = DumpJoined(target);
    std::string newTree;
    for (int n = 1; n < 100; ++n) {
        bool finished = false;
        {
            TDatastructurePair pair = OpenDatastructurePair(path, false);
            TPairFiles src{pair.Outline.get(), pair.Cards.get()};
            TItemArray tops;
            ReadNestItems(src.Outline, ReadRootNest(src.Outline), tops);
            tops.erase(tops.begin() + 1);
            finished = RunCrashingBeforeStep(n, [&] { SaveBranchesAs(src, tops, target); });
            if (newTree.empty()) {
                MemoryBlockFile o, c;
                InitOutlineFile(&o);
                InitCardFile(&c);
                TCloneTable clones;
                for (const TNestItem& t : tops) CopyBranchToDatastructure(src, t, {&o, &c}, clones);
                newTree = DumpTree(&o, &c, true);
            }
        }
        PackDatastructure(path);
        EXPECT_EQ(DumpJoined(path), tree);
        TDatastructurePair pair = OpenDatastructurePair(target, false);
        const std::string got = DumpTree(pair.Outline.get(), pair.Cards.get(), true);
        EXPECT_TRUE(got == oldTree || got == newTree) << "crash before step " << n << ":\n" << got;
        pair = {};
        PackDatastructure(target);
        if (finished) {
            EXPECT_EQ(got, newTree);
            break;
        }
    }
    SetFileStepHook(nullptr);
}

}  // namespace

// What interrupted packs and saves left is swept; a copy a live command is writing (its pair
// locked) or has just joined stays.
TEST(StaleCopies, OnlyUnheldSplitPairsAndOldJoinedCopiesAreSwept) {
    test::TempHome home;
    const std::string dir = TempDir() + "sweep/";
    ASSERT_TRUE(MakeDirs(dir));
    auto pair = [&](const std::string& stem) { MakeTreePair(dir + stem + ".kiv", "a(b) c"); };
    auto joined = [&](const std::string& stem, int age) {
        const std::string p = dir + stem + ".kiv";
        MakeTreePair(p, "a");
        PackDatastructure(p);
        struct utimbuf t {};
        t.actime = t.modtime = ::time(nullptr) - age;
        ASSERT_EQ(::utime(p.c_str(), &t), 0);
    };
    pair("killed_!#_$$");       // an interrupted copy: nobody holds it
    pair("live_!#_$$");         // a live command's copy
    joined("old_!#_$$", 3600);  // joined, never renamed
    joined("fresh_!#_$$", 0);   // joined a moment ago, about to be renamed
    pair("notes");              // an open datastructure is never a twin
    auto outline = PosixBlockFile::Open(dir + "live_!#_$$.kiv", OpenMode::ReadWrite, true);
    auto cards = PosixBlockFile::Open(dir + "live_!#_$$.dsc", OpenMode::ReadWrite, true);
    EXPECT_EQ(SweepStaleCopies(dir), 2);
    EXPECT_EQ(FolderEntries(dir),
              (std::vector<std::string>{"fresh_!#_$$.kiv", "live_!#_$$.dsc", "live_!#_$$.kiv",
                                        "notes.dsc", "notes.kiv"}));
    outline.reset();
    cards.reset();
    EXPECT_EQ(SweepStaleCopies(dir), 1) << "once the command is gone";
    RemoveTree(dir);
}
