// The source side of a channel: its file in memory, opened as Ogg Vorbis or
// PCM WAV, positioned in milliseconds, and decoded one half of the buffer
// (one second) at a time.  Every function returns 0 or a negative code of
// the sound thread's failure table.
#pragma once

#include <cstdint>

#include "platform/sound_device.h"
#include "sound/sound_channel.h"

namespace vr {

// Loads the file (or the built-in silent clip) and, with a device, opens it
// and creates the channel's buffer.  Without a device nothing is opened.
int openSource(SoundChannel& channel, platform::SoundDevice* device);
// The same opening on the file already in memory (resuming after a pause).
int reopenSource(SoundChannel& channel, platform::SoundDevice* device);
// Positions the source for playing from `ms` (negative: leading silence).
int seekSource(SoundChannel& channel, int32_t ms, bool inLoopWrap);
// Decodes one half and writes it into the buffer at writeHalfOffset.
int fillHalf(SoundChannel& channel);
// Stops and frees the buffer and the decoding memory; with `keepFile` the
// file stays in memory (a pause).
void closeSource(SoundChannel& channel, bool keepFile);

}  // namespace vr
