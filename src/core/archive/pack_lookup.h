// The loader's door to the pack archives: finding a member by name in the
// index and reading it, with its checks and repair.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/archive/loader.h"

namespace vr {

namespace platform {
class File;
}

// 2 = found (request resolved to a pack member), 0 = not found, -2 = an
// archive could not be opened.
int findInPacks(FileRequest& request, std::string_view name);

// Reads a resolved pack member into the request; 0, or -1 after a report.
int readPackMember(FileRequest& request, std::string_view name);

// Checks member bytes against their Adler-32 and repairs them from the
// repair record the stream stands at: 0 = correct, 1 = repaired, -1 = not
// repairable.
int checkAndRepair(platform::File& archive, uint8_t* bytes, uint32_t length, uint32_t checksum, std::string_view name);

}  // namespace vr
