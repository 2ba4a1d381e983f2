// The handlers of the program-end, frame-rate, check-switch, math and label
// commands, and the shared do-nothing and evaluate-only handlers.
#pragma once

#include "script/command_table.h"

namespace vr {

int EndProgram();        // slot 12
int SetCheckSwitches();  // slot 13
int SetFrameRate();      // slot 23
int LabelExists();       // slot 38
int MathFunction();      // slot 46
// Slots 9, 37, 59, 62, 64, 65 and 66: their arguments are not even evaluated.
int DoNothing();

// Fills slots 0, 9, 12, 13, 14, 23, 37, 38, 46, 52, 53, 58, 59, 62, 64, 65,
// 66, 70 and 82.
void installSystemCommands(CommandTable& table);

}  // namespace vr
