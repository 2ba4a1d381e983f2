// Start-up of a small game to its first frame, on the headless platform:
// guards, settings, the compiled files, the window, the workers, one frame,
// and shutdown.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

#include "platform/headless/headless.h"
#include "shell/startup.h"

static void StartupToFirstFrame(benchmark::State& state) {
    auto runtime = std::filesystem::temp_directory_path() / "virelo-bench-runtime";
    setenv("VIRELO_RUNTIME_DIR", runtime.c_str(), 1);
    for (auto _ : state) {
        vr::platform::HeadlessPlatform host{vr::platform::HeadlessOptions{}};
        vr::RunOptions options;
        options.programName = "virelo";
        options.gameFolder = VIRELO_DEMO_DIR;
        options.frameLimit = 1;
        int rc = vr::runProgram(host, options);
        if (rc != 0) state.SkipWithError("the demo did not start");
    }
}
BENCHMARK(StartupToFirstFrame)->Unit(benchmark::kMillisecond);
