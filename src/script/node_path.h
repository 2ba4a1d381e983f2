// Paths of named nodes ("W0/bg", "bgm/", ":se"): the object tree and the
// sound tree resolve a script's path against their current path, and name
// their nodes by the same hash.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/sjis.h"

namespace vr {

// Adler-32 of the name started from 0, 31 bits; the top bit for containers.
uint32_t objectNameHash(std::string_view name, bool container);

// An absolute path from a script's path and the current path: 1 when the
// path ended in "/" (a container, and with it everything below it), 0
// otherwise, -1 after a report (a space in a name, 100242).
int resolvePath(std::string& out, std::string_view path, std::string_view currentPath, bool allowSpaces);

// Calls f for each component of a resolved path ("a/b/c"), double-byte
// characters kept whole.
template <typename F>
bool forEachComponent(std::string_view path, F f) {
    size_t start = 0;
    for (size_t i = 0; i <= path.size();) {
        size_t n = i < path.size() ? sjis::charLength(path, i) : 1;
        if (i == path.size() || (n == 1 && path[i] == '/')) {
            if (i > start && !f(path.substr(start, i - start), i == path.size())) return false;
            start = i + 1;
        }
        i += n;
    }
    return true;
}

inline std::string_view lastComponent(std::string_view path) {
    std::string_view last;
    forEachComponent(path, [&](std::string_view c, bool) {
        last = c;
        return true;
    });
    return last;
}

}  // namespace vr
