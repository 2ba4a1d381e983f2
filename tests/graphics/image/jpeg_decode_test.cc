#include "graphics/image/image_test_support.h"

namespace vr {
namespace {

struct JpegDecodeTest : test::ImageTest {};

// A copy of a file whose frame header claims another size.
std::vector<uint8_t> withSize(std::vector<uint8_t> file, uint16_t width, uint16_t height) {
    for (size_t i = 2; i + 9 < file.size(); ++i) {
        if (file[i] != 0xFF || (file[i + 1] != 0xC0 && file[i + 1] != 0xC2)) continue;
        file[i + 5] = uint8_t(height >> 8);
        file[i + 6] = uint8_t(height);
        file[i + 7] = uint8_t(width >> 8);
        file[i + 8] = uint8_t(width);
        return file;
    }
    ADD_FAILURE() << "no frame header";
    return file;
}

TEST_F(JpegDecodeTest, ColourAndGreyFilesDrawLikeTheReferenceDecoder) {
    for (const char* file : {"colour.jpg", "progressive.jpg", "grey.jpg", "grey40.jpg"}) {
        SCOPED_TRACE(file);
        ASSERT_EQ(decodeFile(file), 0);
        EXPECT_TRUE(test::matchesReference(surface, test::reference(file)));
        EXPECT_FALSE(surface.hasAlpha);
    }
    ASSERT_EQ(decodeFile("grey40.jpg"), 0);
    const uint8_t grey[] = {0x40, 0x40, 0x40, 0xFF};
    EXPECT_TRUE(std::equal(grey, grey + 4, surface.row(3) + 3 * 4));
    EXPECT_TRUE(codes().empty());
}

TEST_F(JpegDecodeTest, FilesThatEndEarlyOrLieAboutTheirSizeAreRefused) {
    const std::vector<uint8_t> good = test::readImageData("colour.jpg");
    for (size_t cut : {size_t(0), size_t(1), size_t(30), good.size() / 2, good.size() - 3}) {
        SCOPED_TRACE(cut);
        std::vector<uint8_t> part(good.begin(), good.begin() + cut);
        EXPECT_TRUE(refused(decode(part, FileType::Jpeg), 100210));
    }
    std::vector<uint8_t> progressive = test::readImageData("progressive.jpg");
    progressive.resize(progressive.size() / 2);
    EXPECT_TRUE(refused(decode(progressive, FileType::Jpeg), 100210));
    // More rows than the scan holds.
    EXPECT_TRUE(refused(decode(withSize(good, 13, 70), FileType::Jpeg), 100210));
    EXPECT_TRUE(refused(decode(withSize(good, 8193, 7), FileType::Jpeg), 100091));
    EXPECT_TRUE(refused(decode(withSize(good, 13, 60000), FileType::Jpeg), 100091));
    std::vector<uint8_t> noise(500, 0x5A);
    EXPECT_TRUE(refused(decode(noise, FileType::Jpeg), 100210));
}

TEST_F(JpegDecodeTest, FourComponentFilesAreRefusedAsUnsupported) {
    EXPECT_TRUE(refused(decodeFile("cmyk.jpg"), 100091));
}

}  // namespace
}  // namespace vr
