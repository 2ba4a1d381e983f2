// Saving and loading against their floor: a 1280 x 720 object picture and
// a 100,000-element integer array stored into a record and built into a
// save file in memory (save), read back from the file into the object or
// the array (load), beside zlib's own compress2 at level 1 and uncompress
// of the same payload bytes.  The write to disk (beside, flushed, renamed)
// is reported on its own as flush_ms.
//
// ratio_save and ratio_load are the engine's time over zlib's, both
// measured in this run.
#include <benchmark/benchmark.h>
#include <time.h>
#include <zlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "bench_clock.h"
#include "commands/save_commands.h"
#include "core/engine_files.h"
#include "graphics/object_tree.h"
#include "save/save.h"
#include "save/save_file.h"
#include "save/save_item.h"
#include "save/save_store.h"
#include "script/variables.h"
#include "support/headless_engine.h"
#include "support/temp_dir.h"

namespace {

double now() { return vr::bench::clockSeconds(CLOCK_MONOTONIC); }

constexpr int kRounds = 20;

struct Figures {
    double save = 0, load = 0, flush = 0, compress = 0, uncompress = 0;
    size_t raw = 0, packed = 0;
};

// One item `kRounds` times: into record 1, into a file in memory, to disk,
// and back; then zlib alone on the same payload.
Figures measure(const vr::ItemRef& item) {
    Figures f;
    for (int round = 0; round < kRounds; ++round) {
        double t0 = now();
        if (vr::saveToRecord(1, item) != 0) return {};
        std::vector<uint8_t> file;
        if (vr::buildSaveFile(nullptr, vr::saveState(), file) != 0) return {};
        double t1 = now();
        int error = 0;
        if (vr::writeSaveRecords("bench.sd", error) != 0) return {};
        double t2 = now();
        if (vr::loadSaveRecord("bench", 1, item) != 0) return {};
        double t3 = now();
        f.save += t1 - t0;
        f.flush += t2 - t1;
        f.load += t3 - t2;
    }
    vr::SaveItemKind kind;
    std::vector<uint8_t> payload;
    if (vr::readSaveRecord("bench.sd", 1, kind, payload) != 0) return {};
    std::vector<uint8_t> packed(compressBound(uLong(payload.size()))), back(payload.size());
    for (int round = 0; round < kRounds; ++round) {
        double t0 = now();
        uLongf n = uLongf(packed.size());
        compress2(packed.data(), &n, payload.data(), uLong(payload.size()), 1);
        double t1 = now();
        uLongf m = uLongf(back.size());
        uncompress(back.data(), &m, packed.data(), n);
        double t2 = now();
        f.compress += t1 - t0;
        f.uncompress += t2 - t1;
        f.packed = n;
    }
    f.raw = payload.size();
    return f;
}

void report(benchmark::State& state, const Figures& f) {
    const double ms = 1000.0 / kRounds;
    state.counters["save_ms"] = f.save * ms;
    state.counters["load_ms"] = f.load * ms;
    state.counters["flush_ms"] = f.flush * ms;
    state.counters["compress2_ms"] = f.compress * ms;
    state.counters["uncompress_ms"] = f.uncompress * ms;
    state.counters["ratio_save"] = f.compress > 0 ? f.save / f.compress : 0;
    state.counters["ratio_load"] = f.uncompress > 0 ? f.load / f.uncompress : 0;
    state.counters["raw_KiB"] = double(f.raw) / 1024;
    state.counters["packed_KiB"] = double(f.packed) / 1024;
}

struct SaveBench {
    vr::test::TempDir dir;
    vr::test::CurrentDir cd{dir.path()};
    vr::test::HeadlessEngine h;
    vr::SaveState records;
    SaveBench() {
        vr::bindRecord(&records);
        h.e.core.files.highestVariable = 1000;
        vr::createVariableTable();
    }
    ~SaveBench() { vr::bindRecord<vr::SaveState>(nullptr); }
};

// A picture such as a screen holds: smooth gradients with some grain.
void SaveAndLoadAScreenPicture(benchmark::State& state) {
    SaveBench b;
    vr::createLayerNode("W0", 1280, 720, 1);
    vr::ObjectNode* shot = vr::createNode("W0/shot", false, 2);
    vr::attachNewLayer(*shot);
    vr::allocateLayerPixels(*shot->layer, 1280, 720, "W0/shot");
    uint32_t grain = 1;
    for (uint32_t y = 0; y < 720; ++y) {
        uint8_t* row = shot->layer->surface.row(y);
        for (uint32_t x = 0; x < 1280; ++x) {
            grain = grain * 1664525u + 1013904223u;
            const uint32_t noise = (grain >> 29);
            row[x * 4 + 0] = uint8_t(x / 5 + noise);
            row[x * 4 + 1] = uint8_t(y / 3 + noise);
            row[x * 4 + 2] = uint8_t((x + y) / 8);
            row[x * 4 + 3] = 255;
        }
    }
    Figures f;
    for (auto _ : state) f = measure({0, 0, false, "shot"});
    report(state, f);
}
BENCHMARK(SaveAndLoadAScreenPicture)->Iterations(1)->Unit(benchmark::kMillisecond);

void SaveAndLoadAnIntegerArray(benchmark::State& state) {
    SaveBench b;
    vr::VariableShape shape{1, {100000}};
    vr::declareInteger(1000, shape, 0);
    for (int64_t i = 0; i < 100000; ++i) vr::setNumber(1000, i, (i * 7919) % 100003);
    Figures f;
    for (auto _ : state) f = measure({1000, 0, true, {}});
    report(state, f);
}
BENCHMARK(SaveAndLoadAnIntegerArray)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
