// A sound channel: one sound of the sound tree, from its file in memory to
// the secondary buffer it streams through.  The sound thread alone works on
// a channel's buffer and decoder fields; the sound commands read the state
// and write the few fields they own under the sound lock.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/sound_device.h"

namespace vr {

enum class ChannelState : int8_t { Idle = 0, Loaded = 1, FadingIn = 2, Playing = 3, FadingOut = 4 };

enum class SoundFormat : uint8_t { None = 0, Ogg = 1, Wav = 2 };

constexpr int kFullVolume = 256;
// Too low to hear, yet above silence: the keep-alive sound, a fade-in
// before its start and the channels silenced at quit stand at this level.
constexpr int kQuietLevel = 2;
constexpr int kCentre = 256;  // pan and frequency

struct SoundChannel {
    std::string fileName;  // Shift_JIS resource name; empty = nothing loaded
    SoundFormat format = SoundFormat::None;
    int8_t audible = 1;
    ChannelState state = ChannelState::Idle;
    int8_t paused = 0;
    uint32_t playCount = 0;  // 0 = endlessly
    uint32_t playsDone = 0;
    uint32_t loopsLeft = 0;  // the decoder's copy of playCount, counted down at each wrap
    int64_t playedBytes = 0;  // negative while a leading silence plays
    int64_t totalMs = 0;
    int32_t startMs = 0;
    int32_t loopStartMs = 0;
    uint32_t pausedAt = 0;
    int32_t endMs = 0;
    int32_t pan = kCentre;
    int32_t frequency = kCentre;
    int32_t volume = kFullVolume;
    int32_t fadeFrom = 0;
    int32_t fadeTo = kFullVolume;
    int32_t previousTarget = kFullVolume;
    int32_t fadeMs = 0;
    int32_t fadeRate = 0;  // volume change per millisecond, times 1024
    uint32_t fadeStart = 0;
    uint32_t fadeDoneAt = 0;

    // The source and its streaming state.
    bool keepAlive = false;           // plays the built-in silent clip instead of a file
    bool hasFile = false;             // fileData holds the source (it may be empty)
    std::vector<uint8_t> fileData;
    std::vector<uint8_t> staging;     // one half plus 4096 bytes
    std::vector<uint8_t> carry;       // 4096 bytes
    uint32_t writeHalfOffset = 0;
    uint32_t lastPlayCursor = 0;
    int64_t decodedBytes = 0;        // negative while leading silence remains
    uint8_t lastFilledHalf = 1;
    int64_t sourcePosition = 0;
    int32_t carryBytes = 0;
    int64_t silenceBytes = 0;
    int64_t bytesPerSecond = 0;
    std::unique_ptr<platform::SoundBuffer> buffer;
    uint32_t readPosition = 0;        // of the in-memory reader
    uint32_t pcmOffset = 0;           // WAV: where the PCM data starts in fileData
    uint32_t pcmBytes = 0;            // WAV: its size
    uint32_t bufferBytes = 0;         // 2 x bytesPerSecond
    platform::PcmFormat pcm{0, 0, 0};  // the format the buffer is made with; zero before any
};

// How long `bytes` of the channel's PCM play, in milliseconds; 0 before a
// source is open.
inline int64_t playedMs(const SoundChannel& c, int64_t bytes) {
    return c.bytesPerSecond ? bytes * 1000 / c.bytesPerSecond : 0;
}

}  // namespace vr
