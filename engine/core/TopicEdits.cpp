#include "engine/core/TopicEdits.h"

#include <algorithm>
#include <iterator>
#include <unordered_map>
#include <unordered_set>

#include "engine/core/NestFunctions.h"
#include "engine/core/NesterError.h"
#include "engine/core/OutlineEdits.h"
#include "platform/core/KivError.h"

namespace kiv {

namespace {

bool Followed(uint32_t nest) { return int32_t(nest) > 0; }

std::string Question(std::string_view caption, std::string_view what) {
    return "Topic '" + ShortCaption(caption, kShortCaptionLength) + "' " + std::string(what) +
           "\r\nDo you want to delete it in any case?";
}

// Visits every topic below the nest, each nest once; false from the visitor stops.
template <class Visit>
void WalkBelow(BlockFile* nestFile, uint32_t childNest, Visit visit) {
    if (!Followed(childNest)) return;
    TNester walker;
    walker.SetNestFile(nestFile);
    bool stopped = false;
    walker.WalkNestItems(childNest, -1, stopped,
                         [&](uint32_t, int, const TNestItem& item, int) { return visit(item); });
}

}  // namespace

std::string LockedSubordinatesQuestion(std::string_view caption) {
    return Question(caption, "has  one or more subordinates set to 'ReadOnly'.");
}

std::string LockedTopicQuestion(std::string_view caption) {
    return Question(caption, "is locked.");
}

std::string LostPathWarning(std::string_view line) {
    return "Path to topic is lost and can't be restored in its original location\r\nThe topic - " +
           std::string(line) + " will be moved to lost branches";
}

// ---- caption marks ----

std::string WithCaptionFlag(std::string_view card, uint8_t bit, bool on) {
    TCaptionCard c = SplitCaptionCard(card);
    if (!c.HasPrefix) c.FontColor = kDefaultFontColor;
    c.Flags = on ? uint8_t(c.Flags | bit) : uint8_t(c.Flags & ~bit);
    return MakeCaptionPrefix(c.FontColor, c.Flags) + c.Caption;
}

bool SetTopicFlag(TCards& cards, uint32_t& directory, uint8_t bit, bool on) {
    std::string card;
    cards.ReadStoredCard(kCardCaption, directory, card);
    const std::string marked = WithCaptionFlag(card, bit, on);
    if (marked == card) return true;
    return cards.StoreCard(directory, kCardCaption, marked);
}

bool TopicHasFlag(TCards& cards, uint32_t directory, uint8_t bit) {
    if (directory == 0) return false;
    std::string card;
    cards.ReadStoredCard(kCardCaption, directory, card);
    const TCaptionCard c = SplitCaptionCard(card);
    return c.HasPrefix && (c.Flags & bit);
}

int SetBranchLock(BlockFile* nestFile, TCards& cards, uint32_t childNest, bool on) {
    int written = 0;
    WalkBelow(nestFile, childNest, [&](const TNestItem& item) {
        if (item.CardDir == 0) return true;  // never written: nothing to mark, go on
        uint32_t dir = item.CardDir;
        if (!SetTopicFlag(cards, dir, kFlagLocked, on))
            throw EKivError("The lock of a topic could not be stored.");
        ++written;
        return true;
    });
    return written;
}

bool BranchHasLockedTopic(BlockFile* nestFile, TCards& cards, uint32_t childNest) {
    bool found = false;
    WalkBelow(nestFile, childNest, [&](const TNestItem& item) {
        found = TopicHasFlag(cards, item.CardDir, kFlagLocked);
        return !found;
    });
    return found;
}

// ---- the own branch ----

bool IsInOwnBranch(int32_t childNest, const TOwnBranchView& v) {
    if (childNest <= 0) return false;
    if (!v.TreeMode) {
        for (int32_t nest : v.EarlierCurrentChildNests)
            if (nest == childNest) return true;
        if (v.Trail) {
            for (int i = v.Trail->Count() - v.Panel; i >= 0; --i)
                if (int32_t(v.Trail->GetNode(i).ChildNest) == childNest) return true;
        }
        return false;
    }
    if (!v.Model || !v.Model->ValidRow(v.Row)) return false;
    int level = v.Model->Level(v.Row);
    for (int r = v.Row - 1; r >= 0 && level > 0; --r) {
        if (v.Model->Level(r) >= level) continue;
        level = v.Model->Level(r);
        if (v.Model->ChildNest(r) == childNest) return true;
    }
    return false;
}

// ---- the topic clipboard ----

void TTopicClipboard::KeepRemoved(const TItemArray& removed) {
    std::vector<TTopicClipRecord> kept;
    for (const TTopicClipRecord& r : Records)
        if (std::find(removed.begin(), removed.end(), r.Item()) != removed.end()) kept.push_back(r);
    Records = std::move(kept);
}

// ---- the removed-topic stores ----

void AddToBin(TRecycledBin& bin, const TRecycledRecord& record, const TNavigator* trail) {
    const bool oldForm = bin.Count() > 0 && bin.Trails.Count() == 0;
    bin.Add(record);
    if (oldForm) return;
    TNavigatorPtr t = bin.Trails.AddNavigator();
    if (trail && trail->Count() > 0) t->Assign(*trail);
    else t->Add(record.ParentNest, 0, false, std::string(), record.Item());
}

int MoveNestEntriesToLost(TRecycledBin& recycled, TRecycledBin& lost, uint32_t nest) {
    int moved = 0;
    for (int i = 0; i < recycled.Count();) {
        const TRecycledRecord r = recycled.GetItem(i);
        if (r.ParentNest != nest) {
            ++i;
            continue;
        }
        AddToBin(lost, r, recycled.Trails.Navigator(i).get());
        recycled.Delete(i);
        ++moved;
    }
    return moved;
}

int ForgetItem(TRecycledBin& bin, const TNestItem& item) {
    int gone = 0;
    for (int i = bin.Count() - 1; i >= 0; --i) {
        if (bin.GetItem(i).Item() == item) {
            bin.Delete(i);
            ++gone;
        }
    }
    return gone;
}

namespace {

// The nest is the root nest or lies in the live tree below it.
bool NestIsLive(BlockFile* nestFile, uint32_t nest) {
    const uint32_t root = ReadRootNest(nestFile);
    if (!Followed(nest) || !Followed(root)) return false;
    if (nest == root) return true;
    TItemArray tops;
    ReadNestItems(nestFile, root, tops);
    return NestInsideItems(nestFile, nest, tops);
}

}  // namespace

std::vector<TStandingTopic> FindStandingTopics(BlockFile* nestFile, TCards& cards,
                                               const std::vector<TRecycledRecord>& records) {
    std::vector<TStandingTopic> found(records.size());
    // Card directory and child nest to the entries that look for them; a clone looks for
    // nothing.
    std::unordered_multimap<uint32_t, size_t> byDir, byNest;
    for (size_t k = 0; k < records.size(); ++k) {
        const TRecycledRecord& r = records[k];
        if (r.CardDir != 0) {
            std::string card;
            cards.ReadStoredCard(kCardCaption, r.CardDir, card);
            if (SplitCaptionCard(card).Flags & kFlagClone) continue;
            byDir.emplace(r.CardDir, k);
        }
        if (Followed(r.ChildNest)) byNest.emplace(r.ChildNest, k);
    }
    size_t left = byDir.size() + byNest.size();
    const uint32_t root = left > 0 ? ReadRootNest(nestFile) : 0;
    if (!Followed(root)) return found;
    auto take = [&](std::unordered_multimap<uint32_t, size_t>& map, uint32_t key,
                    const TStandingTopic& at) {
        const auto [first, last] = map.equal_range(key);
        for (auto e = first; e != last; ++e)
            if (!found[e->second].Found) found[e->second] = at;
        left -= size_t(std::distance(first, last));
        map.erase(first, last);
    };
    std::unordered_set<uint32_t> seen{root};
    std::vector<uint32_t> pending{root};
    TItemArray items;
    while (left > 0 && !pending.empty()) {
        const uint32_t nest = pending.back();
        pending.pop_back();
        try {
            ReadNestItems(nestFile, nest, items);
        } catch (const ENesterError&) {
            continue;
        }
        for (size_t k = 0; k < items.size(); ++k) {
            const TNestItem& it = items[k];
            const TStandingTopic at{true, nest, int(k), it};
            if (it.CardDir != 0) take(byDir, it.CardDir, at);
            if (Followed(it.ChildNest)) {
                take(byNest, it.ChildNest, at);
                if (seen.insert(it.ChildNest).second) pending.push_back(it.ChildNest);
            }
        }
    }
    return found;
}

TStandingTopic FindStandingTopic(BlockFile* nestFile, TCards& cards,
                                 const TRecycledRecord& record) {
    return FindStandingTopics(nestFile, cards, {record})[0];
}

TRestoreResult RestoreEntry(BlockFile* nestFile, TCards& cards, TRecycledBin& bin, int i,
                            TRecycledBin& lost, TNavigator* trailOut) {
    TRestoreResult result;
    if (i < 0 || i >= bin.Count()) return result;
    const TRecycledRecord record = bin.GetItem(i);
    result.ParentNest = record.ParentNest;
    result.Item = record.Item();
    TNavigator trail;
    const TNavigatorPtr stored = bin.Trails.Navigator(i);
    if (stored) trail.Assign(*stored);
    // Without a trail nothing says where the topic stood.
    bool valid = trail.Count() > 0;
    uint32_t index = 0;
    std::string caption;
    if (valid) {
        const TNode last = trail.GetNode(trail.LastIndex());
        index = last.Index;
        caption = last.Caption;
        trail.Delete(trail.LastIndex());
    }
    try {
        if (valid && trail.Count() == 0) valid = record.ParentNest == ReadRootNest(nestFile);
        if (valid && trail.Count() > 0) valid = ValidateTrail(nestFile, cards, trail);
        if (valid) valid = NestIsLive(nestFile, record.ParentNest);
    } catch (const ENesterError&) {
        valid = false;  // a place in a damaged part of the file is no place
    }
    const TStandingTopic standing = FindStandingTopic(nestFile, cards, record);
    if (standing.Found) {
        result.Restored = true;
        result.AlreadyInTree = true;
        result.ParentNest = standing.ParentNest;
        result.Index = standing.Index;
        result.Item = standing.Item;
        if (valid && standing.ParentNest == record.ParentNest) {
            cards.ReadCaption(standing.Item.CardDir, caption);
            trail.Add(record.ParentNest, uint32_t(standing.Index), false, caption, standing.Item);
            if (trailOut) trailOut->Assign(trail);
        }
        ChangeStoredBins(bin, lost, [&] { bin.Delete(i); });
        return result;
    }
    if (!valid) {
        ChangeStoredBins(bin, lost, [&] {
            AddToBin(lost, record, nullptr);
            bin.Delete(i);
        });
        return result;
    }
    TItemArray there;
    ReadNestItems(nestFile, record.ParentNest, there);
    const int at = std::min<int>(int(index), int(there.size()));
    result.Index = InsertNestItems(nestFile, record.ParentNest, at, TItemArray{record.Item()});
    if (result.Index < 0) result.Index = at;
    try {
        if (nestFile) nestFile->Sync();
        ChangeStoredBins(bin, lost, [&] { bin.Delete(i); });
    } catch (...) {
        // The stored bins still hold the entry: the topic leaves its nest again (should that
        // fail too, it is in both, which loses nothing).
        try {
            WriteNestItems(nestFile, record.ParentNest, there);
        } catch (...) {
        }
        throw;
    }
    result.Restored = true;
    cards.ReadCaption(record.CardDir, caption);
    trail.Add(record.ParentNest, uint32_t(result.Index), false, caption, record.Item());
    if (trailOut) trailOut->Assign(trail);
    return result;
}

TItemArray TakeEntries(TRecycledBin& bin, const std::vector<int>& indexes) {
    TItemArray items;
    std::vector<int> sorted = indexes;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    int removed = 0;
    for (int i : sorted) {
        const int at = i - removed;
        if (at < 0 || at >= bin.Count()) continue;
        items.push_back(bin.GetItem(at).Item());
        bin.Delete(at);
        ++removed;
    }
    return items;
}

}  // namespace kiv
