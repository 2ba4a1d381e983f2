// The input options and mouse control commands: key polling, the cursor's
// visibility, automatic hiding, position and shape.
#pragma once

#include "script/command_table.h"

namespace vr {

int InputOptions();  // slot 35
int MouseControl();  // slot 54

void installInputCommands(CommandTable& table);

}  // namespace vr
