#include "common/sjis.h"

namespace vr::sjis {

namespace {
char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }
}  // namespace

std::string lowerAscii(std::string_view s) {
    std::string out(s);
    for (size_t i = 0; i < out.size();) {
        size_t n = charLength(out, i);
        if (n == 1) out[i] = asciiLower(out[i]);
        i += n;
    }
    return out;
}

std::string replaceChar(std::string_view s, char from, char to) {
    std::string out(s);
    for (size_t i = 0; i < out.size();) {
        size_t n = charLength(out, i);
        if (n == 1 && out[i] == from) out[i] = to;
        i += n;
    }
    return out;
}

std::string normaliseFileName(std::string_view s) { return replaceChar(lowerAscii(s), '/', '\\'); }

bool endsWithNoCase(std::string_view s, std::string_view suffix) {
    if (suffix.size() > s.size()) return false;
    std::string_view tail = s.substr(s.size() - suffix.size());
    for (size_t i = 0; i < suffix.size(); ++i) {
        if (asciiLower(tail[i]) != asciiLower(suffix[i])) return false;
    }
    return true;
}

size_t charCount(std::string_view s) {
    size_t count = 0;
    for (size_t i = 0; i < s.size(); i += charLength(s, i)) ++count;
    return count;
}

}  // namespace vr::sjis
