// Whole scripts, compiled by vrc and run headless; the variables are read
// back from the run's --dump-vars file.  Globals are numbered from 1000 in
// the order they are declared.
#include <gtest/gtest.h>

#include "support/game_run.h"

namespace vr {
namespace {

using test::runGame;

const char* utf8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

// A place for the main thread to rest when a test's work is done.
constexpr const char* kIdle = "\n*idle\nwait 1\ngoto *idle\n";

TEST(ScriptE2E, CountedLoopsAndBreakingOutOfTwo) {
    auto r = runGame(
        "global int a\nglobal int b\nglobal int c\nglobal int d\nglobal int e\n*SYSTEM_START\n"
        "loop 3\n  a += 1\nend\n"
        "loop 0\n  b += 1\nend\n"
        "loop -1\n  c += 1\n  loop -1\n    d += 1\n    if d == 5\n      break 2\n    end\n  end\nend\n"
        "loop -2\n  e += 1\nend\n"
        "goto *idle\n" + std::string(kIdle),
        3);
    ASSERT_EQ(r.compileExit, 0) << r.compileOutput;
    EXPECT_FALSE(r.anyError()) << r.output;
    EXPECT_EQ(r.value(1000), "3");
    EXPECT_EQ(r.value(1001), "0");
    EXPECT_EQ(r.value(1002), "1");
    EXPECT_EQ(r.value(1003), "5");
    EXPECT_EQ(r.value(1004), "1") << "a negative count other than -1 runs once";
}

TEST(ScriptE2E, BreakingMoreLoopsThanAreOpenIsAnError) {
    auto r = runGame("global int n = 3\n*SYSTEM_START\nloop 1\n  loop 1\n    break n\n  end\nend\n" + std::string(kIdle), 3);
    ASSERT_EQ(r.compileExit, 0) << r.compileOutput;
    EXPECT_TRUE(r.reported(utf8(u8"コマンドに対応する"))) << r.output;
    EXPECT_TRUE(r.reported("main.vrs")) << "the report names the script file";
}

std::string deepCalls(int limit) {
    return "global int depth\nglobal int most\nglobal int limit = " + std::to_string(limit) +
           "\n*SYSTEM_START\ncall *dive\ngoto *idle\n"
           "*dive\ndepth += 1\nif depth > most\n  most = depth\nend\nif depth < limit\n  call *dive\nend\n"
           "depth -= 1\nreturn\n" +
           kIdle;
}

TEST(ScriptE2E, SixtyThreeNestedCallsAndNoMore) {
    auto ok = runGame(deepCalls(63), 2);
    ASSERT_EQ(ok.compileExit, 0) << ok.compileOutput;
    EXPECT_FALSE(ok.anyError()) << ok.output;
    EXPECT_EQ(ok.value(1001), "63");
    EXPECT_EQ(ok.value(1000), "0") << "every call returned";

    auto deep = runGame(deepCalls(64), 2);
    EXPECT_TRUE(deep.reported(utf8(u8"段に達しました"))) << deep.output;
    EXPECT_EQ(deep.value(1001), "63");
}

TEST(ScriptE2E, ParametersAndResults) {
    auto r = runGame(
        "global int r1\nglobal int r2\nglobal int r3\nglobal int r10\nglobal str s\nglobal int x\nglobal int y\n"
        "*SYSTEM_START\ncall *f(1, 2, 3, 4)\ncall *g(7, 8) -> x\ny = result.int[2]\ngoto *idle\n"
        "*f\nreturn 9, 9, 9\n"
        "*g\nr1 = param.int[1]\nr2 = param.int[2]\nr3 = param.int[3]\nr10 = param.int[10]\nreturn 5\n" +
            std::string(kIdle),
        2);
    ASSERT_EQ(r.compileExit, 0) << r.compileOutput;
    EXPECT_FALSE(r.anyError()) << r.output;
    EXPECT_EQ(r.value(1000), "7");
    EXPECT_EQ(r.value(1001), "8");
    EXPECT_EQ(r.value(1002), "0") << "parameters past the call's own are cleared";
    EXPECT_EQ(r.value(1003), "0");
    EXPECT_EQ(r.value(1005), "5");
    EXPECT_EQ(r.value(1006), "0") << "results past the return's own are cleared";
}

TEST(ScriptE2E, AStartedThreadEndsWithAReturnAtItsTopLevel) {
    auto r = runGame(
        "global int w\nglobal int threads\n*SYSTEM_START\nthread *worker\nwait 2\nthreads = sys.threads\ngoto *idle\n"
        "*worker\nw = 1\nreturn\nw = 2\n" + std::string(kIdle),
        5);
    ASSERT_EQ(r.compileExit, 0) << r.compileOutput;
    EXPECT_FALSE(r.anyError()) << r.output;
    EXPECT_EQ(r.value(1000), "1");
    EXPECT_EQ(r.value(1001), "1") << "only SYSTEM is left";
}

TEST(ScriptE2E, WaitsInFramesAndMilliseconds) {
    auto r = runGame(
        "global int each\nglobal int third\nglobal int ms5\nglobal int ms40\n*SYSTEM_START\n"
        "thread *three\nthread *short\nthread *long\nloop -1\n  each += 1\n  wait 1\nend\n"
        "*three\nloop -1\n  third += 1\n  wait 3\nend\n"
        "*short\nloop -1\n  ms5 += 1\n  wait 5 ms\nend\n"
        "*long\nloop -1\n  ms40 += 1\n  wait 40 ms\nend\n",
        10);
    ASSERT_EQ(r.compileExit, 0) << r.compileOutput;
    EXPECT_FALSE(r.anyError()) << r.output;
    EXPECT_EQ(r.value(1000), "10");
    EXPECT_EQ(r.value(1001), "4") << "frames 1, 4, 7 and 10";
    EXPECT_EQ(r.value(1002), "10") << "a wait that has expired is over at the next visit";
    EXPECT_EQ(r.value(1003), "4") << "at 60 frames a second, 40 ms are three frames";
}

TEST(ScriptE2E, ThreadsRunLastToFirstAndOncePerFrame) {
    auto r = runGame(
        "global str log\nglobal int stopped\n*SYSTEM_START\nthread *one\nthread *two\nloop -1\n  log += \"S\"\n"
        "  wait 1\nend\n"
        "*one\nloop -1\n  log += \"1\"\n  wait 1\nend\n"
        "*two\nloop 2\n  log += \"2\"\n  wait 1\nend\nThreadControl path=\"one\" runSwitch1=1 runSwitch2=2\n"
        "loop -1\n  wait 1\nend\n",
        4);
    ASSERT_EQ(r.compileExit, 0) << r.compileOutput;
    EXPECT_FALSE(r.anyError()) << r.output;
    // Frame 1: SYSTEM starts both at its own order, so they run before it,
    // the newer first: here in the re-run pass, which runs nobody twice.  In frame 3 thread two holds
    // thread one by its run switches (1 and 2 share no bit) before one's
    // turn, so frames 3 and 4 are SYSTEM's alone.
    EXPECT_EQ(r.value(1000), "\"S2121SSS\"");
}

TEST(ScriptE2E, ThreadsRunByOrderTheNewestOfEqualsFirst) {
    auto r = runGame(
        "global str log\nglobal int raised\nglobal int lowered\nglobal int system\n*SYSTEM_START\n"
        "ThreadControl path=\"one\" label=\"one\" order=3\nThreadControl path=\"two\" label=\"two\" order=3\n"
        "log += \"S\"\nwait 1\nlog += \"S\"\n"
        "ThreadControl path=\"one\" order+=4\nThreadInfo path=\"one\" result=raised order=1\n"
        "ThreadControl path=\"two\" order-=10\nThreadInfo path=\"two\" result=lowered order=1\n"
        "ThreadInfo result=system order=1\nwait 1\nlog += \"S\"\ngoto *idle\n"
        "*one\nloop -1\n  log += \"1\"\n  wait 1\nend\n"
        "*two\nloop -1\n  log += \"2\"\n  wait 1\nend\n" + std::string(kIdle),
        3);
    ASSERT_EQ(r.compileExit, 0) << r.compileOutput;
    EXPECT_FALSE(r.anyError()) << r.output;
    EXPECT_EQ(r.value(1001), "7") << "3 raised by 4";
    EXPECT_EQ(r.value(1002), "1") << "an order never falls below 1";
    EXPECT_EQ(r.value(1003), "1") << "the main thread's order";
    // Frame 1 is SYSTEM's alone (no re-run asked).  In frame 2 both threads
    // stand above SYSTEM with equal orders, the later created first; then
    // one is raised above two, and two, lowered to SYSTEM's order, stays
    // above it as the newer of the two.
    EXPECT_EQ(r.value(1000), "\"S21S12S\"");
}

TEST(ScriptE2E, AThreadStartedBelowTheRunningOneSkipsNoSibling) {
    auto r = runGame(
        "global str log\n*SYSTEM_START\n"
        "ThreadControl path=\"b\" label=\"b\" order=2\nThreadControl path=\"c\" label=\"c\" order=3\n"
        "loop -1\n  log += \"S\"\n  wait 1\nend\n"
        "*b\nloop -1\n  log += \"B\"\n  wait 1\nend\n"
        "*c\nThreadControl path=\"d\" label=\"d\" order=1\nloop -1\n  log += \"C\"\n  wait 1\nend\n"
        "*d\nloop -1\n  log += \"D\"\n  wait 1\nend\n",
        2);
    ASSERT_EQ(r.compileExit, 0) << r.compileOutput;
    EXPECT_FALSE(r.anyError()) << r.output;
    // In frame 2, c puts d between SYSTEM and b; b still has its turn, and
    // d, new below c, has its first.
    EXPECT_EQ(r.value(1000), "\"SCBDS\"");
}

TEST(ScriptE2E, AThreadSavedAndRestoredContinuesWhereItWas) {
    auto r = runGame(
        "global str saved\nglobal int x\nglobal int loops\n*SYSTEM_START\nthread *counter\nwait 3\n"
        "ThreadInfo path=\"counter\" result=saved state=1\nendthread \"counter\"\nwait 2\n"
        "ThreadControl path=\"copy\" label=\"counter\" state=saved rerun=1\n"
        "ThreadInfo path=\"copy\" result=loops loopDepth=1\ngoto *idle\n"
        "*counter\nloop -1\n  x += 1\n  wait 1\nend\n" + std::string(kIdle),
        10);
    ASSERT_EQ(r.compileExit, 0) << r.compileOutput;
    EXPECT_FALSE(r.anyError()) << r.output;
    EXPECT_EQ(r.value(1002), "1") << "the copy stands inside the counter's loop";
    // The counter ran in frames 1 to 4 (in frame 4 before SYSTEM ended it),
    // the copy from frame 6 to 10.
    EXPECT_EQ(r.value(1001), "9");
}

}  // namespace
}  // namespace vr
