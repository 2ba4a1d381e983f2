// Start-up, as a list of phases in their fixed order.
#include <algorithm>

#include "common/format_secrets.h"
#include "common/texts/engine_texts.h"
#include "core/archive/pack_index.h"
#include "core/workers.h"
#include "devtools/compiler_link.h"
#include "graphics/graphics_init.h"
#include "graphics/message/input_wait.h"
#include "graphics/text/font_list.h"
#include "script/interpreter.h"
#include "script/script_loader.h"
#include "script/system_variables.h"
#include "script/variables.h"
#include "shell/engine.h"
#include "shell/frame_thread.h"
#include "shell/later_steps.h"
#include "shell/reload.h"
#include "shell/settings.h"
#include "shell/startup.h"
#include "sound/sound_thread.h"

namespace vr {

namespace {

// A refusal the player must see before the program ends; the author who
// started the game from a terminal reads it there, and the exit status says
// the game did not run.
bool refuseWithBox(const char* text) {
    engine().shell.exitCode = 1;
    showFailureBox(text, {}, VR_TEXT_CAPTION_ERROR, true);
    return false;
}

void readSystemInformation() {
    core().run.osCode = osCodeFromBuild(-1);  // not a Windows build: no code applies
    core().run.processorCount = platform::processorCount();
    core().workers.workerCount = std::clamp(core().run.processorCount, core().workers.minWorkers, std::max(core().workers.minWorkers, core().workers.maxWorkers));
    platform::DisplayInfo d = core().platform.display();
    core().run.screenWidth = d.width;
    core().run.screenHeight = d.height;
    core().run.screenBitsPerPixel = d.bitsPerPixel;
    core().run.screenRefresh = d.refreshHz < 60 ? -1 : d.refreshHz;
}

// Tables built once per run; the compiler link may already have run this
// while it waited for the compiler.
void initialiseTablesOnce() {
    ShellState& shell = engine().shell;
    if (shell.tablesInitialised) return;
    buildBlendTables();
    enumerateFonts();
    core().run.randomSeedClock = uint32_t(core().platform.millis());
    platform::LocalTime t = core().platform.localTime();
    // A seed, not a count of seconds: the product wraps in unsigned arithmetic.
    uint32_t days = uint32_t(t.year) * 372u + uint32_t(t.month) * 31u + uint32_t(t.day);
    core().run.randomSeedCalendar = (days * 24u + uint32_t(t.hour)) * 3600u + uint32_t(t.minute) * 60u + uint32_t(t.second);
    engine().core.errors.checkSwitches.fill(1);
    shell.tablesInitialised = true;
}

// The game folder may be read-only (a disc, a system folder); scripts ask.
void probeWritableFolder() {
    platform::File probe;
    if (!probe.open("vrcfg.ini", platform::OpenMode::Write)) {
        engine().core.run.folderReadOnly = true;
        return;
    }
    probe.close();
    platform::removeFile("vrcfg.ini");
}

// Scripts: the compiled files in the order they depend on each other (the
// error texts before anything can fail in words, the table sizes before the
// tables, the variable definitions before the variables are initialised,
// the labels before the start label is looked up), then the "SYSTEM"
// thread pointed at the start label.  Stops at the first failure, which has
// been reported.
int prepareStartScript() {
    if (loadErrorMessages() < 0) return -1;
    if (loadCommandDefinitions() < 0) return -1;
    if (loadVariableTableSize() < 0) return -1;
    if (createVariableTable() < 0) return -1;
    if (loadScriptList() < 0) return -1;
    if (createScriptTable() < 0) return -1;
    if (loadVariableDefinitions() < 0) return -1;
    installVariableCreator();
    if (initialiseVariables(-1) < 0) return -1;
    if (loadLabels() < 0) return -1;
    engine().script.loopWatch = engine().core.files.config.debugMode != 0;
    // Every game defines the start label; without it there is nothing to run.
    return startMainThread();
}

// Settings: the settings file first, since it chooses among the pixel
// kernels and bounds the worker count that the system information then
// settles.
void applySettings() {
    readSettings();
    buildKernelTable();
    readSystemInformation();
}

// Guards: systems the engine refuses (known only once the system
// information is read), then the two command-line modes that end the
// program instead of running a game; false when the program ends here.
// The script key, a constant of the build, is taken before the modes; only
// the script loader reads it.
bool passGuards() {
    Engine& e = engine();
    if (core().run.osCode >= 1 && core().run.osCode <= 19) return refuseWithBox(VR_TEXT_OLD_WINDOWS_UNSUPPORTED);
    // The pack entries' name-length table is a constant of the format
    // (common/format_secrets.h), made when the program was built.
    core().run.scriptKey = secrets::scriptKey();
    // The settings tool, then the program ends.
    if (core().run.arguments[1] == "/vrcfg") {
        e.core.platform.shellOpen("vrsetup.exe", "/vrcfg");
        return false;
    }
    // The library notices, then the program ends.
    if (core().run.arguments[1] == "/info") {
        e.core.errors.caption = "License Information";
        reportError(100000, true);
        return false;
    }
    return true;
}

// Archives: the pack index decides whether the game is packed; only an
// unpacked game runs the compiler link, which brings the compiled engine
// files up to date before anything reads them.
bool openArchives() {
    if (!buildPackIndex()) return false;
    if (engine().core.run.packedMode) return true;
    engine().shell.reload.available = compilerPresent();
    if (engine().shell.reload.pending) return takeReloadedFiles();
    return runCompilerLink(&initialiseTablesOnce);
}

// Engine files: the run's tables (the compiler link may have built them
// already), the system variables and the writability probe scripts ask
// about; then the window objects, which the engine configuration fills
// with the window size, title and start-up flags.  No common-controls
// library needs initialising on this platform.
bool loadEngineFiles() {
    initialiseTablesOnce();
    initialiseSystemVariables();
    probeWritableFolder();
    if (createWindowObjects() < 0) {
        reportError(100010, true);
        return false;
    }
    return loadEngineConfig() >= 0;
}

// Windows: the main window at the configured size (refused when the screen
// is smaller), the cursor's display count reset, the frame pacer cleared,
// the full-screen menu strip and the roots of the object tree.  There is
// one presentation path here, so no second display object is made.
bool createWindows() {
    Engine& e = engine();
    ShellState& shell = e.shell;
    WindowObject& main = e.core.windows[0];
    if (core().run.screenSaverMode) {
        main.clientWidth = core().run.screenWidth;
        main.clientHeight = core().run.screenHeight;
    }
    if (core().run.screenWidth < main.clientWidth || core().run.screenHeight < main.clientHeight)
        return refuseWithBox(VR_TEXT_SCREEN_SIZE_UNSUPPORTED);
    core().run.windowEqualsScreen = core().run.screenWidth == main.clientWidth && core().run.screenHeight == main.clientHeight;
    if (!createMainWindow()) return refuseWithBox(VR_TEXT_WINDOW_NOT_CREATED);
    e.core.platform.showCursor(false);
    e.core.platform.showCursor(true);
    // The host clock already has millisecond resolution.
    shell.pacer = FramePacer{};
    later::createMenuStrip();
    if (createObjectRoots() < 0 || !createSoundRoot()) {
        reportError(100010, true);
        return false;
    }
    return true;
}

// Devices: the sound device wants the main window; the start time is read
// before any script can ask for it.  A missing MIDI plug-in is no error.
void openDevices() {
    openSoundDevice(engine().core.files.config.soundEnabled);
    recordStartTime();
    later::loadMidiPlugin();
}

// Threads: the compositing workers and the sound thread before the
// initial sound requests are queued (the request names need no buffers of
// their own here).
bool startThreads() {
    if (createWorkerPool() < 0) {
        reportError(100010, true);
        return false;
    }
    startSoundThread();
    queueInitialSounds();
    return true;
}

// Showing: the main window when the configuration asks, in the full-screen
// state it remembers (given time to settle); the frame clocks start last so
// that the first frame is not counted as late.
void showMainWindow() {
    Engine& e = engine();
    platform::Platform& host = e.core.platform;
    WindowObject& main = e.core.windows[0];
    if (main.shown) {
        host.showWindow(main.handle, true);
        if (e.display.fullScreenAtStart != e.display.fullScreen && setFullScreen(e.display.fullScreenAtStart)) {
            host.showWindow(main.handle, true);
            uint64_t until = host.millis() + 1500;
            while (host.millis() < until) host.sleep(1);
        }
    }
    FramePacer& pacer = e.shell.pacer;
    pacer.lastFrame = pacer.frameStart = pacer.statsReference = host.millis();
    markSoundStart();
}

}  // namespace

// The command line was copied by the program entry.  -1: a phase failed
// (its cause has been shown); 1: the start-up script could not be prepared
// and a quit has been requested.  Either way the main loop does not run.
int engineInit() {
    applySettings();
    // The guards end the program by design ("/info", "/vrcfg") or set the
    // status of their refusal themselves.
    if (!passGuards()) return -1;
    // A start-up that stopped did not run the game, whatever its report was.
    auto stopped = [] {
        engine().shell.exitCode = kExitFatalReport;
        return -1;
    };
    if (!openArchives() || !loadEngineFiles() || !createWindows()) return stopped();
    openDevices();
    if (prepareStartScript() < 0) {
        requestQuit();
        stopped();
        return 1;
    }
    if (!startThreads()) return stopped();
    showMainWindow();
    watchSources();
    // The frame thread last: it runs scripts at once, and the window, the
    // display and the pacer are its own from then on.
    return startFrameThread() ? 0 : stopped();
}

}  // namespace vr
