// vrpack, run as its users run it, on folders of real files.
#include <png.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>

#include "core/archive/pack_format.h"
#include "core/archive/pack_writer.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace vr {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

std::string u8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

Bytes readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const fs::path& p, const Bytes& bytes) {
    std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

test::ProcessResult vrpack(std::vector<std::string> args) {
    args.insert(args.begin(), test::vrpack());
    return test::runProcess(args);
}

// A real PNG of noise: large, and compression cannot make it smaller.
Bytes noisePng(int side) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, [](png_structp p, png_bytep data, size_t n) {
        auto* o = static_cast<Bytes*>(png_get_io_ptr(p));
        o->insert(o->end(), data, data + n);
    }, nullptr);
    png_set_IHDR(png, info, png_uint_32(side), png_uint_32(side), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::mt19937 random(7);
    Bytes row(size_t(side) * 3);
    for (int y = 0; y < side; ++y) {
        for (auto& b : row) b = uint8_t(random());
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

// The host files of the game folder and the names they extract under.
const std::map<std::string, std::string> kExtractedAs = {
    {"Readme.TXT", "readme.txt"},
    {u8(u8"CG/背景.png"), u8(u8"cg/背景.png")},
    {"Sub/Deep/Empty.wav", "sub/deep/empty.wav"},
    {"Sub/notes.txt", "sub/notes.txt"},
};

struct VrpackTest : ::testing::Test {
    test::TempDir dir;
    fs::path game = dir.path() / "game";
    fs::path archive = dir.path() / "game.vpf";

    void SetUp() override {
        fs::create_directories(game / "CG");
        fs::create_directories(game / "Sub/Deep");
        // A long text of many 1024-byte blocks that compresses well.
        fs::copy_file("/usr/share/common-licenses/GPL-3", game / "Readme.TXT");
        writeFile(game / u8(u8"CG/背景.png"), noisePng(96));
        writeFile(game / "Sub/Deep/Empty.wav", {});
        writeFile(game / "Sub/notes.txt", Bytes{'h', 'e', 'l', 'l', 'o', '\n'});
    }

    void create(const fs::path& out, std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {"create", out.string(), game.string()};
        args.insert(args.end(), extra.begin(), extra.end());
        auto r = vrpack(args);
        ASSERT_EQ(r.exitCode, 0) << r.output;
    }

    // list output: name -> {type, storage, unpacked, stored}
    std::map<std::string, std::vector<std::string>> list(const fs::path& a) {
        auto r = vrpack({"list", a.string()});
        EXPECT_EQ(r.exitCode, 0) << r.output;
        std::map<std::string, std::vector<std::string>> members;
        std::istringstream lines(r.output);
        for (std::string line, name, field; std::getline(lines, line);) {
            std::istringstream fields(line);
            std::getline(fields, name, '\t');
            while (std::getline(fields, field, '\t')) members[name].push_back(field);
        }
        return members;
    }

    pack::Entry entryNamed(const Bytes& bytes, const std::string& name) {
        pack::Header h;
        std::vector<pack::Entry> entries;
        EXPECT_EQ(pack::parseHeader(bytes.data(), bytes.size(), h), pack::HeaderStatus::Ok);
        EXPECT_TRUE(pack::parseEntryTable(bytes.data() + 32, h.tableSize, h.entryCount, 32, entries));
        for (const auto& e : entries)
            if (e.name == name) return e;
        ADD_FAILURE() << "no member " << name;
        return {};
    }
};

TEST_F(VrpackTest, RoundTripKeepsEveryByteAndListsEveryMember) {
    create(archive);
    auto members = list(archive);
    ASSERT_EQ(members.size(), 4u);
    EXPECT_EQ(members["readme.txt"][0], "other");
    EXPECT_EQ(members["readme.txt"][1], "zlib");
    EXPECT_EQ(members["readme.txt"][2], std::to_string(fs::file_size(game / "Readme.TXT")));
    EXPECT_LT(std::stoul(members["readme.txt"][3]), std::stoul(members["readme.txt"][2]));
    // Noise does not compress: it is kept stored.
    const auto& png = members[u8(u8"cg\\背景.png")];
    ASSERT_EQ(png.size(), 4u);
    EXPECT_EQ(png[0], "png");
    EXPECT_EQ(png[1], "stored");
    EXPECT_EQ(png[2], png[3]);
    EXPECT_EQ(members["sub\\deep\\empty.wav"], (std::vector<std::string>{"wav", "stored", "0", "0"}));

    auto r = vrpack({"extract", archive.string(), (dir.path() / "out").string()});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    for (const auto& [host, extracted] : kExtractedAs) {
        ASSERT_TRUE(fs::exists(dir.path() / "out" / extracted)) << extracted;
        EXPECT_EQ(readFile(dir.path() / "out" / extracted), readFile(game / host)) << extracted;
    }
    r = vrpack({"verify", archive.string()});
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_NE(r.output.find("4 members, all intact"), std::string::npos) << r.output;
}

TEST_F(VrpackTest, SameFolderPacksToSameBytesAndStoreKeepsThemAsTheyAre) {
    create(archive);
    // Newer time stamps change nothing: none are stored.
    fs::last_write_time(game / "Readme.TXT", fs::last_write_time(game / "Readme.TXT") + std::chrono::hours(5));
    create(dir.path() / "again.vpf");
    EXPECT_EQ(readFile(archive), readFile(dir.path() / "again.vpf"));

    create(dir.path() / "fast.vpf", {"--level", "1"});
    EXPECT_EQ(vrpack({"verify", (dir.path() / "fast.vpf").string()}).exitCode, 0);

    create(dir.path() / "stored.vpf", {"--store"});
    for (const auto& [name, fields] : list(dir.path() / "stored.vpf")) {
        EXPECT_EQ(fields[1], "stored") << name;
        EXPECT_EQ(fields[2], fields[3]) << name;
    }
    Bytes stored = readFile(dir.path() / "stored.vpf"), text = readFile(game / "Readme.TXT");
    EXPECT_NE(std::search(stored.begin(), stored.end(), text.begin(), text.end()), stored.end());
    EXPECT_GT(stored.size(), readFile(archive).size());
}

TEST_F(VrpackTest, CreateRefusesNamesItCannotStoreAndLeavesNothingBehind) {
    writeFile(game / "CG/A.png", noisePng(4));
    writeFile(game / "CG/a.png", noisePng(5));
    auto r = vrpack({"create", archive.string(), game.string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.output.find("A.png"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("a.png"), std::string::npos) << r.output;
    fs::remove(game / "CG/A.png");

    writeFile(game / u8(u8"絵文字\U0001F600.txt"), Bytes{'x'});
    r = vrpack({"create", archive.string(), game.string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.output.find(u8(u8"絵文字\U0001F600.txt: file name has no Shift_JIS spelling")), std::string::npos)
        << r.output;
    fs::remove(game / u8(u8"絵文字\U0001F600.txt"));
    // A '\\' of its own, not a Shift_JIS trail byte, would split the name.
    writeFile(game / "a\\b.txt", Bytes{'x'});
    r = vrpack({"create", archive.string(), game.string()});
    EXPECT_NE(r.output.find("a\\b.txt: file name holds a '\\'"), std::string::npos) << r.output;
    fs::remove(game / "a\\b.txt");
    writeFile(game / "\x81\x20.txt", Bytes{'x'});
    r = vrpack({"create", archive.string(), game.string()});
    EXPECT_NE(r.output.find("file name is neither UTF-8 nor Shift_JIS"), std::string::npos) << r.output;
    // Neither the archive nor a temporary file beside it.
    for (const auto& e : fs::directory_iterator(dir.path())) EXPECT_EQ(e.path(), game);
}

TEST_F(VrpackTest, DamageInTwoBlocksAtDifferentPlacesIsRepaired) {
    create(archive, {"--store"});
    Bytes intact = readFile(archive);
    pack::Entry e = entryNamed(intact, "readme.txt");
    Bytes damaged = intact;
    damaged[e.offset + 100] ^= 0x5A;
    damaged[e.offset + 2 * 1024 + 613] ^= 0x01;
    // An intact member whose repair data is damaged would not survive the
    // next damage: verify names it and repair rebuilds the record.
    pack::Entry notes = entryNamed(intact, "sub\\notes.txt");
    damaged[notes.offset + notes.storedSize + 8 + 2 * ((notes.storedSize + 1023) / 1024)] ^= 0x80;
    writeFile(archive, damaged);

    auto r = vrpack({"verify", archive.string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.output.find("readme.txt: damaged, can be repaired"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("notes.txt: intact, its repair data is damaged"), std::string::npos) << r.output;

    r = vrpack({"extract", archive.string(), (dir.path() / "out").string()});
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(readFile(dir.path() / "out/readme.txt"), readFile(game / "Readme.TXT"));

    fs::path mended = dir.path() / "mended.vpf";
    r = vrpack({"repair", archive.string(), mended.string()});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(readFile(mended), intact);
    EXPECT_EQ(vrpack({"verify", mended.string()}).exitCode, 0);
}

TEST_F(VrpackTest, DamageAtTheSamePlaceInTwoBlocksIsReportedAndNothingIsWritten) {
    create(archive, {"--store"});
    Bytes damaged = readFile(archive);
    pack::Entry e = entryNamed(damaged, "readme.txt");
    damaged[e.offset + 300] ^= 0x10;
    damaged[e.offset + 1024 + 300] ^= 0x22;
    writeFile(archive, damaged);

    auto r = vrpack({"verify", archive.string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.output.find("readme.txt: damaged, cannot be repaired"), std::string::npos) << r.output;

    fs::path mended = dir.path() / "mended.vpf";
    r = vrpack({"repair", archive.string(), mended.string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.output.find("cannot repair readme.txt"), std::string::npos) << r.output;
    EXPECT_FALSE(fs::exists(mended));

    // The other members still come out; the damaged one does not.
    r = vrpack({"extract", archive.string(), (dir.path() / "out").string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.output.find("1 of 4 members not extracted"), std::string::npos) << r.output;
    EXPECT_FALSE(fs::exists(dir.path() / "out/readme.txt"));
    EXPECT_EQ(readFile(dir.path() / "out/sub/notes.txt"), readFile(game / "Sub/notes.txt"));
}

TEST_F(VrpackTest, DamagedOrHostileArchivesGetOneLineNamingTheFile) {
    create(archive);
    const Bytes good = readFile(archive);
    auto patched = [&](size_t at, uint32_t v) {
        Bytes b = good;
        for (int i = 0; i < 4; ++i) b[at + size_t(i)] = uint8_t(v >> (8 * i));
        return b;
    };
    std::mt19937 random(3);
    Bytes garbage(4096);
    for (auto& b : garbage) b = uint8_t(random());

    const std::vector<std::pair<Bytes, std::string>> files = {
        {Bytes(good.begin(), good.begin() + 20), "too short"},
        {Bytes(good.begin(), good.begin() + 60), "runs past the end of the file"},
        {patched(12, 0x7FFFFFF0), "runs past the end of the file"},
        {patched(8, 0x7FFFFFFF), "entry count 2147483647 is out of range"},
        {patched(8, 900), "900 entries cannot fit"},
        {patched(4, 12), "older than"},
        {garbage, "not a pack archive"},
    };
    fs::path bad = dir.path() / "bad.vpf";
    for (const auto& [bytes, message] : files) {
        writeFile(bad, bytes);
        for (std::string command : {"list", "verify", "extract"}) {
            std::vector<std::string> args = {command, bad.string()};
            if (command == "extract") args.push_back((dir.path() / "out").string());
            auto r = vrpack(args);
            EXPECT_EQ(r.exitCode, 1) << command << ": " << r.output;
            EXPECT_TRUE(r.output.starts_with("vrpack: " + bad.string() + ": ")) << r.output;
            EXPECT_NE(r.output.find(message), std::string::npos) << command << ": " << r.output;
            EXPECT_EQ(std::count(r.output.begin(), r.output.end(), '\n'), 1) << r.output;
        }
    }

    // A damaged entry spoils its member only.
    uint32_t fields = entryNamed(good, "readme.txt").dataPosition();
    const std::vector<std::pair<Bytes, std::string>> members = {
        {patched(fields + 9, uint32_t(good.size()) - 10), "stored bytes beyond the end"},
        {patched(fields + 1, 0xFFFFFFF0), "unpacked size beyond what"},
        {patched(fields + 1, 30000), "inflates to more than its unpacked size"},
        {patched(fields + 1, 40000), "inflates to fewer bytes"},
    };
    for (const auto& [bytes, message] : members) {
        writeFile(bad, bytes);
        EXPECT_EQ(list(bad).size(), 4u);
        auto r = vrpack({"verify", bad.string()});
        EXPECT_EQ(r.exitCode, 1) << r.output;
        EXPECT_NE(r.output.find("readme.txt: unreadable, cannot be repaired: " + message), std::string::npos) << r.output;
        EXPECT_NE(r.output.find("4 members, 1 damaged"), std::string::npos) << r.output;
    }
    Bytes unknown = good;
    unknown[fields] = 7;
    writeFile(bad, unknown);
    EXPECT_NE(vrpack({"verify", bad.string()}).output.find("unknown storage"), std::string::npos);
}

TEST_F(VrpackTest, ExtractKeepsEveryMemberInsideTheFolder) {
    std::vector<pack::MemberInput> members = {
        {"..\\evil.txt", {'1'}}, {"\\rooted.txt", {'2'}}, {"sub\\..\\..\\up.txt", {'3'}},
        {"a\\\\b.txt", {'4'}}, {"ok\\fine.txt", {'5'}},
        // Two of the three characters end in the byte of '\\'.
        {"\x83\x5c\x83\x74\x83\x67.txt", {'6'}},
    };
    pack::WriteResult w = pack::writeArchive(members, {});
    ASSERT_TRUE(w.error.empty()) << w.error;
    writeFile(archive, w.bytes);
    fs::path out = dir.path() / "deep/out";
    auto r = vrpack({"extract", archive.string(), out.string()});
    EXPECT_EQ(r.exitCode, 1);
    for (const char* refused : {"..\\evil.txt not extracted", "\\rooted.txt not extracted",
                                "sub\\..\\..\\up.txt not extracted", "a\\\\b.txt not extracted"})
        EXPECT_NE(r.output.find(refused), std::string::npos) << refused << "\n" << r.output;
    EXPECT_NE(r.output.find("4 of 6 members not extracted"), std::string::npos) << r.output;
    EXPECT_EQ(readFile(out / "ok/fine.txt"), Bytes{'5'});
    EXPECT_EQ(readFile(out / u8(u8"ソフト.txt")), Bytes{'6'});
    // Nothing was written for the refused ones, inside the folder or out.
    size_t files = 0;
    for (const auto& e : fs::recursive_directory_iterator(dir.path() / "deep")) files += e.is_regular_file();
    EXPECT_EQ(files, 2u);
    EXPECT_FALSE(fs::exists(dir.path() / "evil.txt") || fs::exists(dir.path() / "deep/up.txt"));
}

TEST_F(VrpackTest, AppendPutsTheArchiveAfterTheProgramAndReplacesAnOldOne) {
    create(archive);
    const Bytes exe = readFile(test::virelo()), pack = readFile(archive);
    fs::path single = dir.path() / "single", again = dir.path() / "again";
    auto r = vrpack({"append", test::virelo(), archive.string(), single.string(), "--screensaver"});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    Bytes out = readFile(single);
    // vrbuildsize records the whole linked file as the program.
    ASSERT_EQ(out.size(), exe.size() + 12 + pack.size());
    EXPECT_TRUE(std::equal(exe.begin(), exe.end(), out.begin()));
    EXPECT_EQ(Bytes(out.begin() + long(exe.size()), out.begin() + long(exe.size()) + 12),
              (Bytes{'V', 'R', 'E', 'R', 12, 0, 0, 0, 1, 0, 0, 0}));
    EXPECT_TRUE(std::equal(pack.begin(), pack.end(), out.begin() + long(exe.size()) + 12));
    EXPECT_EQ(fs::status(single).permissions(), fs::status(test::virelo()).permissions());

    // Appending to the single file again replaces its archive.
    create(dir.path() / "stored.vpf", {"--store"});
    r = vrpack({"append", single.string(), (dir.path() / "stored.vpf").string(), again.string()});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    r = vrpack({"append", test::virelo(), (dir.path() / "stored.vpf").string(), single.string()});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(readFile(again), readFile(single));
    EXPECT_EQ(readFile(again)[exe.size() + 8], 0);

    // Only a runtime with its size recorded takes an archive, and only an archive.
    for (const auto& [exeArg, message] : std::vector<std::pair<std::string, std::string>>{
             {test::vrpack(), "not a runtime executable"}, {archive.string(), "not a 64-bit little-endian ELF file"}}) {
        r = vrpack({"append", exeArg, archive.string(), (dir.path() / "no").string()});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_NE(r.output.find("vrpack: " + exeArg + ": "), std::string::npos) << r.output;
        EXPECT_NE(r.output.find(message), std::string::npos) << r.output;
    }
    r = vrpack({"append", test::virelo(), test::virelo(), (dir.path() / "no").string()});
    EXPECT_NE(r.output.find(test::virelo() + ": not a pack archive"), std::string::npos) << r.output;
    EXPECT_FALSE(fs::exists(dir.path() / "no"));
}

TEST_F(VrpackTest, UsageAndArgumentErrors) {
    auto r = vrpack({"--help"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.output.find("create OUT.vpf DIR"), std::string::npos);
    EXPECT_EQ(vrpack({}).exitCode, 2);
    r = vrpack({"pack", "x"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.output.find("unknown command pack"), std::string::npos);
    EXPECT_NE(r.output.find("usage:"), std::string::npos);
    EXPECT_EQ(vrpack({"create", archive.string(), game.string(), "--level", "0"}).exitCode, 2);
    EXPECT_EQ(vrpack({"list", archive.string(), "--store"}).exitCode, 2);
    EXPECT_EQ(vrpack({"verify"}).exitCode, 2);
    r = vrpack({"list", (dir.path() / "missing.vpf").string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.output.find("missing.vpf: cannot open"), std::string::npos) << r.output;
}

}  // namespace
}  // namespace vr
