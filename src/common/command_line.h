// A command line taken apart into its words, as a program's parameters are
// given as one text: words end at blanks (spaces, tabs), double quotes
// around a part keep its blanks and are dropped, and "" is an empty word.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vr {

std::vector<std::string> splitCommandLine(std::string_view line);

}  // namespace vr
