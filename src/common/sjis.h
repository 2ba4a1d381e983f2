// Shift_JIS (code page 932) text helpers.  Every routine that walks engine
// text decides double-byte characters with isLeadByte, so a trail byte that
// happens to equal '\\', '/' or an ASCII letter is never touched.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vr::sjis {

constexpr bool isLeadByte(uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// Length in bytes of the character starting at s[i] (1 or 2; 1 for a lead
// byte at the very end, so walks always terminate).
inline size_t charLength(std::string_view s, size_t i) {
    return (isLeadByte(uint8_t(s[i])) && i + 1 < s.size()) ? 2 : 1;
}

// ASCII capitals to small letters, double-byte characters kept whole.
std::string lowerAscii(std::string_view s);

// The engine's file-name form: ASCII lower case and '/' replaced by '\\'.
std::string normaliseFileName(std::string_view s);

// Replaces every `from` byte by `to`, skipping double-byte characters.
std::string replaceChar(std::string_view s, char from, char to);

// Case-insensitive (ASCII) test of the end of a name.
bool endsWithNoCase(std::string_view s, std::string_view suffix);

// Number of characters (a double-byte character counts once).
size_t charCount(std::string_view s);

}  // namespace vr::sjis
