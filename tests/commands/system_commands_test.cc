#include "commands/system_operations.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <set>

#include "core/engine_files.h"
#include "core/engine_files_writer.h"
#include "script/system_variables.h"
#include "shell/frame_pacer.h"
#include "support/headless_engine.h"

namespace vr {
namespace {

constexpr double kPi = 3.141592653589793;

MathOperand integerOperand(int64_t v) {
    MathOperand op;
    op.integer = v;
    return op;
}

MathOperand realOperand(double v) {
    MathOperand op;
    op.floating = true;
    op.real = v;
    op.integer = int64_t(v);  // as the numeric evaluator truncates it
    return op;
}

struct SystemCommandsTest : ::testing::Test {
    test::HeadlessEngine h;

    double realOf(int function, MathOperand a, MathOperand b = {}) {
        MathResult r = applyMathFunction(function, a, b, "");
        EXPECT_TRUE(r.floating) << "function " << function;
        return r.real;
    }
};

TEST_F(SystemCommandsTest, FloatingFunctionsOnKnownValues) {
    MathOperand half = realOperand(0.5), one = realOperand(1.0);
    EXPECT_NEAR(realOf(kMathSin, realOperand(kPi / 6)), 0.5, 1e-15);
    EXPECT_NEAR(realOf(kMathCos, realOperand(kPi / 3)), 0.5, 1e-15);
    EXPECT_NEAR(realOf(kMathTan, realOperand(kPi / 4)), 1.0, 1e-15);
    EXPECT_NEAR(realOf(kMathAsin, half), kPi / 6, 1e-15);
    EXPECT_NEAR(realOf(kMathAcos, half), kPi / 3, 1e-15);
    EXPECT_NEAR(realOf(kMathSinh, one), 1.1752011936438014, 1e-15);
    EXPECT_NEAR(realOf(kMathCosh, one), 1.5430806348152437, 1e-15);
    EXPECT_NEAR(realOf(kMathTanh, half), 0.46211715726000974, 1e-15);
    EXPECT_NEAR(realOf(kMathAtan, one), kPi / 4, 1e-15);
    EXPECT_NEAR(realOf(kMathExp, one), 2.718281828459045, 1e-15);
    EXPECT_NEAR(realOf(kMathLog, realOperand(2.718281828459045)), 1.0, 1e-15);
    EXPECT_NEAR(realOf(kMathLog10, realOperand(1000.0)), 3.0, 1e-15);
    EXPECT_NEAR(realOf(kMathSqrt, realOperand(2.0)), 1.4142135623730951, 1e-15);
    // The two-operand forms take operand 2; atan2 keeps the quadrant.
    EXPECT_NEAR(realOf(kMathAtan2, one, realOperand(-1.0)), 3 * kPi / 4, 1e-15);
    EXPECT_NEAR(realOf(kMathAtan2, realOperand(-1.0), realOperand(-1.0)), -3 * kPi / 4, 1e-15);
    EXPECT_DOUBLE_EQ(realOf(kMathPow, realOperand(2.0), realOperand(0.5)), std::sqrt(2.0));
}

TEST_F(SystemCommandsTest, IntegerOperandsAreConvertedFirst) {
    // An integer operand must not be truncated by integer arithmetic.
    EXPECT_DOUBLE_EQ(realOf(kMathSqrt, integerOperand(2)), 1.4142135623730951);
    EXPECT_DOUBLE_EQ(realOf(kMathPow, integerOperand(2), integerOperand(-1)), 0.5);
    EXPECT_DOUBLE_EQ(realOf(kMathPow, integerOperand(2), integerOperand(62)), 4611686018427387904.0);
    EXPECT_NEAR(realOf(kMathAtan2, integerOperand(1), integerOperand(2)), 0.4636476090008061, 1e-15);
    // Outside the domain the math library decides; no error is raised.
    EXPECT_TRUE(std::isnan(realOf(kMathSqrt, integerOperand(-1))));
    EXPECT_TRUE(std::isinf(realOf(kMathLog, integerOperand(0))));
    EXPECT_TRUE(h.e.core.errors.reportedCodes.empty());
}

TEST_F(SystemCommandsTest, AbsoluteValueKeepsTheOperandsType) {
    MathResult r = applyMathFunction(kMathAbs, integerOperand(-5), {}, "");
    EXPECT_FALSE(r.floating);
    EXPECT_EQ(r.integer, 5);
    r = applyMathFunction(kMathAbs, integerOperand(7), {}, "");
    EXPECT_EQ(r.integer, 7);
    r = applyMathFunction(kMathAbs, realOperand(-2.5), {}, "");
    EXPECT_TRUE(r.floating);
    EXPECT_DOUBLE_EQ(r.real, 2.5);
    r = applyMathFunction(kMathAbs, integerOperand(INT64_MIN), {}, "");
    EXPECT_EQ(r.integer, INT64_MIN);
}

TEST_F(SystemCommandsTest, FirstPresentSelectorDecides) {
    auto ids = [](std::initializer_list<int> list) {
        uint32_t mask = 0;
        for (int id : list) mask |= 1u << id;
        return mask;
    };
    EXPECT_EQ(selectMathFunction(ids({kMathSin, kMathCos})), kMathSin);
    EXPECT_EQ(selectMathFunction(ids({kMathAsin, kMathTan})), kMathTan);
    EXPECT_EQ(selectMathFunction(ids({kMathAtan2, kMathAtan})), kMathAtan);
    EXPECT_EQ(selectMathFunction(ids({kMathAtan, kMathTanh})), kMathTanh);
    EXPECT_EQ(selectMathFunction(ids({kMathCrc32, kMathRandom, kMathPow})), kMathPow);
    EXPECT_EQ(selectMathFunction(ids({kMathCrc32})), kMathCrc32);
    // The operand and text arguments select nothing.
    EXPECT_EQ(selectMathFunction(ids({0, 1, 2, 3})), -1);
    EXPECT_EQ(selectMathFunction(0), -1);
}

TEST_F(SystemCommandsTest, Crc32OfTheText) {
    auto crc = [](std::string_view text) { return applyMathFunction(kMathCrc32, {}, {}, text).integer; };
    EXPECT_EQ(crc("123456789"), 0xCBF43926);
    EXPECT_EQ(crc("abc"), 891568578);
    EXPECT_EQ(crc(""), 0);
    EXPECT_EQ(crc(std::string_view("abc\0def", 7)), 891568578);
    EXPECT_FALSE(applyMathFunction(kMathCrc32, {}, {}, "abc").floating);
}

TEST_F(SystemCommandsTest, RandomGeneratorIsTheStandardMersenneTwister) {
    h.e.core.run.randomSeedClock = 5489;
    EXPECT_EQ(engineRandom(), 3499211612u);
    EXPECT_EQ(engineRandom(), 581869302u);
    EXPECT_EQ(engineRandom(), 3890346734u);
    // Seeded once: the sequence goes on, it does not start again.
    std::mt19937 reference(5489);
    reference.discard(3);
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(engineRandom(), reference()) << "draw " << i;

    // Start-up seeds from the clock value it took, through the standard
    // initialisation (multiplier 1812433253).
    test::HeadlessEngine other;
    other.e.core.run.randomSeedClock = 1;
    initialiseSystemVariables();
    EXPECT_EQ(engineRandom(), 1791095845u);
    EXPECT_EQ(engineRandom(), 4282876139u);
}

TEST_F(SystemCommandsTest, RandomRange) {
    h.e.core.run.randomSeedClock = 12345;
    std::set<int64_t> seen;
    for (int i = 0; i < 600; ++i) {
        MathResult r = applyMathFunction(kMathRandom, integerOperand(1), integerOperand(6), "");
        ASSERT_FALSE(r.floating);
        ASSERT_GE(r.integer, 1);
        ASSERT_LE(r.integer, 6);
        seen.insert(r.integer);
    }
    EXPECT_EQ(seen.size(), 6u);
    EXPECT_EQ(randomInRange(7, 1, 6), 2);
    EXPECT_EQ(randomInRange(5, -3, 3), 2);
    EXPECT_EQ(randomInRange(0xFFFFFFFFu, 0, 9), 5);
    EXPECT_EQ(randomInRange(123, 4, 4), 4);
    // Bounds the wrong way round give the same values as the right way round.
    for (uint32_t draw : {0u, 1u, 5u, 6u, 0xFFFFFFFFu}) EXPECT_EQ(randomInRange(draw, 6, 1), randomInRange(draw, 1, 6));
    // The whole 64-bit range: its span wraps to 0 without a division by it.
    EXPECT_EQ(randomInRange(42, INT64_MIN, INT64_MAX), INT64_MIN + 42);
    EXPECT_EQ(randomInRange(42, INT64_MAX, INT64_MIN), INT64_MIN + 42);
    EXPECT_EQ(randomInRange(9, -1, INT64_MAX), 8);
    // Floating operands give their truncated values as the bounds.
    MathResult r = applyMathFunction(kMathRandom, realOperand(2.9), realOperand(2.1), "");
    EXPECT_EQ(r.integer, 2);
}

TEST_F(SystemCommandsTest, FrameRate) {
    FramePacer& p = h.e.shell.pacer;
    p.pacedFrames = 37;
    p.presentedFrames = 30;
    h.host.advanceClock(4321);
    setFrameRate(true, 60, false, 0);
    EXPECT_EQ(framePeriod16(h.e.shell.fps), 1092266u);
    EXPECT_EQ(p.pacedPerSecond, 37u);
    EXPECT_EQ(p.presentedPerSecond, 30u);
    EXPECT_EQ(p.pacedFrames, 0u);
    EXPECT_EQ(p.presentedFrames, 0u);
    EXPECT_EQ(p.statsReference, 4321u);
    EXPECT_EQ(h.e.shell.frameSkipAllowed, 1);

    setFrameRate(true, 30, true, 0);
    EXPECT_EQ(h.e.shell.fps, 30);
    EXPECT_EQ(h.e.shell.frameSkipAllowed, 0);
    setFrameRate(false, 0, true, 2);
    EXPECT_EQ(h.e.shell.fps, 30);
    EXPECT_EQ(h.e.shell.frameSkipAllowed, 1);
    // Rates the pacer cannot keep are held to what it can.
    setFrameRate(true, 0, false, 0);
    EXPECT_EQ(h.e.shell.fps, 1);
    setFrameRate(true, 1LL << 40, false, 0);
    EXPECT_EQ(h.e.shell.fps, kMaxFrameRate);
    EXPECT_GE(framePeriod16(h.e.shell.fps) >> 16, 1u);
}

TEST_F(SystemCommandsTest, EndProgramQuitsAndMayRestart) {
    endProgram(false, 0);
    EXPECT_TRUE(h.e.core.run.quitRequested);
    EXPECT_FALSE(h.e.shell.restartRequested);

    test::HeadlessEngine restart;
    endProgram(true, 1);
    EXPECT_TRUE(restart.e.core.run.quitRequested);
    EXPECT_TRUE(restart.e.shell.restartRequested);
    endProgram(true, 0);
    EXPECT_FALSE(restart.e.shell.restartRequested);
}

TEST_F(SystemCommandsTest, CheckSwitchesAndLabels) {
    auto& switches = h.e.core.errors.checkSwitches;
    switches.fill(1);
    setCheckSwitch(1, 0x100);
    setCheckSwitch(94, 7);
    setCheckSwitch(0, 0);
    setCheckSwitch(128, 0);
    EXPECT_EQ(switches[1], 0);
    EXPECT_EQ(switches[94], 7);
    EXPECT_EQ(switches[0], 1);
    EXPECT_EQ(switches[2], 1);

    std::vector<LabelEntry> labels{{"SYSTEM_START", 0, 0, 0, 0}, {"menu", 12, 1, 0, 0}};
    auto file = writeLabels(labels);
    ASSERT_EQ(parseLabels(file.data(), file.size(), "vrl.vbn"), 0);
    EXPECT_TRUE(labelExists("SYSTEM_START"));
    EXPECT_TRUE(labelExists("menu"));
    EXPECT_FALSE(labelExists("MENU"));
    EXPECT_FALSE(labelExists(""));
}

}  // namespace
}  // namespace vr
