// Archives for tests, written by the real writer.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "core/archive/pack_writer.h"
#include "support/temp_dir.h"

namespace vr::test {

inline std::vector<uint8_t> bytesOf(const std::string& s) { return {s.begin(), s.end()}; }

inline std::vector<uint8_t> packBytes(const std::vector<std::pair<std::string, std::string>>& members,
                                      pack::WriteOptions options = {}) {
    std::vector<pack::MemberInput> in;
    for (const auto& [name, content] : members) in.push_back({name, bytesOf(content)});
    return pack::writeArchive(std::move(in), options).bytes;
}

inline void writePack(const TempDir& dir, const std::string& file,
                      const std::vector<std::pair<std::string, std::string>>& members, pack::WriteOptions options = {}) {
    dir.write(file, packBytes(members, options));
}

// Bytes that compress poorly and differ from block to block.
inline std::string noise(size_t n, uint32_t seed) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) {
        seed = seed * 1103515245u + 12345u;
        s[i] = char(seed >> 24);
    }
    return s;
}

}  // namespace vr::test
