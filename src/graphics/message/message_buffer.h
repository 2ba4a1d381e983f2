// Appending to the running message: characters, which take the message's
// current font attributes and delay, and the control entries that stop,
// break lines and clear the page.
#pragma once

#include <cstdint>
#include <string_view>

namespace vr {

// A message holds at most this many text bytes (its terminator after them).
constexpr int kMessageTextLimit = 8190;
// Entries in use at most: the last array element keeps the 0 kind that
// ends the entries.
constexpr int kMessageEntryLimit = 8191;

// Appends the bytes as characters, one entry each (a Shift_JIS lead byte
// with its trail byte makes one double-byte entry).  With `printable` a
// single-byte character below 0x20 or from 0x7F up is stored as a space.
// Nothing is appended when the bytes or their entries would not fit: 0, or
// -1 after 102000.
int appendMessageCharacters(std::string_view bytes, bool printable);

// Appends a control entry ("C", "E", "P", "p", "R", "r"); a sized one takes
// the glyph size and line height of new entries, the others none.  0, or
// -1 after 102000 when the entries are full.
int appendControlEntry(char kind, bool sized);

// Whether `count` more entries fit; reports 102000 when they do not.
bool roomForEntries(int count);

}  // namespace vr
