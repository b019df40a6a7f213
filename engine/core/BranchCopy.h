#pragma once
// Copying topics with their sub-trees and cards from one datastructure into another, and
// what rests on it: packing a datastructure (its live tree rebuilt in a fresh file), saving
// branches as a new datastructure, appending branches to another datastructure (the
// template), and reading a datastructure in place as a copy source.
//
// Clones (caption flag 0x80) share one card directory and one child nest. A copy keeps that
// sharing: the first occurrence of a clone is copied with its cards and sub-tree, every later
// occurrence takes the same copy. A clone whose twin was not copied loses its mark.
//
// Whole files are replaced only by renaming a finished, synced file over them, so a crash at
// any point leaves the old datastructure or the new one.
#include <cstdint>
#include <functional>
#include <map>
#include <utility>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/Cards.h"
#include "engine/core/Navigation.h"
#include "engine/core/NestFunctions.h"
#include "platform/core/BlockFile.h"

namespace kiv {

// One clone group met by a copy.
struct TCloneRecord {
    TNestItem Source;          // the source topic's item
    TNestItem Copy;            // the item of its copy
    bool Copied = false;       // the copy's sub-tree is written
    uint32_t Occurrences = 1;  // how often the group was met in the copied branches
    uint32_t DestNest = 0;     // where the copy was first placed
    uint32_t DestIndex = 0;
};

// One table per copy operation; several topics copied in one command share it.
class TCloneTable {
public:
    // Null when not there; an item without card directory or without children is never
    // found (each place of a childless clone is copied on its own, its mark cleared).
    TCloneRecord* FindBySource(const TNestItem& item);
    TCloneRecord* FindByCopy(const TNestItem& item);
    TCloneRecord& Add(const TCloneRecord& record);
    const std::vector<TCloneRecord>& Records() const { return records_; }
    std::vector<TCloneRecord>& Records() { return records_; }

private:
    std::vector<TCloneRecord> records_;
};

// A datastructure's two files, as a copy reads or writes them.
struct TPairFiles {
    BlockFile* Outline = nullptr;
    BlockFile* Cards = nullptr;
};

// Where each copied nest and topic went: source nest -> copy nest (the old root -> the new
// root included), source item -> copy item. A trail through the copied tree is re-pointed
// through it; a topic not copied (removed, only in a bin) is not in it.
struct TCopyMap {
    std::map<uint32_t, uint32_t> Nests;
    std::map<std::pair<uint32_t, uint32_t>, TNestItem> Items;
    void AddItem(const TNestItem& source, const TNestItem& copy) {
        Items.emplace(std::pair{source.CardDir, source.ChildNest}, copy);
    }
};

// Re-points every node of the trail into the copy (nests, items; indexes stay, the copy keeps
// the order). False, and the trail left as it was, when a node's nest or topic was not copied.
bool RepointTrail(const TCopyMap& map, TNavigator& trail);

// Called at every topic of a copy (the window lets its events run there).
using TCopyProgress = std::function<void()>;

// Copies the five cards of a topic into the destination card file, in one new directory;
// launch-card targets pass through the absolute and back into the relative form. Returns the
// new directory, 0 when the topic has no card with text.
uint32_t CopyTopicCards(BlockFile* srcCards, BlockFile* dstCards, uint32_t srcDirectory);

// Copies the topic with its sub-tree into dst and returns the copy's item; the caller puts
// it into its slot. The walk is depth first with its own stack, so depth costs no call
// stack; a nest met again (through a clone, or a damaged file that loops) is not copied
// again but shared as in the source. A topic that stands for an external datastructure
// keeps child nest 0xFFFFFFFF and its path. placedNest and placedIndex name the slot the
// copy goes to (kept with a clone's record).
// map, when given, learns every nest and topic copied.
TNestItem CopyBranch(const TPairFiles& src, const TNestItem& item, const TPairFiles& dst,
                     TCloneTable& clones, uint32_t placedNest, uint32_t placedIndex,
                     const TCopyProgress& progress = {}, TCopyMap* map = nullptr);

// Appends an empty slot to the destination's top level (the root nest made and written into
// the header when there is none) and copies the topic into it. Returns {root nest, index}.
struct TTopSlot {
    uint32_t RootNest = 0;
    uint32_t Index = 0;
    TNestItem Item;
};
TTopSlot CopyBranchToDatastructure(const TPairFiles& src, const TNestItem& item,
                                   const TPairFiles& dst, TCloneTable& clones,
                                   const TCopyProgress& progress = {});

// Clears bit 0x80 of the caption prefix of the topic with that card directory; true when
// the card was changed.
bool ClearCloneMark(BlockFile* cards, uint32_t directory);
// Clears the clone mark of every copy whose clone group was met once; returns how many.
int FixCloneMarks(const TCloneTable& clones, BlockFile* dstCards);

// ---- whole datastructures ----

// The packing twin of a datastructure: everything from the path's last "." replaced by
// "_!#_$$.kiv" ("/d/notes.kiv" -> "/d/notes_!#_$$.kiv", card file "/d/notes_!#_$$.dsc").
std::string PackTempName(const std::string& path);
// Removes the datastructure's files (both forms) and what an interrupted operation left.
void RemoveDatastructureFiles(const std::string& path);
// Removes the packing twins (PackTempName) in folder that an interrupted pack or save left:
// a split pair that no live instance holds locked, or a joined copy older than
// joinedAfterSeconds (a live command renames its copy in place within moments). Returns how
// many went; nothing here raises.
int SweepStaleCopies(const std::string& folder, int64_t joinedAfterSeconds = 600);

// The datastructure-level cards a copy carries over (stored as they stand).
struct TLevelCard {
    uint8_t Kind = 0;
    std::string Text;
};

// Writes the topics, in order, as the top level of a new joined datastructure at path
// (whatever was there is replaced), with the level cards; clone marks fixed. The file is
// complete and synced when this returns; on a failure nothing is left at path.
// Level cards that can be written only once the copy is made (they name its addresses).
using TLevelCardsOfCopy = std::function<std::vector<TLevelCard>(const TCopyMap& map)>;
void WriteBranchesToFile(const TPairFiles& src, const TItemArray& topics, const std::string& path,
                         const std::vector<TLevelCard>& levelCards,
                         const TCopyProgress& progress = {},
                         const TLevelCardsOfCopy& cardsOfCopy = {});

// The Threads and QuickJumps a pack carries into the copy, and how many of each it dropped
// because their topics are gone.
struct TPackMarks {
    TQuickJump* Threads = nullptr;
    TQuickJump* QuickJumps = nullptr;
    int ThreadsDropped = 0;
    int QuickJumpsDropped = 0;
};

// Every mark checked against the source (indexes and captions refreshed) and re-pointed into
// the copy; a mark whose topic is gone is deleted and counted.
void RepointMarks(const TPairFiles& src, const TCopyMap& map, TPackMarks& marks);

// Pack, first half: the open pair's live tree (every top-level topic, the text bin with the
// password, the launch bin, and the marks re-pointed to their topics' new addresses; not the
// bins of removed topics) into the joined file PackTempName(path). The marks are those given
// (the window's lists, re-pointed in place), else those stored in the source's card 6.
void BuildPackedCopy(const TPairFiles& open, const std::string& path,
                     const TCopyProgress& progress = {}, TPackMarks* marks = nullptr);
// Pack, second half, once the datastructure is closed: the packed copy is renamed over it.
void ReplaceWithPackedCopy(const std::string& path);
// The whole pack of a closed datastructure (opened, copied, joined, replaced).
void PackDatastructureFile(const std::string& path, const TCopyProgress& progress = {});

// The topics as the top level of a new datastructure at target, which is replaced only once
// the new file is complete. The source is not changed.
void SaveBranchesAs(const TPairFiles& src, const TItemArray& topics, const std::string& target,
                    const TCopyProgress& progress = {});

// Appends the topics to the top level of the datastructure at target (created when
// missing), which is joined again afterwards. Returns the new top-level slots.
std::vector<TTopSlot> AppendBranchesTo(const TPairFiles& src, const TItemArray& topics,
                                       const std::string& target,
                                       const TCopyProgress& progress = {});

// A datastructure opened as a copy source, read-only and in place: a joined file is read
// where it stands (the card part from 0, the outline part at its offset); a pair left open
// is read as it is. Nothing is split, nothing is written.
class TSourceDatastructure {
public:
    // Raises EFileError when the file cannot be read, EKivError when it is no datastructure.
    explicit TSourceDatastructure(const std::string& path);
    ~TSourceDatastructure();
    TSourceDatastructure(const TSourceDatastructure&) = delete;
    TSourceDatastructure& operator=(const TSourceDatastructure&) = delete;
    TPairFiles Files() const { return {outline_.get(), cards_.get()}; }

private:
    std::unique_ptr<BlockFile> base_;  // the joined file, when joined
    std::unique_ptr<BlockFile> base2_;
    std::unique_ptr<BlockFile> outline_, cards_;
};

// The top-level topics of a datastructure with their captions (without prefix).
struct TTopTopic {
    uint32_t RootNest = 0;
    TNestItem Item;
    std::string Caption;
};
std::vector<TTopTopic> ReadTopTopics(const TPairFiles& files);

}  // namespace kiv
