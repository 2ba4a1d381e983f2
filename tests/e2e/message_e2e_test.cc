// A message played headless: its characters appear one by one at the
// configured delay, a click shows the rest of the page at once, a second
// click passes the wait and the script goes on to the next page.  The
// screenshots are read back and the columns holding ink counted.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "graphics/image/decoders.h"
#include "support/headless_engine.h"
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
    std::ifstream in(png, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    test::HeadlessEngine h;
    Surface s;
    if (bytes.empty() || decodePng(s, bytes.data(), bytes.size(), "shot") != 0) return -1;
    if (s.width != uint32_t(kWidth) || s.height != uint32_t(kHeight)) return -1;
    int right = -1;
    for (uint32_t y = 0; y < s.height; ++y)
        for (uint32_t x = 0; x < s.width; ++x) {
            const uint8_t* p = s.row(y) + size_t(x) * 4;
            if (p[0] + p[1] + p[2] > 3 * 64) right = std::max(right, int(x));
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

    std::ifstream vars(shots.str() + "vars.txt");
    std::string dump((std::istreambuf_iterator<char>(vars)), std::istreambuf_iterator<char>());
    EXPECT_NE(dump.find("1000 int = 1"), std::string::npos) << "the script went on past the first page\n" << dump;
}

}  // namespace
}  // namespace vr
