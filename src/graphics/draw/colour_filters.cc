#include "graphics/draw/colour_filters.h"

#include <algorithm>

#include "graphics/compose.h"
#include "graphics/draw/draw_support.h"
#include "graphics/pixel/pixel_math.h"

namespace vr {

namespace {

// Calls f(pixel) for every pixel of the rectangle.
template <class F>
void eachPixel(Surface& s, const PixelRect& r, const F& f) {
    if (r.empty()) return;
    for (int64_t y = r.top; y <= r.bottom; ++y) {
        uint8_t* p = s.row(uint32_t(y)) + size_t(r.left) * 4;
        for (int64_t x = r.left; x <= r.right; ++x, p += 4) f(p);
    }
}

int64_t level(int64_t v) { return std::clamp<int64_t>(v, 0, 256); }

}  // namespace

const uint8_t kScatterOrders[24][4] = {
    {3, 2, 1, 0}, {2, 3, 1, 0}, {3, 1, 2, 0}, {1, 3, 2, 0}, {2, 1, 3, 0}, {1, 2, 3, 0},
    {3, 2, 0, 1}, {2, 3, 0, 1}, {3, 0, 2, 1}, {0, 3, 2, 1}, {2, 0, 3, 1}, {0, 2, 3, 1},
    {3, 1, 0, 2}, {1, 3, 0, 2}, {3, 0, 1, 2}, {0, 3, 1, 2}, {1, 0, 3, 2}, {0, 1, 3, 2},
    {2, 1, 0, 3}, {1, 2, 0, 3}, {2, 0, 1, 3}, {0, 2, 1, 3}, {1, 0, 2, 3}, {0, 1, 2, 3},
};

void saturationFilter(Surface& s, const PixelRect& r, int64_t v) {
    const int k = int(level(v));
    eachPixel(s, r, [k](uint8_t* p) {
        const int g = (p[0] + p[1] + p[2]) / 3;
        for (int c = 0; c < 3; ++c) {
            if (k < 128) p[c] = uint8_t(p[c] + (((g - p[c]) * (128 - k)) >> 7));
            else p[c] = uint8_t(pixel::clampByte(p[c] + (((p[c] - g) * (k - 128)) >> 7)));
        }
    });
}

void colourBalanceFilter(Surface& s, const PixelRect& r, int64_t rgb) {
    const int shift[3] = {int(rgb & 255) - 128, int((rgb >> 8) & 255) - 128, int((rgb >> 16) & 255) - 128};
    eachPixel(s, r, [&](uint8_t* p) {
        for (int c = 0; c < 3; ++c) p[c] = uint8_t(pixel::clampByte(p[c] + shift[c]));
    });
}

void sepiaFilter(Surface& s, const PixelRect& r, int64_t v) {
    const int k = int(level(v));
    eachPixel(s, r, [k](uint8_t* p) {
        const int64_t S = (117 * int64_t(p[0]) + 601 * int64_t(p[1]) + 306 * int64_t(p[2])) * 1024;
        const int tone[3] = {pixel::clampByte(int((S - 46347025) / 1048576)),
                             pixel::clampByte(int((S - 287585) / 1048576)),
                             int(std::min<int64_t>(255, (S + 18748416) >> 20))};
        for (int c = 0; c < 3; ++c) p[c] = pixel::mixChannel(p[c], tone[c], k);
    });
}

void brightnessFilter(Surface& s, const PixelRect& r, int64_t v) {
    const int shift = int(level(v)) - 128;
    eachPixel(s, r, [shift](uint8_t* p) {
        for (int c = 0; c < 3; ++c) p[c] = uint8_t(pixel::clampByte(p[c] + shift));
    });
}

void thresholdFilter(Surface& s, const PixelRect& r, int64_t v) {
    const int bar = 3 * int(level(v));
    eachPixel(s, r, [bar](uint8_t* p) {
        const uint8_t to = p[0] + p[1] + p[2] < bar ? 0 : 255;
        p[0] = p[1] = p[2] = to;
    });
}

void negativeFilter(Surface& s, const PixelRect& r) {
    eachPixel(s, r, [](uint8_t* p) {
        for (int c = 0; c < 3; ++c) p[c] = uint8_t(255 - p[c]);
    });
}

void flipRows(Surface& s, const PixelRect& r) {
    if (r.empty()) return;
    const size_t bytes = size_t(r.width()) * 4;
    for (int64_t a = r.top, b = r.bottom; a < b; ++a, --b)
        std::swap_ranges(s.row(uint32_t(a)) + size_t(r.left) * 4, s.row(uint32_t(a)) + size_t(r.left) * 4 + bytes,
                         s.row(uint32_t(b)) + size_t(r.left) * 4);
}

void mirrorColumns(Surface& s, const PixelRect& r) {
    if (r.empty()) return;
    for (int64_t y = r.top; y <= r.bottom; ++y) {
        uint32_t* row = reinterpret_cast<uint32_t*>(s.row(uint32_t(y)));
        std::reverse(row + r.left, row + r.right + 1);
    }
}

void fillOpaque(Surface& s, const PixelRect& r, int64_t rgb) {
    if (r.empty()) return;
    const uint32_t pixel = 0xFF000000u | uint32_t(rgb & 0xFFFFFF);
    const pixel::PixelSet& set = scenePixels();
    for (int64_t y = r.top; y <= r.bottom; ++y)
        set.kernels.pixelFill(s.row(uint32_t(y)) + size_t(r.left) * 4, size_t(r.width()) * 4, pixel);
}

void fillAlpha(Surface& s, const PixelRect& r, int64_t alpha) {
    const uint8_t a = uint8_t(std::clamp<int64_t>(alpha, 0, 255));
    eachPixel(s, r, [a](uint8_t* p) { p[3] = a; });
}

void scatterFilter(Surface& s, const PixelRect& r, int64_t passes, uint32_t (*draw)()) {
    if (r.empty() || r.width() < 2 || r.height() < 2) return;
    for (int64_t pass = 0; pass < passes / 2; ++pass) {
        const bool fromEnd = pass % 2 == 1;
        const int64_t rows = r.height() / 2, columns = r.width() / 2;
        for (int64_t j = 0; j < rows; ++j) {
            for (int64_t i = 0; i < columns; ++i) {
                const int64_t x = fromEnd ? r.right - 1 - 2 * i : r.left + 2 * i;
                const int64_t y = fromEnd ? r.bottom - 1 - 2 * j : r.top + 2 * j;
                uint8_t* at[4] = {s.row(uint32_t(y)) + size_t(x) * 4, s.row(uint32_t(y)) + size_t(x + 1) * 4,
                                  s.row(uint32_t(y + 1)) + size_t(x) * 4, s.row(uint32_t(y + 1)) + size_t(x + 1) * 4};
                uint8_t old[4][3];
                for (int k = 0; k < 4; ++k) std::copy(at[k], at[k] + 3, old[k]);
                const uint8_t* order = kScatterOrders[draw() % 24];
                for (int k = 0; k < 4; ++k) std::copy(old[order[k]], old[order[k]] + 3, at[k]);
            }
        }
    }
}

void mosaicFilter(Surface& s, const PixelRect& r, int64_t size) {
    if (r.empty()) return;
    const int64_t n = std::max<int64_t>(1, size);
    auto blockStart = [n](int64_t at, int64_t anchor) {
        int64_t d = at - anchor, q = d / n;
        if (d % n != 0 && d < 0) --q;
        return anchor + q * n;
    };
    const int64_t x0 = blockStart(r.left, (r.right + 1) / 2), y0 = blockStart(r.top, (r.bottom + 1) / 2);
    for (int64_t by = y0; by <= r.bottom; by += n) {
        const int64_t top = std::max(by, r.top), bottom = std::min(by + n - 1, r.bottom);
        for (int64_t bx = x0; bx <= r.right; bx += n) {
            const PixelRect block{std::max(bx, r.left), top, std::min(bx + n - 1, r.right), bottom};
            uint64_t sum[3] = {};
            eachPixel(s, block, [&](uint8_t* p) {
                for (int c = 0; c < 3; ++c) sum[c] += p[c];
            });
            const uint64_t count = uint64_t(block.width() * block.height());
            eachPixel(s, block, [&](uint8_t* p) {
                for (int c = 0; c < 3; ++c) p[c] = uint8_t(sum[c] / count);
            });
        }
    }
}

namespace {

// One box pass over `count` pixels `step` pixels apart, the ends repeated.
void boxLine(uint8_t* first, int64_t count, size_t step, int64_t radius, std::vector<uint8_t>& line) {
    line.assign(size_t(count) * 3, 0);
    for (int64_t i = 0; i < count; ++i)
        for (int c = 0; c < 3; ++c) line[size_t(i) * 3 + size_t(c)] = first[size_t(i) * step * 4 + size_t(c)];
    const int64_t taps = 2 * radius + 1;
    int64_t sum[3] = {};
    auto at = [&](int64_t i, int c) { return line[size_t(std::clamp<int64_t>(i, 0, count - 1)) * 3 + size_t(c)]; };
    for (int c = 0; c < 3; ++c)
        for (int64_t k = -radius; k <= radius; ++k) sum[c] += at(k, c);
    for (int64_t i = 0; i < count; ++i) {
        for (int c = 0; c < 3; ++c) {
            first[size_t(i) * step * 4 + size_t(c)] = uint8_t(sum[c] / taps);
            sum[c] += at(i + radius + 1, c) - at(i - radius, c);
        }
    }
}

}  // namespace

void blurFilter(Surface& s, const PixelRect& r, int64_t radius) {
    const int64_t k = std::clamp<int64_t>(radius, 0, 255);
    if (r.empty() || k == 0) return;
    std::vector<uint8_t> line;
    for (int64_t y = r.top; y <= r.bottom; ++y) boxLine(s.row(uint32_t(y)) + size_t(r.left) * 4, r.width(), 1, k, line);
    for (int64_t x = r.left; x <= r.right; ++x)
        boxLine(s.row(uint32_t(r.top)) + size_t(x) * 4, r.height(), s.width, k, line);
}

}  // namespace vr
