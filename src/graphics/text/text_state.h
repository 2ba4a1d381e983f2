// What the text subsystem keeps: the font list and its slots, the glyph
// tables, one glyph cache per slot, and the running message that the text
// output reveals character by character.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/fonts.h"

namespace vr {

struct ObjectNode;

constexpr int kFontSlots = 8;
constexpr int kMessageSlot = 0;
constexpr int kMessageEntries = 8192;
constexpr int kMessageTextBytes = 8192;
// Largest glyph the rasteriser is asked for; its anti-aliasing bitmap is
// about (4 * 1024)^2 bits.  Scripts stay at 256 and below.
constexpr int kMaxGlyphSize = 1024;

struct FontList {
    int32_t count = 0;
    std::vector<std::string> names;              // Shift_JIS, in enumeration order
    std::vector<uint8_t> nonJapaneseScript;      // 0: a Japanese-script family
    std::vector<uint8_t> proportional;           // 0: fixed pitch
    std::array<int32_t, kFontSlots> slotFont{};  // a font index per slot
    int32_t currentSlot = 0;
    std::array<int8_t, kFontSlots> slotBold{};
    std::array<int8_t, kFontSlots> slotAntiAlias{1, 1, 1, 1, 1, 1, 1, 1};
    std::array<int32_t, kFontSlots> slotCellWidth{20, 20, 20, 20, 20, 20, 20, 20};
    std::array<int32_t, kFontSlots> slotCellHeight{20, 20, 20, 20, 20, 20, 20, 20};
    std::array<int32_t, kFontSlots> slotSize{20, 20, 20, 20, 20, 20, 20, 20};
};

// Lookups of the glyph writer.  The bitmap has ink as cleared bits, so a
// nibble's ink count is 4 minus its set bits.
struct GlyphTables {
    GlyphTables();
    std::array<uint16_t, 256> inkCounts;     // high nibble's count in bits 8..15, low nibble's in 0..7
    std::array<uint8_t, 32> coverageAlpha;  // 16 sub-samples of ink and up are opaque
};

// The face and bitmap a slot last drew with; remade only when one of the
// key's values changes.
struct GlyphCacheEntry {
    bool valid = false;
    int32_t size = 0;
    bool bold = false;
    bool antiAlias = false;
    int32_t font = -1;
    std::unique_ptr<platform::FontFace> face;  // null: the font could not be made (reported)
    std::vector<uint8_t> bits;
    int side = 0;
    int stride = 0;
};

// The one running message.  Entry arrays are parallel, one element per entry.
struct MessageTextState {
    ObjectNode* target = nullptr;  // the text layer's node
    int32_t delay = 0;             // per double-byte character of new entries, ms
    int32_t endLineFeed = 0;
    int32_t endClearPage = 0;
    int32_t endWait = 0;
    int32_t cursorX = 0, cursorY = 0;  // the pen, layer pixels
    int8_t messageMode = 1;
    int32_t glyphSize = 20, lineHeight = 20;
    uint32_t topColour = 0xFFFFFF, bottomColour = 0xFFFFFFFF;
    int8_t bold = 0;
    int8_t writeMode = 0;  // kWriteReplace or kWriteOver
    uint8_t antiAlias = 1;
    uint8_t waiting = 0;       // the output stands at a "C" entry
    uint8_t finished = 0;
    uint8_t restartClock = 1;  // the pacing clock restarts at the next character
    std::array<char, kMessageTextBytes> text{};
    std::array<char, kMessageEntries> kinds{};
    std::array<int16_t, kMessageEntries> widths{}, heights{}, delays{};
    std::array<uint32_t, kMessageEntries> topColours{}, bottomColours{};
    std::array<int8_t, kMessageEntries> bolds{};
    int32_t textLength = 0;  // bytes in text: the position that marks the text finished
    int32_t entryCount = 0;
    int32_t pos = 0;    // next byte of text to show
    int32_t index = 0;  // next entry to show
};

struct TextState {
    // First, so that it outlives the faces the caches made from it.
    std::unique_ptr<platform::Fonts> host;
    FontList fonts;
    GlyphTables tables;
    std::array<GlyphCacheEntry, kFontSlots> glyphCache;
    MessageTextState message;
    bool instantDisplay = false;  // show the rest of the message without pacing
    uint64_t paceClock = 0;       // when the last paced character was due
};

}  // namespace vr
