// PNG files for the end-to-end tests, read and written with libpng itself
// rather than the engine's decoder, so that a screenshot is checked by code
// that does not share the engine's faults.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vr::test {

// 8-bit R, G, B, A, rows top-down.
struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgba;

    Picture() = default;
    // A picture of one colour, given as 0xAARRGGBB.
    Picture(int w, int h, uint32_t argb);
    // 0xAARRGGBB, the order the engine keeps in memory read as a
    // little-endian word; 0xDEADBEEF outside the picture.
    uint32_t argb(int x, int y) const;
    uint32_t rgb(int x, int y) const { return argb(x, y) & 0xFFFFFFu; }
    void set(int x, int y, uint32_t argb);
    // The rectangle at (x, y), clipped to the picture.
    Picture crop(int x, int y, int w, int h) const;
    bool operator==(const Picture&) const = default;
};

// Same size and the same R, G, B everywhere: alpha aside, as a screenshot
// and a picture without alpha are compared.
bool sameColours(const Picture& a, const Picture& b);

// Decodes any PNG (palette, grey, 16-bit, with or without alpha) to RGBA,
// without gamma correction: the bytes as stored.  False when the file is
// missing or broken.
bool readPng(const std::string& file, Picture& out);

// Writes RGBA, or RGB when withAlpha is false (the engine draws such a
// picture without its alpha).
bool writePng(const std::string& file, const Picture& picture, bool withAlpha);

}  // namespace vr::test
