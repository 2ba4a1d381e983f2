// Scalar per-channel arithmetic shared by the kernels of every set and by
// the tails of the vector loops.  >> on a negative int is an arithmetic
// shift (floor), which the formulas rely on.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vr::pixel {

constexpr int kAlphaByte = 3;
constexpr int kColourBytes = 3;
constexpr size_t kStepBytes = 8;  // the kernels' step: two pixels

constexpr int32_t clampLevel(int32_t v, int32_t full = 256) { return v < 0 ? 0 : v > full ? full : v; }
constexpr int clampByte(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

// d moved toward x by k/256, the difference shifted down arithmetically.
// The result lies between d and x for k in 0..256.
constexpr uint8_t mixChannel(int d, int x, int k) { return uint8_t(d + (((x - d) * k) >> 8)); }

// The per-pixel factor of a masked operator; 0 for entries 0 and 1, which
// leave the pixel alone.
inline int32_t maskFactor(const int32_t* ramp, uint8_t maskByte) {
    int32_t m = clampLevel(ramp[maskByte]);
    return m > 1 ? m : 0;
}

// The source-alpha factor 1..256 of groups 1 and 3.
constexpr int sourceAlphaFactor(uint8_t a) { return a + 1; }

}  // namespace vr::pixel
