// Helpers shared by the readers of the vrbin\ files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/bytes.h"
#include "core/engine_files.h"

namespace vr::detail {

// Every file of the family starts with a signature and a version.
constexpr size_t kFileHeaderSize = 8;

// Refuses a damaged file: internal error 900000 naming it, fatal.  Returns -1.
int refuseFile(std::string_view name);

// True when `count` records of at least `minimal` bytes each can fit in what
// the reader has left.  Checked before anything is reserved from a count.
inline bool countFits(const ByteReader& in, int64_t count, size_t minimal) {
    return count >= 0 && uint64_t(count) <= in.remaining() / minimal;
}

// Reads one vrv.vbn record; false (reader failed or record inconsistent)
// when it cannot be a valid record.
bool readVariableRecord(ByteReader& in, VariableRecord& record);

}  // namespace vr::detail
