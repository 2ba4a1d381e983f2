#include "common/utf8.h"

#include <cstdint>

namespace vr {

size_t utf8SequenceLength(std::string_view s, size_t i) {
    uint8_t b = uint8_t(s[i]);
    size_t n = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 0;
    if (n == 0 || i + n > s.size()) return 0;
    uint32_t c = n == 1 ? b : b & (0x7F >> n);
    for (size_t k = 1; k < n; ++k) {
        uint8_t t = uint8_t(s[i + k]);
        if ((t & 0xC0) != 0x80) return 0;
        c = (c << 6) | (t & 0x3F);
    }
    static constexpr uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kLeast[n] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
    return n;
}

bool isUtf8(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        size_t n = utf8SequenceLength(s, i);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

}  // namespace vr
