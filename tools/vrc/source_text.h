// A script source read for compiling: its lines in Shift_JIS, whatever the
// file was written in.  UTF-8 sources (with or without a byte-order mark)
// are converted character by character, so that a character without a
// Shift_JIS form is reported where it stands; other files are taken as
// Shift_JIS already.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "diagnostics.h"

namespace vrc {

struct SourceLine {
    std::string text;  // Shift_JIS, without the line end
    int number = 0;    // 1-based
};

struct SourceText {
    std::string name;  // as shown in messages
    std::vector<SourceLine> lines;
};

// Splits and converts; conversion errors go to the diagnostics.
SourceText readSource(std::string name, std::string_view bytes, Diagnostics& diagnostics);

// The column (in characters, from 1) of a byte offset in a Shift_JIS line.
int columnOf(std::string_view line, size_t offset);

// Shift_JIS to UTF-8 for messages.
std::string forMessage(std::string_view sjis);

}  // namespace vrc
