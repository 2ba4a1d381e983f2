#include "graphics/text/glyph.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "common/memory.h"
#include "common/sjis.h"
#include "core/core.h"
#include "graphics/graphics.h"
#include "graphics/object_tree.h"
#include "script/script_state.h"

namespace vr {

namespace {

bool sameKey(const GlyphCacheEntry& c, int size, bool bold, bool antiAlias, int font) {
    return c.valid && c.size == size && c.bold == bold && c.antiAlias == antiAlias && c.font == font;
}

// Makes the slot's face and bitmap for a new key.  A failure is remembered
// with the key, so a script that keeps drawing with a font that cannot be
// made is told once, not for every character.
int remakeCacheEntry(GlyphCacheEntry& c, int size, bool bold, bool antiAlias, int font) {
    TextState& t = graphics().text;
    c.valid = true;
    c.size = size;
    c.bold = bold;
    c.antiAlias = antiAlias;
    c.font = font;
    c.face.reset();
    c.face = t.host ? t.host->open(font, antiAlias ? 4 * size : size, bold) : nullptr;
    if (!c.face) {
        reportError(102040, true);
        return -1;
    }
    int side = glyphBitmapSide(size);
    if (c.side != side) {
        c.side = 0;
        if (!tryResize(c.bits, size_t(side) * size_t(side / 8))) {
            c.valid = false;
            c.face.reset();
            reportError(100010, true);
            return -1;
        }
        c.side = side;
        c.stride = side / 8;
    }
    return 0;
}

struct InkExtent {
    int rightColumn = -1;
    int topRow = -1, bottomRow = -1;
};

// The ink actually left inside the box the face drew into.
InkExtent scanInk(const GlyphCacheEntry& c, const platform::InkBox& box) {
    InkExtent e;
    if (box.empty()) return e;
    int firstByte = box.left / 8, lastByte = (box.right - 1) / 8;
    for (int y = box.top; y < box.bottom; ++y) {
        const uint8_t* row = c.bits.data() + size_t(y) * size_t(c.stride);
        for (int b = lastByte; b >= firstByte; --b) {
            unsigned ink = ~unsigned(row[b]) & 0xFF;
            if (!ink) continue;
            e.rightColumn = std::max(e.rightColumn, b * 8 + 7 - std::countr_zero(ink));
            if (e.topRow < 0) e.topRow = y;
            e.bottomRow = y;
            break;
        }
    }
    return e;
}

// The colour of each row of a cell: top to bottom colour per channel.
struct Gradient {
    int top[3], delta[3];
    int span;
    Gradient(uint32_t topColour, uint32_t bottomColour, int height) {
        if (bottomColour == kNoGradient || bottomColour == kNoGradientAlt) bottomColour = topColour;
        for (int ch = 0; ch < 3; ++ch) {
            top[ch] = int(topColour >> (8 * ch) & 0xFF);
            delta[ch] = int(bottomColour >> (8 * ch) & 0xFF) - top[ch];
        }
        span = std::max(height - 1, 1);
    }
    // Bytes B, G, R of row r.
    void at(int r, uint8_t out[3]) const {
        for (int ch = 0; ch < 3; ++ch) out[ch] = uint8_t(top[ch] + delta[ch] * r / span);
    }
};

inline void putReplace(uint8_t* p, const uint8_t colour[3], int alpha) {
    p[0] = colour[0];
    p[1] = colour[1];
    p[2] = colour[2];
    p[3] = uint8_t(alpha);
}

inline void putOver(uint8_t* p, const uint8_t colour[3], int alpha) {
    int k = alpha + 1;
    int da = p[3];
    int na = da + alpha - ((da * k) >> 8);
    for (int ch = 0; ch < 3; ++ch) {
        int c = p[ch];
        p[ch] = uint8_t(c + (int(colour[ch]) - c) * k / (na + 1));
    }
    p[3] = uint8_t(na);
}

// The anti-aliased cell: each layer pixel sums a 4 x 4 block of bitmap
// bits, the cell's rows spread over the bitmap's 4 * size rows.
void writeSmooth(const GlyphImage& g, const GlyphStyle& s, const GlyphTables& t, int64_t x, int64_t y, int x0,
                 int x1, int y0, int y1, LayerRecord& layer) {
    Gradient gradient(s.topColour, s.bottomColour, s.lineHeight);
    const uint8_t* noInk = nullptr;  // rows past the bitmap hold no ink
    for (int py = y0; py < y1; ++py) {
        int r = int(py - y);
        int first = int(int64_t(4) * r * g.size / s.lineHeight);
        const uint8_t* rows[4];
        for (int k = 0; k < 4; ++k) rows[k] = first + k < g.side ? g.bits + size_t(first + k) * size_t(g.stride) : noInk;
        uint8_t colour[3];
        gradient.at(r, colour);
        uint8_t* out = layer.surface.row(uint32_t(py)) + size_t(x0) * 4;
        for (int px = x0; px < x1; ++px, out += 4) {
            int cx = int(px - x);
            int byte = cx >> 1, shift = (cx & 1) ? 0 : 8;
            int count = 0;
            for (const uint8_t* row : rows)
                if (row) count += (t.inkCounts[row[byte]] >> shift) & 0xFF;
            int alpha = t.coverageAlpha[size_t(count)];
            if (s.writeMode == kWriteOver)
                putOver(out, colour, alpha);
            else
                putReplace(out, colour, alpha);
        }
    }
}

// One bitmap bit per layer pixel.
void writeSharp(const GlyphImage& g, const GlyphStyle& s, int64_t x, int64_t y, int x0, int x1, int y0, int y1,
                LayerRecord& layer) {
    Gradient gradient(s.topColour, s.bottomColour, s.lineHeight);
    for (int py = y0; py < y1; ++py) {
        int r = int(py - y);
        const uint8_t* row = r < g.side ? g.bits + size_t(r) * size_t(g.stride) : nullptr;
        uint8_t colour[3];
        gradient.at(r, colour);
        uint8_t* out = layer.surface.row(uint32_t(py)) + size_t(x0) * 4;
        for (int px = x0; px < x1; ++px, out += 4) {
            int cx = int(px - x);
            bool ink = row && !(row[cx >> 3] & (0x80 >> (cx & 7)));
            if (s.writeMode == kWriteOver) {
                if (ink) putOver(out, colour, 255);
            } else if (ink) {
                putReplace(out, colour, 255);
            } else {
                std::memset(out, 0, 4);
            }
        }
    }
}

}  // namespace

GlyphTables::GlyphTables() {
    for (int b = 0; b < 256; ++b) {
        int high = 4 - std::popcount(unsigned(b) >> 4);
        int low = 4 - std::popcount(unsigned(b) & 15);
        inkCounts[size_t(b)] = uint16_t(high << 8 | low);
    }
    for (int c = 0; c < 32; ++c) coverageAlpha[size_t(c)] = uint8_t(c < 16 ? 16 * c : 255);
}

int rasterizeGlyph(std::string_view charBytes, int size, bool bold, bool antiAlias, GlyphImage& out, int slot) {
    out = GlyphImage{};
    out.size = size;
    out.scale = antiAlias ? 4 : 1;
    if (charBytes.empty() || size < 1 || size > kMaxGlyphSize) return 0;
    charBytes = charBytes.substr(0, sjis::charLength(charBytes, 0));
    TextState& t = graphics().text;
    slot = std::clamp(slot < 0 ? int(t.fonts.currentSlot) : slot, 0, kFontSlots - 1);
    int font = t.fonts.slotFont[size_t(slot)];
    GlyphCacheEntry& c = t.glyphCache[size_t(slot)];
    if (!sameKey(c, size, bold, antiAlias, font)) {
        if (remakeCacheEntry(c, size, bold, antiAlias, font) < 0) return -1;
    } else if (!c.face) {
        return -1;
    }
    std::memset(c.bits.data(), 0xFF, c.bits.size());
    platform::InkBox box = c.face->draw(charBytes, platform::GlyphBitmap{c.bits.data(), c.side, c.stride});
    InkExtent ink = scanInk(c, box);
    out.bits = c.bits.data();
    out.side = c.side;
    out.stride = c.stride;
    bool proportional = font >= 0 && font < t.fonts.count && t.fonts.proportional[size_t(font)];
    if (proportional) {
        // The column is in bitmap pixels: a quarter of them per layer pixel
        // when the glyph was drawn at four times the size.
        out.advance = std::min(size, std::max(ink.rightColumn, 0) / out.scale + 4);
    } else {
        out.advance = charBytes.size() == 2 ? size : size / 2;
    }
    if (ink.topRow >= 0) out.inkHeight = (ink.bottomRow - ink.topRow + out.scale) / out.scale;
    return 0;
}

void writeGlyph(const GlyphImage& g, const GlyphStyle& s, const GlyphTables& t, int64_t x, int64_t y,
                LayerRecord& layer) {
    if (!g.bits || g.size <= 0 || s.lineHeight <= 0) return;
    int64_t width = layer.width(), height = layer.height();
    int x0 = int(std::clamp<int64_t>(x, 0, width)), x1 = int(std::clamp<int64_t>(x + g.size, 0, width));
    int y0 = int(std::clamp<int64_t>(y, 0, height)), y1 = int(std::clamp<int64_t>(y + s.lineHeight, 0, height));
    if (x0 >= x1 || y0 >= y1 || layer.surface.pixels.size() < surfaceStorageBytes(layer.width(), layer.height()))
        return;
    if (g.scale == 4)
        writeSmooth(g, s, t, x, y, x0, x1, y0, y1, layer);
    else
        writeSharp(g, s, x, y, x0, x1, y0, y1, layer);
}

int drawGlyph(std::string_view charBytes, const GlyphStyle& style, int x, int y, ObjectNode& target) {
    GlyphImage glyph;
    if (rasterizeGlyph(charBytes, style.size, style.bold, style.antiAlias, glyph, style.slot) < 0) return -1;
    if (!target.layer) return glyph.advance;
    LayerRecord& layer = *target.layer;
    const GlyphTables& tables = graphics().text.tables;
    if (int64_t d = style.thickness; d != 0) {
        for (int i : {1, 0, -1})
            for (int j : {-1, 0, 1}) writeGlyph(glyph, style, tables, x + i * d, y + j * d, layer);
    }
    writeGlyph(glyph, style, tables, x, y, layer);
    markForRedraw(target);
    return glyph.advance;
}

}  // namespace vr
