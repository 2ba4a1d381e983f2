// The name hash: CRC-32 (reflected polynomial 0xEDB88320, initial value all
// ones, final complement), the same function as zlib's crc32.  Labels, pack
// member names and pack repair blocks are hashed with it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vr {

uint32_t nameHash(const void* bytes, size_t length);
inline uint32_t nameHash(std::string_view s) { return nameHash(s.data(), s.size()); }

// Continues a CRC over more bytes: crc32Update(crc32Update(0, a), b) equals the
// hash of a followed by b.
uint32_t crc32Update(uint32_t crc, const void* bytes, size_t length);

}  // namespace vr
