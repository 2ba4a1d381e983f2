// The shell's own state: frame pacing, the frame thread, the instance
// channel and the limits of a headless run.  What other layers read of the
// run lives in core's RunState.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/archive/packed_images.h"
#include "core/archive/loader.h"
#include "platform/platform.h"
#include "shell/modal_box.h"

namespace vr {

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

// Development mode's reload: F5 or a saved source recompiles the game
// through the compiler link and starts it again from its start label in a
// fresh engine (runProgram makes it), keeping the compiled files handed over.
struct ReloadState {
    bool available = false;        // the game came from the development compiler
    std::atomic<bool> wanted{false};  // F5 was pressed (on the thread that takes events)
    uint64_t askedAt = 0;          // host clock of the wish, for the reload's time
    std::unique_ptr<platform::FolderWatch> watch;
    uint64_t changedAt = 0;        // host clock of the last source change not acted on
    // Passed to the next engine.
    bool pending = false;
    std::vector<HandOverItem> items;
    std::string dataFolder;
    uint64_t framesRun = 0;
    // The main window goes on showing the game over the reload; the fresh
    // engine takes it instead of making one.
    platform::WindowId keptWindow = platform::kNoWindow;
    bool timing = false;  // the first frame after a reload reports its time
};

struct ShellState {
    bool frameSuspended = false;
    bool restartRequested = false;
    bool skipNextFrame = false;
    std::string instanceName;  // names the per-folder guard

    int fps = 60;
    int frameSkipAllowed = 1;

    FramePacer pacer;
    bool tablesInitialised = false;

    // Threads.
    bool frameThreadStarted = false, frameThreadFinished = true;
    platform::Thread frameThread;
    std::unique_ptr<platform::InstanceChannel> instanceChannel;

    // The headless run's frame limit (0 = none) and frames run so far.
    uint64_t frameLimit = 0;
    uint64_t framesRun = 0;
    std::function<void(uint64_t frame)> afterFrame;
    std::string dumpVarsFile;  // host path; the user variables are written there at shutdown
    int exitCode = 0;

    // The one packed image file loaded (count 0: none) and its name.
    packed::PackedImages packedImages;
    std::string packedImageName;
    ReloadState reload;
    // Held while the error dialog is shown.
    std::optional<ModalBox> errorDialogHold;
};

}  // namespace vr
