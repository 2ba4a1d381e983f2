// BMP files: uncompressed bottom-up bitmaps of 1, 4, 8, 24 and 32 bits.
// Everything the headers claim is checked against the file's size before
// the surface is allocated, so no row or palette entry is read past the end.
#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "common/bytes.h"
#include "core/error_report.h"
#include "graphics/image/decoders.h"
#include "graphics/image/image_load.h"

namespace vr {

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr size_t kInfoHeaderSize = 40;
constexpr size_t kHeadersSize = kFileHeaderSize + kInfoHeaderSize;

struct BmpHeader {
    uint32_t dataOffset = 0;
    uint32_t infoSize = 0;
    int32_t width = 0, height = 0;
    uint16_t bitCount = 0;
    uint32_t compression = 0;
    uint32_t coloursUsed = 0;
};

// Pixels as B, G, R, A.  Entries the file does not give stay opaque black,
// so an index beyond the palette's count draws black instead of reading on.
using Palette = std::array<std::array<uint8_t, 4>, 256>;

bool paletted(uint16_t bits) { return bits == 1 || bits == 4 || bits == 8; }

// Bytes from one row's start to the start of the next: rows are padded to
// whole 32-bit words (for 1, 4, 8, 24 and 32 bits the same as (w + 31) / 32
// * 4, (w + 7) / 8 * 4, (w + 3) & ~3, (3w + 3) & ~3 and 4w).
size_t rowStride(uint16_t bits, size_t w) { return (w * bits + 31) / 32 * 4; }

// Bytes of a row that hold pixels; the last row's padding may be missing.
size_t rowUsed(uint16_t bits, size_t w) { return (w * bits + 7) / 8; }

bool drawn(uint16_t bits) { return paletted(bits) || bits == 24 || bits == 32; }

int refuse(uint32_t code, std::string_view name) {
    reportErrorArgs(code, true, std::string(name));
    return kReported;
}

// Palette entries follow the information header, whatever its version.
size_t paletteStart(const BmpHeader& h) {
    return h.infoSize >= kInfoHeaderSize && h.infoSize <= UINT32_MAX - kFileHeaderSize ? kFileHeaderSize + h.infoSize
                                                                                       : kHeadersSize;
}

bool readPalette(const BmpHeader& h, const uint8_t* data, size_t size, Palette& palette) {
    for (auto& entry : palette) entry = {0, 0, 0, 255};
    if (!paletted(h.bitCount)) return true;
    size_t count = h.coloursUsed ? h.coloursUsed : size_t(1) << h.bitCount;
    count = std::min(count, size_t(1) << h.bitCount);
    size_t start = paletteStart(h);
    if (start > size || count > (size - start) / 4) return false;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* p = data + start + i * 4;
        palette[i] = {p[0], p[1], p[2], 255};
    }
    return true;
}

void drawIndexed(const BmpHeader& h, const uint8_t* row, const Palette& palette, uint8_t* out) {
    const uint32_t w = uint32_t(h.width);
    const int bits = h.bitCount;
    const uint32_t mask = (1u << bits) - 1;
    for (uint32_t x = 0; x < w; ++x) {
        uint32_t bit = x * bits;
        uint32_t index = (row[bit / 8] >> (8 - bits - bit % 8)) & mask;
        std::memcpy(out + x * 4, palette[index].data(), 4);
    }
}

void drawBgr(const uint8_t* row, uint32_t w, uint8_t* out) {
    for (uint32_t x = 0; x < w; ++x, row += 3, out += 4) {
        out[0] = row[0];
        out[1] = row[1];
        out[2] = row[2];
        out[3] = 255;
    }
}

BmpHeader parseHeader(const uint8_t* data) {
    BmpHeader h;
    h.dataOffset = loadLe32(data + 10);
    const uint8_t* info = data + kFileHeaderSize;
    h.infoSize = loadLe32(info);
    h.width = int32_t(loadLe32(info + 4));
    h.height = int32_t(loadLe32(info + 8));
    h.bitCount = loadLe16(info + 14);
    h.compression = loadLe32(info + 16);
    h.coloursUsed = loadLe32(info + 32);
    return h;
}

}  // namespace

int decodeBmp(Surface& surface, const uint8_t* data, size_t size, std::string_view name) {
    if (size < 2 || data[0] != 'B' || data[1] != 'M') return refuse(kBmpSignature, name);
    if (size < kHeadersSize) return refuse(kBmpLayout, name);
    const BmpHeader h = parseHeader(data);
    if (h.dataOffset < 11) return refuse(kBmpLayout, name);
    Palette palette;
    if (!readPalette(h, data, size, palette)) return refuse(kBmpLayout, name);
    if (h.width < 0 || uint32_t(h.width) > kMaxImageSide || h.height > int32_t(kMaxImageSide))
        return refuse(kImageUnsupported, name);
    if (h.height < 0) return refuse(kBmpTopDown, name);
    if ((h.bitCount == 4 || h.bitCount == 8) && h.compression != 0) return refuse(kBmpCompressed, name);

    const uint32_t w = uint32_t(h.width), height = uint32_t(h.height);
    const size_t stride = rowStride(h.bitCount, w);
    if (stride && height) {
        size_t end = size_t(h.dataOffset) + stride * (height - 1) + rowUsed(h.bitCount, w);
        if (end > size) return refuse(kBmpLayout, name);
    }
    if (!allocateSurfacePixels(surface, w, height, name)) return kReported;
    if (!drawn(h.bitCount)) return 0;  // 16 bits and other counts: the pixels stay zero

    for (uint32_t i = 0; i < height; ++i) {
        const uint8_t* row = data + h.dataOffset + stride * i;
        uint8_t* out = surface.row(height - 1 - i);
        if (h.bitCount == 24) {
            drawBgr(row, w, out);
        } else if (h.bitCount == 32) {
            std::memcpy(out, row, size_t(w) * 4);
        } else {
            drawIndexed(h, row, palette, out);
        }
    }
    surface.hasAlpha = h.bitCount == 32;
    return 0;
}

}  // namespace vr
