// What the message window keeps beside the running message itself (which
// lives with the text output, graphics/text/text_state.h): the keys that
// click through and skip a message, and the attributes the font settings
// command keeps per font slot.
#pragma once

#include <array>
#include <cstdint>

#include "graphics/text/glyph.h"
#include "graphics/text/text_state.h"

namespace vr {

constexpr int kMessageKeys = 4;
// A key number that no key has: the key counters read it as never pressed.
constexpr int64_t kNoMessageKey = 1023;

// Attributes of one font slot, as the font settings command last set them.
// Slot 0's are copied into the running message as they change.
struct FontSlotAttributes {
    uint8_t antiAlias = 1;
    uint32_t topColour = 0xFFFFFF;
    uint32_t bottomColour = kNoGradient;  // no shading until set
    int8_t writeMode = 0;
    int32_t glyphSize = 20;
    int32_t lineHeight = 20;
    int8_t bold = 0;
};

struct MessageWindowState {
    // Left mouse button and Enter click; Ctrl skips.
    std::array<int64_t, kMessageKeys> clickKeys{1, 13, kNoMessageKey, kNoMessageKey};
    std::array<int64_t, kMessageKeys> skipKeys{17, kNoMessageKey, kNoMessageKey, kNoMessageKey};
    std::array<FontSlotAttributes, kFontSlots> slots{};
};

}  // namespace vr
