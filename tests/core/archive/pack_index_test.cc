#include "core/archive/pack_index.h"

#include <gtest/gtest.h>

#include <cstring>

#include "common/crc32.h"
#include "core/archive/loader.h"
#include "core/archive/pack_format.h"
#include "pack_test_util.h"
#include "support/headless_engine.h"

namespace vr {
namespace {

using test::writePack;

struct PackIndexTest : ::testing::Test {
    test::TempDir dir;
    std::unique_ptr<test::CurrentDir> cd;
    test::HeadlessEngine h;
    void SetUp() override { cd = std::make_unique<test::CurrentDir>(dir.path()); }
    void TearDown() override { cd.reset(); }

    std::string read(const std::string& name) {
        FileRequest r;
        if (loadFile(r, name, true, true) != 0) return "<failed>";
        return std::string(r.data.begin(), r.data.end());
    }
    bool reported(uint32_t code) const {
        const auto& c = h.e.core.errors.reportedCodes;
        return std::find(c.begin(), c.end(), code) != c.end();
    }
};

TEST_F(PackIndexTest, UpdateArchivesComeLastAndTheHighestWins) {
    writePack(dir, "data.vpf", {{"bg\\a.png", "ordinary"}, {"bg\\b.png", "b"}});
    writePack(dir, "pac/update2.vpf", {{"bg\\a.png", "update two"}});
    writePack(dir, "update1.vpf", {{"bg\\a.png", "update one"}, {"se\\c.wav", "c"}});
    ASSERT_TRUE(buildPackIndex());
    ASSERT_EQ(h.e.core.packs.archives.size(), 3u);
    EXPECT_EQ(h.e.core.packs.archives[0].path, ".\\data.vpf");
    EXPECT_EQ(h.e.core.packs.archives[1].path, ".\\update1.vpf");
    EXPECT_EQ(h.e.core.packs.archives[2].path, ".\\pac\\update2.vpf");
    EXPECT_EQ(read("bg\\a.png"), "update two");
    EXPECT_EQ(read("bg\\b.png"), "b");
    EXPECT_EQ(read("se\\c.wav"), "c");
    EXPECT_TRUE(h.e.core.errors.reportedCodes.empty());
    EXPECT_FALSE(h.e.core.run.packedMode);
}

TEST_F(PackIndexTest, TheSameMemberInTwoOrdinaryArchivesStopsStartUp) {
    h.e.core.errors.messages = {{104150, "duplicated\n[%s]"}};
    writePack(dir, "a.vpf", {{"bg\\same.png", "1"}});
    writePack(dir, "b.vpf", {{"bg\\other.png", "2"}, {"bg\\same.png", "3"}});
    EXPECT_FALSE(buildPackIndex());
    EXPECT_TRUE(reported(104150));
    ASSERT_FALSE(h.e.core.errors.reports.empty());
    EXPECT_NE(h.e.core.errors.reports[0].find("[bg\\same.png]"), std::string::npos) << h.e.core.errors.reports[0];
}

TEST_F(PackIndexTest, EqualHashesOfDifferentNamesAreBothFound) {
    const std::string a = "bg\\c9f2f6e.png", b = "bg\\c1010000.png";
    ASSERT_EQ(nameHash(a), nameHash(b));
    writePack(dir, "one.vpf", {{a, "first"}});
    writePack(dir, "two.vpf", {{b, "second"}});
    ASSERT_TRUE(buildPackIndex());
    EXPECT_EQ(read(a), "first");
    EXPECT_EQ(read(b), "second");
}

TEST_F(PackIndexTest, OnlyTheGameFolderAndItsPacFolderAreSearched) {
    writePack(dir, "UPPER.VPF", {{"a.txt", "upper"}});
    writePack(dir, "pac/in_pac.vpf", {{"b.txt", "pac"}});
    writePack(dir, "Pac/capital.vpf", {{"c.txt", "capital"}});
    writePack(dir, "pac/pac/deeper.vpf", {{"d.txt", "deeper"}});
    writePack(dir, "other/elsewhere.vpf", {{"e.txt", "other"}});
    dir.write("fake.vpf", "not an archive at all, only text");
    dir.write("vpf", "three letters");
    ASSERT_TRUE(buildPackIndex());
    EXPECT_EQ(h.e.core.packs.archives.size(), 2u);
    EXPECT_EQ(read("a.txt"), "upper");
    EXPECT_EQ(read("b.txt"), "pac");
    for (const char* missing : {"c.txt", "d.txt", "e.txt"}) {
        FileRequest r;
        EXPECT_NE(loadFile(r, missing, false, true), 0) << missing;
    }
    EXPECT_TRUE(h.e.core.errors.reportedCodes.empty()) << "a file without the magic is skipped silently";
}

TEST_F(PackIndexTest, ArchiveAndMemberLimits) {
    pack::WriteOptions bare;
    bare.repairData = false;
    for (int a = 0; a < pack::kMaxArchives; ++a) {
        std::vector<std::pair<std::string, std::string>> members;
        for (int m = 0; m < pack::kMaxMembers / pack::kMaxArchives; ++m)
            members.push_back({"f\\" + std::to_string(a) + "_" + std::to_string(m), ""});
        writePack(dir, "p" + std::to_string(a) + ".vpf", members, bare);
    }
    ASSERT_TRUE(buildPackIndex());
    EXPECT_EQ(h.e.core.packs.hashes.size(), size_t(pack::kMaxMembers));
    EXPECT_EQ(read("f\\99_999"), "");
    EXPECT_EQ(read("f\\0_0"), "");

    // One member more is refused; so is one archive more.
    test::HeadlessEngine again;
    writePack(dir, "extra.vpf", {{"one\\more", "x"}}, bare);
    EXPECT_FALSE(buildPackIndex());
    ASSERT_FALSE(again.e.core.errors.reportedCodes.empty());
    EXPECT_EQ(again.e.core.errors.reportedCodes[0], 104130u) << "the 101st archive comes before the 100001st member";
}

TEST_F(PackIndexTest, TooManyMembersInAll) {
    pack::WriteOptions bare;
    bare.repairData = false;
    std::vector<std::pair<std::string, std::string>> a, b;
    for (int m = 0; m <= pack::kMaxMembers; ++m) (m % 2 ? a : b).push_back({std::to_string(m), ""});
    writePack(dir, "a.vpf", a, bare);
    writePack(dir, "b.vpf", b, bare);
    EXPECT_FALSE(buildPackIndex());
    EXPECT_TRUE(reported(104140));
}

TEST_F(PackIndexTest, OldVersionsAndDamagedTablesAreRefused) {
    pack::WriteOptions old;
    old.version = 233;
    writePack(dir, "old.vpf", {{"a", "a"}}, old);
    EXPECT_FALSE(buildPackIndex());
    EXPECT_TRUE(reported(104120));

    std::filesystem::remove(dir.path() / "old.vpf");
    test::HeadlessEngine fresh;
    std::vector<uint8_t> bytes = test::packBytes({{"bg\\x.png", "x"}});
    bytes.resize(40);  // the table runs past the end
    dir.write("cut.vpf", bytes);
    EXPECT_FALSE(buildPackIndex());
    ASSERT_FALSE(fresh.e.core.errors.reportedCodes.empty());
    EXPECT_EQ(fresh.e.core.errors.reportedCodes[0], 901040u);
}

TEST_F(PackIndexTest, AnEntryWithAnEmptyNameIsTwentyThreeBytes) {
    std::vector<uint8_t> bytes = test::packBytes({{"", "nameless"}, {"next", "after it"}});
    // Header, then the first entry of 23 bytes, then the next entry's hash.
    EXPECT_EQ(bytes[32 + 4], pack::encodeNameLength(0));
    uint32_t nextHash = nameHash("next");
    EXPECT_EQ(std::memcmp(bytes.data() + 32 + 23, &nextHash, 4), 0);
    dir.write("e.vpf", bytes);
    ASSERT_TRUE(buildPackIndex());
    EXPECT_EQ(read("next"), "after it");
}

TEST_F(PackIndexTest, CompiledFilesInAPackSetPackedMode) {
    writePack(dir, "game.vpf", {{"vrbin\\vrcfg.vbn", "cfg"}});
    ASSERT_TRUE(buildPackIndex());
    EXPECT_TRUE(h.e.core.run.packedMode);
}

}  // namespace
}  // namespace vr
