// The report texts built into the engine: the ones needed before vre.vbn is
// loaded (packs, files, memory) or that must not depend on the game's file,
// the internal-error text for codes nobody wrote a text for, and the library
// notices.
#pragma once

#include <cstdint>

namespace vr {

extern const char* const kInternalErrorText;

// The built-in text of a code, or null when the code has none.
const char* builtInErrorText(uint32_t code);

// The notices of the libraries the engine is built with (the text of code
// 100000).
const char* libraryNotices();

}  // namespace vr
