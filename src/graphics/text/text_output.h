// The per-frame text output: the running message's characters revealed at
// their pace into the message layer, lines broken by the Japanese rules
// (closing punctuation and small kana hang into the last cell of a line,
// opening brackets never end one).
#pragma once

namespace vr {

struct ObjectNode;

// Shows what is due of the running message: characters whose delay has
// passed (all of them while the instant-display flag is set), line feeds,
// page clears, up to a click wait or the end.  Called by the input-wait
// service each frame it serves the message.
void advanceText();

// The line-breaking decision for the current entry, a character: 0 to draw
// it at the pen (which may just have moved to a new line), -1 when it has
// been drawn here already or the text is finished (no room for the line).
int checkLineBreak(ObjectNode* target);

}  // namespace vr
