// Blend operators of every pixel set over whole images, row by row as the
// compositor calls them, in pixels per second.  Beside them: memcpy of the
// same bytes (the memory floor) and pixman's OVER on the same pixels (the
// usual yardstick for normal blending by source alpha).
//
// Images: a sprite (opaque shapes with soft edges on a transparent field,
// as most layers are) and random alpha (no shortcut applies), at 1280x720
// and 400x600.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <array>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "graphics/pixel/pixel_set.h"

namespace {

using vr::pixel::PixelSet;
using vr::pixel::PixelSetKind;

struct Size {
    int width, height;
};
constexpr Size kHd{1280, 720};
constexpr Size kPortrait{400, 600};

enum class Alpha { Sprite, Random };

// Soft-edged discs on a transparent field: about half the pixels opaque,
// a third transparent, the rest edges.
std::vector<uint8_t> spritePixels(Size size) {
    std::mt19937 rng(1);
    struct Disc {
        double x, y, r;
    };
    std::vector<Disc> discs;
    for (int i = 0; i < 24; ++i) {
        discs.push_back({double(rng() % unsigned(size.width)), double(rng() % unsigned(size.height)),
                         40.0 + double(rng() % 160)});
    }
    std::vector<uint8_t> px(size_t(size.width) * size_t(size.height) * 4);
    for (int y = 0; y < size.height; ++y) {
        for (int x = 0; x < size.width; ++x) {
            double best = 0;
            for (const Disc& d : discs) {
                double edge = d.r - std::hypot(x - d.x, y - d.y);  // > 0 inside
                best = std::max(best, std::min(1.0, std::max(0.0, edge / 6.0)));
            }
            uint8_t* p = &px[(size_t(y) * size_t(size.width) + size_t(x)) * 4];
            p[0] = uint8_t(x), p[1] = uint8_t(y), p[2] = uint8_t(x ^ y), p[3] = uint8_t(best * 255);
        }
    }
    return px;
}

std::vector<uint8_t> randomPixels(Size size, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> px(size_t(size.width) * size_t(size.height) * 4);
    for (auto& b : px) b = uint8_t(rng());
    return px;
}

// Source, destination and mask of one image size, made once.
struct Images {
    Size size;
    std::vector<uint8_t> src, dst, mask;
    std::array<int32_t, 256> ramp{};

    Images(Size s, Alpha alpha) : size(s), dst(randomPixels(s, 2)), mask(randomPixels(s, 3)) {
        src = alpha == Alpha::Sprite ? spritePixels(s) : randomPixels(s, 4);
        for (size_t i = 3; i < dst.size(); i += 4) dst[i] = 255;
        // A mask transition midway: a third not yet shown, a soft band, a
        // third shown fully.
        for (int i = 0; i < 256; ++i) ramp[size_t(i)] = i < 85 ? 0 : i < 170 ? (i - 85) * 3 : 256;
        for (int y = 0; y < s.height; ++y) {
            for (int x = 0; x < s.width; ++x) mask[(size_t(y) * size_t(s.width) + size_t(x)) * 4] = uint8_t(x * 255 / s.width);
        }
    }
    size_t stride() const { return size_t(size.width) * 4; }
    size_t pixels() const { return size_t(size.width) * size_t(size.height); }
};

Images& images(Size size, Alpha alpha) {
    static Images hdSprite(kHd, Alpha::Sprite), hdRandom(kHd, Alpha::Random);
    static Images portraitSprite(kPortrait, Alpha::Sprite), portraitRandom(kPortrait, Alpha::Random);
    bool hd = size.width == kHd.width;
    if (alpha == Alpha::Sprite) return hd ? hdSprite : portraitSprite;
    return hd ? hdRandom : portraitRandom;
}

// items_per_second is then pixels per second (printed as M/s or G/s).
void countPixels(benchmark::State& state, size_t pixels) {
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(pixels));
}

// One blend operator over every row of the image.
void blendRows(benchmark::State& state, const PixelSet* set, int group, int mode, int opacity, Images* im) {
    size_t stride = im->stride();
    for (auto _ : state) {
        for (int y = 0; y < im->size.height; ++y) {
            size_t at = size_t(y) * stride;
            uint8_t* d = im->dst.data() + at;
            const uint8_t* s = im->src.data() + at;
            const uint8_t* m = im->mask.data() + at;
            switch (group) {
            case 0: set->plainOp(mode, opacity)(d, s, opacity, stride); break;
            case 1: set->sourceAlphaOp(mode, opacity)(d, s, opacity, stride); break;
            case 2: set->maskedOp(mode, opacity)(d, s, m, im->ramp.data(), 128, 64, stride); break;
            default: set->maskedSourceAlphaOp(mode, opacity)(d, s, m, im->ramp.data(), 128, 64, stride); break;
            }
        }
        benchmark::ClobberMemory();
    }
    countPixels(state, im->pixels());
}

void memcpyRows(benchmark::State& state, Images* im) {
    for (auto _ : state) {
        for (int y = 0; y < im->size.height; ++y) {
            size_t at = size_t(y) * im->stride();
            std::memcpy(im->dst.data() + at, im->src.data() + at, im->stride());
        }
        benchmark::ClobberMemory();
    }
    countPixels(state, im->pixels());
}

void pixmanOver(benchmark::State& state, pixman_format_code_t dstFormat, Images* im) {
    int w = im->size.width, h = im->size.height;
    pixman_image_t* src = pixman_image_create_bits(PIXMAN_a8r8g8b8, w, h, reinterpret_cast<uint32_t*>(im->src.data()),
                                                   int(im->stride()));
    pixman_image_t* dst = pixman_image_create_bits(dstFormat, w, h, reinterpret_cast<uint32_t*>(im->dst.data()),
                                                   int(im->stride()));
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_OVER, src, nullptr, dst, 0, 0, 0, 0, 0, 0, w, h);
        benchmark::ClobberMemory();
    }
    pixman_image_unref(src);
    pixman_image_unref(dst);
    countPixels(state, im->pixels());
}

const char* kModeNames[vr::pixel::kBlendModeCount] = {
    "normal", "add", "subtract", "multiply", "divide", "screen", "lighten", "darken", "difference", "exclusion",
    "overlay", "dodge", "burn", "linear-burn", "hard-light", "soft-light", "vivid-light", "linear-light", "pin-light"};

std::vector<const PixelSet*> benchSets() {
    std::vector<const PixelSet*> sets{&vr::pixel::pixelSetFor(PixelSetKind::Plain)};
    for (PixelSetKind kind : {PixelSetKind::Sse2, PixelSetKind::Avx2}) {
        const PixelSet& set = vr::pixel::pixelSetFor(kind);
        if (set.kind == kind) sets.push_back(&set);
    }
    return sets;
}

std::string sizeName(Size s) { return std::to_string(s.width) + "x" + std::to_string(s.height); }

bool registerAll() {
    const double quick = 0.2;  // seconds per benchmark in the mode sweep
    for (Size size : {kHd, kPortrait}) {
        std::string tail = "/" + sizeName(size);
        for (Alpha alpha : {Alpha::Sprite, Alpha::Random}) {
            std::string a = alpha == Alpha::Sprite ? "/sprite" : "/random-alpha";
            Images* im = &images(size, alpha);
            benchmark::RegisterBenchmark(("pixman-over/x8r8g8b8" + a + tail).c_str(), pixmanOver, PIXMAN_x8r8g8b8, im);
            benchmark::RegisterBenchmark(("pixman-over/a8r8g8b8" + a + tail).c_str(), pixmanOver, PIXMAN_a8r8g8b8, im);
            for (const PixelSet* set : benchSets()) {
                benchmark::RegisterBenchmark((std::string(set->name) + "/g1/normal/v1" + a + tail).c_str(), blendRows,
                                             set, 1, 0, 256, im);
            }
        }
        Images* im = &images(size, Alpha::Sprite);
        benchmark::RegisterBenchmark(("memcpy" + tail).c_str(), memcpyRows, im);
        if (size.width != kHd.width) continue;
        // Every group's normal mode, both variants, then every other mode of
        // groups 0 and 1.
        for (const PixelSet* set : benchSets()) {
            for (int group = 0; group < 4; ++group) {
                for (int mode = 0; mode < vr::pixel::kBlendModeCount; ++mode) {
                    if (mode != 0 && group > 1) continue;
                    for (int opacity : {256, 192}) {
                        std::string name = std::string(set->name) + "/g" + std::to_string(group) + "/" +
                                           kModeNames[mode] + (opacity == 256 ? "/v1" : "/v0") + tail;
                        auto* b = benchmark::RegisterBenchmark(name.c_str(), blendRows, set, group, mode, opacity, im);
                        if (mode != 0) b->MinTime(quick);
                    }
                }
            }
        }
    }
    return true;
}

const bool registered = registerAll();

}  // namespace
