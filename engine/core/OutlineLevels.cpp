#include "engine/core/OutlineLevels.h"

namespace kiv {

void ExpandToLevel(TNester& model, int level) {
    const int limit = level > 0 ? level - 1 : 100;
    // The count grows and shrinks as rows are shown and hidden.
    for (int r = 0; r < model.RowCount(); ++r) {
        if (limit <= model.Level(r)) model.Collapse(r);
        else model.Expand(r);
    }
}

bool ExpandBranch(TNester& model, int row) {
    if (!model.ValidRow(row)) return false;
    const int count = model.RowCount();
    const int level = model.Level(row);
    model.Expand(row);
    for (int r = row + 1; r < model.RowCount() && model.Level(r) > level; ++r) model.Expand(r);
    return model.RowCount() != count;
}

}  // namespace kiv
