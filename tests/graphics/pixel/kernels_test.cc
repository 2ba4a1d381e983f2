#include <gtest/gtest.h>

#include <functional>

#include "graphics/pixel/pixel_set.h"
#include "pixel_test_support.h"

namespace vr::pixel {
namespace {

using test::GuardedSpan;
using Bytes = std::vector<uint8_t>;

const PixelKernelTable& plainKernels() { return pixelSetFor(PixelSetKind::Plain).kernels; }
const PixelKernelTable& modelKernels() { return pixelSetFor(PixelSetKind::SseModel).kernels; }

// One call of a kernel slot on (dst, src, aux) with the level `level`.
// aux is the mask of slot 7 and the second source of slot 8.
struct SlotCall {
    const char* name;
    std::function<void(const PixelKernelTable&, uint8_t*, const uint8_t*, const uint8_t*, const int32_t*, int,
                       size_t)>
        run;
    std::vector<int> levels;
};

std::vector<SlotCall> slotCalls() {
    const std::vector<int> none{0}, opacity{0, 1, 127, 128, 129, 255, 256}, factor{1, 128, 255, 256};
    using K = const PixelKernelTable&;
    using P = uint8_t*;
    using C = const uint8_t*;
    using R = const int32_t*;
    return {
        {"0 zero fill", [](K k, P d, C, C, R, int, size_t n) { k.zeroFill(d, n); }, none},
        {"1 byte fill", [](K k, P d, C, C, R, int v, size_t n) { k.byteFill(d, n, uint8_t(v)); }, {0, 129}},
        {"2 pixel fill", [](K k, P d, C, C, R, int, size_t n) { k.pixelFill(d, n, 0x80FF0102u); }, none},
        {"3 copy", [](K k, P d, C s, C, R, int, size_t n) { k.copy(d, s, n); }, none},
        {"4 normal, opacity", [](K k, P d, C s, C, R, int o, size_t n) { k.normalOpacity(d, s, o, n); }, opacity},
        {"5 normal, alpha", [](K k, P d, C s, C, R, int, size_t n) { k.normalSourceAlpha(d, s, n); }, none},
        {"6 normal, alpha and opacity",
         [](K k, P d, C s, C, R, int o, size_t n) { k.normalSourceAlphaOpacity(d, s, o, n); }, opacity},
        {"7 normal, mask", [](K k, P d, C s, C m, R r, int, size_t n) { k.normalMasked(d, s, m, r, 3, 4, n); }, none},
        {"8 cross-fade", [](K k, P d, C s, C b, R, int f, size_t n) { k.crossFade(d, s, b, f, n); }, factor},
        {"9 add", [](K k, P d, C s, C, R, int, size_t n) { k.add(d, s, n); }, none},
        {"10 add, opacity", [](K k, P d, C s, C, R, int o, size_t n) { k.addOpacity(d, s, o, n); }, opacity},
        {"11 subtract", [](K k, P d, C s, C, R, int, size_t n) { k.subtract(d, s, n); }, none},
        {"12 multiply", [](K k, P d, C s, C, R, int, size_t n) { k.multiply(d, s, n); }, none},
        {"13 screen", [](K k, P d, C s, C, R, int, size_t n) { k.screen(d, s, n); }, none},
        {"14 screen, opacity", [](K k, P d, C s, C, R, int o, size_t n) { k.screenOpacity(d, s, o, n); }, opacity},
        {"15 lighten", [](K k, P d, C s, C, R, int, size_t n) { k.lighten(d, s, n); }, none},
        {"16 darken", [](K k, P d, C s, C, R, int, size_t n) { k.darken(d, s, n); }, none},
        {"17 linear burn", [](K k, P d, C s, C, R, int, size_t n) { k.linearBurn(d, s, n); }, none},
        {"18 linear light", [](K k, P d, C s, C, R, int, size_t n) { k.linearLight(d, s, n); }, none},
        // Two source rows of 2 * out pixels fill the n bytes of src.
        {"19 box reduction",
         [](K k, P d, C s, C, R, int, size_t n) { k.boxReduce(d, s, 2 * (n / 16), n / 16); }, none},
        {"20 keep-alpha over", [](K k, P d, C s, C, R, int, size_t n) { k.keepAlphaOver(d, s, n); }, none},
        {"21 keep-alpha over, opacity",
         [](K k, P d, C s, C, R, int o, size_t n) { k.keepAlphaOverOpacity(d, s, o, n); }, opacity},
        {"22 keep-alpha over, scaled",
         [](K k, P d, C s, C, R, int g, size_t n) { k.keepAlphaOverScaled(d, s, g, n); }, factor},
        {"23 keep-alpha over, scaled, opacity",
         [](K k, P d, C s, C, R, int o, size_t n) { k.keepAlphaOverScaledOpacity(d, s, 200, o, n); }, opacity},
    };
}

TEST(PixelKernelsTest, VectorKernelsGiveTheSseModelsPixels) {
    bool ranAny = false;
    for (PixelSetKind kind : {PixelSetKind::Sse2, PixelSetKind::Avx2}) {
        const PixelSet& set = pixelSetFor(kind);
        if (set.kind != kind) continue;
        ranAny = true;
        std::mt19937 rng(42);
        for (const SlotCall& call : slotCalls()) {
            for (int level : call.levels) {
                for (size_t bytes : {4, 8, 12, 20, 36, 60, 100, 132, 260, 516, 1, 7, 9, 33, 67}) {
                    for (size_t offset : {0, 1, 4, 8, 12}) {
                        Bytes d0 = test::testPixels(rng, bytes);
                        GuardedSpan src(bytes, offset, false), aux(bytes, offset, false);
                        src.assign(test::testPixels(rng, bytes));
                        aux.assign(test::testMask(rng, bytes));
                        test::Ramp ramp = test::testRamp(rng, int(rng() % 3));
                        GuardedSpan want(bytes, offset), got(bytes, offset);
                        want.assign(d0);
                        got.assign(d0);
                        call.run(modelKernels(), want.data(), src.data(), aux.data(), ramp.data(), level, bytes);
                        call.run(set.kernels, got.data(), src.data(), aux.data(), ramp.data(), level, bytes);
                        ASSERT_EQ(got.contents(), want.contents()) << set.name << " slot " << call.name << " level "
                                                                   << level << " bytes " << bytes << " offset " << offset;
                        ASSERT_TRUE(got.guardsIntact()) << set.name << " slot " << call.name;
                    }
                }
            }
        }
    }
    if (!ranAny) GTEST_SKIP() << "no vector set on this processor";
}

// Sprites are long runs of opaque and of transparent pixels, which the
// vector sets blend by shortcuts over whole groups of vectors; a run that
// ends inside a group must still give the mixed result.
TEST(PixelKernelsTest, SourceAlphaShortcutsOverLongRunsGiveTheModelsPixels) {
    std::mt19937 rng(7);
    for (PixelSetKind kind : {PixelSetKind::Sse2, PixelSetKind::Avx2}) {
        const PixelSet& set = pixelSetFor(kind);
        if (set.kind != kind) continue;
        for (size_t run : {1, 7, 8, 15, 16, 17, 31, 64}) {
            Bytes src;
            while (src.size() < 4 * 300) {
                uint8_t alpha = std::array<uint8_t, 3>{0, 255, uint8_t(rng())}[rng() % 3];
                for (size_t p = 0; p < run; ++p) src.insert(src.end(), {uint8_t(rng()), uint8_t(rng()), uint8_t(rng()), alpha});
            }
            for (size_t start : {0, 4, 12}) {
                size_t bytes = src.size() - start - 4 * (run % 5);
                Bytes want = test::testPixels(rng, bytes), got = want;
                modelKernels().normalSourceAlpha(want.data(), src.data() + start, bytes);
                set.kernels.normalSourceAlpha(got.data(), src.data() + start, bytes);
                ASSERT_EQ(got, want) << set.name << " runs of " << run << " from byte " << start;
            }
        }
    }
}

Bytes repeat(std::initializer_list<uint8_t> pixel, size_t count) {
    Bytes out;
    for (size_t i = 0; i < count; ++i) out.insert(out.end(), pixel);
    return out;
}

// Plain slot 5: a pair moves all four bytes by ((s - d) >> 1) * a >> 7,
// saturated; a last single pixel takes the formula, colour only.
// s = 10, d = 201, a = 255: pair 201 + floor(-95.5 -> -96 * 255 / 128) =
// 201 - 192 = 9, alpha 201 + (27 * 255 >> 7) = 254; formula 201 - 191 = 10.
TEST(PixelKernelsTest, PlainSourceAlphaPairsRoundAndSaturateDifferently) {
    Bytes src = repeat({10, 10, 0, 255}, 3), dst = repeat({201, 201, 1, 201}, 3);
    plainKernels().normalSourceAlpha(dst.data(), src.data(), 12);
    // 1 + floor(floor(-0.5) * 255 / 128) = 1 - 2 saturates to 0.
    EXPECT_EQ(dst, (Bytes{9, 9, 0, 254, 9, 9, 0, 254, 10, 10, 0, 201}));

    // A single pixel is all tail, in both sets alike.
    Bytes one = {201, 201, 1, 201};
    plainKernels().normalSourceAlpha(one.data(), src.data(), 4);
    EXPECT_EQ(one, (Bytes{10, 10, 0, 201}));
    Bytes model = repeat({201, 201, 1, 201}, 3);
    modelKernels().normalSourceAlpha(model.data(), src.data(), 12);
    EXPECT_EQ(model, repeat({10, 10, 0, 201}, 3));
}

// Plain slot 7, s = 0, d = 255, m = 128: pair 255 - (255 * 128 >> 8) = 128;
// tail 255 + floor(-127.5) = 127.
TEST(PixelKernelsTest, PlainMaskedPairsRoundTowardTheDestination) {
    Bytes src = repeat({0, 0, 0, 0}, 3), dst = repeat({255, 255, 255, 255}, 3), mask = repeat({5, 0, 0, 0}, 3);
    test::Ramp ramp{};
    ramp[5] = 128;
    plainKernels().normalMasked(dst.data(), src.data(), mask.data(), ramp.data(), 0, 0, 12);
    EXPECT_EQ(dst, (Bytes{128, 128, 128, 255, 128, 128, 128, 255, 127, 127, 127, 255}));
}

// SSE slot 4 at opacity 128: aligned 8-byte steps take (s + d + 1) >> 1,
// the single bytes before and after take (128 * d + 128 * s) >> 8.
TEST(PixelKernelsTest, SseOpacityHalfRoundsOnlyInAlignedSteps) {
    for (PixelSetKind kind : test::availableKinds()) {
        if (kind == PixelSetKind::Plain) continue;
        const PixelSet& set = pixelSetFor(kind);
        GuardedSpan dst(16, 1), src(16, 1);
        dst.assign(Bytes(16, 255));
        src.assign(Bytes(16, 0));
        set.kernels.normalOpacity(dst.data(), src.data(), 128, 16);
        Bytes want(16, 127);
        for (size_t i = 7; i < 15; ++i) want[i] = 128;
        EXPECT_EQ(dst.contents(), want) << set.name;
    }
    Bytes dst(16, 255), src(16, 0);
    plainKernels().normalOpacity(dst.data(), src.data(), 128, 16);
    EXPECT_EQ(dst, Bytes(16, 127));
}

// Slot 10, s = 200, d = 100, o = 128: steps 100 + (200 * 128 >> 8) = 200;
// the tail moves toward min(255, 300): 100 + (155 * 128 >> 8) = 177.
TEST(PixelKernelsTest, AddWithOpacityStepsAndTailDiffer) {
    for (PixelSetKind kind : test::availableKinds()) {
        const PixelSet& set = pixelSetFor(kind);
        Bytes dst(9, 100), src(9, 200);
        set.kernels.addOpacity(dst.data(), src.data(), 128, 9);
        Bytes want(9, 200);
        want[8] = 177;
        EXPECT_EQ(dst, want) << set.name;
        Bytes tailOnly(4, 100);
        set.kernels.addOpacity(tailOnly.data(), src.data(), 128, 4);
        EXPECT_EQ(tailOnly, Bytes(4, 177)) << set.name;
    }
}

// Top row 0, 1; row below 1, 1: the plain sum gives 3 >> 2 = 0, the SSE
// rounded means avg(avg(0, 1), avg(1, 1)) = 1.  Stride 3 pixels.
TEST(PixelKernelsTest, BoxReductionSumsOrRoundsTwice) {
    Bytes src = {0, 255, 10, 20, 1, 255, 30, 40, 9, 9, 9, 9, 1, 255, 11, 21, 1, 255, 31, 41, 9, 9, 9, 9};
    Bytes plain(4), model(4);
    plainKernels().boxReduce(plain.data(), src.data(), 3, 1);
    modelKernels().boxReduce(model.data(), src.data(), 3, 1);
    EXPECT_EQ(plain, (Bytes{0, 255, 20, 30}));   // (10+30+11+31)/4 = 20.5, (20+40+21+41)/4 = 30.5
    EXPECT_EQ(model, (Bytes{1, 255, 21, 31}));   // avg(11, 31) = 21, avg(21, 41) = 31
}

TEST(PixelKernelsTest, FillsAndCrossFade) {
    for (PixelSetKind kind : test::availableKinds()) {
        const PixelSet& set = pixelSetFor(kind);
        GuardedSpan fill(42, 4);
        set.kernels.pixelFill(fill.data(), 42, 0x04030201u);
        Bytes want;
        for (size_t i = 0; i < 42; ++i) want.push_back(uint8_t(1 + i % 4));
        EXPECT_EQ(fill.contents(), want) << set.name;
        EXPECT_TRUE(fill.guardsIntact());
        // a + (((b - a) * f) >> 8): 100 + 50 at 128, b at 256, a at 1.
        Bytes a(12, 100), b(12, 200), out(12);
        for (auto [f, v] : {std::pair{128, 150}, {256, 200}, {1, 100}}) {
            set.kernels.crossFade(out.data(), a.data(), b.data(), f, 12);
            EXPECT_EQ(out, Bytes(12, uint8_t(v))) << set.name << " factor " << f;
        }
    }
}

// Alpha-keeping over, worked by hand:
//   sa 128 onto da 0: na = 128, R(128, 128) = 256, the colour becomes s;
//   sa 128 onto da 255: na = 255 + 128 - 128, R(255, 128) = 128: 100 + 50;
//   sa 0 onto da 0: na 0 and ratio row 0, the colour stays.
TEST(PixelKernelsTest, KeepAlphaOverHandValues) {
    for (PixelSetKind kind : test::availableKinds()) {
        const PixelKernelTable& k = pixelSetFor(kind).kernels;
        Bytes src = {200, 200, 200, 128, 200, 200, 200, 128, 200, 9, 200, 0};
        Bytes dst = {100, 100, 100, 0, 100, 100, 100, 255, 100, 50, 3, 0};
        k.keepAlphaOver(dst.data(), src.data(), 12);
        EXPECT_EQ(dst, (Bytes{200, 200, 200, 128, 150, 150, 150, 255, 100, 50, 3, 0}));

        // Opacity 128 on opaque: na 255, k = 256 * 128: 100 + 50.
        Bytes s2 = {200, 200, 200, 255}, d2 = {100, 100, 100, 255};
        k.keepAlphaOverOpacity(d2.data(), s2.data(), 128, 4);
        EXPECT_EQ(d2, (Bytes{150, 150, 150, 255}));

        // Scale 128 halves da 200 to 100; a transparent source leaves the
        // colour and stores the scaled alpha.
        Bytes s3 = {1, 2, 3, 0}, d3 = {40, 50, 60, 200};
        k.keepAlphaOverScaled(d3.data(), s3.data(), 128, 4);
        EXPECT_EQ(d3, (Bytes{40, 50, 60, 100}));
    }
}

// Opaque white at opacity 2 onto a transparent black pixel: na = 510 >> 8
// = 1, R(1, 255) * 2 = 130560 is twice 1.0; uncapped the colour would be
// 508, stored as 252.  Capped, it is the source colour.
TEST(PixelKernelsTest, KeepAlphaOverWithOpacityNeverOvershootsTheSource) {
    for (PixelSetKind kind : test::availableKinds()) {
        const PixelKernelTable& k = pixelSetFor(kind).kernels;
        Bytes src = {255, 255, 255, 255}, dst = {0, 0, 0, 0};
        k.keepAlphaOverOpacity(dst.data(), src.data(), 2, 4);
        EXPECT_EQ(dst, (Bytes{255, 255, 255, 1}));
        // Every result lies between the destination and the source.
        std::mt19937 rng(3);
        for (int round = 0; round < 200; ++round) {
            Bytes s = test::testPixels(rng, 64), d = test::testPixels(rng, 64), before = d;
            int o = int(rng() % 257), g = int(rng() % 257);
            k.keepAlphaOverScaledOpacity(d.data(), s.data(), g, o, 64);
            for (size_t i = 0; i < 64; ++i) {
                if (i % 4 == 3) continue;
                EXPECT_GE(d[i], std::min(s[i], before[i]));
                EXPECT_LE(d[i], std::max(s[i], before[i]));
            }
        }
    }
}

}  // namespace
}  // namespace vr::pixel
