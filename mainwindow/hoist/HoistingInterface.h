#pragma once
// What hoisting does for the other rooms: de-hoisting, a hoist level for given topics,
// the hoist button's upkeep, the caption editor's focus and hoisted topics as panel rows.
#include "engine/core/Node.h"

namespace kiv {

class TNester;

class IHoisting {
public:
    virtual ~IHoisting() = default;

    // Back to stack entry level, dropping it and every later one; 0 de-hoists completely.
    virtual void DehoistTo(int level) = 0;
    // A hoist level of its own for the given topics, in their order.
    virtual void HoistNodes(const TNodeArray& nodes) = 0;
    // The hoist button and command follow the active panel's current row.
    virtual void UpdateHoistButton() = 0;
    // In edit mode the caption editor of the active panel takes the focus, else panel 1
    // when elseFirstPanel.
    virtual void FocusCaptionEditorInEditMode(bool elseFirstPanel = false) = 0;
    // A panel's model becomes the hoisted nodes as level-0 rows.
    virtual void LoadHoistedRows(TNester& model, const TNodeArray& nodes) = 0;
};

}  // namespace kiv
