// The system variables and the small engine commands seen from a game:
// compiled by vrc, run headless, read back from the --dump-vars file.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "support/game_run.h"

namespace vr {
namespace {

using test::runGame;

constexpr const char* kIdle = "\n*idle\nwait 1\ngoto *idle\n";

TEST(SystemE2E, MathAndLabelCommands) {
    auto r = runGame(
        "global float s\nglobal int crc\nglobal int r\nglobal int found\nglobal int missing\nglobal int a\n"
        "global float fa\nglobal float root\n*SYSTEM_START\n"
        "MathFunction result=s operand1=0.5 cos=1 sin=1\n"
        "MathFunction result=crc text=\"123456789\" crc32=1\n"
        "MathFunction result=r operand1=6 operand2=1 random=1\n"
        "LabelExists label=\"SYSTEM_START\" result=found exists=1\n"
        "missing = 7\nLabelExists label=\"nowhere\" result=missing exists=1\n"
        "MathFunction result=a operand1=-5 abs=1\n"
        "MathFunction result=fa operand1=-2.5 abs=1\n"
        "MathFunction result=root operand1=2 sqrt=1\n"
        "goto *idle\n" + std::string(kIdle),
        2);
    ASSERT_EQ(r.compileExit, 0) << r.compileOutput;
    EXPECT_FALSE(r.anyError()) << r.output;
    EXPECT_EQ(std::stod(r.value(1000)), std::sin(0.5)) << "the sine wins over the cosine";
    EXPECT_EQ(r.value(1001), "3421780262");
    int64_t roll = std::stoll(r.value(1002));
    EXPECT_GE(roll, 1);
    EXPECT_LE(roll, 6);
    EXPECT_EQ(r.value(1003), "1");
    EXPECT_EQ(r.value(1004), "0");
    EXPECT_EQ(r.value(1005), "5");
    EXPECT_EQ(r.value(1006), "2.5");
    EXPECT_EQ(std::stod(r.value(1007)), std::sqrt(2.0)) << "an integer operand is not cut to an integer";
}

TEST(SystemE2E, SystemVariablesInAScript) {
    auto r = runGame(
        "global int version\nglobal int c999\nglobal int passes\nglobal float pi\nglobal str ab\nglobal int outside\n"
        "global int param2\nglobal str lines\n*SYSTEM_START\n"
        "version = sys.version\nc999 = sys.c999\n"
        "loop 3\n  passes += sys.loop\nend\noutside = sys.loop\n"
        "pi = sys.pi\nab = sys.byte[65] + sys.byte[66]\n"
        "call *f(4, 5)\n"
        "message.text1 = \"one\"\nlines = message.text1 + root.object\n"
        "goto *idle\n"
        "*f\nparam2 = param.int[2]\nreturn\n" + std::string(kIdle),
        2);
    ASSERT_EQ(r.compileExit, 0) << r.compileOutput;
    EXPECT_FALSE(r.anyError()) << r.output;
    EXPECT_EQ(r.value(1000), "412");
    EXPECT_EQ(r.value(1001), "999");
    EXPECT_EQ(r.value(1002), "6") << "passes 1, 2 and 3";
    EXPECT_EQ(r.value(1005), "0") << "after the loop";
    EXPECT_EQ(r.value(1003), "3.141592653589793");
    EXPECT_EQ(r.value(1004), "\"AB\"");
    EXPECT_EQ(r.value(1006), "5");
    EXPECT_EQ(r.value(1007), "\"oneW0\"");
}

TEST(SystemE2E, FrameRateSetsTheFrameLength) {
    auto r = runGame(
        "global int t60\nglobal int t30\n*SYSTEM_START\n"
        "wait 1\nt60 = sys.tick\nwait 3\nt60 = sys.tick - t60\n"
        "SetFrameRate rate=30\nwait 1\nt30 = sys.tick\nwait 3\nt30 = sys.tick - t30\n"
        "goto *idle\n" + std::string(kIdle),
        12);
    ASSERT_EQ(r.compileExit, 0) << r.compileOutput;
    EXPECT_FALSE(r.anyError()) << r.output;
    int64_t at60 = std::stoll(r.value(1000)), at30 = std::stoll(r.value(1001));
    EXPECT_GE(at60, 49);
    EXPECT_LE(at60, 51);
    EXPECT_GE(at30, 99);
    EXPECT_LE(at30, 101);
}

TEST(SystemE2E, EndProgramEndsTheRunInOrder) {
    auto r = runGame(
        "global int frames\n*SYSTEM_START\nloop 3\n  frames += 1\n  wait 1\nend\nEndProgram\n"
        "frames = 100\n" + std::string(kIdle),
        50);
    ASSERT_EQ(r.compileExit, 0) << r.compileOutput;
    EXPECT_FALSE(r.anyError()) << r.output;
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.value(1000), "3") << "nothing after the end runs, and the variables are still written";
}

}  // namespace
}  // namespace vr
