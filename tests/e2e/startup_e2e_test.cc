// The real executable on real game folders, headless.
#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <utility>
#include <vector>
#include <thread>

#include "core/engine_files_writer.h"
#include "support/lines.h"
#include "support/process.h"
#include "support/sjis_text.h"
#include "support/temp_dir.h"

namespace vr {
namespace {

using test::runProcess;
using test::virelo;

TEST(StartupE2E, DemoRunsHeadlessAndEndsAfterItsFrames) {
    auto r = runProcess({virelo(), "--headless", "--transcript", "--frames", "30", test::demoGameFolder()});
    EXPECT_EQ(r.exitCode, 0) << r.output;
    // The title is the demo's, passed on as UTF-8.
    EXPECT_TRUE(test::hasLine(r.output, reinterpret_cast<const char*>(u8"headless: window 1 created 800x600 virelo デモ")));
    EXPECT_EQ(r.output.find("error dialog"), std::string::npos) << r.output;
}

TEST(StartupE2E, ScreenshotOfTheMainWindow) {
    test::TempDir dir;
    std::string png = dir.str() + "frame.png";
    auto r = runProcess({virelo(), "--headless", "--frames", "3", "--screenshot-at", "2:" + png, test::demoGameFolder()});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_TRUE(std::filesystem::exists(png));
}

TEST(StartupE2E, HeadlessRunsOfOneGameRunSideBySide) {
    // Headless runs keep their guards to themselves: neither takes the
    // other for a second start of the game.
    test::TempDir dir;
    test::ProcessResult runs[2];
    std::thread other([&] {
        runs[1] = runProcess({virelo(), "--headless", "--realtime", "--transcript", "--frames", "60", "--dump-vars",
                              dir.str() + "b.txt", test::demoGameFolder()});
    });
    runs[0] = runProcess({virelo(), "--headless", "--realtime", "--transcript", "--frames", "60", "--dump-vars",
                          dir.str() + "a.txt", test::demoGameFolder()});
    other.join();
    for (const auto& r : runs) {
        EXPECT_EQ(r.exitCode, 0) << r.output;
        EXPECT_NE(r.output.find("window 1 created"), std::string::npos) << r.output;
    }
    EXPECT_GT(std::filesystem::file_size(dir.str() + "a.txt"), 0u);
    EXPECT_GT(std::filesystem::file_size(dir.str() + "b.txt"), 0u);
}

TEST(StartupE2E, BadCommandLinesAreRefusedBeforeTheRun) {
    test::TempDir dir;
    std::string unwritable = dir.str() + "missing/vars.txt";
    std::string kept = dir.str() + "kept.txt";
    dir.write("kept.txt", "old");
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--frames", "0"}, "--frames wants a positive count, not '0'"},
        {{"--frames", "-1"}, "--frames wants a positive count, not '-1'"},
        {{"--frames", "12x"}, "--frames wants a positive count, not '12x'"},
        {{"--frames", "5", "--screenshot-at", "6:" + dir.str() + "late.png"}, "the run ends after frame 5"},
        {{"--dump-vars", unwritable}, "cannot write " + unwritable},
        {{"--dump-vars", kept, "--screenshot-at", "1:" + dir.str()}, "cannot write " + dir.str()},
    };
    for (const auto& [options, message] : cases) {
        std::vector<std::string> argv = {virelo(), "--headless", "--transcript"};
        argv.insert(argv.end(), options.begin(), options.end());
        argv.push_back(test::demoGameFolder());
        auto r = runProcess(argv);
        EXPECT_EQ(r.exitCode, 2) << options[1];
        EXPECT_NE(r.output.find(message), std::string::npos) << r.output;
        EXPECT_EQ(r.output.find("created"), std::string::npos) << r.output;
    }
    // Trying whether a file can be written leaves nothing behind and
    // changes nothing.
    EXPECT_EQ(test::readFile(kept), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(StartupE2E, HelpAndVersionGoToStandardOutput) {
    auto stdoutOf = [](const std::string& program, const std::string& option) {
        return runProcess({"/bin/sh", "-c", "'" + program + "' " + option + " 2>/dev/null"});
    };
    auto help = stdoutOf(virelo(), "--help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.output.find("--dump-vars FILE"), std::string::npos) << help.output;
    for (const auto& [program, name] : std::vector<std::pair<std::string, std::string>>{
             {virelo(), "virelo"}, {test::vrc(), "vrc"}, {test::vrpack(), "vrpack"}}) {
        auto r = stdoutOf(program, "--version");
        EXPECT_EQ(r.exitCode, 0) << name;
        EXPECT_EQ(r.output, name + " " + VIRELO_VERSION + "\n");
    }
}

TEST(StartupE2E, InfoShowsTheLibraryNoticesAndEnds) {
    auto r = runProcess({virelo(), "--headless", "--transcript", test::demoGameFolder(), "/info"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.output.find("error dialog: License Information"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("zlib"), std::string::npos);
    EXPECT_EQ(r.output.find("created"), std::string::npos) << "no window for /info";
}

TEST(StartupE2E, MissingStartLabelStopsStartUpWithAReport) {
    test::TempDir game;
    EngineConfigFile cfg;
    game.write("vrbin/vrcfg.vbn", writeEngineConfig(cfg));
    game.write("vrbin/vre.vbn", writeErrorMessages({{108180, test::sjis(u8"ラベル[%s]がありません。")}}));
    game.write("vrbin/vrc.vbn", writeCommandDefinitions({}, {}, {}));
    game.write("vrbin/vrt.vbn", writeVariableTableSize(1000, 0));
    game.write("vrbin/vrt_list.vbn", writeScriptList({{0, "main.vrs"}}));
    game.write("vrbin/vrv.vbn", writeVariableDefinitions({}));
    game.write("vrbin/vrl.vbn", writeLabels({{"OTHER", 0, 0, 0, 0}}));
    auto r = runProcess({virelo(), "--headless", "--transcript", "--frames", "100", game.str()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.output.find("SYSTEM_START"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("error dialog"), std::string::npos) << r.output;
}

TEST(StartupE2E, MissingEngineFileIsReportedByName) {
    test::TempDir game;
    std::filesystem::create_directories(game.path() / "vrbin");
    auto r = runProcess({virelo(), "--headless", game.str()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(test::hasLine(r.output, "virelo: fatal error 104060")) << r.output;
    EXPECT_NE(r.output.find("vrbin\\vrcfg.vbn"), std::string::npos) << r.output;
}

}  // namespace
}  // namespace vr
