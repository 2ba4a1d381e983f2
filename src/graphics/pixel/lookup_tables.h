// The 8-bit arithmetic tables of the pixel code.  Per-channel blending never
// divides: every division lives in a table built once, on first use (a
// thread-safe function-local static), and read-only afterwards, so worker
// threads may read them concurrently.
#pragma once

#include <cstdint>

namespace vr::pixel {

struct LookupTables {
    // min(i, 255) for i = 0..510: a sum of two channels, saturated.
    uint8_t saturatingSum[511];
    // max(0, i - 255): read at 255 + x it gives max(0, x).
    uint8_t clampedDifference[511];
    // Row r = 0..256, column x + 255 for x = -255..256: trunc(r * x / 255)
    // and trunc(r * x / 256).  Negative values are stored as 16-bit two's
    // complement; read them through signedProduct().
    uint16_t signedProduct255[257][512];
    uint16_t signedProduct256[257][512];
    // trunc(r * c / 255) as bytes.
    uint8_t product[256][256];
    // [a][k] = trunc(256 * k / a) for a = 1..255; row 0 is all zero so that a
    // fully transparent result takes nothing from the source.
    uint16_t reciprocalRatio[256][256];
};

const LookupTables& lookupTables();

// A signed-product entry for r = 0..256 and x = -255..256, sign-extended.
inline int32_t signedProduct(const uint16_t (&table)[257][512], int32_t r, int32_t x) {
    return int16_t(table[r][x + 255]);
}

}  // namespace vr::pixel
