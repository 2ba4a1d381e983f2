#include "core/archive/pack_repair.h"

#include <gtest/gtest.h>

#include "core/archive/pack_format.h"
#include "pack_test_util.h"

namespace vr::pack {
namespace {

struct Member {
    std::vector<uint8_t> bytes;
    uint32_t checksum;
    RepairRecord record;
    explicit Member(size_t size, uint32_t seed = 7) {
        std::string s = test::noise(size, seed);
        bytes.assign(s.begin(), s.end());
        checksum = adler32Of(bytes.data(), bytes.size());
        record = makeRepairRecord(bytes.data(), bytes.size());
    }
    RepairResult repair(std::vector<uint8_t>& damaged) const {
        return repairMember(damaged.data(), damaged.size(), checksum, record);
    }
};

TEST(PackRepair, RecordDescribesTheBlocks) {
    Member m(2500);
    EXPECT_EQ(m.record.parityLength, 1024u);
    ASSERT_EQ(m.record.blockCount, 3u);
    // The short last block counts only where it has bytes.
    uint8_t p0 = m.bytes[0] ^ m.bytes[1024] ^ m.bytes[2048];
    uint8_t p600 = m.bytes[600] ^ m.bytes[1624];
    EXPECT_EQ(m.record.parity[0], p0);
    EXPECT_EQ(m.record.parity[600], p600);
    EXPECT_EQ(m.record.checks[2], blockCheck(m.bytes.data() + 2048, 452));
}

TEST(PackRepair, OneDamagedBlockIsRebuilt) {
    Member m(5000);
    std::vector<uint8_t> d = m.bytes;
    for (size_t i = 2100; i < 2180; ++i) d[i] ^= 0x5A;  // a scratch across 80 bytes
    d[3000] = uint8_t(~d[3000]);                      // and one more in the same block
    EXPECT_EQ(m.repair(d), RepairResult::Repaired);
    EXPECT_EQ(d, m.bytes);
}

TEST(PackRepair, TwoBlocksDamagedAtDifferentPositionsAreRepaired) {
    Member m(4096);
    std::vector<uint8_t> d = m.bytes;
    d[10] ^= 0x01;          // block 0, position 10
    d[1024 + 500] ^= 0x80;  // block 1, position 500
    EXPECT_EQ(m.repair(d), RepairResult::Repaired);
    EXPECT_EQ(d, m.bytes);

    // Runs of damage in three blocks, the last one short.
    Member n(3000, 99);
    d = n.bytes;
    for (size_t i = 100; i < 140; ++i) d[i] ^= 0xFF;
    for (size_t i = 1024 + 300; i < 1024 + 310; ++i) d[i] ^= 0x33;
    for (size_t i = 2048 + 700; i < 2048 + 705; ++i) d[i] ^= 0x0F;
    EXPECT_EQ(n.repair(d), RepairResult::Repaired);
    EXPECT_EQ(d, n.bytes);

    // Adjacent runs in two blocks form one run of differing parity.
    d = m.bytes;
    for (size_t i = 200; i < 210; ++i) d[i] ^= 0x11;
    for (size_t i = 2048 + 210; i < 2048 + 214; ++i) d[i] ^= 0x22;
    EXPECT_EQ(m.repair(d), RepairResult::Repaired);
    EXPECT_EQ(d, m.bytes);
}

TEST(PackRepair, DamageThatCannotBeLocatedIsLeftAlone) {
    Member m(4096);
    // The same position in two blocks: the parity cannot tell which.
    std::vector<uint8_t> d = m.bytes;
    d[7] ^= 0x10;
    d[1024 + 7] ^= 0x01;
    std::vector<uint8_t> before = d;
    EXPECT_EQ(m.repair(d), RepairResult::Unrepairable);
    EXPECT_EQ(d, before);

    // Equal damage at one position cancels in the parity.
    d = m.bytes;
    d[7] ^= 0x10;
    d[2048 + 7] ^= 0x10;
    EXPECT_EQ(m.repair(d), RepairResult::Unrepairable);

    // No repair data at all.
    d = m.bytes;
    d[0] ^= 1;
    RepairRecord none;
    EXPECT_EQ(repairMember(d.data(), d.size(), m.checksum, none), RepairResult::Unrepairable);
    // Intact bytes need nothing.
    EXPECT_EQ(repairMember(m.bytes.data(), m.bytes.size(), m.checksum, none), RepairResult::Intact);
}

TEST(PackRepair, RecordsThatDoNotFitTheMemberAreRefused) {
    Member m(3000);
    std::vector<uint8_t> raw;
    auto put32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) raw.push_back(uint8_t(v >> (8 * i)));
    };
    put32(1024);
    put32(3);
    for (uint16_t c : m.record.checks) raw.insert(raw.end(), {uint8_t(c), uint8_t(c >> 8)});
    raw.insert(raw.end(), m.record.parity.begin(), m.record.parity.end());
    RepairRecord r;
    EXPECT_TRUE(parseRepairRecord(raw.data(), raw.size(), 3000, r));
    EXPECT_EQ(r.checks, m.record.checks);
    EXPECT_FALSE(parseRepairRecord(raw.data(), raw.size() - 1, 3000, r)) << "cut short";
    EXPECT_FALSE(parseRepairRecord(raw.data(), raw.size(), 4000, r)) << "block count of another size";
    raw[0] = 0x01;
    raw[1] = 0x08;  // a parity of 2049 bytes
    EXPECT_FALSE(parseRepairRecord(raw.data(), raw.size(), 3000, r));
}

}  // namespace
}  // namespace vr::pack
