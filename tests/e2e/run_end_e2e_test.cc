// How a run ends, as a terminal or a test job sees it: every error report on
// standard error, an exit status that tells the truth, and quit signals that
// end even a script that never waits.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <thread>

#include "common/compiler.h"
#include "core/error_report.h"
#include "shell/startup.h"
#include "support/lines.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace vr {
namespace {

using test::runProcess;

// Builds the script into a game folder; the folder's path.
std::string buildGame(test::TempDir& dir, const std::string& script) {
    dir.write("src/main.vrs", script);
    auto c = runProcess({test::vrc(), "build", dir.str() + "src", "--out", dir.str() + "game"});
    EXPECT_EQ(c.exitCode, 0) << c.output;
    return dir.str() + "game";
}

TEST(RunEndE2E, ReportsReachStandardErrorAndTheExitStatusTellsTheTruth) {
    test::TempDir dir;
    std::string game = buildGame(dir,
                                 "global int n = 3\nglobal int after = 0\n*SYSTEM_START\n"
                                 "after = 1\nloop 1\n  loop 1\n    break n\n  end\nend\nafter = 2\n"
                                 "*idle\nwait 1\ngoto *idle\n");
    std::string dump = dir.str() + "vars.txt";
    auto r = runProcess({test::virelo(), "--headless", "--frames", "5", "--dump-vars", dump, game});
    EXPECT_EQ(r.exitCode, 1) << r.output;
    // The block names the code and the script's place, then the text.
    EXPECT_TRUE(test::hasLine(r.output, "virelo: fatal error 101300 at main.vrs:7")) << r.output;
    EXPECT_TRUE(test::hasLine(r.output, "  7 行目")) << r.output;
    // The variables are dumped all the same, as the script left them.
    EXPECT_TRUE(test::hasLine(test::readFile(dump), "1001 int = 1"));

    // A clean run prints nothing and ends with 0.
    test::TempDir clean;
    auto ok = runProcess({test::virelo(), "--headless", "--frames", "5",
                          buildGame(clean, "*SYSTEM_START\nwait 1\ngoto *SYSTEM_START\n")});
    EXPECT_EQ(ok.exitCode, 0) << ok.output;
    EXPECT_EQ(ok.output, "");

    // A game that ends itself before a screenshot's frame: no file, and said.
    test::TempDir early;
    auto shot = runProcess({test::virelo(), "--headless", "--frames", "30", "--screenshot-at", "10:" + early.str() + "s.png",
                            buildGame(early, "*SYSTEM_START\nwait 2\nEndProgram\n")});
    EXPECT_EQ(shot.exitCode, 1) << shot.output;
    EXPECT_TRUE(test::hasLine(shot.output, "virelo: the run ended after frame 2; " + early.str() + "s.png was not taken"))
        << shot.output;

    // A folder that is not there is taken for a game argument, and the
    // executable's folder holds no game: both are said.
    auto missing = runProcess({test::virelo(), "--headless", "--frames", "5", dir.str() + "no-such-game"});
    EXPECT_EQ(missing.exitCode, 1) << missing.output;
    EXPECT_NE(missing.output.find("holds neither compiled files (vrbin/) nor the development compiler"), std::string::npos)
        << missing.output;
    EXPECT_NE(missing.output.find("'" + dir.str() + "no-such-game' is no folder"), std::string::npos) << missing.output;
}

TEST(RunEndE2E, ANonFatalReportThatStopsStartUpEndsWithOne) {
    // The same member in two packs: a non-fatal report, but the game never
    // starts, so the status is not the "ran with errors" one.
    test::TempDir dir;
    dir.write("src/main.vrs", "*SYSTEM_START\nwait 1\ngoto *SYSTEM_START\n");
    dir.write("res/pic.txt", "one");
    ASSERT_EQ(runProcess({test::vrc(), "build", dir.str() + "src", "--out", dir.str() + "game"}).exitCode, 0);
    for (const char* pack : {"a.vpf", "b.vpf"})
        ASSERT_EQ(runProcess({test::vrpack(), "create", dir.str() + "game/" + pack, dir.str() + "res"}).exitCode, 0);
    auto r = runProcess({test::virelo(), "--headless", "--frames", "5", dir.str() + "game"});
    EXPECT_EQ(r.exitCode, 1) << r.output;
    EXPECT_TRUE(test::hasLine(r.output, "virelo: error 104150")) << r.output;
}

TEST(RunEndE2E, TheStatusOfARun) {
    ErrorState errors;
    EXPECT_EQ(exitStatus(0, errors), 0);
    EXPECT_EQ(exitStatus(kExitFatalReport, errors), 1) << "a dump that could not be written";
    errors.errorCount = 2;
    EXPECT_EQ(exitStatus(0, errors), kExitErrorsReported);
    errors.fatalReported = true;
    EXPECT_EQ(exitStatus(0, errors), 1);
}

// A script that never waits: only the interpreter's own look for a signal
// can end it.
constexpr const char* kEndlessLoop =
    "global int turns = 0\n*SYSTEM_START\nloop -1\n  turns += 1\nend\n";

TEST(RunEndE2E, QuitSignalsEndAScriptThatNeverWaitsInOrder) {
#if VR_THREAD_SANITIZER
    // ThreadSanitizer holds a signal back until the thread next calls into
    // the C library, which a loop without waits never does.
    GTEST_SKIP() << "signals are deferred under ThreadSanitizer";
#endif
    test::TempDir dir;
    std::string game = buildGame(dir, kEndlessLoop);
    for (int signal : {SIGTERM, SIGINT}) {
        std::string dump = dir.str() + "vars" + std::to_string(signal) + ".txt";
        test::BackgroundProcess run({test::virelo(), "--headless", "--frames", "10", "--dump-vars", dump, game},
                                    dir.str() + "out.txt");
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        auto asked = std::chrono::steady_clock::now();
        int status = run.stop(signal, 5000);
        auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - asked);
        EXPECT_EQ(status, 128 + signal) << run.output();
        EXPECT_LT(took.count(), 1000) << "signal " << signal;
        // Shut down in order: the dump holds the turns the loop made.
        std::string vars = test::readFile(dump);
        EXPECT_EQ(vars.rfind("1000 int = ", 0), 0u) << vars;
        EXPECT_NE(vars, "1000 int = 0\n");
    }
}

}  // namespace
}  // namespace vr
