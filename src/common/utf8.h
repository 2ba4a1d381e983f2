// Well-formed UTF-8, as the tools meet it in host file names and sources.
#pragma once

#include <cstddef>
#include <string_view>

namespace vr {

// The length of the UTF-8 sequence starting at s[i], or 0 when none starts
// there: a stray continuation byte, a cut sequence, an overlong form, a
// surrogate or a code point past U+10FFFF.
size_t utf8SequenceLength(std::string_view s, size_t i);

// Every byte belongs to a well-formed sequence.
bool isUtf8(std::string_view s);

}  // namespace vr
