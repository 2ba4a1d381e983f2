// Games compiled by the real vrc, run by the real engine: from a vrbin
// folder, from a pack archive, and from an archive appended to the engine.
#include <gtest/gtest.h>

#include "support/lines.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace vr {
namespace {

using test::runProcess;

constexpr const char* kGame =
    "#config width=320 height=240 title=\"e2e\"\n"
    "global int frames = 0\n"
    "*SYSTEM_START\n"
    "loop -1\n"
    "  frames += 1\n"
    "  wait 1\n"
    "end\n";

void expectRuns(const std::string& folder) {
    auto r = runProcess({test::virelo(), "--headless", "--transcript", "--frames", "5", folder});
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_TRUE(test::hasLine(r.output, "headless: window 1 created 320x240 e2e"));
    EXPECT_EQ(r.output.find("error dialog"), std::string::npos) << r.output;
}

TEST(VrcGameE2E, RunsFromAVrbinFolderAndFromAPack) {
    test::TempDir src, loose, packed;
    src.write("main.vrs", kGame);
    auto c = runProcess({test::vrc(), "build", src.str(), "--out", loose.str()});
    ASSERT_EQ(c.exitCode, 0) << c.output;
    expectRuns(loose.str());

    // The archive's folder is made, as --out makes its folder.
    c = runProcess({test::vrc(), "build", src.str(), "--pack", packed.str() + "game/game.vpf"});
    ASSERT_EQ(c.exitCode, 0) << c.output;
    EXPECT_FALSE(std::filesystem::exists(packed.path() / "game" / "vrbin"));
    expectRuns(packed.str() + "game");

    c = runProcess({test::vrc(), "build", src.str()});
    EXPECT_EQ(c.exitCode, 2);
    EXPECT_NE(c.output.find("--out GAME_DIR or --pack FILE.vpf"), std::string::npos) << c.output;
}

TEST(VrcGameE2E, DisassemblesAGameFromAFolderInAnyCaseAndFromItsPack) {
    test::TempDir src, loose, packed;
    src.write("main.vrs", kGame);
    ASSERT_EQ(runProcess({test::vrc(), "build", src.str(), "--out", loose.str()}).exitCode, 0);
    ASSERT_EQ(runProcess({test::vrc(), "build", src.str(), "--pack", packed.str() + "Game.VPF"}).exitCode, 0);
    // As a copy from a system that ignores case may spell them.
    std::filesystem::rename(loose.path() / "vrbin", loose.path() / "VRBIN");
    std::filesystem::rename(loose.path() / "VRBIN" / "vrl.vbn", loose.path() / "VRBIN" / "VRL.VBN");
    auto fromFolder = runProcess({test::vrc(), "disassemble", loose.str()});
    ASSERT_EQ(fromFolder.exitCode, 0) << fromFolder.output;
    EXPECT_NE(fromFolder.output.find("*SYSTEM_START"), std::string::npos) << fromFolder.output;
    auto fromPack = runProcess({test::vrc(), "disassemble", packed.str()});
    ASSERT_EQ(fromPack.exitCode, 0) << fromPack.output;
    EXPECT_EQ(fromPack.output, fromFolder.output);

    auto neither = runProcess({test::vrc(), "disassemble", src.str()});
    EXPECT_EQ(neither.exitCode, 1);
    EXPECT_NE(neither.output.find("neither a vrbin folder nor a pack archive"), std::string::npos) << neither.output;
}

TEST(VrcGameE2E, RunsFromAnArchiveAppendedToTheEngine) {
    test::TempDir src, work, game;
    src.write("main.vrs", kGame);
    ASSERT_EQ(runProcess({test::vrc(), "build", src.str(), "--pack", work.str() + "game.vpf"}).exitCode, 0);
    std::string exe = game.str() + "single";
    auto a = runProcess({test::vrpack(), "append", test::virelo(), work.str() + "game.vpf", exe});
    ASSERT_EQ(a.exitCode, 0) << a.output;
    // The game folder holds the executable and nothing else: everything
    // comes from the archive inside it.
    auto r = runProcess({exe, "--headless", "--transcript", "--frames", "5"});
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_TRUE(test::hasLine(r.output, "headless: window 1 created 320x240 e2e"));
    EXPECT_EQ(r.output.find("error dialog"), std::string::npos) << r.output;
}

TEST(VrcGameE2E, CompileErrorsNameFileLineAndColumn) {
    test::TempDir src, out;
    src.write("main.vrs", "*SYSTEM_START\nif 1\n  x = 2\n");
    auto c = runProcess({test::vrc(), "build", src.str(), "--out", out.str()});
    EXPECT_EQ(c.exitCode, 1);
    EXPECT_NE(c.output.find("main.vrs:3:3: error: unknown variable x"), std::string::npos) << c.output;
    EXPECT_NE(c.output.find("main.vrs:2:1: error: if without its end"), std::string::npos) << c.output;
    EXPECT_FALSE(std::filesystem::exists(out.path() / "vrbin")) << "nothing is written after an error";
}

}  // namespace
}  // namespace vr
