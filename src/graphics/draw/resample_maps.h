// The coordinate maps of a resampling: for every destination column (or
// row) the source coordinate it reads, and the range of destination
// columns whose coordinate lies inside the source.  Outside that range the
// destination is transparent.
#pragma once

#include <cstdint>
#include <vector>

namespace vr {

struct AxisMap {
    int first = 0, end = 0;  // destination indices [first, end) lie inside the source
};

// Nearest neighbour: the source index origin + (acc >> 16), acc growing by
// (span * 65536) / size per step.
AxisMap nearestMap(std::vector<int32_t>& map, int64_t origin, int64_t span, uint32_t size, uint32_t sourceSize);

// Bilinear and bicubic: the source coordinate times 256,
// origin * 256 + (((i * 65536) / size) * span >> 8); inside when its whole
// part is.
AxisMap fixed8Map(std::vector<int32_t>& map, int64_t origin, int64_t span, uint32_t size, uint32_t sourceSize);

// Area average by the factor k: the first source index of each block,
// origin + i * k; inside when the whole block is.
AxisMap blockMap(std::vector<int32_t>& map, int64_t origin, int k, uint32_t size, uint32_t sourceSize);

}  // namespace vr
