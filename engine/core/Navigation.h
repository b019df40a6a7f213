#pragma once
// Positions in a datastructure and the datastructures themselves: a trail from the root to a
// topic (TNavigator), lists of trails with a current one (TQuickJump: Threads, QuickJumps,
// outlines, search results, the hoist stack), one known datastructure (TBookMark) and the
// list of them with a current entry (TInterBase1).
//
// Trails and bookmarks are handed out as shared pointers: whoever keeps "the current trail"
// or "the current bookmark" keeps the object alive, so deleting its list entry never leaves
// a dangling pointer behind.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/core/Cards.h"
#include "engine/core/NestFunctions.h"
#include "engine/core/Node.h"

namespace kiv {

constexpr size_t kNodeRecordSize = 16;
constexpr size_t kShortCaptionLength = 35;
constexpr const char* kUntitled = "[untitled]";
constexpr const char* kStoredCaption = "stored";

// Every CR and LF becomes a blank.
std::string LineBreaksToBlanks(std::string_view text);
// Cut to n characters of the stored form with "..." appended when longer, line breaks to
// blanks, trimmed; "[untitled]" when nothing is left. A UTF-8 caption is cut between
// characters, never inside one.
std::string ShortCaption(std::string_view text, size_t n);

class TNavigator {
public:
    using TNotifyEvent = std::function<void(TNavigator* Sender)>;

    TNavigator() = default;
    TNavigator(const TNavigator&) = delete;  // events must not travel with a copy: use Assign
    TNavigator& operator=(const TNavigator&) = delete;

    void Add(uint32_t parentNest, uint32_t index, bool fire, std::string_view caption,
             const TNestItem& item);
    // A position outside 0..Count is brought inside it.
    void Insert(int position, uint32_t parentNest, bool fire, std::string_view caption,
                const TNestItem& item, uint32_t index);
    void Delete(int i);      // no event
    void DeleteFrom(int i);  // removes i..end (nothing when i < 0), then OnNodesDeleted
    void Clear();            // no event

    int Count() const { return int(nodes_.size()); }
    int LastIndex() const { return Count() - 1; }
    // A zero node when i is outside the trail.
    TNode GetNode(int i) const;
    void SetNode(int i, const TNode& node);
    std::string GetCaption(int i) const;
    void SetCaption(int i, std::string_view text);
    std::string GetShortCaption(int i) const;
    TNodeArray GetHoistedNodes() const { return hoisted_; }
    void SetHoistedNodes(const TNodeArray& nodes) { hoisted_ = nodes; }
    // Title, nodes with captions and hoisted nodes; the events stay as they are.
    void Assign(const TNavigator& other);

    TNotifyEvent OnNodeAdded;
    TNotifyEvent OnNodesDeleted;
    std::string ThreadTitle;

private:
    bool Valid(int i) const { return i >= 0 && i < Count(); }
    std::vector<TNode> nodes_;
    TNodeArray hoisted_;
};

using TNavigatorPtr = std::shared_ptr<TNavigator>;

class TQuickJump {
public:
    TQuickJump() = default;
    TQuickJump(const TQuickJump&) = delete;
    TQuickJump& operator=(const TQuickJump&) = delete;

    int Count() const { return maker_ ? madeCount_ : int(list_.size()); }
    // Null when i is outside the list.
    TNavigatorPtr Navigator(int i) const;
    // The list becomes count trails long, trail i made by make(i, trail) when it is first
    // asked for, so a long list costs only the trails used. Adding, inserting, deleting and
    // the string form make every trail first; Clear ends it. The current index is kept.
    using TMakeTrail = std::function<void(int i, TNavigator& trail)>;
    void SetMadeOnDemand(int count, TMakeTrail make);
    // Appends an empty trail; an invalid current index becomes 0.
    TNavigatorPtr AddNavigator();
    // Inserts an empty trail at i (brought inside 0..Count); the current index follows.
    TNavigatorPtr InsertNavigator(int i);
    // The list lets go of trail i; a holder of it keeps a valid, detached trail.
    void Delete(int i);
    void Clear();

    int CurrentIndex() const { return current_; }
    void SetCurrentIndex(int i) { current_ = i; }

    // Short caption of the last node of trail i; empty for an empty trail.
    std::string TargetCaption(int i) const;

    // Per trail: one 16-byte record per node {parent nest, index, card directory, child
    // nest}, then 16 bytes of 0x01. Captions are not stored.
    std::string SaveToString() const;
    // Reads whole records only; a shorter tail is ignored. Nodes get the caption "stored".
    void LoadFromString(std::string_view text);

private:
    // Makes every trail still to be made; the list is an ordinary one afterwards.
    void MakeAll();
    std::vector<TNavigatorPtr> list_;
    int current_ = -1;
    TMakeTrail maker_;
    int madeCount_ = 0;
    mutable std::unordered_map<int, TNavigatorPtr> made_;
};

// One known datastructure. The two file handles belong to the owner of the open pair,
// which closes them once; the bookmark only points at them, and its owner clears the
// pointers (OutlineFile = nullptr, SetCardFile(nullptr)) when the pair is closed.
class TBookMark {
public:
    TBookMark() = default;
    TBookMark(const TBookMark&) = delete;
    TBookMark& operator=(const TBookMark&) = delete;

    BlockFile* OutlineFile = nullptr;  // not owned
    BlockFile* CardFile() const { return cardFile_; }
    // Stored here and in Cards.
    void SetCardFile(BlockFile* f);

    bool IsHoisted() const { return HoistStack.Count() > 0; }
    // false empties the hoist stack; true does nothing.
    void SetHoisted(bool hoisted);

    TCards Cards;
    uint32_t RootNest = 0;
    std::string Path;
    TQuickJump Threads;
    std::string Name;
    TQuickJump QuickJumps;
    TQuickJump Outlines;
    TQuickJump SearchResults;
    bool BackupMade = false;
    std::string Password;
    bool PasswordAccepted = false;
    TQuickJump HoistStack;
    bool MarksPending = true;  // the Threads and QuickJumps card is still to be read
    // Path as the settings file spelt it (letter case, "\" separators); written back as it
    // is while it still names Path.
    std::string StoredAs;

private:
    BlockFile* cardFile_ = nullptr;  // not owned
};

using TBookMarkPtr = std::shared_ptr<TBookMark>;

class TInterBase1 {
public:
    using TCurrentChanged = std::function<void(TInterBase1* Sender, const std::string& path)>;

    TInterBase1() = default;
    TInterBase1(const TInterBase1&) = delete;
    TInterBase1& operator=(const TInterBase1&) = delete;

    // Appends an entry named after the file name cut before its first "."; returns its index.
    int Add(const std::string& path);
    // The entry of the path (added when missing), then Select.
    void Open(const std::string& path);
    // Makes entry i current and fires OnCurrentChanged with its path; nothing when i is
    // outside the list.
    void Select(int i);
    void SetCurrentIndex(int i) { current_ = i; }  // no event
    // -1 when the list is empty or the index lies outside it (and it is reset to -1).
    int CurrentIndex();
    // First entry naming the same file (SamePath), or -1.
    int IndexOfPath(const std::string& path) const;
    int Count() const { return int(list_.size()); }
    // Null when i is outside the list.
    TBookMarkPtr BookMark(int i) const;
    // Puts b in place of entry i and hands the old entry back.
    TBookMarkPtr SetBookMark(int i, TBookMarkPtr b);
    std::string GetPath(int i) const;
    std::string GetName(int i) const;
    void SetName(int i, const std::string& name);
    // Removes entry i; the current index is left for the caller to adjust.
    void Delete(int i);
    void Clear();

    TCurrentChanged OnCurrentChanged;

private:
    bool Valid(int i) const { return i >= 0 && i < Count(); }
    std::vector<TBookMarkPtr> list_;
    int current_ = -1;
};

// The navigation path of the main window and the list of known datastructures; both live
// for the whole run.
const TNavigatorPtr& Navigator();
TInterBase1& InterBase();

}  // namespace kiv
