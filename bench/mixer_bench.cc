// The engine mixer alone: 16 looping stereo 16-bit buffers mixed for 60 s
// of audio at 44100 Hz in SDL-sized periods of 512 frames, as a scene full
// of music, voices and effects would keep it busy.  The argument is how
// many of the 16 play at another rate than the device's (alternately 48000
// and 22050 Hz), so that the resampler converts instead of only filtering.
// One buffer fades all the time, so gain ramps run too.
//
// core_% is the share of one core the mixer takes in real time: its CPU
// time over the 60 s it mixed.
#include <benchmark/benchmark.h>
#include <time.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "bench_clock.h"
#include "platform/audio/mixer.h"

namespace {

using vr::platform::PcmFormat;
using vr::platform::SoundBuffer;
using vr::platform::SoundSpan;

constexpr uint32_t kOutputRate = 44100;
constexpr uint32_t kPeriod = 512;
constexpr int kVoices = 16;
constexpr int kSeconds = 60;

double threadSeconds() { return vr::bench::clockSeconds(CLOCK_THREAD_CPUTIME_ID); }

// Two seconds of a chord with some noise, so that no voice is trivially
// quiet or periodic.
void fill(SoundBuffer& buffer, uint32_t rate, int seed) {
    std::mt19937 rng{uint32_t(seed)};
    std::uniform_real_distribution<double> noise(-1500, 1500);
    SoundSpan first, second;
    if (!buffer.lock(0, buffer.size(), first, second)) return;
    auto* samples = reinterpret_cast<int16_t*>(first.data);
    for (uint32_t i = 0; i < first.bytes / 4; ++i) {
        double t = double(i) / rate;
        double v = 4000 * std::sin(6.2832 * (220 + 20 * seed) * t) + 3000 * std::sin(6.2832 * 331 * t) + noise(rng);
        samples[2 * i] = int16_t(v);
        samples[2 * i + 1] = int16_t(-v);
    }
    buffer.unlock(first, second);
}

void BM_Mixer16Voices(benchmark::State& state) {
    const int resampled = int(state.range(0));
    vr::platform::audio::Mixer mixer(kOutputRate, kPeriod);
    std::vector<std::unique_ptr<SoundBuffer>> voices;
    for (int v = 0; v < kVoices; ++v) {
        PcmFormat f;
        f.sampleRate = v < resampled ? (v % 2 ? 22050 : 48000) : kOutputRate;
        voices.push_back(mixer.createBuffer(f, f.bytesPerSecond() * 2));
        fill(*voices.back(), f.sampleRate, v);
        voices.back()->setVolume(-300 * (v % 4));
        voices.back()->setPan(-2000 + 250 * v);
        voices.back()->play(true);
    }
    std::vector<int16_t> out(kPeriod * 2);
    const uint32_t periods = kOutputRate * kSeconds / kPeriod;
    double cpu = 0;
    for (auto _ : state) {
        double start = threadSeconds();
        for (uint32_t p = 0; p < periods; ++p) {
            // A fade as the sound thread drives one: a new volume every 20 ms.
            if (p % 2 == 0) voices[0]->setVolume(-int32_t(p % 2000));
            mixer.mix(out.data(), kPeriod);
        }
        benchmark::DoNotOptimize(out.data());
        cpu += threadSeconds() - start;
    }
    state.counters["core_%"] = 100 * cpu / double(state.iterations()) / kSeconds;
    state.counters["audio_s/cpu_s"] = kSeconds * double(state.iterations()) / cpu;
}
BENCHMARK(BM_Mixer16Voices)->Arg(4)->Arg(16)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
