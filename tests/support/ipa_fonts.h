// Tests that need real glyph widths use the IPA fonts: the Windows face
// names games ask for are listed only when those are installed.
#pragma once

#include "graphics/text/font_list.h"

namespace vr::test {

// After enumerateFonts().
inline bool ipaFontsInstalled() {
    for (int i = 0; i < fontCount(); ++i)
        if (fontName(i) == "IPAGothic") return true;
    return false;
}

}  // namespace vr::test
