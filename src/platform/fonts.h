// Installed fonts and glyph rasterising, shared by every backend (fontconfig
// lists the families, FreeType draws the characters).
//
// The Windows face names that games ask for ("ＭＳ ゴシック" and its
// kin) are listed as aliases of the installed IPA fonts, so a game finds the
// face it was made with.  One Fonts object belongs to one engine; nothing
// here is global.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vr::platform {

struct FontFamily {
    std::string name;             // Shift_JIS, as scripts name it
    bool japaneseScript = false;  // the family covers Japanese
    bool proportional = true;     // false for fixed (or dual) pitch
    int aliasOf = -1;             // for a Windows face name: the family it stands for
};

// A one-bit picture a glyph is drawn into: `side` x `side` pixels, rows top
// first, `stride` bytes each, the leftmost pixel in bit 7.  Ink is a cleared
// bit, paper a set bit.
struct GlyphBitmap {
    uint8_t* bits = nullptr;
    int side = 0;
    int stride = 0;
};

// Pixel sides of the ink a draw left (all zero when it left none).
struct InkBox {
    int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
    bool empty() const { return right <= left || bottom <= top; }
};

class Fonts;

// One family at one cell height, regular or bold: what a glyph cache keeps
// between characters.
class FontFace {
public:
    ~FontFace();
    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;

    // Draws one character (one or two Shift_JIS bytes) as text written at
    // (0, 0): the top of the cell at the top, the baseline the face's
    // ascender below it.  Only clears bits; what falls outside the bitmap is
    // left out.  A character the font cannot show draws nothing.
    InkBox draw(std::string_view sjisChar, const GlyphBitmap& bitmap);

    struct Impl;
    explicit FontFace(std::unique_ptr<Impl> impl);

private:
    std::unique_ptr<Impl> impl_;
};

class Fonts {
public:
    // Null when the font libraries cannot start; the engine then has no fonts.
    static std::unique_ptr<Fonts> create();
    ~Fonts();
    Fonts(const Fonts&) = delete;
    Fonts& operator=(const Fonts&) = delete;

    // The installed families sorted by name, then the Windows aliases whose
    // target is installed.
    const std::vector<FontFamily>& families() const;

    // The family (an index of families()) with a cell of `cellHeight`
    // pixels; bold uses the family's bold face or thickens the regular one.
    // Null when the family cannot be opened at that size.
    std::unique_ptr<FontFace> open(int family, int cellHeight, bool bold);

    struct Impl;

private:
    explicit Fonts(std::shared_ptr<Impl> impl);
    std::shared_ptr<Impl> impl_;
};

}  // namespace vr::platform
