// The headless sound device: the engine mixer at 44100 Hz, run by the
// headless clock instead of a sound card.  On the virtual clock it mixes
// exactly up to each time it is advanced to, so a run's sound is the same
// every time; on the real clock a thread of its own advances it every
// 10 ms.  The mix can be recorded to a WAV file.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/audio/mixer.h"
#include "platform/audio/wav_capture.h"
#include "platform/sound_device.h"

namespace vr::platform {

class HeadlessSoundDevice final : public SoundDevice {
public:
    static constexpr uint32_t kRate = 44100;
    // The mixing period, as long as a ramp of gain takes: 10 ms.
    static constexpr uint32_t kPeriodFrames = kRate / 100;

    // `clock` is the platform's, in milliseconds; `recordTo` names a WAV
    // file for the mix (empty: none).  The device's time starts at the
    // clock's time now.
    HeadlessSoundDevice(std::function<uint64_t()> clock, bool realTime, const std::string& recordTo);
    ~HeadlessSoundDevice() override;

    std::unique_ptr<SoundBuffer> createBuffer(const PcmFormat& format, uint32_t bytes) override;
    uint32_t outputRate() const override { return kRate; }
    void advanceTo(uint64_t millis) override;
    void markStart() override;

    // Mixes up to the clock's time and closes the recording; false when the
    // recording could not be written.  The device stays usable, silently.
    bool finish();

private:
    void mixTo(uint64_t millis);  // under mutex_
    void record(const int16_t* stereo, uint32_t frames);
    void pump();

    static uint64_t framesAt(uint64_t millis) { return millis * kRate / 1000; }

    std::function<uint64_t()> clock_;
    const bool realTime_;
    audio::Mixer mixer_;
    std::mutex mutex_;
    uint64_t mixed_ = 0;       // frames mixed, from the clock's time 0
    uint64_t startFrame_ = 0;  // the first frame recorded
    bool marked_ = false;
    bool finished_ = false;
    audio::WavCapture capture_;
    bool capturing_ = false;
    bool captureOk_ = true;
    // Frames mixed before the start is marked, held back until it is, so
    // that the recording starts at the mark.
    std::vector<int16_t> early_;
    std::vector<int16_t> block_;

    std::thread pump_;
    std::condition_variable stopPump_;
    bool stopping_ = false;
};

}  // namespace vr::platform
