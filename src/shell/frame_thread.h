// The frame on a thread of its own (the engine configuration's frame-thread
// switch).  The main thread then only pumps the host's events and runs the
// window-system calls the frame thread hands it (shell/main_thread.h).  The
// events reach the frame through a hand-over record: the main thread adds
// what it polls, the frame thread takes it all at the start of its frame,
// together with a keyboard and cursor sample taken for that frame, and
// applies it to the windows and the input state, which are its own.
#pragma once

#include <vector>

#include "platform/platform.h"
#include "shell/input.h"

namespace vr {

struct HostHandOver {
    platform::EngineLock lock;
    std::vector<platform::Event> events;  // in the order the host sent them
    HostSample sample;
    bool sampled = false;
};

// Start-up's last step: starts the frame thread when the switch is set;
// false (reported) when the thread cannot start.
bool startFrameThread();
bool frameThreadRunning();
// The main loop while the frame thread runs: jobs and events until the
// frame thread has ended.
void serveFrameThread();

// Main thread: the host's waiting events into the hand-over record.  A
// quit from the host is also flagged at once, so that a long frame ends.
void collectHostEvents();
// Frame thread: the input script's lines due, the events collected so far
// (and with `sample` the keyboard and cursor) taken over and applied.
void takeHostInput(bool sample);
// A paused game's turn on the frame thread: its scripted input goes on and
// its events are applied, as pumpMessages does on the main thread.
void takeHostInputWhilePaused();

}  // namespace vr
