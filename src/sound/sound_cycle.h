// One cycle of the sound thread and the channel operations its steps and
// the requests share.  Everything here runs under the sound lock, on the
// sound thread (or inside a virtual clock's step), and returns 0 or a
// negative code of the failure table where it can fail.
#pragma once

#include <cstdint>

#include "sound/sound_requests.h"
#include "sound/sound_tree.h"

namespace vr {

inline bool isPlaying(const SoundChannel& c) {
    return c.state == ChannelState::FadingIn || c.state == ChannelState::Playing || c.state == ChannelState::FadingOut;
}

// Stops the channel, frees its buffer and memory (the file too) and makes
// it Idle.
void releaseChannel(SoundChannel& channel);
// A sounding channel set to `level` and released: what every step does
// instead of its work once the engine is quitting (at a level too low to
// hear), and what a request does to a channel it must end at once (at 0).
void silenceChannel(SoundNode& node, int level);
// Pause and resume of a node and everything below it.
int pauseTree(SoundNode& node, uint32_t now);
int resumeTree(SoundNode& node, uint32_t now);

// The streaming positions cleared and the source positioned at startMs (the
// beginning when startMs lies at or past the end), its first half filled
// for a buffer that plays from the top: what Play and a resume share.
int primeFirstHalf(SoundChannel& channel);

// A request's work: 1 = done, 0 = not yet (taken again next cycle),
// negative = an error that stops the sound thread.
int runSoundRequest(const SoundRequest& request, uint32_t now);

// Steps 2 to 6 of a cycle at time `now`; a negative code ends the thread.
int runSoundCycle(uint32_t now);

}  // namespace vr
