// The resampling methods that run on the calling thread: the two bicubic
// forms (31, 51) on the 8-bit coordinate maps, and the separable filters
// 41 to 43 whose footprint widens with the reduction.
#pragma once

#include <array>
#include <cstdint>

#include "graphics/surface.h"

namespace vr {

struct SourceRect;
struct AxisMap;

// round(256 * w(i / 256)) for i = 0..512: method 31 with the cubic
// convolution of a = -1 (1 - 2t^2 + t^3, 4 - 8t + 5t^2 - t^3), method 51
// with a = -1/2 (1.5t^3 - 2.5t^2 + 1, -0.5t^3 + 2.5t^2 - 4t + 2).
const std::array<int16_t, 513>& cubicWeights(int method);

// Bicubic over the maps of fixed8Map (absolute coordinates x 256): the four
// taps of each axis clamped to the source, the weighted sum rounded and
// clamped to 0..255 per channel, alpha included.  Only the rows and columns
// inside the maps' runs are written.
void resampleBicubic(const Surface& source, Surface& dest, const int32_t* mapX, const AxisMap& columns,
                     const int32_t* mapY, const AxisMap& rows, int method);

// Lanczos-3 (41), Mitchell-Netravali with B = C = 1/3 (42) and the box
// filter (43, the share of each source pixel's area under the destination
// pixel).  A destination pixel's centre maps to
// left + (i + 0.5) * span / size - 0.5; when the image shrinks, the filter
// is stretched by the ratio so every source pixel counts.  Taps are clamped
// to the source; a destination pixel whose centre falls outside the source
// stays transparent.  All four channels, weights of 14 bits summing to 1.
void resampleSeparable(const Surface& source, const SourceRect& rect, Surface& dest, int method);

}  // namespace vr
