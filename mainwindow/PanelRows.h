#pragma once
// Rows of the outline panels that more than one room makes: a stored node as a row, and a
// panel made the active one.
namespace kiv {

class TKivStringGrid;
class TNester;
struct TNode;

// A stored node as a row of a model: inserted at index, caption and flags from its cards,
// its place (parent nest, index) recorded so that edits leave its nest alone.
void InsertNodeRow(TNester& model, int index, const TNode& node, int level);
// The panel becomes the active one: with the focus when it can take it, else at once.
void ActivatePanel(TKivStringGrid* grid);

}  // namespace kiv
