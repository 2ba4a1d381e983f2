// Shared by the sound source fuzz targets: the input as a sound resource in
// a channel of a fresh headless engine, opened and refilled the way the
// sound thread does it, with leading silence, an end position inside the
// sound and endless loop wraps, and a pause and resume in between.  Each
// refill's results are checked against the memory they describe.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/headless/headless.h"
#include "shell/engine.h"
#include "sound/sound_source.h"
#include "support/memory_sound_device.h"

namespace vr::fuzz {

inline void checkRefill(const SoundChannel& channel) {
    if (channel.carryBytes < 0 || channel.carryBytes > 4096) __builtin_trap();
    if (channel.format == SoundFormat::Wav && uint64_t(channel.sourcePosition) > channel.pcmBytes) __builtin_trap();
}

inline void playSound(const uint8_t* data, size_t size, SoundFormat format, const char* name) {
    platform::HeadlessPlatform host{platform::HeadlessOptions{}};
    Engine e(host);
    EngineBinding binding(e);
    e.core.loader.memoryItems[0].push_back({name, FileType::Other, std::vector<uint8_t>(data, data + size)});
    test::MemorySoundDevice device;
    SoundChannel channel;
    channel.fileName = name;
    channel.format = format;
    if (openSource(channel, &device) < 0) return;
    channel.endMs -= channel.endMs / 4;
    channel.loopStartMs = int32_t(channel.totalMs / 3);
    for (int resumed = 0; resumed < 2; ++resumed) {
        if (seekSource(channel, resumed ? channel.endMs / 2 : -37, false) < 0) return;
        channel.writeHalfOffset = 0;
        for (int i = 0; i < 3; ++i) {
            if (fillHalf(channel) < 0) return;
            checkRefill(channel);
            channel.writeHalfOffset = channel.bufferBytes / 2 - channel.writeHalfOffset;
        }
        closeSource(channel, false);
        if (reopenSource(channel, &device) < 0) return;
        channel.carryBytes = 0;
    }
}

}  // namespace vr::fuzz
