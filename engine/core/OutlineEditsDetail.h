#pragma once
// What the outline edits and the moves built on them share, inside engine/core only.
#include <utility>
#include <vector>

#include "engine/core/OutlineEdits.h"

namespace kiv::detail {

bool TakesRow(const TNester& m, int row, bool withCurrent);
// The last row of the row's shown sub-tree.
int SubtreeEnd(const TNester& m, int row);

struct TRowSpan {
    int First;
    int Last;
};
// The outermost marked (and current) rows with their shown sub-trees, in row order.
std::vector<TRowSpan> TakenSpans(const TNester& m, bool withCurrent);

// The nest writes of a removal that is half of a move, held back until the topics stand
// in their new nest: a write failing after that leaves a topic twice, never nowhere.
struct THeldWrites {
    std::vector<std::pair<uint32_t, TItemArray>> Nests;  // in the order they were made
};

// The rows of the row's sibling group hold what its nest holds, so that writing the group
// back from the rows drops nothing the file has and the rows lack (a topic put back behind
// the panel's back). A group with rows for stored nodes is no nest of the panel.
bool GroupMatchesStored(const TNester& m, int row);
// Every sibling group a removal of the taken rows rewrites matches its nest.
bool TakenGroupsMatchStored(const TNester& m, bool withCurrent);

// DeleteMarkedRows; with held, the nest writes are held back for the move.
int TakeMarkedRows(const TPanelContext& c, bool recycle, bool withCurrent, THeldWrites* held);

}  // namespace kiv::detail
