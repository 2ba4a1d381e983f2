// The sound subsystem's state: the sound tree, the request ring, the device
// and the sound thread's own flags.  Reached through sound(); the shell's
// Engine owns it and binds it.
#pragma once

#include <atomic>
#include <memory>

#include "common/bound_record.h"
#include "platform/platform.h"
#include "sound/sound_requests.h"
#include "sound/sound_tree.h"

namespace vr {

struct Sound {
    // Null until start-up creates the tree (the thread idles until then).
    std::unique_ptr<SoundNode> root;
    std::string currentPath;  // the path sound commands resolve against
    // Under the sound lock, which is the engine lock (core().run.lock): the
    // ring, and every channel while a cycle runs.
    SoundRequestQueue requests;
    platform::SoundDevice* device = nullptr;
    bool available = false;      // a device, and the game's configuration wants sound
    bool allPaused = false;
    std::atomic<bool> suspended{false};  // the main window is minimised (set by the shell)
    std::atomic<bool> mainWindowActive{true};  // no main window, or an active one (set by the shell)
    // The sound thread, or the cycles a virtual clock runs in its place.
    platform::Thread thread;
    bool threadStarted = false;
    bool threadFinished = true;  // under the engine lock; shutdown waits for it
    bool onClock = false;        // cycles run inside the virtual clock's steps
    std::atomic<bool> loopEnded{false};
    uint64_t nextCycle = 0;
    bool inCycle = false;        // a clock step inside a cycle runs no cycle
};

inline Sound& sound() { return boundRecord<Sound>(); }

}  // namespace vr
