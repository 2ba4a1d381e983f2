#include "graphics/image/image_test_support.h"
#include "support/sjis_text.h"

namespace vr {
namespace {

struct ImageLoadTest : test::ImageTest {
    std::string debugLog() const {
        std::ifstream in(dir.path() / "info.txt", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
};

TEST_F(ImageLoadTest, AMissingOrEmptyNameGivesOneTransparentPixel) {
    for (const char* name : {"", "bg\\nothing", "bg/nothing.png"}) {
        SCOPED_TRACE(name);
        surface.frames.resize(2);
        ASSERT_EQ(loadImageSurface(surface, name), 0);
        EXPECT_EQ(surface.width, 1u);
        EXPECT_EQ(surface.height, 1u);
        EXPECT_EQ(test::pixelAt(surface, 0, 0), 0u);
        EXPECT_TRUE(surface.frames.empty());
        EXPECT_GE(surface.pixels.size(), surfaceStorageBytes(1, 1));
    }
    EXPECT_TRUE(codes().empty());
}

TEST_F(ImageLoadTest, FilesAreFoundByTheExtensionOrderAndDecodedByTheirType) {
    dir.write("bg/Pic.BMP", test::readImageData("bmp24.bmp"));
    ASSERT_EQ(loadImageSurface(surface, "BG/pic"), 0);
    EXPECT_TRUE(test::matchesReference(surface, test::reference("bmp24.bmp")));
    // png comes before bmp in the default order.
    dir.write("bg/pic.png", test::readImageData("rgba8.png"));
    ASSERT_EQ(loadImageSurface(surface, "bg\\pic"), 0);
    EXPECT_TRUE(test::matchesReference(surface, test::reference("rgba8.png")));
    EXPECT_TRUE(surface.hasAlpha);
    dir.write("anim.gif", test::readImageData("animated.gif"));
    ASSERT_EQ(loadImageSurface(surface, "anim.gif"), 0);
    EXPECT_EQ(surface.frames.size(), 4u);
    EXPECT_TRUE(codes().empty());
}

TEST_F(ImageLoadTest, TypesThatAreNoImagesAndPsdFilesAreRefused) {
    h.e.core.loader.memoryItems[0].push_back({"a.png", FileType::Wav, test::readImageData("rgb8.png")});
    EXPECT_TRUE(refused(loadImageSurface(surface, "a.png"), 100030));
    std::vector<uint8_t> psd = {'8', 'B', 'P', 'S', 0, 1, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 20, 0, 0, 0, 30};
    h.e.core.loader.memoryItems[1].push_back({"b.png", FileType::Psd, psd});
    EXPECT_TRUE(refused(loadImageSurface(surface, "b.png"), 100220));
    EXPECT_TRUE(refused(decode({'8', 'B'}, FileType::Psd), 100220));
    // A damaged file is reported by its decoder, once.
    h.e.core.loader.memoryItems[2].push_back({"c.gif", FileType::Gif, {'G', 'I', 'F'}});
    EXPECT_TRUE(refused(loadImageSurface(surface, "c.gif"), 100215));
}

TEST_F(ImageLoadTest, StorageThatCannotBeHadIsLoggedAndReported) {
    EXPECT_NE(allocateSurfacePixels(surface, 3, 2, "x.bmp"), nullptr);
    EXPECT_EQ(surface.pixels.size(), surfaceStorageBytes(3, 2));
    EXPECT_EQ(surface.pixels.size(), 3u * 4 * 3 + 4);

    EXPECT_EQ(allocateSurfacePixels(surface, 8193, 1, "bg\\big.bmp"), nullptr);
    EXPECT_TRUE(refused(-1, 104030));
    EXPECT_NE(debugLog().find(test::sjis(u8"メモリ確保エラーです。[bg\\big.bmp](8193, 1)")), std::string::npos);
    EXPECT_EQ(allocateSurfacePixels(surface, 1, 9000, ""), nullptr);
    EXPECT_TRUE(refused(-1, 100010));
    EXPECT_NE(debugLog().find(test::sjis(u8"メモリ確保エラーです。[](1, 9000)")), std::string::npos);
}

}  // namespace
}  // namespace vr
