// Pictures into the file formats the engine writes: the image export of the
// file command and the pictures vrpack puts into packed image files.  The
// pixels are the engine's: B, G, R, A bytes, rows top first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vr {

struct PixelsView {
    const uint8_t* pixels = nullptr;
    uint32_t width = 0, height = 0;
    size_t stride = 0;  // bytes per row
};

// A 24-bit BMP, rows bottom-up and padded to 4 bytes; alpha is dropped.
std::vector<uint8_t> encodeBmp(const PixelsView& view);

// An 8-bit RGBA PNG, every filter allowed, zlib level 0..9 (clamped).
bool encodePng(const PixelsView& view, int level, std::vector<uint8_t>& out);

// A baseline JPEG at quality 1..100 (clamped): the colour (alpha dropped),
// or the alpha channel alone as a greyscale picture.
enum class JpegContent { Colour, Alpha };
bool encodeJpeg(const PixelsView& view, int quality, JpegContent content, std::vector<uint8_t>& out);

}  // namespace vr
