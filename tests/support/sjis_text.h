// Tests write Japanese texts as UTF-8 (u8"...") and compare them with the
// engine's Shift_JIS bytes through this, so that no test depends on the
// compiler's execution character set.
#pragma once

#include <string>

#include "platform/platform.h"

namespace vr::test {

// The code page 932 bytes of a UTF-8 text, by the engine's own converter
// (tests/platform/text_test.cc holds that converter to fixed bytes).
inline std::string sjis(const char8_t* utf8) { return platform::utf8ToSjis(reinterpret_cast<const char*>(utf8)); }

}  // namespace vr::test
