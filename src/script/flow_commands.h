// Control flow: jumps, calls and returns, conditional blocks, counted
// loops, assignment and waits.
#pragma once

#include <cstdint>

#include "script/command_table.h"

namespace vr {

void installFlowCommands(CommandTable& table);

struct ScriptImage;
// A handler made for one instruction's shape (a plain integer assignment),
// or null: the loader installs it in place of the command's own.
CommandHandler specialisedFlowHandler(const ScriptImage& image, uint32_t instruction);

enum class FlowStep : uint8_t;  // commands/flow_steps.h
// The step the interpreter may run in line for an instruction whose
// handler is this one (FlowStep::None for all others).
FlowStep flowStepFor(CommandHandler handler);

}  // namespace vr
