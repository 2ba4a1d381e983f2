// Packed image files: the reader's checks, and the commands that show their
// entries, seen from small compiled games in the headless engine.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/archive/packed_images.h"
#include "core/image_encode.h"
#include "graphics/object_tree.h"
#include "script/interpreter.h"
#include "script/variables.h"
#include "support/headless_engine.h"
#include "support/memory_game.h"
#include "support/png_file.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace vr {
namespace {

namespace fs = std::filesystem;

// B, G, R, A pixels of one colour, `alphaStep` > 0 making alpha a ramp along x.
std::vector<uint8_t> pixels(uint32_t w, uint32_t h, uint32_t argb, int alphaStep = 0) {
    std::vector<uint8_t> p(size_t(w) * h * 4);
    for (size_t i = 0; i < size_t(w) * h; ++i) {
        p[i * 4] = uint8_t(argb);
        p[i * 4 + 1] = uint8_t(argb >> 8);
        p[i * 4 + 2] = uint8_t(argb >> 16);
        p[i * 4 + 3] = alphaStep ? uint8_t(std::min<size_t>(255, (i % w) * size_t(alphaStep))) : 0xFF;
    }
    return p;
}

packed::PictureInput picture(uint32_t w, uint32_t h, uint32_t argb, bool alpha, uint32_t alphaWidth = 0) {
    std::vector<uint8_t> p = pixels(w, h, argb, 32);
    packed::PictureInput in;
    EXPECT_TRUE(encodeJpeg({p.data(), w, h, size_t(w) * 4}, 100, JpegContent::Colour, in.colour));
    if (alpha) {
        uint32_t aw = alphaWidth ? alphaWidth : w;
        std::vector<uint8_t> a = pixels(aw, h, argb, 32);
        EXPECT_TRUE(encodeJpeg({a.data(), aw, h, size_t(aw) * 4}, 100, JpegContent::Alpha, in.alpha));
    }
    return in;
}

std::vector<uint8_t> packedFile(const std::vector<packed::PictureInput>& pictures, std::array<uint32_t, 3> values) {
    std::string error;
    std::vector<uint8_t> bytes = packed::writePackedImages(pictures, values, error);
    EXPECT_EQ(error, "");
    return bytes;
}

void putWord(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + size_t(i)] = uint8_t(v >> (8 * i));
}

// A game folder of its own with a headless engine, and the layer W0/pic.
struct PackedGame {
    test::TempDir dir;
    test::CurrentDir inGame{dir.path()};
    test::HeadlessEngine h;
    ObjectNode* pic = nullptr;

    void load(const std::string& source) {
        test::loadCompiledGame(h, source + "*idle\nwait 1\ngoto *idle\n");
        createLayerNode("W0", 16, 16, 1);
        pic = createNode("W0/pic", false, 1);
        ASSERT_TRUE(pic && attachNewLayer(*pic));
    }
    // The layer's colour at (x, y) as 0xRRGGBB.
    uint32_t rgb(int x, int y) const {
        const uint8_t* p = pic->layer->surface.row(uint32_t(y)) + x * 4;
        return uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
    }
};

struct PackedImagesTest : ::testing::Test, PackedGame {};

bool near(uint32_t a, uint32_t b, int tolerance) {
    for (int shift : {0, 8, 16})
        if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > tolerance) return false;
    return true;
}

TEST(PackedImageReader, RefusesEveryTableThatLiesAboutTheFile) {
    std::vector<uint8_t> good = packedFile({picture(8, 4, 0xFF0000, true), picture(8, 4, 0x00FF00, true)}, {1, 2, 3});
    packed::PackedImages file;
    ASSERT_EQ(packed::openPackedImages(good, file), "");
    EXPECT_EQ(file.count, 2u);
    EXPECT_TRUE(file.alpha);
    EXPECT_EQ(file.values, (std::array<uint32_t, 3>{1, 2, 3}));
    // The last picture ends the file, so every shorter file is refused.
    for (size_t n = 0; n < good.size(); ++n) {
        packed::PackedImages cut;
        EXPECT_NE(packed::openPackedImages(std::vector<uint8_t>(good.begin(), good.begin() + ptrdiff_t(n)), cut), "")
            << n << " bytes";
    }
    auto damaged = [&](size_t at, uint32_t value) {
        std::vector<uint8_t> b = good;
        putWord(b, at, value);
        packed::PackedImages out;
        return packed::openPackedImages(b, out);
    };
    EXPECT_EQ(damaged(8, 0), "no entries");
    EXPECT_NE(damaged(8, 0x40000000), "") << "tables far beyond the file";
    EXPECT_NE(damaged(32 + 4, uint32_t(good.size())), "") << "an offset at the end";
    EXPECT_NE(damaged(32 + 8 + 4, 0xFFFFFFF0u), "") << "a colour length that wraps 32 bits";
    EXPECT_NE(damaged(32 + 16 + 4, 0xFFFFFFF0u), "") << "an alpha length that wraps 32 bits";
    EXPECT_EQ(damaged(12, 0), "") << "without alpha the alpha lengths are not used";
}

TEST_F(PackedImagesTest, EntriesAreClampedAndReleaseForgetsThePictures) {
    dir.write("a.vpi", packedFile({picture(8, 4, 0xFF0000, false), picture(8, 4, 0x00FF00, false),
                                   picture(8, 4, 0x0000FF, false)},
                                  {640, 480, 7}));
    dir.write("b.vpi", packedFile({picture(2, 2, 0xFFFFFF, false)}, {11, 12, 13}));
    load("global int count\nglobal int valueA\nglobal int valueB\nglobal int released\nglobal int releasedValue\n"
         "*SYSTEM_START\n"
         "PackedImageShow path=\"pic\" entry=1\nwait 1\n"
         "PackedImageShow path=\"pic\" file=\"A.vpi\" entry=-3\nwait 1\n"
         "PackedImageShow path=\"pic\" entry=8\n"
         "PackedImageValues result=count count=1\nPackedImageValues result=valueA value3=1 value1=1\nwait 1\n"
         "PackedImageShow path=\"pic\" file=\"b.vpi\"\nPackedImageValues result=valueB value2=1\n"
         "PackedImageRelease\nPackedImageValues result=released count=1\n"
         "releasedValue = 5\nPackedImageValues result=releasedValue value1=1\n"
         "PackedImageShow path=\"pic\" entry=0\n");
    h.frame();
    EXPECT_EQ(pic->layer->width(), 1u) << "no file loaded: nothing shown";
    h.frame();
    ASSERT_EQ(pic->layer->width(), 8u);
    EXPECT_TRUE(near(rgb(3, 2), 0xFF0000, 8)) << "entry -3 shows entry 0";
    EXPECT_FALSE(pic->layer->useSourceAlpha);
    h.frame();
    EXPECT_TRUE(near(rgb(3, 2), 0x0000FF, 8)) << "entry N + 5 shows entry N - 1";
    EXPECT_EQ(getInteger(1000, 0), 3);
    EXPECT_EQ(getInteger(1001, 0), 640) << "the first selecting argument given decides";
    h.frame();
    EXPECT_EQ(getInteger(1002, 0), 12) << "the second file replaced the first";
    EXPECT_EQ(getInteger(1003, 0), 0);
    EXPECT_EQ(getInteger(1004, 0), 11) << "the header values outlast the release";
    EXPECT_TRUE(near(rgb(3, 2), 0x0000FF, 8)) << "nothing shown after the release";
    EXPECT_TRUE(h.e.core.errors.reportedCodes.empty());
}

TEST_F(PackedImagesTest, AlphaPicturesBecomeTheLayersAlpha) {
    dir.write("alpha.vpi", packedFile({picture(8, 4, 0x204060, true)}, {0, 0, 0}));
    load("*SYSTEM_START\nPackedImageShow path=\"pic\" file=\"alpha.vpi\" entry=0\n");
    h.frame();
    ASSERT_EQ(pic->layer->width(), 8u);
    EXPECT_TRUE(pic->layer->useSourceAlpha);
    for (uint32_t x = 0; x < 8; ++x)
        EXPECT_NEAR(pic->layer->surface.row(1)[x * 4 + 3], int(x * 32), 6) << "column " << x;
}

TEST(PackedImageCommands, DamagedFilesAreRefusedWithAReport) {
    std::vector<uint8_t> noEntries = packedFile({picture(8, 4, 0xFF0000, false)}, {0, 0, 0});
    putWord(noEntries, 8, 0);
    const struct {
        std::vector<uint8_t> file;
        uint32_t code;
    } cases[] = {
        {packedFile({picture(8, 4, 0xFF0000, true, 4)}, {0, 0, 0}), 104210},  // alpha of another size
        {noEntries, 104200},
        {{}, 104010},  // no file at all
    };
    for (const auto& c : cases) {
        PackedGame g;
        if (!c.file.empty()) g.dir.write("f.vpi", c.file);
        g.load("*SYSTEM_START\nPackedImageShow path=\"pic\" file=\"f.vpi\" entry=0\n");
        g.h.frame();
        EXPECT_TRUE(g.h.reported(c.code)) << c.code;
        EXPECT_EQ(g.pic->layer->width(), 1u) << c.code;
        EXPECT_EQ(g.h.e.shell.packedImages.count, c.code == 104210 ? 1u : 0u) << c.code;
    }
}

TEST_F(PackedImagesTest, VrpackImagesAreReadBackAsTheyWereDrawn) {
    test::Picture first(6, 4, 0xFF336699), second(6, 4, 0x80CC2211);
    for (int x = 0; x < 6; ++x) second.set(x, 0, 0x00CC2211);
    fs::create_directories(dir.path() / "frames");
    ASSERT_TRUE(test::writePng((dir.path() / "frames/01.png").string(), first, true));
    ASSERT_TRUE(test::writePng((dir.path() / "frames/02.png").string(), second, true));
    auto made = test::runProcess({test::vrpack(), "images", (dir.path() / "f.vpi").string(),
                                  (dir.path() / "frames").string(), "--quality", "100"});
    ASSERT_EQ(made.exitCode, 0) << made.output;
    load("global int width\nglobal int height\n*SYSTEM_START\n"
         "PackedImageShow path=\"pic\" file=\"f.vpi\" entry=1\n"
         "PackedImageValues result=width value1=1\nPackedImageValues result=height value2=1\n");
    h.frame();
    EXPECT_EQ(getInteger(1000, 0), 6);
    EXPECT_EQ(getInteger(1001, 0), 4);
    ASSERT_EQ(pic->layer->width(), 6u);
    ASSERT_EQ(pic->layer->height(), 4u);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) {
            EXPECT_TRUE(near(rgb(x, y), second.rgb(x, y), 4)) << x << "," << y;
            EXPECT_NEAR(pic->layer->surface.row(uint32_t(y))[x * 4 + 3], int(second.argb(x, y) >> 24), 4);
        }
}

}  // namespace
}  // namespace vr
