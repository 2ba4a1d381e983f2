// The message box and input dialog command, and the clipboard commands.
#pragma once

#include "script/command_table.h"

namespace vr {

int SetClipboardText();  // slot 5
int GetClipboardText();  // slot 6
int ShowMessageBox();    // slot 10 (and the input dialog)

// The clipboard keeps at most this many bytes for a script.
constexpr size_t kClipboardReadLimit = 1024;
// The input dialog hands over at most this many bytes of its text.
constexpr size_t kInputTextLimit = 4095;

// Fills slots 5, 6 and 10.
void installDialogCommands(CommandTable& table);

}  // namespace vr
