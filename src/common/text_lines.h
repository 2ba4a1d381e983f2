// Walking a text line by line, as the readers of small text files and of
// the engine's own texts do.
#pragma once

#include <string_view>

namespace vr {

// Calls f(line) for each line of the text: a line ends at "\n", and a "\r"
// before it is not part of the line; a last line without "\n" counts, and
// nothing follows a final "\n".  f returns false to stop the walk, and
// forEachLine then returns false.
template <typename F>
bool forEachLine(std::string_view text, F f) {
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!f(line)) return false;
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return true;
}

}  // namespace vr
