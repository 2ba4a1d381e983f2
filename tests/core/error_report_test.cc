#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/error_report.h"
#include "core/error_texts.h"
#include "support/headless_engine.h"
#include "support/sjis_text.h"

namespace vr {
namespace {

std::vector<std::string> dialogLines(const test::HeadlessEngine& h) {
    std::vector<std::string> out;
    for (const std::string& line : h.host.transcript())
        if (line.rfind("error dialog: ", 0) == 0) out.push_back(line);
    return out;
}

const std::string& lastReport(const test::HeadlessEngine& h) { return h.e.core.errors.reports.back(); }

bool inScene(std::string& name, int& line) {
    name = "scene%s.txt";  // a name that looks like a format must stay a name
    line = 42;
    return true;
}
bool noThread(std::string&, int&) { return false; }

TEST(ErrorReportText, BuiltInThenGameThenInternalText) {
    test::HeadlessEngine h;
    h.e.core.errors.messages = {{104060, "the game's own text [%s]"}, {104061, "first: %s"}, {104061, "second: %s"}};

    reportErrorArgs(104060, true, "bg\\a.png");
    EXPECT_EQ(lastReport(h), test::sjis(u8"[bg\\a.png]ファイルが\n存在しません。"));
    reportErrorArgs(104061, true, std::string("b.png"));
    EXPECT_EQ(lastReport(h), "first: b.png");
    reportError(123456, false);
    EXPECT_EQ(lastReport(h), kInternalErrorText);
    EXPECT_EQ(h.e.core.errors.reportedCodes, (std::vector<uint32_t>{104060, 104061, 123456}));
}

TEST(ErrorReportText, DamagedMemberNamesPackAndFile) {
    test::HeadlessEngine h;
    reportErrorArgs(104100, true, std::string_view("data.vpf"), "bg\\a.png");
    EXPECT_EQ(lastReport(h),
              test::sjis(u8"パックファイル中に破損ファイルが見つかりました。\n\nPacFile = data.vpf\nFile = bg\\a.png"));
    reportErrorArgs(104130, true, 100);
    EXPECT_EQ(lastReport(h), test::sjis(u8"パックファイルを同時に扱えるのは 100 個までです。"));
}

TEST(ErrorReport, OnlyTheFirstReportIsShownAndFatalQuits) {
    test::HeadlessEngine h;
    h.host.showCursor(false);
    reportError(100010, true);
    reportErrorArgs(104010, true, "x.ogg");
    EXPECT_TRUE(h.e.core.run.quitRequested);
    EXPECT_TRUE(h.host.cursorShown());
    ASSERT_EQ(dialogLines(h).size(), 1u);
    EXPECT_EQ(dialogLines(h)[0].rfind("error dialog: VIRELO Debug Info. | ", 0), 0u) << dialogLines(h)[0];
    // The second report is recorded although not shown.
    ASSERT_EQ(h.e.core.errors.reports.size(), 2u);
    EXPECT_EQ(h.e.core.errors.reports[1], test::sjis(u8"[x.ogg]ファイルを\n読み込めませんでした。"));
}

TEST(ErrorReport, NonFatalReportWithdrawsPendingQuit) {
    test::HeadlessEngine h;
    h.e.core.run.quitRequested = true;
    reportErrorArgs(105200, false, 800, 600);
    EXPECT_FALSE(h.e.core.run.quitRequested);
}

TEST(ErrorReport, ScriptReportsNameFileAndLine) {
    test::HeadlessEngine h;
    h.e.core.errors.messages = {{108010, test::sjis(u8"変数[%s]は定義されていません。")}};
    h.e.core.errors.locate = inScene;

    reportScriptErrorArgs(108010, true, "v");
    EXPECT_EQ(
        lastReport(h),
        test::sjis(u8"[対象ファイル]\nscene%s.txt\n\n[場所]\n42 行目\n\n[内容]\n\n変数[v]は定義されていません。"));
    EXPECT_TRUE(h.e.core.errors.hasLocation);
    EXPECT_EQ(h.e.core.errors.lastErrorFile, "scene%s.txt");
    EXPECT_EQ(h.e.core.errors.lastErrorLine, 42);

    // A report outside the script clears the location, and a call without
    // arguments keeps the placeholder as written.
    reportError(108010, true);
    EXPECT_EQ(lastReport(h), test::sjis(u8"変数[%s]は定義されていません。"));
    EXPECT_FALSE(h.e.core.errors.hasLocation);
    EXPECT_EQ(h.e.core.errors.lastErrorFile, "");
    EXPECT_EQ(h.e.core.errors.lastErrorLine, 1);

    h.e.core.errors.locate = inScene;
    reportScriptError(108010, true);
    EXPECT_TRUE(h.e.core.errors.hasLocation);
    h.e.core.errors.locate = noThread;
    reportScriptError(108010, true);
    EXPECT_EQ(lastReport(h), test::sjis(u8"変数[%s]は定義されていません。"));
    EXPECT_FALSE(h.e.core.errors.hasLocation);
    EXPECT_EQ(h.e.core.errors.lastErrorLine, 1);
}

TEST(ErrorReport, EditButtonFollowsDebugModeAndLocation) {
    struct Case {
        uint8_t debugMode;
        ErrorLocator locate;
        const char* edit;
    };
    const Case cases[] = {
        {0, inScene, "| edit=absent |"},
        {2, inScene, "| edit=absent |"},
        {1, nullptr, "| edit=disabled |"},
        {1, noThread, "| edit=disabled |"},
        {1, inScene, "| edit=enabled |"},
    };
    for (const Case& c : cases) {
        test::HeadlessEngine h;
        h.e.core.files.config.debugMode = c.debugMode;
        h.e.core.errors.locate = c.locate;
        h.host.queueErrorDialogEdits(2);
        reportScriptError(900050, true);
        ASSERT_EQ(dialogLines(h).size(), 1u);
        EXPECT_NE(dialogLines(h)[0].find(c.edit), std::string::npos) << dialogLines(h)[0];
    }
}

TEST(ErrorReportFormat, HostileGameTextsFormatSafely) {
    test::HeadlessEngine h;
    h.e.core.errors.messages = {
        {555000, "%s%s%s%n|%d|%c|%5.2s|%lld|%y"},
        {555001, "%s/%d/%x/%x/%c 100%%"},
        {555002, "100%% %s %"},
        {555003, "[%*d][%-*s][%.*s][%I64d]"},
        {555004, "%999999999d%999999999s%.999999999f"},
    };
    reportErrorArgs(555000, true, "one");
    EXPECT_EQ(lastReport(h), "one|0||     |0|%y");
    reportErrorArgs(555001, true, 7, "text", -1, int64_t(-1), 'A');
    EXPECT_EQ(lastReport(h), "7/text/ffffffff/ffffffffffffffff/A 100%");
    reportError(555002, true);
    EXPECT_EQ(lastReport(h), "100% %s %");
    reportErrorArgs(555003, true, 4, 7, -3, "a", 1, "xyz", int64_t(1) << 40);
    EXPECT_EQ(lastReport(h), "[   7][a  ][x][1099511627776]");
    reportErrorArgs(555004, true, 1, "a", 2.5);
    EXPECT_EQ(lastReport(h).size(), kErrorTextLimit);
}

TEST(ErrorReportFormat, CutsNeverSplitACharacter) {
    test::HeadlessEngine h;
    std::string wide;
    for (int i = 0; i < 1200; ++i) wide += test::sjis(u8"あ");
    h.e.core.errors.messages = {{555010, "x" + wide}, {555011, "xy" + wide}, {555012, "%s"}, {555013, "[%.3s]"}};

    reportError(555010, true);
    EXPECT_EQ(lastReport(h), "x" + wide.substr(0, 1022));
    reportError(555011, true);
    EXPECT_EQ(lastReport(h), "xy" + wide.substr(0, 1020));
    reportErrorArgs(555012, true, "xy" + wide);
    EXPECT_EQ(lastReport(h), "xy" + wide.substr(0, 1020));
    reportErrorArgs(555013, true, test::sjis(u8"あい"));
    EXPECT_EQ(lastReport(h), test::sjis(u8"[あ]"));
}

TEST(ErrorReportText, LibraryNoticesAreShownWhole) {
    test::HeadlessEngine h;
    h.e.core.errors.caption = "License Information";
    reportError(kLibraryNoticesCode, true);
    const std::string& text = lastReport(h);
    EXPECT_EQ(text, libraryNotices());
    EXPECT_GT(text.size(), kErrorTextLimit);
    EXPECT_EQ(text.rfind(test::sjis(u8"■ライセンスについて"), 0), 0u);
    for (const char* notice : {"Jean-loup Gailly", "PNG Reference Library", "Independent JPEG Group",
                               "D. R. Commander", "Xiph.Org Foundation", "Sam Lantinga", "The FreeType",
                               "Keith Packard"})
        EXPECT_NE(text.find(notice), std::string::npos) << notice;
    ASSERT_EQ(dialogLines(h).size(), 1u);
    EXPECT_EQ(dialogLines(h)[0].rfind("error dialog: License Information | ", 0), 0u);
}

TEST(ErrorReport, RecordOfReportsIsBounded) {
    test::HeadlessEngine h;
    for (size_t i = 0; i < kRecordedReportLimit + 10; ++i) reportErrorArgs(110200, false, int(i));
    EXPECT_EQ(h.e.core.errors.reports.size(), kRecordedReportLimit);
    EXPECT_EQ(h.e.core.errors.reportedCodes.size(), kRecordedReportLimit);
}

}  // namespace
}  // namespace vr
