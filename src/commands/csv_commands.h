// Reading comma-separated text files into string arrays, and counting what
// a read would store.
#pragma once

#include "script/command_table.h"

namespace vr {

int ReadCsvFile();     // slot 7
int CountCsvFields();  // slot 8

// Fills slots 7 and 8.
void installCsvCommands(CommandTable& table);

}  // namespace vr
