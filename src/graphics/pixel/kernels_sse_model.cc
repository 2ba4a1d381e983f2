// The SSE set's results in portable C++: the reference the vector sets are
// tested against, and the SSE set itself where there is no SSE2.  It
// differs from the plain set in:
//
//   slot 4   dst is first aligned to 8 bytes with single bytes; the aligned
//            8-byte steps then take one of three forms by opacity, of which
//            only o = 128 (the rounded mean) gives other pixels
//   slots 5 and 7 follow the operator formulas throughout
//   slot 19  rounded mean of the two rows, then of the two columns
#include <cstdint>

#include "graphics/pixel/kernels_common.h"
#include "graphics/pixel/pixel_sets_internal.h"
#include "graphics/pixel/set_builder.h"

namespace vr::pixel {
namespace {

constexpr int roundedMean(int a, int b) { return (a + b + 1) >> 1; }

void normalOpacityAligned(uint8_t* dst, const uint8_t* src, int32_t opacity, size_t bytes) {
    int o = clampLevel(opacity);
    size_t head = (kStepBytes - reinterpret_cast<uintptr_t>(dst) % kStepBytes) % kStepBytes;
    if (head > bytes) head = bytes;
    size_t stepEnd = head + (bytes - head) / kStepBytes * kStepBytes;
    for (size_t i = 0; i < bytes; ++i) {
        int s = src[i], d = dst[i];
        if (i < head || i >= stepEnd || o < 128) {
            dst[i] = mixChannel(d, s, o);
        } else if (o == 128) {
            dst[i] = uint8_t(roundedMean(s, d));
        } else {
            // The same value as mixChannel(d, s, o): both are
            // floor((d * (256 - o) + s * o) / 256).
            dst[i] = uint8_t(s + (((d - s) * (256 - o)) >> 8));
        }
    }
}

void boxReduceRounded(uint8_t* dst, const uint8_t* src, size_t srcStridePixels, size_t outPixels) {
    const uint8_t* below = src + srcStridePixels * 4;
    for (size_t k = 0; k < outPixels; ++k) {
        for (int c = 0; c < 4; ++c) {
            size_t i = k * 8 + size_t(c);
            dst[k * 4 + size_t(c)] = uint8_t(roundedMean(roundedMean(src[i], below[i]),
                                                         roundedMean(src[i + 4], below[i + 4])));
        }
    }
}

constexpr PixelKernelTable kSseModelKernels = {
    common::zeroFill,
    common::byteFill,
    common::pixelFill,
    common::copy,
    normalOpacityAligned,
    common::normalSourceAlpha,
    common::normalSourceAlphaOpacity,
    common::normalMasked,
    common::crossFade,
    common::add,
    common::addOpacity,
    common::subtract,
    common::multiply,
    common::screen,
    common::screenOpacity,
    common::lighten,
    common::darken,
    common::linearBurn,
    common::linearLight,
    boxReduceRounded,
    common::keepAlphaOver,
    common::keepAlphaOverOpacity,
    common::keepAlphaOverScaled,
    common::keepAlphaOverScaledOpacity,
};

}  // namespace

const PixelSet& sseModelPixelSet() {
    static const PixelSet set = buildPixelSet<kSseModelKernels>(PixelSetKind::SseModel, "sse-model", true);
    return set;
}

}  // namespace vr::pixel
