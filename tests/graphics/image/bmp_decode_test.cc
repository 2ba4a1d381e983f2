#include <cstring>

#include "graphics/image/image_test_support.h"

namespace vr {
namespace {

struct BmpDecodeTest : test::ImageTest {};

void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}

TEST_F(BmpDecodeTest, EveryBitDepthDrawsLikeTheReferenceDecoder) {
    // 1 bit at width 9 rounds its rows up to 4 bytes, 24 bits to 28.
    for (const char* file : {"bmp1.bmp", "bmp4.bmp", "bmp8.bmp", "bmp24.bmp", "bmp32.bmp"}) {
        SCOPED_TRACE(file);
        ASSERT_EQ(decodeFile(file), 0);
        EXPECT_TRUE(test::matchesReference(surface, test::reference(file)));
        EXPECT_EQ(surface.hasAlpha, std::strcmp(file, "bmp32.bmp") == 0);
    }
    EXPECT_TRUE(codes().empty());
}

TEST_F(BmpDecodeTest, SixteenBitsGiveASurfaceOfTheRightSizeLeftBlank) {
    ASSERT_EQ(decodeFile("bmp16.bmp"), 0);
    EXPECT_EQ(surface.width, 9u);
    EXPECT_EQ(surface.height, 5u);
    for (uint32_t y = 0; y < 5; ++y)
        for (uint32_t x = 0; x < 9; ++x) EXPECT_EQ(test::pixelAt(surface, x, y), 0u);
}

TEST_F(BmpDecodeTest, IndicesBeyondTheGivenPaletteDrawOpaqueBlack) {
    std::vector<uint8_t> file = test::readImageData("bmp8.bmp");
    put32(file, 46, 2);  // two colours used
    ASSERT_EQ(decode(file, FileType::Bmp), 0);
    const uint32_t offset = 1078, stride = 12;
    int beyond = 0;
    for (uint32_t y = 0; y < 5; ++y) {
        for (uint32_t x = 0; x < 9; ++x) {
            uint8_t index = file[offset + (4 - y) * stride + x];
            const uint8_t* entry = file.data() + 54 + index * 4;
            uint32_t want = index < 2 ? (entry[0] | entry[1] << 8 | entry[2] << 16 | 0xFF000000u) : 0xFF000000u;
            beyond += index >= 2;
            EXPECT_EQ(test::pixelAt(surface, x, y), want) << x << "," << y;
        }
    }
    EXPECT_GT(beyond, 0);
}

TEST_F(BmpDecodeTest, MalformedHeadersAreRefusedWithTheirCodes) {
    const std::vector<uint8_t> good = test::readImageData("bmp24.bmp");
    auto patched = [&](size_t at, uint32_t v) {
        std::vector<uint8_t> b = good;
        put32(b, at, v);
        return b;
    };
    std::vector<uint8_t> signature = good;
    signature[1] = 'A';
    EXPECT_TRUE(refused(decode(signature, FileType::Bmp), 100070));
    EXPECT_TRUE(refused(decode({'B'}, FileType::Bmp), 100070));
    EXPECT_TRUE(refused(decode(patched(10, 10), FileType::Bmp), 100080));
    EXPECT_TRUE(refused(decodeFile("bmp8rle.bmp"), 100090));
    EXPECT_TRUE(refused(decode(patched(18, 8193), FileType::Bmp), 100091));
    EXPECT_TRUE(refused(decode(patched(22, 8193), FileType::Bmp), 100091));
    EXPECT_TRUE(refused(decode(patched(18, uint32_t(-9)), FileType::Bmp), 100091));
    EXPECT_TRUE(refused(decode(patched(22, uint32_t(-5)), FileType::Bmp), 100092));
    // A size within the limit whose rows the file does not hold.
    EXPECT_TRUE(refused(decode(patched(22, 8192), FileType::Bmp), 100080));
    EXPECT_TRUE(refused(decode(patched(10, 0x7FFFFFFF), FileType::Bmp), 100080));
}

TEST_F(BmpDecodeTest, FilesEndingEarlyAreRefusedButAMissingLastPaddingIsNot) {
    std::vector<uint8_t> file = test::readImageData("bmp24.bmp");
    // The last row (the image's top) needs 27 of its 28 bytes.
    file.pop_back();
    ASSERT_EQ(decode(file, FileType::Bmp), 0);
    EXPECT_TRUE(test::matchesReference(surface, test::reference("bmp24.bmp")));
    file.pop_back();
    EXPECT_TRUE(refused(decode(file, FileType::Bmp), 100080));
    file.resize(40);
    EXPECT_TRUE(refused(decode(file, FileType::Bmp), 100080));
    // The palette of an 8-bit file cut in the middle.
    std::vector<uint8_t> paletted = test::readImageData("bmp8.bmp");
    paletted.resize(600);
    EXPECT_TRUE(refused(decode(paletted, FileType::Bmp), 100080));
    // 16-bit rows are not drawn, but they must be there.
    std::vector<uint8_t> blank = test::readImageData("bmp16.bmp");
    blank.resize(blank.size() - 8);
    EXPECT_TRUE(refused(decode(blank, FileType::Bmp), 100080));
}

}  // namespace
}  // namespace vr
