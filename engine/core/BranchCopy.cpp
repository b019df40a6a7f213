#include "engine/core/BranchCopy.h"

#include <sys/stat.h>

#include <cerrno>
#include <ctime>
#include <map>

#include "engine/core/DatastructureFiles.h"
#include "engine/core/Marks.h"
#include "engine/core/OutlineEdits.h"
#include "platform/core/AppPaths.h"
#include "platform/core/KivError.h"
#include "platform/core/MiskPro.h"
#include "platform/core/KivStrings.h"
#include "platform/core/SamePath.h"

namespace kiv {

namespace {

// A part of another file, read-only: the card part or the outline part of a joined file.
class TFileWindow : public BlockFile {
public:
    TFileWindow(BlockFile& base, uint64_t offset, uint64_t size)
        : base_(base), offset_(offset), size_(size) {}
    uint64_t Size() const override { return size_; }
    size_t ReadAt(uint64_t off, void* buf, size_t n) override {
        if (off >= size_) return 0;
        if (n > size_ - off) n = size_t(size_ - off);
        return base_.ReadAt(offset_ + off, buf, n);
    }
    void WriteAt(uint64_t, const void*, size_t) override { ReadOnly(); }
    void Truncate(uint64_t) override { ReadOnly(); }
    void Sync() override {}
    const std::string& Path() const override { return base_.Path(); }

private:
    [[noreturn]] void ReadOnly() const {
        throw EKivError("\"" + base_.Path() + "\" is read as a copy source and is not written.");
    }
    BlockFile& base_;
    uint64_t offset_, size_;
};

bool IsCloneCaption(const std::string& card) {
    return HasCaptionPrefix(card) && (uint8_t(card[4]) & kFlagClone);
}

std::string DirOf(const std::string& path) {
    auto p = path.find_last_of('/');
    if (p == std::string::npos) return ".";
    return p == 0 ? "/" : path.substr(0, p);
}

// A finished joined file renamed over target; a ".dsc" that stood beside target (a pair
// left open) goes first, so the new file is never paired with a card file not its own.
void RenameOver(const std::string& finished, const std::string& target, const char* step) {
    const std::string dsc = CardFileName(target);
    if (FileExists(dsc)) {
        FileStep("replace:remove-dsc");
        RemoveFile(dsc);
    }
    FileStep(step);
    RenameFile(finished, target);
    SyncDir(DirOf(target));
}

}  // namespace

// ---- the clone table ----

namespace {
// A clone group is told by what its topics share: cards and children. A topic without
// either is not looked up, so each place of a childless clone gets a copy of its own.
bool Findable(const TNestItem& item) { return item.CardDir != 0 && item.ChildNest != 0; }
}  // namespace

TCloneRecord* TCloneTable::FindBySource(const TNestItem& item) {
    if (!Findable(item)) return nullptr;
    for (TCloneRecord& r : records_)
        if (NestItemsEqual(r.Source, item)) return &r;
    return nullptr;
}

TCloneRecord* TCloneTable::FindByCopy(const TNestItem& item) {
    if (!Findable(item)) return nullptr;
    for (TCloneRecord& r : records_)
        if (NestItemsEqual(r.Copy, item)) return &r;
    return nullptr;
}

TCloneRecord& TCloneTable::Add(const TCloneRecord& record) { return records_.emplace_back(record); }

// ---- copying ----

uint32_t CopyTopicCards(BlockFile* srcCards, BlockFile* dstCards, uint32_t srcDirectory) {
    if (srcDirectory == 0) return 0;
    TCards src, dst;
    src.SetCardFile(srcCards);
    dst.SetCardFile(dstCards);
    uint32_t dir = 0;
    std::string text;
    // Copied as stored: a link line keeps its bytes ("||docs\x" stays as Windows wrote it).
    for (uint8_t kind = kCardCaption; kind <= kCardExternal; ++kind) {
        src.ReadStoredCard(kind, srcDirectory, text);
        if (text.empty()) continue;
        if (!dst.StoreCard(dir, kind, text))
            throw ENesterError(
                "Datastructure is corrupted, a copied card found no room in its directory");
    }
    return dir;
}

bool RepointTrail(const TCopyMap& map, TNavigator& trail) {
    std::vector<TNode> nodes;
    for (int i = 0; i < trail.Count(); ++i) {
        TNode n = trail.GetNode(i);
        const auto nest = map.Nests.find(n.ParentNest);
        const auto item = map.Items.find({n.CardDir, n.ChildNest});
        if (nest == map.Nests.end() || item == map.Items.end()) return false;
        n.ParentNest = nest->second;
        n.CardDir = item->second.CardDir;
        n.ChildNest = item->second.ChildNest;
        nodes.push_back(std::move(n));
    }
    for (int i = 0; i < int(nodes.size()); ++i) trail.SetNode(i, nodes[size_t(i)]);
    return true;
}

TNestItem CopyBranch(const TPairFiles& src, const TNestItem& item, const TPairFiles& dst,
                     TCloneTable& clones, uint32_t placedNest, uint32_t placedIndex,
                     const TCopyProgress& progress, TCopyMap* map) {
    // One frame per nest being copied: the source items, the copies made so far and the
    // destination nest they fill when the frame is done.
    struct Frame {
        TItemArray Source;
        size_t Next = 0;
        TItemArray Copies;
        uint32_t Nest = 0;
        int CloneRecord = -1;
    };
    std::vector<Frame> stack;
    std::map<uint32_t, uint32_t> nests;  // source nest -> its copy
    TCards srcCards;
    srcCards.SetCardFile(src.Cards);

    auto visit = [&](const TNestItem& s, uint32_t nest, uint32_t index) -> TNestItem {
        if (progress) progress();
        std::string caption;
        srcCards.ReadCard(kCardCaption, s.CardDir, caption);
        const bool clone = IsCloneCaption(caption);
        if (clone) {
            if (TCloneRecord* r = clones.FindBySource(s)) {
                ++r->Occurrences;
                if (map) map->AddItem(s, r->Copy);
                return r->Copy;
            }
        }
        TNestItem c{CopyTopicCards(src.Cards, dst.Cards, s.CardDir), 0};
        bool pushed = false;
        if (s.ChildNest == kExternalNest) {
            c.ChildNest = kExternalNest;
        } else if (NestFollowed(s.ChildNest)) {
            if (auto it = nests.find(s.ChildNest); it != nests.end()) {
                c.ChildNest = it->second;
            } else {
                TItemArray children;
                ReadNestItems(src.Outline, s.ChildNest, children);
                if (!children.empty()) {
                    // The nest is made now, so its address is known while its topics are copied.
                    c.ChildNest = AppendNestBlock(dst.Outline, TItemArray(children.size()));
                    nests[s.ChildNest] = c.ChildNest;
                    if (map) map->Nests[s.ChildNest] = c.ChildNest;
                    stack.push_back(Frame{std::move(children), 0, {}, c.ChildNest, -1});
                    pushed = true;
                }
            }
        }
        if (map) map->AddItem(s, c);
        if (clone) {
            clones.Add({s, c, !pushed, 1, nest, index});
            if (pushed) stack.back().CloneRecord = int(clones.Records().size()) - 1;
        }
        return c;
    };

    const TNestItem top = visit(item, placedNest, placedIndex);
    while (!stack.empty()) {
        const size_t f = stack.size() - 1;
        if (stack[f].Next == stack[f].Source.size()) {
            WriteNestItems(dst.Outline, stack[f].Nest, stack[f].Copies);
            if (stack[f].CloneRecord >= 0)
                clones.Records()[size_t(stack[f].CloneRecord)].Copied = true;
            stack.pop_back();
            continue;
        }
        const TNestItem s = stack[f].Source[stack[f].Next++];
        const TNestItem c = visit(s, stack[f].Nest, uint32_t(stack[f].Copies.size()));
        stack[f].Copies.push_back(c);
    }
    return top;
}

TTopSlot CopyBranchToDatastructure(const TPairFiles& src, const TNestItem& item,
                                   const TPairFiles& dst, TCloneTable& clones,
                                   const TCopyProgress& progress) {
    const uint32_t root = ReadRootNest(dst.Outline);
    TItemArray tops;
    if (NestFollowed(root)) ReadNestItems(dst.Outline, root, tops);
    // The slot is taken only once the copy is whole: a copy that fails leaves no empty topic.
    TTopSlot slot{NestFollowed(root) ? root : 0, uint32_t(tops.size()), {}};
    slot.Item = CopyBranch(src, item, dst, clones, slot.RootNest, slot.Index, progress);
    slot.RootNest = AddNestItems(dst.Outline, slot.RootNest, TItemArray{slot.Item});
    if (slot.RootNest != root) {
        WriteRootNest(dst.Outline, slot.RootNest);
        // A clone first placed in the new root nest names it.
        for (TCloneRecord& r : clones.Records())
            if (r.DestNest == 0 && r.DestIndex == slot.Index) r.DestNest = slot.RootNest;
    }
    return slot;
}

bool ClearCloneMark(BlockFile* cards, uint32_t directory) {
    if (directory == 0) return false;
    TCards c;
    c.SetCardFile(cards);
    std::string card;
    c.ReadCard(kCardCaption, directory, card);
    if (!IsCloneCaption(card)) return false;
    card[4] = char(uint8_t(card[4]) & uint8_t(~kFlagClone));
    if (!c.StoreCard(directory, kCardCaption, card))
        throw ENesterError("Datastructure is corrupted, a caption could not be stored");
    return true;
}

int FixCloneMarks(const TCloneTable& clones, BlockFile* dstCards) {
    int n = 0;
    for (const TCloneRecord& r : clones.Records())
        if (r.Occurrences == 1 && ClearCloneMark(dstCards, r.Copy.CardDir)) ++n;
    return n;
}

// ---- whole datastructures ----

namespace {
// What a pack or a saved branch's copy carries behind its stem until it takes its place.
const std::string kCopySuffix = "_!#_$$";
}  // namespace

std::string PackTempName(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    const std::string stem = dot == std::string::npos || (slash != std::string::npos && dot < slash)
                                 ? path
                                 : path.substr(0, dot);
    return stem + kCopySuffix + ".kiv";
}

void RemoveDatastructureFiles(const std::string& path) {
    try {
        RecoverDatastructure(path);  // takes away the temporary files of an interrupted join
    } catch (const EKivError&) {
        // Whatever state it is in, it goes.
    }
    for (const std::string& p : {path, CardFileName(path)})
        if (FileExists(p)) RemoveFile(p);
}

int SweepStaleCopies(const std::string& folder, int64_t joinedAfterSeconds) {
    const std::string& kTwin = kCopySuffix;
    const std::string dir = IncludeTrailingBackslash(folder, '/');
    std::vector<std::string> stems;
    for (const std::string& name : FolderEntries(dir)) {
        if (name.size() <= kTwin.size() + 4) continue;
        const std::string ext = LowerCase(name.substr(name.size() - 4));
        if ((ext != ".kiv" && ext != ".dsc") ||
            name.compare(name.size() - 4 - kTwin.size(), kTwin.size(), kTwin) != 0)
            continue;
        const std::string kiv = dir + name.substr(0, name.size() - 4) + ".kiv";
        if (stems.empty() || stems.back() != kiv) stems.push_back(kiv);
    }
    int removed = 0;
    for (const std::string& kiv : stems) {
        try {
            if (FileExists(CardFileName(kiv))) {
                // Split: a live command holds both files locked while it writes them.
                for (const std::string& p : {kiv, CardFileName(kiv)})
                    if (FileExists(p)) PosixBlockFile::Open(p, OpenMode::ReadWrite, true);
            } else {
                struct stat st {};
                if (::lstat(kiv.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
                if (int64_t(::time(nullptr)) - int64_t(st.st_mtime) < joinedAfterSeconds) continue;
            }
            RemoveDatastructureFiles(kiv);
            ++removed;
        } catch (const std::exception&) {
            // Held by a live instance, or not ours to remove: it stays.
        }
    }
    return removed;
}

void WriteBranchesToFile(const TPairFiles& src, const TItemArray& topics, const std::string& path,
                         const std::vector<TLevelCard>& levelCards, const TCopyProgress& progress,
                         const TLevelCardsOfCopy& cardsOfCopy) {
    FileStep("copy:remove-old");
    RemoveDatastructureFiles(path);
    try {
        FileStep("copy:create");
        auto outline = PosixBlockFile::Open(path, OpenMode::Truncate, true);
        auto cards = PosixBlockFile::Open(CardFileName(path), OpenMode::Truncate, true);
        InitOutlineFile(outline.get());
        InitCardFile(cards.get());
        const TPairFiles dst{outline.get(), cards.get()};
        TCloneTable clones;
        TCopyMap map;
        uint32_t root = 0;
        if (!topics.empty()) {
            root = AppendNestBlock(dst.Outline, TItemArray(topics.size()));
            WriteRootNest(dst.Outline, root);
            if (src.Outline) map.Nests[ReadRootNest(src.Outline)] = root;
        }
        for (size_t i = 0; i < topics.size(); ++i) {
            FileStep("copy:topic");
            const TNestItem copy =
                CopyBranch(src, topics[i], dst, clones, root, uint32_t(i), progress, &map);
            if (!SetNestItem(dst.Outline, root, int(i), copy))
                throw ENesterError("Datastructure is corrupted, can't save nest item");
        }
        FileStep("copy:fix-clones");
        FixCloneMarks(clones, dst.Cards);
        TDBCards db;
        db.SetCardFile(dst.Cards);
        std::vector<TLevelCard> all = levelCards;
        if (cardsOfCopy)
            for (TLevelCard& lc : cardsOfCopy(map)) all.push_back(std::move(lc));
        for (const TLevelCard& lc : all)
            if (!lc.Text.empty() && !db.WriteCard(lc.Kind, lc.Text))
                throw ENesterError(
                    "Datastructure is corrupted, a datastructure card found no room");
        outline.reset();
        cards.reset();
        FileStep("copy:join");
        PackDatastructure(path);
    } catch (...) {
        try {
            RemoveDatastructureFiles(path);
        } catch (...) {
            // Left for the next attempt, which removes it first.
        }
        throw;
    }
}

void RepointMarks(const TPairFiles& src, const TCopyMap& map, TPackMarks& marks) {
    TCards cards;
    cards.SetCardFile(src.Cards);
    auto repoint = [&](TQuickJump* list, int& dropped) {
        if (!list) return;
        for (int i = list->Count() - 1; i >= 0; --i) {
            TNavigatorPtr trail = list->Navigator(i);
            // Checked on a copy: the trail is changed only once it is known to hold.
            TNavigator probe;
            probe.Assign(*trail);
            if (probe.Count() > 0 && ValidateTrail(src.Outline, cards, probe) &&
                RepointTrail(map, probe)) {
                trail->Assign(probe);
                continue;
            }
            list->Delete(i);
            ++dropped;
        }
    };
    repoint(marks.Threads, marks.ThreadsDropped);
    repoint(marks.QuickJumps, marks.QuickJumpsDropped);
}

void BuildPackedCopy(const TPairFiles& open, const std::string& path, const TCopyProgress& progress,
                     TPackMarks* marks) {
    TItemArray tops;
    const uint32_t root = ReadRootNest(open.Outline);
    if (NestFollowed(root)) ReadNestItems(open.Outline, root, tops);
    TDBCards db;
    db.SetCardFile(open.Cards);
    db.LoadDirAddress();
    std::vector<TLevelCard> level{{kDBCardTextBin, {}}, {kDBCardLaunchBin, {}}};
    for (TLevelCard& lc : level) db.ReadCard(lc.Kind, lc.Text);
    // Without the window's lists, the stored ones (read whole, not validated yet).
    TQuickJump storedThreads, storedQuickJumps;
    TPackMarks stored{&storedThreads, &storedQuickJumps};
    if (!marks) {
        std::string blob;
        db.ReadCard(kDBCardMarks, blob);
        DeserializeMarks(blob, storedThreads, storedQuickJumps, {});
        marks = &stored;
    }
    WriteBranchesToFile(open, tops, PackTempName(path), level, progress, [&](const TCopyMap& map) {
        RepointMarks(open, map, *marks);
        const bool none = marks->Threads->Count() == 0 && marks->QuickJumps->Count() == 0;
        return std::vector<TLevelCard>{
            {kDBCardMarks,
             none ? std::string() : SerializeMarks(*marks->Threads, *marks->QuickJumps)}};
    });
}

void ReplaceWithPackedCopy(const std::string& path) {
    const std::string packed = PackTempName(path);
    if (!FileExists(packed)) throw EFileError("Cannot open file", packed, ENOENT);
    if (FileExists(CardFileName(path)))
        throw EKivError("\"" + path + "\" is still open; the packed copy \"" + packed +
                        "\" was kept beside it.");
    RenameOver(packed, path, "pack:replace");
}

void PackDatastructureFile(const std::string& path, const TCopyProgress& progress) {
    {
        TSourceDatastructure src(path);
        if (FileExists(CardFileName(path)))
            throw EKivError("\"" + path + "\" is open; it is packed by the window that holds it.");
        BuildPackedCopy(src.Files(), path, progress);
    }
    ReplaceWithPackedCopy(path);
}

void SaveBranchesAs(const TPairFiles& src, const TItemArray& topics, const std::string& target,
                    const TCopyProgress& progress) {
    if (src.Outline && SamePath(src.Outline->Path(), target))
        throw EKivError("\"" + target +
                        "\" is the datastructure the branches come from; it is not replaced.");
    const std::string finished = PackTempName(target);
    WriteBranchesToFile(src, topics, finished, {}, progress);
    RenameOver(finished, target, "save:replace");
}

std::vector<TTopSlot> AppendBranchesTo(const TPairFiles& src, const TItemArray& topics,
                                       const std::string& target, const TCopyProgress& progress) {
    if (src.Outline && SamePath(src.Outline->Path(), target))
        throw EKivError("\"" + target + "\" is the datastructure the branches come from.");
    std::vector<TTopSlot> slots;
    {
        TDatastructurePair pair = OpenDatastructurePair(target, true);
        const TPairFiles dst{pair.Outline.get(), pair.Cards.get()};
        TCloneTable clones;
        for (const TNestItem& t : topics)
            slots.push_back(CopyBranchToDatastructure(src, t, dst, clones, progress));
        FixCloneMarks(clones, dst.Cards);
    }
    PackDatastructure(target);
    return slots;
}

// ---- reading in place ----

TSourceDatastructure::TSourceDatastructure(const std::string& path) {
    if (FileExists(path) && FileExists(CardFileName(path))) {
        base_ = PosixBlockFile::Open(path, OpenMode::ReadOnly);
        base2_ = PosixBlockFile::Open(CardFileName(path), OpenMode::ReadOnly);
        outline_ = std::make_unique<TFileWindow>(*base_, 0, base_->Size());
        cards_ = std::make_unique<TFileWindow>(*base2_, 0, base2_->Size());
        return;
    }
    base_ = PosixBlockFile::Open(path, OpenMode::ReadOnly);
    TJoinedTrailer t;
    if (!ReadJoinedTrailer(*base_, t))
        throw EKivError("\"" + path + "\" is not a KIV datastructure.");
    cards_ = std::make_unique<TFileWindow>(*base_, 0, t.CardSize);
    outline_ = std::make_unique<TFileWindow>(*base_, t.CardSize, t.OutlineSize);
}

TSourceDatastructure::~TSourceDatastructure() = default;

std::vector<TTopTopic> ReadTopTopics(const TPairFiles& files) {
    std::vector<TTopTopic> out;
    const uint32_t root = ReadRootNest(files.Outline);
    if (!NestFollowed(root)) return out;
    TItemArray items;
    ReadNestItems(files.Outline, root, items);
    TCards cards;
    cards.SetCardFile(files.Cards);
    for (const TNestItem& it : items) {
        TTopTopic t{root, it, {}};
        cards.ReadCaption(it.CardDir, t.Caption);
        out.push_back(std::move(t));
    }
    return out;
}

}  // namespace kiv
