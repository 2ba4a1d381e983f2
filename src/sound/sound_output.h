// What a channel's levels become on its buffer: volume, pan and frequency in
// the units of the sound device, and a node's volume scaled by the group
// nodes above it.
#pragma once

#include <cstdint>

#include "sound/sound_tree.h"

namespace vr {

// Volume level 0..256 in hundredths of a decibel: 256 -> 0, 128 -> -1204,
// 2 -> -8428, 0 -> -10000.
int32_t volumeAttenuation(int32_t level);
// Pan 0..512 (256 centre; other values count as 256) in hundredths of a
// decibel: 0 -> -10000 (left only), 512 -> +10000 (right only).
int32_t panAttenuation(int32_t pan);
// Frequency 0..512 (256 = the sound's own rate; other values count as 256)
// as the rate the buffer plays at: 0 -> half the rate, 512 -> one and a half.
uint32_t playbackRate(int32_t frequency, uint32_t sampleRate);

// The node's own volume (0 unless audible), scaled by each group above it.
int effectiveVolume(const SoundNode& node);
// Sets the level on the node's buffer, scaled by a group parent; a node with
// children sets nothing on itself and applies each child's own level again.
void applyVolume(SoundNode& node, int level);
void applyPan(SoundChannel& channel);
void applyFrequency(SoundChannel& channel);

}  // namespace vr
