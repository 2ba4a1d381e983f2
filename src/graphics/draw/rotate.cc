#include "graphics/draw/rotate.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "graphics/compose.h"
#include "graphics/draw/draw_support.h"

namespace vr {

namespace {

constexpr double kPi = 3.1415926535;

int64_t floorDiv(int64_t a, int64_t b) {
    int64_t q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

int64_t ceilDiv(int64_t a, int64_t b) { return -floorDiv(-a, b); }

// The destination columns [first, end) of a row for which
// lo <= a + x * step < hi.
void narrow(int64_t a, int64_t step, int64_t lo, int64_t hi, int64_t& first, int64_t& end) {
    if (step == 0) {
        if (a < lo || a >= hi) end = first;
        return;
    }
    int64_t from, to;
    if (step > 0) {
        from = ceilDiv(lo - a, step);
        to = ceilDiv(hi - a, step);
    } else {
        from = floorDiv(a - hi, -step) + 1;
        to = floorDiv(a - lo, -step) + 1;
    }
    first = std::max(first, from);
    end = std::min(end, to);
    if (end < first) end = first;
}

}  // namespace

Turn turnOf(int64_t degrees) {
    Turn t;
    t.degrees = int32_t(((degrees % 360) + 360) % 360);
    switch (t.degrees) {
    case 0: t.cosine = 65536, t.sine = 0; break;
    case 90: t.cosine = 0, t.sine = 65536; break;
    case 180: t.cosine = -65536, t.sine = 0; break;
    case 270: t.cosine = 0, t.sine = -65536; break;
    default: {
        double radians = t.degrees * kPi / 180;
        t.cosine = int32_t(std::lround(std::cos(radians) * 65536));
        t.sine = int32_t(std::lround(std::sin(radians) * 65536));
    }
    }
    return t;
}

void turnedSize(const Turn& t, uint32_t width, uint32_t height, uint32_t& outWidth, uint32_t& outHeight) {
    const double c = std::fabs(t.cosine / 65536.0), s = std::fabs(t.sine / 65536.0);
    outWidth = uint32_t(std::max(1.0, std::ceil(width * c + height * s - 1e-6)));
    outHeight = uint32_t(std::max(1.0, std::ceil(width * s + height * c - 1e-6)));
}

bool rotateInto(const Surface& source, Surface& dest, const Turn& t) {
    const pixel::PixelSet& set = scenePixels();
    const size_t stride = dest.stride();
    if (t.degrees == 0 && source.width == dest.width && source.height == dest.height) {
        for (uint32_t y = 0; y < dest.height; ++y) set.kernels.copy(dest.row(y), source.row(y), stride);
        return false;
    }
    bool cleared = false;
    const int64_t C = t.cosine, S = t.sine;
    const int64_t sourceCx = source.width / 2, sourceCy = source.height / 2;
    const int64_t destCx = dest.width / 2, destCy = dest.height / 2;
    const int64_t limitX = int64_t(source.width) << 16, limitY = int64_t(source.height) << 16;
    const uint32_t* src = reinterpret_cast<const uint32_t*>(source.pixels.data());
    for (uint32_t y = 0; y < dest.height; ++y) {
        const int64_t ry = int64_t(y) - destCy;
        // The source position of column 0; each column adds (C, -S).
        const int64_t ax = (sourceCx << 16) - destCx * C + ry * S;
        const int64_t ay = (sourceCy << 16) + destCx * S + ry * C;
        int64_t first = 0, end = dest.width;
        narrow(ax, C, 0, limitX, first, end);
        narrow(ay, -S, 0, limitY, first, end);
        // A row the turned picture misses may leave its bounds past the row.
        first = std::min<int64_t>(first, dest.width);
        end = std::clamp<int64_t>(end, first, dest.width);
        cleared = cleared || first > 0 || end < int64_t(dest.width);
        uint8_t* out = dest.row(y);
        set.kernels.byteFill(out, size_t(first) * 4, 0);
        set.kernels.byteFill(out + size_t(end) * 4, stride - size_t(end) * 4, 0);
        int64_t sx = ax + first * C, sy = ay - first * S;
        uint32_t* o = reinterpret_cast<uint32_t*>(out);
        for (int64_t x = first; x < end; ++x, sx += C, sy -= S)
            o[x] = src[size_t(sy >> 16) * source.width + size_t(sx >> 16)];
    }
    return cleared;
}

int rotateLayer(ObjectNode& target, ObjectNode& source, int64_t degrees) {
    if (!target.layer || !source.layer || !hasPixels(source.layer->surface)) return 0;
    const Surface& from = source.layer->surface;
    const Turn t = turnOf(degrees);
    const bool inPlace = target.layer == source.layer;
    uint32_t w = from.width, h = from.height;
    if (!inPlace) turnedSize(t, from.width, from.height, w, h);
    Surface out;
    if (!newSurface(out, w, h, target.name)) return -1;
    // Corners left transparent only show as such through the layer's alpha.
    const bool cleared = rotateInto(from, out, t);
    out.hasAlpha = from.hasAlpha || cleared;
    target.layer->useSourceAlpha = source.layer->useSourceAlpha || cleared;
    replaceSurface(target, std::move(out));
    return 0;
}

}  // namespace vr
