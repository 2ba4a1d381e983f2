#include "core/archive/loader.h"

#include <gtest/gtest.h>

#include "support/headless_engine.h"
#include "support/temp_dir.h"

namespace vr {
namespace {

std::string text(const FileRequest& r) { return std::string(r.data.begin(), r.data.end()); }

struct LoaderTest : ::testing::Test {
    test::TempDir dir;
    std::unique_ptr<test::CurrentDir> cd;
    test::HeadlessEngine h;
    void SetUp() override { cd = std::make_unique<test::CurrentDir>(dir.path()); }
    void TearDown() override { cd.reset(); }
};

TEST_F(LoaderTest, LooseNamesFromWindowsMatchWithoutRegardToCase) {
    dir.write("BG/Title.PNG", "png bytes");
    dir.write("Sound/Se01.Wav", "wav bytes");
    FileRequest r;
    ASSERT_EQ(loadFile(r, "bg\\title.png", true, true), 0);
    EXPECT_EQ(r.kind, SourceKind::LooseFile);
    EXPECT_EQ(r.type, FileType::Png);
    EXPECT_EQ(r.size, 9u);
    EXPECT_EQ(text(r), "png bytes");

    std::string resolved;
    ASSERT_EQ(resolveResourceName(r, "BG/Title", resolved, 0), 0);
    EXPECT_EQ(resolved, "bg\\title.png");
    ASSERT_EQ(loadFile(r, resolved, true, false), 0);
    EXPECT_EQ(text(r), "png bytes");

    ASSERT_EQ(resolveResourceName(r, "sound\\se01", resolved, 1), 0);
    EXPECT_EQ(resolved, "sound\\se01.wav");
    EXPECT_EQ(r.type, FileType::Wav);
    EXPECT_TRUE(h.e.core.errors.reportedCodes.empty());
}

TEST_F(LoaderTest, ProbesTheConfiguredExtensionOrder) {
    dir.write("bg/a.bmp", "bmp");
    dir.write("bg/a.gif", "gif");
    FileRequest r;
    std::string resolved;
    // png, bmp, jpg, gif: the bmp comes first.
    ASSERT_EQ(resolveResourceName(r, "bg\\a", resolved, 0), 0);
    EXPECT_EQ(resolved, "bg\\a.bmp");
    // gif first; an invalid code in a position is skipped.
    h.e.core.loader.imageOrder = {9, 4, 2, 0};
    ASSERT_EQ(resolveResourceName(r, "bg\\a", resolved, 0), 0);
    EXPECT_EQ(resolved, "bg\\a.gif");
    EXPECT_EQ(r.type, FileType::Gif);
    // A name found nowhere: 1, and the last name tried.
    h.e.core.loader.imageOrder = {1, 3, 0, 0};
    EXPECT_EQ(resolveResourceName(r, "bg\\a", resolved, 0), 1);
    EXPECT_EQ(resolved, "bg\\a.jpg");
    EXPECT_EQ(resolveResourceName(r, "bg\\a", resolved, 7), -1);
}

TEST_F(LoaderTest, ANameWithItsExtensionIsNotProbed) {
    dir.write("bg/title.png.png", "wrong");
    FileRequest r;
    std::string resolved;
    EXPECT_EQ(resolveResourceName(r, "bg\\title.PNG", resolved, 0), 1);
    EXPECT_EQ(resolved, "bg\\title.png");
    dir.write("bg/title.png", "right");
    EXPECT_EQ(resolveResourceName(r, "bg\\title.PNG", resolved, 0), 0);
}

TEST_F(LoaderTest, InMemoryAndHandOverItemsComeBeforeLooseFiles) {
    dir.write("vrbin/vrc.vbn", "loose");
    FileRequest r;
    h.e.core.loader.handOver.push_back({"vrbin\\vrc.vbn", {'h', 'a', 'n', 'd'}});
    ASSERT_EQ(loadFile(r, "vrbin\\vrc.vbn", true, true), 0);
    EXPECT_EQ(r.kind, SourceKind::HandOver);
    EXPECT_EQ(text(r), "hand");

    h.e.core.loader.memoryItems[2].push_back({"vrbin\\vrc.vbn", FileType::Other, {'m'}});
    ASSERT_EQ(loadFile(r, "vrbin\\vrc.vbn", true, true), 0);
    EXPECT_EQ(r.kind, SourceKind::InMemory);
    EXPECT_EQ(r.itemGroup, 2);
    EXPECT_EQ(text(r), "m");

    // Those two sources compare names exactly.
    ASSERT_EQ(loadFile(r, "VRBIN\\vrc.vbn", true, true), 0);
    EXPECT_EQ(r.kind, SourceKind::LooseFile);
    EXPECT_EQ(text(r), "loose");
}

TEST_F(LoaderTest, MissingFileIsReportedOnlyWhenAsked) {
    FileRequest r;
    EXPECT_LT(loadFile(r, "nothing.dat", false, true), 0);
    EXPECT_TRUE(h.e.core.errors.reportedCodes.empty());
    EXPECT_LT(loadFile(r, "nothing.dat", true, true), 0);
    ASSERT_EQ(h.e.core.errors.reportedCodes.size(), 1u);
    EXPECT_EQ(h.e.core.errors.reportedCodes[0], 104060u);
    EXPECT_NE(h.e.core.errors.reports[0].find("nothing.dat"), std::string::npos);
    EXPECT_TRUE(h.e.core.run.quitRequested);
}

TEST_F(LoaderTest, ALooseFileThatVanishesIsAReadError) {
    dir.write("gone.dat", "x");
    FileRequest r;
    std::string resolved;
    ASSERT_EQ(loadFile(r, "gone.dat", true, true), 0);
    std::filesystem::remove(dir.path() / "gone.dat");
    EXPECT_LT(loadFile(r, "gone.dat", true, false), 0);
    ASSERT_FALSE(h.e.core.errors.reportedCodes.empty());
    EXPECT_EQ(h.e.core.errors.reportedCodes.back(), 104010u);
}

TEST(LoaderFileTypes, FromTheNameEnding) {
    EXPECT_EQ(fileTypeFromName("a.BMP"), FileType::Bmp);
    EXPECT_EQ(fileTypeFromName("a\\b.Jpg"), FileType::Jpeg);
    EXPECT_EQ(fileTypeFromName("x.psd"), FileType::Psd);
    EXPECT_EQ(fileTypeFromName("x.ogg"), FileType::Ogg);
    EXPECT_EQ(fileTypeFromName("x.jpeg"), FileType::Other);
    EXPECT_EQ(fileTypeFromName("png"), FileType::Other);
}

}  // namespace
}  // namespace vr
