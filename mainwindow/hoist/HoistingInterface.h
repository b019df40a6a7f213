#pragma once
// What hoisting does for the other rooms: de-hoisting, a hoist level for given topics and
// the hoist button's upkeep.
#include "engine/core/Node.h"

namespace kiv {

class IHoisting {
public:
    virtual ~IHoisting() = default;

    // Back to stack entry level, dropping it and every later one; 0 de-hoists completely.
    virtual void DehoistTo(int level) = 0;
    // A hoist level of its own for the given topics, in their order.
    virtual void HoistNodes(const TNodeArray& nodes) = 0;
    // The hoist button and command follow the active panel's current row.
    virtual void UpdateHoistButton() = 0;
};

}  // namespace kiv
