// The save command (a variable or an object's picture into a numbered save
// record, and the records into a save file), the load command and the
// release of the records: where the save subsystem meets the variables and
// the object tree.
#pragma once

namespace vr {

struct CommandTable;

void installSaveCommands(CommandTable& table);

}  // namespace vr
