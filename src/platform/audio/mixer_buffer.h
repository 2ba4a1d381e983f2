// One secondary buffer of the engine mixer: the ring, its cursors and play
// state, and the voice that turns it into the device's stereo at the
// device's rate.
//
// Threads: the sound thread drives the buffer (play, stop, cursors, lock,
// volume, pan, frequency); the mixer reads it on the audio thread.  Both take
// the buffer's own mutex, each for a few microseconds: the sound thread only
// for its bookkeeping, the mixer for one block of this voice.  The ring's
// bytes are read by the mixer without the writer's help: a writer writes
// between lock() and unlock() outside the mutex, ahead of the write cursor,
// and unlock() publishes what it wrote to the next mix.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/audio/gain.h"
#include "platform/sound_device.h"

struct SpeexResamplerState_;

namespace vr::platform::audio {

class MixerCore;

// The mixer's work areas, reused for every voice and block so that the
// audio thread never allocates.
struct MixScratch {
    static constexpr uint32_t kBlockFrames = 1024;  // the most one mixInto() call adds
    static constexpr uint32_t kInputFrames = 4096;
    std::vector<float> input = std::vector<float>(kInputFrames * 2);   // source frames as float
    std::vector<float> output = std::vector<float>(kBlockFrames * 2);  // resampled frames
};

class MixerBuffer final : public SoundBuffer {
public:
    // `ring` holds `frames` whole frames of `format`; the resampler converts
    // from the format's rate to the device's.
    MixerBuffer(std::shared_ptr<MixerCore> core, const PcmFormat& format, uint32_t frames,
                std::unique_ptr<uint8_t[]> ring, SpeexResamplerState_* resampler);
    ~MixerBuffer() override;

    uint32_t size() const override { return frames_ * format_.blockAlign(); }
    const PcmFormat& format() const override { return format_; }
    bool play(bool looping) override;
    void stop() override;
    bool playing() const override;
    bool currentPosition(uint32_t& playCursor, uint32_t& writeCursor) const override;
    bool setCurrentPosition(uint32_t playCursor) override;
    bool lock(uint32_t offset, uint32_t bytes, SoundSpan& first, SoundSpan& second) override;
    bool unlock(const SoundSpan& first, const SoundSpan& second) override;
    bool setVolume(int32_t hundredthsOfDecibel) override;
    bool setPan(int32_t hundredthsOfDecibel) override;
    bool setFrequency(uint32_t hertz) override;

    // On the mixer's thread: adds the next `frames` frames of this buffer to
    // `mix` (stereo, interleaved, in 16-bit units).  frames <=
    // MixScratch::kBlockFrames.
    void mixInto(float* mix, uint32_t frames, MixScratch& scratch);

private:
    uint32_t playFrame() const;  // under mutex_
    void restartResampler();     // under mutex_: the next mix starts at readFrame_
    // Under mutex_: the frames from readFrame_ up to the write cursor are
    // copied out of the ring as the cursor passes them, as a device commits
    // what lies before its write cursor; a writer may then write anywhere
    // from the play cursor on without racing the mix.
    uint32_t writeLead() const;
    void commitAhead(uint32_t frames);
    void setTarget();            // under mutex_: the gains volume_ and pan_ ask for
    uint32_t convert(uint32_t from, uint32_t count, float* to) const;
    void addWithGain(const float* source, uint32_t frames, float* mix);

    std::shared_ptr<MixerCore> core_;
    const PcmFormat format_;
    const uint32_t frames_;
    std::unique_ptr<uint8_t[]> ring_;
    std::unique_ptr<uint8_t[]> committed_;  // the mix reads from here
    uint32_t committedFrames_ = 0;          // from readFrame_ on
    SpeexResamplerState_* resampler_;

    mutable std::mutex mutex_;
    bool playing_ = false;
    bool looping_ = false;
    // The next frame the resampler takes.  The play cursor trails it by the
    // frames the resampler holds for its look-ahead: fed_ since the last
    // restart, at most latency_.
    uint32_t readFrame_ = 0;
    uint32_t fed_ = 0;
    uint32_t latency_ = 0;
    uint32_t tailFrames_ = 0;  // silence fed past the end of a buffer that does not loop
    uint32_t frequency_;
    int32_t volume_ = 0;
    int32_t pan_ = 0;
    int locks_ = 0;

    // Gains: `target_` as set, `gain_` as applied to the last frame mixed.
    // A change is ramped linearly over one mixing period.
    StereoGain target_;
    StereoGain gain_;
    StereoGain rampTo_;
    StereoGain step_{0.0f, 0.0f};
    uint32_t rampLeft_ = 0;
};

}  // namespace vr::platform::audio
