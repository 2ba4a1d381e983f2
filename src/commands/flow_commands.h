// Control flow: jumps, calls and returns, conditional blocks, counted
// loops, assignment and waits.
#pragma once

#include <cstdint>

#include "commands/command_table.h"

namespace vr {

void installFlowCommands(CommandTable& table);

struct ScriptImage;
// A handler made for one instruction's shape (a plain integer assignment),
// or null: the loader installs it in place of the command's own.
CommandHandler specialisedFlowHandler(const ScriptImage& image, uint32_t instruction);

}  // namespace vr
