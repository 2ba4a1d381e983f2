// Text drawn into a layer by the drawing command.
#pragma once

#include <cstdint>
#include <string_view>

#include "graphics/layer.h"

namespace vr {

// Draws the characters of text (Shift_JIS) from (x, y) on, each advancing
// the pen by its own advance, with a font slot's font, size, line height,
// anti-alias, bold, colours and writing mode, every glyph thickened by
// `thickness` pixels.  0, or -1 after a report.
int drawTextInto(ObjectNode& target, std::string_view text, int64_t x, int64_t y, int slot, int64_t thickness);

}  // namespace vr
