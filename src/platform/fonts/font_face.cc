// One character drawn by FreeType into the engine's one-bit glyph bitmap.
#include "platform/fonts/fonts_internal.h"

#include FT_OUTLINE_H
#include FT_SIZES_H

#include <algorithm>

namespace vr::platform {
namespace {

void clearBit(uint8_t* row, int x) { row[x >> 3] &= uint8_t(~(0x80 >> (x & 7))); }

// Clears the ink bits of a rendered one-bit glyph in the target bitmap with
// its top-left pixel at (left, top); returns the part that fell inside.
InkBox blitInk(const FT_Bitmap& glyph, int left, int top, const GlyphBitmap& bitmap) {
    InkBox box;
    int width = int(glyph.width), rows = int(glyph.rows);
    if (glyph.pixel_mode != FT_PIXEL_MODE_MONO || glyph.pitch <= 0 || width <= 0 || rows <= 0) return box;
    box.left = std::max(left, 0);
    box.top = std::max(top, 0);
    box.right = std::min(left + width, bitmap.side);
    box.bottom = std::min(top + rows, bitmap.side);
    if (box.empty()) return InkBox{};
    int sourceBytes = (width + 7) / 8;
    for (int y = box.top; y < box.bottom; ++y) {
        const uint8_t* src = glyph.buffer + size_t(y - top) * size_t(glyph.pitch);
        uint8_t* dst = bitmap.bits + size_t(y) * size_t(bitmap.stride);
        for (int j = 0; j < sourceBytes; ++j) {
            unsigned ink = src[j];
            if (!ink) continue;
            int x = left + 8 * j;  // where the byte's first bit lands
            if (x >= box.left && x + 8 <= box.right) {
                int shift = x & 7;
                dst[x >> 3] &= uint8_t(~(ink >> shift));
                if (shift) dst[(x >> 3) + 1] &= uint8_t(~(ink << (8 - shift)));
                continue;
            }
            // A byte across an edge of the bitmap (or past the glyph's width).
            for (int k = 0; k < 8; ++k)
                if ((ink & (0x80u >> k)) && x + k >= box.left && x + k < box.right) clearBit(dst, x + k);
        }
    }
    return box;
}

// The thickening Windows applies to a face without a bold design: about
// a twenty-fourth of the em, as FreeType's own emboldening does.
void thicken(FT_GlyphSlot slot, FT_Size size) {
    if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return;
    FT_Pos strength = FT_Pos(size->metrics.y_ppem) * 64 / 24;
    FT_Outline_EmboldenXY(&slot->outline, strength, strength);
    // Grown upwards the glyph would lose its top row to the cell; keep the
    // growth below and right of the design instead.
    FT_Outline_Translate(&slot->outline, 0, -strength / 2);
}

}  // namespace

FT_Size newCellSize(FT_Face face, int cellHeight) {
    FT_Size size = nullptr;
    if (FT_New_Size(face, &size) != 0) return nullptr;
    FT_Activate_Size(size);
    // The cell (ascender to descender) is the font height Windows is asked
    // for with a positive height.
    FT_Size_RequestRec request{FT_SIZE_REQUEST_TYPE_CELL, 0, FT_Long(cellHeight) * 64, 0, 0};
    if (FT_Request_Size(face, &request) != 0) {
        FT_Done_Size(size);
        return nullptr;
    }
    return size;
}

FontFace::Impl::~Impl() {
    if (size) FT_Done_Size(size);
    if (fallbackSize) FT_Done_Size(fallbackSize);
}

FontFace::FontFace(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
FontFace::~FontFace() = default;

InkBox FontFace::draw(std::string_view sjisChar, const GlyphBitmap& bitmap) {
    Impl& f = *impl_;
    uint32_t code = f.fonts->codePoint(sjisChar);
    if (code == 0 || !bitmap.bits || bitmap.side <= 0) return InkBox{};
    FT_Face face = f.face;
    FT_Size size = f.size;
    FT_UInt glyph = FT_Get_Char_Index(face, code);
    if (glyph == 0) {
        // A face without the character borrows it from a Japanese font, as
        // Windows links fonts.
        if (!f.fallbackTried) {
            f.fallbackTried = true;
            const Fonts::Impl& fonts = *f.fonts;
            if (fonts.fallback >= 0) {
                FT_Face other = f.fonts->face(fonts.host[size_t(fonts.fallback)].regular);
                if (other && other != face) {
                    f.fallbackFace = other;
                    f.fallbackSize = newCellSize(other, f.cellHeight);
                }
            }
        }
        if (!f.fallbackSize) return InkBox{};
        face = f.fallbackFace;
        size = f.fallbackSize;
        glyph = FT_Get_Char_Index(face, code);
        if (glyph == 0) return InkBox{};
    }
    // Sizes of one face are shared by every FontFace on it: make ours current.
    FT_Activate_Size(size);
    if (FT_Load_Glyph(face, glyph, FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_MONO) != 0) return InkBox{};
    if (f.thicken) thicken(face->glyph, size);
    if (FT_Render_Glyph(face->glyph, FT_RENDER_MODE_MONO) != 0) return InkBox{};
    FT_GlyphSlot slot = face->glyph;
    return blitInk(slot->bitmap, slot->bitmap_left, f.ascender - slot->bitmap_top, bitmap);
}

}  // namespace vr::platform
