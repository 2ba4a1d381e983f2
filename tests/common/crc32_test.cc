// The name hash is stored in pack indexes and label files made by other
// builds: it must be the standard CRC-32 bit for bit, for every length and
// alignment the slice-by-4 loop and its byte tail can meet.
#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <vector>

#include "common/crc32.h"

namespace vr {
namespace {

TEST(Crc32, KnownValuesAndZlibAgreeForEveryLengthAndAlignment) {
    EXPECT_EQ(nameHash("123456789"), 0xCBF43926u);
    EXPECT_EQ(nameHash(""), 0u);
    EXPECT_EQ(nameHash("The quick brown fox jumps over the lazy dog"), 0x414FA339u);

    std::mt19937 random(3);
    std::vector<uint8_t> bytes(80);
    for (uint8_t& b : bytes) b = uint8_t(random());
    for (size_t start = 0; start < 4; ++start)
        for (size_t length = 0; start + length <= bytes.size(); ++length) {
            uint32_t zlib = uint32_t(crc32(0, bytes.data() + start, uInt(length)));
            ASSERT_EQ(nameHash(bytes.data() + start, length), zlib) << start << " + " << length;
            // Continuing over a split gives the hash of the whole.
            size_t half = length / 2 + start % 2;
            if (half > length) continue;
            uint32_t split = crc32Update(crc32Update(0, bytes.data() + start, half), bytes.data() + start + half,
                                         length - half);
            ASSERT_EQ(split, zlib) << start << " + " << length << " split at " << half;
        }
}

}  // namespace
}  // namespace vr
