// The sound device: an engine mixer of secondary buffers.
//
// A secondary buffer is a looping ring of PCM in its source's own format
// (1 or 2 channels, 8-bit unsigned or 16-bit signed little-endian, any
// rate).  Its play cursor is where the mixer reads; it advances with the
// device clock at the buffer's frequency.  Its write cursor stands a little
// ahead of the play cursor: the bytes between the two are already on their
// way to the device, so a writer writes at or after the write cursor.  The
// engine mixer puts it one mixing period (at the buffer's frequency) plus
// the resampler's look-ahead past the play cursor: about 12 ms with SDL's
// 512-frame period at 44100 Hz, 10 ms headless.  A stopped buffer's write
// cursor is its play cursor.  A writer locks a region of the ring and gets
// one span, or two when the region wraps past the end of the ring, writes
// into them and unlocks; the mixer reads the ring without waiting for the
// writer, so what a writer puts behind the write cursor may sound or not.
//
// Volume and pan are in hundredths of a decibel, as the engine computes
// them: volume -10000 (silence) to 0 (as recorded); pan -10000 (left only)
// to +10000 (right only), the far side attenuated by the amount.  Frequency
// is the rate in Hz the buffer is played at.
//
// The mixer resamples every playing buffer to the device rate, applies its
// gain and pan (gain changes are ramped over a mixing period, never
// stepped), sums with saturation and feeds the host's audio output.  It
// never waits on the engine's locks: a late engine never starves the device.
// The mix lines up with the play cursor: what is heard at a moment is the
// source at the play cursor of that moment (the resampler reads ahead of the
// cursor instead of lagging behind it).
#pragma once

#include <cstdint>
#include <memory>

namespace vr::platform {

struct PcmFormat {
    uint16_t channels = 2;        // 1 or 2
    uint16_t bitsPerSample = 16;  // 8 (unsigned) or 16 (signed)
    uint32_t sampleRate = 44100;  // frames per second
    uint16_t blockAlign() const { return uint16_t(channels * bitsPerSample / 8); }
    uint32_t bytesPerSecond() const { return sampleRate * blockAlign(); }
};

struct SoundSpan {
    uint8_t* data = nullptr;
    uint32_t bytes = 0;
};

constexpr int32_t kSilentVolume = -10000;
constexpr int32_t kPanLeft = -10000;
constexpr int32_t kPanRight = 10000;

// A buffer takes 8-bit unsigned or 16-bit signed PCM in one or two
// channels, at a rate (and later a frequency) in this range.
constexpr uint32_t kMinSourceRate = 100;
constexpr uint32_t kMaxSourceRate = 200000;
inline bool bufferTakes(uint32_t channels, uint32_t bitsPerSample, uint32_t sampleRate) {
    return (channels == 1 || channels == 2) && (bitsPerSample == 8 || bitsPerSample == 16) &&
           sampleRate >= kMinSourceRate && sampleRate <= kMaxSourceRate;
}

class SoundBuffer {
public:
    virtual ~SoundBuffer() = default;
    virtual uint32_t size() const = 0;
    virtual const PcmFormat& format() const = 0;

    // Starts playing from the play cursor; `looping` wraps at the end of the
    // ring (the engine always loops), else the buffer stops there.
    virtual bool play(bool looping) = 0;
    // Stops where it is; the play cursor stays.
    virtual void stop() = 0;
    virtual bool playing() const = 0;

    // Byte offsets into the ring, each a whole frame.
    virtual bool currentPosition(uint32_t& playCursor, uint32_t& writeCursor) const = 0;
    virtual bool setCurrentPosition(uint32_t playCursor) = 0;

    // A region of `bytes` from `offset` (offset < size, bytes <= size).
    virtual bool lock(uint32_t offset, uint32_t bytes, SoundSpan& first, SoundSpan& second) = 0;
    virtual bool unlock(const SoundSpan& first, const SoundSpan& second) = 0;

    virtual bool setVolume(int32_t hundredthsOfDecibel) = 0;  // clamped to -10000..0
    virtual bool setPan(int32_t hundredthsOfDecibel) = 0;     // clamped to -10000..10000
    // 100..200000 (clamped); 0 is the format's own rate.
    virtual bool setFrequency(uint32_t hertz) = 0;
};

class SoundDevice {
public:
    virtual ~SoundDevice() = default;
    // A silent, stopped buffer with the play cursor at 0; null when the
    // format or size is unusable.
    virtual std::unique_ptr<SoundBuffer> createBuffer(const PcmFormat& format, uint32_t bytes) = 0;
    // The device's own rate (the headless device mixes at 44100 Hz).
    virtual uint32_t outputRate() const = 0;
    // A device on a virtual clock mixes everything up to this time of the
    // clock (milliseconds); a device on a real clock mixes as the host asks
    // and ignores this.
    virtual void advanceTo(uint64_t millis) { (void)millis; }
    // The run's first frame starts now: a device that records its mix (the
    // headless one with --audio-out) starts the recording here, so that
    // sample n is the sound n / rate seconds after this moment.  Without a
    // mark the recording starts when the device opens.
    virtual void markStart() {}
};

}  // namespace vr::platform
