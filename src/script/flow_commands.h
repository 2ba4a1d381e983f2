// Control flow: jumps, calls and returns, conditional blocks, counted
// loops, assignment and waits.
#pragma once

#include <cstdint>

#include "script/command_table.h"

namespace vr {

void installFlowCommands(CommandTable& table);

struct ScriptImage;
enum class FlowStep : uint8_t;  // script/flow_steps.h

// An instruction the interpreter may run in line (script/flow_steps.h): the
// step, and the handler that has the whole behaviour for when the step
// declines, which the loader installs in place of the command's own (a
// handler made for the instruction's shape, such as a plain integer
// assignment).  Both null/None for every other instruction.
struct FlowHandler {
    CommandHandler handler = nullptr;
    FlowStep step{};
};
FlowHandler flowHandlerFor(const ScriptImage& image, uint32_t instruction);

}  // namespace vr
