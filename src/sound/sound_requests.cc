#include "sound/sound_requests.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "core/core.h"
#include "core/error_report.h"
#include "sound/sound.h"
#include "sound/sound_cycle.h"
#include "sound/sound_output.h"
#include "sound/sound_source.h"

namespace vr {

size_t enqueueSoundRequest(SoundNode* node, SoundRequestKind kind, int32_t parameter, const std::string& name) {
    Sound& s = sound();
    platform::LockHolder hold(*core().run.lock);
    const size_t at = s.requests.writeIndex;
    SoundRequest& slot = s.requests.slots[at];
    slot.node = node;
    slot.kind = kind;
    slot.parameter = parameter;
    if (kind == SoundRequestKind::Load) slot.name = name.substr(0, kSoundNameBytes - 1);
    slot.done = 0;
    s.requests.writeIndex = (at + 1) % kSoundRingSlots;
    if (s.requests.writeIndex == s.requests.readIndex) reportError(110200, false);
    return at;
}

namespace {

using Kind = SoundRequestKind;

int32_t divideFade(int64_t delta, int32_t fadeMs) {
    // Signed 32-bit division truncating toward zero; a fade of no time goes
    // the whole way in one step.
    const int64_t scaled = int32_t(delta * 1024);
    const int64_t rate = fadeMs == 0 ? scaled : scaled / fadeMs;
    return int32_t(std::clamp<int64_t>(rate, INT32_MIN, INT32_MAX));
}

void refade(SoundChannel& c, uint32_t now, int64_t delta) {
    c.fadeStart = now;
    c.fadeDoneAt = 0;
    c.fadeFrom = c.volume;
    c.fadeRate = divideFade(delta, c.fadeMs);
}

int load(SoundNode& node, const SoundRequest& r) {
    SoundChannel& c = node.channel;
    if (c.state != ChannelState::Idle) {
        // Still sounding: silenced and released now, loaded next cycle.
        silenceChannel(node, 0);
        return 0;
    }
    c.fileName = r.name;
    c.loopsLeft = 0;
    c.lastFilledHalf = 1;
    c.pan = kCentre;
    c.frequency = kCentre;
    c.startMs = c.loopStartMs = 0;
    c.endMs = 0;
    c.playedBytes = 0;
    if (int rc = openSource(c, sound().device); rc < 0) return rc;
    c.state = ChannelState::Loaded;
    return 1;
}

int play(SoundNode& node, const SoundRequest& r, uint32_t now) {
    SoundChannel& c = node.channel;
    c.fadeMs = r.parameter;
    bool fromIdle = false;
    switch (c.state) {
    case ChannelState::Idle:
        if (c.fileName.empty()) return 1;
        c.startMs = 0;
        if (int rc = openSource(c, sound().device); rc < 0) return rc;
        fromIdle = true;
        [[fallthrough]];
    case ChannelState::Loaded: {
        c.fadeStart = now;
        c.fadeDoneAt = 0;
        if (!c.buffer) return -1;
        if (int rc = primeFirstHalf(c); rc < 0) return rc;
        applyVolume(node, 0);
        applyPan(c);
        c.buffer->setCurrentPosition(0);
        if (!c.buffer->play(true)) return fromIdle ? -110 : -120;
        c.fadeFrom = 0;
        c.fadeRate = divideFade(c.fadeTo, c.fadeMs);
        c.state = ChannelState::FadingIn;
        return 1;
    }
    case ChannelState::FadingIn:
        // A fade under way turns towards the new target from where it is.
        refade(c, now, int64_t(c.fadeTo) - c.previousTarget);
        return 1;
    case ChannelState::Playing:
        refade(c, now, int64_t(c.fadeTo) - c.volume);
        c.state = ChannelState::FadingIn;
        return 1;
    case ChannelState::FadingOut:
        // Ended now and started afresh from Idle by the same request next cycle.
        std::swap(c.fadeFrom, c.fadeTo);
        silenceChannel(node, 0);
        return 0;
    }
    return 1;
}

int stop(SoundNode& node, const SoundRequest& r, uint32_t now) {
    SoundChannel& c = node.channel;
    if (!isPlaying(c)) return 1;
    const int32_t base = c.state == ChannelState::FadingIn ? c.previousTarget : c.volume;
    c.fadeMs = r.parameter;
    c.fadeTo = 0;
    // A stop without fade time ends at once (the rate of an earlier fade
    // must not linger).
    refade(c, now, -int64_t(base));
    c.state = ChannelState::FadingOut;
    return 1;
}

// The positions a request may set: within the sound, else from its start.
int32_t withinLength(const SoundChannel& c, int32_t ms) { return ms < c.totalMs ? ms : 0; }

}  // namespace

int runSoundRequest(const SoundRequest& r, uint32_t now) {
    if (!r.node) return 1;
    SoundNode& node = *r.node;
    SoundChannel& c = node.channel;
    const bool idle = c.state == ChannelState::Idle;
    switch (r.kind) {
    case Kind::Load: return load(node, r);
    case Kind::Play: return play(node, r, now);
    case Kind::Pause:
        c.paused = int8_t(r.parameter);
        if (int rc = r.parameter == 1 ? pauseTree(node, now) : resumeTree(node, now); rc < 0) return rc;
        return 1;
    case Kind::Stop: return stop(node, r, now);
    case Kind::SetVolume:
        c.volume = c.fadeTo = c.previousTarget = r.parameter;
        applyVolume(node, r.parameter);
        return 1;
    case Kind::SetTargetVolume:
        c.previousTarget = c.fadeTo;
        c.fadeTo = r.parameter;
        return 1;
    case Kind::SetLoopCount:
        if (!idle) c.loopsLeft = uint32_t(r.parameter);
        return 1;
    case Kind::SetEndPosition:
        if (!idle) c.endMs = int32_t(std::min<int64_t>(r.parameter, c.totalMs));
        return 1;
    case Kind::SetStartPosition:
        if (!idle) c.startMs = withinLength(c, r.parameter);
        return 1;
    case Kind::SetLoopStart:
        if (!idle) c.loopStartMs = withinLength(c, r.parameter);
        return 1;
    case Kind::SetPan:
        if (!idle) {
            c.pan = r.parameter;
            applyPan(c);
        }
        return 1;
    case Kind::SetFrequency:
        if (!idle) {
            c.frequency = r.parameter;
            applyFrequency(c);
        }
        return 1;
    case Kind::Sync: return 1;
    case Kind::Release:
        if (!idle) {
            c.fileName.clear();
            silenceChannel(node, 0);
        }
        return 1;
    }
    return 1;
}

}  // namespace vr
