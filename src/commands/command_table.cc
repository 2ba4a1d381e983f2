#include "commands/command_table.h"

#include "script/error_report.h"

namespace vr {

int UndefinedCommand() {
    reportScriptError(900050, true);
    return -1;
}

void installCommandHandlers(CommandTable& table) {
    table.slots.fill(&UndefinedCommand);
    // The handlers of the implemented commands arrive with the interpreter
    // and argument evaluation; until then every slot is undefined.
}

}  // namespace vr
