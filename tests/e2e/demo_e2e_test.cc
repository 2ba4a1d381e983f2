// The bundled demo played headless from input scripts, as a player would:
// the screenshots are read back and the text area is
// measured in character cells.  The layout constants are the demo's
// (games/demo/src/main.vrs): the message layer at (62, 452), 24-pixel
// glyphs of a fixed-pitch face on 27-pixel lines, 40 ms a character.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "support/png_file.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace vr {
namespace {

using test::runProcess;

constexpr int kTextX = 62, kTextY = 452, kCell = 24, kLine = 27, kColumns = 28, kLines = 4;
constexpr int kTextWidth = kColumns * kCell, kTextHeight = kLines * kLine;
constexpr int kDelayMs = 40;
constexpr double kFrameMs = 1000.0 / 60.0;
// The title waits for this click; the first page follows a 16-frame fade.
constexpr int kTitleClick = 40;

struct Rgb {
    int r = 0, g = 0, b = 0;
};

// One picture's crop.
struct Crop {
    test::Picture picture;
    int width() const { return picture.width; }
    int height() const { return picture.height; }
    Rgb at(int x, int y) const {
        uint32_t c = picture.rgb(x, y);
        if (x < 0 || y < 0 || x >= width() || y >= height()) return {};
        return {int(c >> 16), int(c >> 8 & 0xFF), int(c & 0xFF)};
    }
};

// The same rectangle of every picture; a picture that cannot be read, or
// is too small for the rectangle, ends the list there.
std::vector<Crop> readCrops(const std::vector<std::string>& pngs, int x, int y, int w, int h) {
    std::vector<Crop> crops;
    for (const std::string& file : pngs) {
        test::Picture p;
        if (!test::readPng(file, p) || x + w > p.width || y + h > p.height) break;
        crops.push_back({p.crop(x, y, w, h)});
    }
    return crops;
}

// Text is light on the window's dark panel, which stays below 80 (R + G +
// B) over the hill of the first pages; the thin strokes of a 、 or a 。 are
// much dimmer than the text's colours.
bool ink(const Rgb& c) { return c.r + c.g + c.b > 120; }
// The body of a stroke: where its colour can be told.
bool bright(const Rgb& c) { return c.r + c.g + c.b > 384; }

// Whether a character cell of the text area holds a glyph.
bool inked(const Crop& text, int line, int column) {
    int count = 0;
    for (int y = line * kLine; y < line * kLine + kCell; ++y)
        for (int x = column * kCell; x < (column + 1) * kCell; ++x) count += ink(text.at(x, y));
    return count >= 3;
}

int inkedCells(const Crop& text) {
    int n = 0;
    for (int line = 0; line < kLines; ++line)
        for (int column = 0; column < kColumns; ++column) n += inked(text, line, column);
    return n;
}

// A headless run of the demo from an input script, with screenshots at the
// frames asked for.
struct DemoRun {
    test::TempDir dir;
    test::ProcessResult result;
    std::map<int, std::string> shots;  // frame -> PNG
    std::map<uint32_t, std::string> variables;

    DemoRun(const std::string& input, const std::vector<int>& frames, int lastFrame) {
        dir.write("play.input", input);
        std::vector<std::string> argv{test::virelo(), "--input", dir.str() + "play.input", "--transcript",
                                      "--frames", std::to_string(lastFrame), "--dump-vars", dir.str() + "vars.txt"};
        for (int f : frames) {
            shots[f] = dir.str() + std::to_string(f) + ".png";
            argv.push_back("--screenshot-at");
            argv.push_back(std::to_string(f) + ":" + shots[f]);
        }
        argv.push_back(test::demoGameFolder());
        result = runProcess(argv);
        std::ifstream in(dir.str() + "vars.txt");
        std::string line;
        while (std::getline(in, line)) {
            size_t eq = line.find(" = ");
            if (eq != std::string::npos) variables[uint32_t(std::stoul(line))] = line.substr(eq + 3);
        }
    }
    // The text area of each frame asked for, in the order given.
    std::vector<Crop> text(const std::vector<int>& frames) const {
        return crops(frames, kTextX, kTextY, kTextWidth, kTextHeight);
    }
    std::vector<Crop> crops(const std::vector<int>& frames, int x, int y, int w, int h) const {
        std::vector<std::string> files;
        for (int f : frames) files.push_back(shots.at(f));
        return readCrops(files, x, y, w, h);
    }
};

// The first row below the chapter's title in the top left corner.
constexpr int kBelowChapter = 60;

// The variables the demo keeps first for its tests.
constexpr uint32_t kChoice = 1000, kPage = 1001, kEndings = 1002;

TEST(DemoE2E, TextIsRevealedAtItsPaceAClickShowsTheRestAndASecondPassesTheWait) {
    // Every frame from the one where the fade to the first page ends and its
    // window is up, and one just before the click that shows the rest.
    constexpr int kFirst = kTitleClick + 16, kLast = 80, kBeforeClick = 104, kShowAll = 105, kPass = 115;
    std::vector<int> reveal;
    for (int f = kFirst; f <= kLast; ++f) reveal.push_back(f);
    reveal.push_back(kBeforeClick);
    std::vector<int> after{kShowAll, kShowAll + 1, kPass - 1, kPass + 1, 140};
    std::vector<int> frames = reveal;
    frames.insert(frames.end(), after.begin(), after.end());
    DemoRun run("1 mouse move 400 300\n" + std::to_string(kTitleClick) + " mouse click left\n" +
                    std::to_string(kShowAll) + " mouse click left\n" + std::to_string(kPass) + " mouse click left\n",
                frames, 141);
    ASSERT_EQ(run.result.exitCode, 0) << run.result.output;
    ASSERT_EQ(run.result.output.find("error dialog"), std::string::npos) << run.result.output;

    std::vector<Crop> text = run.text(reveal);
    ASSERT_EQ(text.size(), reveal.size());
    std::vector<int> cells;
    for (const Crop& c : text) cells.push_back(inkedCells(c));
    size_t first = 0;
    while (first < cells.size() && cells[first] == 0) ++first;
    ASSERT_LT(first, cells.size() - 1) << "no text within " << kLast - kTitleClick << " frames of the title click";
    EXPECT_GT(first, 0u) << "the window is up, empty, before the text begins";

    // The first character comes at once, each further one 40 ms after the
    // one before; a frame is 16 or 17 ms, so at most one appears a frame and
    // never three frames pass without one.
    int quiet = 0;
    for (size_t i = first; i < cells.size(); ++i) {
        double ms = double(reveal[i] - reveal[first]) * kFrameMs;
        int expected = 1 + int(ms / kDelayMs);
        EXPECT_NEAR(cells[i], expected, 1) << "frame " << reveal[i] << ", " << ms << " ms into the page";
        if (i == first || reveal[i] != reveal[i - 1] + 1) continue;
        int added = cells[i] - cells[i - 1];
        EXPECT_TRUE(added == 0 || added == 1) << added << " characters appeared in frame " << reveal[i];
        quiet = added == 0 ? quiet + 1 : 0;
        EXPECT_LT(quiet, 3) << "no character for three frames up to frame " << reveal[i];
    }

    std::vector<Crop> later = run.text(after);
    ASSERT_EQ(later.size(), after.size());
    int beforeClick = cells.back();
    int atClick = inkedCells(later[0]), whole = inkedCells(later[1]), waiting = inkedCells(later[2]);
    EXPECT_LE(atClick - beforeClick, 1) << "the clicked frame is still paced";
    // The first page is 82 characters on three lines: the third ends with
    // a 。 hanging in the 28th cell, the first with a kana that did not.
    EXPECT_EQ(whole, 82) << "the frame after the click shows the whole page";
    EXPECT_TRUE(inked(later[1], 2, 27)) << "the full stop hangs in the last cell";
    EXPECT_FALSE(inked(later[1], 0, 27)) << "a kana in the last cell goes to the next line";
    EXPECT_EQ(waiting, whole) << "the page waits for the second click as it is";
    EXPECT_EQ(inkedCells(later[3]), 0) << "the second click passed the wait and the page was cleared";

    // The next page: its speaker's name in gold above white text.
    const Crop& next = later[4];
    EXPECT_TRUE(inked(next, 0, 1) && inked(next, 0, 2)) << "the name is on the first line";
    EXPECT_TRUE(inked(next, 1, 0)) << "the page's text follows on the second";
    long nameRed = 0, nameBlue = 0, textRed = 0, textBlue = 0;
    for (int y = 0; y < kCell; ++y)
        for (int x = kCell; x < 3 * kCell; ++x)
            if (Rgb c = next.at(x, y); bright(c)) nameRed += c.r, nameBlue += c.b;
    for (int y = kLine; y < kLine + kCell; ++y)
        for (int x = 0; x < 4 * kCell; ++x)
            if (Rgb c = next.at(x, y); bright(c)) textRed += c.r, textBlue += c.b;
    EXPECT_GT(nameRed, nameBlue * 3 / 2) << "gold or orange";
    EXPECT_LE(textRed, textBlue) << "white to pale blue";

    // The text's gradient: white at the top of a line, pale blue below.
    long topRed = 0, topBlue = 0, bottomRed = 0, bottomBlue = 0;
    for (int line = 0; line < 3; ++line)
        for (int x = 0; x < kTextWidth; ++x) {
            for (int y = line * kLine; y < line * kLine + 8; ++y)
                if (Rgb c = later[1].at(x, y); bright(c)) topRed += c.r, topBlue += c.b;
            for (int y = line * kLine + 16; y < line * kLine + kCell; ++y)
                if (Rgb c = later[1].at(x, y); bright(c)) bottomRed += c.r, bottomBlue += c.b;
        }
    ASSERT_GT(topBlue, 0);
    ASSERT_GT(bottomBlue, 0);
    EXPECT_GT(double(topRed) / double(topBlue), double(bottomRed) / double(bottomBlue) + 0.1);
}

// Clicks through the first four pages (each shown at once, then passed)
// to the choice, then clicks at (x, y).
std::string toTheChoice() {
    return "1 mouse move 400 300\n40 mouse click left\n"
           "120 mouse click left\n130 mouse click left\n180 mouse click left\n190 mouse click left\n"
           "240 mouse click left\n250 mouse click left\n300 mouse click left\n";
}

// Whether a crop of a screenshot is exactly that part of a picture of the
// game.
bool showsPicture(const Crop& shot, const std::string& picture, int x, int y) {
    std::vector<Crop> p = readCrops({test::demoGameFolder() + "/" + picture}, x, y, shot.width(), shot.height());
    return p.size() == 1 && test::sameColours(p[0].picture, shot.picture);
}

// The first page's background comes in by the engine's cross-fade: the sky
// above the logo moves from the title's picture toward the hill's in every
// frame shot during the fade, and ends exactly as the hill.
TEST(DemoE2E, TheBackgroundCrossFadesFromTheTitleToTheHill) {
    const std::vector<int> frames{38, 45, 49, 53, 60};
    DemoRun run("1 mouse move 400 300\n40 mouse click left\n", frames, 61);
    ASSERT_EQ(run.result.exitCode, 0) << run.result.output;
    // Below the chapter's title, which the scene draws over its picture.
    std::vector<Crop> sky = run.crops(frames, 0, kBelowChapter, 800, 36);
    std::vector<Crop> hill = readCrops({test::demoGameFolder() + "/bg/hill.png"}, 0, kBelowChapter, 800, 36);
    ASSERT_EQ(sky.size(), frames.size());
    ASSERT_EQ(hill.size(), 1u);
    EXPECT_TRUE(showsPicture(sky.front(), "bg/title.png", 0, kBelowChapter)) << "before the click";
    EXPECT_TRUE(showsPicture(sky.back(), "bg/hill.png", 0, kBelowChapter)) << "after the fade";
    auto distance = [&](const Crop& c) {
        long sum = 0;
        for (int y = 0; y < 36; y += 3)
            for (int x = 0; x < 800; x += 5) {
                Rgb a = c.at(x, y), b = hill[0].at(x, y);
                sum += std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
            }
        return sum;
    };
    for (size_t i = 1; i < frames.size(); ++i)
        EXPECT_LT(distance(sky[i]), distance(sky[i - 1])) << "frame " << frames[i] << " nearer the hill than frame "
                                                          << frames[i - 1];
    EXPECT_GT(distance(sky[2]), distance(sky.front()) / 5) << "the middle of the fade is a mix, not a cut";
    EXPECT_LT(distance(sky[2]), distance(sky.front()) * 4 / 5);
}

TEST(DemoE2E, TheChoiceIsTheButtonUnderThePointerAndLeadsToItsBranch) {
    // The forest button's top-left corner (230, 270) is round: a click there
    // is on no button.  Then the sea button, played to the end.
    std::string sea = toTheChoice() +
                      "303 mouse move 232 272\n310 mouse click left 232 272\n320 mouse click left 400 190\n"
                      "380 mouse click left\n390 mouse click left\n440 mouse click left\n450 mouse click left\n"
                      "510 mouse click left\n520 mouse click left\n600 mouse click left\n";
    DemoRun toSea(sea, {305, 315, 370, 660}, 661);
    ASSERT_EQ(toSea.result.exitCode, 0) << toSea.result.output;
    ASSERT_EQ(toSea.result.output.find("error dialog"), std::string::npos) << toSea.result.output;
    EXPECT_EQ(toSea.variables[kChoice], "1");
    EXPECT_EQ(toSea.variables[kEndings], "1") << "the sea branch reached the ending";
    EXPECT_EQ(toSea.variables[kPage], "8");

    // The buttons, an area above them and one at the top of the title.
    std::vector<Crop> buttons = toSea.crops({305, 315}, 230, 150, 340, 204);
    std::vector<Crop> sky = toSea.crops({370}, 0, kBelowChapter, 800, 80);
    std::vector<Crop> title = toSea.crops({660}, 0, 0, 800, 90);
    ASSERT_EQ(buttons.size(), 2u);
    ASSERT_EQ(sky.size(), 1u);
    ASSERT_EQ(title.size(), 1u);
    EXPECT_TRUE(test::sameColours(buttons[0].picture, buttons[1].picture)) << "the click on the round corner chose nothing";
    Rgb seaButton = buttons[0].at(40, 20), forestButton = buttons[0].at(40, 140);
    EXPECT_GT(seaButton.b, seaButton.r + 60) << "the sea button is shown";
    EXPECT_GT(forestButton.g, forestButton.r + 40) << "the forest button is shown";
    EXPECT_TRUE(showsPicture(sky[0], "bg/sea.png", 0, kBelowChapter)) << "the sea branch shows the sea";
    EXPECT_TRUE(showsPicture(title[0], "bg/title.png", 0, 0)) << "the ending returned to the title";

    DemoRun toForest(toTheChoice() + "320 mouse click left 400 310\n", {370}, 371);
    ASSERT_EQ(toForest.result.exitCode, 0) << toForest.result.output;
    EXPECT_EQ(toForest.variables[kChoice], "2");
    std::vector<Crop> forest = toForest.crops({370}, 0, kBelowChapter, 800, 80);
    ASSERT_EQ(forest.size(), 1u);
    EXPECT_TRUE(showsPicture(forest[0], "bg/forest.png", 0, kBelowChapter)) << "the forest branch shows the forest";
    EXPECT_FALSE(showsPicture(forest[0], "bg/sea.png", 0, kBelowChapter));
}

}  // namespace
}  // namespace vr
