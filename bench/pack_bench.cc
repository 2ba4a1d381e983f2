// The pack index of a large game (100,000 members in 100 archives) and
// reading members from it.  For comparison, ReadEntryTablesOnly reads the
// same entry tables as plain files would be read, which is the floor of what
// building the index can cost.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "core/archive/loader.h"
#include "core/archive/pack_index.h"
#include "core/archive/pack_writer.h"
#include "shell/engine.h"
#include "support/headless_engine.h"

namespace {

constexpr int kArchives = 100;
constexpr int kPerArchive = 1000;

std::string memberName(int archive, int member) {
    return "cg\\ev" + std::to_string(archive) + "\\" + std::to_string(member) + ".png";
}

// The archives are made once per run, in a folder of their own.
const std::filesystem::path& gameFolder() {
    static std::filesystem::path folder = [] {
        auto dir = std::filesystem::temp_directory_path() / ("virelo-pack-bench-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir / "pac");
        for (int a = 0; a < kArchives; ++a) {
            std::vector<vr::pack::MemberInput> members;
            for (int m = 0; m < kPerArchive; ++m) {
                std::string content = "member " + std::to_string(m) + " of archive " + std::to_string(a);
                content.resize(200 + size_t(m % 7) * 300, char('a' + m % 26));
                members.push_back({memberName(a, m), {content.begin(), content.end()}});
            }
            auto out = vr::pack::writeArchive(std::move(members), {});
            std::ofstream(dir / "pac" / ("data" + std::to_string(a) + ".vpf"), std::ios::binary)
                .write(reinterpret_cast<const char*>(out.bytes.data()), std::streamsize(out.bytes.size()));
        }
        std::atexit([] { std::filesystem::remove_all(folder); });
        return dir;
    }();
    return folder;
}

void BuildIndex100kMembers(benchmark::State& state) {
    std::filesystem::current_path(gameFolder());
    for (auto _ : state) {
        vr::test::HeadlessEngine b;
        if (!vr::buildPackIndex()) state.SkipWithError("index not built");
        benchmark::DoNotOptimize(b.e.core.packs.hashes.data());
    }
}
BENCHMARK(BuildIndex100kMembers)->Unit(benchmark::kMillisecond);

void ReadEntryTablesOnly(benchmark::State& state) {
    std::filesystem::current_path(gameFolder());
    std::vector<char> buffer;
    for (auto _ : state) {
        for (int a = 0; a < kArchives; ++a) {
            std::ifstream in("pac/data" + std::to_string(a) + ".vpf", std::ios::binary);
            char header[32];
            in.read(header, 32);
            uint32_t tableSize;
            std::memcpy(&tableSize, header + 12, 4);
            buffer.resize(tableSize);
            in.read(buffer.data(), tableSize);
            benchmark::DoNotOptimize(buffer.data());
        }
    }
}
BENCHMARK(ReadEntryTablesOnly)->Unit(benchmark::kMillisecond);

void ReadMembers(benchmark::State& state) {
    std::filesystem::current_path(gameFolder());
    vr::test::HeadlessEngine b;
    if (!vr::buildPackIndex()) state.SkipWithError("index not built");
    int i = 0;
    for (auto _ : state) {
        vr::FileRequest r;
        int a = (i * 37) % kArchives, m = (i * 101) % kPerArchive;
        if (vr::loadFile(r, memberName(a, m), true, true) != 0) state.SkipWithError("member not read");
        benchmark::DoNotOptimize(r.data.data());
        ++i;
    }
}
BENCHMARK(ReadMembers)->Unit(benchmark::kMicrosecond);

}  // namespace
