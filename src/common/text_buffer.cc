#include "common/text_buffer.h"

#include <cstdio>

#include "common/sjis.h"

namespace vr {

std::string_view cutTextView(std::string_view s, size_t limit) {
    if (s.size() <= limit) return s;
    size_t end = 0;
    for (size_t i = 0; i < s.size();) {
        size_t n = sjis::charLength(s, i);
        if (i + n > limit) break;
        i += n;
        end = i;
    }
    return s.substr(0, end);
}

std::string cutText(std::string s, size_t limit) {
    s.resize(cutTextView(s, limit).size());
    return s;
}

std::string formatTextV(size_t limit, const char* format, va_list args) {
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (n < 0) return {};
    std::string out(size_t(n) + 1, '\0');
    std::vsnprintf(out.data(), out.size(), format, args);
    out.resize(size_t(n));
    return cutText(std::move(out), limit);
}

std::string formatText(size_t limit, const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string s = formatTextV(limit, format, args);
    va_end(args);
    return s;
}

}  // namespace vr
