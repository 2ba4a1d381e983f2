// Random drawing operations with random arguments on three small layers:
// resampling by every method (and unknown ones), rotation, canvas changes,
// filters, layer-onto-layer drawing and swaps, with rectangles reaching
// past the pictures and sizes below 1.  After each operation every layer
// must still hold its whole picture; the sanitizers watch every read and
// write of the kernels.

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "graphics/draw/canvas.h"
#include "graphics/draw/colour_filters.h"
#include "graphics/draw/layer_ops.h"
#include "graphics/draw/resample.h"
#include "graphics/draw/rotate.h"
#include "graphics/draw/swap_objects.h"
#include "graphics/graphics.h"
#include "graphics/graphics_init.h"
#include "graphics/object_tree.h"
#include "graphics/pixel/pixel_set.h"
#include "platform/headless/headless.h"
#include "shell/engine.h"

namespace {

struct Bytes {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    uint8_t next() { return at < size ? data[at++] : 0; }
    int64_t in(int64_t lo, int64_t hi) { return lo + int64_t(next() | next() << 8) % (hi - lo + 1); }
};

uint32_t fixedDraw() { return 12345; }

const int kMethods[] = {10, 21, 31, 41, 42, 43, 44, 51, 0, 99};

void checkWhole(const vr::ObjectNode& n) {
    const vr::Surface& s = n.layer->surface;
    if (s.width < 1 || s.height < 1 || s.width > vr::kMaxImageSide || s.height > vr::kMaxImageSide) __builtin_trap();
    if (s.pixels.size() < vr::surfaceStorageBytes(s.width, s.height)) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vr::platform::HeadlessPlatform host{vr::platform::HeadlessOptions{}};
    vr::Engine e(host);
    vr::EngineBinding binding(e);
    Bytes in{data, size};
    vr::buildKernelTable();
    const vr::pixel::PixelSetKind kinds[] = {vr::pixel::PixelSetKind::Plain, vr::pixel::PixelSetKind::SseModel,
                                             vr::pixel::PixelSetKind::Sse2, vr::pixel::PixelSetKind::Avx2};
    e.graphics.scene.pixels = &vr::pixel::pixelSetFor(kinds[in.next() % 4]);
    if (!vr::createLayerNode("W0", 32, 32, 1)) return 0;
    vr::ObjectNode* nodes[3];
    const char* names[3] = {"W0/a", "W0/b", "W0/c"};
    for (int i = 0; i < 3; ++i) {
        nodes[i] = vr::createNode(names[i], false, 1 + i);
        if (!nodes[i] || !vr::attachNewLayer(*nodes[i])) return 0;
        vr::LayerRecord& l = *nodes[i]->layer;
        if (!vr::allocateLayerPixels(l, uint32_t(in.in(1, 24)), uint32_t(in.in(1, 24)), names[i])) return 0;
        for (size_t b = 0; b < size_t(l.width()) * l.height() * 4; ++b) l.pixels()[b] = in.next();
    }
    for (int op = 0; op < 24 && in.at < in.size; ++op) {
        vr::ObjectNode& source = *nodes[in.next() % 3];
        vr::ObjectNode& target = *nodes[in.next() % 3];
        const int64_t left = in.in(-40, 40), top = in.in(-40, 40), right = in.in(-40, 40), bottom = in.in(-40, 40);
        const int64_t value = in.in(-300, 300);
        vr::Surface& s = target.layer->surface;
        const vr::PixelRect r = vr::clampedRect(s, left, top, right, bottom);
        switch (in.next() % 20) {
        case 0:
            vr::resampleLayer(target, source, {left, top, right, bottom}, in.in(-2, 48), in.in(-2, 48),
                              kMethods[in.next() % 10]);
            break;
        case 1: vr::rotateLayer(target, source, value); break;
        case 2: vr::extendCanvas(target, source, left / 3, top / 3, right / 3, bottom / 3); break;
        case 3: vr::cropLayer(target, source, vr::clampedRect(source.layer->surface, left, top, right, bottom)); break;
        case 4: vr::saturationFilter(s, r, value); break;
        case 5: vr::colourBalanceFilter(s, r, value * 99991); break;
        case 6: vr::sepiaFilter(s, r, value); break;
        case 7: vr::brightnessFilter(s, r, value); break;
        case 8: vr::thresholdFilter(s, r, value); break;
        case 9: vr::flipRows(s, r), vr::mirrorColumns(s, r), vr::negativeFilter(s, r); break;
        case 10: vr::fillOpaque(s, r, value), vr::fillAlpha(s, r, value); break;
        case 11: vr::scatterFilter(s, r, value, &fixedDraw); break;
        case 12: vr::mosaicFilter(s, r, value); break;
        case 13: vr::blurFilter(s, r, value); break;
        case 14: vr::fillTransparent(s, r, uint32_t(value)); break;
        case 15:
        case 16: {
            const vr::ClipRecord clip =
                vr::clipShared(left, top, right, bottom, {&source.layer->surface, &target.layer->surface});
            if (clip.width > 0)
                vr::drawLayerOnto(source.layer->surface, target.layer->surface, clip, vr::LayerOp(in.next() % 6), value,
                                  in.in(-10, 300));
            break;
        }
        case 17: {
            vr::ObjectNode& third = *nodes[in.next() % 3];
            const vr::ClipRecord clip = vr::clipShared(left, top, right, bottom,
                                                       {&source.layer->surface, &target.layer->surface, &third.layer->surface});
            if (clip.width > 0)
                vr::crossFade(source.layer->surface, target.layer->surface, third.layer->surface, clip, value);
            break;
        }
        case 18: vr::swapObjects(source, target, vr::SwapMode(in.next() % 3)); break;
        default: {
            uint32_t w = 0, h = 0;
            vr::turnedSize(vr::turnOf(value), source.layer->width(), source.layer->height(), w, h);
            if (w > 64 || h > 64) break;
            vr::Surface out;
            out.width = w;
            out.height = h;
            out.pixels.assign(vr::surfaceStorageBytes(w, h), 0);
            vr::rotateInto(source.layer->surface, out, vr::turnOf(value));
        }
        }
        for (vr::ObjectNode* n : nodes) checkWhole(*n);
    }
    return 0;
}
