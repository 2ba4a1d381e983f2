#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "core/archive/loader.h"
#include "core/archive/pack_format.h"
#include "core/archive/pack_index.h"
#include "member_check.h"
#include "pack_test_util.h"
#include "support/headless_engine.h"
#include "support/process.h"
#include "support/sjis_text.h"

namespace vr {
namespace {

using test::packBytes;

pack::Entry entryOf(const std::vector<uint8_t>& archive, const std::string& name) {
    pack::Header h;
    std::vector<pack::Entry> entries;
    EXPECT_EQ(pack::parseHeader(archive.data(), archive.size(), h), pack::HeaderStatus::Ok);
    EXPECT_TRUE(pack::parseEntryTable(archive.data() + 32, h.tableSize, h.entryCount, 32, entries));
    for (const auto& e : entries)
        if (e.name == name) return e;
    ADD_FAILURE() << "no member " << name;
    return {};
}

void putU32(std::vector<uint8_t>& bytes, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + size_t(i)] = uint8_t(v >> (8 * i));
}

struct PackMemberTest : ::testing::Test {
    test::TempDir dir;
    std::unique_ptr<test::CurrentDir> cd;
    test::HeadlessEngine h;
    void SetUp() override {
        cd = std::make_unique<test::CurrentDir>(dir.path());
        h.e.core.errors.messages = {{104100, "damaged\nPacFile = %s\nFile = %s"}, {900040, "buffer [%s]"}};
    }
    void TearDown() override { cd.reset(); }

    // Loads a member; its bytes, or the first code the bound engine reported.
    std::string load(const std::string& name) {
        FileRequest r;
        if (loadFile(r, name, true, true) == 0) return std::string(r.data.begin(), r.data.end());
        const auto& codes = engine().core.errors.reportedCodes;
        return codes.empty() ? "<no report>" : std::to_string(codes[0]);
    }
    std::string debugLog() const {
        std::ifstream in(dir.path() / "info.txt", std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

// A folder copied from the engine's home system keeps Shift_JIS bytes as
// names; one copied by a converting tool has UTF-8.  vrpack packs both under
// the names the engine asks for.
TEST_F(PackMemberTest, FoldersNamedInShiftJisBytesOrUtf8PackUnderTheNamesTheEngineAsksFor) {
    const std::string hyou = "\x95\x5C";         // its trail byte is '\\'
    const std::string haikei = "\x94\x77\x8C\x69";  // spelled in UTF-8 on the host
    std::filesystem::path copied = dir.path() / "copied";
    std::filesystem::create_directories(copied / ("CG" + hyou));
    std::ofstream(copied / ("CG" + hyou) / (hyou + ".PNG"), std::ios::binary) << "raw";
    std::ofstream(copied / "\xE8\x83\x8C\xE6\x99\xAF.txt", std::ios::binary) << "utf8";
    auto r = test::runProcess({test::vrpack(), "create", (dir.path() / "g.vpf").string(), copied.string()});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    // Only the archive is left to find them in.
    std::filesystem::remove_all(copied);
    ASSERT_TRUE(buildPackIndex());
    // As a script names an image: any case, '/', no extension.
    FileRequest request;
    std::string resolved;
    ASSERT_EQ(resolveResourceName(request, "Cg" + hyou + "/" + hyou, resolved, 0), 0);
    EXPECT_EQ(resolved, "cg" + hyou + "\\" + hyou + ".png");
    EXPECT_EQ(load(resolved), "raw");
    EXPECT_EQ(load(haikei + ".txt"), "utf8");
}

TEST_F(PackMemberTest, ImageNamesProbeTheExtensionsInThePack) {
    test::writePack(dir, "g.vpf", {{"bg\\title.jpg", "jpeg"}, {"bg\\title.gif", "gif"}});
    ASSERT_TRUE(buildPackIndex());
    FileRequest r;
    std::string resolved;
    ASSERT_EQ(resolveResourceName(r, "bg/Title", resolved, 0), 0);
    EXPECT_EQ(resolved, "bg\\title.jpg");
    EXPECT_EQ(r.kind, SourceKind::PackMember);
    EXPECT_EQ(r.type, FileType::Jpeg);
    ASSERT_EQ(loadFile(r, resolved, true, false), 0);
    EXPECT_EQ(std::string(r.data.begin(), r.data.end()), "jpeg");
    // An extension given is not probed further.
    EXPECT_EQ(resolveResourceName(r, "bg\\title.PNG", resolved, 0), 1);
    EXPECT_EQ(resolved, "bg\\title.png");
}

TEST_F(PackMemberTest, LooseFilesComeFirstExceptInAppendedMode) {
    std::vector<uint8_t> archive = packBytes({{"a.txt", "from the pack"}});
    test::writePack(dir, "g.vpf", {{"a.txt", "from the pack"}});
    dir.write("a.txt", "loose");
    ASSERT_TRUE(buildPackIndex());
    EXPECT_EQ(load("a.txt"), "loose");

    // The same archive appended to an executable of 1000 bytes.
    test::HeadlessEngine appended;
    std::string exe(1000, '\x7F');
    exe += std::string("VRER\x0C\0\0\0\0\0\0\0", 12);
    exe.append(archive.begin(), archive.end());
    dir.write("game.bin", exe);
    appended.e.core.run.appendedMode = true;
    appended.e.core.run.exePath = (dir.path() / "game.bin").string();
    appended.e.core.run.builtSize = 1000;
    appended.e.core.run.appendedBase = 12;
    ASSERT_TRUE(buildPackIndex());
    ASSERT_EQ(appended.e.core.packs.archives.size(), 1u) << "g.vpf is not searched";
    EXPECT_EQ(load("a.txt"), "from the pack");
}

TEST_F(PackMemberTest, StoredMembersAreRepairedWhereTheDamageCanBeLocated) {
    pack::WriteOptions stored;
    stored.store = true;
    std::string content = test::noise(5000, 3);
    std::vector<uint8_t> archive = packBytes({{"m.bin", content}}, stored);
    pack::Entry e = entryOf(archive, "m.bin");
    ASSERT_EQ(e.storage, pack::kStored);

    std::vector<uint8_t> two = archive;
    two[e.offset + 100] ^= 0x40;
    two[e.offset + 2048 + 900] ^= 0x02;
    dir.write("pac/two.vpf", two);
    ASSERT_TRUE(buildPackIndex());
    EXPECT_EQ(load("m.bin"), content);
    std::string log = debugLog();
    EXPECT_NE(log.find(test::sjis(u8"[m.bin] ファイルに破損が見つかりました。修復を試みます。")), std::string::npos);
    EXPECT_NE(log.find(test::sjis(u8"[m.bin] ファイルの修復に成功しました。")), std::string::npos);

    // The same position in two blocks cannot be located.
    std::filesystem::remove_all(dir.path() / "pac");
    test::HeadlessEngine again;
    again.e.core.errors.messages = h.e.core.errors.messages;
    std::vector<uint8_t> same = archive;
    same[e.offset + 100] ^= 0x40;
    same[e.offset + 1024 + 100] ^= 0x01;
    dir.write("same.vpf", same);
    ASSERT_TRUE(buildPackIndex());
    FileRequest r;
    EXPECT_NE(loadFile(r, "m.bin", true, true), 0);
    ASSERT_FALSE(again.e.core.errors.reportedCodes.empty());
    EXPECT_EQ(again.e.core.errors.reportedCodes[0], 104100u);
    EXPECT_NE(again.e.core.errors.reports[0].find("PacFile = .\\same.vpf\nFile = m.bin"), std::string::npos)
        << again.e.core.errors.reports[0];
}

TEST_F(PackMemberTest, NoRepairDataAndAWrongChecksumFails) {
    pack::WriteOptions bare;
    bare.store = true;
    bare.repairData = false;
    std::vector<uint8_t> archive = packBytes({{"m.bin", "some bytes"}}, bare);
    archive[entryOf(archive, "m.bin").offset] ^= 1;
    dir.write("g.vpf", archive);
    ASSERT_TRUE(buildPackIndex());
    EXPECT_EQ(load("m.bin"), "104100");
}

TEST_F(PackMemberTest, CompressedMembers) {
    std::string text;
    for (int i = 0; i < 400; ++i) text += "line " + std::to_string(i) + " of a text that compresses well\n";
    std::vector<uint8_t> archive = packBytes({{"t.txt", text}});
    pack::Entry e = entryOf(archive, "t.txt");
    ASSERT_EQ(e.storage, pack::kCompressed);
    ASSERT_LT(e.storedSize, e.unpackedSize);

    // Damage in the deflate stream is repaired from parity, then inflated.
    std::vector<uint8_t> damaged = archive;
    damaged[e.offset + e.storedSize / 2] ^= 0xFF;
    dir.write("g.vpf", damaged);
    ASSERT_TRUE(buildPackIndex());
    EXPECT_EQ(load("t.txt"), text);
}

TEST_F(PackMemberTest, AMemberInflatingPastItsSizeIsAnInternalError) {
    std::string text(20000, 'z');
    std::vector<uint8_t> archive = packBytes({{"z.txt", text}});
    pack::Entry e = entryOf(archive, "z.txt");
    putU32(archive, e.dataPosition() + 1, uint32_t(text.size() - 1));
    dir.write("g.vpf", archive);
    ASSERT_TRUE(buildPackIndex());
    EXPECT_EQ(load("z.txt"), "900040");
}

TEST_F(PackMemberTest, FieldsBeyondTheArchiveAreRefusedBeforeReading) {
    std::vector<uint8_t> archive = packBytes({{"a.png", "aaaa"}, {"b.png", "bbbb"}, {"c.png", "cccc"}}, {true});
    // a: stored bytes beyond the end; b: a stored member with two sizes;
    // c: an unpacked size no image can have.
    putU32(archive, entryOf(archive, "a.png").dataPosition() + 9, uint32_t(archive.size()));
    putU32(archive, entryOf(archive, "b.png").dataPosition() + 1, 5);
    pack::Entry c = entryOf(archive, "c.png");
    archive[c.dataPosition()] = pack::kCompressed;
    putU32(archive, c.dataPosition() + 1, 0xFFFFFFF0u);
    putU32(archive, c.dataPosition() + 5, 0x7FFFFFF0u);
    dir.write("g.vpf", archive);
    ASSERT_TRUE(buildPackIndex());
    for (const char* name : {"a.png", "b.png", "c.png"}) {
        test::HeadlessEngine each;
        ASSERT_TRUE(buildPackIndex());
        EXPECT_EQ(load(name), "104100") << name;
    }
}

// Whatever damage lands on a member, vrpack's verdict and the engine's
// reading agree: repairable means the original bytes are served, anything
// else a report.  Damage in a compressed stream can make it inflate past
// its size before zlib notices, so the bytes must be settled first.
TEST_F(PackMemberTest, VerifyForetellsWhatTheEngineServes) {
    std::string text = test::noise(12000, 7);
    for (char& c : text) c = char('a' + (uint8_t(c) & 15));  // compresses to about half
    pack::WriteOptions stored;
    stored.store = true;
    int served = 0, refused = 0;
    for (bool compress : {true, false}) {
        std::vector<uint8_t> archive = packBytes({{"m.bin", text}}, compress ? pack::WriteOptions{} : stored);
        pack::Entry e = entryOf(archive, "m.bin");
        ASSERT_EQ(e.storage, compress ? pack::kCompressed : pack::kStored);
        size_t blocks = (e.storedSize + pack::kBlockSize - 1) / pack::kBlockSize;
        ASSERT_GE(blocks, 5u);
        // One block at a time, then neighbours at different and at the same
        // places (the latter cannot be located).
        std::vector<std::vector<size_t>> hits;
        for (size_t b = 0; b < blocks; ++b) hits.push_back({b * pack::kBlockSize + 19});
        for (size_t b = 0; b + 1 < blocks; ++b) {
            hits.push_back({b * pack::kBlockSize + 19, (b + 1) * pack::kBlockSize + 500});
            hits.push_back({b * pack::kBlockSize + 3, (b + 1) * pack::kBlockSize + 3});
        }
        for (const auto& at : hits) {
            std::vector<uint8_t> damaged = archive;
            for (size_t p : at)
                for (size_t i = 0; i < 16 && p + i < e.storedSize; ++i) damaged[e.offset + p + i] ^= uint8_t(0x5A + i);
            vrpack::MemberCheck verdict =
                vrpack::checkMember(damaged.data(), damaged.size(), e, [](const uint8_t*, size_t) {});
            ASSERT_NE(verdict.state, vrpack::MemberState::Intact);
            test::HeadlessEngine each;
            each.e.core.errors.messages = h.e.core.errors.messages;
            dir.write("g.vpf", damaged);
            ASSERT_TRUE(buildPackIndex());
            FileRequest r;
            int got = loadFile(r, "m.bin", true, true);
            std::string where = (compress ? "compressed, at " : "stored, at ") + std::to_string(at[0]);
            if (verdict.state == vrpack::MemberState::Repaired) {
                ++served;
                ASSERT_EQ(got, 0) << where << ": reported " << each.e.core.errors.reportedCodes.at(0);
                EXPECT_EQ(std::string(r.data.begin(), r.data.end()), text) << where;
            } else {
                ++refused;
                EXPECT_NE(got, 0) << where;
                EXPECT_FALSE(each.e.core.errors.reportedCodes.empty()) << where;
            }
        }
    }
    EXPECT_GT(served, 0);
    EXPECT_GT(refused, 0);
}

}  // namespace
}  // namespace vr
