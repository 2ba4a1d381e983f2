// The interpreter: once per frame it walks the thread tree and lets every
// runnable thread execute instructions until one asks to stop for the frame.
#pragma once

#include <string>

#include <cstdint>

namespace vr {

struct ThreadNode;
struct ScriptThread;

// One pass over the tree; the frame loop repeats it while a handler asks
// for a re-run.
int runFrame(ThreadNode& list);

// The pause of a game that does not run in the background: it starts when
// the main window loses the focus and ends, with the script timers moved on
// past the time paused, when it comes back.
void updatePauseState();

// Executor [0] of every instruction: holds the thread while the window is
// inactive (and the game does not run in the background), then runs the
// instruction's handler.
int pausedExecutor();

// The input-wait service the message window installs; null until then.

// Moves a thread to an instruction of a script, loading the script and
// taking its tables when it differs from the current one; false after a
// report.
bool moveThread(ScriptThread& thread, uint16_t script, uint32_t instruction);

// The name of the command being run, for reports that name it; empty
// outside the interpreter.
std::string runningCommandName();

// Starts the main thread "SYSTEM" at SYSTEM_START (start-up); -1 after a
// report.
int startMainThread();

// Nodes taken out of the tree are freed after the frame's walk, so that a
// thread can end itself while its instruction runs.
void releaseEndedThreads();

}  // namespace vr
