// Loading compiled scripts on first entry: the file made readable, the
// per-instruction tables built, constant jump and call targets resolved to
// label numbers, and the script's local variables initialised.
#pragma once

#include <cstdint>
#include <string_view>

namespace vr {

struct ScriptImage;

// Makes the table of S empty entries (S from the script list).
int createScriptTable();

// True when the script is in memory (loaded now or before); false after a
// report.  Only the low 16 bits of the number are used.
bool loadScript(uint32_t scriptNumber);

// The loaded image, or null (not loaded, or its file was refused).
const ScriptImage* scriptImage(uint16_t scriptNumber);

// The label number, or -1.
int findLabel(std::string_view name);

}  // namespace vr
