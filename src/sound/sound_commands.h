// The sound commands: make or change a sound node (slot 71), delete nodes
// (72), read a node's properties (73).  They run on the script's thread and
// reach the channels only through requests to the sound thread, apart from
// the few fields they own.
#pragma once

namespace vr {

struct CommandTable;
void installSoundCommands(CommandTable& table);

int SoundSet();
int SoundDelete();
int SoundQuery();

}  // namespace vr
