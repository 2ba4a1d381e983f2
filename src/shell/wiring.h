// The composition root's wiring: every command handler into its slot and
// every hook a lower layer offers filled by the layer that serves it.
#pragma once

#include "script/command_table.h"

namespace vr {

struct Engine;

// Every slot to UndefinedCommand, then the implemented commands into theirs.
void installCommandHandlers(CommandTable& table);

// The hooks of the error reporter and the interpreter.
void installHooks(Engine& e);

}  // namespace vr
