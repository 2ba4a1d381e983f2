#include "platform/audio/mixer_buffer.h"

#include <speex/speex_resampler.h>

#include <algorithm>
#include <cstring>
#include <functional>

#include "platform/audio/mixer.h"

namespace vr::platform::audio {
namespace {

// fed_ only matters up to the look-ahead; it stops counting long before it
// could wrap.
constexpr uint32_t kFedCap = 1u << 30;

}  // namespace

MixerBuffer::MixerBuffer(std::shared_ptr<MixerCore> core, const PcmFormat& format, uint32_t frames,
                         std::unique_ptr<uint8_t[]> ring, SpeexResamplerState_* resampler)
    : core_(std::move(core)),
      format_(format),
      frames_(frames),
      ring_(std::move(ring)),
      committed_(std::make_unique<uint8_t[]>(size_t(frames) * format.blockAlign())),
      resampler_(resampler),
      frequency_(format.sampleRate) {
    latency_ = uint32_t(speex_resampler_get_input_latency(resampler_));
    restartResampler();
    core_->add(this);
}

MixerBuffer::~MixerBuffer() {
    core_->remove(this);  // waits for a mix that is using this buffer
    speex_resampler_destroy(resampler_);
}

void MixerBuffer::restartResampler() {
    speex_resampler_reset_mem(resampler_);
    // The first frame out is the frame at readFrame_, not silence for the
    // length of the filter: the mix keeps time with the play cursor.
    speex_resampler_skip_zeros(resampler_);
    fed_ = 0;
    tailFrames_ = 0;
    committedFrames_ = 0;
}

uint32_t MixerBuffer::writeLead() const {
    uint64_t period = (uint64_t(frequency_) * core_->periodFrames + core_->outputRate - 1) / core_->outputRate;
    return uint32_t(std::min<uint64_t>(latency_ + period, frames_ - 1));
}

void MixerBuffer::commitAhead(uint32_t frames) {
    const size_t align = format_.blockAlign();
    frames = std::min(frames, frames_);
    while (committedFrames_ < frames) {
        const uint32_t at = (readFrame_ + committedFrames_) % frames_;
        const uint32_t run = std::min(frames - committedFrames_, frames_ - at);
        std::memcpy(committed_.get() + at * align, ring_.get() + at * align, run * align);
        committedFrames_ += run;
    }
}

uint32_t MixerBuffer::playFrame() const {
    int64_t pos = int64_t(readFrame_) + tailFrames_ - std::min(fed_, latency_);
    pos %= int64_t(frames_);
    return uint32_t(pos < 0 ? pos + frames_ : pos);
}

bool MixerBuffer::play(bool looping) {
    std::lock_guard<std::mutex> hold(mutex_);
    if (!playing_) {
        restartResampler();
        // A change made while the buffer was silent has nothing to ramp from.
        gain_ = rampTo_ = target_;
        rampLeft_ = 0;
    }
    playing_ = true;
    looping_ = looping;
    if (readFrame_ < frames_) commitAhead(writeLead());
    return true;
}

void MixerBuffer::stop() {
    std::lock_guard<std::mutex> hold(mutex_);
    if (!playing_) return;
    readFrame_ = playFrame();
    playing_ = false;
    restartResampler();
}

bool MixerBuffer::playing() const {
    std::lock_guard<std::mutex> hold(mutex_);
    return playing_;
}

bool MixerBuffer::currentPosition(uint32_t& playCursor, uint32_t& writeCursor) const {
    std::lock_guard<std::mutex> hold(mutex_);
    uint32_t play = playFrame();
    uint32_t write = play;
    if (playing_) write = uint32_t((play + writeLead()) % frames_);
    playCursor = play * format_.blockAlign();
    writeCursor = write * format_.blockAlign();
    return true;
}

bool MixerBuffer::setCurrentPosition(uint32_t playCursor) {
    if (playCursor >= size()) return false;
    std::lock_guard<std::mutex> hold(mutex_);
    readFrame_ = playCursor / format_.blockAlign();
    restartResampler();
    return true;
}

bool MixerBuffer::lock(uint32_t offset, uint32_t bytes, SoundSpan& first, SoundSpan& second) {
    first = second = SoundSpan{};
    const uint32_t whole = size();
    if (offset >= whole || bytes == 0 || bytes > whole) return false;
    uint32_t head = std::min(bytes, whole - offset);
    first = SoundSpan{ring_.get() + offset, head};
    if (bytes > head) second = SoundSpan{ring_.get(), bytes - head};
    std::lock_guard<std::mutex> hold(mutex_);
    ++locks_;
    return true;
}

bool MixerBuffer::unlock(const SoundSpan& first, const SoundSpan& second) {
    const auto begin = reinterpret_cast<uintptr_t>(ring_.get());
    const auto end = begin + size();
    auto inside = [&](const SoundSpan& s) {
        if (!s.data) return s.bytes == 0;
        auto at = reinterpret_cast<uintptr_t>(s.data);
        return at >= begin && at < end && s.bytes <= end - at;
    };
    if (!inside(first) || !inside(second)) return false;
    // Taking the mutex publishes the written bytes to the mixer's next block.
    std::lock_guard<std::mutex> hold(mutex_);
    if (locks_ == 0) return false;
    --locks_;
    return true;
}

void MixerBuffer::setTarget() {
    target_ = stereoGain(volume_, pan_);
    if (!playing_) {
        gain_ = rampTo_ = target_;
        rampLeft_ = 0;
    }
}

bool MixerBuffer::setVolume(int32_t hundredthsOfDecibel) {
    std::lock_guard<std::mutex> hold(mutex_);
    volume_ = std::clamp(hundredthsOfDecibel, kSilentVolume, 0);
    setTarget();
    return true;
}

bool MixerBuffer::setPan(int32_t hundredthsOfDecibel) {
    std::lock_guard<std::mutex> hold(mutex_);
    pan_ = std::clamp(hundredthsOfDecibel, kPanLeft, kPanRight);
    setTarget();
    return true;
}

bool MixerBuffer::setFrequency(uint32_t hertz) {
    if (hertz == 0) hertz = format_.sampleRate;
    hertz = std::clamp(hertz, kMinSourceRate, kMaxSourceRate);
    std::lock_guard<std::mutex> hold(mutex_);
    if (hertz == frequency_) return true;
    // The resampler keeps its history across the change, so the sound
    // bends instead of clicking.
    if (speex_resampler_set_rate(resampler_, hertz, core_->outputRate) != RESAMPLER_ERR_SUCCESS) {
        speex_resampler_set_rate(resampler_, frequency_, core_->outputRate);
        return false;
    }
    frequency_ = hertz;
    latency_ = uint32_t(speex_resampler_get_input_latency(resampler_));
    return true;
}

uint32_t MixerBuffer::convert(uint32_t from, uint32_t count, float* to) const {
    const uint8_t* p = committed_.get() + size_t(from) * format_.blockAlign();
    const uint32_t samples = count * format_.channels;
    if (format_.bitsPerSample == 16) {
        for (uint32_t i = 0; i < samples; ++i) to[i] = float(int16_t(uint16_t(p[2 * i] | p[2 * i + 1] << 8)));
    } else {
        for (uint32_t i = 0; i < samples; ++i) to[i] = float((int(p[i]) - 128) * 256);
    }
    return samples;
}

void MixerBuffer::addWithGain(const float* source, uint32_t frames, float* mix) {
    const uint32_t stride = format_.channels;  // a mono frame feeds both sides
    const uint32_t right = stride - 1;
    uint32_t i = 0;
    for (; i < frames && rampLeft_ > 0; ++i) {
        gain_.left += step_.left;
        gain_.right += step_.right;
        if (--rampLeft_ == 0) gain_ = rampTo_;
        mix[2 * i] += source[stride * i] * gain_.left;
        mix[2 * i + 1] += source[stride * i + right] * gain_.right;
    }
    if (gain_.left == 0.0f && gain_.right == 0.0f) return;
    const float left = gain_.left, rightGain = gain_.right;
    for (; i < frames; ++i) {
        mix[2 * i] += source[stride * i] * left;
        mix[2 * i + 1] += source[stride * i + right] * rightGain;
    }
}

void MixerBuffer::mixInto(float* mix, uint32_t frames, MixScratch& scratch) {
    std::lock_guard<std::mutex> hold(mutex_);
    if (!playing_) return;
    if (!(target_ == rampTo_)) {
        // A new target ramps from wherever the gain stands now, so a change
        // in the middle of a ramp bends it without a step.
        rampTo_ = target_;
        rampLeft_ = core_->periodFrames;  // at least 1, by Mixer's constructor
        step_ = {(rampTo_.left - gain_.left) / float(rampLeft_), (rampTo_.right - gain_.right) / float(rampLeft_)};
    }
    const uint32_t rate = core_->outputRate;
    uint32_t done = 0;
    while (done < frames) {
        const uint32_t want = frames - done;
        uint64_t need = (uint64_t(want) * frequency_ + rate - 1) / rate + 1;
        if (fed_ < latency_) need += latency_ - fed_;
        const bool pastEnd = readFrame_ >= frames_;  // only a buffer that does not loop gets there
        const float* in = nullptr;
        uint32_t supply;
        if (!pastEnd) {
            supply = uint32_t(std::min<uint64_t>({need, frames_ - readFrame_, MixScratch::kInputFrames}));
            commitAhead(supply);
            convert(readFrame_, supply, scratch.input.data());
            in = scratch.input.data();
        } else {
            // Silence past the end, just enough to bring the last frame out.
            uint32_t owed = std::min(fed_, latency_) - std::min(tailFrames_, std::min(fed_, latency_));
            supply = uint32_t(std::min<uint64_t>(need, owed));
        }
        spx_uint32_t inLen = supply, outLen = want;
        speex_resampler_process_interleaved_float(resampler_, in, &inLen, scratch.output.data(), &outLen);
        if (pastEnd) {
            tailFrames_ += inLen;
        } else {
            readFrame_ += inLen;
            committedFrames_ = committedFrames_ > inLen ? committedFrames_ - inLen : 0;
            if (readFrame_ == frames_ && looping_) readFrame_ = 0;
        }
        fed_ = uint32_t(std::min<uint64_t>(uint64_t(fed_) + inLen, kFedCap));
        addWithGain(scratch.output.data(), outLen, mix + 2 * size_t(done));
        done += outLen;
        if (pastEnd && tailFrames_ >= std::min(fed_, latency_)) {
            // Played to the end: stopped, and a later play starts over.
            playing_ = false;
            readFrame_ = 0;
            restartResampler();
            return;
        }
        if (inLen == 0 && outLen == 0) break;
    }
    if (playing_ && readFrame_ < frames_) commitAhead(writeLead());
}

}  // namespace vr::platform::audio
