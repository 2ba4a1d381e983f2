// The file commands: file operations with the image export (slot 15), the
// file query (slot 16) and the registry read (slot 60).
#pragma once

#include "script/command_table.h"

namespace vr {

int FileOperation();  // slot 15
int FileQuery();      // slot 16
int RegistryRead();   // slot 60

void installFileCommands(CommandTable& table);

}  // namespace vr
