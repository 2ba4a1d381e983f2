// Engine names on the host file system, and the file calls built on them.
#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "support/sjis_text.h"
#include "support/temp_dir.h"

namespace vr::platform {
namespace {

namespace fs = std::filesystem;

std::string u8s(const char8_t* s) { return reinterpret_cast<const char*>(s); }

std::string readAll(std::string_view name) {
    File f;
    if (!f.open(name, OpenMode::Read)) return "<cannot open>";
    std::string s(size_t(f.size()), '\0');
    if (!f.readExact(s.data(), s.size())) return "<short read>";
    return s;
}

class PlatformNames : public ::testing::Test {
protected:
    void SetUp() override {
        tmp.write("BG/Title.PNG", "title");
        // "表示" has 0x5C ('\\') as its second byte in Shift_JIS.
        tmp.write(u8s(u8"表示/Frame.bmp"), "frame");
        tmp.write(u8s(u8"画像/タイトル.txt"), "utf8 name");
        // Raw Shift_JIS bytes, as copied by a tool that did not convert them.
        tmp.write(std::string("\x83\x66\x81\x5b\x83\x5e.DAT"), "raw data");  // データ.DAT
        tmp.write(std::string("\x83\x61.txt"), "dzi");                       // ヂ.txt
        tmp.write("case/Data.txt", "mixed");
        tmp.write("case/DATA.TXT", "upper");
    }
    test::TempDir tmp;
    test::CurrentDir cd{tmp.path()};
};

TEST_F(PlatformNames, ComponentsMatchWithoutCaseAndEitherSeparator) {
    EXPECT_EQ(readAll("bg\\title.png"), "title");
    EXPECT_EQ(readAll("BG/TITLE.png"), "title");
    EXPECT_EQ(readAll("Bg\\./title.PNG"), "title");
    EXPECT_EQ(readAll("bg\\\\title.png"), "title");
    EXPECT_EQ(hostPath("bg\\title.png"), "BG/Title.PNG");
    EXPECT_EQ(readAll(tmp.str() + "BG/Title.PNG"), "title");  // host paths as they are
    EXPECT_EQ(readAll(tmp.str() + "bg/title.png"), "<cannot open>");
}

TEST_F(PlatformNames, ShiftJisNamesFindUtf8AndRawSpellings) {
    EXPECT_EQ(readAll(test::sjis(u8"画像\\タイトル.TXT")), "utf8 name");
    EXPECT_EQ(readAll(test::sjis(u8"表示\\frame.BMP")), "frame");
    EXPECT_EQ(hostPath(test::sjis(u8"表示\\frame.bmp")), u8s(u8"表示/Frame.bmp"));
    EXPECT_EQ(readAll(test::sjis(u8"データ.dat")), "raw data");
    // Case folding must leave trail bytes alone: "ア" is 0x83 0x41, and
    // folding its 'A' would turn it into "ヂ" (0x83 0x61).
    EXPECT_EQ(readAll(test::sjis(u8"ヂ.TXT")), "dzi");
    EXPECT_FALSE(fileExists(test::sjis(u8"ア.txt")));
}

TEST_F(PlatformNames, ExactSpellingWinsOverCaseVariants) {
    EXPECT_EQ(readAll("case\\Data.txt"), "mixed");
    EXPECT_EQ(readAll("case\\DATA.TXT"), "upper");
    std::string either = readAll("case\\data.txt");
    EXPECT_TRUE(either == "mixed" || either == "upper") << either;
    EXPECT_EQ(readAll("case\\data.txt"), either);  // and the choice holds
}

TEST_F(PlatformNames, MissingNamesAndPathsForNewFiles) {
    EXPECT_FALSE(fileExists("bg\\none.png"));
    EXPECT_EQ(readAll("bg\\none.png"), "<cannot open>");
    EXPECT_EQ(hostPath("bg\\New.png"), "BG/New.png");
    EXPECT_EQ(hostPath(test::sjis(u8"画像\\新規.txt")), u8s(u8"画像/新規.txt"));
    EXPECT_EQ(hostPath("nofolder\\x.png"), "");
    EXPECT_FALSE(File().open("nofolder\\x.png", OpenMode::Write));
    EXPECT_TRUE(fileExists("bg"));
    EXPECT_FALSE(File().open("bg", OpenMode::Read));  // a folder is no file
}

TEST_F(PlatformNames, ListingsFollowChangesMadeElsewhere) {
    EXPECT_EQ(readAll("bg\\title.png"), "title");
    // A folder whose listing is old enough to be trusted from the cache...
    timespec old[2] = {{0, UTIME_OMIT}, {1'000'000'000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, "BG", old, 0), 0);
    EXPECT_EQ(readAll("bg\\title.png"), "title");
    // ...is read again once something else changes it.
    tmp.write("BG/Later.png", "later");
    EXPECT_EQ(readAll("bg\\later.png"), "later");
    fs::rename(tmp.path() / "BG/Title.PNG", tmp.path() / "BG/TITLE.png");
    EXPECT_EQ(readAll("bg\\title.png"), "title");
    // And right after a change, within the file system's time stamp steps.
    tmp.write("BG/Quick.png", "quick");
    EXPECT_EQ(readAll("bg\\QUICK.png"), "quick");
}

TEST_F(PlatformNames, OwnCreationsAndRemovalsShowAtOnce) {
    timespec old[2] = {{0, UTIME_OMIT}, {1'000'000'000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, "BG", old, 0), 0);
    EXPECT_FALSE(fileExists("bg\\save.dat"));
    {
        File f;
        ASSERT_TRUE(f.open("bg\\save.dat", OpenMode::Write));
        ASSERT_TRUE(f.write("abc", 3));
    }
    EXPECT_TRUE(fileExists("BG\\SAVE.DAT"));
    EXPECT_TRUE(removeFile("bg\\SAVE.dat"));
    EXPECT_FALSE(fileExists("bg\\save.dat"));
    EXPECT_FALSE(removeFile("bg\\save.dat"));
}

TEST(PlatformFiles, OpenModesReadWriteSeekAndSize) {
    test::TempDir tmp;
    std::string path = tmp.str() + "f.bin";
    File f;
    EXPECT_FALSE(f.openHost(path, OpenMode::ReadWrite));  // only existing files
    ASSERT_TRUE(f.openHost(path, OpenMode::Write));
    ASSERT_TRUE(f.write("hello world", 11));
    f.close();
    ASSERT_TRUE(f.openHost(path, OpenMode::Append));
    ASSERT_TRUE(f.write("!", 1));
    EXPECT_EQ(f.size(), 12);
    f.close();

    ASSERT_TRUE(f.openHost(path, OpenMode::ReadWrite));
    ASSERT_TRUE(f.seek(6));
    ASSERT_TRUE(f.write("W", 1));
    ASSERT_TRUE(f.seek(4));
    char buf[16] = {};
    EXPECT_EQ(f.read(buf, sizeof buf), 8);  // short only at the end
    EXPECT_EQ(std::string(buf, 8), "o World!");
    EXPECT_EQ(f.read(buf, sizeof buf), 0);
    EXPECT_FALSE(f.readExact(buf, 1));

    File moved = std::move(f);
    EXPECT_FALSE(f.isOpen());
    EXPECT_TRUE(moved.isOpen());
    moved.close();
    ASSERT_TRUE(f.openHost(path, OpenMode::Write));  // truncates
    EXPECT_EQ(f.size(), 0);
    EXPECT_EQ(File().read(buf, 1), -1);
}

TEST(PlatformFiles, ReadHostFileAndFolders) {
    test::TempDir tmp;
    std::vector<uint8_t> big(200000);
    for (size_t i = 0; i < big.size(); ++i) big[i] = uint8_t(i * 7);
    tmp.write("big.bin", big);
    std::vector<uint8_t> got{1, 2, 3};
    ASSERT_TRUE(readHostFile(tmp.str() + "big.bin", got));
    EXPECT_EQ(got, big);
    EXPECT_FALSE(readHostFile(tmp.str() + "none.bin", got));
    EXPECT_TRUE(got.empty());
    // Files that report no size still read to their end.
    ASSERT_TRUE(readHostFile("/proc/self/status", got));
    EXPECT_FALSE(got.empty());

    std::string old = currentDirectory();
    ASSERT_TRUE(setCurrentDirectory(tmp.str()));
    EXPECT_EQ(fs::path(currentDirectory()), fs::canonical(tmp.path()));
    EXPECT_TRUE(fileExists("BIG.BIN"));
    EXPECT_TRUE(setCurrentDirectory(old));
    EXPECT_FALSE(setCurrentDirectory(tmp.str() + "none"));
}

}  // namespace
}  // namespace vr::platform
