// The table-driven blend operators: one loop per group and variant, made
// for each mode from F(s, d).  They serve every mode that has no kernel of
// its own, in every set, and several scalar kernels are instances of them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "graphics/pixel/blend_modes.h"
#include "graphics/pixel/blend_ops.h"
#include "graphics/pixel/lookup_tables.h"
#include "graphics/pixel/pixel_math.h"

namespace vr::pixel::generic {

using ModeRows = const uint8_t (*)[256];

template <int Mode>
ModeRows modeRows() {
    if constexpr (Mode >= kFirstTabledMode) return blendModeTables().rows(Mode);
    else return nullptr;
}

// F(s, d) of one mode; the table is looked up once per row, not per channel.
template <int Mode>
struct ModeFunction {
    const LookupTables& aux = lookupTables();
    ModeRows rows = modeRows<Mode>();

    int operator()(int s, int d) const {
        if constexpr (Mode == kBlendNormal) return s;
        else if constexpr (Mode == kBlendAdd) return aux.saturatingSum[s + d];
        else if constexpr (Mode == kBlendSubtract) return aux.clampedDifference[255 + s - d];
        else return rows[s][d];
    }
};

// Group 0, variant 1: F on every byte, alpha included.
template <int Mode>
void modeBytes(uint8_t* dst, const uint8_t* src, size_t bytes) {
    ModeFunction<Mode> f;
    for (size_t i = 0; i < bytes; ++i) dst[i] = uint8_t(f(src[i], dst[i]));
}

template <int Mode>
void modeBytesOp(uint8_t* dst, const uint8_t* src, int32_t, size_t bytes) {
    modeBytes<Mode>(dst, src, bytes);
}

// Group 0, variant 0: every byte moved toward F by the opacity.
template <int Mode>
void modeBytesOpacity(uint8_t* dst, const uint8_t* src, int32_t opacity, size_t bytes) {
    ModeFunction<Mode> f;
    int o = clampLevel(opacity);
    if constexpr (Mode == kBlendDifference) {
        // Difference scales with truncation toward zero, through the table.
        const auto& p = lookupTables().signedProduct256;
        for (size_t i = 0; i < bytes; ++i) {
            int d = dst[i];
            dst[i] = uint8_t(d + signedProduct(p, o, f(src[i], d) - d));
        }
    } else {
        for (size_t i = 0; i < bytes; ++i) dst[i] = mixChannel(dst[i], f(src[i], dst[i]), o);
    }
}

// Group 1, variant 1: colour moved toward F by the source alpha.
template <int Mode>
void sourceAlpha(uint8_t* dst, const uint8_t* src, size_t bytes) {
    ModeFunction<Mode> f;
    for (size_t i = 0; i + 4 <= bytes; i += 4) {
        int k = sourceAlphaFactor(src[i + kAlphaByte]);
        for (int c = 0; c < kColourBytes; ++c) dst[i + c] = mixChannel(dst[i + c], f(src[i + c], dst[i + c]), k);
    }
}

template <int Mode>
void sourceAlphaOp(uint8_t* dst, const uint8_t* src, int32_t, size_t bytes) {
    sourceAlpha<Mode>(dst, src, bytes);
}

// Group 1, variant 0: the factor is opacity times source alpha.
template <int Mode>
void sourceAlphaOpacity(uint8_t* dst, const uint8_t* src, int32_t opacity, size_t bytes) {
    ModeFunction<Mode> f;
    int o = clampLevel(opacity);
    for (size_t i = 0; i + 4 <= bytes; i += 4) {
        int k = (o * sourceAlphaFactor(src[i + kAlphaByte])) >> 8;
        for (int c = 0; c < kColourBytes; ++c) dst[i + c] = mixChannel(dst[i + c], f(src[i + c], dst[i + c]), k);
    }
}

// Group 2: the factor comes from the mask through the ramp.
template <int Mode>
void masked(uint8_t* dst, const uint8_t* src, const uint8_t* mask, const int32_t* ramp, int32_t,
            int32_t, size_t bytes) {
    ModeFunction<Mode> f;
    for (size_t i = 0; i + 4 <= bytes; i += 4) {
        int m = maskFactor(ramp, mask[i]);
        if (m == 0) continue;
        for (int c = 0; c < kColourBytes; ++c) dst[i + c] = mixChannel(dst[i + c], f(src[i + c], dst[i + c]), m);
    }
}

// Group 3: mask factor times source alpha, a 16-bit fraction.
template <int Mode>
void maskedSourceAlpha(uint8_t* dst, const uint8_t* src, const uint8_t* mask, const int32_t* ramp,
                       int32_t, int32_t, size_t bytes) {
    ModeFunction<Mode> f;
    for (size_t i = 0; i + 4 <= bytes; i += 4) {
        int m = maskFactor(ramp, mask[i]);
        if (m == 0) continue;
        int k = m * sourceAlphaFactor(src[i + kAlphaByte]);
        for (int c = 0; c < kColourBytes; ++c) {
            int d = dst[i + c];
            dst[i + c] = uint8_t(d + (((f(src[i + c], d) - d) * k) >> 16));
        }
    }
}

}  // namespace vr::pixel::generic

namespace vr::pixel {

// Every group, mode and variant by its table-driven loop.
const BlendOpTable& genericBlendOps();

}  // namespace vr::pixel
