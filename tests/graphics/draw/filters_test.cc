// The filters on known pixels, rotation's exact and stepped paths, and the
// canvas changes' refusals.
#include "draw_test_support.h"
#include "graphics/draw/canvas.h"
#include "graphics/draw/colour_filters.h"
#include "graphics/draw/rotate.h"

namespace vr {
namespace {

using test::at;
using test::surfaceOf;

struct Filters : test::DrawTest {};

PixelRect whole(const Surface& s) { return {0, 0, int64_t(s.width) - 1, int64_t(s.height) - 1}; }

TEST_F(Filters, SepiaThresholdAndMosaicOnKnownPixels) {
    // (b, g, r) = (10, 20, 30): S = 22370 * 1024; blue below 0, green 21, red 39.
    Surface s = surfaceOf(3, 1, {0x401E140A, 0x80FFFFFF, 0xFF000000});
    sepiaFilter(s, whole(s), 256);
    EXPECT_EQ(at(s, 0, 0), 0x40271500u);
    EXPECT_EQ(at(s, 1, 0), 0x80FFFED2u) << "white tones to (210, 254, 255)";
    EXPECT_EQ(at(s, 2, 0), 0xFF110000u) << "black keeps the red offset, 18748416 >> 20";

    Surface t = surfaceOf(3, 1, {0x11636464, 0x22646464, 0x33FFFFFF});  // sums 299, 300, 765
    thresholdFilter(t, whole(t), 100);
    EXPECT_EQ(test::pixelsOf(t), (std::vector<uint32_t>{0x11000000, 0x22FFFFFF, 0x33FFFFFF}));

    // 5 x 3, blocks of 2 on the grid through ((4 + 1) / 2, (2 + 1) / 2) =
    // (2, 1): columns {0, 1}, {2, 3}, {4}; rows {0}, {1, 2}.
    Surface m = surfaceOf(5, 3);
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 5; ++x) m.row(y)[x * 4] = uint8_t(10 * (x + 1) + 100 * y), m.row(y)[x * 4 + 3] = uint8_t(x);
    mosaicFilter(m, whole(m), 2);
    const uint8_t want[3][5] = {{15, 15, 35, 35, 50}, {165, 165, 185, 185, 200}, {165, 165, 185, 185, 200}};
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 5; ++x) {
            EXPECT_EQ(test::channel(m, x, y, 0), want[y][x]) << x << "," << y;
            EXPECT_EQ(test::channel(m, x, y, 3), x) << "alpha is kept";
        }
}

// Draws of a fixed MT19937, as the engine's generator gives them.
std::mt19937 fixedDraws;
uint32_t nextDraw() { return uint32_t(fixedDraws()); }

TEST_F(Filters, ScatterRearrangesBlocksByTheDrawnOrder) {
    // Two passes over 3 x 3: the first cuts its block at the top left, the
    // second from the opposite corner, at the bottom right.
    Surface s = surfaceOf(3, 3, {0xFF000001, 0xFE000002, 0xFD000003, 0xFC000004, 0xFB000005, 0xFA000006, 0xF9000007,
                                 0xF8000008, 0xF7000009});
    fixedDraws.seed(2024);
    scatterFilter(s, whole(s), 4, &nextDraw);
    std::mt19937 draws(2024);
    const uint32_t first = uint32_t(draws() % 24), second = uint32_t(draws() % 24);
    // Entry k: for the block positions 0..3, the position whose colour moves there.
    const int orders[24][4] = {{3, 2, 1, 0}, {2, 3, 1, 0}, {3, 1, 2, 0}, {1, 3, 2, 0}, {2, 1, 3, 0}, {1, 2, 3, 0},
                               {3, 2, 0, 1}, {2, 3, 0, 1}, {3, 0, 2, 1}, {0, 3, 2, 1}, {2, 0, 3, 1}, {0, 2, 3, 1},
                               {3, 1, 0, 2}, {1, 3, 0, 2}, {3, 0, 1, 2}, {0, 3, 1, 2}, {1, 0, 3, 2}, {0, 1, 3, 2},
                               {2, 1, 0, 3}, {1, 2, 0, 3}, {2, 0, 1, 3}, {0, 2, 1, 3}, {1, 0, 2, 3}, {0, 1, 2, 3}};
    uint32_t colour[9];
    for (uint32_t i = 0; i < 9; ++i) colour[i] = i + 1;
    auto shuffle = [&](int x, int y, uint32_t k) {
        const int cell[4] = {y * 3 + x, y * 3 + x + 1, (y + 1) * 3 + x, (y + 1) * 3 + x + 1};
        uint32_t old[4];
        for (int p = 0; p < 4; ++p) old[p] = colour[cell[p]];
        for (int p = 0; p < 4; ++p) colour[cell[p]] = old[orders[k][p]];
    };
    shuffle(0, 0, first);
    shuffle(1, 1, second);
    for (uint32_t i = 0; i < 9; ++i) {
        EXPECT_EQ(at(s, i % 3, i / 3) & 0xFFFFFF, colour[i]) << i;
        EXPECT_EQ(at(s, i % 3, i / 3) >> 24, 0xFF - i) << "alpha stays in place";
    }
}

TEST_F(Filters, RotationIsExactAtRightAnglesAndWholeTurns) {
    std::mt19937 rng(9);
    Surface src = test::randomSurface(rng, 5, 3);
    for (int64_t degrees : {0, 360, -720}) {
        Surface out = surfaceOf(5, 3);
        rotateInto(src, out, turnOf(degrees));
        EXPECT_EQ(test::pixelsOf(out), test::pixelsOf(src)) << degrees;
    }
    // 90 degrees clockwise into the turned box: (x, y) reads the source at
    // (y, height - 1 - x).
    uint32_t w = 0, hgt = 0;
    turnedSize(turnOf(90), 5, 3, w, hgt);
    ASSERT_EQ(w, 3u);
    ASSERT_EQ(hgt, 5u);
    Surface turned = surfaceOf(3, 5);
    rotateInto(src, turned, turnOf(-270));
    for (uint32_t y = 0; y < 5; ++y)
        for (uint32_t x = 0; x < 3; ++x) EXPECT_EQ(at(turned, x, y), at(src, y, 2 - x)) << x << "," << y;
    // Stepped angles: corners outside the turned picture are transparent and
    // every other pixel is one of the source's.
    Surface big = test::randomSurface(rng, 40, 30);
    for (size_t i = 3; i < big.pixels.size(); i += 4) big.pixels[i] = 0xFF;
    Surface out = surfaceOf(40, 30);
    EXPECT_TRUE(rotateInto(big, out, turnOf(30)));
    EXPECT_EQ(at(out, 0, 0), 0u);
    const std::vector<uint32_t> all = test::pixelsOf(big);
    for (uint32_t v : test::pixelsOf(out)) ASSERT_TRUE(v == 0 || std::find(all.begin(), all.end(), v) != all.end());
    // Onto a canvas far taller than the turned picture: rows that miss it
    // entirely are cleared and nothing else is touched.
    Surface tall = surfaceOf(3, 60);
    std::fill(tall.pixels.begin(), tall.pixels.end(), 0x77);
    EXPECT_TRUE(rotateInto(big, tall, turnOf(30)));
    EXPECT_EQ(at(tall, 0, 0), 0u);
    EXPECT_EQ(tall.pixels.back(), 0x77) << "the spare bytes after the picture";
}

TEST_F(Filters, CanvasChangesRefuseWhatTheyCannotHold) {
    Surface src = surfaceOf(3, 2, {1, 2, 3, 4, 5, 6});
    Surface out;
    ASSERT_TRUE(extendInto(src, 1, 0, -2, -1, 0xAA000000, out, "x"));
    EXPECT_EQ(test::pixelsOf(out), (std::vector<uint32_t>{0xAA000000, 1}));
    EXPECT_FALSE(extendInto(src, -2, 0, -1, 0, 0, out, "x")) << "margins that eat the whole width";
    EXPECT_FALSE(extendInto(src, 0, -5, 0, 0, 0, out, "x"));
    EXPECT_EQ(test::pixelsOf(out), (std::vector<uint32_t>{0xAA000000, 1})) << "a refused extension writes nothing";

    // Clamped rectangles stay inside; a reversed one is empty and filters
    // leave everything alone.
    PixelRect r = clampedRect(src, -4, 1, 99, 7);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.right, 2);
    EXPECT_EQ(r.bottom, 1);
    PixelRect reversed = clampedRect(src, 2, 0, 1, 1);
    EXPECT_TRUE(reversed.empty());
    negativeFilter(src, reversed);
    mosaicFilter(src, reversed, 4);
    flipRows(src, reversed);
    EXPECT_EQ(test::pixelsOf(src), (std::vector<uint32_t>{1, 2, 3, 4, 5, 6}));
}

}  // namespace
}  // namespace vr
