#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "common/texts/engine_texts.h"
#include "core/debug_log.h"
#include "support/headless_engine.h"
#include "support/sjis_text.h"
#include "support/temp_dir.h"

namespace vr {
namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

const std::string kRule = "//" + std::string(76, '-') + "\n";

uint64_t at(int day, int hour, int minute, int second) {
    return ((((uint64_t(day) * 24 + uint64_t(hour)) * 60 + uint64_t(minute)) * 60) + uint64_t(second)) * 1000;
}

TEST(DebugLog, OneHeaderPerRunBeforeTheFirstMessage) {
    test::TempDir dir;
    test::CurrentDir cd(dir.path());
    {
        test::HeadlessEngine h;
        h.host.advanceClock(at(3, 5, 6, 7));  // 2000-01-04 05:06:07
        writeDebugLog("", VR_TEXT_LOG_PACK_MEMBER_DAMAGED, "bg\\a.png");
        h.host.advanceClock(at(0, 1, 0, 0));
        writeDebugLog("", VR_TEXT_LOG_PACK_MEMBER_REPAIRED, "bg\\a.png");
    }
    const std::string firstRun = kRule + test::sjis(u8"//■00/01/04 time=05:06:07\n") + kRule +
                                 test::sjis(u8"[bg\\a.png] ファイルに破損が見つかりました。修復を試みます。\n") +
                                 test::sjis(u8"[bg\\a.png] ファイルの修復に成功しました。\n");
    EXPECT_EQ(readFile(dir.path() / "info.txt"), firstRun);

    // A new run appends with a header of its own.
    {
        test::HeadlessEngine h;
        writeDebugLog("", VR_TEXT_LOG_IMAGE_OUT_OF_MEMORY, "cg", 9000, 20);
    }
    EXPECT_EQ(readFile(dir.path() / "info.txt"), firstRun + kRule + test::sjis(u8"//■00/01/01 time=00:00:00\n") +
                                                     kRule + test::sjis(u8"メモリ確保エラーです。[cg](9000, 20)\n"));
}

TEST(DebugLog, OnlyKnownCategoriesAreWritten) {
    test::TempDir dir;
    test::CurrentDir cd(dir.path());
    test::HeadlessEngine h;
    writeDebugLog("err", "lower-case");
    writeDebugLog("WARN", "unknown");
    writeDebugLog(nullptr, "none");
    EXPECT_FALSE(fs::exists(dir.path() / "info.txt"));
    EXPECT_TRUE(h.e.core.debugLog.firstMessage);

    writeDebugLog("ERR", "e");
    writeDebugLog("ACT", "a");
    writeDebugLog("", "plain");
    writeDebugLog("ERROR", "longer");
    EXPECT_EQ(readFile(dir.path() / "info.txt"),
              kRule + test::sjis(u8"//■00/01/01 time=00:00:00\n") + kRule + "e\na\nplain\n");
}

TEST(DebugLog, LongMessagesAreCutWhole) {
    test::TempDir dir;
    test::CurrentDir cd(dir.path());
    test::HeadlessEngine h;
    std::string wide = "a";
    for (int i = 0; i < 1500; ++i) wide += test::sjis(u8"あ");
    writeDebugLog("", "%s", std::string(3000, 'z').c_str());
    writeDebugLog("", "%s", wide.c_str());
    std::string log = readFile(dir.path() / "info.txt");
    const std::string header = kRule + test::sjis(u8"//■00/01/01 time=00:00:00\n") + kRule;
    ASSERT_EQ(log.rfind(header, 0), 0u);
    EXPECT_EQ(log.substr(header.size()), std::string(kDebugLogMessageLimit - 1, 'z') + "\n" +
                                             wide.substr(0, kDebugLogMessageLimit - 1) + "\n");
}

TEST(DebugLog, ReadOnlyFolderWritesNothingAndReportsNothing) {
    test::TempDir dir;
    const fs::path folder = dir.path() / "ro";
    fs::create_directory(folder);
    fs::permissions(folder, fs::perms(0555));
    {
        std::ofstream probe(folder / "probe");
        if (probe) {
            fs::permissions(folder, fs::perms(0755));
            GTEST_SKIP() << "running with rights that ignore folder permissions";
        }
    }
    test::CurrentDir cd(folder);
    test::HeadlessEngine h;
    writeDebugLog("", "lost %d", 1);
    EXPECT_FALSE(fs::exists(folder / "info.txt"));
    EXPECT_TRUE(h.e.core.errors.reports.empty());
    EXPECT_TRUE(h.host.transcript().empty());

    // The header was not written, so it still comes before the first message
    // that is.
    fs::permissions(folder, fs::perms(0755));
    writeDebugLog("", "kept %d", 2);
    EXPECT_EQ(readFile(folder / "info.txt"), kRule + test::sjis(u8"//■00/01/01 time=00:00:00\n") + kRule + "kept 2\n");
}

}  // namespace
}  // namespace vr
