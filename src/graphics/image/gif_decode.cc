// GIF files: every frame is kept as a record of colour indices with the
// palette and graphic-control values in effect for it; the surface shows the
// first frame on the logical screen.
#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "common/bytes.h"
#include "common/memory.h"
#include "core/error_report.h"
#include "graphics/image/decoders.h"
#include "graphics/image/gif_lzw.h"
#include "graphics/image/image_load.h"

namespace vr {

namespace {

enum : uint8_t { kImageBlock = 0x2C, kExtension = 0x21, kTrailer = 0x3B };
enum : uint8_t { kPlainText = 0x01, kGraphicControl = 0xF9, kComment = 0xFE, kApplication = 0xFF };

// Each LZW code is at least two bits and stands for at most 4096 indices:
// a frame claiming more pixels than its remaining data could give is
// refused before its indices are allocated.
constexpr size_t kMaxIndicesPerByte = 4 * 4096;

using GifPalette = std::array<uint8_t, 768>;

// What carries over from one frame to the next: the global colour table,
// and the values of the last graphic-control extension, which stay in
// effect for frames that have none of their own.
struct GifState {
    GifPalette global{};
    int32_t disposal = 0, transparent = 0, delay = 0, transparentIndex = 0;
    int32_t loopCount = 1;
};

// The reader stops at the end of the file: a read past it fails the reader
// and gives 0, so a cut-short file is refused where it is next checked.
using GifReader = ByteReader;

bool readColourTable(GifReader& in, uint8_t flags, GifPalette& palette) {
    if (!(flags & 0x80)) return true;
    size_t bytes = size_t(3) << ((flags & 7) + 1);
    if (!in.has(bytes)) return false;
    std::copy(in.here(), in.here() + bytes, palette.begin());
    return in.skip(bytes);
}

bool readGraphicControl(GifReader& in, GifState& state) {
    if (!in.has(1)) return false;
    size_t blockSize = in.u8();
    if (blockSize < 4 || !in.has(blockSize)) return false;
    uint8_t flags = in.u8();
    state.delay = in.u16();
    state.transparentIndex = in.u8();
    state.disposal = (flags >> 2) & 7;
    state.transparent = flags & 1;
    return in.skip(blockSize - 4) && skipGifSubBlocks(in);
}

bool isAnimationExtension(const uint8_t* identifier) {
    return std::equal(identifier, identifier + 11, "NETSCAPE2.0") ||
           std::equal(identifier, identifier + 11, "ANIMEXTS1.0");
}

bool readApplication(GifReader& in, GifState& state) {
    if (!in.has(1)) return false;
    size_t blockSize = in.u8();
    if (!in.has(blockSize)) return false;
    bool animation = blockSize == 11 && isAnimationExtension(in.here());
    in.skip(blockSize);
    if (animation && in.has(4) && in.here()[0] >= 3 && in.here()[1] == 1) {
        size_t length = in.u8();
        in.u8();
        state.loopCount = in.u16();
        if (!in.skip(length - 3)) return false;
    }
    return skipGifSubBlocks(in);
}

// Text blocks are not drawn: their fixed part and data are passed over.
bool skipTextBlock(GifReader& in, bool hasFixedPart) {
    if (hasFixedPart) {
        if (!in.has(1)) return false;
        if (!in.skip(in.u8())) return false;
    }
    return skipGifSubBlocks(in);
}

bool readExtension(GifReader& in, GifState& state) {
    if (!in.has(1)) return false;
    switch (in.u8()) {
    case kGraphicControl: return readGraphicControl(in, state);
    case kComment: return skipTextBlock(in, false);
    case kPlainText: return skipTextBlock(in, true);
    case kApplication: return readApplication(in, state);
    default: return false;
    }
}

// Interlaced rows come in four passes: every 8th row from 0, every 8th from
// 4, every 4th from 2, every 2nd from 1.
void deinterlace(GifFrame& frame) {
    const size_t w = size_t(frame.width);
    std::vector<uint8_t> rows(frame.indices.size());
    static constexpr int kStart[] = {0, 4, 2, 1}, kStep[] = {8, 8, 4, 2};
    size_t from = 0;
    for (int pass = 0; pass < 4; ++pass) {
        for (int32_t y = kStart[pass]; y < frame.height; y += kStep[pass], ++from)
            std::copy_n(frame.indices.data() + from * w, w, rows.data() + size_t(y) * w);
    }
    frame.indices = std::move(rows);
}

// kReported, kUnreported or 0.
int readImage(GifReader& in, GifState& state, Surface& surface, std::string_view name) {
    if (!in.has(9)) return kUnreported;
    GifFrame frame;
    frame.left = in.u16();
    frame.top = in.u16();
    frame.width = in.u16();
    frame.height = in.u16();
    uint8_t flags = in.u8();
    // A local colour table is the frame's own; frames without one use the
    // global table, also after a frame that had one.
    frame.palette = state.global;
    if (!readColourTable(in, flags, frame.palette)) return kUnreported;
    if (surface.frames.size() >= kMaxGifFrames) return kUnreported;
    if (uint32_t(frame.width) > kMaxImageSide || uint32_t(frame.height) > kMaxImageSide) {
        reportErrorArgs(kImageUnsupported, true, std::string(name));
        return kReported;
    }
    frame.disposal = state.disposal;
    frame.transparent = state.transparent;
    frame.delay = state.delay;
    frame.transparentIndex = state.transparentIndex;
    frame.loopCount = state.loopCount;

    size_t count = size_t(frame.width) * size_t(frame.height);
    if (count / kMaxIndicesPerByte > in.remaining()) return kUnreported;
    if (!tryResize(frame.indices, count)) {
        reportErrorArgs(104030, true, std::string(name));
        return kReported;
    }
    if (!decodeGifImageData(in, frame.indices.data(), count)) return kUnreported;
    if (flags & 0x40) deinterlace(frame);
    surface.frames.push_back(std::move(frame));
    return 0;
}

// The first frame on the screen, clipped to it.
void drawFirstFrame(Surface& surface) {
    if (surface.frames.empty()) return;
    const GifFrame& f = surface.frames.front();
    const uint32_t left = uint32_t(f.left), top = uint32_t(f.top);
    if (left >= surface.width || top >= surface.height) return;
    const uint32_t w = std::min(uint32_t(f.width), surface.width - left);
    const uint32_t h = std::min(uint32_t(f.height), surface.height - top);
    for (uint32_t y = 0; y < h; ++y) {
        const uint8_t* index = f.indices.data() + size_t(y) * size_t(f.width);
        uint8_t* out = surface.row(top + y) + size_t(left) * 4;
        for (uint32_t x = 0; x < w; ++x, out += 4) {
            const uint8_t* rgb = f.palette.data() + size_t(index[x]) * 3;
            out[0] = rgb[2];
            out[1] = rgb[1];
            out[2] = rgb[0];
            out[3] = f.transparent && index[x] == f.transparentIndex ? 0 : 255;
        }
    }
}

}  // namespace

int decodeGif(Surface& surface, const uint8_t* data, size_t size, std::string_view name) {
    GifReader in(data, size);
    if (!in.has(13)) return kUnreported;
    in.skip(6);  // the signature: the file type was decided by the name
    const uint32_t screenWidth = in.u16(), screenHeight = in.u16();
    const uint8_t flags = in.u8();
    in.skip(2);  // background index and aspect
    GifState state;
    if (!readColourTable(in, flags, state.global)) return kUnreported;
    if (screenWidth > kMaxImageSide || screenHeight > kMaxImageSide) {
        reportErrorArgs(kImageUnsupported, true, std::string(name));
        return kReported;
    }
    surface.frames.clear();
    while (true) {
        if (!in.has(1)) return kUnreported;
        switch (in.u8()) {
        case kImageBlock:
            if (int r = readImage(in, state, surface, name); r < 0) return r;
            break;
        case kExtension:
            if (!readExtension(in, state)) return kUnreported;
            break;
        case kTrailer:
            if (!allocateSurfacePixels(surface, screenWidth, screenHeight, name)) return kReported;
            surface.hasAlpha = state.transparent != 0;
            drawFirstFrame(surface);
            return 0;
        default:
            return kUnreported;
        }
    }
}

}  // namespace vr
