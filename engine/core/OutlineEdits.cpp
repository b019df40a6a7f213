#include "engine/core/OutlineEdits.h"

#include <algorithm>
#include <set>
#include <unordered_set>

#include "engine/core/OutlineEditsDetail.h"

namespace kiv {

namespace detail {

TRecycledBin& BinOf(const TPanelContext& c) { return c.Recycled ? *c.Recycled : RecycledBin(); }

bool TakesRow(const TNester& m, int row, bool withCurrent) {
    return m.IsMarked(row) || (withCurrent && row == m.CurrentRow());
}

int SubtreeEnd(const TNester& m, int row) {
    const int level = m.Level(row);
    int end = row;
    while (end + 1 < m.RowCount() && m.Level(end + 1) > level) ++end;
    return end;
}

std::vector<TRowSpan> TakenSpans(const TNester& m, bool withCurrent) {
    std::vector<TRowSpan> spans;
    for (int r = 0; r < m.RowCount();) {
        if (!TakesRow(m, r, withCurrent)) {
            ++r;
            continue;
        }
        const int end = SubtreeEnd(m, r);
        spans.push_back({r, end});
        r = end + 1;
    }
    return spans;
}

// The outermost marked ancestor of the row as shown, or -1.
int MarkedAncestor(const TNester& m, int row) {
    int found = -1;
    int level = m.Level(row);
    for (int i = row - 1; i >= 0 && level > 0; --i) {
        if (m.Level(i) >= level) continue;
        level = m.Level(i);
        if (m.IsMarked(i)) found = i;
    }
    return found;
}

void UnmarkStoredNodes(TNester& m) {
    for (int r = 0; r < m.RowCount(); ++r)
        if (m.IsMarked(r) && IsStoredNodeRow(m, r)) m.SetMarked(r, false);
}

// Writes the nest now (counted in written), or holds the write back.
void WriteGroup(BlockFile* f, THeldWrites* held, uint32_t nest, const TItemArray& items,
                int& written) {
    if (held) {
        held->Nests.emplace_back(nest, items);
        return;
    }
    WriteNestItems(f, nest, items);
    ++written;
}

// Rows of one sibling group leave the model and their nest; an emptied group leaves its
// parent row without children (not while the writes are held: the move does that once the
// nest is written). Returns the rows removed at the group's level.
int RemoveGroup(const TPanelContext& c, int row, bool removeCurrent, THeldWrites* held,
                int& written) {
    TNester& m = *c.Model;
    TBranch b;
    const int before = m.RowCount();
    m.RemoveMarkedRows(removeCurrent, row, b);
    if (!b.Modified) return 0;
    WriteGroup(m.NestFile(), held, b.ParentNest, b.Items, written);
    if (held) return before - m.RowCount();
    if (b.Items.empty() && b.ParentRow >= 0 && m.ValidRow(b.ParentRow)) {
        const int32_t old = m.ChildNest(b.ParentRow);
        m.SetChildNest(b.ParentRow, 0);
        if (m.SaveRowItem(b.ParentRow)) UpdateHoistedNode(c, b.ParentRow);
        else m.SetChildNest(b.ParentRow, old);  // the file still names the nest, now empty
    }
    return before - m.RowCount();
}

bool GroupMatchesStored(const TNester& m, int row) {
    if (!m.ValidRow(row)) return true;
    TBranch b;
    m.GetBranch(row, true, b);
    if (!NestFollowed(b.ParentNest)) return true;
    for (int r = b.FirstRow; r <= b.LastRow; ++r)
        if (m.Level(r) == b.Level && IsStoredNodeRow(m, r)) return true;
    TItemArray stored;
    ReadNestItems(m.NestFile(), b.ParentNest, stored);
    return stored == b.Items;
}

bool TakenGroupsMatchStored(const TNester& m, bool withCurrent) {
    std::set<uint32_t> checked;
    for (int r = 0; r < m.RowCount(); ++r) {
        if (!TakesRow(m, r, withCurrent) || IsStoredNodeRow(m, r)) continue;
        if (!checked.insert(m.ParentNest(r)).second) continue;
        if (!GroupMatchesStored(m, r)) return false;
    }
    return true;
}

void AppendSeparated(std::string& acc, std::string_view sep, std::string_view text) {
    if (!acc.empty() && !sep.empty()) acc += sep;
    acc += text;
}

bool EndsWithLineBreak(std::string_view s) { return !s.empty() && s.back() == '\n'; }

}  // namespace detail

using namespace detail;

// ---- the open datastructure ----

namespace {
TOpenDatastructureSource& Source() {
    static TOpenDatastructureSource source;
    return source;
}
}  // namespace

void SetOpenDatastructureSource(TOpenDatastructureSource source) { Source() = std::move(source); }
TBookMark* OpenBookMark() { return Source().BookMark ? Source().BookMark() : nullptr; }
TNavigator* OpenTrail() { return Source().Trail ? Source().Trail() : nullptr; }

// ---- row tests ----

bool IsStoredNodeRow(const TNester& model, int row) {
    return model.ValidRow(row) && model.NestIndex(row) >= 0;
}

bool IsHoistedRow(const TPanelContext& c, int row) {
    return c.Panel == 1 && c.BookMark && c.BookMark->IsHoisted() && IsStoredNodeRow(*c.Model, row);
}

bool IsHoistedTopRow(const TPanelContext& c, int row) {
    return c.Panel == 1 && c.Trail && !c.Trail->GetHoistedNodes().empty() &&
           IsStoredNodeRow(*c.Model, row) && c.Model->Level(row) == 0;
}

bool HasSinglePanelRoot(const TPanelContext& c) {
    return !c.TreeMode && c.PanelCount == 1 && c.Model->RowCount() > 0 &&
           c.Model->NestIndex(0) >= 0;
}

bool IsSinglePanelRootRow(const TPanelContext& c, int row) {
    return row == 0 && HasSinglePanelRoot(c);
}

bool ShowsChildrenInline(const TPanelContext& c, int row) {
    return c.TreeMode || IsSinglePanelRootRow(c, row);
}

void UpdateHoistedNode(const TPanelContext& c, int row) {
    if (!IsHoistedTopRow(c, row)) return;
    TNodeArray nodes = c.Trail->GetHoistedNodes();
    const int i = c.Model->SiblingIndex(row);
    if (i < 0 || i >= int(nodes.size())) return;
    const TNestItem item = c.Model->GetItem(row);
    if (nodes[size_t(i)].Item() == item) return;
    nodes[size_t(i)].CardDir = item.CardDir;
    nodes[size_t(i)].ChildNest = item.ChildNest;
    c.Trail->SetHoistedNodes(nodes);
}

uint32_t AppendEmptyNest(BlockFile* f) {
    // One zero item gives the smallest block (capacity 10); emptying it leaves count 0.
    const uint32_t nest = AppendNestBlock(f, TItemArray(1));
    WriteNestItems(f, nest, {});
    return nest;
}

void ReloadShownRows(TNester& m) {
    // A row is known by the items from the top down to it.
    using TPath = std::vector<uint64_t>;
    auto key = [&](int r) { return (uint64_t(m.CardDir(r)) << 32) | uint32_t(m.ChildNest(r)); };
    std::set<TPath> open;
    TPath path, current;
    for (int r = 0; r < m.RowCount(); ++r) {
        path.resize(size_t(std::max(m.Level(r), 0)));
        path.push_back(key(r));
        if (m.IsExpanded(r)) open.insert(path);
        if (r == m.CurrentRow()) current = path;
    }
    bool storedTop = false;
    for (int r = 0; r < m.RowCount(); ++r)
        if (m.Level(r) == 0 && IsStoredNodeRow(m, r)) storedTop = true;
    if (storedTop) {
        for (int r = m.RowCount() - 1; r >= 0; --r)
            if (m.Level(r) > 0) m.DeleteRow(r);
        for (int r = 0; r < m.RowCount(); ++r) ReloadRow(m, r);
    } else {
        m.LoadBranch(-1, false);
    }
    int found = -1;
    for (int r = 0; r < m.RowCount(); ++r) {
        path.resize(size_t(std::max(m.Level(r), 0)));
        path.push_back(key(r));
        if (open.count(path)) m.Expand(r);
        if (found < 0 && path == current) found = r;
    }
    m.SetCurrentRow(found >= 0 ? found : std::min(std::max(m.CurrentRow(), 0), m.LastRow()));
}

void ReloadRow(TNester& m, int row) {
    const int index = m.NestIndex(row);
    if (index < 0) {
        m.ReloadRowItem(row);
        return;
    }
    TNestItem item;
    if (!GetNestItem(m.NestFile(), m.ParentNest(row), index, item)) return;
    m.SetItem(row, item);
    m.LoadRowCards(row);
    m.SetNestIndex(row, index);
}

// ---- inserting ----

namespace {

// New rows and their sibling group written to its nest; should the write fail (a full
// disk), the rows go again, so the panel shows what the file holds.
void InsertAndSaveRows(TNester& m, const TItemArray& items, int reference, bool asSiblings,
                       int pos) {
    const int current = m.CurrentRow();
    m.InsertItemRows(items, reference, asSiblings, pos);
    try {
        m.SaveSiblingItems(pos, false);
    } catch (...) {
        for (size_t i = 0; i < items.size(); ++i) m.DeleteRow(pos);
        m.SetCurrentRow(current);
        throw;
    }
}

// Panel k > 1 without rows: the items go under the current topic of panel k - 1.
bool InsertUnderPreviousPanel(const TPanelContext& c, const TItemArray& items, TInsertResult& r) {
    TNester* prev = c.PrevModel;
    if (!prev || !prev->ValidRow(prev->CurrentRow())) return false;
    const int p = prev->CurrentRow();
    const int32_t child = prev->ChildNest(p);
    if (child < 0) return false;  // an external datastructure's marker is never replaced
    BlockFile* f = c.Model->NestFile();
    const uint32_t nest = AddNestItems(f, child > 0 ? uint32_t(child) : 0, items);
    if (child == 0) {
        prev->SetChildNest(p, int32_t(nest));
        if (!prev->SaveRowItem(p)) {  // the topic is no longer where the row says
            prev->SetChildNest(p, 0);
            return false;
        }
        TPanelContext pc = c;
        pc.Model = prev;
        pc.Panel = c.Panel - 1;
        UpdateHoistedNode(pc, p);
        r.PrevRowChanged = true;
    }
    c.Model->RootNest = nest;
    c.Model->LoadBranch(-1, false);
    return true;
}

// Panel 1 without rows and without a trail: the datastructure's root level.
bool InsertAtRootLevel(const TPanelContext& c, const TItemArray& items) {
    TNester& m = *c.Model;
    BlockFile* f = m.NestFile();
    uint32_t root = m.RootNest;
    if (!NestFollowed(root)) root = ReadRootNest(f);
    if (!NestFollowed(root)) root = 0;
    const uint32_t nest = AddNestItems(f, root, items);
    if (ReadRootNest(f) != nest) WriteRootNest(f, nest);
    if (c.BookMark) c.BookMark->RootNest = nest;
    m.RootNest = nest;
    m.LoadBranch(-1, false);
    return true;
}

// Panel 1 without rows under the trail's last topic.
bool InsertUnderTrail(const TPanelContext& c, const TItemArray& items) {
    TNester& m = *c.Model;
    BlockFile* f = m.NestFile();
    TNavigator& trail = *c.Trail;
    const int last = trail.LastIndex();
    TNode node = trail.GetNode(last);
    uint32_t parent = node.ParentNest;
    uint32_t index = node.Index;
    TNodeArray hoisted = trail.GetHoistedNodes();
    int hoistedAt = -1;
    if (c.BookMark && c.BookMark->IsHoisted() && trail.Count() == 1 &&
        node.Index < hoisted.size()) {
        hoistedAt = int(node.Index);
        parent = hoisted[size_t(hoistedAt)].ParentNest;
        index = hoisted[size_t(hoistedAt)].Index;
    }
    TNestItem item;
    if (!GetNestItem(f, parent, int(index), item)) return false;
    if (!NestItemsMatch(item, node.Item())) return false;  // the trail no longer names it
    const int32_t child = int32_t(item.ChildNest);
    if (child < 0) return false;
    const uint32_t nest = AddNestItems(f, child > 0 ? uint32_t(child) : 0, items);
    if (child == 0) {
        item.ChildNest = nest;
        if (!SetNestItem(f, parent, int(index), item)) return false;  // the new nest stays unnamed
    }
    node.CardDir = item.CardDir;
    node.ChildNest = item.ChildNest;
    trail.SetNode(last, node);
    if (hoistedAt >= 0) {
        hoisted[size_t(hoistedAt)].CardDir = item.CardDir;
        hoisted[size_t(hoistedAt)].ChildNest = item.ChildNest;
        trail.SetHoistedNodes(hoisted);
    }
    m.RootNest = nest;
    m.LoadBranch(-1, false);
    return true;
}

}  // namespace

TInsertResult InsertTopicItems(const TPanelContext& c, const TItemArray& items, int pos,
                               bool asSiblings, int offset) {
    TInsertResult r;
    TNester& m = *c.Model;
    BlockFile* f = m.NestFile();
    if (m.RootNest == kExternalNest || items.empty()) return r;

    if (m.RowCount() == 0) {
        bool done;
        if (c.Panel > 1) done = InsertUnderPreviousPanel(c, items, r);
        else if (!c.Trail || c.Trail->Count() == 0) done = InsertAtRootLevel(c, items);
        else done = InsertUnderTrail(c, items);
        if (!done) return r;
        r.Inserted = int(items.size());
        r.RootChanged = true;
        r.Pos = 0;
        r.FirstRow = m.RowCount() > 0 ? 0 : -1;
        return r;
    }

    const int n = m.RowCount();
    if (pos < 0) pos = 0;
    else if (pos > n) pos = n;

    int parent = -1;
    bool siblings = asSiblings || pos == 0;
    if (siblings) {
        // The row whose sibling group takes the items.
        int s = 0;
        if (pos > 0) {
            const int64_t ref = int64_t(pos) + offset;
            s = (ref >= 0 && ref < n) ? int(ref) : pos - 1;
        }
        if (IsStoredNodeRow(m, s)) {
            // Its group is no nest of this panel: the items go under it.
            siblings = false;
            parent = s;
            pos = s + 1;
        } else {
            TBranch b;
            m.GetBranch(s, false, b);
            if (!NestFollowed(b.ParentNest) || !GroupMatchesStored(m, s)) return r;
            InsertAndSaveRows(m, items, s - pos, true, pos);
            TBranch g;
            m.GetBranch(pos, false, g);
            UpdateHoistedNode(c, g.ParentRow);
            r.FromRow = pos;
        }
    } else {
        parent = pos - 1;
    }

    if (!siblings) {
        const int32_t child = m.ChildNest(parent);
        if (child < 0) return r;  // an external datastructure's marker is never replaced
        const bool inline_ = ShowsChildrenInline(c, parent);
        if (child == 0) {
            const uint32_t nest = AddNestItems(f, 0, items);
            m.SetChildNest(parent, int32_t(nest));
            if (!m.SaveRowItem(parent)) {
                m.SetChildNest(parent, 0);
                return r;
            }
            if (inline_) m.Expand(parent);
        } else {
            if (inline_) m.Expand(parent);
            if (m.IsExpanded(parent)) {
                if (!GroupMatchesStored(m, parent + 1)) return r;
                InsertAndSaveRows(m, items, 0, false, pos);
            } else {
                // Not shown here: the children already there stay, the new ones come first.
                InsertNestItems(f, uint32_t(child), 0, items);
            }
        }
        UpdateHoistedNode(c, parent);
        r.FromRow = parent;
    }

    r.Inserted = int(items.size());
    r.Pos = pos;
    r.FirstRow = (siblings || m.IsExpanded(parent)) ? pos : -1;
    return r;
}

// ---- deleting ----

namespace detail {

int TakeMarkedRows(const TPanelContext& c, bool recycle, bool withCurrent, THeldWrites* held) {
    TNester& m = *c.Model;
    if (m.RowCount() == 0) return 0;
    UnmarkStoredNodes(m);
    const int current = m.CurrentRow();
    if (withCurrent && (!m.ValidRow(current) || IsStoredNodeRow(m, current))) withCurrent = false;
    if (m.ValidRow(current)) {
        // A current row shown inside a marked row's sub-tree goes with that row.
        const int a = MarkedAncestor(m, current);
        if (a >= 0) {
            m.SetCurrentRow(a);
            withCurrent = true;
        }
    }

    for (int r = 0; r < m.RowCount(); ++r)
        if (TakesRow(m, r, withCurrent)) m.Collapse(r);

    const TIArray taken = m.GetMarkedRows(withCurrent);
    if (taken.empty()) return 0;
    // Rows that no longer show what their nest holds would write it back without the rest.
    if (!held && !TakenGroupsMatchStored(m, withCurrent)) return 0;
    bool stored = false;
    TRecycledBin& bin = BinOf(c);
    const int binBefore = bin.Count();
    if (recycle) {
        const int before = binBefore;
        for (int r : taken) {
            const TNode node = m.GetNode(r);
            bin.Add({node.ParentNest, node.CardDir, node.ChildNest});
            TNavigatorPtr trail = bin.Trails.AddNavigator();
            if (c.Trail) trail->Assign(*c.Trail);
            trail->Add(node.ParentNest, node.Index, false, node.Caption, node.Item());
        }
        // Stored before any topic leaves its nest; should that fail, none leaves.
        if (&bin == &RecycledBin()) {
            try {
                StoreRecycledBins();
            } catch (...) {
                // One of the two cards may have been stored: both go back as they were.
                while (bin.Count() > before) bin.Delete(bin.Count() - 1);
                try {
                    StoreRecycledBins();
                } catch (...) {
                }
                throw;
            }
            stored = true;
        }
    }

    int written = 0;
    try {
        if (!c.TreeMode && !HasSinglePanelRoot(c)) {
            TBranch b;
            const int before = m.RowCount();
            m.RemoveMarkedRows(withCurrent, -1, b);
            if (m.RowCount() != before && NestFollowed(m.RootNest))
                WriteGroup(m.NestFile(), held, m.RootNest, m.GetSiblingItems(-1), written);
        } else {
            for (;;) {
                int marked = -1;
                for (int r = 0; r < m.RowCount() && marked < 0; ++r)
                    if (m.IsMarked(r)) marked = r;
                if (marked < 0) break;
                if (RemoveGroup(c, marked, false, held, written) == 0) break;  // nothing more
            }
            if (withCurrent && m.ValidRow(m.CurrentRow()))
                RemoveGroup(c, m.CurrentRow(), true, held, written);
        }
    } catch (...) {
        // No topic left its nest: the stored bins go back to what they held (should that
        // fail too, the topics are in both, which loses nothing).
        if (stored && written == 0) {
            while (bin.Count() > binBefore) bin.Delete(bin.Count() - 1);
            try {
                StoreRecycledBins();
            } catch (...) {
            }
        }
        throw;
    }
    if (m.ValidRow(m.CurrentRow())) UpdateHoistedNode(c, m.CurrentRow());
    return int(taken.size());
}

}  // namespace detail

int DeleteMarkedRows(const TPanelContext& c, bool recycle, bool withCurrent) {
    return TakeMarkedRows(c, recycle, withCurrent, nullptr);
}

// ---- joining and splitting ----

bool JoinMarkedRows(const TPanelContext& c, const TPlainTextOf& plainText) {
    TNester& m = *c.Model;
    if (m.RowCount() == 0 || !m.ValidRow(m.CurrentRow())) return false;
    BlockFile* f = m.NestFile();
    UnmarkStoredNodes(m);
    // A marked ancestor cannot be joined into its own descendant.
    for (int a = MarkedAncestor(m, m.CurrentRow()); a >= 0; a = MarkedAncestor(m, m.CurrentRow()))
        m.SetMarked(a, false);

    // The survivor is the first of the taken rows; refuse before anything changes when it
    // stands for an external datastructure and another one brings children.
    const std::vector<TRowSpan> spans = TakenSpans(m, true);
    if (spans.size() > 1 && m.ChildNest(spans.front().First) < 0)
        for (size_t i = 1; i < spans.size(); ++i)
            if (m.ChildNest(spans[i].First) > 0) return false;

    for (int r = 0; r < m.RowCount(); ++r)
        if (TakesRow(m, r, true)) m.Collapse(r);
    TIArray marked = m.GetMarkedRows(false);
    if (marked.empty()) return false;
    if (m.CurrentRow() > marked.front()) {
        const int old = m.CurrentRow();
        m.SetCurrentRow(marked.front());
        m.SetMarked(old, true);
        marked = m.GetMarkedRows(false);
    }
    const int s = m.CurrentRow();
    // The survivor takes new children and cards: its slot must still hold it.
    if (!m.RowSlotHoldsItem(s)) return false;

    // Children first: should the survivor's slot be gone, nothing has changed yet.
    std::set<int32_t> joinedNests;
    if (m.ChildNest(s) > 0) joinedNests.insert(m.ChildNest(s));
    for (int r : marked) {
        const int32_t child = m.ChildNest(r);
        if (child <= 0 || joinedNests.count(child)) continue;  // a clone's children are there
        joinedNests.insert(child);
        TItemArray items;
        ReadNestItems(f, uint32_t(child), items);
        if (items.empty()) continue;
        if (m.ChildNest(s) > 0) {
            AddNestItems(f, uint32_t(m.ChildNest(s)), items);
            continue;
        }
        const uint32_t nest = AddNestItems(f, 0, items);
        m.SetChildNest(s, int32_t(nest));
        if (!m.SaveRowItem(s)) {
            m.SetChildNest(s, 0);
            return false;
        }
        joinedNests.insert(int32_t(nest));
        UpdateHoistedNode(c, s);
    }

    TACards& cards = m.Cards();
    for (uint8_t kind = kCardCaption; kind <= kCardExternal; ++kind) {
        std::string acc;
        if (kind == kCardText) acc = plainText(s);
        else cards.ReadRowCard(kind, s, acc);
        bool changed = false;
        for (int r : marked) {
            std::string t;
            if (kind == kCardText) t = plainText(r);
            else cards.ReadRowCard(kind, r, t);
            if (kind == kCardCaption) t = StripCaptionPrefix(t);
            if (t.empty()) continue;
            switch (kind) {
            case kCardCaption: {
                // The survivor's prefix stays in front; a blank only between captions.
                const bool none = StripCaptionPrefix(acc).empty();
                if (!none) acc += ' ';
                acc += t;
                break;
            }
            case kCardText: AppendSeparated(acc, "\r\n", t); break;
            case kCardGraphic:
            case kCardLaunch:
                // One path or link per line: lines must not run together.
                AppendSeparated(acc, EndsWithLineBreak(acc) ? "" : "\r\n", t);
                break;
            default:
                // One external path: the survivor's stays, else the first one found.
                if (!acc.empty()) continue;
                acc = t;
                break;
            }
            changed = true;
        }
        // The others are removed only when the survivor holds what they carried.
        if (changed && !cards.WriteRowCard(kind, s, acc)) return false;
    }

    DeleteMarkedRows(c, false, false);
    ReloadRow(m, m.CurrentRow());
    return true;
}

int SplitRowCaption(const TPanelContext& c, std::string_view head, std::string_view tail,
                    TInsertResult* result) {
    TNester& m = *c.Model;
    const int current = m.CurrentRow();
    if (!m.ValidRow(current) || IsStoredNodeRow(m, current)) return -1;
    const int next = m.NextSibling(current, true);
    const TInsertResult r = InsertTopicItems(c, TItemArray(1), next, true, current - next);
    if (result) *result = r;
    if (r.Inserted == 0 || r.FirstRow < 0) return -1;
    if (tail.substr(0, 2) == "\r\n") tail.remove_prefix(2);
    // The tail is stored first: should that fail, the current caption still holds it.
    if (!m.SetCaption(r.FirstRow, tail)) return -1;
    if (!m.SetCaption(m.CurrentRow(), head)) return -1;
    return r.FirstRow;
}

// ---- finding and checking ----

bool NestInsideItems(BlockFile* nestFile, uint32_t nest, const TItemArray& items) {
    if (!NestFollowed(nest)) return false;
    std::unordered_set<uint32_t> seen;
    std::vector<uint32_t> pending;
    auto reach = [&](const TNestItem& it) {
        if (NestFollowed(it.ChildNest) && seen.insert(it.ChildNest).second)
            pending.push_back(it.ChildNest);
        return it.ChildNest == nest;
    };
    for (const TNestItem& it : items)
        if (reach(it)) return true;
    TItemArray children;
    while (!pending.empty()) {
        const uint32_t n = pending.back();
        pending.pop_back();
        ReadNestItems(nestFile, n, children);
        for (const TNestItem& it : children)
            if (reach(it)) return true;
    }
    return false;
}

int FindItemRow(const TNester& m, const TNestItem& item, int startRow) {
    int first = 0, last = m.RowCount() - 1, level = 0;
    if (m.ValidRow(startRow)) {
        TBranch b;
        m.GetBranch(startRow, false, b);
        first = b.FirstRow;
        last = b.LastRow;
        level = b.Level;
    }
    for (int r = first; r <= last; ++r)
        if (m.Level(r) == level && m.GetItem(r) == item) return r;
    return -1;
}

bool ValidateTrail(BlockFile* nestFile, TCards& cards, TNavigator& trail) {
    for (int i = trail.LastIndex(); i >= 0; --i) {
        TNode node = trail.GetNode(i);
        TItemArray items;
        try {
            ReadNestItems(nestFile, node.ParentNest, items);
        } catch (const ENesterError&) {
            items.clear();  // a stored address that names no nest: the topic is not there
        }
        auto sameCards = [&](const TNestItem& it) {
            return node.ChildNest == 0 && node.CardDir != 0 && it.CardDir == node.CardDir;
        };
        int found = -1;
        // The slot the node names first, so that of two clones the right one is kept.
        if (node.Index < items.size() &&
            (items[node.Index] == node.Item() || sameCards(items[node.Index])))
            found = int(node.Index);
        for (size_t k = 0; found < 0 && k < items.size(); ++k)
            if (items[k] == node.Item()) found = int(k);
        for (size_t k = 0; found < 0 && k < items.size(); ++k)
            if (sameCards(items[k])) found = int(k);
        if (found < 0) {
            trail.Clear();
            return false;
        }
        node.Index = uint32_t(found);
        node.CardDir = items[size_t(found)].CardDir;
        node.ChildNest = items[size_t(found)].ChildNest;
        cards.ReadCaption(node.CardDir, node.Caption);
        trail.SetNode(i, node);
    }
    return trail.Count() > 0;
}

}  // namespace kiv
