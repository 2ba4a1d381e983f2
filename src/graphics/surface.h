// A 32-bit pixel surface: bytes B, G, R, A per pixel, not premultiplied, rows
// top first and directly after each other (stride = width * 4).  The storage
// always holds one spare row and 4 spare bytes after the image, because some
// row kernels read one pixel ahead.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/image_limits.h"

namespace vr {


// One decoded frame of an animated GIF, with the graphic-control values and
// the palette in effect for it.
struct GifFrame {
    int32_t left = 0, top = 0;
    int32_t width = 0, height = 0;
    int32_t disposal = 0;          // bits 2..4 of the graphic-control flags
    int32_t transparent = 0;       // bit 0 of the graphic-control flags
    int32_t delay = 0;             // hundredths of a second
    int32_t transparentIndex = 0;
    int32_t loopCount = 1;         // from the application extension
    std::array<uint8_t, 768> palette{};  // 256 x (R, G, B)
    std::vector<uint8_t> indices;        // width * height, rows top first
};

struct Surface {
    uint32_t width = 0, height = 0;
    std::vector<uint8_t> pixels;  // width * 4 * (height + 1) + 4 bytes
    bool hasAlpha = false;
    std::vector<GifFrame> frames;  // GIF only, at most kMaxGifFrames

    uint8_t* row(uint32_t y) { return pixels.data() + static_cast<size_t>(y) * width * 4; }
    const uint8_t* row(uint32_t y) const { return pixels.data() + static_cast<size_t>(y) * width * 4; }
    size_t stride() const { return static_cast<size_t>(width) * 4; }
};

constexpr size_t kMaxGifFrames = 8192;

// Bytes of pixel storage for a surface of the given size (with the spare row
// and the 4 spare bytes).
constexpr size_t surfaceStorageBytes(uint32_t width, uint32_t height) {
    return static_cast<size_t>(width) * 4 * (static_cast<size_t>(height) + 1) + 4;
}

}  // namespace vr
