// Development mode end to end: game folders of sources started by the real
// engine, compiled by the real vrc (or by a misbehaving stand-in) through
// the shared-memory link, headless.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "support/lines.h"
#include "support/png_file.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace vr {
namespace {

namespace fs = std::filesystem;
using test::runProcess;
using test::virelo;

const char* utf8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

constexpr const char* kIdle = "*idle\nwait 1\ngoto *idle\n";

std::string readFile(const fs::path& p) {
    std::ifstream in(p);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> filesBelow(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::recursive_directory_iterator(folder))
        if (e.is_regular_file()) names.push_back(fs::relative(e.path(), folder).generic_string());
    std::sort(names.begin(), names.end());
    return names;
}

void installRealLink(const test::TempDir& game) {
    auto r = runProcess({test::vrc(), "install-link", game.str()});
    ASSERT_EQ(r.exitCode, 0) << r.output;
}

void installFakeCompiler(const test::TempDir& game, const std::string& mode) {
    fs::create_directories(game.path() / "system/VRCom");
    fs::copy_file(FAKE_COMPILER_EXE, game.path() / "system/VRCom/VRCom.exe");
    game.write("system/VRCom/mode", mode);
}

TEST(DevModeE2E, AGameOfSourcesRunsFromTheHandedOverFilesWithoutWritingOne) {
    test::TempDir game, out;
    game.write("main.vrs", "global int a = 7\n*SYSTEM_START\na = 42\ngoto *idle\n" + std::string(kIdle));
    game.write("scenes/more.vrs", "global int b = 5\n*more\nreturn\n");
    installRealLink(game);
    const auto before = filesBelow(game.path());
    auto r = runProcess({virelo(), "--headless", "--frames", "3", "--dump-vars", out.str() + "vars.txt", game.str()});
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_TRUE(test::hasLine(readFile(out.str() + "vars.txt"), "1000 int = 42")) << readFile(out.str() + "vars.txt");
    EXPECT_EQ(filesBelow(game.path()), before) << "the compiled files stay in memory";

    // A compile error: the compiler names the place on standard error and
    // the start-up ends without a dialog of the engine's.
    game.write("scenes/more.vrs", "*more\nreturn 1 2\n");
    r = runProcess({virelo(), "--headless", "--transcript", "--frames", "3", game.str()});
    EXPECT_EQ(r.exitCode, 1) << r.output;
    EXPECT_NE(r.output.find((game.path() / "scenes/more.vrs").generic_string() + ":2:"), std::string::npos) << r.output;
    EXPECT_EQ(r.output.find("error dialog"), std::string::npos) << r.output;
    EXPECT_EQ(r.output.find("window 1 created"), std::string::npos) << r.output;
}

TEST(DevModeE2E, TheEditButtonOpensTheFailingScriptAtItsLineInTheConfiguredEditor) {
    test::TempDir game, out;
    game.write("src/main.vrs", "#config debug=1\nglobal int n = 3\n*SYSTEM_START\nloop 1\n  break n\nend\n" +
                                   std::string(kIdle));
    installRealLink(game);
    const std::string record = out.str() + "editor.txt";
    out.write("editor.sh", "#!/bin/sh\nprintf '%s\\n' \"$@\" > " + record + ".part && mv " + record + ".part " + record +
                               "\n");
    fs::permissions(out.path() / "editor.sh", fs::perms::owner_all);
    out.write("press.input", "1 dialog edit\n");
    ::setenv("VIRELO_EDITOR", (out.str() + "editor.sh --at {file}:{line} --").c_str(), 1);
    auto r = runProcess({virelo(), "--input", out.str() + "press.input", "--transcript", "--frames", "3", game.str()});
    ::unsetenv("VIRELO_EDITOR");
    EXPECT_EQ(r.exitCode, 1) << r.output;
    EXPECT_NE(r.output.find(utf8(u8"error dialog: VIRELO Debug Info. | edit=enabled | [対象ファイル]")), std::string::npos)
        << r.output;
    EXPECT_TRUE(test::hasLine(r.output, "src/main.vrs")) << r.output;
    EXPECT_TRUE(test::hasLine(r.output, utf8(u8"5 行目"))) << r.output;
    // The editor runs on its own; give it a moment to write.
    for (int i = 0; i < 500 && !fs::exists(record); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(readFile(record), "--at\n" + game.str() + "src/main.vrs:5\n--\n");
}

TEST(DevModeE2E, WithoutCompilerOrCompiledFilesTheNoticesEndTheStart) {
    test::TempDir game;
    game.write("main.vrs", "*SYSTEM_START\n" + std::string(kIdle));
    auto r = runProcess({virelo(), "--headless", "--transcript", "--frames", "3", game.str()});
    EXPECT_EQ(r.exitCode, 1) << r.output;
    EXPECT_NE(r.output.find("error dialog: License Information"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("holds neither compiled files (vrbin/) nor the development compiler"), std::string::npos)
        << r.output;
}

TEST(DevModeE2E, ACompilerThatHandsOverNothingLeavesTheFilesOfTheFolderItNames) {
    // The data folder the compiler writes back becomes the current
    // directory, and with no items the compiled files are read from there.
    test::TempDir game, data, src, out;
    src.write("main.vrs", "global int a\n*SYSTEM_START\na = 9\n" + std::string(kIdle));
    auto c = runProcess({test::vrc(), "build", src.str(), "--out", data.str()});
    ASSERT_EQ(c.exitCode, 0) << c.output;
    installFakeCompiler(game, "folder " + data.str());
    auto r = runProcess({virelo(), "--headless", "--frames", "3", "--dump-vars", out.str() + "vars.txt", game.str()});
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_TRUE(test::hasLine(readFile(out.str() + "vars.txt"), "1000 int = 9"));

    // In the game folder itself: the configuration as a loose file, the
    // rest of the compiled files from a pack beside it.
    fs::create_directories(game.path() / "vrbin");
    fs::rename(data.path() / "vrbin/vrcfg.vbn", game.path() / "vrbin/vrcfg.vbn");
    auto p = runProcess({test::vrpack(), "create", game.str() + "data.vpf", data.str()});
    ASSERT_EQ(p.exitCode, 0) << p.output;
    game.write("system/VRCom/mode", "folder " + game.str());
    r = runProcess({virelo(), "--headless", "--frames", "3", "--dump-vars", out.str() + "vars2.txt", game.str()});
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_TRUE(test::hasLine(readFile(out.str() + "vars2.txt"), "1000 int = 9"));
}

TEST(DevModeE2E, ACompilerThatMisbehavesEndsTheStartSafely) {
    {
        // No done flag: the compiler has said what it had to say.
        test::TempDir game;
        installFakeCompiler(game, "no-done");
        auto r = runProcess({virelo(), "--headless", "--transcript", "--frames", "3", game.str()});
        EXPECT_EQ(r.exitCode, 1) << r.output;
        EXPECT_EQ(r.output.find("headless: message box"), std::string::npos) << r.output;
        EXPECT_EQ(r.output.find("error dialog"), std::string::npos) << r.output;
    }
    {
        // A name length past the end of the data block is refused, not read.
        test::TempDir game;
        installFakeCompiler(game, "long-name");
        auto r = runProcess({virelo(), "--headless", "--transcript", "--frames", "3", game.str()});
        EXPECT_EQ(r.exitCode, 1) << r.output;
        EXPECT_NE(r.output.find(utf8(u8"VIRELOコンパイラとデータ通信が出来ませんでした。")), std::string::npos) << r.output;
        EXPECT_NE(r.output.find("name length 1000 beyond the block"), std::string::npos) << r.output;
        EXPECT_EQ(r.output.find("window 1 created"), std::string::npos) << r.output;
    }
    {
        // A compiler that cannot be run says so.
        test::TempDir game;
        game.write("system/VRCom/VRCom.exe", "not a program");
        auto r = runProcess({virelo(), "--headless", "--transcript", "--frames", "3", game.str()});
        EXPECT_EQ(r.exitCode, 1) << r.output;
        EXPECT_NE(r.output.find(utf8(u8"VIRELOコンパイラを起動できませんでした。")), std::string::npos) << r.output;
    }
}

std::string sceneWith(const char* image) {
    return std::string("#config width=128 height=96 debug=1 images=png\n*SYSTEM_START\nObjectSet path=\"bg\" image=\"") +
           image + "\" order=1\n" + kIdle;
}

size_t count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

bool waitForCount(const test::BackgroundProcess& run, const std::string& part, size_t wanted) {
    for (int i = 0; i < 2000; ++i) {
        if (count(run.output(), part) >= wanted) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

TEST(DevModeE2E, SavedSourcesAndF5RestartTheGameAndACompileErrorKeepsItRunning) {
    test::TempDir game, out;
    ASSERT_TRUE(test::writePng(game.str() + "red.png", test::Picture(128, 96, 0xFFFF0000u), false));
    ASSERT_TRUE(test::writePng(game.str() + "blue.png", test::Picture(128, 96, 0xFF0000FFu), false));
    game.write("src/main.vrs", sceneWith("red"));
    installRealLink(game);
    // On the real clock, so that the sources change while the game runs.
    // F5 reloads first; the saved source is written only once that reload
    // has shown its first frame (the fresh engine watches the sources from
    // then on), so the two reloads can never merge into one.  The run ends
    // by itself, its last picture long after both.
    out.write("keys.input", "20 key tap f5\n");
    test::BackgroundProcess run({virelo(), "--realtime", "--transcript", "--input", out.str() + "keys.input", "--frames",
                                 "480", "--screenshot-at", "2:" + out.str() + "before.png", "--screenshot-at",
                                 "480:" + out.str() + "after.png", game.str()},
                                out.str() + "output.txt");
    ASSERT_TRUE(waitForCount(run, "virelo: reloaded in", 1)) << run.output();
    game.write("src/main.vrs", sceneWith("blue"));
    ASSERT_TRUE(waitForCount(run, "virelo: reloaded in", 2)) << run.output();
    // A source that does not compile: the error and its place in the
    // dialog, with the edit button, and the game goes on.
    game.write("src/main.vrs", sceneWith("blue") + "goto *nowhere\n");
    ASSERT_TRUE(waitForCount(run, "error dialog", 1)) << run.output();
    EXPECT_EQ(run.wait(20000), 0) << run.output();
    const std::string output = run.output();
    EXPECT_EQ(count(output, "virelo: reloaded in"), 2u) << output;
    EXPECT_EQ(count(output, "created"), 1u) << "the window is kept over the reloads\n" << output;
    EXPECT_NE(output.find("edit=enabled | [" + std::string(utf8(u8"対象ファイル")) + "]"), std::string::npos) << output;
    EXPECT_TRUE(test::hasLine(output, "src/main.vrs")) << output;
    EXPECT_TRUE(test::hasLine(output, utf8(u8"7 行目"))) << output;
    EXPECT_NE(output.find("no label *nowhere"), std::string::npos) << output;
    test::Picture before, after;
    ASSERT_TRUE(test::readPng(out.str() + "before.png", before));
    ASSERT_TRUE(test::readPng(out.str() + "after.png", after));
    EXPECT_EQ(before.rgb(10, 10), 0xFF0000u);
    EXPECT_EQ(after.rgb(10, 10), 0x0000FFu);
}

}  // namespace
}  // namespace vr
