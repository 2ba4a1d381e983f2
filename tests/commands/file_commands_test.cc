// The file commands run by small compiled games in the headless engine, with
// the game folder a temporary one: what the files on disk look like after.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/archive/loader.h"
#include "core/image_encode.h"
#include "graphics/object_tree.h"
#include "script/interpreter.h"
#include "script/variables.h"
#include "support/headless_engine.h"
#include "support/memory_game.h"
#include "support/sjis_text.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace vr {
namespace {

namespace fs = std::filesystem;

struct FileCommandsTest : ::testing::Test {
    test::TempDir dir;
    test::CurrentDir inGame{dir.path()};
    test::HeadlessEngine h;

    void run(const std::string& source) {
        test::loadCompiledGame(h, source + "*idle\nwait 1\ngoto *idle\n");
        h.frame();
    }
    bool there(const std::string& relative) const { return fs::exists(dir.path() / relative); }

    // "W0/shot": 7 x 5 pixels, every one different, some of them half
    // transparent.
    ObjectNode* makeShot() {
        createLayerNode("W0", 16, 16, 1);
        ObjectNode* node = createNode("W0/shot", false, 1);
        if (!node || !attachNewLayer(*node) || !allocateLayerPixels(*node->layer, 7, 5, "shot")) return nullptr;
        uint8_t* p = node->layer->pixels();
        for (int i = 0; i < 35; ++i) {
            p[i * 4] = uint8_t(i * 7);
            p[i * 4 + 1] = uint8_t(255 - i * 5);
            p[i * 4 + 2] = uint8_t(i * 3 + 40);
            p[i * 4 + 3] = uint8_t(i % 3 ? 255 : 128);
        }
        return node;
    }
};

std::vector<uint8_t> fileBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// The pixels ImageMagick decodes from a file, as R, G, B, A bytes.
std::vector<uint8_t> decodedByImageMagick(const fs::path& file) {
    auto r = test::runProcess({"/usr/bin/convert", file.string(), "-depth", "8", "rgba:-"});
    EXPECT_EQ(r.exitCode, 0) << r.output;
    return std::vector<uint8_t>(r.output.begin(), r.output.end());
}

TEST_F(FileCommandsTest, DeleteTakesOnlySaveFilesAndEmptyFolders) {
    dir.write("save/slot1.sd", "record");
    dir.write("save/slot1", "no extension");
    dir.write("save/slot1.txt", "notes");
    dir.write("Kept/inside.txt", "x");
    fs::create_directories(dir.path() / "Empty");
    run("*SYSTEM_START\n"
        "FileOperation file=\"SAVE/Slot1\" delete=1\n"
        "FileOperation file=\"save/slot1.txt\" delete=1\n"
        "FileOperation folder=\"empty\" delete=1\n"
        "FileOperation folder=\"kept\" delete=1\n");
    EXPECT_FALSE(there("save/slot1.sd"));
    EXPECT_TRUE(there("save/slot1"));
    EXPECT_TRUE(there("save/slot1.txt")) << "slot1.txt.sd was meant, and it is not there";
    EXPECT_FALSE(there("Empty"));
    EXPECT_TRUE(there("Kept/inside.txt"));
}

TEST_F(FileCommandsTest, FoldersAndCopiesFindShiftJisAndCapitalisedNames) {
    fs::create_directories(dir.path() / "データ");
    dir.write("Data.BIN", "payload");
    run("*SYSTEM_START\n"
        "FileOperation folder=\"データ/画像/new/\" createFolder=1\n"
        "FileOperation folder=\"a/b\" createFolder=1\n"
        "FileOperation file=\"data.bin\" destination=\"データ/画像/copy.bin\" copy=1\n");
    EXPECT_TRUE(fs::is_directory(dir.path() / "データ/画像/new")) << "a path ending in \\ makes its last folder";
    EXPECT_TRUE(fs::is_directory(dir.path() / "a"));
    EXPECT_FALSE(there("a/b")) << "without the \\ at the end the last component is left";
    EXPECT_EQ(fileBytes(dir.path() / "データ/画像/copy.bin"), fileBytes(dir.path() / "Data.BIN"));
}

TEST_F(FileCommandsTest, ExportsDecodeToTheLayersPixelsAndClampTheirQuality) {
    test::loadCompiledGame(h,
                           "*SYSTEM_START\n"
                           "FileOperation file=\"out/shot\" object=\"shot\" bmp=1\n"
                           "FileOperation file=\"out/shot.png\" object=\"shot\" quality=12\n"
                           "FileOperation file=\"out/shot\" object=\"shot\" jpeg=1 png=1 quality=0\n"
                           "*idle\nwait 1\ngoto *idle\n");
    fs::create_directories(dir.path() / "out");
    ObjectNode* node = makeShot();
    ASSERT_NE(node, nullptr);
    h.frame();
    ASSERT_TRUE(h.e.core.errors.reportedCodes.empty());

    const Surface& s = node->layer->surface;
    PixelsView view{s.pixels.data(), s.width, s.height, s.stride()};
    std::vector<uint8_t> level9, quality1;
    ASSERT_TRUE(encodePng(view, 9, level9));
    ASSERT_TRUE(encodeJpeg(view, 1, JpegContent::Colour, quality1));
    EXPECT_EQ(fileBytes(dir.path() / "out/shot.png"), level9) << "level 12 is written as 9";
    EXPECT_EQ(fileBytes(dir.path() / "out/shot.jpg"), quality1) << "quality 0 is written as 1, and JPEG wins";

    std::vector<uint8_t> png = decodedByImageMagick(dir.path() / "out/shot.png");
    std::vector<uint8_t> bmp = decodedByImageMagick(dir.path() / "out/shot.bmp");
    std::vector<uint8_t> jpg = decodedByImageMagick(dir.path() / "out/shot.jpg");
    ASSERT_EQ(png.size(), 35u * 4);
    ASSERT_EQ(bmp.size(), 35u * 4);
    ASSERT_EQ(jpg.size(), 35u * 4);
    const uint8_t* p = s.pixels.data();
    long jpegError = 0;
    for (size_t i = 0; i < 35; ++i) {
        const uint8_t rgba[4] = {p[i * 4 + 2], p[i * 4 + 1], p[i * 4], p[i * 4 + 3]};
        for (size_t c = 0; c < 4; ++c) EXPECT_EQ(png[i * 4 + c], rgba[c]) << "PNG pixel " << i << " channel " << c;
        for (size_t c = 0; c < 3; ++c) EXPECT_EQ(bmp[i * 4 + c], rgba[c]) << "BMP pixel " << i << " channel " << c;
        EXPECT_EQ(bmp[i * 4 + 3], 255);
        for (size_t c = 0; c < 3; ++c) jpegError += std::abs(int(jpg[i * 4 + c]) - int(rgba[c]));
    }
    // Quality 1 keeps little more than each block's mean colour.
    EXPECT_LT(jpegError / (35 * 3), 48);
}

TEST_F(FileCommandsTest, ExportToAMissingObjectIsReported) {
    run("*SYSTEM_START\nFileOperation file=\"shot\" object=\"W9/shot\"\n");
    EXPECT_TRUE(h.reported(100230)) << "the missing container is named";
    EXPECT_FALSE(there("shot.png"));
}

TEST_F(FileCommandsTest, ExportThatCannotBeWrittenShowsItsBox) {
    test::loadCompiledGame(h, "*SYSTEM_START\nFileOperation file=\"nowhere/shot\" object=\"shot\"\n"
                              "*idle\nwait 1\ngoto *idle\n");
    ASSERT_NE(makeShot(), nullptr);
    h.frame();
    EXPECT_TRUE(h.e.core.errors.reportedCodes.empty());
    const auto& shown = h.host.transcript();
    EXPECT_NE(std::find(shown.begin(), shown.end(), "messagebox:  | File Create Error."), shown.end());
}

TEST_F(FileCommandsTest, QueriesLookWhereTheEngineLooks) {
    dir.write("bg/Title.PNG", "not really a picture");
    dir.write("se/click.wav", "RIFF");
    dir.write("notes.txt", std::string(1234, 'n'));
    run("global int image\nglobal int sound\nglobal int missing\nglobal int size\nglobal int folder\n"
        "global int folderSize\nglobal str program\nglobal str textExists\n*SYSTEM_START\n"
        "missing = 5\nfolderSize = 5\n"
        "FileQuery image=\"BG/title\" exists=1 result=image\n"
        "FileQuery sound=\"se/click\" exists=1 result=sound\n"
        "FileQuery image=\"bg/credits\" exists=1 result=missing\n"
        "FileQuery file=\"notes.txt\" size=1 result=size\n"
        "FileQuery folder=\"BG\" exists=1 result=folder\n"
        "FileQuery folder=\"bg\" size=1 result=folderSize\n"
        "program = \"x\"\nFileQuery folder=\"bg\" program=1 result=program\n"
        "FileQuery file=\"notes.txt\" exists=1 result=textExists\n");
    EXPECT_EQ(getInteger(1000, 0), 1);
    EXPECT_EQ(getInteger(1001, 0), 1);
    EXPECT_EQ(getInteger(1002, 0), 0);
    EXPECT_EQ(getInteger(1003, 0), 1234);
    EXPECT_EQ(getInteger(1004, 0), 1);
    EXPECT_EQ(getInteger(1005, 0), 0);
    EXPECT_EQ(getString(1006, 0), "") << "a folder has no program";
    EXPECT_TRUE(h.reported(101140)) << "a yes-or-no answer cannot go into a text";
}

TEST_F(FileCommandsTest, RegistryValuesComeFromTheStore) {
    dir.write("registry.txt",
              "# written by the installer\n"
              "[HKEY_CURRENT_USER\\Software\\Maker\\Game]\n"
              "InstallDir = C:\\Games\\例\n"
              "@ = default\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Other]\n"
              "InstallDir = elsewhere\n");
    run("global str dir\nglobal str byDefault\nglobal str missing\nglobal int number\nglobal str untouched\n"
        "global int numberFound\n*SYSTEM_START\n"
        "missing = \"old\"\nnumber = 7\nuntouched = \"kept\"\nnumberFound = 7\n"
        "RegistryRead key=\"HKEY_CURRENT_USER/software/maker/game\" valueName=\"installdir\" result=dir\n"
        "RegistryRead key=\"HKEY_CURRENT_USER\\\\Software\\\\Maker\\\\Game\\\\\" valueName=\"\" result=byDefault\n"
        "RegistryRead key=\"HKEY_CURRENT_USER/Software/Maker\" valueName=\"InstallDir\" result=missing\n"
        "RegistryRead key=\"HKEY_USERS/x\" valueName=\"v\" result=number\n"
        "RegistryRead key=\"Software/Maker/Game\" valueName=\"InstallDir\" result=untouched\n"
        "RegistryRead key=\"HKEY_CURRENT_USER/Software/Maker/Game\" valueName=\"InstallDir\" result=numberFound\n");
    EXPECT_EQ(getString(1000, 0), test::sjis(u8"C:\\Games\\例"));
    EXPECT_EQ(getString(1001, 0), "default");
    EXPECT_EQ(getString(1002, 0), "") << "a failed read empties a text";
    EXPECT_EQ(getInteger(1003, 0), 0) << "and zeroes a number";
    EXPECT_EQ(getString(1004, 0), "kept") << "a key without a root name does nothing";
    EXPECT_EQ(getInteger(1005, 0), 7) << "a value found leaves a number alone";
}

TEST_F(FileCommandsTest, CachesAreFoundFirstAndKeepTheNewest512) {
    dir.write("page.txt", "from disk");
    run("*SYSTEM_START\nFileOperation file=\"page.txt\" cache=2\n");
    fs::remove(dir.path() / "page.txt");
    FileRequest request;
    ASSERT_EQ(loadFile(request, "page.txt", false, true), 0) << "the cache outlives the file";
    EXPECT_EQ(request.kind, SourceKind::InMemory);
    EXPECT_EQ(std::string(request.data.begin(), request.data.end()), "from disk");

    for (int i = 0; i < 512; ++i) {
        dir.write("f" + std::to_string(i), std::string(size_t(i % 7 + 1), 'x'));
        ASSERT_EQ(cacheFile(1, "f" + std::to_string(i), i == 511), 0);
    }
    const auto& group = h.e.core.loader.memoryItems[1];
    ASSERT_EQ(group.size(), kMemoryGroupItems);
    EXPECT_EQ(group.front().name, "f0") << "page.txt, the oldest, was dropped";
    EXPECT_TRUE(group.back().marked);
    uint64_t bytes = 0;
    for (const MemoryItem& item : group) bytes += item.bytes.size();
    EXPECT_EQ(h.e.core.loader.memoryBytes[1], bytes);
}

}  // namespace
}  // namespace vr
