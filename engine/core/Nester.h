#pragma once
// The outline model behind one outline panel: the displayed rows, each a topic of the outline
// file with its level, caption, links, colour and flags; the card access of those rows and
// their launch lists. Rows are loaded from nests, expanded and collapsed, and written back.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/Cards.h"
#include "engine/core/NestFunctions.h"
#include "engine/core/Node.h"

namespace kiv {

class TNester;

// One displayed row.
struct TNestPack {
    uint32_t ParentNest = 0;  // the nest holding the row's item
    uint32_t CardDir = 0;     // 0 = none yet
    int32_t ChildNest = 0;    // 0 none; -1 stands for an external datastructure
    uint8_t Marked = 0;
    uint8_t RowTag = 0;      // finds a row again after rows were moved
    uint8_t TargetTag = 0;   // the same for a target row
    uint8_t HasText = 0;     // the text card is not empty
    uint8_t HeightBox = 0;   // the row showed the box that toggles a long caption's height
    int32_t NestIndex = -1;  // index in the parent nest when stored; -1: use the sibling index
    int32_t Level = 0;       // 0 = the model's top rows
    std::string Caption;     // without its prefix
    std::string Links;       // launch-card text, targets absolute
    int32_t FontColor = kDefaultFontColor;
    uint8_t Flags = 0;  // bits 0-3 font style, 0x40 locked, 0x80 clone
    // Caption, links, colour, flags and HasText have been read from the cards. Rows of a
    // level are made from its nest alone and read when first asked for, so showing a level
    // costs what is on screen, not what is in the level.
    uint8_t CardsRead = 1;

    TNestItem Item() const { return {CardDir, uint32_t(ChildNest)}; }
};
using TNestPackArray = std::vector<TNestPack>;

// The sibling group of a row.
struct TBranch {
    TNestItem ParentItem;
    int32_t ParentRow = -1;   // -1: the group is the model's top level
    uint32_t ParentNest = 0;  // the parent row's child nest, or RootNest
    int32_t Level = 0;
    int32_t FirstRow = 0;
    int32_t LastRow = -1;
    int32_t Index = -1;  // the row's position among its siblings
    TItemArray Items;    // filled when asked
    uint8_t Modified = 0;
    int32_t Count = 0;
};
void ClearBranch(TBranch& branch);

// Cards addressed by row of the owning model.
class TACards : public TCards {
public:
    explicit TACards(TNester* owner) : Owner(owner) {}
    TNester* Owner;

    // The row's card directory, or 1 when the row does not exist (callers test for 1).
    uint32_t RowCardDir(int row) const;
    // Empty when the row does not exist.
    void ReadRowCard(uint8_t kind, int row, std::string& text);
    // Nothing for a row that does not exist. A directory made on the way is set on the row
    // and the row's item is written back to its nest. False when nothing was stored, or when
    // the row's slot no longer holds its topic (then no item could name a new directory, and
    // nothing is written).
    [[nodiscard]] bool WriteRowCard(uint8_t kind, int row, std::string_view text);
    [[nodiscard]] bool AppendRowCard(int row, uint8_t kind, std::string_view text);

private:
    template <class Store>
    [[nodiscard]] bool StoreRowCard(int row, const Store& store);
};

// The link lines (target, 0x01, title) of a row's Links.
class TLaunchList {
public:
    explicit TLaunchList(TNester* owner) : Owner(owner) {}
    TNester* Owner;

    std::string GetLinks(int row) const;
    // The launch card is written (targets made relative) and Links := text. The text may be
    // the row's own Links. False when the card was not stored; Links stays as stored then.
    [[nodiscard]] bool SetLinks(int row, std::string_view text);
    int Count(int row) const;
    // The part of line i before its first 0x01; empty when it has none.
    std::string GetPath(int row, int i) const;
    [[nodiscard]] bool AddLinks(int row, std::string_view text);
    [[nodiscard]] bool DeleteLink(int row, int i);
};

class TNester {
public:
    TNester();
    virtual ~TNester();
    TNester(const TNester&) = delete;
    TNester& operator=(const TNester&) = delete;

    // The nest shown at level 0.
    uint32_t RootNest = 0;
    std::function<void(TNester* Sender)> OnChange;
    // A row's caption card was stored by SetCaption (Sender, row).
    std::function<void(TNester* Sender, int row)> OnCaptionStored;

    BlockFile* NestFile() const { return nestFile_; }
    void SetNestFile(BlockFile* f) { nestFile_ = f; }
    BlockFile* CardFile() const { return cards_->CardFile(); }
    void SetCardFile(BlockFile* f) { cards_->SetCardFile(f); }
    TACards& Cards() { return *cards_; }
    TLaunchList& LaunchList() { return *launchList_; }

    // ---- rows; a row index outside the list raises EKivError ----
    int RowCount() const { return int(rows_.size()); }
    int LastRow() const { return RowCount() - 1; }
    bool ValidRow(int row) const { return row >= 0 && row < RowCount(); }
    TNestPack GetRow(int row) const { return At(row); }
    void SetRow(int row, const TNestPack& pack) { Slot(row) = pack; }
    void InsertRow(int index, const TNestPack& pack);
    // The rows in one insertion at index; the current row stays where it is, as with InsertRow.
    void InsertRows(int index, TNestPackArray packs);
    TNestItem GetItem(int row) const { return Slot(row).Item(); }
    void SetItem(int row, const TNestItem& item);
    uint32_t CardDir(int row) const { return Slot(row).CardDir; }
    void SetCardDir(int row, uint32_t dir) { Slot(row).CardDir = dir; }
    int32_t ChildNest(int row) const { return Slot(row).ChildNest; }
    void SetChildNest(int row, int32_t nest) { Slot(row).ChildNest = nest; }
    uint32_t ParentNest(int row) const { return Slot(row).ParentNest; }
    void SetParentNest(int row, uint32_t nest) { Slot(row).ParentNest = nest; }
    int Level(int row) const { return Slot(row).Level; }
    void SetLevel(int row, int level) { Slot(row).Level = level; }
    int NestIndex(int row) const { return Slot(row).NestIndex; }
    void SetNestIndex(int row, int index) { Slot(row).NestIndex = index; }
    const std::string& Caption(int row) const { return At(row).Caption; }
    int32_t FontColor(int row) const { return At(row).FontColor; }
    void SetFontColor(int row, int32_t color) { At(row).FontColor = color; }
    // Bits 0-3: bold, italic, underline, strike-out.
    uint8_t GetFontStyle(int row) const { return At(row).Flags & kFontStyleMask; }
    // Replaces the style bits and keeps the lock and clone bits. No card is written by this
    // or the other flag setters; SetCaption stores the change.
    void SetFontStyle(int row, uint8_t style);
    bool IsLocked(int row) const { return At(row).Flags & kFlagLocked; }
    void SetLocked(int row, bool on);
    bool IsClone(int row) const { return At(row).Flags & kFlagClone; }
    void SetClone(int row, bool on);
    bool HasText(int row) const { return At(row).HasText; }
    void SetHasText(int row, bool on) { At(row).HasText = on; }
    bool HasHeightBox(int row) const { return Slot(row).HeightBox; }
    void SetHeightBox(int row, bool on) { Slot(row).HeightBox = on; }
    bool IsMarked(int row) const { return Slot(row).Marked; }
    // Marking the current row is refused; clearing is always done.
    void SetMarked(int row, bool on);
    int CurrentRow() const { return currentRow_; }
    // Stores the index and clears the mark of the row it names.
    void SetCurrentRow(int row);
    // One tagged row at a time: tagging clears every other tag.
    void TagRow(int row);
    int FindTaggedRow() const;
    void TagTargetRow(int row);
    int FindTaggedTarget() const;
    // The row as a trail step: its parent nest, index in it, item and caption.
    TNode GetNode(int row) const;
    // Parent nest, item and stored nest index from the node.
    void SetNode(int row, const TNode& node);

    // ---- loading and shape ----
    // Row -1: the rows become the items of RootNest; otherwise the row's children are
    // inserted below it.
    void LoadBranch(int row, bool fire);
    void InsertItemRows(const TItemArray& items, int reference, bool asSiblings, int position);
    // Caption, colour, flags and links from the row's cards; marks, tags and NestIndex reset.
    void LoadRowCards(int row);
    // Caption, colour, flags, links and the text mark read again from the row's cards, which
    // another row of the same topic (a clone) has changed; marks and tags stay.
    void RereadRowCards(int row) { ReadCardsOf(Slot(row)); }
    void Expand(int row);
    void Collapse(int row);
    bool IsExpanded(int row) const;
    void DeleteRow(int row);
    void Clear();
    void RemoveMarkedRows(bool removeCurrent, int row, TBranch& branch);

    // ---- sibling groups and selections ----
    void GetBranch(int row, bool collect, TBranch& branch) const;
    int SiblingIndex(int row) const;
    int PrevSibling(int row) const;
    int NextSibling(int row, bool toBranchEnd) const;
    // Row -1: the items of all rows; otherwise the items of the row's sibling group.
    TItemArray GetSiblingItems(int row) const;
    // Without readCards, rows whose cards were not read yet come as they stand (CardsRead 0,
    // no caption): put back with InsertRow or SetRow they are read when asked for, so a
    // move of many topics reads none of them.
    TNestPackArray GetSubtreeRows(int row, bool readCards = true) const;
    TNestPackArray GetMarkedSubtrees(bool withCurrent, bool storeIndex,
                                     bool readCards = true) const;
    TIArray GetMarkedRows(bool withCurrent) const;
    TItemArray GetMarkedItems(bool withCurrent) const;
    TNodeArray GetMarkedNodes(bool withCurrent) const;
    void UnmarkAll();

    // ---- writing back ----
    // Stores the caption card: the plain text, or the 6-byte prefix and the text when the
    // row has a colour or flags (an empty caption keeps only a lone clone or lock mark).
    // The text may be the row's own caption. False when the card was not stored; the row
    // keeps its caption then (also when the store raises), so it shows what is stored.
    [[nodiscard]] bool SetCaption(int row, std::string_view text);
    // Writes the row's item into its slot of the parent nest when the slot still holds the
    // same topic; false when nothing was written.
    [[nodiscard]] bool SaveRowItem(int row);
    // Whether SaveRowItem would find the row's slot holding its topic.
    [[nodiscard]] bool RowSlotHoldsItem(int row) const;
    void ReloadRowItem(int row);
    // Row -1: the current row. The row's sibling group replaces its parent nest's content.
    void SaveSiblingItems(int row, bool fire);

    // ---- walking the file ----
    // Visits (nest, index in it, item, depth) pre-order; false from the callback stops the
    // walk. A start index other than -1 visits only that item of the start nest and its
    // sub-tree. Each nest is entered once per walk: a sub-tree shared by clones is walked
    // under its first topic only (the later ones are visited, their children not again), so
    // clones nested deep cannot make the walk exponential, nor a topic cloned into its own
    // sub-tree endless.
    using TWalkCallback =
        std::function<bool(uint32_t nest, int index, const TNestItem& item, int depth)>;
    void WalkNestItems(uint32_t startNest, int startIndex, bool& stopped,
                       const TWalkCallback& callback);

    // Rows whose cards have been read (the rest are read when first asked for).
    int RowsRead() const;

private:
    // The row with its cards read; raises for a row outside the list.
    TNestPack& At(int row);
    const TNestPack& At(int row) const;
    // The row as the nest gave it, cards read or not: for its place in the tree only.
    TNestPack& Slot(int row);
    const TNestPack& Slot(int row) const;
    void ReadCardsOf(TNestPack& p) const;
    // Deletes the rows at these indexes (of the rows before any went) in this order.
    void DeleteRowsInOrder(const TIArray& order);
    // Every row's index among its siblings, in one pass.
    TIArray SiblingIndexes() const;
    // The row's slot in its parent nest: the stored index, else the sibling index.
    int SlotOf(int row) const;
    void SetFlagBit(int row, uint8_t bit, bool on);
    bool TakesRow(int row, bool withCurrent) const {
        return Slot(row).Marked || (withCurrent && row == currentRow_);
    }

    mutable std::vector<TNestPack> rows_;
    BlockFile* nestFile_ = nullptr;
    std::unique_ptr<TACards> cards_;
    std::unique_ptr<TLaunchList> launchList_;
    int currentRow_ = 0;
};

}  // namespace kiv
