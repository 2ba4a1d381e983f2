// The engine mixer: every playing secondary buffer resampled to the
// device's rate, weighted by its gains, summed and saturated to 16-bit
// stereo.  A backend owns one Mixer and calls mix() whenever its device
// wants sound: SDL's audio callback, or the headless device as its clock
// moves.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/audio/mixer_buffer.h"
#include "platform/sound_device.h"

namespace vr::platform::audio {

// What the buffers share with the mixer.  Buffers hold it too, so a buffer
// that outlives its device stays usable (silent) instead of dangling.
class MixerCore {
public:
    MixerCore(uint32_t rate, uint32_t period) : outputRate(rate), periodFrames(period) {}
    const uint32_t outputRate;
    // The device's mixing period: gain ramps take this long, and a buffer's
    // write cursor stands this far (at its frequency) ahead of its play cursor.
    const uint32_t periodFrames;

    void add(MixerBuffer* buffer);
    void remove(MixerBuffer* buffer);

    // Held by the mixer for a whole mix(), by add() and remove() for a moment.
    std::mutex voicesMutex;
    std::vector<MixerBuffer*> voices;
};

class Mixer {
public:
    Mixer(uint32_t outputRate, uint32_t periodFrames);
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

    // Null when the format or size is unusable or the memory is not there.
    std::unique_ptr<SoundBuffer> createBuffer(const PcmFormat& format, uint32_t bytes);
    uint32_t outputRate() const { return core_->outputRate; }

    // Writes the next `frames` frames of the mix (stereo, interleaved).  One
    // thread at a time.
    void mix(int16_t* out, uint32_t frames);

private:
    std::shared_ptr<MixerCore> core_;
    std::vector<float> sum_;
    MixScratch scratch_;
};

}  // namespace vr::platform::audio
