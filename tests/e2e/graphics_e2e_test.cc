// A game that loads, places, changes and deletes image objects, run
// headless; its screenshots are read back with ImageMagick and checked pixel
// by pixel.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "support/process.h"
#include "support/temp_dir.h"

namespace vr {
namespace {

using test::runProcess;

const char* kImageMagick = "/usr/bin/convert";

// The picture as rows of B, G, R, A bytes.
std::string rawPixels(const std::string& png) {
    std::string out;
    FILE* p = popen((std::string(kImageMagick) + " '" + png + "' -depth 8 bgra:- 2>/dev/null").c_str(), "r");
    if (!p) return out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    pclose(p);
    return out;
}

uint32_t at(const std::string& raw, int width, int x, int y) {
    size_t i = (size_t(y) * size_t(width) + size_t(x)) * 4;
    if (i + 4 > raw.size()) return 0xDEADBEEF;
    auto b = [&](size_t k) { return uint32_t(uint8_t(raw[i + k])); };
    return b(0) | b(1) << 8 | b(2) << 16 | b(3) << 24;
}

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

TEST(GraphicsE2E, ImagesAreComposedMovedAndDeleted) {
    if (!std::filesystem::exists(kImageMagick)) GTEST_SKIP() << "ImageMagick is not installed";
    test::TempDir src, game, shots;
    src.write("main.vrs", kScene);
    auto c = runProcess({test::vrc(), "build", src.str(), "--out", game.str()});
    ASSERT_EQ(c.exitCode, 0) << c.output;
    std::string g = game.str();
    ASSERT_EQ(runProcess({kImageMagick, "-size", "128x96", "xc:#0000ff", g + "bg.png"}).exitCode, 0);
    ASSERT_EQ(runProcess({kImageMagick, "-size", "16x16", "xc:none", "-fill", "#ff0000", "-draw",
                          "rectangle 0,0 7,15", "PNG32:" + g + "chara.png"})
                  .exitCode,
              0);
    ASSERT_EQ(runProcess({kImageMagick, "-size", "8x8", "xc:#ffffff", "PNG24:" + g + "white.png"}).exitCode, 0);

    std::string first = shots.str() + "1.png", later = shots.str() + "6.png", dump = shots.str() + "vars.txt";
    auto r = runProcess({test::virelo(), "--headless", "--transcript", "--frames", "7", "--screenshot-at",
                         "1:" + first, "--screenshot-at", "6:" + later, "--dump-vars", dump, g});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(r.output.find("error dialog"), std::string::npos) << r.output;

    std::string a = rawPixels(first);
    ASSERT_EQ(a.size(), size_t(128 * 96 * 4));
    const uint32_t blue = 0xFF0000FF, red = 0xFFFF0000;  // B | G << 8 | R << 16 | A << 24
    EXPECT_EQ(at(a, 128, 0, 0), blue);
    EXPECT_EQ(at(a, 128, 10, 5), red) << "the opaque half of the sprite";
    EXPECT_EQ(at(a, 128, 17, 20), red);
    // The transparent half (0, 0, 0, 0) weighs (alpha + 1) / 256: blue 255
    // becomes 255 + (-255 >> 8) = 254.
    EXPECT_EQ(at(a, 128, 18, 5), 0xFF0000FEu) << "its transparent half shows the background";
    EXPECT_EQ(at(a, 128, 9, 5), blue);
    EXPECT_EQ(at(a, 128, 10, 21), blue);
    // White at opacity 128 over blue: the SSE kernels (the default on x86)
    // take the rounded mean (s + d + 1) >> 1 at exactly 128.
    EXPECT_EQ(at(a, 128, 40, 30), 0xFF8080FFu);
    EXPECT_EQ(at(a, 128, 47, 37), 0xFF8080FFu);
    EXPECT_EQ(at(a, 128, 48, 38), blue);

    std::string b = rawPixels(later);
    ASSERT_EQ(b.size(), size_t(128 * 96 * 4));
    EXPECT_EQ(at(b, 128, 10, 5), blue) << "the old place is redrawn";
    EXPECT_EQ(at(b, 128, 30, 5), red);
    EXPECT_EQ(at(b, 128, 37, 20), red);
    EXPECT_EQ(at(b, 128, 38, 5), 0xFF0000FEu);
    EXPECT_EQ(at(b, 128, 40, 30), blue) << "the deleted object is gone";

    std::string vars;
    if (FILE* f = std::fopen(dump.c_str(), "r")) {
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, f)) > 0) vars.append(buf, n);
        std::fclose(f);
    }
    EXPECT_NE(vars.find("1000 int = 16"), std::string::npos) << vars;
    EXPECT_NE(vars.find("1001 int = 16711680"), std::string::npos) << vars;
    EXPECT_NE(vars.find("1002 int = 0"), std::string::npos) << vars;
    EXPECT_NE(vars.find("1003 int = 0"), std::string::npos) << "a query of a missing object gives 0: " << vars;
    EXPECT_NE(vars.find("1004 int = 4294901760"), std::string::npos) << "opaque red under (12, 7): " << vars;
    EXPECT_NE(vars.find("1005 int = 7"), std::string::npos) << "the right edge of the opaque half: " << vars;
    EXPECT_NE(vars.find("1006 int = -1"), std::string::npos) << "a point outside the window: " << vars;
}

}  // namespace
}  // namespace vr
