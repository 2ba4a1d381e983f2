// The scan of comma-separated text files that scripts read into string
// arrays.  Reading the elements and counting them walk the same scanner, so
// a count always equals what a read stores.
#pragma once

#include <cstddef>
#include <functional>
#include <string_view>

namespace vr::csv {

// The engine reads a field through a 4096-byte buffer: a longer field is
// cut to this many bytes, never inside a double-byte character.
constexpr size_t kFieldLimit = 4095;

// The element that stands for the end of a line that held text.
constexpr std::string_view kLineEnd = "\r";

// Calls `element` once per element, in order: each field (cut to
// kFieldLimit) and kLineEnd for each line end after a line with text.
// Quotes stay in the fields; commas inside quotes do not separate; the
// last field of a line is an element only when the line has a separating
// comma; text after the last line end is not an element.
void scan(std::string_view bytes, const std::function<void(std::string_view)>& element);

// The number of elements scan() gives.
size_t count(std::string_view bytes);

}  // namespace vr::csv
