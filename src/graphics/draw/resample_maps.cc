#include "graphics/draw/resample_maps.h"

namespace vr {

namespace {

// The coordinates grow with the index, so the ones inside the source form
// one run.  `inside` tells whether a 64-bit coordinate lies inside, `stored`
// what the map keeps of it.
template <class Coordinate, class Inside, class Stored>
AxisMap fillMap(std::vector<int32_t>& map, uint32_t size, const Coordinate& at, const Inside& inside,
                const Stored& stored) {
    map.assign(size, 0);
    AxisMap m{int(size), int(size)};
    for (uint32_t i = 0; i < size; ++i) {
        int64_t c = at(i);
        if (!inside(c)) {
            if (m.first < int(size) && m.end == int(size)) m.end = int(i);
            continue;
        }
        if (m.first == int(size)) m.first = int(i);
        map[i] = stored(c);
    }
    if (m.first == int(size)) m.end = int(size);
    return m;
}

}  // namespace

AxisMap nearestMap(std::vector<int32_t>& map, int64_t origin, int64_t span, uint32_t size, uint32_t sourceSize) {
    const int64_t step = span * 65536 / int64_t(size);
    return fillMap(
        map, size, [&](uint32_t i) { return origin + ((int64_t(i) * step) >> 16); },
        [&](int64_t c) { return c >= 0 && c < int64_t(sourceSize); }, [](int64_t c) { return int32_t(c); });
}

AxisMap fixed8Map(std::vector<int32_t>& map, int64_t origin, int64_t span, uint32_t size, uint32_t sourceSize) {
    return fillMap(
        map, size, [&](uint32_t i) { return origin * 256 + (((int64_t(i) * 65536) / int64_t(size)) * span >> 8); },
        [&](int64_t c) { return c >= 0 && (c >> 8) < int64_t(sourceSize); }, [](int64_t c) { return int32_t(c); });
}

AxisMap blockMap(std::vector<int32_t>& map, int64_t origin, int k, uint32_t size, uint32_t sourceSize) {
    return fillMap(
        map, size, [&](uint32_t i) { return origin + int64_t(i) * k; },
        [&](int64_t c) { return c >= 0 && c + k <= int64_t(sourceSize); }, [](int64_t c) { return int32_t(c); });
}

}  // namespace vr
