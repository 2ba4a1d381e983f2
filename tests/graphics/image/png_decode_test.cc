#include <zlib.h>

#include <cmath>
#include <cstdlib>

#include "graphics/image/image_test_support.h"

namespace vr {
namespace {

struct PngDecodeTest : test::ImageTest {};

// A copy of a file with another size in its header (and the header's
// checksum made right again, so only the size is a lie).
std::vector<uint8_t> withSize(std::vector<uint8_t> file, uint32_t width, uint32_t height) {
    auto put = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) file[at + i] = uint8_t(v >> (24 - 8 * i));
    };
    put(16, width);
    put(20, height);
    put(29, uint32_t(crc32(0, file.data() + 12, 17)));
    return file;
}

TEST_F(PngDecodeTest, EveryColourTypeAndDepthDrawsLikeTheReferenceDecoder) {
    struct Case {
        const char* file;
        bool alpha;
    } cases[] = {
        {"grey1.png", false},       {"grey2.png", false},       {"grey4.png", false},    {"grey8.png", false},
        {"grey16.png", false},      {"palette1.png", false},    {"palette2.png", false}, {"palette4.png", false},
        {"palette8.png", false},    {"rgb8.png", false},        {"rgb16.png", false},    {"greyalpha8.png", true},
        {"greyalpha16.png", true},  {"rgba8.png", true},        {"rgba16.png", true},
        {"rgba8interlaced.png", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        ASSERT_EQ(decodeFile(c.file), 0);
        EXPECT_TRUE(test::matchesReference(surface, test::reference(c.file)));
        EXPECT_EQ(surface.hasAlpha, c.alpha);
    }
    EXPECT_TRUE(codes().empty());
}

TEST_F(PngDecodeTest, TransparencyChunksGiveAlphaBytesButNoAlphaMark) {
    for (const char* file : {"grey8trns.png", "rgb8trns.png", "palette4trns.png"}) {
        SCOPED_TRACE(file);
        ASSERT_EQ(decodeFile(file), 0);
        EXPECT_TRUE(test::matchesReference(surface, test::reference(file)));
        EXPECT_FALSE(surface.hasAlpha);
        EXPECT_EQ(test::pixelAt(surface, 0, 0) >> 24, 0u);  // the colour made transparent
    }
}

TEST_F(PngDecodeTest, AFileGammaIsCorrectedForTheScreenGamma) {
    // File gamma 1.0 on the 2.2 screen: v' = 255 (v / 255) ^ (1 / 2.2).
    for (const char* file : {"rgb8gamma.png", "rgba16gamma.png"}) {
        SCOPED_TRACE(file);
        ASSERT_EQ(decodeFile(file), 0);
        test::Reference r = test::reference(file);
        ASSERT_EQ(surface.width, r.width);
        ASSERT_EQ(surface.height, r.height);
        int changed = 0;
        for (uint32_t y = 0; y < r.height; ++y) {
            for (uint32_t x = 0; x < r.width; ++x) {
                const uint8_t* got = surface.row(y) + x * 4;
                const uint8_t* raw = r.rgba.data() + (y * r.width + x) * 4;
                for (int c = 0; c < 3; ++c) {
                    double want = 255 * std::pow(raw[2 - c] / 255.0, 1 / double(2.2f));
                    EXPECT_LE(std::abs(got[c] - want), 1.0) << x << "," << y << " channel " << c;
                    changed += got[c] != raw[2 - c];
                }
                EXPECT_EQ(got[3], raw[3]);
            }
        }
        EXPECT_GT(changed, 0);
    }
}

TEST_F(PngDecodeTest, SidesUpTo8192AreAcceptedAndLargerOnesRefused) {
    ASSERT_EQ(decodeFile("side8192.png"), 0);
    ASSERT_EQ(surface.width, 8192u);
    ASSERT_EQ(surface.height, 8192u);
    for (uint32_t y : {0u, 4095u, 8191u})
        for (uint32_t x : {0u, 8191u}) EXPECT_EQ(test::pixelAt(surface, x, y), 0xFF336699u);
    EXPECT_TRUE(refused(decodeFile("wide8193.png"), 100091));
    EXPECT_TRUE(refused(decodeFile("tall8193.png"), 100091));
    EXPECT_TRUE(refused(decode(withSize(test::readImageData("rgb8.png"), 9, 100000), FileType::Png), 100091));
}

TEST_F(PngDecodeTest, DataThatEndEarlyOrFallShortOfTheHeaderAreRefused) {
    const std::vector<uint8_t> good = test::readImageData("rgba8interlaced.png");
    for (size_t cut : {size_t(0), size_t(7), size_t(20), size_t(40), good.size() / 2, good.size() - 20}) {
        SCOPED_TRACE(cut);
        std::vector<uint8_t> part(good.begin(), good.begin() + cut);
        EXPECT_TRUE(refused(decode(part, FileType::Png), 100200));
    }
    // More rows, or a far larger picture, than the compressed data hold.
    EXPECT_TRUE(refused(decode(withSize(good, 11, 40), FileType::Png), 100200));
    EXPECT_TRUE(refused(decode(withSize(good, 8000, 8000), FileType::Png), 100200));
}

}  // namespace
}  // namespace vr
