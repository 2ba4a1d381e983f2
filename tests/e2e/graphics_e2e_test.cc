// A game that loads, places, changes and deletes image objects, run
// headless under each kernel set a game can ask for; its screenshots are read
// back and checked pixel by pixel against the set's own rounding.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/lines.h"
#include "support/png_file.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace vr {
namespace {

using test::runProcess;

// The kernel sets: words 2 and 3 of the game's settings file turn the
// vector set off; VIRELO_KERNELS holds a run to one vector set (AVX2 and
// SSE2 give the same pixels, and each is checked for it).
struct KernelChoice {
    const char* name;
    bool plain;
    const char* forced;  // the value of VIRELO_KERNELS, or null
};

void writeSettings(const test::TempDir& game, const KernelChoice& k) {
    if (!k.plain) return;
    std::vector<uint8_t> words(32 * 4, 0);
    words[0] = 2;  // the movie flag at its default; words 2 and 3 are 0
    for (int w = 4; w < 32; ++w) words[size_t(w) * 4] = 2;
    game.write("vrcfg.dat", words);
}

int clampByte(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

// One channel of a source-alpha draw with opacity 256, for a pixel of an
// 8-byte pair.  The plain set halves the difference first and scales by
// a / 128; the vector sets take the operator formula with factor a + 1.
int sourceAlpha(bool plain, int s, int d, int a) {
    if (plain) return clampByte(d + ((((s - d) >> 1) * a) >> 7));
    return d + (((s - d) * (a + 1)) >> 8);
}

// One channel of an opaque picture drawn at opacity 128 into an aligned
// 8-byte step: the vector sets take the rounded mean there.
int halfOpacity(bool plain, int s, int d) { return plain ? d + (((s - d) * 128) >> 8) : (s + d + 1) >> 1; }

uint32_t argb(int r, int g, int b) { return 0xFF000000u | uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b); }

constexpr const char* kScene =
    "#config width=128 height=96 images=png\n"
    "global int w\nglobal int colour\nglobal int clear\nglobal int gone = 5\nglobal int under\nglobal int edge\nglobal int outside\n"
    "*SYSTEM_START\n"
    "ObjectSet path=\"bg\" image=\"bg\" order=1\n"
    "ObjectSet path=\"chara\" image=\"chara\" order=2 x=10 y=5\n"
    "ObjectSet path=\"half\" image=\"white\" order=3 x=40 y=30 opacity=128\n"
    "ObjectQuery path=\"chara\" width=1 result=w\n"
    "ObjectQuery path=\"chara\" colourAt=1 atX=0 atY=0 result=colour\n"
    "ObjectQuery path=\"chara\" colourAt=1 atX=12 atY=0 result=clear\n"
    "ObjectQuery path=\"chara\" pointerPixel=0 atX=12 atY=7 result=under\n"
    "ObjectQuery path=\"chara\" pointerPixel=0 atX=200 atY=7 result=outside\n"
    "ObjectQuery path=\"chara\" opaqueEdge=1 atX=4 result=edge\n"
    "wait 3\n"
    "ObjectSet path=\"chara\" x+=20\n"
    "ObjectDelete path=\"half\"\n"
    "ObjectQuery path=\"half\" exists=1 result=gone\n"
    "*idle\nwait 1\ngoto *idle\n";

class GraphicsE2E : public testing::TestWithParam<KernelChoice> {};

TEST_P(GraphicsE2E, ImagesAreComposedMovedAndDeleted) {
    const bool plain = GetParam().plain;
    test::TempDir src, game, shots;
    src.write("main.vrs", kScene);
    auto c = runProcess({test::vrc(), "build", src.str(), "--out", game.str()});
    ASSERT_EQ(c.exitCode, 0) << c.output;
    std::string g = game.str();
    ASSERT_TRUE(test::writePng(g + "bg.png", test::Picture(128, 96, 0xFF0000FF), false));
    // Opaque red on the left half, transparent black on the right.
    test::Picture chara(16, 16, 0);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 8; ++x) chara.set(x, y, 0xFFFF0000);
    ASSERT_TRUE(test::writePng(g + "chara.png", chara, true));
    ASSERT_TRUE(test::writePng(g + "white.png", test::Picture(8, 8, 0xFFFFFFFF), false));
    writeSettings(game, GetParam());

    std::string first = shots.str() + "1.png", later = shots.str() + "6.png", dump = shots.str() + "vars.txt";
    std::vector<std::string> run;
    if (GetParam().forced) run = {"/usr/bin/env", std::string("VIRELO_KERNELS=") + GetParam().forced};
    run.insert(run.end(), {test::virelo(), "--headless", "--transcript", "--frames", "7", "--screenshot-at",
                         "1:" + first, "--screenshot-at", "6:" + later, "--dump-vars", dump, g});
    auto r = runProcess(run);
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(r.output.find("error dialog"), std::string::npos) << r.output;

    test::Picture a, b;
    ASSERT_TRUE(test::readPng(first, a));
    ASSERT_EQ(a.width, 128);
    ASSERT_EQ(a.height, 96);
    const uint32_t blue = argb(0, 0, 255);
    // The sprite's 16-pixel rows are whole pairs in every dirty rectangle here.
    const uint32_t red = argb(sourceAlpha(plain, 255, 0, 255), 0, sourceAlpha(plain, 0, 255, 255));
    const uint32_t clear = argb(0, 0, sourceAlpha(plain, 0, 255, 0));
    const uint32_t half = argb(halfOpacity(plain, 255, 0), halfOpacity(plain, 255, 0), 255);
    EXPECT_EQ(a.argb(0, 0), blue);
    EXPECT_EQ(a.argb(10, 5), red) << "the opaque half of the sprite";
    EXPECT_EQ(a.argb(17, 20), red);
    EXPECT_EQ(a.argb(18, 5), clear) << "its transparent half shows the background";
    EXPECT_EQ(a.argb(9, 5), blue);
    EXPECT_EQ(a.argb(10, 21), blue);
    EXPECT_EQ(a.argb(40, 30), half);
    EXPECT_EQ(a.argb(47, 37), half);
    EXPECT_EQ(a.argb(48, 38), blue);

    ASSERT_TRUE(test::readPng(later, b));
    ASSERT_EQ(b.width, 128);
    EXPECT_EQ(b.argb(10, 5), blue) << "the old place is redrawn";
    EXPECT_EQ(b.argb(30, 5), red);
    EXPECT_EQ(b.argb(37, 20), red);
    EXPECT_EQ(b.argb(38, 5), clear);
    EXPECT_EQ(b.argb(40, 30), blue) << "the deleted object is gone";

    std::string vars = test::readFile(dump);
    EXPECT_TRUE(test::hasLine(vars, "1000 int = 16"));
    EXPECT_TRUE(test::hasLine(vars, "1001 int = 16711680"));
    EXPECT_TRUE(test::hasLine(vars, "1002 int = 0"));
    EXPECT_TRUE(test::hasLine(vars, "1003 int = 0")) << "a query of a missing object gives 0";
    EXPECT_TRUE(test::hasLine(vars, "1004 int = 4294901760")) << "opaque red under (12, 7)";
    EXPECT_TRUE(test::hasLine(vars, "1005 int = 7")) << "the right edge of the opaque half";
    EXPECT_TRUE(test::hasLine(vars, "1006 int = -1")) << "a point outside the window";
}

INSTANTIATE_TEST_SUITE_P(KernelSets, GraphicsE2E,
                         testing::Values(KernelChoice{"plain", true, nullptr}, KernelChoice{"sse2", false, "sse2"},
                                         KernelChoice{"avx2", false, "avx2"}),
                         [](const testing::TestParamInfo<KernelChoice>& i) { return std::string(i.param.name); });

}  // namespace
}  // namespace vr
