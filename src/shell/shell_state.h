// The engine shell's state: start-up, the main loop, pacing and the workers.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

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

// The job record of a worker, filled by the composition and resampling code
// before the worker is started.
struct WorkerJob {
    int code = 0;  // 11, 21, 41, 101..104; anything else does nothing
    int firstRow = 0, rowCount = 0;
    void* context = nullptr;
};

struct Worker {
    int index = 0;
    WorkerJob job;
    platform::AutoResetEvent start{false};
    platform::AutoResetEvent idle{true};
    platform::Thread thread;
};

// Runs a worker job; the graphics subsystem installs the row-span jobs.
using WorkerJobRunner = void (*)(const WorkerJob& job);

struct FramePacer {
    uint32_t fraction = 0;        // low 16 bits of the 16.16 frame length carried on
    uint64_t lastFrame = 0;
    uint64_t frameStart = 0;
    uint64_t statsReference = 0;
    uint32_t pacedFrames = 0;     // since the statistics reference
    uint32_t presentedFrames = 0;
    uint32_t pacedPerSecond = 0;  // published once a second
    uint32_t presentedPerSecond = 0;
};

struct ShellState {
    // Written by one thread and polled by others.
    std::atomic<bool> running{true};
    std::atomic<bool> quitRequested{false};
    std::atomic<bool> closePosted{false};  // requestQuit's close message to the main window
    bool frameSuspended = false;
    bool frameThreadMode = false;
    bool restartRequested = false;
    uint64_t frameCounter = 0;
    bool skipNextFrame = false;
    bool runAgain = false;  // a script pass asked for another pass this frame

    std::string exePath;       // host path of the executable
    std::string instanceName;  // names the per-folder guard
    std::string exeFolder;     // the game folder, host path, ending in '/'
    std::string appDataFolder, documentsFolder;
    std::array<std::string, 9> arguments;
    int argumentCount = 0;

    uint8_t osCode = 255;
    int processorCount = 1;
    int workerCount = 1;
    int screenWidth = 0, screenHeight = 0, screenBitsPerPixel = 32, screenRefresh = -1;
    bool windowEqualsScreen = false;
    bool folderReadOnly = false;
    bool packedMode = false;
    bool appendedMode = false;
    uint32_t appendedBase = 0;
    bool screenSaverMode = false;
    uint32_t builtSize = 0;

    int fps = 60;
    int frameSkipAllowed = 1;
    int maxWorkers = 2;
    int minWorkers = 1;

    Settings settings;
    FramePacer pacer;
    platform::LocalTime startTime;
    uint32_t randomSeedClock = 0, randomSeedCalendar = 0;
    bool tablesInitialised = false;
    std::array<uint8_t, 4> scriptKey{};

    // Threads.
    std::unique_ptr<platform::EngineLock> lock = std::make_unique<platform::EngineLock>();
    std::vector<std::unique_ptr<Worker>> workers;
    WorkerJobRunner runJob = nullptr;
    bool soundThreadStarted = false, soundThreadFinished = true;
    bool frameThreadStarted = false, frameThreadFinished = true;
    platform::Thread frameThread;
    std::unique_ptr<platform::InstanceChannel> instanceChannel;

    // The headless run's frame limit (0 = none) and frames run so far.
    uint64_t frameLimit = 0;
    uint64_t framesRun = 0;
    std::function<void(uint64_t frame)> afterFrame;
    std::string dumpVarsFile;  // host path; the user variables are written there at shutdown
    int exitCode = 0;
};

}  // namespace vr
