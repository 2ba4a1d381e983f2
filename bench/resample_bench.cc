// Resampling a picture by every method of the drawing command, with one
// and with two graphics workers, beside pixman's scaling of the same
// pixels where pixman has the filter: nearest, bilinear, and its separable
// convolution for the cubic, Lanczos and box kinds.  And the rotation of a
// 1280 x 720 layer by 30 degrees.
//
//   1920 x 1080 -> 1280 x 720   (a reduction by 1.5)
//   800 x 600 -> 1920 x 1080    (an enlargement by 2.4 and 1.8)
//
// Area average (44) takes whole factors and only reduces: its case is
// 1920 x 1080 -> 960 x 540.  pixman runs on one thread.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <random>
#include <string>
#include <vector>

#include "core/workers.h"
#include "graphics/draw/resample.h"
#include "graphics/draw/rotate.h"
#include "graphics/graphics.h"
#include "graphics/graphics_init.h"
#include "graphics/pixel/pixel_set.h"
#include "shell/engine.h"
#include "support/headless_engine.h"

namespace {

using namespace vr;

struct Case {
    const char* name;
    uint32_t fromW, fromH, toW, toH;
};
constexpr Case kDown{"1920x1080-1280x720", 1920, 1080, 1280, 720};
constexpr Case kUp{"800x600-1920x1080", 800, 600, 1920, 1080};
constexpr Case kHalf{"1920x1080-960x540", 1920, 1080, 960, 540};

// A photograph-like picture: smooth gradients with noise and edges.
Surface picture(uint32_t w, uint32_t h) {
    Surface s;
    s.width = w;
    s.height = h;
    s.pixels.assign(surfaceStorageBytes(w, h), 0);
    std::mt19937 rng(1);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            uint8_t* p = s.row(y) + x * 4;
            const uint32_t noise = rng();
            p[0] = uint8_t(x * 255 / w + (noise & 15));
            p[1] = uint8_t(y * 255 / h + (noise >> 8 & 15));
            p[2] = uint8_t(((x / 64 + y / 64) % 2) * 160 + (noise >> 16 & 31));
            p[3] = 255;
        }
    return s;
}

void engineResample(benchmark::State& state, Case c, int method) {
    test::HeadlessEngine h;
    Engine& e = h.e;
    buildKernelTable();
    e.core.workers.workerCount = int(state.range(0));
    createWorkerPool();
    const Surface from = picture(c.fromW, c.fromH);
    Surface to;
    to.width = c.toW;
    to.height = c.toH;
    to.pixels.assign(surfaceStorageBytes(c.toW, c.toH), 0);
    const SourceRect whole{0, 0, int64_t(c.fromW) - 1, int64_t(c.fromH) - 1};
    for (auto _ : state) {
        resampleInto(from, whole, to, method);
        benchmark::ClobberMemory();
    }
    stopWorkerPool();
    state.SetLabel(e.graphics.scene.pixels->name);
    state.SetItemsProcessed(state.iterations() * int64_t(c.toW) * c.toH);
}

enum class PixmanFilter { Nearest, Bilinear, Cubic, Lanczos, Box };

void pixmanScale(benchmark::State& state, Case c, PixmanFilter f) {
    Surface from = picture(c.fromW, c.fromH);
    std::vector<uint32_t> to(size_t(c.toW) * c.toH);
    pixman_image_t* src = pixman_image_create_bits(PIXMAN_a8r8g8b8, int(c.fromW), int(c.fromH),
                                                   reinterpret_cast<uint32_t*>(from.pixels.data()), int(c.fromW * 4));
    pixman_image_t* dst =
        pixman_image_create_bits(PIXMAN_a8r8g8b8, int(c.toW), int(c.toH), to.data(), int(c.toW * 4));
    const double sx = double(c.fromW) / c.toW, sy = double(c.fromH) / c.toH;
    pixman_transform_t t;
    pixman_transform_init_scale(&t, pixman_double_to_fixed(sx), pixman_double_to_fixed(sy));
    pixman_image_set_transform(src, &t);
    pixman_image_set_repeat(src, PIXMAN_REPEAT_PAD);
    pixman_fixed_t* params = nullptr;
    if (f == PixmanFilter::Nearest) {
        pixman_image_set_filter(src, PIXMAN_FILTER_NEAREST, nullptr, 0);
    } else if (f == PixmanFilter::Bilinear) {
        pixman_image_set_filter(src, PIXMAN_FILTER_BILINEAR, nullptr, 0);
    } else {
        const pixman_kernel_t kernel = f == PixmanFilter::Cubic     ? PIXMAN_KERNEL_CUBIC
                                       : f == PixmanFilter::Lanczos ? PIXMAN_KERNEL_LANCZOS3
                                                                    : PIXMAN_KERNEL_BOX;
        // Reduction: the reconstruction filter widened by a box of the
        // ratio; enlargement: the filter alone.
        const pixman_kernel_t sampleX = sx > 1 ? PIXMAN_KERNEL_BOX : PIXMAN_KERNEL_IMPULSE;
        const pixman_kernel_t sampleY = sy > 1 ? PIXMAN_KERNEL_BOX : PIXMAN_KERNEL_IMPULSE;
        int count = 0;
        params = pixman_filter_create_separable_convolution(&count, pixman_double_to_fixed(std::max(1.0, sx)),
                                                            pixman_double_to_fixed(std::max(1.0, sy)), kernel, kernel,
                                                            sampleX, sampleY, 4, 4);
        pixman_image_set_filter(src, PIXMAN_FILTER_SEPARABLE_CONVOLUTION, params, count);
    }
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_SRC, src, nullptr, dst, 0, 0, 0, 0, 0, 0, int(c.toW), int(c.toH));
        benchmark::ClobberMemory();
    }
    free(params);
    pixman_image_unref(src);
    pixman_image_unref(dst);
    state.SetItemsProcessed(state.iterations() * int64_t(c.toW) * c.toH);
}

void rotateHd(benchmark::State& state) {
    test::HeadlessEngine h;
    buildKernelTable();
    const Surface from = picture(1280, 720);
    Surface to = picture(1280, 720);
    const Turn t = turnOf(state.range(0));
    for (auto _ : state) {
        rotateInto(from, to, t);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 1280 * 720);
}

struct Method {
    int code;
    const char* name;
};
constexpr Method kMethods[] = {{10, "nearest"}, {21, "bilinear"}, {31, "bicubic"},  {41, "lanczos3"},
                               {42, "mitchell"}, {43, "box"},      {51, "bicubic51"}};

int registerAll() {
    for (const Case& c : {kDown, kUp}) {
        for (const Method& m : kMethods) {
            benchmark::RegisterBenchmark((std::string("resample/") + m.name + "/" + c.name).c_str(), engineResample, c,
                                         m.code)
                ->Arg(1)
                ->Arg(2)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
        }
        const std::pair<PixmanFilter, const char*> filters[] = {{PixmanFilter::Nearest, "nearest"},
                                                                {PixmanFilter::Bilinear, "bilinear"},
                                                                {PixmanFilter::Cubic, "cubic"},
                                                                {PixmanFilter::Lanczos, "lanczos3"},
                                                                {PixmanFilter::Box, "box"}};
        for (const auto& [f, name] : filters)
            benchmark::RegisterBenchmark((std::string("pixman/") + name + "/" + c.name).c_str(), pixmanScale, c, f)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
    }
    benchmark::RegisterBenchmark((std::string("resample/area/") + kHalf.name).c_str(), engineResample, kHalf, 44)
        ->Arg(1)
        ->Arg(2)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("rotate/1280x720", rotateHd)->Arg(30)->Arg(90)->Unit(benchmark::kMillisecond)->UseRealTime();
    return 0;
}

const int registered = registerAll();

}  // namespace
