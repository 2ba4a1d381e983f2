// Glyphs: one character rasterised by the platform's fonts into the current
// slot's one-bit bitmap, and written into a layer with a vertical two-colour
// gradient.
#pragma once

#include <cstdint>
#include <string_view>

namespace vr {

struct ObjectNode;
struct LayerRecord;
struct GlyphTables;

// A bottom colour that means "no gradient": the top colour throughout.
constexpr uint32_t kNoGradient = 0xFFFFFFFF;
constexpr uint32_t kNoGradientAlt = 0xFFFFFFFE;

// The glyph writer's two modes.
enum : int {
    kWriteReplace = 0,  // the cell becomes the glyph: colour, coverage as alpha
    kWriteOver = 1,     // the glyph is laid over what the layer holds
};

struct GlyphImage {
    const uint8_t* bits = nullptr;  // the slot's bitmap: valid until its next rasterisation
    int side = 0, stride = 0;
    int scale = 1;  // bitmap pixels per layer pixel: 4 when anti-aliased
    int size = 0;   // the glyph size asked for
    int advance = 0;
    int inkHeight = 0;  // layer pixels from the top-most to the bottom-most ink row
};

// The side of a slot's bitmap for a glyph size, with room for the
// anti-aliasing size and the overhang of any face.
constexpr int glyphBitmapSide(int size) { return 32 * ((4 * size + 32) / 32) + 32; }

// Rasterises one character (its one or two Shift_JIS bytes) with a slot's
// font (-1: the current slot), at four times the size when anti-aliased.
// The advance is min(size, right-most ink column in layer pixels + 4) for a
// proportional font, size (size / 2 for a single byte) for a fixed-pitch
// one.  0; -1 after a report (102040 the font could not be made, 100010 no
// memory for the bitmap).  A size outside 1..kMaxGlyphSize gives an empty
// glyph without a report, as does a character the font cannot show.
int rasterizeGlyph(std::string_view charBytes, int size, bool bold, bool antiAlias, GlyphImage& out, int slot = -1);

struct GlyphStyle {
    uint32_t topColour = 0xFFFFFF;  // 0xRRGGBB
    uint32_t bottomColour = kNoGradient;
    int size = 20;        // glyph size: the font height given to the rasteriser
    int lineHeight = 20;  // rows of the cell the glyph is written into
    bool bold = false;
    bool antiAlias = true;
    int thickness = 0;  // non-zero: drawn at the eight neighbours this far away, then in the centre
    int writeMode = kWriteReplace;
    int slot = -1;  // the font slot; -1: the current one
};

// Writes a rasterised glyph with its cell's top-left corner at (x, y) of the
// layer; what falls outside the layer is left out.
void writeGlyph(const GlyphImage& glyph, const GlyphStyle& style, const GlyphTables& tables, int64_t x, int64_t y,
                LayerRecord& layer);

// Draws one character at (x, y) of the target's layer with the style's font
// slot and marks the layer for redraw.  The advance in pixels; -1 after a
// report (the glyph is not drawn).
int drawGlyph(std::string_view charBytes, const GlyphStyle& style, int x, int y, ObjectNode& target);

}  // namespace vr
