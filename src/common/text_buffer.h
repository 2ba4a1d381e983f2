// printf-style formatting into the engine's fixed text buffers.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <string>

namespace vr {

// Formats into a std::string, cut to at most `limit` bytes (never in the
// middle of a double-byte character).
std::string formatText(size_t limit, const char* format, ...) __attribute__((format(printf, 2, 3)));
std::string formatTextV(size_t limit, const char* format, va_list args);

// Cuts a text to at most `limit` bytes without splitting a double-byte character.
std::string cutText(std::string s, size_t limit);
std::string_view cutTextView(std::string_view s, size_t limit);

}  // namespace vr
