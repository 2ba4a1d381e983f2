// The sound subsystem's state: the sound tree, the request ring, the device
// and the sound thread's own flags.  Reached through sound(); the shell's
// Engine owns it and binds it.
#pragma once

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
    SoundRequestQueue requests;
    // The sound lock: the ring, and every channel while a cycle runs.
    platform::EngineLock lock;
    platform::SoundDevice* device = nullptr;
    bool available = false;      // a device, and the game's configuration wants sound
    bool keepRunning = true;     // the run-in-background switch
    bool allPaused = false;
    bool suspended = false;      // the engine is suspended in the background
    platform::Thread thread;
    bool threadStarted = false;
    bool threadFinished = true;  // under core().run.lock
    uint64_t nextCycle = 0;      // when a virtual clock runs the cycles
};

inline Sound& sound() { return boundRecord<Sound>(); }

}  // namespace vr
