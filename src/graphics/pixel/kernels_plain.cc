// The plain set: portable C++ with the pixels of the original 8-byte-step
// (MMX) kernels.  Three kernels round their two-pixel steps differently
// from the operator formulas, and games were drawn with those results:
//
//   slot 5   a pair blends all four bytes with d + ((((s - d) >> 1) * a) >> 7),
//            saturated; a last single pixel takes the formula (colour only,
//            factor a + 1)
//   slot 7   a pair moves the colour by d - (((d - s) * m) >> 8); a last
//            single pixel takes d + (((s - d) * m) >> 8)
//   slot 19  the sum of the four pixels >> 2
#include "graphics/pixel/kernels_common.h"
#include "graphics/pixel/pixel_sets_internal.h"
#include "graphics/pixel/set_builder.h"

namespace vr::pixel {
namespace {

void normalSourceAlphaPairs(uint8_t* dst, const uint8_t* src, size_t bytes) {
    size_t pairEnd = bytes / kStepBytes * kStepBytes;
    for (size_t i = 0; i < pairEnd; i += 4) {
        int a = src[i + kAlphaByte];
        for (int c = 0; c < 4; ++c) {
            int d = dst[i + c];
            dst[i + c] = uint8_t(clampByte(d + ((((src[i + c] - d) >> 1) * a) >> 7)));
        }
    }
    if (bytes - pairEnd >= 4) common::normalSourceAlpha(dst + pairEnd, src + pairEnd, 4);
}

void normalMaskedPairs(uint8_t* dst, const uint8_t* src, const uint8_t* mask, const int32_t* ramp,
                       int32_t levelA, int32_t levelB, size_t bytes) {
    size_t pairEnd = bytes / kStepBytes * kStepBytes;
    for (size_t i = 0; i < pairEnd; i += 4) {
        int m = maskFactor(ramp, mask[i]);
        if (m == 0) continue;
        for (int c = 0; c < kColourBytes; ++c) {
            int d = dst[i + c];
            dst[i + c] = uint8_t(d - (((d - src[i + c]) * m) >> 8));
        }
    }
    if (bytes - pairEnd >= 4) {
        common::normalMasked(dst + pairEnd, src + pairEnd, mask + pairEnd, ramp, levelA, levelB, 4);
    }
}

void boxReduceSum(uint8_t* dst, const uint8_t* src, size_t srcStridePixels, size_t outPixels) {
    const uint8_t* below = src + srcStridePixels * 4;
    for (size_t k = 0; k < outPixels; ++k) {
        for (int c = 0; c < 4; ++c) {
            size_t i = k * 8 + size_t(c);
            dst[k * 4 + size_t(c)] = uint8_t((src[i] + src[i + 4] + below[i] + below[i + 4]) >> 2);
        }
    }
}

constexpr PixelKernelTable kPlainKernels = {
    common::zeroFill,
    common::byteFill,
    common::pixelFill,
    common::copy,
    common::normalOpacity,
    normalSourceAlphaPairs,
    common::normalSourceAlphaOpacity,
    normalMaskedPairs,
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
    boxReduceSum,
    common::keepAlphaOver,
    common::keepAlphaOverOpacity,
    common::keepAlphaOverScaled,
    common::keepAlphaOverScaledOpacity,
};

}  // namespace

const PixelSet& plainPixelSet() {
    static const PixelSet set = buildPixelSet<kPlainKernels>(PixelSetKind::Plain, "plain", false);
    return set;
}

}  // namespace vr::pixel
