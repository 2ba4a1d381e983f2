#include "graphics/draw/canvas.h"

#include <algorithm>

#include "graphics/compose.h"
#include "graphics/draw/draw_support.h"
#include "graphics/graphics.h"

namespace vr {

PixelRect clampedRect(const Surface& s, int64_t left, int64_t top, int64_t right, int64_t bottom) {
    if (s.width == 0 || s.height == 0) return {};
    const int64_t w = int64_t(s.width) - 1, h = int64_t(s.height) - 1;
    return {std::clamp<int64_t>(left, 0, w), std::clamp<int64_t>(top, 0, h), std::clamp<int64_t>(right, 0, w),
            std::clamp<int64_t>(bottom, 0, h)};
}

bool extendInto(const Surface& source, int64_t left, int64_t top, int64_t right, int64_t bottom,
                uint32_t fillColour, Surface& dest, std::string_view name) {
    const int64_t w = int64_t(source.width) + left + right, h = int64_t(source.height) + top + bottom;
    if (w < 1 || h < 1) return false;
    if (!newSurface(dest, w, h, name)) return false;
    const pixel::PixelSet& set = scenePixels();
    for (uint32_t y = 0; y < dest.height; ++y) set.kernels.pixelFill(dest.row(y), dest.stride(), fillColour);
    // The old picture's part that lands inside the new canvas.
    const int64_t x0 = std::max<int64_t>(0, left), x1 = std::min<int64_t>(w, left + int64_t(source.width));
    const int64_t y0 = std::max<int64_t>(0, top), y1 = std::min<int64_t>(h, top + int64_t(source.height));
    for (int64_t y = y0; x0 < x1 && y < y1; ++y) {
        set.kernels.copy(dest.row(uint32_t(y)) + size_t(x0) * 4, source.row(uint32_t(y - top)) + size_t(x0 - left) * 4,
                         size_t(x1 - x0) * 4);
    }
    dest.hasAlpha = true;
    return true;
}

int extendCanvas(ObjectNode& target, ObjectNode& source, int64_t left, int64_t top, int64_t right, int64_t bottom) {
    if (!target.layer || !source.layer || !hasPixels(source.layer->surface)) return 0;
    const Surface& from = source.layer->surface;
    if (int64_t(from.width) + left + right < 1 || int64_t(from.height) + top + bottom < 1)
        return showInvalidSizeMessage();
    Surface out;
    if (!extendInto(from, left, top, right, bottom, graphics().scene.draw.fillColour, out, target.name)) return -1;
    const bool grew = left > 0 || top > 0 || right > 0 || bottom > 0;
    target.layer->useSourceAlpha = grew || source.layer->useSourceAlpha;
    replaceSurface(target, std::move(out));
    return 0;
}

int cropLayer(ObjectNode& target, ObjectNode& source, const PixelRect& r) {
    if (!target.layer || !source.layer || r.empty() || !hasPixels(source.layer->surface)) return 0;
    const Surface& from = source.layer->surface;
    Surface out;
    if (!newSurface(out, r.width(), r.height(), target.name)) return -1;
    const pixel::PixelSet& set = scenePixels();
    for (uint32_t y = 0; y < out.height; ++y)
        set.kernels.copy(out.row(y), from.row(uint32_t(r.top) + y) + size_t(r.left) * 4, out.stride());
    out.hasAlpha = from.hasAlpha;
    target.layer->useSourceAlpha = source.layer->useSourceAlpha;
    replaceSurface(target, std::move(out));
    return 0;
}

void fillTransparent(Surface& s, const PixelRect& r, uint32_t colour) {
    for (int64_t y = r.top; y <= r.bottom; ++y) {
        uint8_t* p = s.row(uint32_t(y)) + size_t(r.left) * 4;
        for (int64_t x = r.left; x <= r.right; ++x, p += 4) {
            if (p[3] != 0) continue;
            p[0] = uint8_t(colour), p[1] = uint8_t(colour >> 8), p[2] = uint8_t(colour >> 16), p[3] = uint8_t(colour >> 24);
        }
    }
}

}  // namespace vr
