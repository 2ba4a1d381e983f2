#include "common/crc32.h"
#include "common/bytes.h"

#include <array>
#include <cstring>

namespace vr {
namespace {

// Four tables for the slice-by-4 inner loop; table 0 is the classic byte table.
struct Tables {
    std::array<std::array<uint32_t, 256>, 4> t;
    constexpr Tables() : t{} {
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[0][i] = c;
        }
        for (uint32_t i = 0; i < 256; ++i) {
            for (int s = 1; s < 4; ++s) t[s][i] = (t[s - 1][i] >> 8) ^ t[0][t[s - 1][i] & 0xFF];
        }
    }
};
constexpr Tables kTables;

}  // namespace

uint32_t crc32Update(uint32_t crc, const void* bytes, size_t length) {
    const uint8_t* p = static_cast<const uint8_t*>(bytes);
    const auto& t = kTables.t;
    uint32_t c = ~crc;
    while (length >= 4) {
        c ^= loadLe32(p);
        c = t[3][c & 0xFF] ^ t[2][(c >> 8) & 0xFF] ^ t[1][(c >> 16) & 0xFF] ^ t[0][c >> 24];
        p += 4;
        length -= 4;
    }
    while (length--) c = t[0][(c ^ *p++) & 0xFF] ^ (c >> 8);
    return ~c;
}

uint32_t nameHash(const void* bytes, size_t length) { return crc32Update(0, bytes, length); }

}  // namespace vr
