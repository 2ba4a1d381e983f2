#include "script/node_path.h"

#include <zlib.h>

#include <vector>

#include "core/error_report.h"

namespace vr {

uint32_t objectNameHash(std::string_view name, bool container) {
    uLong h = adler32(0L, reinterpret_cast<const Bytef*>(name.data()), uInt(name.size()));
    return (uint32_t(h) & 0x7FFFFFFFu) | (container ? 0x80000000u : 0u);
}

int resolvePath(std::string& out, std::string_view path, std::string_view currentPath, bool allowSpaces) {
    std::string joined;
    bool simple = path.find_first_of(".:/") == std::string_view::npos;
    if (simple) {
        joined = currentPath.empty() ? std::string(path) : std::string(currentPath) + "/" + std::string(path);
    } else if (path.substr(0, 2) == ":/") {
        joined = path.substr(2);
    } else if (!path.empty() && path[0] == ':') {
        joined = path.substr(1);
    } else {
        joined = std::string(currentPath);
        if (!joined.empty() && (path.empty() || path[0] != '/')) joined += '/';
        joined += path;
    }
    bool container = false;
    {
        size_t i = 0, lastChar = std::string::npos;
        while (i < joined.size()) {
            lastChar = i;
            i += sjis::charLength(joined, i);
        }
        container = lastChar != std::string::npos && joined[lastChar] == '/';
    }
    std::vector<std::string_view> parts;
    bool spaced = false;
    forEachComponent(joined, [&](std::string_view c, bool) {
        if (c == ".") return true;
        if (c == "..") {
            if (!parts.empty()) parts.pop_back();
            return true;
        }
        for (size_t i = 0; i < c.size(); i += sjis::charLength(c, i))
            if (c[i] == ' ') spaced = true;
        parts.push_back(c);
        return true;
    });
    if (spaced && !allowSpaces) {
        reportScriptErrorArgs(100242, true, std::string(path));
        return -1;
    }
    out.clear();
    for (size_t k = 0; k < parts.size(); ++k) {
        if (k) out += '/';
        out += parts[k];
    }
    return container ? 1 : 0;
}

}  // namespace vr
