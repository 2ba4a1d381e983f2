#include "graphics/draw/layer_ops.h"

#include <algorithm>

#include "graphics/compose.h"
#include "graphics/draw/draw_support.h"
#include "graphics/pixel/blend_modes.h"

namespace vr {

ClipRecord clipShared(int64_t left, int64_t top, int64_t right, int64_t bottom,
                      std::initializer_list<const Surface*> surfaces) {
    left = std::max<int64_t>(left, 0);
    top = std::max<int64_t>(top, 0);
    for (const Surface* s : surfaces) {
        if (!hasPixels(*s)) return {};
        right = std::min<int64_t>(right, int64_t(s->width) - 1);
        bottom = std::min<int64_t>(bottom, int64_t(s->height) - 1);
    }
    if (right < left || bottom < top) return {};
    return {left, top, left, top, right - left + 1, bottom - top + 1};
}

void drawLayerOnto(const Surface& source, Surface& dest, const ClipRecord& clip, LayerOp op, int64_t opacity,
                   int64_t alphaScale) {
    const pixel::PixelSet& set = scenePixels();
    const int32_t o = int32_t(std::clamp<int64_t>(opacity, 0, 256));
    const int32_t g = int32_t(std::clamp<int64_t>(alphaScale, 0, 256));
    const size_t bytes = size_t(clip.width) * 4;
    const pixel::BlendOp multiply = set.sourceAlphaOp(pixel::kBlendMultiply, o);
    const pixel::BlendOp screen = set.sourceAlphaOp(pixel::kBlendScreen, o);
    for (int64_t y = 0; y < clip.height; ++y) {
        uint8_t* d = dest.row(uint32_t(clip.destY + y)) + size_t(clip.destX) * 4;
        const uint8_t* s = source.row(uint32_t(clip.sourceY + y)) + size_t(clip.sourceX) * 4;
        switch (op) {
        case LayerOp::Over:
            if (o == 256) set.kernels.keepAlphaOver(d, s, bytes);
            else set.kernels.keepAlphaOverOpacity(d, s, o, bytes);
            break;
        case LayerOp::OverScaled:
            if (o == 256) set.kernels.keepAlphaOverScaled(d, s, g, bytes);
            else set.kernels.keepAlphaOverScaledOpacity(d, s, g, o, bytes);
            break;
        case LayerOp::Multiply: multiply(d, s, o, bytes); break;
        case LayerOp::Screen: screen(d, s, o, bytes); break;
        case LayerOp::Copy: set.kernels.copy(d, s, bytes); break;
        case LayerOp::CopyColour:
            for (size_t i = 0; i < bytes; i += 4) std::copy(s + i, s + i + 3, d + i);
            break;
        }
    }
}

void crossFade(const Surface& a, const Surface& b, Surface& dest, const ClipRecord& clip, int64_t value) {
    const pixel::PixelSet& set = scenePixels();
    const int32_t factor = int32_t(std::clamp<int64_t>(value, 0, 255)) + 1;
    const size_t bytes = size_t(clip.width) * 4;
    for (int64_t y = 0; y < clip.height; ++y) {
        const size_t at = size_t(clip.sourceX) * 4;
        set.kernels.crossFade(dest.row(uint32_t(clip.destY + y)) + at, a.row(uint32_t(clip.sourceY + y)) + at,
                              b.row(uint32_t(clip.sourceY + y)) + at, factor, bytes);
    }
}

}  // namespace vr
