#pragma once
// One step of a trail from the root to a topic: where the topic's item stands and the item.
// The first four fields (16 bytes, in this order) are what stored trails hold; captions are
// not stored.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/NestFunctions.h"

namespace kiv {

struct TNode {
    uint32_t ParentNest = 0;  // the nest that holds the topic's item
    uint32_t Index = 0;       // the item's index in that nest
    uint32_t CardDir = 0;
    uint32_t ChildNest = 0;
    std::string Caption;

    TNestItem Item() const { return {CardDir, ChildNest}; }
};

// Nodes without their captions (hoisted nodes, marked topics).
using TNodeArray = std::vector<TNode>;

}  // namespace kiv
