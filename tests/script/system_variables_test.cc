#include "script/system_variables.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "script/variables.h"
#include "support/headless_engine.h"
#include "support/sjis_text.h"

namespace vr {
namespace {

constexpr uint64_t kMsPerDay = 86'400'000;

struct SystemVariablesTest : ::testing::Test {
    test::HeadlessEngine h;
    ThreadNode node;

    // The headless local time counts from 2000-01-01 00:00, a Saturday.
    void advanceTo(uint64_t days, uint64_t hour, uint64_t minute, uint64_t second, uint64_t ms) {
        uint64_t target = days * kMsPerDay + ((hour * 60 + minute) * 60 + second) * 1000 + ms;
        ASSERT_GE(target, h.host.millis());
        h.host.advanceClock(target - h.host.millis());
    }
    ScriptThread& runOnThread() {
        h.e.script.currentNode = &node;
        h.e.script.currentThread = node.thread.get();
        return *node.thread;
    }
    bool reported(uint32_t code) const {
        for (uint32_t c : h.e.core.errors.reportedCodes)
            if (c == code) return true;
        return false;
    }
};

TEST_F(SystemVariablesTest, DateAndTimeFields) {
    // 2000-03-05 was a Sunday: 31 + 29 + 4 days after New Year.
    advanceTo(64, 13, 45, 30, 250);
    const int64_t expected[8] = {2000, 3, 5, 0, 13, 45, 30, 250};
    for (int64_t k = 0; k < 8; ++k) EXPECT_EQ(readSystemInteger(0, k), expected[k]) << "element " << k;
    EXPECT_EQ(readSystemInteger(0, 16), 0);
    EXPECT_EQ(readSystemInteger(0, -1), 0);
    // 2000-03-31, a Friday.
    advanceTo(90, 0, 0, 0, 0);
    EXPECT_EQ(readSystemInteger(0, 1), 3);
    EXPECT_EQ(readSystemInteger(0, 2), 31);
    EXPECT_EQ(readSystemInteger(0, 3), 5);
}

TEST_F(SystemVariablesTest, StartTimeStaysWhileTheClockRuns) {
    advanceTo(31, 8, 9, 10, 11);  // 2000-02-01, a Tuesday
    recordStartTime();
    advanceTo(400, 23, 59, 58, 999);
    const int64_t atStart[8] = {2000, 2, 1, 2, 8, 9, 10, 11};
    for (int64_t k = 0; k < 8; ++k) EXPECT_EQ(readSystemInteger(0, 8 + k), atStart[k]) << "element " << 8 + k;
    EXPECT_EQ(readSystemInteger(0, 0), 2001);
    EXPECT_EQ(readSystemInteger(0, 4), 23);
}

TEST_F(SystemVariablesTest, TickAndScriptTimers) {
    h.host.advanceClock(5000);
    initialiseSystemVariables();
    h.host.advanceClock(250);
    EXPECT_EQ(readSystemInteger(1, 0), 5250);
    for (int64_t k = 1; k <= 4; ++k) EXPECT_EQ(readSystemInteger(1, k), 250) << "timer " << k;
    // A stopped timer reads its stop tick.
    ScriptTimer& t = h.e.script.timers[1];
    t.running = false;
    t.stop = uint32_t(h.host.millis());
    h.host.advanceClock(1000);
    EXPECT_EQ(readSystemInteger(1, 2), 250);
    EXPECT_EQ(readSystemInteger(1, 1), 1250);
    EXPECT_EQ(readSystemInteger(1, 5), 0);
    EXPECT_EQ(readSystemInteger(1, -1), 0);
}

TEST_F(SystemVariablesTest, ConstantsAndEngineFigures) {
    EXPECT_EQ(readSystemInteger(33, 0), 999);
    EXPECT_EQ(readSystemInteger(33, 12345), 999);
    EXPECT_EQ(readSystemInteger(60, 0), 412);
    EXPECT_EQ(readSystemInteger(3, 0), 9 * 65536 + 3);
    EXPECT_EQ(readSystemInteger(2, 0), 255);
    EXPECT_DOUBLE_EQ(readSystemFloat(10, 0), 3.141592653589793);

    h.e.core.run.folderReadOnly = true;
    h.e.core.run.screenBitsPerPixel = 24;
    h.e.core.run.screenWidth = 1280;
    h.e.core.run.screenHeight = 720;
    h.e.core.run.processorCount = 6;
    h.e.core.files.publishedValue = 0xDEADBEEF;
    h.e.core.files.config.debugMode = 1;
    h.e.script.loopWatch = true;
    EXPECT_EQ(readSystemInteger(9, 0), 1);
    EXPECT_EQ(readSystemInteger(62, 0), 24);
    EXPECT_EQ(readSystemInteger(63, 0), 1280);
    EXPECT_EQ(readSystemInteger(64, 0), 720);
    EXPECT_EQ(readSystemInteger(4, 0), 6);
    EXPECT_EQ(readSystemInteger(13, 0), 1);
    EXPECT_EQ(readSystemInteger(11, 0), 1);
    EXPECT_EQ(readSystemInteger(70, 0), int64_t(0xDEADBEEF));

    platform::MemoryStatus m = h.host.memoryStatus();
    EXPECT_EQ(readSystemInteger(5, 0), int64_t(m.totalBytes));
    EXPECT_EQ(readSystemInteger(6, 0), m.loadPercent);
    EXPECT_EQ(readSystemInteger(7, 0), int64_t(m.availableBytes));

    h.e.script.root.children.push_back(std::make_unique<ThreadNode>());
    h.e.script.root.children.push_back(std::make_unique<ThreadNode>());
    EXPECT_EQ(readSystemInteger(72, 0), 2);
}

TEST_F(SystemVariablesTest, NumbersNotServedGiveNothing) {
    EXPECT_EQ(readSystemInteger(8, 0), 0);
    EXPECT_EQ(readSystemInteger(494, 0), 0);
    EXPECT_EQ(readSystemInteger(999, 0), 0);
    EXPECT_EQ(readSystemFloat(11, 0), 0.0);
    EXPECT_EQ(readSystemString(13, 0), "");
    EXPECT_EQ(readSystemString(12, 3), "");
    EXPECT_TRUE(h.e.core.errors.reportedCodes.empty());
}

TEST_F(SystemVariablesTest, TypesDecideTheReader) {
    for (uint32_t n : {10u, 35u, 39u, 43u}) EXPECT_EQ(systemVariableType(n), kTypeFloat) << n;
    for (uint32_t n : {12u, 36u, 40u, 44u, 55u, 57u, 68u, 73u, 77u}) EXPECT_EQ(systemVariableType(n), kTypeString) << n;
    for (uint32_t n : {0u, 11u, 13u, 34u, 38u, 42u, 72u, 78u, 493u, 999u}) EXPECT_EQ(systemVariableType(n), kTypeInteger) << n;
    EXPECT_EQ(systemVariableType(1000), kTypeNone);
}

TEST_F(SystemVariablesTest, LoopPassOfTheInnermostLoop) {
    EXPECT_EQ(readSystemInteger(32, 0), 0);  // no thread at all
    ScriptThread& th = runOnThread();
    EXPECT_EQ(readSystemInteger(32, 0), 0);
    th.loopDepth = 2;
    th.loopCounter[0] = 5;
    th.loopCounter[1] = 2;
    EXPECT_EQ(readSystemInteger(32, 0), 2);
    th.loopDepth = 1;
    EXPECT_EQ(readSystemInteger(32, 0), 5);
}

TEST_F(SystemVariablesTest, InputTablePositions) {
    EXPECT_EQ(readSystemInteger(493, 40), 304);
    EXPECT_EQ(readSystemInteger(493, 0), 260);
    EXPECT_EQ(readSystemInteger(493, 31), 291);
    EXPECT_EQ(readSystemInteger(493, 32), 296);
    EXPECT_EQ(readSystemInteger(493, -1), 259);  // truncation toward zero
    EXPECT_EQ(readSystemInteger(489, 0), 256);
    EXPECT_EQ(readSystemInteger(492, 2), 492 + 72 - 233);
    // Far-out elements wrap instead of overflowing.
    EXPECT_EQ(readSystemInteger(493, INT64_MAX), int64_t(uint64_t(INT64_MAX / 32) * 36u + 31u + 260u));
}

TEST_F(SystemVariablesTest, CallValuesOfTheCurrentLevel) {
    ScriptThread& th = runOnThread();
    th.callParameters[0].integers[0] = 1;
    th.callParameters[2].integers[0] = 7;
    th.callParameters[2].integers[9] = 70;
    th.callParameters[2].floats[1] = 2.5;
    th.callParameters[2].strings[2] = "three";
    th.callResults[2].integers[0] = -4;
    th.callResults[2].floats[0] = 0.5;
    th.callResults[2].strings[0] = "back";
    th.ownValues.integers[3] = 44;
    th.ownValues.floats[3] = 4.25;
    th.ownValues.strings[3] = "own";

    th.callDepth = 2;
    EXPECT_EQ(readSystemInteger(34, 1), 7);
    EXPECT_EQ(readSystemInteger(34, 10), 70);
    EXPECT_EQ(readSystemInteger(34, 0), 0);
    EXPECT_EQ(readSystemInteger(34, 11), 0);
    EXPECT_DOUBLE_EQ(readSystemFloat(35, 2), 2.5);
    EXPECT_EQ(readSystemString(36, 3), "three");
    EXPECT_EQ(readSystemInteger(38, 1), -4);
    EXPECT_DOUBLE_EQ(readSystemFloat(39, 1), 0.5);
    EXPECT_EQ(readSystemString(40, 1), "back");
    EXPECT_EQ(readSystemInteger(42, 4), 44);
    EXPECT_DOUBLE_EQ(readSystemFloat(43, 4), 4.25);
    EXPECT_EQ(readSystemString(44, 4), "own");

    th.callDepth = 0;
    EXPECT_EQ(readSystemInteger(34, 1), 1);
    EXPECT_EQ(readSystemString(40, 1), "");
    EXPECT_EQ(readSystemInteger(42, 4), 44);  // the thread's own values do not follow the level
}

TEST_F(SystemVariablesTest, TextRows) {
    h.e.core.run.exeFolder = reinterpret_cast<const char*>(u8"/games/デモ/");
    EXPECT_EQ(readSystemString(56, 0), test::sjis(u8"/games/デモ/"));  // the literal is Shift_JIS
    EXPECT_EQ(readSystemString(57, 0), "save\\");
    EXPECT_EQ(readSystemString(73, 65), "A");
    EXPECT_EQ(readSystemString(73, 0x141), "A");
    EXPECT_EQ(readSystemString(73, 0x82), "\x82");
    EXPECT_EQ(readSystemString(73, 256), "");
    EXPECT_EQ(readSystemString(74, 0), "W0");
    EXPECT_EQ(readSystemString(77, 0), "ROOT");
}

TEST_F(SystemVariablesTest, AssignableRowsKeepTheirValues) {
    EXPECT_EQ(writeSystemInteger(15, 3, 9), 0);
    EXPECT_EQ(readSystemInteger(15, 0), 9);
    EXPECT_EQ(writeSystemInteger(90, 5, 11), 0);
    EXPECT_EQ(writeSystemInteger(90, 0, 12), 0);
    EXPECT_EQ(readSystemInteger(90, 5), 11);
    EXPECT_EQ(readSystemInteger(90, 0), 0);
    EXPECT_EQ(writeSystemInteger(222, 3, 30), 0);
    EXPECT_EQ(readSystemInteger(222, 3), 30);
    EXPECT_EQ(readSystemInteger(222, 4), 0);
    EXPECT_EQ(writeSystemInteger(100, 7, 5), 0);
    EXPECT_EQ(readSystemInteger(100, 0), 5);
    // Rows computed from their element stay as they are.
    EXPECT_EQ(writeSystemInteger(493, 40, 1), 0);
    EXPECT_EQ(readSystemInteger(493, 40), 304);

    EXPECT_EQ(writeSystemString(68, 0, "first"), 0);
    EXPECT_EQ(writeSystemString(69, 0, "second"), 0);
    EXPECT_EQ(writeSystemString(74, 0, "W1"), 0);
    EXPECT_EQ(writeSystemString(77, 0, ""), 0);
    EXPECT_EQ(readSystemString(68, 0), "first");
    EXPECT_EQ(readSystemString(69, 0), "second");
    EXPECT_EQ(readSystemString(74, 0), "W1");
    EXPECT_EQ(readSystemString(77, 0), "");
    // Floating rows ignore assignment.
    EXPECT_EQ(writeSystemInteger(10, 0, 3), 0);
    EXPECT_DOUBLE_EQ(readSystemFloat(10, 0), 3.141592653589793);
    EXPECT_TRUE(h.e.core.errors.reportedCodes.empty());
}

TEST_F(SystemVariablesTest, ReadOnlyRowsReport101150) {
    EXPECT_EQ(writeSystemInteger(33, 0, 1), -1);
    EXPECT_TRUE(reported(101150));
    EXPECT_TRUE(h.e.core.run.quitRequested);  // with the stop flag
    EXPECT_EQ(readSystemInteger(33, 0), 999);

    test::HeadlessEngine again;
    EXPECT_EQ(writeSystemString(57, 0, "elsewhere\\"), -1);
    EXPECT_EQ(readSystemString(57, 0), "save\\");
    ASSERT_FALSE(again.e.core.errors.reportedCodes.empty());
    EXPECT_EQ(again.e.core.errors.reportedCodes[0], 101150u);

    test::HeadlessEngine third;
    EXPECT_EQ(writeSystemInteger(1, 1, 0), -1);
    EXPECT_EQ(writeSystemString(75, 0, "x"), -1);
    EXPECT_EQ(third.e.core.errors.reportedCodes.size(), 2u);
}

}  // namespace
}  // namespace vr
