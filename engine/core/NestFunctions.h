#pragma once
// The outline file: the root header and the nests of topics, chains of nest blocks.
// All numbers little-endian; addresses are absolute offsets, 0 means none.
//
// Allocate before overwrite: a nest that grows gets its new blocks appended (and linked by
// nothing yet) before any block of it is rewritten in place, so a failure (a full disk, a
// size limit) leaves the old nest byte for byte and the file as long as it was. A nest keeps
// the address of its first block for life, so its rewrites are always in place.
#include <cstdint>
#include <vector>

#include "engine/core/NesterError.h"
#include "platform/core/BlockFile.h"

namespace kiv {

// One topic's place: its card directory in the card file and its child nest here.
struct TNestItem {
    uint32_t CardDir = 0;
    uint32_t ChildNest = 0;  // 0 none; kExternalNest: stands for an external datastructure
    bool operator==(const TNestItem&) const = default;
};

constexpr uint32_t kExternalNest = 0xFFFFFFFF;
// Only a child nest above 0, read as signed, is followed.
inline bool NestFollowed(uint32_t nest) { return int32_t(nest) > 0; }

struct TNestHeader {
    uint32_t Next = 0;
    uint16_t Capacity = 0;
    uint16_t Count = 0;
};

using TItemArray = std::vector<TNestItem>;
using TIArray = std::vector<int32_t>;

constexpr int kMaxNestBlocks = 7000;
constexpr int kNestSlack = 5;
constexpr int kMinNestCapacity = 10;
constexpr uint32_t kRootHeaderSize = 8;

// A null handle stands for the class library's "handle 0": reads find nothing (or raise the
// wrong-address error), writes do nothing. A damaged chain raises ENesterError before anything
// is written; a short write raises EFileError.
void ReadNestHeader(BlockFile* f, uint32_t block, TNestHeader& header);
void WriteNestHeader(BlockFile* f, uint32_t block, const TNestHeader& header);
void ReadNestItems(BlockFile* f, uint32_t nest, TItemArray& items);
[[nodiscard]] bool GetNestItem(BlockFile* f, uint32_t nest, int index, TNestItem& item);
[[nodiscard]] bool SetNestItem(BlockFile* f, uint32_t nest, int index, const TNestItem& item);
[[nodiscard]] bool CheckNestItem(BlockFile* f, uint32_t nest, int index, const TNestItem& item);
// More than 65530 items go to several chained blocks, so a capacity never wraps. A block that
// would start past 0x7FFFFFFF (no longer followable) raises EFileError and nothing is written.
uint32_t AppendNestBlock(BlockFile* f, const TItemArray& items);
uint32_t AddNestItems(BlockFile* f, uint32_t nest, const TItemArray& items);
void WriteNestItems(BlockFile* f, uint32_t nest, const TItemArray& items);
// Gives the nest's chain room for total items (an empty block linked behind its last one
// when it has less), so that an edit which first shrinks another nest and then grows this
// one cannot fail half-way for want of space.
void ReserveNestItems(BlockFile* f, uint32_t nest, size_t total);
int InsertNestItems(BlockFile* f, uint32_t nest, int index, const TItemArray& items);

// The root header: the invisible root's item at offset 0; its child nest (offset 4) is the
// nest of the top-level topics.
uint32_t ReadRootNest(BlockFile* f);
void WriteRootNest(BlockFile* f, uint32_t nest);
// A new outline file: exactly 8 zero bytes.
void InitOutlineFile(BlockFile* f);

bool NestItemsEqual(const TNestItem& a, const TNestItem& b);
bool NestItemsMatch(const TNestItem& a, const TNestItem& b);
void DeleteItemsAt(TItemArray& items, const TIArray& indexes);
void ConcatItems(const TItemArray& a, const TItemArray& b, TItemArray& result);
int InsertItemsAt(TItemArray& items, const TItemArray& newItems, int index);

}  // namespace kiv
