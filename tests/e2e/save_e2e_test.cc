// Saving and loading through the commands, as a game does: every kind of
// item comes back as it was stored, and whatever does not fit its target,
// or comes from a damaged file, is refused with the target left alone.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/lines.h"
#include "support/png_file.h"
#include "support/process.h"
#include "support/sjis_text.h"
#include "support/temp_dir.h"

namespace vr {
namespace {

using test::runProcess;

struct SaveGame {
    test::TempDir dir;
    std::string game;

    explicit SaveGame(const std::string& script) { build(script); }
    // The game's script replaced; its save folder stays.
    void build(const std::string& script) {
        dir.write("src/main.vrs", script);
        auto c = runProcess({test::vrc(), "build", dir.str() + "src", "--out", dir.str() + "game"});
        EXPECT_EQ(c.exitCode, 0) << c.output;
        game = dir.str() + "game/";
    }
    test::ProcessResult run(std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {test::virelo(), "--headless", "--transcript", "--frames", "4",
                                         "--dump-vars", dir.str() + "vars.txt"};
        args.insert(args.end(), extra.begin(), extra.end());
        args.push_back(game);
        return runProcess(args);
    }
    std::string dumped(int number) const {
        for (const std::string& line : test::splitLines(test::readFile(dir.str() + "vars.txt")))
            if (line.rfind(std::to_string(number) + " ", 0) == 0) return line.substr(line.find(" = ") + 3);
        return "<none>";
    }
};

TEST(SaveE2E, EveryKindComesBackAndAShapeThatDoesNotFitIsRefused) {
    SaveGame g(R"(global int a[10,5]
global int a2[10,5]
global float fl[3]
global float fl2[3]
global str s[4]
global str s2[4]
global int one = 0
global str word = ""
global int b[10,6]
*SYSTEM_START
a[9,4] = -9223372036854775807
a[0,1] = 12
fl[1] = -0.125
s[0] = "日本語のテキスト"
s[2] = "x"
s2[1] = "replaced"
b[0,0] = 5
ObjectSet path="pic" image="pic" order=5
SaveCommand record=1 variable=&a
SaveCommand record=2 variable=&fl
SaveCommand record=3 variable=&s
SaveCommand record=4 variable=a[0,1]
SaveCommand record=5 variable=s[0]
SaveCommand file="SLOT1.sd" record=6 object="pic"
LoadCommand file="slot1" record=1 variable=&a2
LoadCommand file="slot1" record=2 variable=&fl2
LoadCommand file="slot1" record=3 variable=&s2
LoadCommand file="slot1" record=4 variable=one
LoadCommand file="slot1" record=5 variable=word
ObjectDelete path="pic"
LoadCommand file="slot1" record=6 object="copy"
wait 2
LoadCommand file="slot1" record=1 variable=&b
*idle
wait 1
goto *idle
)");
    test::Picture picture(64, 48, 0xFF203040);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) picture.set(x, y, 0xFF000000u | uint32_t(x * 4) << 16 | uint32_t(y * 5) << 8 | 77);
    ASSERT_TRUE(test::writePng(g.game + "pic.png", picture, false));
    std::string shot = g.dir.str() + "shot.png";
    auto r = g.run({"--screenshot-at", "2:" + shot});

    EXPECT_EQ(r.exitCode, 1) << r.output;
    EXPECT_TRUE(test::hasLine(r.output, "virelo: fatal error 108090 at main.vrs:33")) << r.output;
    EXPECT_EQ(g.dumped(1001), g.dumped(1000));
    EXPECT_NE(g.dumped(1000).find("-9223372036854775807"), std::string::npos);
    EXPECT_EQ(g.dumped(1003), g.dumped(1002));
    EXPECT_EQ(g.dumped(1005), g.dumped(1004)) << "the Shift_JIS text and the empty elements";
    EXPECT_EQ(g.dumped(1006), "12");
    EXPECT_EQ(g.dumped(1007), "\"日本語のテキスト\"");
    EXPECT_EQ(g.dumped(1008).substr(0, 5), "5, 0,") << "the refused load left the array alone";

    test::Picture screen;
    ASSERT_TRUE(test::readPng(shot, screen));
    EXPECT_TRUE(test::sameColours(screen.crop(0, 0, 64, 48), picture)) << "the loaded picture is the saved one";
}

TEST(SaveE2E, AppendsAndRewritesKeepEveryRecordAndDamageIsRefused) {
    // Records 1 and 3 into a new file, 2 appended, 1 rewritten; all three
    // read back, and one the file lacks refused.
    SaveGame g(R"(global int v[3]
global int w[3]
*SYSTEM_START
v[0] = 1
v[1] = 3
SaveCommand record=1 variable=v[0]
SaveCommand file="slot" record=3 variable=v[1]
v[0] = 11
v[2] = 2
SaveCommand file="slot" record=2 variable=v[2]
SaveCommand file="slot" record=1 variable=v[0]
LoadCommand file="slot" record=1 variable=w[0]
LoadCommand file="slot" record=2 variable=w[1]
LoadCommand file="slot" record=3 variable=w[2]
LoadCommand file="slot" record=4 variable=w[0]
)");
    auto r = g.run();
    EXPECT_TRUE(test::hasLine(r.output, "virelo: fatal error 102110 at main.vrs:15")) << r.output;
    EXPECT_EQ(g.dumped(1001), "11, 2, 3");

    // Damaged, the record is refused with its box; cut short, with a
    // report; either way the target stays as it was.
    g.build(R"(global int w[3]
*SYSTEM_START
LoadCommand file="slot" record=1 variable=w[0]
LoadCommand file="slot" record=2 variable=w[1]
)");
    const std::string file = g.game + "save/slot.sd";
    std::string bytes = test::readFile(file);
    const size_t record1 = uint8_t(bytes[16]) | uint8_t(bytes[17]) << 8;
    bytes[record1 + 4 + 12 + 2] ^= 0x55;
    g.dir.write("game/save/slot.sd", std::vector<uint8_t>(bytes.begin(), bytes.end() - 3));
    r = g.run();
    EXPECT_TRUE(test::hasLine(r.output, "headless: messagebox: エラー | Load Error.")) << r.output;
    EXPECT_NE(r.output.find("virelo: fatal error 900000 at main.vrs:4"), std::string::npos) << r.output;
    EXPECT_EQ(g.dumped(1000), "0, 0, 0");
}

TEST(SaveE2E, AFullDiskReportsAndKeepsTheOldFile) {
    SaveGame g(R"(global int small = 7
*SYSTEM_START
SaveCommand file="slot" record=1 variable=small
)");
    g.run();
    const std::string file = g.game + "save/slot.sd";
    const std::string before = test::readFile(file);
    ASSERT_GT(before.size(), 4112u);
    // Values that do not compress: the new file would pass the limit.
    g.build(R"(global int big[20000]
global int i = 0
global int x = 1
*SYSTEM_START
loop 20000
  x = x * 1103515245 + 12345
  big[i] = x
  i += 1
end
SaveCommand file="slot" record=2 variable=&big
)");
    auto r = runProcess({"/bin/sh", "-c", "ulimit -f 64; exec " + test::virelo() + " --headless --frames 3 " + g.game});
    EXPECT_EQ(r.exitCode, 1) << r.output;
    EXPECT_NE(r.output.find("virelo: fatal error 102140 at main.vrs:10"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("errno = 27"), std::string::npos) << r.output;
    EXPECT_EQ(test::readFile(file), before) << "the old file, whole";
}

}  // namespace
}  // namespace vr
