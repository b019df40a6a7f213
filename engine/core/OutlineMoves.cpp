// Moving marked sub-trees, by target row or by key: the destination nest is written
// first, the nests the topics leave after it.
#include <set>

#include "engine/core/OutlineEdits.h"
#include "engine/core/OutlineEditsDetail.h"

namespace kiv {

using namespace detail;

namespace {

// The last held write of the nest, or null.
const TItemArray* HeldItemsOf(const THeldWrites& held, uint32_t nest) {
    for (auto it = held.Nests.rbegin(); it != held.Nests.rend(); ++it)
        if (it->first == nest) return &it->second;
    return nullptr;
}

// The held writes of a move, after its destination nest was written; a nest left empty
// leaves its parent rows without children.
// Should the first of them fail, the destination gets its old items back, so that a failing
// disk leaves the whole old outline where it can.
void WriteHeldNests(const TPanelContext& c, const THeldWrites& held, uint32_t destNest,
                    const TItemArray& oldDest) {
    TNester& m = *c.Model;
    std::set<uint32_t> emptied;
    bool first = true;
    for (const auto& [nest, items] : held.Nests) {
        if (nest == destNest) continue;
        try {
            WriteNestItems(m.NestFile(), nest, items);
        } catch (...) {
            if (first) {
                try {
                    WriteNestItems(m.NestFile(), destNest, oldDest);
                } catch (...) {
                }
            }
            throw;
        }
        first = false;
        if (items.empty()) emptied.insert(nest);
        else emptied.erase(nest);
    }
    for (int r = 0; r < m.RowCount(); ++r) {
        if (m.ChildNest(r) <= 0 || !emptied.count(uint32_t(m.ChildNest(r))) || m.IsExpanded(r))
            continue;
        const int32_t old = m.ChildNest(r);
        m.SetChildNest(r, 0);
        if (m.SaveRowItem(r)) UpdateHoistedNode(c, r);
        else m.SetChildNest(r, old);  // the file still names the nest, now empty
    }
}

}  // namespace

// ---- moving ----

bool MoveMarkedRows(const TPanelContext& c, int target, bool after, bool beside) {
    TNester& m = *c.Model;
    if (!m.ValidRow(target) || !m.ValidRow(m.CurrentRow())) return false;
    BlockFile* f = m.NestFile();
    const std::vector<TRowSpan> spans = TakenSpans(m, true);
    if (spans.empty()) return false;
    for (const TRowSpan& s : spans) {
        if (IsStoredNodeRow(m, s.First)) return false;
        if (target >= s.First && target <= s.Last) return false;  // into its own branch
    }
    if (beside && IsStoredNodeRow(m, target)) return false;
    if (!beside && m.ChildNest(target) < 0) return false;      // external: its marker stays
    if (!beside && !m.RowSlotHoldsItem(target)) return false;  // its item could not be saved
    {
        // A clone can put the target inside a moved sub-tree although no shown row does.
        TItemArray moved;
        for (const TRowSpan& s : spans) moved.push_back(m.GetItem(s.First));
        const uint32_t holder = m.ParentNest(target);
        if (NestInsideItems(f, holder, moved)) return false;
        if (!beside && NestInsideItems(f, uint32_t(m.ChildNest(target)), moved)) return false;
    }
    // The groups written back from the rows must show what their nests hold.
    if (!TakenGroupsMatchStored(m, true)) return false;
    if (!GroupMatchesStored(m, target)) return false;  // beside it, or its item saved
    if (!beside && m.IsExpanded(target) && !GroupMatchesStored(m, target + 1)) return false;

    int destLevel;
    uint32_t destNest;
    if (beside) {
        TBranch b;
        m.GetBranch(target, false, b);
        if (!NestFollowed(b.ParentNest)) return false;
        destLevel = b.Level;
        destNest = b.ParentNest;
    } else {
        destLevel = m.Level(target) + 1;
        if (m.ChildNest(target) == 0) {
            destNest = AppendEmptyNest(f);
            m.SetChildNest(target, int32_t(destNest));
            if (!m.SaveRowItem(target)) {
                m.SetChildNest(target, 0);
                return false;
            }
            UpdateHoistedNode(c, target);
        } else {
            destNest = uint32_t(m.ChildNest(target));
        }
    }
    // The removal shrinks the nests the topics leave before the destination grows: its room
    // is made first, so a full disk stops the move before any topic has left its nest.
    {
        TItemArray there;
        ReadNestItems(f, destNest, there);
        size_t arriving = 0;
        for (const TRowSpan& s : spans)
            if (m.ParentNest(s.First) != destNest) ++arriving;
        ReserveNestItems(f, destNest, there.size() + arriving);
    }
    m.TagRow(m.CurrentRow());
    m.TagTargetRow(target);

    TNestPackArray rows = m.GetMarkedSubtrees(true, false, false);
    // The topics leave their nests on disk only after they stand in the new one.
    THeldWrites held;
    TakeMarkedRows(c, false, true, &held);

    int t = m.FindTaggedTarget();
    if (t < 0) return false;  // cannot happen: the target was outside every moved sub-tree
    if (!beside && m.ChildNest(t) != int32_t(destNest)) {
        // Moving a topic's only children under it again emptied it on the way. The slot was
        // checked before anything moved; should it no longer take the nest, the moved topics
        // would be named by nothing, so the move stops loudly instead.
        m.SetChildNest(t, int32_t(destNest));
        if (!m.SaveRowItem(t))
            throw ENesterError("Datastructure is corrupted, can't save nest item");
        UpdateHoistedNode(c, t);
    }
    // The moved topics join the children already there. Shown only after the removal, so
    // that a panel showing one nest never writes them into it.
    if (!beside && !m.IsExpanded(t)) {
        // Its children as the move leaves them: the held removal, else the file.
        if (const TItemArray* items = HeldItemsOf(held, destNest))
            m.InsertItemRows(*items, 0, false, t + 1);
        else m.Expand(t);
    }
    const int first = beside ? (after ? m.NextSibling(t, true) : t) : t + 1;
    for (TNestPack& p : rows) {
        if (p.Level == 0) p.ParentNest = destNest;
        p.Level += destLevel;
        p.NestIndex = -1;
    }
    // One insertion: rows put back one by one would move the rows below them each time.
    m.InsertRows(first, std::move(rows));
    // In first, out second: one write puts the destination nest in its new state (inside
    // one nest that is the whole move); should a later write fail, a topic stands twice.
    TItemArray oldDest;
    ReadNestItems(f, destNest, oldDest);
    m.SaveSiblingItems(first, false);
    WriteHeldNests(c, held, destNest, oldDest);
    t = m.FindTaggedTarget();
    if (!beside) {
        if (!IsStoredNodeRow(m, t)) m.SaveSiblingItems(t, false);
        if (!ShowsChildrenInline(c, t)) m.Collapse(t);  // this panel shows one nest
    }
    int current = m.FindTaggedRow();
    if (current < 0) current = t;
    m.SetCurrentRow(current);
    return true;
}

int UnmarkShownDescendantsRow(const TPanelContext& c) {
    TNester& m = *c.Model;
    if (!c.TreeMode) return -1;
    const int current = m.CurrentRow();
    int newCurrent = -1;
    for (int r = 0; r < m.RowCount();) {
        if (!TakesRow(m, r, true) || !m.IsExpanded(r)) {
            ++r;
            continue;
        }
        const int end = SubtreeEnd(m, r);
        for (int d = r + 1; d <= end; ++d) {
            m.SetMarked(d, false);
            if (d == current) newCurrent = r;
        }
        r = end + 1;
    }
    return newCurrent;
}

int KeyMoveTarget(const TPanelContext& c, int direction, bool& after, bool& beside) {
    TNester& m = *c.Model;
    after = true;
    beside = true;
    if (m.RowCount() == 0) return -1;
    const TIArray rows = m.GetMarkedRows(true);
    if (rows.empty()) return -1;
    for (int r : rows)
        if (IsStoredNodeRow(m, r)) return -1;
    const int firstRow = rows.front();
    const int lastRow = rows.back();
    // The target for going into row s: after the last of its children when it shows any
    // now, else under s itself.
    auto into = [&](int s) {
        m.Expand(s);
        if (m.IsExpanded(s)) {
            TBranch g;
            m.GetBranch(s + 1, false, g);
            after = true;
            return g.LastRow;
        }
        beside = false;
        return s;
    };
    auto parentOf = [&](int row) {
        TBranch b;
        m.GetBranch(row, false, b);
        return b.ParentRow;
    };

    switch (direction) {
    case mdUp: {
        const int s = m.PrevSibling(firstRow);
        if (s >= 0) {
            after = false;
            return s;
        }
        const int p = parentOf(firstRow);
        if (p < 0) return -1;
        const int ps = m.PrevSibling(p);
        if (ps >= 0) return into(ps);
        if (IsStoredNodeRow(m, p)) return -1;
        after = false;
        return p;
    }
    case mdDown: {
        const int nx = m.NextSibling(lastRow, false);
        if (nx >= 0) return nx;
        const int p = parentOf(lastRow);
        if (p < 0) return -1;
        int n = m.NextSibling(p, false);
        if (n < 0) {
            n = m.NextSibling(p, true);  // the row after p's sub-tree
            if (n >= m.RowCount()) return -1;
        }
        m.Expand(n);
        if (m.IsExpanded(n)) {
            after = false;
            return n + 1;
        }
        beside = false;
        return n;
    }
    case mdIn: {
        if (!c.TreeMode || firstRow == 0) return -1;
        const int s = m.PrevSibling(firstRow);
        if (s < 0) return -1;
        return into(s);
    }
    case mdOut: {
        if (!c.TreeMode || m.Level(firstRow) == 0) return -1;
        if (m.Level(firstRow) == 1 && IsHoistedTopRow(c, 0)) return -1;
        const int p = parentOf(firstRow);
        if (p < 0) return -1;
        return p;
    }
    default: return -1;
    }
}

bool MoveMarkedRowsByKey(const TPanelContext& c, int direction) {
    TNester& m = *c.Model;
    if (m.RowCount() == 0) return false;
    const int current = UnmarkShownDescendantsRow(c);
    if (current >= 0) m.SetCurrentRow(current);
    bool after, beside;
    const int target = KeyMoveTarget(c, direction, after, beside);
    if (target < 0) return false;
    return MoveMarkedRows(c, target, after, beside);
}

}  // namespace kiv
