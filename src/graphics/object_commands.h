// The object commands: create or change (slot 1), delete (slot 3) and query
// (slot 4) graphic objects by path.
#pragma once

#include "script/command_table.h"

namespace vr {

void installObjectCommands(CommandTable& table);

}  // namespace vr
