// The loader's door to the pack archives.
#pragma once

#include <string_view>

#include "archive/loader.h"

namespace vr {

// 2 = found (request resolved to a pack member), 0 = not found, -2 = an
// archive could not be opened.
int findInPacks(FileRequest& request, std::string_view name);

// Reads a resolved pack member into the request; 0, or -1 after a report.
int readPackMember(FileRequest& request, std::string_view name);

}  // namespace vr
