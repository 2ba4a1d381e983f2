// The wait of a thread whose message has ended: once a frame, before the
// thread could run, the text output reveals what is due, the click keys
// first show the rest of the page at once and then pass a click wait, a
// held skip key does both every frame, and the thread goes on when all of
// the message has been shown.
#pragma once

namespace vr {

struct ObjectNode;
struct ScriptThread;

// The tree walk's input-wait service: does nothing for a thread that is not
// waiting; releases it (clearing its input-wait flag) once the message is
// consumed, or at once when messages are not shown (message mode 0).
void serveInputWait(ScriptThread& thread);

// Empties the message buffer when the message has been consumed (its
// `finished` mark is set); otherwise does nothing.
void resetMessage();

}  // namespace vr
