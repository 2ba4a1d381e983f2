// Games played headless from an input script: the scripts read the key
// counters of every frame through the system variables, and the run's
// --dump-vars file gives them back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/game_run.h"
#include "support/temp_dir.h"

namespace vr {
namespace {

using test::runGame;

constexpr int kFrames = 8;

// A game that records each expression in each of the first frames: the
// recording of expression i is variable 1000 + i, one element per frame.
// `afterRecord` runs once the frame's values are taken.
std::string recorder(const std::vector<std::string>& expressions, const std::string& afterRecord = "") {
    std::string s;
    for (size_t i = 0; i < expressions.size(); ++i) s += "global int v" + std::to_string(i) + "[8]\n";
    s += "global int f\n*SYSTEM_START\n*next\nif f < 8\n";
    for (size_t i = 0; i < expressions.size(); ++i) s += "  v" + std::to_string(i) + "[f] = " + expressions[i] + "\n";
    s += "  f += 1\n" + afterRecord + "end\nwait 1\ngoto *next\n";
    return s;
}

struct Played {
    test::GameRun run;
    test::TempDir dir;
};

// Runs the game with the input script; `file` is the name the script gets.
void play(Played& p, const std::string& game, const std::string& input, const std::string& file = "input.txt") {
    p.dir.write(file, input);
    p.run = runGame(game, kFrames, {"--input", p.dir.str() + file});
}

TEST(InputE2E, KeysCountTheFramesTheyAreHeldAndReleased) {
    Played p;
    play(p, recorder({"key.space", "key.a", "input[32]", "keycount.space", "keycode.space"}),
         "1 key down space\n4 key up space\n6 key tap space   # down for one frame\n");
    ASSERT_EQ(p.run.compileExit, 0) << p.run.compileOutput;
    ASSERT_EQ(p.run.exitCode, 0) << p.run.output;
    EXPECT_FALSE(p.run.anyError()) << p.run.output;
    EXPECT_EQ(p.run.value(1000), "1, 2, 3, -1, -2, 1, -1, -2");
    EXPECT_EQ(p.run.value(1001), "-1, -2, -3, -4, -5, -6, -7, -8") << "a key never pressed";
    EXPECT_EQ(p.run.value(1002), p.run.value(1000)) << "the same counter by key number";
    EXPECT_EQ(p.run.value(1003), "1, 1, 1, 1, 1, 2, 2, 2");
    EXPECT_EQ(p.run.value(1004), "32, 32, 32, 32, 32, 32, 32, 32");
}

TEST(InputE2E, NoClickStartsOutsideTheWindowButAHeldButtonLeavesWithTheCursor) {
    Played p;
    play(p, recorder({"key.mouse.left", "keycount.mouse.left"}),
         "1 mouse down left -10 10\n2 mouse up left\n3 mouse down left 10 10\n4 mouse move 9000 10\n6 mouse up left\n");
    ASSERT_EQ(p.run.exitCode, 0) << p.run.output;
    EXPECT_EQ(p.run.value(1000), "-1, -2, 1, 2, 3, -1, -2, -3");
    EXPECT_EQ(p.run.value(1001), "0, 0, 1, 1, 1, 1, 1, 1");
}

TEST(InputE2E, WheelAndMovementLastOneFrame) {
    Played p;
    play(p, recorder({"key.wheel.up", "key.wheel.down", "key.mouse.move"}),
         "2 mouse move 5 5\n2 wheel up\n4 wheel down 3\n");
    ASSERT_EQ(p.run.exitCode, 0) << p.run.output;
    EXPECT_EQ(p.run.value(1000), "-1, 1, -1, -2, -3, -4, -5, -6");
    EXPECT_EQ(p.run.value(1001), "-1, -2, -3, 1, -1, -2, -3, -4");
    EXPECT_EQ(p.run.value(1002), "-1, 1, -1, -2, -3, -4, -5, -6");
}

TEST(InputE2E, WithoutTheFocusEveryKeyAndButtonIsLetGo) {
    Played p;
    play(p, recorder({"key.space", "key.mouse.right", "key.any", "keycount.space"}),
         "1 key down space\n1 mouse down right 5 5\n3 focus lost\n5 focus gained\n");
    ASSERT_EQ(p.run.exitCode, 0) << p.run.output;
    EXPECT_EQ(p.run.value(1000), "1, 2, -1, -2, 1, 2, 3, 4");
    EXPECT_EQ(p.run.value(1001), "1, 2, -1, -2, 1, 2, 3, 4");
    EXPECT_EQ(p.run.value(1002), "1, 2, -1, -2, 1, 2, 3, 4");
    EXPECT_EQ(p.run.value(1003), "1, 1, 1, 1, 2, 2, 2, 2") << "held when the focus came back: a new press";
}

TEST(InputE2E, KeyPollingSwitchedOffStopsTheKeysButNotTheMouse) {
    Played p;
    play(p, recorder({"key.space", "key.mouse.left"}, "  if f == 2\n    InputOptions keyPolling=0\n  end\n"),
         "1 key down space\n4 mouse click left 5 5\n5 key up space\n");
    ASSERT_EQ(p.run.exitCode, 0) << p.run.output;
    EXPECT_FALSE(p.run.anyError()) << p.run.output;
    EXPECT_EQ(p.run.value(1000), "1, 2, 2, 2, 2, 2, 2, 2");
    EXPECT_EQ(p.run.value(1001), "-1, -2, -3, 1, -1, -2, -3, -4");
}

TEST(InputE2E, MouseControlMovesTheCursorAndSetsItsShape) {
    auto r = runGame(
        "*SYSTEM_START\nMouseControl x=12 y=34 shape=11\nMouseControl x=50\n"
        "MouseControl shape=14 mode=2 hideDelay=100\n"
        "*idle\nwait 1\ngoto *idle\n",
        2);
    ASSERT_EQ(r.compileExit, 0) << r.compileOutput;
    EXPECT_FALSE(r.anyError()) << r.output;
    EXPECT_TRUE(r.transcribed("cursor moved to 12,34 of window 1"));
    EXPECT_TRUE(r.transcribed("cursor shape 11"));
    EXPECT_TRUE(r.transcribed("cursor moved to 50,34 of window 1")) << "y stays where the cursor is";
    EXPECT_TRUE(r.transcribed("cursor shape 0")) << "shapes past the last are the arrow";
}

TEST(InputE2E, ABadInputLineStopsTheRunBeforeItStarts) {
    Played p;
    play(p, recorder({"key.space"}), "1 key down space\n\n3 mouse down lft\n", "bad.txt");
    EXPECT_EQ(p.run.exitCode, 2);
    EXPECT_TRUE(p.run.reported("bad.txt:3: a mouse button is left, right or middle, not 'lft'")) << p.run.output;
    EXPECT_FALSE(p.run.reported("window 1 created")) << "the game never started\n" << p.run.output;
}

}  // namespace
}  // namespace vr
