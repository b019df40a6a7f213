#include "engine/core/NestFunctions.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>

#include "platform/core/KivAssert.h"
#include "platform/core/KivError.h"
#include "platform/core/KivStrings.h"

namespace kiv {

namespace {

const char* const kWrongAddress = "Datastructure is corrupted, wrong nest address";
const char* const kCantGetItem = "Datastructure is corrupted, can't get nest item";
const char* const kCantSaveItem = "Datastructure is corrupted, can't save nest item";
const char* const kCantAddItems = "Datastructure is corrupted, can't add nest items";
const char* const kCantGetItems = "Datastructure is corrupted, can't get nest items";

// Addresses are tested as signed wherever they are followed, so nothing may live past this.
constexpr uint64_t kMaxAddress = 0x7FFFFFFF;
constexpr size_t kItemSize = 8;
constexpr size_t kHeaderSize = 8;
// One block holds at most 65535 slots and a new block keeps 5 of them spare.
constexpr size_t kMaxBlockItems = 0xFFFF - kNestSlack;

static_assert(sizeof(TNestItem) == kItemSize, "a nest item is stored as 8 raw bytes");

[[noreturn]] void Corrupt(const char* message) { throw ENesterError(message); }

uint64_t SlotOffset(uint32_t block, uint64_t slot) {
    return uint64_t(block) + kHeaderSize + slot * kItemSize;
}
uint64_t BlockEnd(uint32_t block, const TNestHeader& h) { return SlotOffset(block, h.Capacity); }

void EncodeHeader(char* p, const TNestHeader& h) {
    KIV_ASSERT(h.Count <= h.Capacity);
    KIV_ASSERT(h.Next == 0 || (h.Next >= kRootHeaderSize && h.Next <= kMaxAddress));
    PutU32(p, h.Next);
    PutU16(p + 4, h.Capacity);
    PutU16(p + 6, h.Count);
}

// Items are two little-endian u32; on a little-endian host the array is the file's bytes.
void EncodeItems(char* p, const TNestItem* items, size_t n) {
    if constexpr (std::endian::native == std::endian::little) {
        if (n) std::memcpy(p, items, n * kItemSize);
    } else {
        for (size_t i = 0; i < n; ++i) {
            PutU32(p + i * kItemSize, items[i].CardDir);
            PutU32(p + i * kItemSize + 4, items[i].ChildNest);
        }
    }
}

void ItemsFromDisk(TNestItem* items, size_t n) {
    if constexpr (std::endian::native != std::endian::little) {
        for (size_t i = 0; i < n; ++i) {
            const char* p = reinterpret_cast<const char*>(items + i);
            items[i] = {GetU32(p), GetU32(p + 4)};
        }
    }
}

bool ReadItemsAt(BlockFile* f, uint64_t off, TNestItem* out, size_t n) {
    if (!f->ReadExact(off, out, n * kItemSize)) return false;
    ItemsFromDisk(out, n);
    return true;
}

// Items go straight from the array where its bytes are the file's.
void WriteItemsAt(BlockFile* f, uint64_t off, const TNestItem* items, size_t n) {
    if (n == 0) return;
    if constexpr (std::endian::native == std::endian::little) {
        f->WriteAt(off, items, n * kItemSize);
    } else {
        std::string buf(n * kItemSize, '\0');
        EncodeItems(buf.data(), items, n);
        f->WriteAt(off, buf.data(), buf.size());
    }
}

// Up to this many item bytes, one combined write is cheaper than copying nothing.
constexpr size_t kGatherLimit = 4096;

// Writes a block's header and its used slots; with zeroSpare also the unused slots, as a
// new block has them.
void WriteBlock(BlockFile* f, uint32_t at, const TNestHeader& h, const TNestItem* items,
                bool zeroSpare) {
    KIV_ASSERT(at >= kRootHeaderSize && at <= kMaxAddress);
    const size_t slots = zeroSpare ? h.Capacity : h.Count;
    if (size_t(h.Count) * kItemSize <= kGatherLimit) {
        std::string buf(kHeaderSize + slots * kItemSize, '\0');
        EncodeHeader(buf.data(), h);
        EncodeItems(buf.data() + kHeaderSize, items, h.Count);
        f->WriteAt(at, buf.data(), buf.size());
        return;
    }
    // Slots first, so the header never counts items that are not there yet.
    WriteItemsAt(f, SlotOffset(at, 0), items, h.Count);
    if (slots > h.Count) {
        const std::string zeros((slots - h.Count) * kItemSize, '\0');
        f->WriteAt(SlotOffset(at, h.Count), zeros.data(), zeros.size());
    }
    char hb[kHeaderSize];
    EncodeHeader(hb, h);
    f->WriteAt(at, hb, kHeaderSize);
}

// Writes n items as consecutive blocks at the end of the file, each holding at most
// kMaxBlockItems so that capacity never wraps; the blocks are chained in order. With room
// only, the blocks have the capacity for n items and hold none.
uint32_t AppendBlocks(BlockFile* f, const TNestItem* items, size_t n, bool roomOnly = false) {
    if (!f || n == 0) return 0;
    // Offset 0 is the root header and means "none": a file not yet laid out gets its
    // 8 zero bytes implicitly (the write fills the gap with zeros).
    const uint64_t at = std::max<uint64_t>(f->Size(), kRootHeaderSize);

    auto capacityFor = [](size_t k) {
        return uint16_t(std::max<size_t>(k + kNestSlack, kMinNestCapacity));
    };
    auto blockBytes = [](uint16_t capacity) {
        return kHeaderSize + uint64_t(capacity) * kItemSize;
    };

    // Place every block before writing any: none may start past the followable range.
    uint64_t lastAt = at;
    for (size_t done = 0, pos = 0; done < n;) {
        size_t k = std::min(n - done, kMaxBlockItems);
        lastAt = at + pos;
        pos += blockBytes(capacityFor(k));
        done += k;
    }
    if (lastAt > kMaxAddress) throw EFileError("Cannot write", f->Path(), EFBIG);

    AppendRollback rollback(f);
    uint64_t blockAt = at;
    for (size_t done = 0; done < n;) {
        size_t k = std::min(n - done, kMaxBlockItems);
        TNestHeader h;
        h.Capacity = capacityFor(k);
        h.Count = roomOnly ? 0 : uint16_t(k);
        uint64_t nextAt = blockAt + blockBytes(h.Capacity);
        h.Next = done + k < n ? uint32_t(nextAt) : 0;
        WriteBlock(f, uint32_t(blockAt), h, roomOnly ? nullptr : items + done, true);
        blockAt = nextAt;
        done += k;
    }
    return uint32_t(at);
}

// The walk of GetNestItem and SetNestItem: the file offset of the slot holding index, or
// false when the chain ends first.
bool LocateSlot(BlockFile* f, uint32_t nest, int index, const char* message, uint64_t& slot) {
    if (!NestFollowed(nest) || index < 0) return false;
    uint32_t block = nest;
    int64_t base = 0;
    int visited = 0;
    for (;;) {
        if (++visited > kMaxNestBlocks) Corrupt(message);
        TNestHeader h;
        ReadNestHeader(f, block, h);
        if (h.Count > h.Capacity) Corrupt(message);
        if (base + h.Count - 1 < index) {
            base += h.Count;
            if (h.Next == 0) return false;
            block = h.Next;
            continue;
        }
        slot = SlotOffset(block, uint64_t(index - base));
        return true;
    }
}

// The last block of the chain and its header; the chain's total capacity through slots.
void LastBlock(BlockFile* f, uint32_t nest, uint32_t& last, TNestHeader& h,
               uint64_t* slots = nullptr) {
    last = nest;
    int visited = 0;
    for (;;) {
        if (++visited > kMaxNestBlocks) Corrupt(kCantAddItems);
        ReadNestHeader(f, last, h);
        if (slots) *slots += h.Capacity;
        if (h.Next == 0) return;
        last = h.Next;
    }
}

}  // namespace

void ReadNestHeader(BlockFile* f, uint32_t block, TNestHeader& header) {
    char b[kHeaderSize];
    // Nothing lives in the root header: a nest there is a wrong address.
    if (!f || block < kRootHeaderSize || block > kMaxAddress ||
        !f->ReadExact(block, b, kHeaderSize))
        Corrupt(kWrongAddress);
    header.Next = GetU32(b);
    header.Capacity = GetU16(b + 4);
    header.Count = GetU16(b + 6);
}

void WriteNestHeader(BlockFile* f, uint32_t block, const TNestHeader& header) {
    if (!f || block > kMaxAddress) return;
    KIV_ASSERT(block >= kRootHeaderSize);
    char b[kHeaderSize];
    EncodeHeader(b, header);
    f->WriteAt(block, b, kHeaderSize);
}

void ReadNestItems(BlockFile* f, uint32_t nest, TItemArray& items) {
    items.clear();
    if (!NestFollowed(nest)) return;
    // Blocks of a sound file never overlap, so a nest cannot hold more items than the file
    // has 8-byte slots; a damaged chain is stopped there instead of filling memory.
    const uint64_t maxItems = f ? f->Size() / kItemSize : 0;
    try {
        uint32_t block = nest;
        int visited = 0;
        for (;;) {
            if (++visited > kMaxNestBlocks) Corrupt(kCantGetItems);
            TNestHeader h;
            ReadNestHeader(f, block, h);
            if (h.Count > h.Capacity || items.size() + h.Count > maxItems) Corrupt(kCantGetItems);
            if (h.Count) {
                size_t old = items.size();
                items.resize(old + h.Count);
                if (!ReadItemsAt(f, SlotOffset(block, 0), items.data() + old, h.Count))
                    Corrupt(kCantGetItems);
            }
            if (h.Next == 0) {
                KIV_ASSERT(items.size() <= maxItems);
                return;
            }
            block = h.Next;
        }
    } catch (...) {
        items.clear();  // nothing half-read reaches the caller
        throw;
    }
}

bool GetNestItem(BlockFile* f, uint32_t nest, int index, TNestItem& item) {
    uint64_t slot;
    if (!LocateSlot(f, nest, index, kCantGetItem, slot)) return false;
    TNestItem got;
    if (!ReadItemsAt(f, slot, &got, 1)) Corrupt(kCantGetItem);
    item = got;
    return true;
}

bool SetNestItem(BlockFile* f, uint32_t nest, int index, const TNestItem& item) {
    uint64_t slot;
    if (!LocateSlot(f, nest, index, kCantSaveItem, slot)) return false;
    // A used slot past the end of the file means a truncated block: writing there would
    // grow the file under blocks appended later.
    if (slot + kItemSize > f->Size()) Corrupt(kCantSaveItem);
    char b[kItemSize];
    EncodeItems(b, &item, 1);
    f->WriteAt(slot, b, kItemSize);
    return true;
}

bool CheckNestItem(BlockFile* f, uint32_t nest, int index, const TNestItem& item) {
    TNestItem stored;
    return GetNestItem(f, nest, index, stored) && NestItemsMatch(stored, item);
}

uint32_t AppendNestBlock(BlockFile* f, const TItemArray& items) {
    return AppendBlocks(f, items.data(), items.size());
}

uint32_t AddNestItems(BlockFile* f, uint32_t nest, const TItemArray& items) {
    if (nest == 0) return AppendNestBlock(f, items);

    uint32_t last;
    TNestHeader h;
    LastBlock(f, nest, last, h);
    if (items.empty()) return nest;
    // Free slots must lie inside the file, or the block appended below would overlap them.
    if (h.Count > h.Capacity || BlockEnd(last, h) > f->Size()) Corrupt(kCantAddItems);

    AppendRollback rollback(f);
    size_t take = std::min<size_t>(items.size(), h.Capacity - h.Count);
    // The rest goes behind first: should that fail, not even the free slots have changed.
    if (take < items.size()) h.Next = AppendBlocks(f, items.data() + take, items.size() - take);
    if (take) {
        WriteItemsAt(f, SlotOffset(last, h.Count), items.data(), take);
        h.Count = uint16_t(h.Count + take);
    }
    WriteNestHeader(f, last, h);
    return nest;
}

void ReserveNestItems(BlockFile* f, uint32_t nest, size_t total) {
    if (!NestFollowed(nest)) return;
    uint32_t last;
    TNestHeader h;
    uint64_t slots = 0;
    LastBlock(f, nest, last, h, &slots);
    if (slots >= total) return;
    if (h.Count > h.Capacity || BlockEnd(last, h) > f->Size()) Corrupt(kCantAddItems);
    AppendRollback rollback(f);
    h.Next = AppendBlocks(f, nullptr, size_t(total - slots), true);
    WriteNestHeader(f, last, h);
}

void WriteNestItems(BlockFile* f, uint32_t nest, const TItemArray& items) {
    if (!NestFollowed(nest)) return;
    TNestHeader h;
    ReadNestHeader(f, nest, h);
    if (items.empty()) {
        h.Next = 0;
        h.Count = 0;
        WriteNestHeader(f, nest, h);
        return;
    }

    // Find every block the items will occupy before writing any, so that a damaged chain
    // raises with the file as it was.
    struct Placed {
        uint32_t at;
        TNestHeader h;
        size_t from, count;
    };
    std::vector<Placed> plan;
    const uint64_t fileSize = f->Size();
    size_t done = 0;
    uint32_t block = nest;
    for (;;) {
        if (plan.size() >= size_t(kMaxNestBlocks)) Corrupt(kCantSaveItem);
        if (!plan.empty()) ReadNestHeader(f, block, h);
        if (BlockEnd(block, h) > fileSize) Corrupt(kCantSaveItem);
        size_t k = std::min<size_t>(items.size() - done, h.Capacity);
        plan.push_back({block, h, done, k});
        done += k;
        if (done == items.size() || h.Next == 0) break;
        block = h.Next;
    }
    // Blocks that share bytes (a loop, or a next pointing inside a block) would overwrite
    // each other's items.
    {
        std::vector<std::pair<uint64_t, uint64_t>> spans;
        spans.reserve(plan.size());
        for (const auto& p : plan) spans.emplace_back(p.at, BlockEnd(p.at, p.h));
        std::sort(spans.begin(), spans.end());
        for (size_t i = 1; i < spans.size(); ++i)
            if (spans[i].first < spans[i - 1].second) Corrupt(kCantSaveItem);
    }

    // The nest is switched by one write of its first block (header and items together): what
    // that block cannot hold goes to new blocks first, so a failing write leaves the old items
    // or the new ones. The old blocks behind are left unused.
    AppendRollback rollback(f);
    const Placed& head = plan.front();
    const size_t inHead = std::min<size_t>(items.size(), head.h.Capacity);
    const uint64_t before = f->Size();
    try {
        TNestHeader out = head.h;
        out.Count = uint16_t(inHead);
        out.Next = inHead < items.size()
                       ? AppendBlocks(f, items.data() + inHead, items.size() - inHead)
                       : 0;
        std::string buf(kHeaderSize + inHead * kItemSize, '\0');
        EncodeHeader(buf.data(), out);
        EncodeItems(buf.data() + kHeaderSize, items.data(), inHead);
        f->WriteAt(head.at, buf.data(), buf.size());
        return;
    } catch (const EFileError& e) {
        // No room for new blocks: the chain takes the items where it stands (writes inside the
        // file still go through on a full disk), only its excess appended.
        if (!e.NoRoom()) throw;
        if (f->Size() > before) f->Truncate(before);
    }
    const uint32_t excess =
        done < items.size() ? AppendBlocks(f, items.data() + done, items.size() - done) : 0;
    for (size_t i = 0; i < plan.size(); ++i) {
        const Placed& p = plan[i];
        TNestHeader out = p.h;
        out.Count = uint16_t(p.count);
        if (i + 1 == plan.size()) out.Next = excess;
        WriteBlock(f, p.at, out, items.data() + p.from, false);
    }
}

int InsertNestItems(BlockFile* f, uint32_t nest, int index, const TItemArray& items) {
    TItemArray all;
    ReadNestItems(f, nest, all);
    int used = InsertItemsAt(all, items, index);
    WriteNestItems(f, nest, all);
    return used;
}

uint32_t ReadRootNest(BlockFile* f) {
    uint32_t nest = 0;
    if (!f || !f->ReadU32(4, nest)) return 0;
    return nest;
}

void WriteRootNest(BlockFile* f, uint32_t nest) {
    if (f) f->WriteU32(4, nest);
}

void InitOutlineFile(BlockFile* f) {
    if (!f) return;
    const char zeros[kRootHeaderSize] = {};
    f->Truncate(0);
    f->WriteAt(0, zeros, sizeof zeros);
}

bool NestItemsEqual(const TNestItem& a, const TNestItem& b) { return a == b; }

bool NestItemsMatch(const TNestItem& a, const TNestItem& b) {
    static const TNestItem zero{};
    return a == b || (a.ChildNest == b.ChildNest && NestFollowed(a.ChildNest)) ||
           (a.CardDir == b.CardDir && a.CardDir != 0) || a == zero || b == zero;
}

void DeleteItemsAt(TItemArray& items, const TIArray& indexes) {
    if (items.empty() || indexes.empty()) return;
    // A separate mask, not a mark in the items: a stored child nest may hold any value.
    std::vector<bool> gone(items.size(), false);
    for (int32_t i : indexes)
        if (i >= 0 && size_t(i) < items.size()) gone[size_t(i)] = true;
    size_t w = 0;
    for (size_t r = 0; r < items.size(); ++r)
        if (!gone[r]) items[w++] = items[r];
    items.resize(w);
}

void ConcatItems(const TItemArray& a, const TItemArray& b, TItemArray& result) {
    TItemArray out;
    out.reserve(a.size() + b.size());
    out.insert(out.end(), a.begin(), a.end());
    out.insert(out.end(), b.begin(), b.end());
    result = std::move(out);
}

int InsertItemsAt(TItemArray& items, const TItemArray& newItems, int index) {
    const TItemArray added = newItems;  // may be items itself
    if (index < 0) index = 0;
    if (size_t(index) >= items.size()) {
        int used = int(items.size());
        items.insert(items.end(), added.begin(), added.end());
        return used;
    }
    items.insert(items.begin() + index, added.begin(), added.end());
    return index;
}

}  // namespace kiv
