// The core layer's state: the facts of the run every layer reads (folders,
// screen, settings, the quit flag), the engine files, the error reporter,
// the debug log, the worker pool, the pack index, the resource loader and
// the window objects.  Everything above reaches it through core(); the
// shell's Engine owns it and binds it.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "common/bound_record.h"
#include "core/archive/loader.h"
#include "core/archive/pack_index.h"
#include "core/debug_log.h"
#include "core/engine_files.h"
#include "core/error_report.h"
#include "core/window_object.h"
#include "core/workers.h"
#include "platform/platform.h"

namespace vr {

// vrcfg.dat: 32 words written by the settings tool.  A flag takes a word's
// value only when the word is exactly 0 or 1.
struct Settings {
    std::array<uint32_t, 32> words{};
    bool present = false;
    bool movieFlag = true;         // word 0
    bool kernelSet1 = true;        // word 2
    bool kernelSet2 = true;        // word 3
    bool multipleWorkers = true;   // word 4 (0 limits the pool to one worker)
    bool createDirectDraw = false; // word 5
};

// What start-up learnt about the host and the game, and the flags of the
// run that every layer polls.
struct RunState {
    // Written by one thread and polled by others.
    std::atomic<bool> running{true};
    std::atomic<bool> quitRequested{false};
    std::atomic<bool> closePosted{false};  // requestQuit's close message to the main window
    uint64_t frameCounter = 0;
    bool runAgain = false;  // a script pass asked for another pass this frame
    bool frameThreadMode = false;

    std::string exePath;       // host path of the executable
    std::string exeFolder;     // the game folder, host path, ending in '/'
    std::string appDataFolder, documentsFolder;
    std::array<std::string, 9> arguments;
    int argumentCount = 0;

    uint8_t osCode = 255;
    int processorCount = 1;
    int screenWidth = 0, screenHeight = 0, screenBitsPerPixel = 32, screenRefresh = -1;
    bool windowEqualsScreen = false;
    bool folderReadOnly = false;
    bool packedMode = false;
    bool appendedMode = false;
    uint32_t appendedBase = 0;
    bool screenSaverMode = false;
    uint32_t builtSize = 0;

    Settings settings;
    platform::LocalTime startTime;
    uint32_t randomSeedClock = 0, randomSeedCalendar = 0;
    std::array<uint8_t, 4> scriptKey{};

    // Guards the running and finished marks of the sound and frame threads
    // and the debug log.
    std::unique_ptr<platform::EngineLock> lock = std::make_unique<platform::EngineLock>();
};

struct Core {
    explicit Core(platform::Platform& host) : platform(host) {}
    Core(const Core&) = delete;
    Core& operator=(const Core&) = delete;

    platform::Platform& platform;  // not owned
    RunState run;
    ErrorState errors;
    DebugLogState debugLog;
    EngineFiles files;
    LoaderState loader;
    PackIndex packs;
    WorkerPool workers;
    std::array<WindowObject, kWindowCount> windows;
};

// The core the engine works on; the shell binds it with the rest of the
// engine.
inline Core& core() { return boundRecord<Core>(); }

}  // namespace vr
