// Moves and cuts on a disk that fails one write (EIO) or a machine that dies just before it,
// at every write position of the edit: the pair then holds the whole old or the whole new
// state, or, for a move between two nests cut short, the topic in both; a topic is never in
// no place at all. The edit runs in kivedit with the EIO shim preloaded; the files are read
// back with kivtree dump and kivedit bin.
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/core/NestFunctions.h"
#include "engine/core/TreeText.h"
#include "platform/core/AppPaths.h"
#include "platform/core/BlockFile.h"
#include "tests/engine/core/ToolRun.h"

using namespace kiv;
using namespace kiv::test;

namespace {

std::string BinDir() {
    const char* bin = std::getenv("KIV_BIN_DIR");
    return bin && *bin ? std::string(bin) + "/" : ExecutableDir();
}

// kivedit with the shim and its settings ("KIV_EIO_FAIL=3"; empty: it only counts).
ToolRun Kivedit(const std::vector<std::string>& args, const std::string& setting = {}) {
    std::string cmd = setting + " LD_PRELOAD=" + Quote(BinDir() + "libkiveioshim.so") +
                      " ASAN_OPTIONS=verify_asan_link_order=0:detect_leaks=0 " +
                      Quote(BinDir() + "kivedit");
    for (const auto& a : args) cmd += " " + Quote(a);
    const std::string out = TempDir() + "kivedit.out", err = TempDir() + "kivedit.err";
    cmd += " </dev/null >" + out + " 2>" + err;
    const int st = std::system(cmd.c_str());
    return {WIFEXITED(st) ? WEXITSTATUS(st) : -1, Slurp(out), Slurp(err)};
}

int WritesOf(const std::string& err) {
    const size_t at = err.rfind("writes ");
    return at == std::string::npos ? -1 : std::atoi(err.c_str() + at + 7);
}

std::string Dump(const std::string& kiv) {
    const ToolRun r = Kivtree({"dump", "--cards", kiv});
    EXPECT_EQ(r.status, 0) << r.err;
    return r.out;
}

std::string Bin(const std::string& kiv) {
    const ToolRun r = Kivedit({"bin", kiv});
    EXPECT_EQ(r.status, 0) << r.err;
    return r.out;
}

// The captions of a dump, sorted, without indent.
std::vector<std::string> Captions(const std::string& dump) {
    std::vector<std::string> out;
    std::istringstream in(dump);
    for (std::string line; std::getline(in, line);)
        out.push_back(line.substr(line.find_first_not_of(' ')));
    std::sort(out.begin(), out.end());
    return out;
}

void CopyPair(const std::string& from, const std::string& to) {
    WriteFileAtomic(to, ReadWholeFile(from));
    WriteFileAtomic(CardFilePathOf(to), ReadWholeFile(CardFilePathOf(from)));
}

// Thirty topics under P, grown into two blocks as a nest grows: P(t1..t15) gets t16..t30
// appended (the second block made by the growth), Q that held them dropped.
void MakeTwoBlockPair(const std::string& kiv) {
    std::string p = "P(", q = "Q(";
    for (int i = 1; i <= 15; ++i) p += "t" + std::to_string(i) + " ";
    for (int i = 16; i <= 30; ++i) q += "t" + std::to_string(i) + " ";
    MakeTreePair(kiv, p + ") " + q + ")");
    TTreePairFiles pair = OpenTreePair(kiv, true);
    BlockFile* f = pair.kiv.get();
    TItemArray top, moved;
    ReadNestItems(f, ReadRootNest(f), top);
    ReadNestItems(f, top[1].ChildNest, moved);
    AddNestItems(f, top[0].ChildNest, moved);
    WriteNestItems(f, ReadRootNest(f), {top[0]});
}

struct EditCase {
    const char* name;
    const char* tree;
    const char* caption;  // the topic edited
    const char* op;       // "move" or "cut"
    const char* dir;      // for a move
    bool betweenNests;
    bool twoBlocks = false;  // the tree is MakeTwoBlockPair's
};

class FailingWrites : public ::testing::TestWithParam<EditCase> {};

TEST_P(FailingWrites, EveryWritePositionLeavesTheOldOrTheNewState) {
    const EditCase& c = GetParam();
    const std::string fixture = TempDir() + c.name + "-fixture.kiv";
    if (c.twoBlocks) MakeTwoBlockPair(fixture);
    else MakeTreePair(fixture, c.tree);
    // The topic edited carries a text card and children of its own in the cut cases.
    if (std::string(c.op) == "cut") {
        const ToolRun r = Kivtree({"setcard", fixture, "1", "2"}, "the card of B\n");
        ASSERT_EQ(r.status, 0) << r.err;
    }
    const std::string oldDump = Dump(fixture), oldBin = Bin(fixture);
    std::vector<std::string> args{c.op, "", c.caption};
    if (std::string(c.op) == "move") args.push_back(c.dir);

    const std::string work = TempDir() + c.name + ".kiv";
    CopyPair(fixture, work);
    args[1] = work;
    const ToolRun done = Kivedit(args);
    ASSERT_EQ(done.status, 0) << done.err;
    const int writes = WritesOf(done.err);
    ASSERT_GT(writes, 0) << "the shim saw no write: " << done.err;
    const std::string newDump = Dump(work), newBin = Bin(work);
    ASSERT_NE(newDump, oldDump);
    if (std::string(c.op) == "cut") {
        ASSERT_NE(newBin, oldBin);
        EXPECT_NE(newBin.find("the card of B"), std::string::npos) << newBin;
        EXPECT_NE(newBin.find("  b1"), std::string::npos) << newBin;
    }

    for (const char* mode : {"KIV_EIO_FAIL", "KIV_EIO_KILL"}) {
        const bool killed = std::string(mode) == "KIV_EIO_KILL";
        for (int n = 1; n <= writes; ++n) {
            SCOPED_TRACE(std::string(mode) + "=" + std::to_string(n));
            CopyPair(fixture, work);
            const ToolRun r = Kivedit(args, std::string(mode) + "=" + std::to_string(n));
            if (!killed) {
                EXPECT_EQ(r.status, 1) << "the failure was not reported: " << r.err;
            }
            const std::string dump = Dump(work), bin = Bin(work);
            if (std::string(c.op) == "cut") {
                // Gone from the tree only once the stored bin holds it; stored before, it
                // stays in the tree (a failing disk also takes the entry out again).
                const bool before = dump == oldDump && bin == oldBin;
                const bool after = dump == newDump && bin == newBin;
                const bool both = killed && dump == oldDump && bin == newBin;
                EXPECT_TRUE(before || after || both) << dump << "---\n" << bin;
            } else if (dump != oldDump && dump != newDump) {
                // Only a move between two nests cut short by a crash may leave the topic
                // twice; every topic is still there.
                EXPECT_TRUE(killed && c.betweenNests) << dump;
                const auto now = Captions(dump), was = Captions(oldDump);
                EXPECT_TRUE(std::includes(now.begin(), now.end(), was.begin(), was.end())) << dump;
            }
        }
    }
}

// t1..t8 in one block; thirty topics in two blocks, moved inside the first block and from
// the second into the first; a topic into the previous topic's children (its old nest
// keeps others, or is left empty) and out to its parent's level; a cut of a topic with a
// card and a branch.
INSTANTIATE_TEST_SUITE_P(
    Edits, FailingWrites,
    ::testing::Values(EditCase{"OneBlock", "t1 t2 t3 t4 t5 t6 t7 t8", "t6", "move", "up", false},
                      EditCase{"TwoBlocks", "", "t6", "move", "up", false, true},
                      EditCase{"TwoBlocksAcross", "", "t21", "move", "up", false, true},
                      EditCase{"BetweenNests", "A(a1 a2 a3) B(b1 b2 b3)", "b1", "move", "up", true},
                      EditCase{"EmptyingItsNest", "A(a1 a2) B(b1)", "b1", "move", "up", true},
                      EditCase{"OutOfItsNest", "A(a1 a2) B(b1)", "a2", "move", "out", true},
                      EditCase{"Cut", "A(a1 a2) B(b1(c1) b2) C", "B", "cut", "", false}),
    [](const ::testing::TestParamInfo<EditCase>& i) { return std::string(i.param.name); });

struct RestoreCase {
    const char* name;
    const char* tree;
    const char* caption;  // the topic cut, then restored
    bool toLost;          // its trail leads nowhere: the restore moves it to the lost branches
};

class FailingRestores : public ::testing::TestWithParam<RestoreCase> {};

// A restore killed or failing at each of its writes: the topic is in its place exactly once
// (the bin may still list it after a kill) or in the bin and not in the tree, and an entry
// moving to the lost branches is in one of the two bins at least. Whatever is left, one
// more restore ends with the topic in its place once and no entry.
TEST_P(FailingRestores, EveryWritePositionLeavesTheTopicOnceOrInTheBin) {
    const RestoreCase& c = GetParam();
    const std::string fixture = TempDir() + c.name + "-fixture.kiv";
    MakeTreePair(fixture, c.tree);
    ASSERT_EQ(Kivtree({"setcard", fixture, "1", "2"}, "the card of B\n").status, 0);
    const std::string wholeDump = Dump(fixture);
    const ToolRun cut = Kivedit({"cut", fixture, c.caption});
    ASSERT_EQ(cut.status, 0) << cut.err;
    const std::string cutDump = Dump(fixture), cutBin = Bin(fixture);
    ASSERT_NE(cutDump, wholeDump);

    const std::string work = TempDir() + c.name + ".kiv";
    CopyPair(fixture, work);
    const ToolRun done = Kivedit({"restore", work, c.caption});
    ASSERT_EQ(done.status, 0) << done.err;
    EXPECT_EQ(done.out, c.toLost ? "lost\n" : "restored\n");
    const int writes = WritesOf(done.err);
    ASSERT_GT(writes, 0) << done.err;
    const std::string newDump = Dump(work), newBin = Bin(work);
    // Stored at once: the program that restored it never closed the pair.
    EXPECT_EQ(newDump, c.toLost ? cutDump : wholeDump);
    EXPECT_EQ(newBin, c.toLost ? "lost:\n" + cutBin : "") << newBin;

    for (const char* mode : {"KIV_EIO_FAIL", "KIV_EIO_KILL"}) {
        const bool killed = std::string(mode) == "KIV_EIO_KILL";
        for (int n = 1; n <= writes; ++n) {
            SCOPED_TRACE(std::string(mode) + "=" + std::to_string(n));
            CopyPair(fixture, work);
            const ToolRun r =
                Kivedit({"restore", work, c.caption}, std::string(mode) + "=" + std::to_string(n));
            const std::string dump = Dump(work), bin = Bin(work);
            const bool before = dump == cutDump && bin == cutBin;
            const bool after = dump == newDump && bin == newBin;
            // Killed between the topic's nest and the bins: in the tree and in the bin.
            const bool both = killed && !c.toLost && dump == newDump && bin == cutBin;
            const bool inBothBins =
                killed && c.toLost && dump == cutDump && bin == cutBin + "lost:\n" + cutBin;
            EXPECT_TRUE(before || after || both || inBothBins) << dump << "---\n" << bin;
            if (!killed) {
                EXPECT_TRUE(r.status == 1 ? before : after) << r.err;
            }
            if (c.toLost) continue;
            const ToolRun again = Kivedit({"restore", work, c.caption});
            if (after) {
                EXPECT_EQ(again.status, 1) << "no entry left";
                continue;
            }
            ASSERT_EQ(again.status, 0) << again.err;
            EXPECT_EQ(again.out, both ? "in place\n" : "restored\n");
            EXPECT_EQ(Dump(work), wholeDump) << "the topic once, in its place";
            EXPECT_EQ(Bin(work), "");
        }
    }
}

// A topic with a card and a branch back to the top level; a topic whose trail has no
// place any more (cut from a nest below the top, with a trail of one node).
INSTANTIATE_TEST_SUITE_P(
    Restores, FailingRestores,
    ::testing::Values(RestoreCase{"Restore", "A(a1 a2) B(b1(c1) b2) C", "B", false},
                      RestoreCase{"RestoreToLost", "A(a1 a2) B(b1(c1) b2) C", "b1", true}),
    [](const ::testing::TestParamInfo<RestoreCase>& i) { return std::string(i.param.name); });

// The thirty topics of the two-block cases do stand in two blocks, the second as a
// nest's growth makes it.
TEST(FailingWritesFixture, ThirtyTopicsStandInTwoBlocks) {
    const std::string kiv = TempDir() + "thirty.kiv";
    MakeTwoBlockPair(kiv);
    TTreePairFiles pair = OpenTreePair(kiv, false);
    TItemArray top, children;
    ReadNestItems(pair.kiv.get(), ReadRootNest(pair.kiv.get()), top);
    ASSERT_EQ(top.size(), 1u);
    ReadNestItems(pair.kiv.get(), top[0].ChildNest, children);
    EXPECT_EQ(children.size(), 30u);
    TNestHeader h;
    ReadNestHeader(pair.kiv.get(), top[0].ChildNest, h);
    EXPECT_NE(h.Next, 0u);
    EXPECT_LT(h.Count, 30);
}

}  // namespace
