// Resampling, pixel by pixel on small surfaces: the maps of nearest, the
// area average's kernels and sums, bilinear and bicubic against plain
// floating-point references, and the buffers of in-place resampling.
#include <cmath>

#include "draw_test_support.h"
#include "graphics/draw/filter_resample.h"
#include "graphics/draw/resample.h"
#include "graphics/draw/resample_rows.h"
#include "graphics/object_tree.h"

namespace vr {
namespace {

using test::at;
using test::surfaceOf;

struct Resample : test::DrawTest {};

Surface resampled(const Surface& src, SourceRect r, uint32_t w, uint32_t h, int method) {
    Surface out = surfaceOf(w, h);
    EXPECT_EQ(resampleInto(src, r, out, method), 0);
    return out;
}

TEST_F(Resample, NearestRepeatsSourcePixelsInTheAccumulatorsOrder) {
    // 3 -> 5: steps of 3 * 65536 / 5 = 39321 give columns 0, 0, 1, 1, 2.
    Surface src = surfaceOf(3, 1, {0xA, 0xB, 0xC});
    Surface out = resampled(src, {0, 0, 2, 0}, 5, 1, kResampleNearest);
    EXPECT_EQ(test::pixelsOf(out), (std::vector<uint32_t>{0xA, 0xA, 0xB, 0xB, 0xC}));
    // A rectangle reaching past the picture reads transparent there, and
    // never outside the buffer: columns -1, 0, 1, 2, 3 of a 3-wide picture.
    src.pixels[src.pixels.size() - 4] = 0xEE;  // the spare bytes after the picture
    out = resampled(src, {-1, 0, 3, 0}, 5, 1, kResampleNearest);
    EXPECT_EQ(test::pixelsOf(out), (std::vector<uint32_t>{0, 0xA, 0xB, 0xC, 0}));
}

TEST_F(Resample, AreaAverageUsesTheTwoByTwoKernelAndTrueSums) {
    std::mt19937 rng(7);
    Surface src = test::randomSurface(rng, 32, 32);
    // k = 2: each row is slot 19 of the kernel set in use.
    Surface two = resampled(src, {0, 0, 31, 31}, 16, 16, kResampleArea);
    Surface expected = surfaceOf(16, 16);
    for (uint32_t y = 0; y < 16; ++y)
        h.e.graphics.scene.pixels->kernels.boxReduce(expected.row(y), src.row(2 * y), 32, 16);
    EXPECT_EQ(test::pixelsOf(two), test::pixelsOf(expected));
    // k = 3 averages nine pixels; k = 16 sums 256 values of up to 255,
    // beyond 16 bits, and still gives the true mean.
    for (int k : {3, 16}) {
        Surface out = resampled(src, {0, 0, 31, 31}, uint32_t(32 / k), uint32_t(32 / k), kResampleArea);
        for (uint32_t y = 0; y < out.height; ++y)
            for (uint32_t x = 0; x < out.width; ++x)
                for (int c = 0; c < 4; ++c) {
                    uint32_t sum = 0;
                    for (int j = 0; j < k; ++j)
                        for (int i = 0; i < k; ++i) sum += test::channel(src, x * k + i, y * k + j, c);
                    ASSERT_EQ(test::channel(out, x, y, c), sum / uint32_t(k * k)) << k << " at " << x << "," << y;
                }
    }
    Surface white = surfaceOf(16, 16, std::vector<uint32_t>(256, 0xFFFFFFFF));
    EXPECT_EQ(at(resampled(white, {0, 0, 15, 15}, 1, 1, kResampleArea), 0, 0), 0xFFFFFFFFu);
    // Enlarging is no area average: refused, nothing written.
    Surface refused = surfaceOf(64, 1, std::vector<uint32_t>(64, 0x12345678));
    EXPECT_EQ(resampleInto(src, {0, 0, 31, 0}, refused, kResampleArea), -1);
    EXPECT_EQ(at(refused, 63, 0), 0x12345678u);
}

// The source coordinate of destination index i, as the maps make it.
double coordinate(int64_t i, int64_t span, int64_t size) { return double(((i * 65536) / size) * span >> 8) / 256; }

double cubic(double t, double a) {
    t = std::fabs(t);
    if (t <= 1) return (a + 2) * t * t * t - (a + 3) * t * t + 1;
    if (t <= 2) return a * t * t * t - 5 * a * t * t + 8 * a * t - 4 * a;
    return 0;
}

// Every pixel within `tolerance` of the floating-point filters, taps
// clamped at the picture's right and bottom edges; the spare row under the
// picture holds white, which must not show.
TEST_F(Resample, BilinearAndBicubicFollowTheirFilters) {
    std::mt19937 rng(11);
    Surface src = test::randomSurface(rng, 7, 5);
    std::fill(src.pixels.begin() + 7 * 5 * 4, src.pixels.end(), 0xFF);
    auto p = [&](int64_t x, int64_t y, int c) {
        return double(test::channel(src, uint32_t(std::clamp<int64_t>(x, 0, 6)), uint32_t(std::clamp<int64_t>(y, 0, 4)), c));
    };
    struct Case {
        int method;
        double tolerance;
    };
    for (Case m : {Case{kResampleBilinear, 1}, Case{kResampleBicubic, 2}, Case{kResampleBicubicSharp, 2}}) {
        for (auto [w, hgt] : {std::pair{17u, 11u}, std::pair{4u, 3u}}) {
            Surface out = resampled(src, {0, 0, 6, 4}, w, hgt, m.method);
            for (uint32_t y = 0; y < hgt; ++y)
                for (uint32_t x = 0; x < w; ++x)
                    for (int c = 0; c < 4; ++c) {
                        double sx = coordinate(x, 7, w), sy = coordinate(y, 5, hgt), want = 0;
                        int64_t ix = int64_t(sx), iy = int64_t(sy);
                        double fx = sx - ix, fy = sy - iy;
                        if (m.method == kResampleBilinear) {
                            want = (p(ix, iy, c) * (1 - fx) + p(ix + 1, iy, c) * fx) * (1 - fy) +
                                   (p(ix, iy + 1, c) * (1 - fx) + p(ix + 1, iy + 1, c) * fx) * fy;
                        } else {
                            double a = m.method == kResampleBicubic ? -1 : -0.5;
                            for (int j = -1; j <= 2; ++j)
                                for (int i = -1; i <= 2; ++i)
                                    want += cubic(i - fx, a) * cubic(j - fy, a) * p(ix + i, iy + j, c);
                            want = std::clamp(want, 0.0, 255.0);
                        }
                        ASSERT_NEAR(test::channel(out, x, y, c), want, m.tolerance)
                            << "method " << m.method << " " << w << "x" << hgt << " at " << x << "," << y;
                    }
        }
    }
}

// The filters of 41 to 43 keep a flat picture flat at any ratio (their
// weights sum to one), and a reduction by 16 of a fine checkerboard comes
// out grey: the filters widen with the ratio instead of picking pixels.
TEST_F(Resample, FurtherFiltersAreNormalisedAndWidenWhenReducing) {
    Surface flat = surfaceOf(40, 24, std::vector<uint32_t>(40 * 24, 0x80C04020));
    Surface checker = surfaceOf(64, 64);
    for (uint32_t y = 0; y < 64; ++y)
        for (uint32_t x = 0; x < 64; ++x) std::memset(checker.row(y) + x * 4, (x + y) % 2 ? 0xFF : 0, 4);
    for (int method : {kResampleLanczos, kResampleMitchell, kResampleBox}) {
        for (auto [w, hgt] : {std::pair{7u, 5u}, std::pair{97u, 61u}}) {
            Surface out = resampled(flat, {0, 0, 39, 23}, w, hgt, method);
            for (uint32_t v : test::pixelsOf(out)) ASSERT_EQ(v, 0x80C04020u) << method << " " << w;
        }
        Surface grey = resampled(checker, {0, 0, 63, 63}, 4, 4, method);
        for (uint32_t y = 0; y < 4; ++y)
            for (uint32_t x = 0; x < 4; ++x) EXPECT_NEAR(test::channel(grey, x, y, 1), 127.5, 4) << method;
    }
}

TEST_F(Resample, OptimisedBilinearRowsEqualThePlainOne) {
    std::mt19937 rng(5);
    for (auto kind : {pixel::PixelSetKind::Sse2, pixel::PixelSetKind::Avx2}) {
        if (pixel::pixelSetFor(kind).kind != kind) continue;
        BilinearRow row = bilinearRowFor(kind);
        for (int round = 0; round < 200; ++round) {
            const uint32_t w = 1 + rng() % 40;
            Surface src = test::randomSurface(rng, w, 2);
            for (uint32_t i = 0; i < 2 * w; ++i) src.pixels[size_t(i) * 4] = uint8_t(i % 2 ? 255 : 0);
            const int count = int(1 + rng() % 50), fy = int(rng() % 256);
            std::vector<int32_t> map(static_cast<size_t>(count));
            int32_t x = int32_t(rng() % (w * 256));
            for (int32_t& m : map) m = x = std::min<int32_t>(int32_t(w * 256 - 1), x + int32_t(rng() % 300));
            std::vector<uint8_t> want(size_t(count) * 4), got(size_t(count) * 4);
            bilinearRowPlain(want.data(), src.row(0), src.row(1), fy, map.data(), count, int32_t(w) - 1);
            row(got.data(), src.row(0), src.row(1), fy, map.data(), count, int32_t(w) - 1);
            ASSERT_EQ(got, want) << "seed 5, round " << round << ", " << pixel::pixelSetFor(kind).name;
        }
    }
}

// In place: the same size rewrites the same buffer, a sub-rectangle and the
// two workers read from a copy (each worker's rows would otherwise read
// rows the other has already written), and reuseBuffer keeps the buffer
// when the picture shrinks.
TEST_F(Resample, InPlaceResamplingKeepsOrReplacesTheBuffer) {
    startWorkers(2);
    createLayerNode("W0", 8, 8, 1);
    ObjectNode* node = createNode("W0/pic", false, 1);
    ASSERT_TRUE(node && attachNewLayer(*node) && allocateLayerPixels(*node->layer, 6, 40, "pic"));
    std::mt19937 rng(3);
    Surface original = test::randomSurface(rng, 6, 40);
    node->layer->surface.pixels = original.pixels;
    const uint8_t* buffer = node->layer->pixels();
    // Rows 10..49 of the 40: a vertical shift down that overlaps itself.
    ASSERT_EQ(resampleLayer(*node, *node, {0, 10, 5, 49}, 6, 40, kResampleNearest), 0);
    EXPECT_EQ(node->layer->pixels(), buffer);
    for (uint32_t y = 0; y < 40; ++y)
        for (uint32_t x = 0; x < 6; ++x) ASSERT_EQ(at(node->layer->surface, x, y), y < 30 ? at(original, x, y + 10) : 0u);
    node->layer->reuseBuffer = true;
    ASSERT_EQ(resampleLayer(*node, *node, {0, 0, 5, 39}, 3, 20, kResampleArea), 0);
    EXPECT_EQ(node->layer->pixels(), buffer);
    EXPECT_EQ(node->layer->width(), 3u);
    node->layer->reuseBuffer = false;
    ASSERT_EQ(resampleLayer(*node, *node, {0, 0, 2, 19}, 2, 10, kResampleBilinear), 0);
    EXPECT_NE(node->layer->pixels(), buffer);
    // Sizes it cannot make change nothing.
    const std::vector<uint8_t> before = node->layer->surface.pixels;
    EXPECT_EQ(resampleLayer(*node, *node, {0, 0, 1, 9}, 0, 5, kResampleNearest), 0);
    EXPECT_EQ(resampleLayer(*node, *node, {1, 0, 0, 9}, 4, 5, kResampleNearest), 0);
    EXPECT_EQ(resampleLayer(*node, *node, {0, 0, 1, 9}, 8193, 5, kResampleNearest), -1);
    EXPECT_EQ(node->layer->surface.pixels, before);
    EXPECT_EQ(sizeMessages(), 2u);
}

}  // namespace
}  // namespace vr
