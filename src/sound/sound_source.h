// The source side of a sound channel: the sound file held whole in memory,
// its PCM format and length, the secondary buffer made for it, seeking by
// milliseconds, and the production of one half of the buffer (one second of
// PCM) per refill with leading silence, the end position and loop wraps.
//
// Every function runs on the sound thread and returns 0 or a negative code
// that stops the thread (the sound thread shows it).  Two formats are read:
// RIFF WAVE holding PCM, and Ogg Vorbis with one logical stream.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/sound_device.h"
#include "sound/sound_channel.h"

namespace vr {

// Gets the file data (the built-in silent clip for a keep-alive channel,
// else the resource channel.fileName) and, when there is a device, opens it
// by channel.format: format, length, staging and carry memory, the buffer.
// Without a device (sound not available) only the data is taken.
int openSource(SoundChannel& channel, platform::SoundDevice* device);
// The same opening on the data already in memory (resume after a pause).
int reopenSource(SoundChannel& channel, platform::SoundDevice* device);
// Positions the source for playing from `ms`; a negative position adds that
// much leading silence.  `inLoopWrap` only chooses the failure code.
int seekSource(SoundChannel& channel, int32_t ms, bool inLoopWrap);
// Produces the next half in staging and writes it into the buffer at
// writeHalfOffset.
int fillHalf(SoundChannel& channel);
// Frees the buffer, staging and carry; with `releaseFile` the file data too.
void closeSource(SoundChannel& channel, bool releaseFile);

// The built-in clip of the keep-alive channel: about 10.6 ms of 16-bit
// stereo silence at 44100 Hz, 1930 bytes.
std::vector<uint8_t> silentClip();

// The codes of opening and decoding.
enum SourceCode : int {
    kSourceHeld = -1010,
    kSourceLoadFailed = -1020,
    kOggOpenFailed = -1030,
    kOggNotSeekable = -1040,
    kOggChained = -1045,
    kOggNoInfo = -1050,
    kOggCarryExists = -1060,
    kOggCarryAlloc = -1070,
    kOggStagingExists = -1080,
    kOggStagingAlloc = -1090,
    kOggBufferFailed = -1120,
    kOggSeekOpenFailed = -2010,
    kOggSeekFailed = -2020,
    kOggFillOpenFailed = -3010,
    kOggFillSeekFailed = -3020,
    kHalfWriteFailed = -3030,
    kHalfLockFailed = -3040,
    kOggLoopSeekFailed = -4030,
    kWavNotRiff = -10040,
    kWavNotWave = -10050,
    kWavNoFmt = -10060,
    kWavNoData = -10070,
    kWavAscentFailed = -10080,
    kWavWalkFailed = -10090,
    kWavNotPcm = -10200,
    kWavCarryExists = -10500,
    kWavCarryAlloc = -10510,
    kWavStagingExists = -10520,
    kWavStagingAlloc = -10530,
    kWavBufferFailed = -10560,
    kOggHole = -90001,
    kOggBadLink = -90002,
};

}  // namespace vr
