// Control flow: jumps, calls and returns, conditional blocks, counted
// loops, assignment and waits.
#pragma once

#include "commands/command_table.h"

namespace vr {

void installFlowCommands(CommandTable& table);

}  // namespace vr
