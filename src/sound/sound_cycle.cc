#include "sound/sound_cycle.h"

#include "core/core.h"
#include "script/script_state.h"
#include "sound/sound.h"
#include "sound/sound_output.h"
#include "sound/sound_source.h"

namespace vr {

namespace {

// Once the engine quits, every step silences the channels instead of its work.
bool silencedForQuit(SoundNode& node) {
    if (!core().run.quitRequested) return false;
    silenceChannel(node, kQuietLevel);
    return true;
}

// The distance the play cursor went since the last look, counted into
// playedBytes' reckoning by the caller.
bool cursorAdvance(SoundChannel& c, uint32_t& delta) {
    uint32_t play = 0, write = 0;
    if (!c.buffer->currentPosition(play, write)) return false;
    delta = play >= c.lastPlayCursor ? play - c.lastPlayCursor : play + c.bufferBytes - c.lastPlayCursor;
    c.lastPlayCursor = play;
    return true;
}

// The channel and each group above it audible and not paused.
bool mayResume(const SoundNode& node) {
    for (const SoundNode* n = &node;; n = n->parent) {
        if (n->channel.audible != 1 || n->channel.paused) return false;
        if (!n->parent || !n->parent->isGroup) return true;
    }
}

int pauseChannel(SoundNode& node, uint32_t now) {
    SoundChannel& c = node.channel;
    if (silencedForQuit(node)) return 0;
    if (!isPlaying(c) || c.pausedAt != 0) return 0;
    if (!c.buffer) return -410;
    uint32_t delta = 0;
    if (!cursorAdvance(c, delta)) return -420;
    c.playedBytes += delta;
    closeSource(c, false);  // the file stays for the resume
    c.startMs = c.loopStartMs = 0;
    // 0 means "not paused": a pause at the clock's very first millisecond
    // is taken a millisecond later.
    c.pausedAt = now ? now : 1;
    return 0;
}

int resumeChannel(SoundNode& node, uint32_t now) {
    (void)now;
    SoundChannel& c = node.channel;
    if (!isPlaying(c) || c.pausedAt == 0 || !mayResume(node)) return 0;
    c.startMs = int32_t(playedMs(c, c.playedBytes));
    if (int rc = reopenSource(c, sound().device); rc < 0) return rc;
    if (int rc = primeFirstHalf(c); rc < 0) return rc;
    applyVolume(node, c.fadeTo);
    applyPan(c);
    applyFrequency(c);
    if (!c.buffer) return -430;
    c.buffer->setCurrentPosition(0);
    if (!c.buffer->play(true)) return -440;
    c.pausedAt = 0;
    return 0;
}

template <typename F>
int forTree(SoundNode& node, F&& step) {
    if (int rc = step(node); rc < 0) return rc;
    for (auto& child : node.children)
        if (int rc = forTree(*child, step); rc < 0) return rc;
    return 0;
}

void finishFade(SoundNode& node) {
    SoundChannel& c = node.channel;
    c.fadeDoneAt = 0;
    if (c.state == ChannelState::FadingIn) {
        c.state = ChannelState::Playing;
        return;
    }
    c.volume = kFullVolume;
    c.fadeFrom = 0;
    c.fadeTo = c.previousTarget = kFullVolume;
    releaseChannel(c);
}

int fade(SoundNode& node, uint32_t now) {
    SoundChannel& c = node.channel;
    if (c.state != ChannelState::FadingIn && c.state != ChannelState::FadingOut) return 0;
    if (silencedForQuit(node)) return 0;
    if (c.paused || sound().allPaused) {
        // The fade's clock stands still while paused.
        c.fadeStart += now - c.pausedAt;
        c.pausedAt = now;
        return 0;
    }
    const int32_t elapsed = int32_t(now - c.fadeStart);
    if (c.state == ChannelState::FadingOut || elapsed >= 0) {
        int64_t level = c.fadeFrom + (int64_t(elapsed) * c.fadeRate) / 1024;
        if ((c.fadeRate < 0 && level <= c.fadeTo) || (c.fadeRate >= 0 && level >= c.fadeTo)) {
            level = c.fadeTo;
            c.fadeDoneAt = now ? now : 1;
        }
        applyVolume(node, int(level));
        c.volume = int32_t(level);
    } else {
        applyVolume(node, kQuietLevel);
    }
    if (c.fadeDoneAt) finishFade(node);
    return 0;
}

bool streaming(const SoundChannel& c) { return isPlaying(c) && c.pausedAt == 0 && !sound().allPaused; }

int monitorEnd(SoundNode& node) {
    SoundChannel& c = node.channel;
    if (silencedForQuit(node)) return 0;
    if (!streaming(c)) return 0;
    if (!c.buffer) return -310;
    uint32_t delta = 0;
    if (!cursorAdvance(c, delta)) return -320;
    const int64_t p = c.playedBytes + delta;
    const int64_t elapsed = playedMs(c, p);
    if (elapsed < c.endMs) {
        c.playedBytes = p;
        return 0;
    }
    if (c.playsDone + 1 != c.playCount) {
        ++c.playsDone;
        c.playedBytes = int64_t(c.loopStartMs) * c.bytesPerSecond / 1000;
        return 0;
    }
    // The last play-through ended.
    c.playCount = c.playsDone = 0;
    c.playedBytes = 0;
    releaseChannel(c);
    return 0;
}

int refill(SoundNode& node) {
    SoundChannel& c = node.channel;
    if (silencedForQuit(node)) return 0;
    if (!streaming(c)) return 0;
    if (!c.buffer) return -330;
    uint32_t play = 0, write = 0;
    if (!c.buffer->currentPosition(play, write)) return -340;
    const uint32_t half = c.bufferBytes / 2;
    if (c.lastFilledHalf == 1 && write < half) {
        c.lastFilledHalf = 2;
        c.writeHalfOffset = half;
    } else if (c.lastFilledHalf == 2 && write > half) {
        c.lastFilledHalf = 1;
        c.writeHalfOffset = 0;
    } else {
        return 0;
    }
    return fillHalf(c);
}

// Step 2: everything pauses while the engine is in the background, unless
// the game asked to keep running there.
int backgroundPause(SoundNode& root, uint32_t now) {
    Sound& s = sound();
    const bool keepRunning = scriptState().runInBackground;
    const bool active = s.mainWindowActive;
    if (!keepRunning) {
        if (s.suspended) {
            s.allPaused = true;
            return pauseTree(root, now);
        }
        if (!active && !s.allPaused) {
            s.allPaused = true;
            return pauseTree(root, now);
        }
        if (active && s.allPaused) {
            s.allPaused = false;
            return resumeTree(root, now);
        }
        return 0;
    }
    if (s.suspended && !s.allPaused) {
        s.allPaused = true;
        return pauseTree(root, now);
    }
    if (!s.suspended && s.allPaused) {
        s.allPaused = false;
        return resumeTree(root, now);
    }
    return 0;
}

int takeRequests(uint32_t now) {
    SoundRequestQueue& q = sound().requests;
    while (!q.empty()) {
        SoundRequest& r = q.slots[q.readIndex];
        if (r.node) {
            const int rc = runSoundRequest(r, now);
            if (rc < 0) return rc;
            if (rc == 0) return 0;
        }
        r.done = 1;
        q.readIndex = (q.readIndex + 1) % kSoundRingSlots;
    }
    return 0;
}

}  // namespace

int primeFirstHalf(SoundChannel& c) {
    c.lastPlayCursor = 0;
    c.carryBytes = 0;
    c.silenceBytes = 0;
    if (c.startMs >= c.endMs) c.startMs = 0;
    if (int rc = seekSource(c, c.startMs, false); rc < 0) return rc;
    c.playedBytes = c.decodedBytes;
    c.lastFilledHalf = 1;
    c.writeHalfOffset = 0;
    return fillHalf(c);
}

void releaseChannel(SoundChannel& c) {
    closeSource(c, true);
    c.startMs = c.loopStartMs = 0;
    c.state = ChannelState::Idle;
}

void silenceChannel(SoundNode& node, int level) {
    SoundChannel& c = node.channel;
    if (c.state == ChannelState::Idle) return;
    applyVolume(node, level);
    releaseChannel(c);
}

int pauseTree(SoundNode& node, uint32_t now) {
    return forTree(node, [&](SoundNode& n) { return pauseChannel(n, now); });
}

int resumeTree(SoundNode& node, uint32_t now) {
    return forTree(node, [&](SoundNode& n) { return resumeChannel(n, now); });
}

int runSoundCycle(uint32_t now) {
    SoundNode* root = sound().root.get();
    if (!root) return 0;
    if (int rc = backgroundPause(*root, now); rc < 0) return rc;
    if (int rc = takeRequests(now); rc < 0) return rc;
    if (int rc = forTree(*root, [&](SoundNode& n) { return fade(n, now); }); rc < 0) return rc;
    if (int rc = forTree(*root, [&](SoundNode& n) { return monitorEnd(n); }); rc < 0) return rc;
    return forTree(*root, [&](SoundNode& n) { return refill(n); });
}

}  // namespace vr
