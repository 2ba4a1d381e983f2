// Script threads: started, set, ended and described by scripts; and the
// thread-state text that saves a thread's place and stacks and restores it.
#pragma once

#include <string>
#include <string_view>

#include "script/command_table.h"

namespace vr {

struct ScriptThread;

void installThreadCommands(CommandTable& table);

std::string threadStateText(const ScriptThread& thread);
// False when the text is not a thread state (it is then left unchanged).
bool restoreThreadState(ScriptThread& thread, std::string_view text);

}  // namespace vr
