#pragma once
// What the topic commands decide without a window: the lock and clone marks of caption
// cards (also for a whole branch, walked in the file), the confirmations of a delete, the
// own-branch test of a paste, the topic clipboard, and the removed-topic stores' way back
// (a restore to the old place, a put into a panel, the move of orphaned entries to the lost
// branches).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/Cards.h"
#include "engine/core/Navigation.h"
#include "engine/core/Nester.h"
#include "engine/core/RecycledBin.h"
#include "platform/core/BlockFile.h"

namespace kiv {

// ---- texts ----

inline constexpr const char* kCloneRefusal =
    "The topic must contain text and have at least one child topic for creation of a clone.";
inline constexpr const char* kOwnBranchRefusal =
    "It is not possible to paste a topic to its own branch.";
inline constexpr const char* kPastingWait = "Pasting ..., Please Wait";

// "Topic '<caption, 35>' has  one or more subordinates set to 'ReadOnly'." CR LF "Do you ..."
std::string LockedSubordinatesQuestion(std::string_view caption);
// "Topic '<caption, 35>' is locked." CR LF "Do you want to delete it in any case?"
std::string LockedTopicQuestion(std::string_view caption);
// The warning of a restore whose place is gone; line is the list line of the entry.
std::string LostPathWarning(std::string_view line);

// ---- caption marks ----

// The caption card with the flag bit set or cleared; a card without the prefix gets
// {colour -1, flags, 0x01} first.
std::string WithCaptionFlag(std::string_view card, uint8_t bit, bool on);
// The same on the stored caption card of a topic; false when the card was not stored.
[[nodiscard]] bool SetTopicFlag(TCards& cards, uint32_t& directory, uint8_t bit, bool on);
bool TopicHasFlag(TCards& cards, uint32_t directory, uint8_t bit);

// Sets or clears the lock of every topic below the nest (depth first, each nest once); a
// topic without a card directory has no caption to mark and is passed over. Returns how
// many topics were written; raises when a card cannot be stored.
int SetBranchLock(BlockFile* nestFile, TCards& cards, uint32_t childNest, bool on);
// Whether a topic below the nest is locked.
bool BranchHasLockedTopic(BlockFile* nestFile, TCards& cards, uint32_t childNest);

// ---- the own branch ----

// What the own-branch test looks at: outside tree mode the child nests of the current rows
// of the panels before this one and the current trail; in tree mode the rows above.
struct TOwnBranchView {
    const TNester* Model = nullptr;
    int Row = -1;
    int Panel = 1;
    bool TreeMode = false;
    std::vector<int32_t> EarlierCurrentChildNests;  // panel - 1 down to 1
    const TNavigator* Trail = nullptr;
};
// Whether a topic with that child nest would be pasted into its own branch beside the row.
bool IsInOwnBranch(int32_t childNest, const TOwnBranchView& view);

// ---- the topic clipboard ----

struct TTopicClipRecord {
    uint32_t CardDir = 0;
    uint32_t ChildNest = 0;
    std::string FileName;  // the datastructure the topic came from
    TNestItem Item() const { return {CardDir, ChildNest}; }
};

struct TTopicClipboard {
    std::vector<TTopicClipRecord> Records;
    bool Cut = false;        // filled by Cut
    bool CutPasted = false;  // a cut was moved back once
    void Fill(std::vector<TTopicClipRecord> records, bool cut) {
        Records = std::move(records);
        Cut = cut;
        CutPasted = false;
    }
    // After a cut's delete: only the topics the delete took out stay.
    void KeepRemoved(const TItemArray& removed);
};

// ---- the removed-topic stores ----

// Appends the record, keeping records and trails paired: a bin in the old form (records,
// no trails) takes none, any other a trail (the one given, else one node for the record).
void AddToBin(TRecycledBin& bin, const TRecycledRecord& record, const TNavigator* trail);
// Moves every entry whose parent nest is that nest, in order, to the lost branches.
int MoveNestEntriesToLost(TRecycledBin& recycled, TRecycledBin& lost, uint32_t nest);
// A topic put back into the tree leaves the store (entries with exactly its item).
int ForgetItem(TRecycledBin& bin, const TNestItem& item);

// Where a bin entry's topic already stands in the live tree.
struct TStandingTopic {
    bool Found = false;
    uint32_t ParentNest = 0;
    int Index = -1;
    TNestItem Item;
};
// The first nest item of the live tree (the root nest and every nest below it, each read
// once; a damaged nest is passed over) that is the entry's topic: the same card directory
// or the same child nest. A restore cut short before its bins were stored leaves a topic
// there and in the bin; a second copy would share its cards and branch unmarked. A topic
// marked as a clone shares them with its twins by design and is never reported.
TStandingTopic FindStandingTopic(BlockFile* nestFile, TCards& cards, const TRecycledRecord& record);
// The same for several entries, in their order, the tree read once.
std::vector<TStandingTopic> FindStandingTopics(BlockFile* nestFile, TCards& cards,
                                               const std::vector<TRecycledRecord>& records);

struct TRestoreResult {
    bool Restored = false;       // false: the entry went to the lost branches
    bool AlreadyInTree = false;  // the topic stood in the tree: nothing was inserted
    uint32_t ParentNest = 0;
    int Index = -1;  // where the topic went (or stands) in the parent nest
    TNestItem Item;
};
// Entry i back into its old place. The place is checked first (the trail up to the topic
// against the file, and its last topic's child nest being the entry's parent nest); only a
// valid place is written, so a lost one leaves the tree as it was and the entry moves to
// lost (AddToBin). A topic that already stands in the tree (FindStandingTopic) is not
// inserted again. The entry leaves bin either way, and the bins are stored at once
// (ChangeStoredBins), after the topic's nest is written and synced: a crash between the
// two leaves the topic in the tree and in the bin, never in neither. Should the store fail,
// the topic is taken out of its nest again. trail receives the checked trail including the
// restored topic (empty when it stands outside its old nest).
TRestoreResult RestoreEntry(BlockFile* nestFile, TCards& cards, TRecycledBin& bin, int i,
                            TRecycledBin& lost, TNavigator* trail = nullptr);
// The items of the entries at those indexes (ascending), taken out of the bin.
TItemArray TakeEntries(TRecycledBin& bin, const std::vector<int>& indexes);

}  // namespace kiv
