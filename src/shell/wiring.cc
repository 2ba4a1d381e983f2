// The one place that fills the command table: every layer's handlers go
// into their slots here.
#include "shell/wiring.h"

#include "commands/csv_commands.h"
#include "commands/dialog_commands.h"
#include "commands/file_commands.h"
#include "commands/input_commands.h"
#include "commands/packed_image_commands.h"
#include "commands/save_commands.h"
#include "commands/system_commands.h"
#include "devtools/editor_launch.h"
#include "graphics/draw/draw_command.h"
#include "graphics/message/input_wait.h"
#include "graphics/message/message_commands.h"
#include "graphics/object_commands.h"
#include "script/flow_commands.h"
#include "script/thread_commands.h"
#include "script/variable_commands.h"
#include "shell/engine.h"
#include "shell/input.h"
#include "shell/modal_box.h"
#include "shell/startup.h"
#include "sound/sound_commands.h"

namespace vr {

void installCommandHandlers(CommandTable& table) {
    table.slots.fill(&UndefinedCommand);
    installSystemCommands(table);
    installVariableCommands(table);
    installFlowCommands(table);
    installInputCommands(table);
    installThreadCommands(table);
    installObjectCommands(table);
    installDrawCommand(table);
    installMessageCommands(table);
    installSoundCommands(table);
    installSaveCommands(table);
    // Message boxes, the input dialog, the clipboard and CSV files.
    installDialogCommands(table);
    installCsvCommands(table);
    installFileCommands(table);
    installPackedImageCommands(table);
}

void installHooks(Engine& e) {
    e.core.errors.beforeDialog = &holdForErrorDialog;
    e.core.errors.afterDialog = &releaseErrorDialogHold;
    e.core.errors.openEditor = &openSourceInEditor;
    ScriptHooks& hooks = e.script.hooks;
    // A thread that ended a message waits until the message has been shown.
    hooks.serveInputWait = &serveInputWait;
    hooks.pumpWhilePaused = &pumpWhilePaused;
    hooks.readInputRow = &readInputVariable;
    hooks.writeInputRow = &writeInputVariable;
    hooks.keyCounter = &keyCounter;
}

}  // namespace vr
