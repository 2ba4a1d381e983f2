#include "platform/audio/mixer.h"

#include <speex/speex_resampler.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace vr::platform::audio {
namespace {

// Quality 4 of 10 keeps aliasing and ripple well below what 16-bit game
// audio carries, at a filter short enough for sixteen voices in a few
// percent of one core.
constexpr int kResamplerQuality = 4;
constexpr uint32_t kMaxBytes = 0x0FFFFFFF;  // 256 MiB, as a secondary buffer may hold

}  // namespace

void MixerCore::add(MixerBuffer* buffer) {
    std::lock_guard<std::mutex> hold(voicesMutex);
    voices.push_back(buffer);
}

void MixerCore::remove(MixerBuffer* buffer) {
    std::lock_guard<std::mutex> hold(voicesMutex);
    voices.erase(std::remove(voices.begin(), voices.end(), buffer), voices.end());
}

Mixer::Mixer(uint32_t outputRate, uint32_t periodFrames)
    : core_(std::make_shared<MixerCore>(outputRate, std::max<uint32_t>(periodFrames, 1))),
      sum_(size_t(MixScratch::kBlockFrames) * 2) {}

std::unique_ptr<SoundBuffer> Mixer::createBuffer(const PcmFormat& format, uint32_t bytes) {
    if (!bufferTakes(format.channels, format.bitsPerSample, format.sampleRate)) return nullptr;
    const uint32_t align = format.blockAlign();
    if (bytes < align || bytes > kMaxBytes) return nullptr;
    const uint32_t frames = bytes / align;
    const size_t ringBytes = size_t(frames) * align;
    std::unique_ptr<uint8_t[]> ring(new (std::nothrow) uint8_t[ringBytes]);
    if (!ring) return nullptr;
    std::memset(ring.get(), format.bitsPerSample == 8 ? 0x80 : 0, ringBytes);
    int error = 0;
    SpeexResamplerState* resampler =
        speex_resampler_init(format.channels, format.sampleRate, core_->outputRate, kResamplerQuality, &error);
    if (!resampler) return nullptr;
    return std::make_unique<MixerBuffer>(core_, format, frames, std::move(ring), resampler);
}

void Mixer::mix(int16_t* out, uint32_t frames) {
    std::lock_guard<std::mutex> hold(core_->voicesMutex);
    while (frames > 0) {
        const uint32_t n = std::min(frames, MixScratch::kBlockFrames);
        std::fill_n(sum_.begin(), size_t(n) * 2, 0.0f);
        for (MixerBuffer* voice : core_->voices) voice->mixInto(sum_.data(), n, scratch_);
        for (size_t i = 0; i < size_t(n) * 2; ++i)
            out[i] = int16_t(std::lrint(std::clamp(sum_[i], -32768.0f, 32767.0f)));
        out += size_t(n) * 2;
        frames -= n;
    }
}

}  // namespace vr::platform::audio
