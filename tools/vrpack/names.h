// Member names between the host and the archive.  The host spells file
// names in UTF-8, the engine in Shift_JIS (code page 932), with '\\' between
// folders.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vrpack {

std::optional<std::string> utf8ToShiftJis(std::string_view utf8);
std::optional<std::string> shiftJisToUtf8(std::string_view sjis);

// The Shift_JIS spelling of one host file-name component, or nullptr with
// why there is none.  A folder copied from the engine's home system may keep
// its names as the Shift_JIS bytes they were, so a component is taken as
// UTF-8 when it is UTF-8 with a Shift_JIS spelling, else as Shift_JIS bytes
// when it is valid Shift_JIS, the same two spellings the engine tries when it
// opens a file.  A '\\' of its own (not the trail byte of a double-byte
// character) is refused: the archive would take it for a folder separator.
const char* hostComponentToShiftJis(std::string_view component, std::string& sjis);

// A member name as a terminal shows it: UTF-8 when it converts, otherwise
// with the bytes that do not spelled as \xNN.
std::string displayName(std::string_view sjis);

// Splits a member name into host path components (UTF-8).  Returns why the
// name cannot be a path inside the extraction folder, or nullptr: no empty,
// "." or ".." component (so no absolute path and no way out), no character
// the host reserves.
const char* memberPath(std::string_view sjis, std::vector<std::string>& components);

// The file type code an entry carries, as a word.
std::string fileTypeWord(uint8_t type);
std::string storageWord(uint8_t storage);

}  // namespace vrpack
