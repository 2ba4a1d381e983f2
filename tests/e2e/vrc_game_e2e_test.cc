// Games compiled by the real vrc, run by the real engine: from a vrbin
// folder, from a pack archive, and from an archive appended to the engine.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

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

    // Not UTF-8, so taken for Shift_JIS, and not that either: a lead byte
    // whose trail is a line end, and a byte no character starts with.
    src.write("main.vrs", "*SYSTEM_START\nab\x82\nok\n  \xFF\n");
    c = runProcess({test::vrc(), "build", src.str(), "--out", out.str()});
    EXPECT_EQ(c.exitCode, 1);
    EXPECT_NE(c.output.find("main.vrs:2:3: error: the text is neither UTF-8 nor Shift_JIS"), std::string::npos) << c.output;
    EXPECT_NE(c.output.find("main.vrs:4:3: error: the text is neither"), std::string::npos) << c.output;
}

TEST(VrcGameE2E, ARebuildLeavesOnlyItsOwnCompiledFiles) {
    test::TempDir src, out;
    src.write("a.vrs", kGame);
    src.write("b.vrs", "*other\nreturn\n");
    // A folder from Windows: VRBIN, with an old spelling of a file this
    // build writes and a file of the author's.
    out.write("VRBIN/VRL.VBN", "old");
    out.write("VRBIN/notes.txt", "mine");
    ASSERT_EQ(runProcess({test::vrc(), "build", src.str(), "--out", out.str()}).exitCode, 0);
    EXPECT_TRUE(std::filesystem::exists(out.path() / "VRBIN/vrt00001.vbn"));
    std::filesystem::remove(src.path() / "b.vrs");
    auto c = runProcess({test::vrc(), "build", src.str(), "--out", out.str()});
    ASSERT_EQ(c.exitCode, 0) << c.output;
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(out.path() / "VRBIN")) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"notes.txt", "vrc.vbn", "vrcfg.vbn", "vre.vbn", "vrl.vbn", "vrt.vbn",
                                               "vrt00000.vbn", "vrt_list.vbn", "vrv.vbn"}));
    EXPECT_FALSE(std::filesystem::exists(out.path() / "vrbin")) << "one vrbin folder";
    expectRuns(out.str());
}

}  // namespace
}  // namespace vr
