// The command table: 100 slots, one handler each.  Handlers take no
// parameters, read their evaluated arguments through scriptState(), and return 0
// to let the thread go on or -1 to end its turn.
#pragma once

#include <array>

#include "core/engine_files.h"  // kCommandSlots

namespace vr {

using CommandHandler = int (*)();

struct CommandTable {
    std::array<CommandHandler, kCommandSlots> slots{};
};

// Reports internal error 900050 (a command code without handler) as fatal.
int UndefinedCommand();

}  // namespace vr
