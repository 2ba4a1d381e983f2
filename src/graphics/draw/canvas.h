// Canvas changes: extension by margins, crop, and the transparent pixels
// filled with the engine's fill colour.
#pragma once

#include <cstdint>
#include <string_view>

#include "graphics/layer.h"

namespace vr {

// A rectangle inside a layer, inclusive, already clamped to it.
struct PixelRect {
    int64_t left = 0, top = 0, right = -1, bottom = -1;
    bool empty() const { return right < left || bottom < top; }
    int64_t width() const { return right - left + 1; }
    int64_t height() const { return bottom - top + 1; }
};

// The rectangle with each value clamped to the surface (empty when
// reversed).
PixelRect clampedRect(const Surface& s, int64_t left, int64_t top, int64_t right, int64_t bottom);

// Margins added on each side (negative ones crop); the new canvas takes the
// fill colour and the old picture at (left, top).  Writes dest; false when
// the new size is below 1 (dest untouched) or after a report.
bool extendInto(const Surface& source, int64_t left, int64_t top, int64_t right, int64_t bottom,
                uint32_t fillColour, Surface& dest, std::string_view name);

// The layer operations: 0, or -1 after a report.  A new width or height
// below 1 shows the invalid-size message and changes nothing.
int extendCanvas(ObjectNode& target, ObjectNode& source, int64_t left, int64_t top, int64_t right, int64_t bottom);
// The target becomes the rectangle of the source; a reversed rectangle
// changes nothing.
int cropLayer(ObjectNode& target, ObjectNode& source, const PixelRect& r);

// Pixels of the rectangle whose alpha is 0 take the colour (0xAARRGGBB).
void fillTransparent(Surface& s, const PixelRect& r, uint32_t colour);

}  // namespace vr
