#pragma once
// Showing levels of a tree inline in one outline model (tree mode): every row down to a
// level, one branch, or everything. The model's rows change; the caller tells its panel.
#include "engine/core/Nester.h"

namespace kiv {

// Rows of a level below limit show their children, rows at or below it hide theirs;
// level 0 shows everything (limit 100), level 1 only the top level, level n rows down to
// level n - 1. Rows shown on the way are visited too, so one pass opens every level.
void ExpandToLevel(TNester& model, int level);
// The row's children shown, then every row of its branch shows its own: true when rows
// were added (false: the branch was open already, nothing changed).
bool ExpandBranch(TNester& model, int row);

}  // namespace kiv
