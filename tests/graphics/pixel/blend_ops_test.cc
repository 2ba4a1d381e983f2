#include <gtest/gtest.h>

#include "graphics/pixel/pixel_set.h"
#include "pixel_test_support.h"

namespace vr::pixel {
namespace {

using test::GuardedSpan;

struct OpCase {
    int group, mode, variant, opacity;
};

std::string describe(const PixelSet& set, const OpCase& c, size_t bytes, size_t offset) {
    return std::string(set.name) + " group " + std::to_string(c.group) + " mode " + std::to_string(c.mode) +
           " variant " + std::to_string(c.variant) + " opacity " + std::to_string(c.opacity) + " bytes " +
           std::to_string(bytes) + " offset " + std::to_string(offset);
}

void runOp(const PixelSet& set, const OpCase& c, uint8_t* dst, const uint8_t* src, const uint8_t* mask,
           const int32_t* ramp, size_t bytes) {
    const BlendOpTable& t = set.ops;
    switch (c.group) {
    case 0: t.plain[c.mode][c.variant](dst, src, c.opacity, bytes); break;
    case 1: t.sourceAlpha[c.mode][c.variant](dst, src, c.opacity, bytes); break;
    case 2: t.masked[c.mode][c.variant](dst, src, mask, ramp, 128, 16, bytes); break;
    default: t.maskedSourceAlpha[c.mode][c.variant](dst, src, mask, ramp, 128, 16, bytes); break;
    }
}

// Entries whose 8-byte steps round differently from the operator formula;
// their own tests (kernels_test.cc) pin down what they do instead.
bool stepsDifferFromFormula(PixelSetKind kind, const OpCase& c) {
    if (c.group == 0 && c.mode == kBlendAdd && c.variant == 0) return true;  // slot 10, every set
    if (kind == PixelSetKind::Plain) {
        return c.mode == kBlendNormal && c.variant == 1 && (c.group == 1 || c.group == 2);  // slots 5, 7
    }
    return c.group == 0 && c.mode == kBlendNormal && c.variant == 0 && c.opacity == 128;  // slot 4
}

std::vector<OpCase> allOpCases() {
    std::vector<OpCase> cases;
    for (int group = 0; group < kBlendGroupCount; ++group) {
        for (int mode = 0; mode < kBlendModeCount; ++mode) {
            for (int variant = 0; variant < 2; ++variant) {
                if (variant == 1) {
                    cases.push_back({group, mode, 1, 256});
                    continue;
                }
                for (int o : {0, 1, 127, 128, 129, 255}) cases.push_back({group, mode, 0, o});
            }
        }
    }
    return cases;
}

// Span lengths and start offsets: single pixels, odd lengths, partial
// vectors, a trailing partial pixel, starts off the vector alignment (by a
// single byte where the operator works on bytes).
struct SpanShape {
    size_t bytes, offset;
};

std::vector<SpanShape> spanShapes(int group) {
    std::vector<SpanShape> shapes;
    for (size_t pixels : {1, 2, 3, 5, 8, 13, 37}) {
        for (size_t offset : {0, 4}) shapes.push_back({pixels * 4, offset});
    }
    shapes.push_back({4 * 11 + 2, 4});
    if (group == 0) {
        for (size_t bytes : {1, 7, 9, 31, 33, 67}) shapes.push_back({bytes, 1});
    }
    return shapes;
}

// Runs one operator of one set over every span shape on test pixels and
// compares with `expect`, which computes the wanted dst in place.
template <class Expect>
void checkOp(const PixelSet& set, const OpCase& c, uint32_t seed, Expect expect) {
    std::mt19937 rng(seed);
    for (const SpanShape& shape : spanShapes(c.group)) {
        GuardedSpan dst(shape.bytes, shape.offset);
        GuardedSpan src(shape.bytes, shape.offset, false), mask(shape.bytes, shape.offset, false);
        std::vector<uint8_t> d0 = test::testPixels(rng, shape.bytes);
        src.assign(test::testPixels(rng, shape.bytes));
        mask.assign(test::testMask(rng, shape.bytes));
        test::Ramp ramp = test::testRamp(rng, int(rng() % 3));
        std::vector<uint8_t> want = d0;
        expect(want.data(), src.data(), mask.data(), ramp.data(), shape.bytes);
        dst.assign(d0);
        runOp(set, c, dst.data(), src.data(), mask.data(), ramp.data(), shape.bytes);
        ASSERT_EQ(dst.contents(), want) << describe(set, c, shape.bytes, shape.offset) << " seed " << seed;
        ASSERT_TRUE(dst.guardsIntact() && src.guardsIntact() && mask.guardsIntact())
            << describe(set, c, shape.bytes, shape.offset);
    }
}

TEST(BlendOpsTest, EveryOperatorOfEverySetFollowsItsFormula) {
    uint32_t seed = 1000;
    for (PixelSetKind kind : test::availableKinds()) {
        const PixelSet& set = pixelSetFor(kind);
        for (const OpCase& c : allOpCases()) {
            ++seed;
            if (stepsDifferFromFormula(kind, c)) continue;
            checkOp(set, c, seed, [&](uint8_t* d, const uint8_t* s, const uint8_t* m, const int32_t* r, size_t n) {
                test::referenceOp(c.group, c.variant, c.mode, d, s, m, r, c.opacity, n);
            });
            if (HasFatalFailure()) return;
        }
    }
}

TEST(BlendOpsTest, VectorSetsGiveTheSseModelsPixelsEverywhere) {
    const PixelSet& model = pixelSetFor(PixelSetKind::SseModel);
    bool ranAny = false;
    for (PixelSetKind kind : {PixelSetKind::Sse2, PixelSetKind::Avx2}) {
        const PixelSet& set = pixelSetFor(kind);
        if (set.kind != kind) continue;
        ranAny = true;
        uint32_t seed = 5000;
        for (const OpCase& c : allOpCases()) {
            checkOp(set, c, ++seed, [&](uint8_t* d, const uint8_t* s, const uint8_t* m, const int32_t* r, size_t n) {
                // The expected row must start at the same alignment as the
                // tested one, which slot 4 depends on.
                GuardedSpan copy(n, reinterpret_cast<uintptr_t>(s) % GuardedSpan::kGuard);
                std::memcpy(copy.data(), d, n);
                runOp(model, c, copy.data(), s, m, r, n);
                std::memcpy(d, copy.data(), n);
            });
            if (HasFatalFailure()) return;
        }
    }
    if (!ranAny) GTEST_SKIP() << "no vector set on this processor";
}

TEST(BlendOpsTest, VariantFollowsOpacityAndFullOpacityIsNotFactor255) {
    for (PixelSetKind kind : test::availableKinds()) {
        const PixelSet& set = pixelSetFor(kind);
        EXPECT_EQ(set.plainOp(kBlendScreen, 256), set.ops.plain[kBlendScreen][1]);
        EXPECT_EQ(set.plainOp(kBlendScreen, 255), set.ops.plain[kBlendScreen][0]);
        EXPECT_EQ(set.maskedSourceAlphaOp(kBlendNormal, 256), set.ops.maskedSourceAlpha[kBlendNormal][0]);
        // 255 still blends: 0 + ((255 * 255) >> 8) = 254.
        uint8_t dst[4] = {0, 0, 0, 0}, src[4] = {255, 255, 255, 255};
        set.plainOp(kBlendNormal, 255)(dst, src, 255, 4);
        EXPECT_EQ(dst[0], 254) << set.name;
        set.plainOp(kBlendNormal, 256)(dst, src, 256, 4);
        EXPECT_EQ(dst[0], 255) << set.name;
    }
}

TEST(BlendOpsTest, RampEntriesZeroAndOneLeaveEveryPixelAlone) {
    std::mt19937 rng(7);
    std::vector<uint8_t> d0 = test::testPixels(rng, 4 * 41), src = test::testPixels(rng, 4 * 41);
    std::vector<uint8_t> mask = test::testMask(rng, 4 * 41);
    for (int entry : {0, 1}) {
        test::Ramp ramp;
        ramp.fill(entry);
        for (PixelSetKind kind : test::availableKinds()) {
            const PixelSet& set = pixelSetFor(kind);
            for (int mode = 0; mode < kBlendModeCount; ++mode) {
                for (int variant = 0; variant < 2; ++variant) {
                    std::vector<uint8_t> d = d0;
                    set.ops.masked[mode][variant](d.data(), src.data(), mask.data(), ramp.data(), 0, 0, d.size());
                    set.ops.maskedSourceAlpha[mode][variant](d.data(), src.data(), mask.data(), ramp.data(), 0, 0,
                                                             d.size());
                    EXPECT_EQ(d, d0) << set.name << " mode " << mode << " entry " << entry;
                }
            }
        }
    }
}

// Values worked out by hand from the operator formulas.
TEST(BlendOpsTest, HandComputedOperatorResults) {
    const PixelSet& set = pixelSetFor(PixelSetKind::SseModel);
    auto one = [](uint8_t s0, uint8_t d0, uint8_t a) {
        return std::pair<std::array<uint8_t, 4>, std::array<uint8_t, 4>>{{s0, s0, s0, a}, {d0, d0, d0, 77}};
    };
    {  // group 0, opacity 100: 100 + ((100 * 100) >> 8) = 139, the alpha byte too.
        auto [s, d] = one(200, 100, 200);
        set.ops.plain[kBlendNormal][0](d.data(), s.data(), 100, 4);
        EXPECT_EQ(d, (std::array<uint8_t, 4>{139, 139, 139, 125}));  // 77 + ((123 * 100) >> 8) = 77 + 48
    }
    {  // difference truncates toward zero: 200 + trunc(100 * -100 / 256) = 200 - 39.
        auto [s, d] = one(100, 200, 100);
        set.ops.plain[kBlendDifference][0](d.data(), s.data(), 100, 4);
        EXPECT_EQ(d[0], 161);
    }
    {  // group 1, alpha 127: factor 128, 100 + 50; alpha byte kept.
        auto [s, d] = one(200, 100, 127);
        set.ops.sourceAlpha[kBlendNormal][1](d.data(), s.data(), 256, 4);
        EXPECT_EQ(d, (std::array<uint8_t, 4>{150, 150, 150, 77}));
    }
    {  // group 1 at opacity 128, alpha 255: factor (128 * 256) >> 8 = 128.
        auto [s, d] = one(200, 100, 255);
        set.ops.sourceAlpha[kBlendMultiply][0](d.data(), s.data(), 128, 4);
        // F = trunc(200 * 100 / 255) = 78; 100 + ((-22 * 128) >> 8) = 89.
        EXPECT_EQ(d[0], 89);
    }
    {  // group 3: factor 256 * 128 = 32768 of 65536; 200 - 50.
        auto [s, d] = one(100, 200, 127);
        uint8_t mask[4] = {9, 0, 0, 0};
        test::Ramp ramp{};
        ramp[9] = 256;
        set.ops.maskedSourceAlpha[kBlendNormal][0](d.data(), s.data(), mask, ramp.data(), 0, 0, 4);
        EXPECT_EQ(d, (std::array<uint8_t, 4>{150, 150, 150, 77}));
    }
}

}  // namespace
}  // namespace vr::pixel
