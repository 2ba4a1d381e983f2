// Two objects exchanging their places in the tree.
#pragma once

#include "graphics/layer.h"

namespace vr {

enum class SwapMode {
    Places = 0,    // places in the tree, names and name hashes
    Position = 1,  // and x and y, so each picture shows where the other was
    Display = 2,   // and visibility, opacity, mask and blend settings: only the pictures move
};

// Each node takes the other's place among its siblings (parent, order,
// name); a node is never swapped with one of its own ancestors or
// descendants.  false when refused.
bool swapObjects(ObjectNode& a, ObjectNode& b, SwapMode mode);

}  // namespace vr
