// A message played headless: its characters appear one by one at the
// configured delay, a click shows the rest of the page at once, a second
// click passes the wait and the script goes on to the next page.  The
// screenshots are read back and the columns holding ink counted.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/lines.h"
#include "support/png_file.h"
#include "support/process.h"
#include "support/sjis_text.h"
#include "support/temp_dir.h"

namespace vr {
namespace {

using test::runProcess;

constexpr int kWidth = 160, kHeight = 40, kCell = 20;

// A fully transparent 32-bit BMP: the text layer the message is drawn into.
std::vector<uint8_t> transparentBmp(int width, int height) {
    std::vector<uint8_t> b(54 + size_t(width) * size_t(height) * 4, 0);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int k = 0; k < 4; ++k) b[at + size_t(k)] = uint8_t(v >> (8 * k));
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, uint32_t(b.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, uint32_t(width));
    put32(22, uint32_t(height));
    b[26] = 1;
    b[28] = 32;
    return b;
}

// How many cells of the first line hold ink: the cell of the right-most
// column with a lit pixel, plus one; 0 for a dark picture; -1 when the
// screenshot cannot be read.
int cellsWithInk(const std::string& png) {
    test::Picture s;
    if (!test::readPng(png, s) || s.width != kWidth || s.height != kHeight) return -1;
    int right = -1;
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x) {
            uint32_t c = s.rgb(x, y);
            if ((c >> 16) + (c >> 8 & 0xFF) + (c & 0xFF) > 3 * 64) right = std::max(right, x);
        }
    return right < 0 ? 0 : right / kCell + 1;
}

// Characters every 200 ms (12 frames at 60 frames a second) from frame 2,
// where the first one shows: the second at frame 14, the third at 26.
const std::string kGame = test::sjis(
    u8"#config width=160 height=40 images=bmp\n"
    "global int after\n"
    "*SYSTEM_START\n"
    "ObjectSet path=\"msg\" image=\"blank\" order=1\n"
    "MessageWindowSet path=\"W0/msg\" delay=200 endWait=1 endClearPage=1\n"
    "あいうえお\n"
    "after = 1\n"
    "かきくけこ\n"
    "\n"
    "*idle\nwait 1\ngoto *idle\n");

TEST(MessageE2E, TextIsRevealedAtItsPaceAndClicksCompleteAndPassThePage) {
    test::TempDir src, game, shots;
    src.write("main.vrs", kGame);
    auto c = runProcess({test::vrc(), "build", src.str(), "--out", game.str()});
    ASSERT_EQ(c.exitCode, 0) << c.output;
    game.write("blank.bmp", transparentBmp(kWidth, kHeight));
    shots.write("input.txt", "30 mouse click left 10 10\n40 mouse click left 10 10\n");

    const int frames[] = {8, 20, 29, 32, 39, 45};
    std::vector<std::string> argv{test::virelo(), "--headless", "--transcript", "--frames", "46",
                                  "--input", shots.str() + "input.txt", "--dump-vars", shots.str() + "vars.txt"};
    for (int f : frames) {
        argv.push_back("--screenshot-at");
        argv.push_back(std::to_string(f) + ":" + shots.str() + std::to_string(f) + ".png");
    }
    argv.push_back(game.str());
    auto r = runProcess(argv);
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(r.output.find("error dialog"), std::string::npos) << r.output;

    auto cells = [&](int f) { return cellsWithInk(shots.str() + std::to_string(f) + ".png"); };
    EXPECT_EQ(cells(8), 1) << "the first character at once";
    EXPECT_EQ(cells(20), 2) << "the second 200 ms later";
    EXPECT_EQ(cells(29), 3);
    EXPECT_EQ(cells(32), 5) << "the click in frame 30 showed the rest of the page";
    EXPECT_EQ(cells(39), 5) << "the page waits for the next click";
    EXPECT_EQ(cells(45), 1) << "the second click cleared the page; the next one has begun";

    EXPECT_TRUE(test::hasLine(test::readFile(shots.str() + "vars.txt"), "1000 int = 1"))
        << "the script went on past the first page";
}

}  // namespace
}  // namespace vr
