#include "sound/sound_output.h"

#include <algorithm>
#include <cmath>

namespace vr {

namespace {

int32_t decibelsOf(double ratio) {
    return std::clamp(int32_t(std::trunc(std::log10(ratio) * 40 * 100)), platform::kSilentVolume, 0);
}

int ownLevel(const SoundNode& node) { return node.channel.audible == 1 ? node.channel.volume : 0; }

}  // namespace

int32_t volumeAttenuation(int32_t level) {
    return level <= 0 ? platform::kSilentVolume : decibelsOf(double(level) / kFullVolume);
}

int32_t panAttenuation(int32_t pan) {
    if (pan < 0 || pan > 512) pan = kCentre;
    const bool right = pan >= 257;
    const int32_t q = right ? 512 - pan : pan;
    const int32_t far = q == 0 ? platform::kSilentVolume : decibelsOf(double(q) / kCentre);
    return right ? -far : far;
}

uint32_t playbackRate(int32_t frequency, uint32_t sampleRate) {
    if (frequency < 0 || frequency > 512) frequency = kCentre;
    return uint32_t(int64_t(sampleRate) + (int64_t(frequency - kCentre) * int64_t(sampleRate / 2)) / kCentre);
}

int effectiveVolume(const SoundNode& node) {
    const int own = ownLevel(node);
    if (node.parent && node.parent->isGroup) return own * effectiveVolume(*node.parent) / kFullVolume;
    return own;
}

void applyVolume(SoundNode& node, int level) {
    if (node.hasChildren()) {
        for (auto& child : node.children) applyVolume(*child, ownLevel(*child));
        return;
    }
    if (node.parent && node.parent->isGroup) level = level * effectiveVolume(*node.parent) / kFullVolume;
    if (node.channel.buffer) node.channel.buffer->setVolume(volumeAttenuation(level));
}

void applyPan(SoundChannel& channel) {
    if (channel.buffer) channel.buffer->setPan(panAttenuation(channel.pan));
}

void applyFrequency(SoundChannel& channel) {
    if (channel.buffer) channel.buffer->setFrequency(playbackRate(channel.frequency, channel.pcm.sampleRate));
}

}  // namespace vr
