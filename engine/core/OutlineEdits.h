#pragma once
// Structural edits of one outline panel's rows and of the nests behind them: inserting,
// deleting (optionally into the recycled-topics store), moving marked sub-trees, joining
// and splitting topics, and checking a trail against the file. Everything here works on
// the panel's model and the open outline file; the panel itself (row heights, selection
// events, the caption editor, the later panels) follows in the grid.
//
// Rows that stand for stored nodes (NestIndex >= 0: hoisted top rows, the single-panel
// root, rows filled from trails) hold items of nests that are not the panel's own, so no
// edit here takes them out of a nest, moves them, or writes their sibling group.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "engine/core/Cards.h"
#include "engine/core/Navigation.h"
#include "engine/core/NestFunctions.h"
#include "engine/core/Nester.h"
#include "engine/core/RecycledBin.h"

namespace kiv {

// The open datastructure as the outline panels see it: its entry of InterBase() and the
// trail of its current topic. The main window owns both and installs the source at start;
// without one (or with nothing open) the panels see no datastructure and an empty trail.
struct TOpenDatastructureSource {
    std::function<TBookMark*()> BookMark;
    std::function<TNavigator*()> Trail;
};
void SetOpenDatastructureSource(TOpenDatastructureSource source);
TBookMark* OpenBookMark();
TNavigator* OpenTrail();

// What an edit needs to know about the panel it works in.
struct TPanelContext {
    TNester* Model = nullptr;          // the panel's rows; its nest file is the outline file
    int Panel = 1;                     // 1..3
    bool TreeMode = false;             // children shown inline
    int PanelCount = 3;                // panels of the current layout
    TNester* PrevModel = nullptr;      // the rows of panel Panel - 1 (panels 2 and 3)
    TNavigator* Trail = nullptr;       // the current trail; null reads as an empty trail
    TBookMark* BookMark = nullptr;     // the open datastructure; may be null
    TRecycledBin* Recycled = nullptr;  // where deleted topics go; null: RecycledBin()
};

// ---- row tests ----

bool IsStoredNodeRow(const TNester& model, int row);
// Panel 1 of a hoisted datastructure, a valid row with a recorded nest index.
bool IsHoistedRow(const TPanelContext& c, int row);
// Panel 1, a valid level-0 row with a recorded nest index while the trail holds hoisted nodes.
bool IsHoistedTopRow(const TPanelContext& c, int row);
// Not tree mode, one panel, rows, and row 0 with a recorded nest index.
bool HasSinglePanelRoot(const TPanelContext& c);
bool IsSinglePanelRootRow(const TPanelContext& c, int row);
// The panel shows this row's children inline: tree mode, or the single-panel root.
bool ShowsChildrenInline(const TPanelContext& c, int row);
// The hoisted node at a hoisted top row's sibling index takes the row's item when they differ.
void UpdateHoistedNode(const TPanelContext& c, int row);

// A new nest of one block of capacity 10 holding no items; its address.
uint32_t AppendEmptyNest(BlockFile* f);

// ---- inserting ----

struct TInsertResult {
    int Inserted = 0;             // topics inserted; 0 when nothing happened
    bool RootChanged = false;     // the panel was empty: its root nest and rows are new
    bool PrevRowChanged = false;  // the current item of panel Panel - 1 got a new child nest
    int Pos = 0;                  // the row the insertion aimed at (Select makes it current)
    int FirstRow = -1;            // row of the first new topic; -1 when not shown as a row
    int FromRow = 0;              // rows from here on changed
};

// Topics for the items, beside the reference row Pos + Offset (AsSiblings) or as the first
// children of row Pos - 1. An empty panel takes the items under its parent: the current row
// of the panel before it, the trail's last topic, or the datastructure's root level (the
// root nest is made and its address written to the outline file's header). Nothing is
// inserted into a panel that shows an external datastructure or under a topic that stands
// for one; a reference row that stands for a stored node takes the items as children.
TInsertResult InsertTopicItems(const TPanelContext& c, const TItemArray& items, int pos,
                               bool asSiblings, int offset);

// ---- deleting ----

// Removes the marked rows (and the current one with withCurrent) with their sub-trees from
// their nests; with recycle each goes into the recycled-topics store with its trail. A
// current row inside a marked row's shown sub-tree goes with it. Rows for stored nodes lose
// their mark and stay. The model's current row is left where the removal put it. Returns
// the number of topics taken out.
int DeleteMarkedRows(const TPanelContext& c, bool recycle, bool withCurrent);

// ---- moving ----

// Moves the marked rows and the current one, with their sub-trees, beside the target (after
// its sub-tree or before it) or under it (as its first children). Refused (false, nothing
// changed) when the target lies in a moved sub-tree (as shown, or in the file through a
// clone: NestInsideItems), a moved row stands for a stored node,
// the target stands for a stored node and the move is beside it, or the move is under a
// topic that stands for an external datastructure. The current topic stays current.
bool MoveMarkedRows(const TPanelContext& c, int target, bool after, bool beside);

// Tree mode: every marked or current row that shows its children loses the marks of its
// shown descendants; a current row among them gives way to that ancestor. Returns the new
// current row, or -1 when it did not change (the model's current row is not set here).
int UnmarkShownDescendantsRow(const TPanelContext& c);

enum TMoveDirection { mdUp = 0, mdDown = 1, mdOut = 2, mdIn = 3 };
// The target of a key move, or -1; may show a row's children in the model on the way.
int KeyMoveTarget(const TPanelContext& c, int direction, bool& after, bool& beside);
// UnmarkShownDescendantsRow (current row set), KeyMoveTarget, MoveMarkedRows.
bool MoveMarkedRowsByKey(const TPanelContext& c, int direction);

// ---- joining and splitting ----

// The text card (kind 2) of a row as plain text.
using TPlainTextOf = std::function<std::string(int row)>;

// Joins the marked rows into the current row (or into the first marked row when that comes
// first): cards appended kind by kind, children appended to its child nest, the others
// removed (not recycled). Returns false when nothing was joined.
bool JoinMarkedRows(const TPanelContext& c, const TPlainTextOf& plainText);

// Head becomes the current topic's caption and tail (without a leading CR LF) the caption
// of a new sibling right after the current topic's sub-tree. The new row, or -1 when no
// sibling could be made (nothing changed then) or the tail could not be stored (the current
// caption is kept whole then). Stored text in both.
int SplitRowCaption(const TPanelContext& c, std::string_view head, std::string_view tail,
                    TInsertResult* result = nullptr);

// ---- finding and checking ----

// Whether the nest is the child nest of one of the items or lies anywhere in their
// sub-trees, also through clones: a topic put there would go into its own branch. Each nest
// is read once, however often clones share it.
bool NestInsideItems(BlockFile* nestFile, uint32_t nest, const TItemArray& items);

// The row holding the item among startRow's siblings (the level-0 rows when startRow is
// not a row); -1 when none.
int FindItemRow(const TNester& model, const TNestItem& item, int startRow);

// Checks every node, last to first, against its parent nest: a node is found by its item,
// or (without child nest) by its non-zero card directory; it then takes the item, its index
// and its caption. A node not found (also a parent nest that is no nest) clears the trail.
// True when the trail still has nodes.
bool ValidateTrail(BlockFile* nestFile, TCards& cards, TNavigator& trail);

// The rows read again from the file, for a panel that may show what the file does not
// hold (an edit failed half-way, a topic was put back behind its back): the sub-trees shown
// stay shown and the current topic stays current where they still exist. Rows for stored
// nodes at the top stay and get their items and children again. The model's current row
// is set; the grid follows with its row count.
void ReloadShownRows(TNester& model);

// The row's item read again from its slot (the recorded nest index for a stored node) and
// its cards reloaded; a stored node keeps its nest index.
void ReloadRow(TNester& model, int row);

}  // namespace kiv
