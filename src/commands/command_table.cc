#include "commands/command_table.h"

#include "commands/flow_commands.h"
#include "commands/input_commands.h"
#include "commands/system_commands.h"
#include "commands/thread_commands.h"
#include "graphics/message/message_commands.h"
#include "graphics/object_commands.h"
#include "commands/variable_commands.h"
#include "script/error_report.h"

namespace vr {

int UndefinedCommand() {
    reportScriptError(900050, true);
    return -1;
}

void installCommandHandlers(CommandTable& table) {
    table.slots.fill(&UndefinedCommand);
    installSystemCommands(table);
    installVariableCommands(table);
    installFlowCommands(table);
    installInputCommands(table);
    installThreadCommands(table);
    installObjectCommands(table);
    installMessageCommands(table);
}

}  // namespace vr
