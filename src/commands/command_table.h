// The command table: 100 slots, one handler each.  Handlers take no
// parameters, read their evaluated arguments through engine(), and return 0
// to let the thread go on or -1 to end its turn.
#pragma once

#include <array>

namespace vr {

using CommandHandler = int (*)();
constexpr int kCommandSlots = 100;

struct CommandTable {
    std::array<CommandHandler, kCommandSlots> slots{};
};

// Reports internal error 900050 (a command code without handler) as fatal.
int UndefinedCommand();

// Every slot to UndefinedCommand, then the implemented commands into theirs.
void installCommandHandlers(CommandTable& table);

}  // namespace vr
