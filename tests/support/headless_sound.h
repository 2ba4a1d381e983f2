// The sound thread of a headless engine, on the headless device, started
// and ended as the shell starts and ends it.
#pragma once

#include "sound/sound.h"
#include "sound/sound_thread.h"
#include "support/headless_engine.h"

namespace vr::test {

// False when the device could not be opened (the thread is not started).
inline bool startHeadlessSound() {
    createSoundRoot();
    openSoundDevice(true);
    if (!sound().available) return false;
    startSoundThread();
    return true;
}

inline void stopHeadlessSound(HeadlessEngine& h) {
    h.e.core.run.quitRequested = true;
    for (int i = 0; i < 10 && !sound().loopEnded; ++i) h.host.sleep(20);
    finishSoundThread();
}

}  // namespace vr::test
