// The whole sound path of a busy scene against its floor: 16 channels of
// the demo's 44.1 kHz stereo Ogg Vorbis theme playing for 60 s of virtual
// time (the sound thread's cycles, the refills that decode, the mixer),
// beside vorbisfile alone decoding the same 16 × 60 s straight through.
//
// ratio is the sound path's CPU time over the decoding's, both measured in
// this run; core_% is the share of one core the 16-channel scene takes in
// real time.
#include <benchmark/benchmark.h>
#include <time.h>
#include <vorbis/vorbisfile.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench_clock.h"
#include "sound/sound.h"
#include "sound/sound_requests.h"
#include "sound/sound_thread.h"
#include "support/headless_sound.h"

namespace {

constexpr int kChannels = 16;
constexpr int kSeconds = 60;

double processSeconds() { return vr::bench::clockSeconds(CLOCK_PROCESS_CPUTIME_ID); }

std::vector<uint8_t> theme() {
    std::ifstream in(std::string(VIRELO_DEMO_DIR) + "/bgm/title.ogg", std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

struct Memory {
    const std::vector<uint8_t>* bytes;
    size_t at = 0;
};

size_t readMemory(void* out, size_t size, size_t count, void* source) {
    auto* m = static_cast<Memory*>(source);
    size_t n = std::min(size * count, m->bytes->size() - m->at);
    std::memcpy(out, m->bytes->data() + m->at, n);
    m->at += n;
    return n;
}

// vorbisfile alone: 16 streams of 60 s, decoded straight through (the
// 20-second theme three times each).
double decodingFloor(const std::vector<uint8_t>& ogg) {
    const double start = processSeconds();
    char pcm[4096];
    for (int c = 0; c < kChannels; ++c) {
        for (int pass = 0; pass < kSeconds / 20; ++pass) {
            Memory m{&ogg};
            OggVorbis_File vf;
            if (ov_open_callbacks(&m, &vf, nullptr, 0, {readMemory, nullptr, nullptr, nullptr}) != 0) return 0;
            int section = 0;
            while (ov_read(&vf, pcm, sizeof pcm, 0, 2, 1, &section) > 0) {
            }
            ov_clear(&vf);
        }
    }
    return processSeconds() - start;
}

double soundPath(const std::vector<uint8_t>& ogg) {
    vr::test::HeadlessEngine h;
    h.e.core.loader.memoryItems[0].push_back({"theme.ogg", vr::FileType::Ogg, ogg});
    if (!vr::test::startHeadlessSound()) return 0;
    for (int c = 0; c < kChannels; ++c) {
        vr::SoundNode& node = vr::addSoundNode(*vr::sound().root, "c" + std::to_string(c), false, 1);
        node.channel.format = vr::SoundFormat::Ogg;
        vr::enqueueSoundRequest(&node, vr::SoundRequestKind::Load, 0, "theme.ogg");
        vr::enqueueSoundRequest(&node, vr::SoundRequestKind::Play, 0);
    }
    h.host.sleep(100);  // every channel loaded and playing
    const double start = processSeconds();
    for (int ms = 0; ms < kSeconds * 1000; ms += 16) h.host.sleep(16);
    const double spent = processSeconds() - start;
    vr::test::stopHeadlessSound(h);
    return spent;
}

void SixteenOggChannelsForAMinute(benchmark::State& state) {
    const std::vector<uint8_t> ogg = theme();
    double path = 0, floor = 0;
    for (auto _ : state) {
        floor = decodingFloor(ogg);
        path = soundPath(ogg);
    }
    state.counters["path_s"] = path;
    state.counters["vorbisfile_s"] = floor;
    state.counters["ratio"] = floor > 0 ? path / floor : 0;
    state.counters["core_%"] = path / kSeconds * 100;
}
BENCHMARK(SixteenOggChannelsForAMinute)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
