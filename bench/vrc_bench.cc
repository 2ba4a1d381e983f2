// Compiling a large game: 100,000 lines of script in 20 files, with text,
// assignments, conditions, loops, calls and commands in the mix a real game
// has, through to the bytes of every compiled file.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <vector>

#include "catalogue.h"
#include "compiler.h"
#include "output.h"
#include "platform/platform.h"

namespace {

constexpr int kFiles = 20;
constexpr int kLinesPerFile = 5000;

// Shift_JIS sources, which vrc takes as they are: no UTF-8 conversion in the
// measure.
std::string sjis(const char8_t* utf8) { return vr::platform::utf8ToSjis(reinterpret_cast<const char*>(utf8)); }

std::vector<std::pair<std::string, std::string>> gameSources() {
    std::vector<std::pair<std::string, std::string>> files;
    for (int f = 0; f < kFiles; ++f) {
        std::string s;
        if (f == 0) s += sjis(u8"global int score = 0\nglobal str name = \"あなた\"\nglobal int flags[100]\n");
        s += "local int counter" + std::to_string(f) + " = 0\n";
        int line = 0;
        for (int scene = 0; line < kLinesPerFile; ++scene) {
            std::string label = "scene" + std::to_string(f) + "_" + std::to_string(scene);
            s += "*" + label + "\n";
            s += "  ObjectSet path=\"W0/bg\" width=800 height=600 order=1 image=\"bg/room" + std::to_string(scene % 7) + "\"\n";
            s += sjis(u8"  「おはよう、{name}。今日は") + std::to_string(scene) + sjis(u8"日目だ」\n");
            s += sjis(u8"  窓の外では雨が降っている。\n\n");
            s += "  score += " + std::to_string(scene % 5) + "\n";
            s += "  if score > 10 && flags[" + std::to_string(scene % 100) + "] == 0\n";
            s += "    flags[" + std::to_string(scene % 100) + "] = 1\n";
            s += "    call *" + label + "_bonus(score * 2, \"x\")\n";
            s += "  elif score > 5\n";
            s += "    score -= 1\n";
            s += "  end\n";
            s += "  loop 3\n    wait 1\n  end\n";
            s += "  goto *" + label + "_next\n";
            s += "*" + label + "_bonus\n  return param.int[1] + 1\n";
            s += "*" + label + "_next\n";
            line += 18;
        }
        files.push_back({"scene" + std::to_string(100 + f) + ".vrs", s});
    }
    return files;
}

void CompileHundredThousandLines(benchmark::State& state) {
    vrc::Catalogue catalogue;
    std::string error;
    vrc::loadCatalogue(vrc::embeddedCommands(), vrc::embeddedErrors(), vrc::embeddedErrno(), catalogue, error);
    auto files = gameSources();
    size_t lines = 0;
    for (const auto& [name, text] : files) lines += size_t(std::count(text.begin(), text.end(), '\n'));
    for (auto _ : state) {
        vrc::Diagnostics diagnostics;
        std::vector<vrc::SourceText> sources;
        for (const auto& [name, text] : files) sources.push_back(vrc::readSource(name, text, diagnostics));
        vrc::CompiledGame game;
        if (!vrc::compileGame(sources, catalogue, game, diagnostics)) {
            state.SkipWithError("the benchmark game does not compile");
            break;
        }
        vrc::FileSet out = vrc::compiledFiles(game, catalogue);
        benchmark::DoNotOptimize(out.size());
    }
    state.counters["lines"] = double(lines);
}
BENCHMARK(CompileHundredThousandLines)->Unit(benchmark::kMillisecond);

}  // namespace
