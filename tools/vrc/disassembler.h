// Compiled scripts shown readably: every instruction with its number, its
// source line, its command and argument names, relative operators and the
// expressions in infix form, and the labels where they stand.
#pragma once

#include <string>

#include "catalogue.h"

namespace vrc {

// A game folder (its vrbin\ family, loose in any case or in its packs) or one
// script file; false with a message when something cannot be read.
bool disassemble(const std::string& path, const Catalogue& catalogue, std::string& out, std::string& error);

}  // namespace vrc
