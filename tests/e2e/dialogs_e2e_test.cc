// Message boxes, the input dialog, the clipboard and CSV files as a game
// meets them: the real engine headless, answered from an input script.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <thread>

#include "support/game_run.h"
#include "support/lines.h"
#include "support/process.h"
#include "support/sjis_text.h"
#include "support/temp_dir.h"
#include "support/x_screen.h"

namespace vr {
namespace {

using test::runGame;

constexpr const char* kIdle = "\n*idle\nwait 1\ngoto *idle\n";

TEST(DialogsE2E, BoxAnswersTypedTextAndTheClipboard) {
    test::TempDir dir;
    // The answers of frame 1 wait for the boxes of frame 1 and later, in
    // order; the typed text replaces the selected initial text, loses the
    // character Shift_JIS cannot spell and stops at the limit.
    dir.write("play.input",
              "1 box cancel\n1 box cancel\n1 box ok\n"
              "1 type 山田\U0001F363花子さま\n");
    auto r = runGame(
        "global int ync = -1\nglobal int oc = -1\nglobal int ok = -1\nglobal int deflt = -1\nglobal int typed = -1\n"
        "global str name\nglobal str kept\nglobal str clip\nglobal str longclip\nglobal str kanaclip\n"
        "*SYSTEM_START\n"
        "ShowMessageBox title=\"確認\" text=\"終了しますか？\" yesNoCancel=1 icon=2 result=ync\n"
        "ShowMessageBox text=\"保存しますか？\" okCancel=1 result=oc\n"
        "ShowMessageBox text=\"了解\" result=ok\n"
        "ShowMessageBox text=\"消しますか？\" yesNo=1 defaultButton=2 result=deflt\n"
        "ShowMessageBox title=\"名前\" text=\"名前を入力してください\" input=1 initialText=\"太郎\" maxLength=4 "
        "inputText=name result=typed\n"
        "ShowMessageBox title=\"名前\" text=\"そのまま\" input=1 initialText=\"太郎\" maxLength=1 inputText=kept\n"
        "SetClipboardText set=1 text=\"一\\t二\\n三\"\n"
        "GetClipboardText get=1 result=clip\n"
        "loop 1100\n  longclip += \"z\"\nend\n"
        "SetClipboardText set=1 text=longclip\nGetClipboardText get=1 result=longclip\n"
        "loop 600\n  kanaclip += \"あ\"\nend\n"
        "SetClipboardText set=1 text=\"a\" + kanaclip\nGetClipboardText get=1 result=kanaclip\n"
        "goto *idle\n" + std::string(kIdle),
        3, {"--input", dir.str() + "play.input"});
    ASSERT_EQ(r.compileExit, 0) << r.compileOutput;
    EXPECT_FALSE(r.anyError()) << r.output;
    EXPECT_EQ(r.value(1000), "3") << "Cancel of Yes/No/Cancel";
    EXPECT_EQ(r.value(1001), "2") << "Cancel of OK/Cancel";
    EXPECT_EQ(r.value(1002), "1");
    EXPECT_EQ(r.value(1003), "2") << "no answer queued: the default button, here No";
    EXPECT_EQ(r.value(1004), "1");
    EXPECT_EQ(r.value(1005), "\"山田花子\"");
    EXPECT_EQ(r.value(1006), "\"太郎\"") << "nothing typed: OK keeps the initial text, whole though longer than the limit";
    EXPECT_EQ(r.value(1007), "\"一二三\"") << "the tab and the line break are dropped";
    EXPECT_EQ(r.value(1008), "\"" + std::string(1024, 'z') + "\"");
    std::string kana;
    for (int i = 0; i < 511; ++i) kana += "あ";
    EXPECT_EQ(r.value(1009), "\"a" + kana + "\"") << "1023 bytes: the next character would pass 1024";
    EXPECT_TRUE(r.transcribed("messagebox: 確認 | 終了しますか？"));
    EXPECT_TRUE(r.transcribed("input dialog: 名前 | 名前を入力してください | 太郎 -> 山田花子"));
}

// Slot 7 stores and slot 8 counts over the CSV files of the tests' data and
// a few thousand random ones: the count must be the number of elements the
// read stored, file by file.
TEST(DialogsE2E, TheCountIsWhatTheReadStores) {
    test::TempDir res;
    std::mt19937 rng(20261210);
    const char* pieces[] = {",", "\"", "'", " ", "\t", "\r", "\n", "\r\n", "a", "bc", "\x82\xa0", "\xe0", "\x95\x5c"};
    constexpr int kRandom = 2500;
    for (int i = 0; i < kRandom; ++i) {
        std::string text;
        int n = int(rng() % 24);
        for (int k = 0; k < n; ++k) text += pieces[rng() % std::size(pieces)];
        res.write("rnd/" + std::to_string(i) + ".csv", text);
    }
    const char* data[] = {"characters", "items", "flags", "chapters", "oddities", "long_field"};
    int next = kRandom;
    for (const char* name : data)
        std::filesystem::copy_file(std::string(VIRELO_TEST_DATA) + "/data/csv/" + name + ".csv",
                                   res.path() / "rnd" / (std::to_string(next++) + ".csv"));
    auto r = runGame(
        "global str csv[80]\nglobal int stored\nglobal int counted\nglobal int files\nglobal int bad = -1\n"
        "global str flags[12] = \"@@\"\nglobal int flagCount\n"
        "*SYSTEM_START\n"
        "bad = 0\n"
        "loop " + std::to_string(next) + "\n"
        "  dim csv[80] = \"@@\"\n"
        "  ReadCsvFile file=\"RND/\" + str(files) + \".CSV\" result=csv\n"
        "  stored = 0\n"
        "  loop 80\n    if csv[stored] == \"@@\"\n      break\n    end\n    stored += 1\n  end\n"
        "  CountCsvFields file=\"rnd\\\\\" + str(files) + \".csv\" count=1 result=counted\n"
        "  if counted != stored\n    bad += 1\n  end\n"
        "  files += 1\n"
        "end\n"
        "ReadCsvFile file=\"rnd/" + std::to_string(kRandom + 2) + ".csv\" result=flags\n"
        "CountCsvFields file=\"rnd/" + std::to_string(kRandom + 2) + ".csv\" count=1 result=flagCount\n"
        "goto *idle\n" + std::string(kIdle),
        3, {}, res.str());
    ASSERT_EQ(r.compileExit, 0) << r.compileOutput;
    EXPECT_FALSE(r.anyError()) << r.output;
    EXPECT_EQ(r.value(1003), std::to_string(next)) << "every file was read";
    EXPECT_EQ(r.value(1004), "0") << "files whose count differs from what was stored";
    // flags.csv, through the engine: "one,\"two,three\",four\rfive\rsix,\r,,\r".
    EXPECT_EQ(r.value(1005), "\"one\", \"\\\"two,three\\\"\", \"four\", \"\\r\", \"\\r\", \"six\", \"\", \"\\r\", \"\", \"\", \"\", \"@@\"");
    EXPECT_EQ(r.value(1006), "11");
}

// The real engine in a real window: keys pressed on the X server reach the
// input dialog as SDL's text input, and the script's variable holds the
// text in Shift_JIS once OK is pressed with Return.
TEST(DialogsE2E, KeysTypedIntoTheDialogOnXvfbReachTheVariable) {
    test::TempDir src, game, work;
    src.write("main.vrs",
              "#config width=320 height=240 title=\"dialog\" sound=0\nglobal str name\nglobal int done\n"
              "*SYSTEM_START\n"
              "ShowMessageBox title=\"名前の入力\" text=\"名前は？\" input=1 initialText=\"名無し\" maxLength=8 "
              "inputText=name result=done\n"
              "EndProgram\n");
    ASSERT_EQ(test::runProcess({test::vrc(), "build", src.str(), "--out", game.str()}).exitCode, 0);
    int display = -1;
    auto server = test::startXvfb(work.str() + "xvfb.txt", display);
    if (display < 0) GTEST_SKIP() << "Xvfb could not start: " << server->output();
    const std::string dpy = ":" + std::to_string(display), dump = work.str() + "vars.txt";
    const char* asan = std::getenv("ASAN_OPTIONS");
    std::string asanOptions = "ASAN_OPTIONS=" + std::string(asan ? asan : "") + ":detect_leaks=0";
    test::BackgroundProcess run({"/usr/bin/env", "DISPLAY=" + dpy, "SDL_VIDEODRIVER=x11", "SDL_AUDIODRIVER=dummy",
                                 asanOptions, test::virelo(), "--dump-vars", dump, game.str()},
                                work.str() + "run.txt");
    EXPECT_TRUE(test::typeIntoWindow(dpy, "名前の入力", "yamada 山田", 15000)) << run.output();
    // OK ends the dialog, and the script ends the run.
    EXPECT_EQ(run.wait(30000), 0) << run.output();
    std::string vars = test::readFile(dump);
    EXPECT_NE(vars.find("1000 str = \"yamada 山\""), std::string::npos) << vars << "the ninth character passes the limit";
    EXPECT_NE(vars.find("1001 int = 1"), std::string::npos) << vars;
}

}  // namespace
}  // namespace vr
