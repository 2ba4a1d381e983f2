#include "graphics/pixel/kernels_common.h"

#include <cstring>

#include "graphics/pixel/lookup_tables.h"
#include "graphics/pixel/pixel_math.h"

namespace vr::pixel::common {

void zeroFill(uint8_t* dst, size_t bytes) { std::memset(dst, 0, bytes); }

void byteFill(uint8_t* dst, size_t bytes, uint8_t value) { std::memset(dst, value, bytes); }

void pixelFill(uint8_t* dst, size_t bytes, uint32_t pixel) {
    uint8_t pattern[4] = {uint8_t(pixel), uint8_t(pixel >> 8), uint8_t(pixel >> 16), uint8_t(pixel >> 24)};
    for (size_t i = 0; i < bytes; ++i) dst[i] = pattern[i & 3];
}

void copy(uint8_t* dst, const uint8_t* src, size_t bytes) { std::memmove(dst, src, bytes); }

void crossFade(uint8_t* dst, const uint8_t* a, const uint8_t* b, int32_t factor, size_t bytes) {
    int f = clampLevel(factor);
    for (size_t i = 0; i < bytes; ++i) dst[i] = mixChannel(a[i], b[i], f);
}

// The 8-byte steps add the scaled source with saturation; the tail moves
// toward the saturated sum instead, which rounds differently.  Both sets
// share this routine, so both show the difference.
void addOpacity(uint8_t* dst, const uint8_t* src, int32_t opacity, size_t bytes) {
    int o = clampLevel(opacity);
    size_t stepEnd = bytes / kStepBytes * kStepBytes;
    for (size_t i = 0; i < stepEnd; ++i) dst[i] = uint8_t(clampByte(dst[i] + ((src[i] * o) >> 8)));
    for (size_t i = stepEnd; i < bytes; ++i) {
        int d = dst[i];
        dst[i] = mixChannel(d, clampByte(src[i] + d), o);
    }
}

namespace {

// Over that keeps the destination's alpha meaningful: the new alpha is the
// union of both, and the colour factor is the source's share of it.  Slots
// 20 and 22 are the full-opacity cases (o = 256 gives the same arithmetic),
// slots 20 and 21 the unscaled ones (g = 256).
//
// The factor R(na, sa) * o can exceed 1.0 (65536) when the opacity is low
// and the destination transparent, because na is rounded down first; the
// result would then overshoot the source and wrap in the byte store (white
// turning black).  The factor is capped at 1.0, which keeps every colour
// between the destination's and the source's.
void keepAlphaOverRow(uint8_t* dst, const uint8_t* src, int32_t alphaScale, int32_t opacity, size_t bytes) {
    const LookupTables& t = lookupTables();
    int g = clampLevel(alphaScale);
    int o = clampLevel(opacity);
    for (size_t i = 0; i + 4 <= bytes; i += 4) {
        int sa = src[i + kAlphaByte];
        int da = (dst[i + kAlphaByte] * g) >> 8;
        int na = da + (((sa - signedProduct(t.signedProduct255, da, sa)) * o) >> 8);
        int k = t.reciprocalRatio[na][sa] * o;
        if (k > 65536) k = 65536;
        for (int c = 0; c < kColourBytes; ++c) {
            int d = dst[i + c];
            dst[i + c] = uint8_t(d + (((src[i + c] - d) * k) >> 16));
        }
        dst[i + kAlphaByte] = uint8_t(na);
    }
}

}  // namespace

void keepAlphaOver(uint8_t* dst, const uint8_t* src, size_t bytes) { keepAlphaOverRow(dst, src, 256, 256, bytes); }

void keepAlphaOverOpacity(uint8_t* dst, const uint8_t* src, int32_t opacity, size_t bytes) {
    keepAlphaOverRow(dst, src, 256, opacity, bytes);
}

void keepAlphaOverScaled(uint8_t* dst, const uint8_t* src, int32_t alphaScale, size_t bytes) {
    keepAlphaOverRow(dst, src, alphaScale, 256, bytes);
}

void keepAlphaOverScaledOpacity(uint8_t* dst, const uint8_t* src, int32_t alphaScale, int32_t opacity,
                                size_t bytes) {
    keepAlphaOverRow(dst, src, alphaScale, opacity, bytes);
}

}  // namespace vr::pixel::common
