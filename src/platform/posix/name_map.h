// Engine names to host paths (see hostPath in platform.h), with the cached
// directory listings behind it.  Internal to the posix layer.
#pragma once

#include <string>
#include <string_view>

namespace vr::platform::posix {

struct Resolved {
    std::string path;     // empty when a folder on the way is missing
    bool exists = false;  // the last component was found
};

Resolved resolveName(std::string_view name);

// Forgets the cached listing of the folder holding `hostPath`; called when
// we create or remove an entry there, so the next lookup sees it at once.
void forgetFolderOf(const std::string& hostPath);

}  // namespace vr::platform::posix
