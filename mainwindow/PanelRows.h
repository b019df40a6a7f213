#pragma once
// Rows of the outline panels that more than one room makes: a stored node as a row, and a
// panel made the active one.
#include "engine/core/Node.h"

namespace kiv {

class IWindowContext;
class TKivStringGrid;
class TNester;

// A stored node as a row of a model: inserted at index, caption and flags from its cards,
// its place (parent nest, index) recorded so that edits leave its nest alone.
void InsertNodeRow(TNester& model, int index, const TNode& node, int level);
// The panel becomes the active one: with the focus when it can take it, else at once.
void ActivatePanel(TKivStringGrid* grid);
// The model becomes the hoisted nodes as level-0 rows, each recording its place.
void LoadHoistedNodes(TNester& model, const TNodeArray& nodes);
// In edit mode the caption editor of the active panel takes the focus, else orElse when
// it shows.
void FocusCaptionEditorInEditMode(IWindowContext& ctx, TKivStringGrid* orElse = nullptr);

}  // namespace kiv
