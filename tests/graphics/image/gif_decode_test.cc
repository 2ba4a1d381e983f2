#include <algorithm>

#include "graphics/image/gif_lzw.h"
#include "graphics/image/image_test_support.h"

namespace vr {
namespace {

struct GifDecodeTest : test::ImageTest {};

// The colour a frame's index stands for, as 0xAARRGGBB with its alpha.
uint32_t frameColour(const GifFrame& f, uint32_t x, uint32_t y) {
    uint8_t index = f.indices[size_t(y) * f.width + x];
    const uint8_t* rgb = f.palette.data() + index * 3;
    uint32_t alpha = f.transparent && index == f.transparentIndex ? 0 : 255;
    return uint32_t(rgb[2]) | uint32_t(rgb[1]) << 8 | uint32_t(rgb[0]) << 16 | alpha << 24;
}

void expectFrameMatches(const GifFrame& f, const test::Reference& r) {
    EXPECT_EQ(f.left, r.left);
    EXPECT_EQ(f.top, r.top);
    ASSERT_EQ(uint32_t(f.width), r.width);
    ASSERT_EQ(uint32_t(f.height), r.height);
    EXPECT_EQ(f.delay, r.delay);
    ASSERT_EQ(f.indices.size(), r.rgba.size() / 4);
    int differences = 0;
    for (uint32_t y = 0; y < r.height; ++y)
        for (uint32_t x = 0; x < r.width; ++x) differences += frameColour(f, x, y) != test::referenceAt(r, x, y);
    EXPECT_EQ(differences, 0);
}

// Where a block starts: the n-th occurrence of a byte pattern.
size_t find(const std::vector<uint8_t>& file, std::vector<uint8_t> pattern, int n = 0) {
    auto at = file.begin();
    for (;; ++at) {
        at = std::search(at, file.end(), pattern.begin(), pattern.end());
        if (at == file.end() || n-- == 0) break;
    }
    EXPECT_NE(at, file.end());
    return size_t(at - file.begin());
}

TEST_F(GifDecodeTest, AnAnimationKeepsEveryFrameAndShowsTheFirst) {
    ASSERT_EQ(decodeFile("animated.gif"), 0);
    ASSERT_EQ(surface.frames.size(), 4u);
    // Frames 1 and 2 bring colour tables of their own; frame 3 is drawn with
    // the global table again.
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        expectFrameMatches(surface.frames[i], test::reference("animated.gif." + std::to_string(i)));
        EXPECT_EQ(surface.frames[i].disposal, 0);
        EXPECT_EQ(surface.frames[i].transparent, 0);
        EXPECT_EQ(surface.frames[i].loopCount, 2);  // ImageMagick stores -loop 3 as two repeats
    }
    // The 10 x 10 first frame at 5, 2 of the 20 x 20 screen: rows 2 to 11,
    // columns 5 to 14; the rest stays blank.
    ASSERT_EQ(surface.width, 20u);
    ASSERT_EQ(surface.height, 20u);
    EXPECT_FALSE(surface.hasAlpha);
    test::Reference first = test::reference("animated.gif.0");
    for (uint32_t y = 0; y < 20; ++y) {
        for (uint32_t x = 0; x < 20; ++x) {
            bool inside = x >= 5 && x < 15 && y >= 2 && y < 12;
            uint32_t want = inside ? test::referenceAt(first, x - 5, y - 2) : 0;
            EXPECT_EQ(test::pixelAt(surface, x, y), want) << x << "," << y;
        }
    }
    EXPECT_TRUE(codes().empty());
}

TEST_F(GifDecodeTest, AnInterlacedFileWithATransparentColour) {
    ASSERT_EQ(decodeFile("interlaced.gif"), 0);
    ASSERT_EQ(surface.frames.size(), 1u);
    EXPECT_EQ(surface.frames[0].transparent, 1);
    EXPECT_TRUE(surface.hasAlpha);
    test::Reference r = test::reference("interlaced.gif");
    expectFrameMatches(surface.frames[0], r);
    ASSERT_EQ(surface.width, r.width);
    for (uint32_t y = 0; y < r.height; ++y) {
        for (uint32_t x = 0; x < r.width; ++x) {
            uint32_t want = test::referenceAt(r, x, y);
            EXPECT_EQ(test::pixelAt(surface, x, y) >> 24, want >> 24);
            if (want >> 24) {
                EXPECT_EQ(test::pixelAt(surface, x, y), want);
            }
        }
    }
    EXPECT_EQ(test::pixelAt(surface, 0, 0) >> 24, 0u);
}

TEST_F(GifDecodeTest, GraphicControlValuesCarryOverToFramesWithoutTheirOwn) {
    std::vector<uint8_t> file = test::readImageData("animated.gif");
    size_t second = find(file, {0x21, 0xF9, 0x04}, 1);
    file.erase(file.begin() + long(second), file.begin() + long(second) + 8);
    ASSERT_EQ(decode(file, FileType::Gif), 0);
    ASSERT_EQ(surface.frames.size(), 4u);
    EXPECT_EQ(surface.frames[1].delay, surface.frames[0].delay);
    EXPECT_EQ(surface.frames[2].delay, 7);
}

TEST_F(GifDecodeTest, AFirstFrameBeyondTheScreenIsClipped) {
    std::vector<uint8_t> file = test::readImageData("animated.gif");
    file[6] = 12;  // a 12 x 8 screen
    file[8] = 8;
    ASSERT_EQ(decode(file, FileType::Gif), 0);
    ASSERT_EQ(surface.width, 12u);
    ASSERT_EQ(surface.height, 8u);
    test::Reference first = test::reference("animated.gif.0");
    for (uint32_t y = 2; y < 8; ++y)
        for (uint32_t x = 5; x < 12; ++x)
            EXPECT_EQ(test::pixelAt(surface, x, y), test::referenceAt(first, x - 5, y - 2));
}

TEST_F(GifDecodeTest, UnknownBlocksAndTruncatedFilesFail) {
    const std::vector<uint8_t> good = test::readImageData("animated.gif");
    size_t image = find(good, {0x2C, 0x05, 0x00, 0x02, 0x00});
    for (std::vector<uint8_t> inserted : {std::vector<uint8_t>{0x21, 0x99, 0x00}, std::vector<uint8_t>{0x42}}) {
        std::vector<uint8_t> file = good;
        file.insert(file.begin() + long(image), inserted.begin(), inserted.end());
        EXPECT_TRUE(refused(decode(file, FileType::Gif), 100215));
    }
    // Every prefix of the file lacks the trailer, or more.
    for (size_t cut = 0; cut < good.size(); ++cut) {
        std::vector<uint8_t> part(good.begin(), good.begin() + long(cut));
        ASSERT_TRUE(refused(decode(part, FileType::Gif), 100215)) << cut;
    }
    std::vector<uint8_t> large = good;
    large[7] = 0x20;  // 8212 wide
    large[6] = 0x14;
    EXPECT_TRUE(refused(decode(large, FileType::Gif), 100091));
}

// LZW codes packed least significant bit first into one sub-block.
std::vector<uint8_t> lzwData(int minimum, std::initializer_list<std::pair<int, int>> codes) {
    std::vector<uint8_t> bytes;
    uint32_t buffer = 0;
    int bits = 0;
    for (auto [code, width] : codes) {
        buffer |= uint32_t(code) << bits;
        for (bits += width; bits >= 8; bits -= 8, buffer >>= 8) bytes.push_back(uint8_t(buffer));
    }
    if (bits) bytes.push_back(uint8_t(buffer));
    std::vector<uint8_t> data{uint8_t(minimum), uint8_t(bytes.size())};
    data.insert(data.end(), bytes.begin(), bytes.end());
    data.push_back(0);
    return data;
}

bool decodesTo(const std::vector<uint8_t>& data, std::vector<uint8_t> want) {
    std::vector<uint8_t> out(want.size(), 0xEE);
    ByteReader in(data);
    return decodeGifImageData(in, out.data(), out.size()) && out == want && in.position() == data.size();
}

TEST(GifLzw, CodesNameOnlyDefinedEntries) {
    // Minimum size 2: clear 4, end 5, the first free entry 6.
    EXPECT_TRUE(decodesTo(lzwData(2, {{4, 3}, {1, 3}, {6, 3}, {2, 3}, {5, 4}}), {1, 1, 1, 2}));
    EXPECT_TRUE(decodesTo(lzwData(2, {{4, 3}, {3, 3}, {0, 3}, {6, 3}, {5, 4}}), {3, 0, 3, 0}));
    // The code after the next free one names nothing yet.
    EXPECT_FALSE(decodesTo(lzwData(2, {{4, 3}, {1, 3}, {7, 3}, {5, 4}}), {1, 1, 1}));
    // The first code after a clear must be a plain index.
    EXPECT_FALSE(decodesTo(lzwData(2, {{4, 3}, {6, 3}, {5, 3}}), {0}));
    // The end code or the end of the data before the last pixel.
    EXPECT_FALSE(decodesTo(lzwData(2, {{4, 3}, {1, 3}, {5, 3}}), {1, 1}));
    EXPECT_FALSE(decodesTo(lzwData(2, {{4, 3}, {1, 3}}), {1, 1, 1, 1, 1, 1}));
    EXPECT_FALSE(decodesTo(lzwData(9, {{0, 10}}), {0}));
    // A sub-block that runs past the end of the data.
    std::vector<uint8_t> cut = lzwData(2, {{4, 3}, {1, 3}, {1, 3}, {5, 3}});
    cut[1] = 40;
    EXPECT_FALSE(decodesTo(cut, {1, 1}));
}

}  // namespace
}  // namespace vr
