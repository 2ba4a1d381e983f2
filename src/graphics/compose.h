// Composition: a layer's dirty rectangles redrawn from its children, bottom
// child first, the rows of each rectangle split over the graphics workers.
#pragma once

#include <array>
#include <cstdint>

#include "graphics/layer.h"

namespace vr {

namespace pixel {
struct PixelSet;
}

// Redraws the dirty rectangles of node's layer from its children.  0, or -1
// after a report.
int composeLayer(ObjectNode& node, bool useSourceAlphaForNode);
// Composes window w's root when it needs presenting (the frame step).
int composeWindow(int w);
// After a window presented its root: the dirty state of the root and of
// everything below it is reset and the present rectangle emptied.
void clearPresented(ObjectNode& root);

// The factors of a masked draw, one per mask byte.
using MaskRamp = std::array<int32_t, 256>;
void buildMaskRamp(MaskRamp& ramp, int level, int softness, int opacity);

// Runs a composition job on a worker (codes 101 to 104).
struct WorkerJob;
void runComposeJob(const WorkerJob& job);

// The pixel kernels of the run, chosen from the settings on first use; the
// compositor and the drawing command draw with the same set.
const pixel::PixelSet& scenePixels();

}  // namespace vr
