// What the drawing operations share: the invalid-size message, copies of
// surfaces that fail softly, and the pixel set in use.
#pragma once

#include <cstdint>
#include <string_view>

#include "graphics/layer.h"
#include "graphics/pixel/pixel_set.h"

namespace vr {

// "The size after resizing is invalid", shown to the author; the operation
// then changes nothing.  Returns 0: the script goes on.
int showInvalidSizeMessage();

// A new surface of the given size, zero-filled, for the named object;
// false after a report (104030 above 8192 pixels a side or without memory).
bool newSurface(Surface& out, int64_t width, int64_t height, std::string_view name);
// A copy of a surface (pixels and size); false after a report.
bool copySurface(Surface& out, const Surface& from, std::string_view name);
// A layer takes a new picture: marked for redraw over the old and new area.
void replaceSurface(ObjectNode& node, Surface&& surface);

// Whether a surface's storage holds its size (a layer may still be empty).
inline bool hasPixels(const Surface& s) {
    return s.width > 0 && s.height > 0 && s.pixels.size() >= surfaceStorageBytes(s.width, s.height);
}

}  // namespace vr
