// The packed image commands: show an entry of the loaded packed image file
// in a layer (slot 91), release the file (92), read its values (93).
#pragma once

#include "script/command_table.h"

namespace vr {

int PackedImageShow();     // slot 91
int PackedImageRelease();  // slot 92
int PackedImageValues();   // slot 93

void installPackedImageCommands(CommandTable& table);

}  // namespace vr
