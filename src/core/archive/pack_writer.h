// Writing pack archives: what vrpack and vrc make and what tests feed the
// reader.  The output depends only on the members given (sorted by name, no
// time stamps), so the same folder always packs to the same bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vr::pack {

struct MemberInput {
    std::string name;  // as stored: memberName() of the path
    std::vector<uint8_t> bytes;
};

struct WriteOptions {
    bool store = false;      // never compress
    int level = 9;           // zlib level 1..9
    bool repairData = true;  // write the parity and block checks
    uint32_t version = 412;
};

struct WriteResult {
    std::vector<uint8_t> bytes;
    std::string error;  // empty on success
};

// Members with equal names, names longer than 255 bytes, or an archive
// beyond the 32-bit offsets are refused with an error text.
WriteResult writeArchive(std::vector<MemberInput> members, const WriteOptions& options);

}  // namespace vr::pack
