// Drawing one layer onto another through the row kernels: alpha-keeping
// over, cross-fade, multiply and screen, and the rectangle copies.  The
// rectangle is in coordinates all the layers share; it is clipped to each
// of them first (the clip record), so nothing outside a buffer is touched.
#pragma once

#include <cstdint>

#include "graphics/draw/canvas.h"
#include "graphics/layer.h"

namespace vr {

// Where the rows of one layer-to-layer drawing are: the same rectangle in
// the source and the destination.
struct ClipRecord {
    int64_t sourceX = 0, sourceY = 0, destX = 0, destY = 0;
    int64_t width = 0, height = 0;
};

// The rectangle (inclusive, any values) clipped to every surface given;
// width or height 0 when nothing is left.
ClipRecord clipShared(int64_t left, int64_t top, int64_t right, int64_t bottom,
                      std::initializer_list<const Surface*> surfaces);

enum class LayerOp {
    Over,        // alpha-keeping over (kernel slots 20, 21)
    OverScaled,  // with the destination's alpha scaled first (22, 23)
    Multiply,    // the colours multiplied, by the source's alpha and the opacity
    Screen,      // screened, likewise
    Copy,        // the pixels copied
    CopyColour,  // the colours copied, the destination's alpha kept
};

// Draws the clipped rectangle of source onto dest.  opacity 0..256 (256:
// the full-opacity kernels); alphaScale 0..256 for OverScaled.
void drawLayerOnto(const Surface& source, Surface& dest, const ClipRecord& clip, LayerOp op, int64_t opacity,
                   int64_t alphaScale);

// dest = a + (b - a) * (min(value, 255) + 1) / 256 over the clip (slot 8).
void crossFade(const Surface& a, const Surface& b, Surface& dest, const ClipRecord& clip, int64_t value);

}  // namespace vr
