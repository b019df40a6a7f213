#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <memory>
#include <string>

#include "engine/core/NestFunctions.h"
#include "platform/core/AppPaths.h"
#include "platform/core/BlockFile.h"
#include "platform/core/KivStrings.h"

using namespace kiv;

namespace {

const char* const kWrongAddress = "Datastructure is corrupted, wrong nest address";
const char* const kCantGetItem = "Datastructure is corrupted, can't get nest item";
const char* const kCantSaveItem = "Datastructure is corrupted, can't save nest item";
const char* const kCantAddItems = "Datastructure is corrupted, can't add nest items";
const char* const kCantGetItems = "Datastructure is corrupted, can't get nest items";

// n distinct items, none of them all zero.
TItemArray Items(size_t n, uint32_t first = 1) {
    TItemArray v(n);
    for (size_t i = 0; i < n; ++i) v[i] = {uint32_t(first + i), uint32_t(0x10000 + first + i)};
    return v;
}

std::string RawItem(TNestItem it) {
    std::string s;
    AppendU32(s, it.CardDir);
    AppendU32(s, it.ChildNest);
    return s;
}

// A block as it lies in the file: header, then capacity slots.
std::string RawBlock(uint32_t next, uint16_t capacity, uint16_t count,
                     const TItemArray& items = {}) {
    std::string s;
    AppendU32(s, next);
    char b[4];
    PutU16(b, capacity);
    PutU16(b + 2, count);
    s.append(b, 4);
    for (size_t i = 0; i < capacity; ++i) s += RawItem(i < items.size() ? items[i] : TNestItem{});
    return s;
}

std::string RootHeader(uint32_t rootNest) {
    std::string s(4, '\0');
    AppendU32(s, rootNest);
    return s;
}

template <class Fn>
std::string NesterMessage(Fn&& fn) {
    try {
        fn();
    } catch (const ENesterError& e) {
        return e.what();
    }
    return "(nothing raised)";
}

}  // namespace

// Every storage rule runs on the in-memory file and on a real file.
class NestFile : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        if (GetParam() == "posix") {
            std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
            for (char& c : name)
                if (c == '/') c = '_';
            path_ = TempDir() + "nest_" + name + ".kiv";
            file_ = PosixBlockFile::Open(path_, OpenMode::Truncate);
        } else {
            file_ = std::make_unique<MemoryBlockFile>();
        }
        InitOutlineFile(F());
    }
    void TearDown() override {
        file_.reset();
        if (!path_.empty()) RemoveFile(path_);
    }

    BlockFile* F() { return file_.get(); }
    std::string Bytes() { return file_->ReadAll(); }
    void Load(const std::string& bytes) { file_->WriteAll(bytes); }
    TNestHeader Header(uint32_t block) {
        TNestHeader h;
        ReadNestHeader(F(), block, h);
        return h;
    }
    TItemArray Read(uint32_t nest) {
        TItemArray v;
        ReadNestItems(F(), nest, v);
        return v;
    }

    std::unique_ptr<BlockFile> file_;
    std::string path_;
};

INSTANTIATE_TEST_SUITE_P(Files, NestFile, ::testing::Values("memory", "posix"),
                         [](const auto& info) { return info.param; });

TEST_P(NestFile, NewOutlineFileIsEightZeroBytesWithNoTopics) {
    Load("leftover content that must go");
    InitOutlineFile(F());
    EXPECT_EQ(Bytes(), std::string(8, '\0'));
    EXPECT_EQ(ReadRootNest(F()), 0u);
    EXPECT_TRUE(Read(ReadRootNest(F())).empty());

    WriteRootNest(F(), 0x1234);
    EXPECT_EQ(Bytes(), RootHeader(0x1234));
    EXPECT_EQ(ReadRootNest(F()), 0x1234u);
}

TEST_P(NestFile, NewBlockCapacityKeepsFiveSpareAndAtLeastTen) {
    struct Case {
        size_t items;
        uint16_t capacity;
    } cases[] = {{1, 10}, {3, 10}, {5, 10}, {6, 11}, {20, 25}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.items);
        InitOutlineFile(F());
        TItemArray items = Items(c.items);
        uint32_t at = AppendNestBlock(F(), items);
        EXPECT_EQ(at, 8u);
        EXPECT_EQ(Bytes(), RootHeader(0) + RawBlock(0, c.capacity, uint16_t(c.items), items));
    }
    InitOutlineFile(F());
    EXPECT_EQ(AppendNestBlock(F(), {}), 0u);
    EXPECT_EQ(AddNestItems(F(), 0, {}), 0u);
    EXPECT_EQ(Bytes(), std::string(8, '\0'));
}

TEST_P(NestFile, AddingPastCapacityFillsFreeSlotsThenLinksANewBlock) {
    // A block of 10 slots holding 8 items.
    TItemArray first = Items(8), more = Items(4, 100);
    uint32_t nest = AddNestItems(F(), 0, TItemArray(first.begin(), first.begin() + 5));
    ASSERT_EQ(nest, 8u);
    EXPECT_EQ(AddNestItems(F(), nest, TItemArray(first.begin() + 5, first.end())), nest);
    ASSERT_EQ(Header(nest).Capacity, 10);
    ASSERT_EQ(Header(nest).Count, 8);
    EXPECT_EQ(AddNestItems(F(), nest, more), nest);

    uint32_t second = 8 + 8 + 10 * 8;
    TItemArray inFirst = first;
    inFirst.insert(inFirst.end(), more.begin(), more.begin() + 2);
    EXPECT_EQ(Bytes(), RootHeader(0) + RawBlock(second, 10, 10, inFirst) +
                           RawBlock(0, 10, 2, TItemArray(more.begin() + 2, more.end())));

    TItemArray all = first;
    all.insert(all.end(), more.begin(), more.end());
    EXPECT_EQ(Read(nest), all);
}

TEST_P(NestFile, AddingIntoFreeSlotsWritesNoNewBlock) {
    uint32_t nest = AddNestItems(F(), 0, Items(3));
    uint64_t size = F()->Size();
    AddNestItems(F(), nest, Items(7, 50));
    EXPECT_EQ(F()->Size(), size);
    EXPECT_EQ(Header(nest).Count, 10);
    EXPECT_EQ(Header(nest).Next, 0u);
}

class TwoFullBlocks : public NestFile {
protected:
    void SetUp() override {
        NestFile::SetUp();
        nest_ = AddNestItems(F(), 0, Items(5));
        for (int i = 0; i < 3; ++i) AddNestItems(F(), nest_, Items(5, 10 + 5 * i));
        ASSERT_EQ(Header(nest_).Count, 10);
        second_ = Header(nest_).Next;
        ASSERT_NE(second_, 0u);
        ASSERT_EQ(Header(second_).Count, 10);
        ASSERT_EQ(Header(second_).Capacity, 10);
    }
    uint32_t nest_ = 0, second_ = 0;
};

INSTANTIATE_TEST_SUITE_P(Files, TwoFullBlocks, ::testing::Values("memory", "posix"),
                         [](const auto& info) { return info.param; });

TEST_P(TwoFullBlocks, RewriteThatFitsTheFirstBlockCutsTheChain) {
    std::string before = Bytes();
    TItemArray three = Items(3, 500);
    WriteNestItems(F(), nest_, three);
    EXPECT_EQ(Header(nest_).Count, 3);
    EXPECT_EQ(Header(nest_).Next, 0u);
    EXPECT_EQ(Read(nest_), three);
    // The second block stays where it was, unreferenced.
    std::string after = Bytes();
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(after.substr(second_), before.substr(second_));
}

// A rewrite beyond the first block puts the rest in a new block and switches to it by one
// write of the first block: the old second block, which a reader of the old items passes
// through, is never rewritten.
TEST_P(TwoFullBlocks, RewriteSpanningBothBlocksSwitchesToANewSecondBlock) {
    struct Case {
        size_t items;
        uint16_t restCapacity;
    };
    for (const Case c : {Case{12, 10}, Case{27, 22}}) {
        SCOPED_TRACE(c.items);
        SetUp();
        const std::string before = Bytes();
        const uint64_t size = F()->Size();
        TItemArray items = Items(c.items, 700);
        WriteNestItems(F(), nest_, items);
        const uint32_t rest = Header(nest_).Next;
        EXPECT_EQ(rest, size);
        EXPECT_EQ(Header(nest_).Count, 10);
        EXPECT_EQ(Header(rest).Count, c.items - 10);
        EXPECT_EQ(Header(rest).Capacity, c.restCapacity);
        EXPECT_EQ(Bytes().substr(second_, size - second_), before.substr(second_));
        EXPECT_EQ(Read(nest_), items);
    }
}

TEST_P(TwoFullBlocks, EmptyRewriteClearsTheFirstBlock) {
    WriteNestItems(F(), nest_, {});
    EXPECT_EQ(Header(nest_).Count, 0);
    EXPECT_EQ(Header(nest_).Next, 0u);
    EXPECT_EQ(Header(nest_).Capacity, 10);
    EXPECT_TRUE(Read(nest_).empty());
}

TEST_P(TwoFullBlocks, ItemsAreFoundByIndexAcrossBlocks) {
    TItemArray all = Read(nest_);
    ASSERT_EQ(all.size(), 20u);
    TNestItem it;
    for (int i : {0, 9, 10, 19}) {
        ASSERT_TRUE(GetNestItem(F(), nest_, i, it)) << i;
        EXPECT_EQ(it, all[size_t(i)]) << i;
        EXPECT_TRUE(CheckNestItem(F(), nest_, i, all[size_t(i)])) << i;
    }
    EXPECT_FALSE(GetNestItem(F(), nest_, 20, it));
    EXPECT_FALSE(GetNestItem(F(), nest_, -1, it));
    EXPECT_FALSE(CheckNestItem(F(), nest_, 20, TNestItem{}));  // all-zero matches, but no slot

    TNestItem changed{0xAAAA, 0xBBBB};
    EXPECT_TRUE(SetNestItem(F(), nest_, 12, changed));
    all[12] = changed;
    EXPECT_EQ(Read(nest_), all);

    std::string before = Bytes();
    EXPECT_FALSE(SetNestItem(F(), nest_, 20, changed));
    EXPECT_FALSE(SetNestItem(F(), nest_, -1, changed));
    EXPECT_EQ(Bytes(), before);
}

TEST_P(TwoFullBlocks, InsertNestItemsPlacesAndReportsTheIndex) {
    TItemArray all = Read(nest_);
    TItemArray two = Items(2, 4000);
    EXPECT_EQ(InsertNestItems(F(), nest_, 10, two), 10);
    all.insert(all.begin() + 10, two.begin(), two.end());
    EXPECT_EQ(Read(nest_), all);

    EXPECT_EQ(InsertNestItems(F(), nest_, 1000, two), 22);
    all.insert(all.end(), two.begin(), two.end());
    EXPECT_EQ(Read(nest_), all);
}

TEST_P(NestFile, LoopingChainIsReportedByEveryWalk) {
    // Variant with items: the loop is caught before it fills memory. Variant without: the
    // block limit ends the walk.
    for (uint16_t count : {uint16_t(2), uint16_t(0)}) {
        SCOPED_TRACE(count);
        Load(RootHeader(8) + RawBlock(8, 10, count, Items(count)));
        std::string before = Bytes();
        TItemArray got;
        TNestItem it;
        EXPECT_EQ(NesterMessage([&] { ReadNestItems(F(), 8, got); }), kCantGetItems);
        EXPECT_EQ(NesterMessage([&] { (void)GetNestItem(F(), 8, 1 << 30, it); }), kCantGetItem);
        EXPECT_EQ(NesterMessage([&] { (void)SetNestItem(F(), 8, 1 << 30, it); }), kCantSaveItem);
        EXPECT_EQ(NesterMessage([&] { AddNestItems(F(), 8, Items(1)); }), kCantAddItems);
        EXPECT_EQ(NesterMessage([&] { WriteNestItems(F(), 8, Items(30)); }), kCantSaveItem);
        EXPECT_EQ(NesterMessage([&] { InsertNestItems(F(), 8, 0, Items(1)); }), kCantGetItems);
        EXPECT_EQ(Bytes(), before);
    }
}

TEST_P(NestFile, LongestAllowedChainStillReads) {
    // 7000 blocks are a nest; one more is a damaged file.
    std::string bytes = RootHeader(8);
    const uint32_t blockSize = 8 + 10 * 8;
    for (uint32_t i = 0; i < 7001; ++i) {
        uint32_t next = (i + 1 < 7001) ? 8 + (i + 1) * blockSize : 0;
        bytes += RawBlock(next, 10, 1, Items(1, i + 1));
    }
    Load(bytes);
    EXPECT_EQ(NesterMessage([&] { Read(8); }), kCantGetItems);
    EXPECT_EQ(Read(8 + blockSize).size(), 7000u);
    TNestItem it;
    EXPECT_TRUE(GetNestItem(F(), 8 + blockSize, 6999, it));
    EXPECT_EQ(it.CardDir, 7001u);
}

TEST_P(NestFile, DamagedBlocksRaiseInsteadOfReadingGarbage) {
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"header past the end", RootHeader(8)},
        {"half a header", RootHeader(8) + std::string(5, '\0')},
        {"next beyond the file", RootHeader(8) + RawBlock(0x100000, 10, 1, Items(1))},
        {"next above the signed range", RootHeader(8) + RawBlock(0x80000000, 10, 1, Items(1))},
        {"next inside the root header", RootHeader(8) + RawBlock(4, 10, 1, Items(1))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Load(c.bytes);
        TNestItem it;
        EXPECT_EQ(NesterMessage([&] { Read(8); }), kWrongAddress);
        EXPECT_EQ(NesterMessage([&] { (void)GetNestItem(F(), 8, 5, it); }), kWrongAddress);
        EXPECT_EQ(NesterMessage([&] { AddNestItems(F(), 8, Items(1)); }), kWrongAddress);
    }

    // Used slots past the end of the file (a truncated block).
    Load(RootHeader(8) + RawBlock(0, 10, 4, Items(4)).substr(0, 8 + 2 * 8));
    TNestItem it;
    EXPECT_EQ(NesterMessage([&] { Read(8); }), kCantGetItems);
    EXPECT_TRUE(GetNestItem(F(), 8, 1, it));
    EXPECT_EQ(NesterMessage([&] { (void)GetNestItem(F(), 8, 3, it); }), kCantGetItem);
    EXPECT_EQ(NesterMessage([&] { (void)SetNestItem(F(), 8, 3, it); }), kCantSaveItem);
    EXPECT_EQ(NesterMessage([&] { AddNestItems(F(), 8, Items(1)); }), kCantAddItems);
    EXPECT_EQ(NesterMessage([&] { WriteNestItems(F(), 8, Items(1)); }), kCantSaveItem);

    // More slots in use than the block has.
    Load(RootHeader(8) + RawBlock(0, 2, 3, Items(2)) + std::string(64, '\0'));
    EXPECT_EQ(NesterMessage([&] { Read(8); }), kCantGetItems);
    EXPECT_EQ(NesterMessage([&] { (void)GetNestItem(F(), 8, 0, it); }), kCantGetItem);

    // A next pointing inside the same block: a rewrite would overwrite its own items.
    TItemArray overlapping = Items(10);
    overlapping[0] = {0, 10};  // read at offset 16 as a header {next 0, capacity 10, count 0}
    Load(RootHeader(8) + RawBlock(16, 10, 10, overlapping) + std::string(16, '\0'));
    std::string before = Bytes();
    EXPECT_EQ(NesterMessage([&] { WriteNestItems(F(), 8, Items(15, 300)); }), kCantSaveItem);
    EXPECT_EQ(Bytes(), before);
}

TEST_P(NestFile, ExternalChildNestReadsAsNoChildren) {
    TNestItem external{0x40, kExternalNest};
    uint32_t nest = AddNestItems(F(), 0, {external});
    TItemArray got = Read(nest);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].ChildNest, 0xFFFFFFFFu);
    EXPECT_FALSE(NestFollowed(got[0].ChildNest));
    EXPECT_TRUE(Read(got[0].ChildNest).empty());
    TNestItem it;
    EXPECT_FALSE(GetNestItem(F(), got[0].ChildNest, 0, it));

    std::string before = Bytes();
    WriteNestItems(F(), kExternalNest, Items(3));
    EXPECT_FALSE(SetNestItem(F(), kExternalNest, 0, it));
    EXPECT_EQ(Bytes(), before);
}

TEST_P(NestFile, SeventyThousandItemsInOneAppendSplitOverBlocks) {
    TItemArray many = Items(70000);
    uint32_t nest = AddNestItems(F(), 0, many);
    ASSERT_EQ(nest, 8u);
    TNestHeader h = Header(nest);
    EXPECT_EQ(h.Capacity, 65535);
    EXPECT_EQ(h.Count, 65530);
    ASSERT_NE(h.Next, 0u);
    TNestHeader tail = Header(h.Next);
    EXPECT_EQ(tail.Count, 70000 - 65530);
    EXPECT_EQ(tail.Capacity, 70000 - 65530 + 5);
    EXPECT_EQ(tail.Next, 0u);
    EXPECT_EQ(Read(nest), many);

    TNestItem it;
    ASSERT_TRUE(GetNestItem(F(), nest, 69999, it));
    EXPECT_EQ(it, many.back());

    // Appending as many again to the live nest.
    TItemArray more = Items(70000, 1000000);
    AddNestItems(F(), nest, more);
    TItemArray all = many;
    all.insert(all.end(), more.begin(), more.end());
    EXPECT_EQ(Read(nest), all);
}

TEST_P(NestFile, SeventyThousandItemRewriteOfASmallNest) {
    uint32_t nest = AddNestItems(F(), 0, Items(3));
    TItemArray many = Items(70000, 77);
    WriteNestItems(F(), nest, many);
    EXPECT_EQ(Header(nest).Count, 10);
    EXPECT_EQ(Read(nest), many);

    // Rewritten again with the same length: what the first block cannot hold goes to new
    // blocks, switched to by one write of the first block; the old ones wait for a pack.
    uint64_t size = F()->Size();
    TItemArray other = Items(70000, 5000000);
    WriteNestItems(F(), nest, other);
    EXPECT_EQ(F()->Size(), size + (size - 8 - (8 + 10 * 8)));
    EXPECT_EQ(Read(nest), other);
}

TEST_P(NestFile, ABlockIsNeverPlacedOverTheRootHeader) {
    F()->Truncate(0);
    EXPECT_EQ(AppendNestBlock(F(), Items(1)), 8u);
    EXPECT_EQ(ReadRootNest(F()), 0u);
    EXPECT_EQ(Read(8), Items(1));
}

TEST(NestStorage, AddressesStayWithinTheSignedRange) {
    // Sparse files near 2 GiB: a block placed past 0x7FFFFFFF could never be followed.
    std::string path = TempDir() + "nest_huge.kiv";
    {
        auto f = PosixBlockFile::Open(path, OpenMode::Truncate);
        f->Truncate(0x7FFFFFF8);
        ASSERT_EQ(AppendNestBlock(f.get(), Items(1)), 0x7FFFFFF8u);
        TItemArray got;
        ReadNestItems(f.get(), 0x7FFFFFF8, got);
        EXPECT_EQ(got, Items(1));
        uint64_t size = f->Size();
        EXPECT_THROW(AppendNestBlock(f.get(), Items(1)), EFileError);
        EXPECT_EQ(f->Size(), size);

        // A split whose second block would land past the limit writes nothing at all.
        f->Truncate(0x7FFF0000);
        EXPECT_THROW(AppendNestBlock(f.get(), Items(70000)), EFileError);
        EXPECT_EQ(f->Size(), 0x7FFF0000u);
    }
    RemoveFile(path);
}

// A nest of two blocks, 10 of 10 and 3 of 10: 13 items.
struct TwoBlockNest {
    TwoBlockNest() {
        InitOutlineFile(&m);
        nest = AppendNestBlock(&m, Items(5));
        AddNestItems(&m, nest, Items(5, 6));
        AddNestItems(&m, nest, Items(3, 11));
        ReadNestItems(&m, nest, items);
    }
    MemoryBlockFile m;
    uint32_t nest = 0;
    TItemArray items;
};

// Growing a nest on a full disk fails before any of its blocks is rewritten: the file is
// byte for byte what it was and every topic is still in the nest.
TEST(NestStorage, GrowthOnAFullDiskLeavesTheOldNest) {
    struct Case {
        const char* name;
        std::function<void(TwoBlockNest&)> grow;
        uint64_t room;
    };
    const Case cases[] = {
        {"an insert at the front",
         [](TwoBlockNest& n) { InsertNestItems(&n.m, n.nest, 0, Items(8, 100)); }, 0},
        {"an insert, part of the new block fits",
         [](TwoBlockNest& n) { InsertNestItems(&n.m, n.nest, 1, Items(8, 100)); }, 40},
        {"a rewrite longer than the chain",
         [](TwoBlockNest& n) { WriteNestItems(&n.m, n.nest, Items(30, 100)); }, 8},
        {"an addition filling free slots",
         [](TwoBlockNest& n) { AddNestItems(&n.m, n.nest, Items(9, 100)); }, 0},
        {"a nest past 65530 items",
         [](TwoBlockNest& n) { AddNestItems(&n.m, n.nest, Items(70000, 100)); }, 4000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TwoBlockNest n;
        const std::string old = n.m.Bytes();
        n.m.FailGrowthPast(old.size() + c.room);
        EXPECT_THROW(c.grow(n), EFileError);
        EXPECT_EQ(n.m.Bytes(), old);
        TItemArray after;
        ReadNestItems(&n.m, n.nest, after);
        EXPECT_EQ(after, n.items);

        n.m.UnlimitedGrowth();
        c.grow(n);
        ReadNestItems(&n.m, n.nest, after);
        EXPECT_GT(after.size(), n.items.size());
    }
}

TEST(NestStorage, RewritesWithinTheChainNeedNoRoom) {
    TwoBlockNest n;
    n.m.FailGrowthPast(n.m.Size());
    TItemArray want = Items(20, 50);  // exactly the two blocks' capacity
    WriteNestItems(&n.m, n.nest, want);
    TItemArray after;
    ReadNestItems(&n.m, n.nest, after);
    EXPECT_EQ(after, want);
    InsertNestItems(&n.m, n.nest, 0, {});
    EXPECT_EQ(InsertNestItems(&n.m, n.nest, 99, Items(0)), 20);

    // Room made beforehand: an empty block behind the chain, the items unchanged.
    n.m.UnlimitedGrowth();
    ReserveNestItems(&n.m, n.nest, 26);
    ReadNestItems(&n.m, n.nest, after);
    EXPECT_EQ(after, want);
    const uint64_t reserved = n.m.Size();
    ReserveNestItems(&n.m, n.nest, 26);  // there already
    EXPECT_EQ(n.m.Size(), reserved);
    n.m.FailGrowthPast(reserved);
    want = Items(26, 70);
    WriteNestItems(&n.m, n.nest, want);
    ReadNestItems(&n.m, n.nest, after);
    EXPECT_EQ(after, want);
    EXPECT_THROW(ReserveNestItems(&n.m, n.nest, 40), EFileError);
    EXPECT_EQ(n.m.Size(), reserved);
}

TEST(NestStorage, ShortWritesRaise) {
    MemoryBlockFile m;
    InitOutlineFile(&m);
    uint32_t nest = AddNestItems(&m, 0, Items(8));
    m.FailWritesAfter(0);
    EXPECT_THROW(AddNestItems(&m, nest, Items(4)), EFileError);
    EXPECT_THROW(WriteNestItems(&m, nest, Items(2)), EFileError);
    EXPECT_THROW(AppendNestBlock(&m, Items(2)), EFileError);
    EXPECT_THROW(WriteRootNest(&m, nest), EFileError);
}

TEST(NestStorage, NullHandleReadsNothingAndWritesNothing) {
    TNestHeader h;
    TItemArray v;
    TNestItem it;
    EXPECT_EQ(NesterMessage([&] { ReadNestHeader(nullptr, 8, h); }), kWrongAddress);
    EXPECT_EQ(NesterMessage([&] { ReadNestItems(nullptr, 8, v); }), kWrongAddress);
    EXPECT_EQ(NesterMessage([&] { (void)GetNestItem(nullptr, 8, 0, it); }), kWrongAddress);
    EXPECT_EQ(NesterMessage([&] { AddNestItems(nullptr, 8, Items(1)); }), kWrongAddress);
    EXPECT_NO_THROW(WriteNestHeader(nullptr, 8, h));
    EXPECT_EQ(AppendNestBlock(nullptr, Items(3)), 0u);
    EXPECT_EQ(AddNestItems(nullptr, 0, Items(3)), 0u);
    EXPECT_EQ(ReadRootNest(nullptr), 0u);
    EXPECT_NO_THROW(WriteRootNest(nullptr, 8));
    EXPECT_NO_THROW(InitOutlineFile(nullptr));
    ReadNestItems(nullptr, 0, v);
    EXPECT_TRUE(v.empty());
}

// ---- item arrays ----

TEST(NestItems, MatchRules) {
    struct Case {
        TNestItem a, b;
        bool equal, match;
    } cases[] = {
        {{1, 2}, {1, 2}, true, true},
        {{1, 50}, {9, 50}, false, true},                         // same child nest
        {{7, 50}, {7, 60}, false, true},                         // same card directory
        {{0, 0}, {3, 4}, false, true},                           // a is empty
        {{3, 4}, {0, 0}, false, true},                           // b is empty
        {{0, 50}, {0, 60}, false, false},                        // card directory 0 does not count
        {{1, kExternalNest}, {2, kExternalNest}, false, false},  // nor an unfollowed nest
        {{1, 0}, {2, 0}, false, false},
        {{1, 2}, {3, 4}, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.a.CardDir << "," << c.a.ChildNest << " / "
                                        << c.b.CardDir << "," << c.b.ChildNest);
        EXPECT_EQ(NestItemsEqual(c.a, c.b), c.equal);
        EXPECT_EQ(NestItemsMatch(c.a, c.b), c.match);
    }
}

TEST(NestItems, DeleteKeepsExactlyTheUnnamed) {
    struct Case {
        const char* what;
        TIArray indexes;
        std::vector<uint32_t> kept;  // CardDir of the remaining items
    } cases[] = {
        {"repeated index", {1, 1}, {1, 3, 4, 5}},
        {"first and last", {4, 0}, {2, 3, 4}},
        {"outside the array", {-1, 5, 99}, {1, 2, 3, 4, 5}},
        {"no indexes", {}, {1, 2, 3, 4, 5}},
        {"all", {0, 1, 2, 3, 4}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TItemArray v = Items(5);
        v[2].ChildNest = 0x7FFFFFFF;  // a value a damaged file may hold; must not vanish
        DeleteItemsAt(v, c.indexes);
        std::vector<uint32_t> kept;
        for (auto& it : v) kept.push_back(it.CardDir);
        EXPECT_EQ(kept, c.kept);
    }
    TItemArray empty;
    DeleteItemsAt(empty, {0});
    EXPECT_TRUE(empty.empty());
}

TEST(NestItems, InsertAndConcat) {
    struct Case {
        int index, used;
        std::vector<uint32_t> order;
    } cases[] = {
        {0, 0, {100, 101, 1, 2, 3}},  {1, 1, {1, 100, 101, 2, 3}},  {3, 3, {1, 2, 3, 100, 101}},
        {50, 3, {1, 2, 3, 100, 101}}, {-4, 0, {100, 101, 1, 2, 3}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.index);
        TItemArray v = Items(3);
        EXPECT_EQ(InsertItemsAt(v, Items(2, 100), c.index), c.used);
        std::vector<uint32_t> order;
        for (auto& it : v) order.push_back(it.CardDir);
        EXPECT_EQ(order, c.order);
    }

    TItemArray self = Items(2);
    EXPECT_EQ(InsertItemsAt(self, self, 1), 1);
    EXPECT_EQ(self, (TItemArray{Items(1)[0], Items(1)[0], Items(2)[1], Items(2)[1]}));

    TItemArray a = Items(2), b = Items(1, 9), r;
    ConcatItems(a, b, r);
    EXPECT_EQ(r, (TItemArray{a[0], a[1], b[0]}));
    ConcatItems(a, a, a);
    EXPECT_EQ(a, (TItemArray{Items(2)[0], Items(2)[1], Items(2)[0], Items(2)[1]}));
}

// An I/O error on any one write of a nest rewrite (a move inside the nest, an insertion, an
// addition) leaves the old items or the new ones, never a mix of the two.
TEST(NestRewrite, AnIOErrorOnAnyWriteLeavesTheOldItemsOrTheNew) {
    struct Case {
        const char* name;
        std::function<void(BlockFile*, uint32_t, const TItemArray&)> change;
        std::function<TItemArray(const TItemArray&)> expect;
    };
    const TItemArray two = Items(2, 9000);
    const Case cases[] = {
        {"the last item moved to the front",
         [](BlockFile* f, uint32_t nest, const TItemArray& old) {
             TItemArray moved = old;
             std::rotate(moved.rbegin(), moved.rbegin() + 1, moved.rend());
             WriteNestItems(f, nest, moved);
         },
         [](const TItemArray& old) {
             TItemArray moved = old;
             std::rotate(moved.rbegin(), moved.rbegin() + 1, moved.rend());
             return moved;
         }},
        {"two inserted in the middle",
         [&](BlockFile* f, uint32_t nest, const TItemArray&) { InsertNestItems(f, nest, 12, two); },
         [&](const TItemArray& old) {
             TItemArray v = old;
             v.insert(v.begin() + 12, two.begin(), two.end());
             return v;
         }},
        {"two added",
         [&](BlockFile* f, uint32_t nest, const TItemArray&) { AddNestItems(f, nest, two); },
         [&](const TItemArray& old) {
             TItemArray v = old;
             v.insert(v.end(), two.begin(), two.end());
             return v;
         }},
        {"cut to three",
         [](BlockFile* f, uint32_t nest, const TItemArray& old) {
             WriteNestItems(f, nest, TItemArray(old.begin(), old.begin() + 3));
         },
         [](const TItemArray& old) { return TItemArray(old.begin(), old.begin() + 3); }},
    };
    // A nest of 30 items in two blocks.
    MemoryBlockFile start;
    InitOutlineFile(&start);
    const uint32_t nest = AddNestItems(&start, 0, Items(20, 100));
    AddNestItems(&start, nest, Items(10, 200));
    TItemArray old;
    ReadNestItems(&start, nest, old);
    ASSERT_EQ(old.size(), 30u);
    TNestHeader h;
    ReadNestHeader(&start, nest, h);
    ASSERT_NE(h.Next, 0u);

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TItemArray fresh = c.expect(old);
        int writes = 0;
        {
            MemoryBlockFile probe{start.Bytes()};
            c.change(&probe, nest, old);
            TItemArray got;
            ReadNestItems(&probe, nest, got);
            ASSERT_EQ(got, fresh);
            writes = probe.Writes();
        }
        ASSERT_GT(writes, 0);
        for (int n = 0; n < writes; ++n) {
            SCOPED_TRACE(n);
            MemoryBlockFile disk{start.Bytes()};
            disk.FailWriteNumber(n);
            bool done = true;
            try {
                c.change(&disk, nest, old);
            } catch (const EFileError& e) {
                EXPECT_EQ(e.Errno(), EIO);
                done = false;
            }
            TItemArray got;
            ReadNestItems(&disk, nest, got);
            EXPECT_EQ(got, done ? fresh : old);
        }
    }
}
