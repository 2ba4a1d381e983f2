// Image files into surfaces: the resource loader finds the file by the
// configured extension order, and its type chooses the decoder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/archive/loader.h"
#include "graphics/surface.h"

namespace vr {

// 0 = success (a missing or empty name gives a 1 x 1 transparent surface),
// -1 after a report.
int loadImageSurface(Surface& surface, std::string_view name);

// Decodes a whole file held in memory by its file type: BMP, PNG, JPEG and
// GIF are decoded, PSD and every other type refused.  0 = success, -1 after
// a report; `name` names the file in the reports.  A failed decode leaves
// the surface empty.
int decodeImage(Surface& surface, const uint8_t* data, size_t size, FileType type, std::string_view name);

// (Re)allocates zeroed pixel storage for width x height (with the spare row
// and bytes) and sets the size; the has-alpha mark is cleared, the frames are
// kept.  Null after the debug-log line and a report: 104030 naming `name`,
// or 100010 when the name is empty.  Sides above kMaxImageSide are refused
// the same way, before anything is allocated.
uint8_t* allocateSurfacePixels(Surface& surface, uint32_t width, uint32_t height, std::string_view name);

}  // namespace vr
