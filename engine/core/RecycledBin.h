#pragma once
// Topics taken out of the tree, each with the trail that led to it, so they can be listed and
// put back. Stored as a string in a datastructure-level card, in one of two forms:
//   old  {u32 parent nest, u32 card directory, u32 child nest} per topic
//   new  16 bytes of 0xFF, then the trails in TQuickJump's string form (the topic of each
//        record is the last node of its trail)
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/Cards.h"
#include "engine/core/Navigation.h"

namespace kiv {

struct TRecycledRecord {
    uint32_t ParentNest = 0;  // the nest the topic was removed from
    uint32_t CardDir = 0;
    uint32_t ChildNest = 0;
    bool operator==(const TRecycledRecord&) const = default;
    TNestItem Item() const { return {CardDir, ChildNest}; }
};

constexpr size_t kRecycledRecordSize = 12;
constexpr size_t kRecycledMarkerSize = 16;

class TRecycledBin {
public:
    TRecycledBin() = default;
    TRecycledBin(const TRecycledBin&) = delete;
    TRecycledBin& operator=(const TRecycledBin&) = delete;

    // Appends the record; the caller appends the matching trail to Trails.
    void Add(const TRecycledRecord& record);
    // A zero record when i is outside the list.
    TRecycledRecord GetItem(int i) const;
    // Removes record i and, when there is one, trail i, so the two stay paired.
    void Delete(int i);
    void Clear();
    int Count() const { return int(records_.size()); }
    // First entry equal byte for byte, or with the same non-zero card directory, or the
    // same non-zero child nest; -1 when none.
    int IndexOf(const TRecycledRecord& record) const;
    // Caption card of entry i from the given card store, a leading prefix up to the first
    // 0x01 among the first 10 characters dropped, shortened to 35 characters.
    std::string ItemCaption(int i, TCards& cards) const;

    // Old form while there are no trails, new form as soon as one exists.
    std::string SaveToString() const;
    // Accepts both forms; whole records only, a damaged tail is ignored.
    void LoadFromString(std::string_view text);

    TQuickJump Trails;  // one trail per record, in the same order

private:
    std::vector<TRecycledRecord> records_;
};

// Deleted topics (datastructure-level card 3) and topics of lost branches (card 4); both
// live for the whole run.
TRecycledBin& RecycledBin();
TRecycledBin& LostBin();

// A topic leaves its nest only once it is in the stored Recycled Bin, so that a crash at any
// moment leaves it recoverable. The open datastructure installs the writer; without one
// (nothing open, or a tool) storing does nothing. The writer raises when the bins could not
// be stored, and the topic stays where it was.
void SetRecycledStoreWriter(std::function<void()> writer);
void StoreRecycledBins();
// Makes the change to the two bins and stores them at once. Should the store fail, both
// bins go back to what they held before the change, in memory and stored, and the failure
// is passed on.
void ChangeStoredBins(TRecycledBin& recycled, TRecycledBin& lost,
                      const std::function<void()>& change);
// Both bins into their datastructure cards, the lost branches (4) first and synced, then
// the Recycled Bin (3): an entry moving from the one to the other is, at every moment, in
// one of them. Raises ENesterError when the card directory has no entry left for them.
void WriteRecycledCards(TDBCards& db);

}  // namespace kiv
