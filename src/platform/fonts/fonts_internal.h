// What the font catalogue and the faces opened from it share.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H
#include <iconv.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/fonts.h"

namespace vr::platform {

struct FaceFile {
    std::string path;
    int index = 0;
    bool present() const { return !path.empty(); }
};

// Where a listed family's glyphs come from.
struct HostFamily {
    std::string name;  // UTF-8, fontconfig's first family name
    FaceFile regular;
    FaceFile bold;     // absent: bold is drawn by thickening the regular face
};

struct Fonts::Impl {
    ~Impl();
    // The loaded face of a file, opened on first use; null when it cannot be read.
    FT_Face face(const FaceFile& file);
    // A character as a Unicode code point; 0 when the bytes do not convert.
    uint32_t codePoint(std::string_view sjisChar);

    FT_Library library = nullptr;
    iconv_t toUnicode = reinterpret_cast<iconv_t>(-1);
    std::vector<FontFamily> families;
    std::vector<HostFamily> host;  // by family index; an alias has its target's
    int fallback = -1;             // the family that draws what a face lacks
    std::map<std::string, FT_Face> faces;  // by path and index
};

struct FontFace::Impl {
    ~Impl();
    std::shared_ptr<Fonts::Impl> fonts;
    FT_Face face = nullptr;
    FT_Size size = nullptr;
    FT_Face fallbackFace = nullptr;
    FT_Size fallbackSize = nullptr;
    bool fallbackTried = false;
    int cellHeight = 0;
    bool thicken = false;
    int ascender = 0;  // pixels from the cell top to the baseline
};

// A size object of `face` with a cell of `cellHeight` pixels; null on failure.
FT_Size newCellSize(FT_Face face, int cellHeight);

}  // namespace vr::platform
