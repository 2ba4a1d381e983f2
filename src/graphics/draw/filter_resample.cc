#include "graphics/draw/filter_resample.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "graphics/draw/resample.h"
#include "graphics/draw/resample_maps.h"
#include "graphics/pixel/pixel_math.h"

namespace vr {

namespace {

constexpr int kWeightBits = 14;
constexpr int32_t kWeightOne = 1 << kWeightBits;

std::array<int16_t, 513> tabulate(double a) {
    std::array<int16_t, 513> t{};
    for (int i = 0; i <= 512; ++i) {
        double x = i / 256.0;
        double w = x <= 1 ? (a + 2) * x * x * x - (a + 3) * x * x + 1
                          : a * x * x * x - 5 * a * x * x + 8 * a * x - 4 * a;
        t[size_t(i)] = int16_t(std::lround(256 * w));
    }
    return t;
}

struct CubicTaps {
    int32_t at[4];
    int32_t weight[4];
};

CubicTaps cubicTaps(const std::array<int16_t, 513>& w, int32_t coordinate, int32_t last) {
    int32_t x = coordinate >> 8;
    int f = coordinate & 255;
    CubicTaps t;
    const int distance[4] = {256 + f, f, 256 - f, 512 - f};
    for (int k = 0; k < 4; ++k) {
        t.at[k] = std::clamp<int32_t>(x - 1 + k, 0, last);
        t.weight[k] = w[size_t(distance[k])];
    }
    return t;
}

// The taps of one destination index along an axis.
struct FilterTaps {
    int32_t first = 0;  // into `indices` and `weights`
    int32_t count = 0;
};

struct AxisFilter {
    std::vector<FilterTaps> taps;
    std::vector<int32_t> indices, weights;
    int first = 0, end = 0;  // destination indices inside the source
};

double sinc(double x) {
    if (x == 0) return 1;
    x *= 3.14159265358979323846;
    return std::sin(x) / x;
}

double lanczos3(double x) { return std::fabs(x) < 3 ? sinc(x) * sinc(x / 3) : 0; }

double mitchell(double x) {
    constexpr double B = 1.0 / 3, C = 1.0 / 3;
    x = std::fabs(x);
    if (x < 1) return ((12 - 9 * B - 6 * C) * x * x * x + (-18 + 12 * B + 6 * C) * x * x + (6 - 2 * B)) / 6;
    if (x < 2)
        return ((-B - 6 * C) * x * x * x + (6 * B + 30 * C) * x * x + (-12 * B - 48 * C) * x + (8 * B + 24 * C)) / 6;
    return 0;
}

// Weights of 14 bits whose sum is exactly 1: the rounding left over goes to
// the largest weight.
void appendNormalised(AxisFilter& f, const std::vector<std::pair<int32_t, double>>& raw) {
    double sum = 0;
    for (const auto& [index, w] : raw) sum += w;
    FilterTaps t{int32_t(f.indices.size()), 0};
    int32_t total = 0;
    size_t largest = f.weights.size();
    for (const auto& [index, w] : raw) {
        int32_t q = int32_t(std::lround(w / sum * kWeightOne));
        if (q == 0) continue;
        if (largest == f.weights.size() || q > f.weights[largest]) largest = f.weights.size();
        f.indices.push_back(index);
        f.weights.push_back(q);
        total += q;
        ++t.count;
    }
    if (t.count > 0) f.weights[largest] += kWeightOne - total;
    f.taps.push_back(t);
}

AxisFilter axisFilter(int method, int64_t origin, int64_t span, uint32_t size, uint32_t sourceSize) {
    AxisFilter f;
    const double scale = double(span) / double(size);
    const double stretch = std::max(1.0, scale);
    const double radius = method == kResampleLanczos ? 3 * stretch
                        : method == kResampleMitchell ? 2 * stretch
                                                      : scale / 2 + 0.5;
    f.first = int(size);
    f.end = int(size);
    std::vector<std::pair<int32_t, double>> raw;
    for (uint32_t i = 0; i < size; ++i) {
        const double centre = double(origin) + (i + 0.5) * scale - 0.5;
        const int64_t nearest = int64_t(std::floor(centre + 0.5));
        const bool inside = nearest >= 0 && nearest < int64_t(sourceSize);
        if (inside && f.first == int(size)) f.first = int(i);
        if (!inside && f.first < int(size) && f.end == int(size)) f.end = int(i);
        raw.clear();
        if (inside) {
            const int64_t lo = int64_t(std::ceil(centre - radius)), hi = int64_t(std::floor(centre + radius));
            for (int64_t j = lo; j <= hi; ++j) {
                double w;
                if (method == kResampleBox) {
                    // The overlap of source pixel j with the destination
                    // pixel's footprint.
                    w = std::min(j + 0.5, centre + scale / 2) - std::max(j - 0.5, centre - scale / 2);
                } else {
                    const double x = (double(j) - centre) / stretch;
                    w = method == kResampleLanczos ? lanczos3(x) : mitchell(x);
                }
                if (w > 0 || (w < 0 && method != kResampleBox))
                    raw.emplace_back(int32_t(std::clamp<int64_t>(j, 0, int64_t(sourceSize) - 1)), w);
            }
            if (raw.empty()) raw.emplace_back(int32_t(nearest), 1.0);
        }
        appendNormalised(f, raw);
    }
    return f;
}

}  // namespace

const std::array<int16_t, 513>& cubicWeights(int method) {
    static const std::array<int16_t, 513> convolution = tabulate(-1.0), keys = tabulate(-0.5);
    return method == kResampleBicubicSharp ? keys : convolution;
}

void resampleBicubic(const Surface& source, Surface& dest, const int32_t* mapX, const AxisMap& columns,
                     const int32_t* mapY, const AxisMap& rows, int method) {
    const std::array<int16_t, 513>& w = cubicWeights(method);
    const int32_t lastX = int32_t(source.width) - 1, lastY = int32_t(source.height) - 1;
    std::vector<CubicTaps> across;
    for (int c = columns.first; c < columns.end; ++c) across.push_back(cubicTaps(w, mapX[c], lastX));
    for (int r = rows.first; r < rows.end; ++r) {
        const CubicTaps down = cubicTaps(w, mapY[r], lastY);
        uint8_t* out = dest.row(uint32_t(r)) + size_t(columns.first) * 4;
        for (const CubicTaps& t : across) {
            int32_t sum[4] = {};
            for (int j = 0; j < 4; ++j) {
                const uint8_t* row = source.row(uint32_t(down.at[j]));
                int32_t h[4] = {};
                for (int i = 0; i < 4; ++i)
                    for (int ch = 0; ch < 4; ++ch) h[ch] += t.weight[i] * row[size_t(t.at[i]) * 4 + size_t(ch)];
                for (int ch = 0; ch < 4; ++ch) sum[ch] += down.weight[j] * h[ch];
            }
            for (int ch = 0; ch < 4; ++ch) out[ch] = uint8_t(pixel::clampByte(int((int64_t(sum[ch]) + 32768) >> 16)));
            out += 4;
        }
    }
}

void resampleSeparable(const Surface& source, const SourceRect& rect, Surface& dest, int method) {
    const AxisFilter across = axisFilter(method, rect.left, rect.right - rect.left + 1, dest.width, source.width);
    const AxisFilter down = axisFilter(method, rect.top, rect.bottom - rect.top + 1, dest.height, source.height);
    if (across.first >= across.end || down.first >= down.end) return;
    // Each source row is filtered across once, into a ring of rows as many
    // as the largest vertical footprint; the footprints of successive
    // destination rows move down, so a row is never needed after it left.
    int32_t ringRows = 1;
    for (int r = down.first; r < down.end; ++r) {
        const FilterTaps& t = down.taps[size_t(r)];
        const auto [lo, hi] = std::minmax_element(down.indices.begin() + t.first,
                                                  down.indices.begin() + t.first + t.count);
        ringRows = std::max(ringRows, *hi - *lo + 1);
    }
    const size_t width = size_t(across.end - across.first);
    std::vector<int32_t> ring(size_t(ringRows) * width * 4);
    std::vector<int32_t> held(size_t(ringRows), -1);
    auto filtered = [&](int32_t y) -> const int32_t* {
        int32_t* out = ring.data() + size_t(y % ringRows) * width * 4;
        if (held[size_t(y % ringRows)] == y) return out;
        held[size_t(y % ringRows)] = y;
        const uint8_t* row = source.row(uint32_t(y));
        for (int c = across.first; c < across.end; ++c, out += 4) {
            const FilterTaps& t = across.taps[size_t(c)];
            int32_t sum[4] = {};
            for (int32_t k = t.first; k < t.first + t.count; ++k) {
                const uint8_t* p = row + size_t(across.indices[size_t(k)]) * 4;
                for (int ch = 0; ch < 4; ++ch) sum[ch] += across.weights[size_t(k)] * p[ch];
            }
            for (int ch = 0; ch < 4; ++ch) out[ch] = sum[ch];
        }
        return ring.data() + size_t(y % ringRows) * width * 4;
    };
    for (int r = down.first; r < down.end; ++r) {
        const FilterTaps& t = down.taps[size_t(r)];
        std::vector<int64_t> sum(width * 4, 0);
        for (int32_t k = t.first; k < t.first + t.count; ++k) {
            const int32_t* h = filtered(down.indices[size_t(k)]);
            const int64_t w = down.weights[size_t(k)];
            for (size_t i = 0; i < width * 4; ++i) sum[i] += w * h[i];
        }
        uint8_t* out = dest.row(uint32_t(r)) + size_t(across.first) * 4;
        for (size_t i = 0; i < width * 4; ++i) out[i] = uint8_t(pixel::clampByte(int((sum[i] + (int64_t(1) << 27)) >> 28)));
    }
}

}  // namespace vr
