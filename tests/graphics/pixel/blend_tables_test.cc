// The blend-mode and arithmetic tables against values worked out by hand
// from the formulas.
#include <gtest/gtest.h>

#include "graphics/pixel/blend_modes.h"
#include "graphics/pixel/lookup_tables.h"

namespace vr::pixel {
namespace {

struct ModeValue {
    int mode, s, d, want;
};

TEST(BlendTablesTest, HandComputedModeValues) {
    const ModeValue values[] = {
        {kBlendAdd, 200, 100, 255}, {kBlendAdd, 20, 30, 50},
        {kBlendSubtract, 200, 100, 100}, {kBlendSubtract, 100, 200, 0},
        {kBlendMultiply, 200, 100, 78},                                   // 20000 / 255 = 78.4
        {kBlendDivide, 100, 200, 127}, {kBlendDivide, 200, 100, 255},     // 25500 / 200; 510 capped
        {kBlendDivide, 1, 0, 255}, {kBlendDivide, 255, 0, 255}, {kBlendDivide, 0, 0, 0},
        {kBlendScreen, 200, 100, 222},                                    // 300 - 78
        {kBlendLighten, 200, 100, 200}, {kBlendDarken, 200, 100, 100},
        {kBlendDifference, 100, 200, 100},
        {kBlendExclusion, 200, 100, 144},                                 // 300 - 2 * 78
        {kBlendExclusion, 10, 13, 23},                                    // 2 * trunc(130 / 255) = 0
        {kBlendOverlay, 200, 100, 156},                                   // 40000 / 255
        {kBlendOverlay, 200, 128, 200},
        {kBlendOverlay, 100, 200, 186},                                   // 143 + 11200 / 255
        {kBlendColorDodge, 128, 100, 200},                                // 25600 / 128
        {kBlendColorDodge, 255, 1, 255}, {kBlendColorDodge, 255, 0, 0},   // min(255, 256 d)
        {kBlendColorBurn, 127, 191, 127},                                 // 255 - 256 * 64 / 128
        {kBlendColorBurn, 0, 254, 0}, {kBlendColorBurn, 0, 255, 255},
        {kBlendLinearBurn, 200, 100, 45}, {kBlendLinearBurn, 100, 100, 0},
        {kBlendHardLight, 100, 200, 156}, {kBlendHardLight, 200, 100, 186}, {kBlendHardLight, 128, 77, 77},
        // Soft light: s < 128, d = 100: v = trunc(16384 - 12.49) = 16371,
        // (-128 * 16371) >> 15 = -64, F = 36.
        {kBlendSoftLight, 0, 100, 36}, {kBlendSoftLight, 0, 0, 0},
        // s >= 128, d = 0: v = 16384 - 16 * 768 = 4096; 127 * 4096 >> 15 = 15.
        {kBlendSoftLight, 255, 0, 15},
        // d = 32: v = trunc(16384 - 14.9666 * 512) = 8721; 127 * 8721 >> 15 = 33.
        {kBlendSoftLight, 255, 32, 65},
        // d = 100 >= 33: v = 16371; 127 * 16371 >> 16 = 31.
        {kBlendSoftLight, 255, 100, 131}, {kBlendSoftLight, 128, 200, 200},
        {kBlendVividLight, 0, 200, 0}, {kBlendVividLight, 255, 0, 255},
        {kBlendVividLight, 64, 100, 0},                                   // trunc(-6885 / 128) < 0
        {kBlendVividLight, 100, 200, 184},                                // 36975 / 200
        {kBlendVividLight, 200, 100, 231},                                // 25500 / 110
        {kBlendVividLight, 128, 100, 100},                                // 25500 / 254
        {kBlendLinearLight, 200, 100, 244}, {kBlendLinearLight, 50, 100, 0}, {kBlendLinearLight, 255, 255, 255},
        {kBlendPinLight, 50, 200, 100}, {kBlendPinLight, 50, 80, 80},
        {kBlendPinLight, 200, 100, 145}, {kBlendPinLight, 200, 180, 180},
    };
    for (const ModeValue& v : values) {
        EXPECT_EQ(blendChannel(v.mode, uint8_t(v.s), uint8_t(v.d)), v.want)
            << "mode " << v.mode << " s " << v.s << " d " << v.d;
    }
}

TEST(BlendTablesTest, ArithmeticTables) {
    const LookupTables& t = lookupTables();
    EXPECT_EQ(t.saturatingSum[100], 100);
    EXPECT_EQ(t.saturatingSum[300], 255);
    EXPECT_EQ(t.clampedDifference[255 - 5], 0);
    EXPECT_EQ(t.clampedDifference[255 + 7], 7);
    // trunc, not floor: -10000 / 255 = -39.2 and -10000 / 256 = -39.06.
    EXPECT_EQ(signedProduct(t.signedProduct255, 100, -100), -39);
    EXPECT_EQ(signedProduct(t.signedProduct256, 100, -100), -39);
    EXPECT_EQ(signedProduct(t.signedProduct255, 256, 256), 257);
    EXPECT_EQ(signedProduct(t.signedProduct256, 256, -255), -255);
    EXPECT_EQ(t.product[200][100], 78);
    EXPECT_EQ(t.reciprocalRatio[128][64], 128);
    EXPECT_EQ(t.reciprocalRatio[3][1], 85);
    EXPECT_EQ(t.reciprocalRatio[1][255], 65280);
    for (int k = 0; k < 256; ++k) EXPECT_EQ(t.reciprocalRatio[0][k], 0);
}

}  // namespace
}  // namespace vr::pixel
