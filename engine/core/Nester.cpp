#include "engine/core/Nester.h"

#include <algorithm>
#include <unordered_set>

#include "platform/core/KivStrings.h"

namespace kiv {

void ClearBranch(TBranch& branch) { branch = TBranch{}; }

// ---- TACards ----

uint32_t TACards::RowCardDir(int row) const {
    return Owner->ValidRow(row) ? Owner->CardDir(row) : 1;
}

void TACards::ReadRowCard(uint8_t kind, int row, std::string& text) {
    const uint32_t dir = RowCardDir(row);
    if (dir == 1) {
        text.clear();
        return;
    }
    ReadCard(kind, dir, text);
}

template <class Store>
bool TACards::StoreRowCard(int row, const Store& store) {
    if (!Owner->ValidRow(row)) return false;
    uint32_t dir = Owner->CardDir(row);
    // A new directory must be named by the row's item: when the slot holds another topic,
    // nothing is written rather than a card that no item names.
    if (dir == 0 && !Owner->RowSlotHoldsItem(row)) return false;
    if (!store(dir)) return false;
    if (Owner->CardDir(row) == 0 && dir != 0) {
        Owner->SetCardDir(row, dir);
        if (!Owner->SaveRowItem(row)) {
            Owner->SetCardDir(row, 0);
            return false;
        }
    }
    return true;
}

bool TACards::WriteRowCard(uint8_t kind, int row, std::string_view text) {
    return StoreRowCard(row, [&](uint32_t& dir) { return WriteCard(kind, dir, text); });
}

bool TACards::AppendRowCard(int row, uint8_t kind, std::string_view text) {
    return StoreRowCard(row, [&](uint32_t& dir) { return AppendToCard(dir, kind, text); });
}

// ---- TLaunchList ----

std::string TLaunchList::GetLinks(int row) const { return Owner->GetRow(row).Links; }

bool TLaunchList::SetLinks(int row, std::string_view text) {
    std::string links(text);  // text may be the row's own Links
    Owner->GetItem(row);      // a row that does not exist raises before anything is stored
    if (!Owner->Cards().WriteRowCard(kCardLaunch, row, links)) return false;
    TNestPack p = Owner->GetRow(row);
    p.Links = std::move(links);
    Owner->SetRow(row, p);
    return true;
}

int TLaunchList::Count(int row) const { return int(SplitLines(GetLinks(row)).size()); }

std::string TLaunchList::GetPath(int row, int i) const {
    const auto lines = SplitLines(GetLinks(row));
    if (i < 0 || i >= int(lines.size())) return {};
    const size_t p = lines[i].find('\x01');
    return p == std::string::npos ? std::string() : lines[i].substr(0, p);
}

bool TLaunchList::AddLinks(int row, std::string_view text) {
    const std::string old = GetLinks(row);
    const std::string sep = (old.size() > 2 && old.back() != '\n') ? "\r\n" : "";
    std::string added(text);
    if (added.size() > 1 && added.back() != '\n') added += "\r\n";
    // The card store converts the whole card, so the targets already stored stay relative.
    if (!Owner->Cards().AppendRowCard(row, kCardLaunch, sep + added)) return false;
    TNestPack p = Owner->GetRow(row);
    p.Links = old + sep + added;
    Owner->SetRow(row, p);
    return true;
}

bool TLaunchList::DeleteLink(int row, int i) {
    auto lines = SplitLines(GetLinks(row));
    if (i >= 0 && i < int(lines.size())) lines.erase(lines.begin() + i);
    return SetLinks(row, JoinLines(lines));
}

// ---- TNester: rows ----

TNester::TNester()
    : cards_(std::make_unique<TACards>(this)), launchList_(std::make_unique<TLaunchList>(this)) {}

TNester::~TNester() = default;

TNestPack& TNester::Slot(int row) {
    if (!ValidRow(row)) throw EKivError("List index out of bounds (" + IntToStr(row) + ")");
    return rows_[size_t(row)];
}

const TNestPack& TNester::Slot(int row) const { return const_cast<TNester*>(this)->Slot(row); }

TNestPack& TNester::At(int row) {
    TNestPack& p = Slot(row);
    if (!p.CardsRead) ReadCardsOf(p);
    return p;
}

const TNestPack& TNester::At(int row) const { return const_cast<TNester*>(this)->At(row); }

int TNester::RowsRead() const {
    int n = 0;
    for (const auto& p : rows_) n += p.CardsRead;
    return n;
}

void TNester::InsertRow(int index, const TNestPack& pack) {
    if (index < 0 || index > RowCount())
        throw EKivError("List index out of bounds (" + IntToStr(index) + ")");
    rows_.insert(rows_.begin() + index, pack);
}

void TNester::InsertRows(int index, TNestPackArray packs) {
    if (index < 0 || index > RowCount())
        throw EKivError("List index out of bounds (" + IntToStr(index) + ")");
    rows_.insert(rows_.begin() + index, std::make_move_iterator(packs.begin()),
                 std::make_move_iterator(packs.end()));
}

void TNester::SetItem(int row, const TNestItem& item) {
    TNestPack& p = Slot(row);
    p.CardDir = item.CardDir;
    p.ChildNest = int32_t(item.ChildNest);
}

void TNester::SetFlagBit(int row, uint8_t bit, bool on) {
    TNestPack& p = At(row);
    p.Flags = on ? uint8_t(p.Flags | bit) : uint8_t(p.Flags & ~bit);
}

void TNester::SetFontStyle(int row, uint8_t style) {
    TNestPack& p = At(row);
    p.Flags = uint8_t((p.Flags & (kFlagLocked | kFlagClone)) | (style & kFontStyleMask));
}

void TNester::SetLocked(int row, bool on) { SetFlagBit(row, kFlagLocked, on); }
void TNester::SetClone(int row, bool on) { SetFlagBit(row, kFlagClone, on); }

void TNester::SetMarked(int row, bool on) {
    TNestPack& p = Slot(row);
    if (on && row == currentRow_) return;
    p.Marked = on;
}

void TNester::SetCurrentRow(int row) {
    currentRow_ = row;
    if (ValidRow(row)) rows_[size_t(row)].Marked = 0;
}

void TNester::TagRow(int row) {
    Slot(row);
    for (auto& p : rows_) p.RowTag = 0;
    rows_[size_t(row)].RowTag = 1;
}

int TNester::FindTaggedRow() const {
    for (int i = 0; i < RowCount(); ++i)
        if (rows_[size_t(i)].RowTag) return i;
    return -1;
}

void TNester::TagTargetRow(int row) {
    Slot(row);
    for (auto& p : rows_) p.TargetTag = 0;
    rows_[size_t(row)].TargetTag = 1;
}

int TNester::FindTaggedTarget() const {
    for (int i = 0; i < RowCount(); ++i)
        if (rows_[size_t(i)].TargetTag) return i;
    return -1;
}

TNode TNester::GetNode(int row) const {
    const TNestPack& p = At(row);
    TNode n;
    n.ParentNest = p.ParentNest;
    n.Index = uint32_t(p.NestIndex >= 0 ? p.NestIndex : SiblingIndex(row));
    n.CardDir = p.CardDir;
    n.ChildNest = uint32_t(p.ChildNest);
    n.Caption = p.Caption;
    return n;
}

void TNester::SetNode(int row, const TNode& node) {
    TNestPack& p = Slot(row);
    p.ParentNest = node.ParentNest;
    p.CardDir = node.CardDir;
    p.ChildNest = int32_t(node.ChildNest);
    p.NestIndex = int32_t(node.Index);
}

// ---- loading and shape ----

void TNester::LoadBranch(int row, bool fire) {
    uint32_t nest;
    int position;
    if (row == -1) {
        Clear();
        nest = RootNest;
        position = 0;
    } else {
        nest = uint32_t(ChildNest(row));
        position = row + 1;
    }
    if (NestFollowed(nest)) {
        TItemArray items;
        ReadNestItems(nestFile_, nest, items);
        InsertItemRows(items, 0, false, position);
    }
    if (fire && OnChange) OnChange(this);
}

void TNester::InsertItemRows(const TItemArray& items, int reference, bool asSiblings,
                             int position) {
    uint32_t parent = RootNest;
    int level = 0;
    if (position > 0) {
        if (asSiblings) {
            const TNestPack& sibling = Slot(reference + position);
            parent = sibling.ParentNest;
            level = sibling.Level;
        } else {
            const TNestPack& up = Slot(position - 1);
            parent = uint32_t(up.ChildNest);
            level = up.Level + 1;
        }
    }
    // One insertion for the whole group, made in place: a level of many topics opened in the
    // middle of the rows would otherwise move the rows below it once per topic, and a group
    // built aside would be made twice. The cards are read later.
    if (position < 0 || position > RowCount())
        throw EKivError("List index out of bounds (" + IntToStr(position) + ")");
    TNestPack proto;
    proto.ParentNest = parent;
    proto.Level = level;
    proto.CardsRead = 0;
    const int before = RowCount();
    const auto first = rows_.insert(rows_.begin() + position, items.size(), proto);
    for (size_t i = 0; i < items.size(); ++i) {
        TNestPack& p = first[ptrdiff_t(i)];
        p.CardDir = items[i].CardDir;
        p.ChildNest = int32_t(items[i].ChildNest);
    }
    // The current row moves as inserting the rows one by one moved it: down with each row
    // put at or above it, while it is not the last row.
    int current = currentRow_;
    int count = before;
    for (size_t k = 0; k < items.size(); ++k) {
        ++count;
        if (position + int(k) <= current && current + 1 < count) ++current;
    }
    currentRow_ = current;
}

void TNester::LoadRowCards(int row) {
    TNestPack& p = Slot(row);
    p.Marked = 0;
    p.HeightBox = 0;
    p.RowTag = 0;
    p.TargetTag = 0;
    p.NestIndex = -1;
    ReadCardsOf(p);
}

void TNester::ReadCardsOf(TNestPack& p) const {
    p.FontColor = kDefaultFontColor;
    p.Flags = 0;
    p.Caption.clear();
    p.Links.clear();
    p.HasText = 0;
    // Marked read first: a card that cannot be read raises once, not at every paint.
    p.CardsRead = 1;
    BlockFile* f = CardFile();
    if (!f || p.CardDir == 0) return;
    // One directory read serves the three cards; the text card is only asked whether it is
    // empty, which its first chunk's header answers.
    TCardArray entries;
    ReadCardDirectory(f, p.CardDir, entries);
    std::string card;
    ReadCardOfKind(f, entries, kCardCaption, card);
    TCaptionCard c = SplitCaptionCard(card);
    if (c.HasPrefix) {
        p.FontColor = c.FontColor;
        p.Flags = c.Flags;
    }
    p.Caption = std::move(c.Caption);
    ReadCardOfKind(f, entries, kCardLaunch, card);
    ConvertLinkPaths(false, card, p.Links);
    p.HasText = CardOfKindHasText(f, entries, kCardText);
}

bool TNester::IsExpanded(int row) const {
    return ValidRow(row) && row + 1 < RowCount() && Level(row + 1) > Level(row);
}

void TNester::Expand(int row) {
    if (IsExpanded(row) || !NestFollowed(uint32_t(ChildNest(row)))) return;
    TItemArray items;
    ReadNestItems(nestFile_, uint32_t(ChildNest(row)), items);
    InsertItemRows(items, 0, false, row + 1);
}

void TNester::Collapse(int row) {
    if (!IsExpanded(row)) return;
    const int level = Level(row);
    TIArray below;
    for (int i = row + 1; i < RowCount() && Level(i) > level; ++i) below.push_back(i);
    DeleteRowsInOrder(below);
}

void TNester::DeleteRowsInOrder(const TIArray& order) {
    // The current row is followed as DeleteRow would move it, row after row, but as the
    // topic it stands on (an index of the rows before any went, or past their end); the
    // rows themselves go in one pass at the end. One by one, a level of many topics would
    // be moved once per deleted row.
    const int n = RowCount();
    if (order.empty()) return;
    std::vector<uint8_t> gone(static_cast<size_t>(n), 0);
    // Nearest row still there at or above / at or below an index (-1 / n when none).
    std::vector<int> up(static_cast<size_t>(n)), down(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) up[size_t(i)] = down[size_t(i)] = i;
    auto find = [&](std::vector<int>& link, int i, int none) {
        int root = i;
        while (root != none && link[size_t(root)] != root) root = link[size_t(root)];
        while (i != none && link[size_t(i)] != i) {
            const int next = link[size_t(i)];
            link[size_t(i)] = root;
            i = next;
        }
        return root;
    };
    auto above = [&](int i) { return i < 0 ? -1 : find(up, i, -1); };
    auto below = [&](int i) { return i >= n ? n : find(down, i, n); };
    int current = currentRow_;
    for (int d : order) {
        if (d < 0 || d >= n || gone[size_t(d)]) continue;
        if (d == current) {
            // The only child of a topic shown above it: the parent becomes current.
            const int parent = above(d - 1);
            bool onlyChild = parent >= 0 && Slot(parent).Level < Slot(d).Level;
            for (int j = below(d + 1); onlyChild && j < n; j = below(j + 1)) {
                if (Slot(j).Level == Slot(d).Level) onlyChild = false;
                if (Slot(j).Level <= Slot(d).Level) break;
            }
            current = onlyChild ? parent : below(d + 1);
        }
        gone[size_t(d)] = 1;
        up[size_t(d)] = d - 1;
        down[size_t(d)] = d + 1;
    }
    int goneBefore = 0;
    for (int i = 0; i < std::min(current, n); ++i) goneBefore += gone[size_t(i)];
    size_t kept = 0;
    for (size_t i = 0; i < size_t(n); ++i)
        if (!gone[i]) {
            if (kept != i) rows_[kept] = std::move(rows_[i]);
            ++kept;
        }
    rows_.resize(kept);
    currentRow_ = current - goneBefore;
}

void TNester::DeleteRow(int row) {
    Slot(row);
    if (row < currentRow_) {
        --currentRow_;
    } else if (row == currentRow_ && row != 0 && Level(row - 1) < Level(row)) {
        TBranch b;
        GetBranch(row, false, b);
        if (b.Count == 1) --currentRow_;  // the only child: its parent becomes current
    }
    rows_.erase(rows_.begin() + row);
}

void TNester::Clear() {
    // What deleting row 0 until none is left does to the current row, without the
    // quadratic cost: it moves up once per row while it is above 0.
    if (currentRow_ > 0) currentRow_ = std::max(currentRow_ - RowCount(), 0);
    rows_.clear();
}

void TNester::RemoveMarkedRows(bool removeCurrent, int row, TBranch& branch) {
    GetBranch(row, false, branch);
    if (row == -1) {
        // Decided before anything moves: the marked rows and the row current at the start.
        TIArray doomed;
        for (int i = 0; i < RowCount(); ++i)
            if (TakesRow(i, removeCurrent)) doomed.push_back(i);
        DeleteRowsInOrder(doomed);
        return;
    }
    if (!ValidRow(row)) return;
    const int level = branch.Level;
    // The current row goes first, then the marked ones from the top, as the rows are
    // looked at; indexes are those before anything went.
    TIArray doomed;
    int removedCurrent = -1;
    if (removeCurrent && currentRow_ >= branch.FirstRow && currentRow_ <= branch.LastRow &&
        Level(currentRow_) == level) {
        removedCurrent = currentRow_;
        doomed.push_back(removedCurrent);
    }
    for (int i = branch.FirstRow; i <= branch.LastRow; ++i) {
        if (Level(i) != level || i == removedCurrent) continue;
        if (IsMarked(i)) doomed.push_back(i);
        else branch.Items.push_back(GetItem(i));
    }
    if (doomed.empty()) return;
    branch.LastRow -= int(doomed.size());
    branch.Modified = 1;
    DeleteRowsInOrder(doomed);
}

// ---- sibling groups and selections ----

void TNester::GetBranch(int row, bool collect, TBranch& branch) const {
    ClearBranch(branch);
    if (!ValidRow(row)) return;
    const int level = Level(row);
    branch.Level = level;
    for (int i = row; i >= 0; --i) {
        const int l = Level(i);
        if (l == level) {
            branch.FirstRow = i;
        } else if (l < level) {
            branch.ParentRow = i;
            branch.ParentItem = GetItem(i);
            branch.ParentNest = uint32_t(ChildNest(i));
            break;
        }
    }
    if (branch.ParentRow == -1) branch.ParentNest = RootNest;
    for (int i = row; i < RowCount(); ++i) {
        const int l = Level(i);
        if (l == level) branch.LastRow = i;
        else if (l < level) break;
    }
    for (int i = branch.FirstRow; i <= branch.LastRow; ++i) {
        if (Level(i) != level) continue;
        ++branch.Count;
        if (i <= row) ++branch.Index;
        if (collect) branch.Items.push_back(GetItem(i));
    }
}

// The siblings above the row alone: a row of a long level, or its parent above it, is not
// worth a walk of the whole group.
int TNester::SiblingIndex(int row) const {
    if (!ValidRow(row)) return -1;
    const int level = Level(row);
    int index = 0;
    for (int i = row - 1; i >= 0; --i) {
        const int l = Level(i);
        if (l < level) break;
        if (l == level) ++index;
    }
    return index;
}

int TNester::PrevSibling(int row) const {
    if (!ValidRow(row) || row == 0) return -1;
    const int level = Level(row);
    for (int i = row - 1; i >= 0; --i) {
        if (Level(i) == level) return i;
        if (Level(i) < level) return -1;
    }
    return -1;
}

int TNester::NextSibling(int row, bool toBranchEnd) const {
    if (!ValidRow(row)) return -1;
    const int level = Level(row);
    for (int i = row + 1; i < RowCount(); ++i) {
        if (Level(i) == level) return i;
        if (Level(i) < level) return toBranchEnd ? i : -1;
    }
    return toBranchEnd ? RowCount() : -1;
}

TItemArray TNester::GetSiblingItems(int row) const {
    TItemArray items;
    if (row == -1) {
        for (const auto& p : rows_) items.push_back(p.Item());
        return items;
    }
    TBranch b;
    GetBranch(row, true, b);
    return b.Items;
}

TNestPackArray TNester::GetSubtreeRows(int row, bool readCards) const {
    TNestPackArray out;
    if (!ValidRow(row)) return out;
    const int level = Level(row);
    for (int i = row; i == row || (i < RowCount() && Level(i) > level); ++i)
        out.push_back(readCards ? At(i) : Slot(i));
    return out;
}

TNestPackArray TNester::GetMarkedSubtrees(bool withCurrent, bool storeIndex, bool readCards) const {
    TNestPackArray out;
    TIArray indexes;
    int i = 0;
    while (i < RowCount()) {
        if (!TakesRow(i, withCurrent)) {
            ++i;
            continue;
        }
        TNestPackArray sub = GetSubtreeRows(i, readCards);
        const int base = Level(i);
        for (auto& p : sub) p.Level -= base;
        if (storeIndex) {
            if (indexes.empty()) indexes = SiblingIndexes();
            sub[0].NestIndex = indexes[size_t(i)];
        }
        out.insert(out.end(), sub.begin(), sub.end());
        i += int(sub.size());  // marks inside a taken sub-tree are not taken twice
    }
    return out;
}

TIArray TNester::GetMarkedRows(bool withCurrent) const {
    TIArray out;
    for (int i = 0; i < RowCount(); ++i)
        if (TakesRow(i, withCurrent)) out.push_back(i);
    return out;
}

TItemArray TNester::GetMarkedItems(bool withCurrent) const {
    TItemArray out;
    for (int i = 0; i < RowCount(); ++i)
        if (TakesRow(i, withCurrent)) out.push_back(GetItem(i));
    return out;
}

TIArray TNester::SiblingIndexes() const {
    // One pass: a counter per level, dropped when the rows climb above it.
    TIArray out(rows_.size());
    std::vector<int> counters;
    for (size_t i = 0; i < rows_.size(); ++i) {
        const size_t level = size_t(std::max(rows_[i].Level, 0));
        counters.resize(level + 1, 0);
        out[i] = counters[level]++;
    }
    return out;
}

TNodeArray TNester::GetMarkedNodes(bool withCurrent) const {
    TNodeArray out;
    TIArray indexes;
    for (int i = 0; i < RowCount(); ++i) {
        if (!TakesRow(i, withCurrent)) continue;
        if (indexes.empty()) indexes = SiblingIndexes();
        TNode n;
        n.ParentNest = ParentNest(i);
        n.Index = uint32_t(indexes[size_t(i)]);
        n.CardDir = CardDir(i);
        n.ChildNest = uint32_t(ChildNest(i));
        out.push_back(n);
    }
    return out;
}

void TNester::UnmarkAll() {
    for (auto& p : rows_) p.Marked = 0;
}

// ---- writing back ----

bool TNester::SetCaption(int row, std::string_view text) {
    TNestPack& p = At(row);
    // A copy first: text may be the row's own caption, which the assignment frees.
    std::string caption(text);
    const bool plain = (caption.empty() && p.Flags != kFlagClone && p.Flags != kFlagLocked) ||
                       (p.FontColor == kDefaultFontColor && p.Flags == 0);
    const std::string card = plain ? caption : MakeCaptionPrefix(p.FontColor, p.Flags) + caption;
    // The row shows what is stored: a store that fails or raises leaves its caption.
    if (!cards_->WriteRowCard(kCardCaption, row, card)) return false;
    At(row).Caption = std::move(caption);
    if (OnCaptionStored) OnCaptionStored(this, row);
    return true;
}

int TNester::SlotOf(int row) const {
    const TNestPack& p = Slot(row);
    return p.NestIndex >= 0 ? p.NestIndex : SiblingIndex(row);
}

bool TNester::RowSlotHoldsItem(int row) const {
    return CheckNestItem(nestFile_, ParentNest(row), SlotOf(row), GetItem(row));
}

bool TNester::SaveRowItem(int row) {
    return RowSlotHoldsItem(row) &&
           SetNestItem(nestFile_, ParentNest(row), SlotOf(row), GetItem(row));
}

void TNester::ReloadRowItem(int row) {
    TNestItem item;
    if (!GetNestItem(nestFile_, ParentNest(row), SiblingIndex(row), item)) return;
    SetItem(row, item);
    LoadRowCards(row);
}

void TNester::SaveSiblingItems(int row, bool fire) {
    if (row == -1) row = currentRow_;
    if (ValidRow(row)) {
        TBranch b;
        GetBranch(row, true, b);
        WriteNestItems(nestFile_, b.ParentNest, b.Items);
    }
    if (fire && OnChange) OnChange(this);
}

// ---- walking the file ----

void TNester::WalkNestItems(uint32_t startNest, int startIndex, bool& stopped,
                            const TWalkCallback& callback) {
    struct Entry {
        uint32_t nest;
        size_t next;
        size_t end;
        TItemArray items;
    };
    stopped = false;
    std::vector<Entry> stack;
    std::unordered_set<uint32_t> expanded{startNest};
    {
        Entry e{startNest, 0, 0, {}};
        ReadNestItems(nestFile_, startNest, e.items);
        e.end = e.items.size();
        if (startIndex != -1) {
            e.next = size_t(std::max(startIndex, 0));
            e.end = std::min(e.end, e.next + 1);
        }
        stack.push_back(std::move(e));
    }
    while (!stack.empty()) {
        Entry& top = stack.back();
        if (top.next >= top.end) {
            stack.pop_back();
            continue;
        }
        const size_t index = top.next++;
        const TNestItem item = top.items[index];
        const uint32_t nest = top.nest;
        if (!callback(nest, int(index), item, int(stack.size()) - 1)) {
            stopped = true;
            return;
        }
        if (!NestFollowed(item.ChildNest) || !expanded.insert(item.ChildNest).second) continue;
        Entry child{item.ChildNest, 0, 0, {}};
        ReadNestItems(nestFile_, item.ChildNest, child.items);
        child.end = child.items.size();
        stack.push_back(std::move(child));
    }
}

}  // namespace kiv
