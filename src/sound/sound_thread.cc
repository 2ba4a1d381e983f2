#include "sound/sound_thread.h"

#include "common/text_buffer.h"
#include "common/texts/engine_texts.h"
#include "core/core.h"
#include "core/error_report.h"
#include "sound/sound.h"
#include "sound/sound_cycle.h"
#include "sound/sound_output.h"
#include "sound/sound_source.h"

namespace vr {

namespace {

constexpr uint32_t kBusyCycleMs = 3;   // while requests wait
constexpr uint32_t kIdleCycleMs = 20;

uint32_t cycleInterval() {
    platform::LockHolder hold(*core().run.lock);
    return sound().requests.empty() ? kIdleCycleMs : kBusyCycleMs;
}

// Step 7: the thread stops, and says why in a box of its own.
void stopOnFailure(int code) {
    std::string text = code == kOggChained ? std::string(VR_TEXT_SOUND_CHAINED_OGG)
                                           : formatText(1023, VR_TEXT_SOUND_INTERNAL_ERROR, -code);
    noteFatalFailure(text);
    platform::MessageBoxSpec box;
    box.text = text;
    box.caption = VR_TEXT_CAPTION_DEBUG_MESSAGE;
    core().platform.messageBox(box);
    core().run.quitRequested = true;
}

// Steps 2 to 7 at time `now`; false when the loop ends.
bool cycle(uint32_t now) {
    Core& c = core();
    bool goOn = true;
    {
        platform::LockHolder hold(*c.run.lock);
        if (!sound().root) return true;
        const int rc = runSoundCycle(now);
        if (rc < 0) {
            stopOnFailure(rc);
            return false;
        }
        goOn = !c.run.quitRequested;
    }
    return goOn;
}

// Step 8: every channel released, then the thread is finished.
void endLoop() {
    Core& c = core();
    Sound& s = sound();
    {
        platform::LockHolder hold(*c.run.lock);
        if (!s.onClock) c.platform.sleep(20);
    }
    {
        platform::LockHolder hold(*c.run.lock);
        if (s.root) forEachSoundNode(*s.root, [](SoundNode& n) { releaseChannel(n.channel); });
        s.loopEnded = true;
        s.threadFinished = true;
    }
}

void threadBody() {
    platform::Platform& host = core().platform;
    for (;;) {
        host.sleep(cycleInterval());
        if (!cycle(uint32_t(host.millis()))) break;
    }
    endLoop();
}

// On a virtual clock the cycles run at their own times inside each step of
// the clock, with the mix made up to each cycle first: the same run sounds
// the same every time.
void clockStep(uint64_t from, uint64_t to) {
    (void)from;
    Sound& s = sound();
    if (s.inCycle) return;
    s.inCycle = true;
    while (!s.loopEnded && s.nextCycle <= to) {
        if (s.device) s.device->advanceTo(s.nextCycle);
        const uint64_t now = s.nextCycle;
        s.nextCycle += cycleInterval();
        if (!cycle(uint32_t(now))) endLoop();
    }
    if (s.device) s.device->advanceTo(to);
    s.inCycle = false;
}

}  // namespace

bool createSoundRoot() {
    Sound& s = sound();
    s.root = std::make_unique<SoundNode>();
    s.root->name = "S0";
    return true;
}

void openSoundDevice(bool wanted) {
    Sound& s = sound();
    s.device = wanted ? core().platform.soundDevice() : nullptr;
    s.available = s.device != nullptr;
    if (wanted && !s.available) reportError(110010, false);
}

void startSoundThread() {
    Core& c = core();
    Sound& s = sound();
    s.loopEnded = false;
    {
        platform::LockHolder hold(*c.run.lock);
        s.threadFinished = false;
    }
    s.threadStarted = true;
    s.nextCycle = c.platform.millis() + kIdleCycleMs;
    if (c.platform.setClockListener(&clockStep)) {
        s.onClock = true;
        return;
    }
    if (!s.thread.start(&threadBody, c.run.processorCount - 1)) {
        platform::LockHolder hold(*c.run.lock);
        s.threadStarted = false;
        s.threadFinished = true;
    }
}

void queueInitialSounds() {
    Sound& s = sound();
    if (!s.available || !s.root) return;
    SoundNode* keepAlive = nullptr;
    {
        platform::LockHolder hold(*core().run.lock);
        keepAlive = &addSoundNode(*s.root, "ROOT", false, kKeepAliveNumber);
        keepAlive->channel.keepAlive = true;
        keepAlive->channel.format = SoundFormat::Wav;
    }
    enqueueSoundRequest(keepAlive, SoundRequestKind::SetVolume, kQuietLevel);
    enqueueSoundRequest(keepAlive, SoundRequestKind::Load, 0, " ");
    enqueueSoundRequest(keepAlive, SoundRequestKind::Play, 0);
}

void finishSoundThread() {
    Sound& s = sound();
    if (!s.threadStarted) return;
    if (s.onClock) {
        core().platform.setClockListener({});
        s.onClock = false;
    } else {
        s.thread.join();
    }
    s.threadStarted = false;
}

void markSoundStart() {
    if (sound().device) sound().device->markStart();
}

}  // namespace vr
