// Interpreter throughput: a compiled script run headless, without frame
// pacing, to its end in one frame.  The loop is the one below (10,000,000
// passes of an assignment, a remainder test and a conditional assignment);
// Lua54SameLoop times Debian's lua5.4 on the same loop with locals, for
// comparison.  StringConcatenation joins texts in a loop; its texts are
// longer than 15 bytes, past the small-string buffer, so that a copy of a
// text costs an allocation as it would in a game's message strings.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "catalogue.h"
#include "compiler.h"
#include "output.h"
#include "platform/headless/headless.h"
#include "shell/startup.h"

namespace {

constexpr const char* kCountingLoop =
    "global int i\nglobal int c\n*SYSTEM_START\n"
    "loop 10000000\n  i = i + 1\n  if i % 7 == 0\n    c = c + 1\n  end\nend\n"
    "EndProgram\n";

constexpr const char* kConcatenation =
    "global str s\nglobal int n\n*SYSTEM_START\n"
    "loop 1000000\n  s = \"the first part of the line, \" + str(n)\n  s += \", and the part after it\"\n  n += 1\nend\n"
    "EndProgram\n";

std::filesystem::path compileGame(const std::string& name, const std::string& source) {
    auto dir = std::filesystem::temp_directory_path() / ("virelo-bench-" + name + "-" + std::to_string(getpid()));
    vrc::Catalogue catalogue;
    std::string error;
    vrc::loadCatalogue(vrc::embeddedCommands(), vrc::embeddedErrors(), vrc::embeddedErrno(), catalogue, error);
    vrc::Diagnostics diagnostics;
    std::vector<vrc::SourceText> sources{vrc::readSource("main.vrs", source, diagnostics)};
    vrc::CompiledGame game;
    if (!vrc::compileGame(sources, catalogue, game, diagnostics)) return {};
    if (!vrc::writeFolder(vrc::compiledFiles(game, catalogue), dir.string(), error)) return {};
    return dir;
}

void runToEnd(benchmark::State& state, const char* name, const char* source) {
    auto runtime = std::filesystem::temp_directory_path() / "virelo-bench-runtime";
    setenv("VIRELO_RUNTIME_DIR", runtime.c_str(), 1);
    std::filesystem::path game = compileGame(name, source);
    if (game.empty()) {
        state.SkipWithError("the benchmark script does not compile");
        return;
    }
    for (auto _ : state) {
        vr::platform::HeadlessPlatform host{vr::platform::HeadlessOptions{}};
        vr::RunOptions options;
        options.programName = "virelo";
        options.gameFolder = game.string();
        options.frameLimit = 2;
        if (vr::runProgram(host, options) != 0) state.SkipWithError("the game did not run");
    }
    std::filesystem::remove_all(game);
}

void CountingLoopTenMillion(benchmark::State& state) { runToEnd(state, "loop", kCountingLoop); }
BENCHMARK(CountingLoopTenMillion)->Unit(benchmark::kMillisecond)->Iterations(3);

void StringConcatenationMillion(benchmark::State& state) { runToEnd(state, "concat", kConcatenation); }
BENCHMARK(StringConcatenationMillion)->Unit(benchmark::kMillisecond)->Iterations(3);

void Lua54SameLoop(benchmark::State& state) {
    if (std::system("command -v lua5.4 >/dev/null 2>&1") != 0) {
        state.SkipWithError("lua5.4 is not installed");
        return;
    }
    for (auto _ : state) {
        int rc = std::system(
            "lua5.4 -e 'local i, c = 0, 0 for n = 1, 10000000 do i = i + 1 if i % 7 == 0 then c = c + 1 end end'");
        if (rc != 0) state.SkipWithError("lua5.4 failed");
    }
}
BENCHMARK(Lua54SameLoop)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace
