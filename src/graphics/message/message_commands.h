// The message commands: message text (slot 90), print value (slot 85),
// message end (slot 63), message window settings and status (slots 79 and
// 80), font settings and query (slots 21 and 22).
#pragma once

#include "script/command_table.h"

namespace vr {

int MessageText();         // slot 90
int PrintValue();          // slot 85
int MessageEnd();          // slot 63
int MessageWindowSet();    // slot 79
int MessageWindowQuery();  // slot 80
int FontSet();             // slot 21, font_commands.cc
int FontQuery();           // slot 22, font_commands.cc

void installMessageCommands(CommandTable& table);

}  // namespace vr
