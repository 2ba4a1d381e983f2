// Start-up and shutdown, step by step in their fixed order.
#include <algorithm>

#include "archive/pack_index.h"
#include "common/format_secrets.h"
#include "common/texts/engine_texts.h"
#include "engine.h"
#include "graphics/graphics_init.h"
#include "graphics/message/input_wait.h"
#include "graphics/text/font_list.h"
#include "script/interpreter.h"
#include "script/script_loader.h"
#include "script/system_variables.h"
#include "script/variable_dump.h"
#include "script/variables.h"
#include "shell/later_steps.h"
#include "shell/settings.h"
#include "shell/startup.h"
#include "shell/workers.h"

namespace vr {

namespace {


int failWithBox(const char* text) {
    platform::MessageBoxSpec box;
    box.text = text;
    box.caption = VR_TEXT_CAPTION_ERROR;
    box.icon = platform::Icon::Error;
    box.systemModal = true;
    engine().platform.messageBox(box);
    return -1;
}

void readSystemInformation() {
    ShellState& shell = engine().shell;
    shell.osCode = osCodeFromBuild(-1);  // not a Windows build: no code applies
    shell.processorCount = platform::processorCount();
    shell.workerCount = std::clamp(shell.processorCount, shell.minWorkers, std::max(shell.minWorkers, shell.maxWorkers));
    platform::DisplayInfo d = engine().platform.display();
    shell.screenWidth = d.width;
    shell.screenHeight = d.height;
    shell.screenBitsPerPixel = d.bitsPerPixel;
    shell.screenRefresh = d.refreshHz < 60 ? -1 : d.refreshHz;
}

// Tables built once per run; the compiler link may already have run this
// while it waited for the compiler.
void initialiseTablesOnce() {
    ShellState& shell = engine().shell;
    if (shell.tablesInitialised) return;
    buildBlendTables();
    enumerateFonts();
    shell.randomSeedClock = uint32_t(engine().platform.millis());
    platform::LocalTime t = engine().platform.localTime();
    // A seed, not a count of seconds: the product wraps in unsigned arithmetic.
    uint32_t days = uint32_t(t.year) * 372u + uint32_t(t.month) * 31u + uint32_t(t.day);
    shell.randomSeedCalendar = (days * 24u + uint32_t(t.hour)) * 3600u + uint32_t(t.minute) * 60u + uint32_t(t.second);
    engine().errors.checkSwitches.fill(1);
    shell.tablesInitialised = true;
}

// The game folder may be read-only (a disc, a system folder); scripts ask.
void probeWritableFolder() {
    platform::File probe;
    if (!probe.open("vrcfg.ini", platform::OpenMode::Write)) {
        engine().shell.folderReadOnly = true;
        return;
    }
    probe.close();
    platform::removeFile("vrcfg.ini");
}

// Loads the compiled files and points the "SYSTEM" thread at the start label.
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
    engine().script.loopWatch = engine().files.config.debugMode != 0;
    // A thread that ended a message waits until the message has been shown.
    setInputWaitService(&serveInputWait);
    // Every game defines the start label; without it there is nothing to run.
    return startMainThread();
}

void frameThreadMain(Engine* e) {
    bindEngine(e);
    {
        platform::LockHolder hold(*e->shell.lock);
        e->shell.frameThreadFinished = false;
    }
    while (!frameStep()) {
    }
    requestQuit();
    platform::LockHolder hold(*e->shell.lock);
    e->shell.frameThreadFinished = true;
}

}  // namespace

int engineInit() {
    Engine& e = engine();
    ShellState& shell = e.shell;
    platform::Platform& host = e.platform;

    // 1. The command line was copied by the program entry.
    // 2.
    readSettings();
    // 3.
    buildKernelTable();
    // 4.
    readSystemInformation();
    // 5.
    if (shell.osCode >= 1 && shell.osCode <= 19) return failWithBox(VR_TEXT_OLD_WINDOWS_UNSUPPORTED);
    // 6.
    // The pack entries' name-length table is a constant of the format
    // (common/format_secrets.h), made when the program was built.
    shell.scriptKey = secrets::scriptKey();
    // 7. The settings tool, then the program ends.
    if (shell.arguments[1] == "/vrcfg") {
        host.shellOpen("vrsetup.exe", "/vrcfg");
        return -1;
    }
    // 8. The library notices, then the program ends.
    if (shell.arguments[1] == "/info") {
        e.errors.caption = "License Information";
        reportError(100000, true);
        return -1;
    }
    // 9.
    if (!buildPackIndex()) return -1;
    // 10.
    if (!shell.packedMode && !later::runCompilerLink()) return -1;
    // 11.
    initialiseTablesOnce();
    initialiseSystemVariables();
    // 12.
    probeWritableFolder();
    // 13. No common-controls library to initialise on this platform.
    // 14.
    if (createWindowObjects() < 0) {
        reportError(100010, true);
        return -1;
    }
    // 15.
    if (loadEngineConfig() < 0) return -1;
    // 16.
    WindowObject& main = e.windows[0];
    if (shell.screenSaverMode) {
        main.clientWidth = shell.screenWidth;
        main.clientHeight = shell.screenHeight;
    }
    if (shell.screenWidth < main.clientWidth || shell.screenHeight < main.clientHeight)
        return failWithBox(VR_TEXT_SCREEN_SIZE_UNSUPPORTED);
    shell.windowEqualsScreen = shell.screenWidth == main.clientWidth && shell.screenHeight == main.clientHeight;
    // 17.
    if (!createMainWindow()) return failWithBox(VR_TEXT_WINDOW_NOT_CREATED);
    // 18. Resets the cursor's display count.
    host.showCursor(false);
    host.showCursor(true);
    // 19. The host clock already has millisecond resolution.
    shell.pacer = FramePacer{};
    // 20. Presentation has one path here; there is no second display object to create.
    // 21.
    later::createMenuStrip();
    // 22.
    if (createObjectRoots() < 0) {
        reportError(100010, true);
        return -1;
    }
    // 23.
    if (e.files.config.soundEnabled) later::createSoundDevice();
    // 24.
    recordStartTime();
    // 25.
    later::loadMidiPlugin();
    // 26.
    if (prepareStartScript() < 0) {
        requestQuit();
        return 1;
    }
    // 27.
    if (createWorkerPool() < 0) {
        reportError(100010, true);
        return -1;
    }
    // 28.
    later::allocateSoundNames();
    // 29.
    later::startSoundThread();
    // 30.
    if (e.files.config.soundEnabled) later::queueInitialSounds();
    if (shell.frameThreadMode) {
        shell.frameThreadStarted = true;
        shell.frameThreadFinished = false;
        Engine* self = &e;
        if (!shell.frameThread.start([self] { frameThreadMain(self); })) {
            shell.frameThreadStarted = false;
            shell.frameThreadFinished = true;
            reportError(100010, true);
            return -1;
        }
    }
    // 31.
    if (main.shown) {
        host.showWindow(main.handle, true);
        if (e.display.fullScreenAtStart != e.display.fullScreen && setFullScreen(e.display.fullScreenAtStart)) {
            host.showWindow(main.handle, true);
            uint64_t until = host.millis() + 1500;
            while (host.millis() < until) host.sleep(1);
        }
    }
    // 32.
    uint64_t now = host.millis();
    shell.pacer.lastFrame = shell.pacer.frameStart = shell.pacer.statsReference = now;
    return 0;
}

void engineShutdown() {
    Engine& e = engine();
    ShellState& shell = e.shell;
    platform::Platform& host = e.platform;

    // 1. The sound and frame threads end by themselves once the quit is requested.
    shell.quitRequested = true;
    auto waitFinished = [&](bool started, bool& finished) {
        if (!started) return;
        for (;;) {
            {
                platform::LockHolder hold(*shell.lock);
                if (finished) return;
            }
            host.sleep(1);
        }
    };
    waitFinished(shell.soundThreadStarted, shell.soundThreadFinished);
    waitFinished(shell.frameThreadStarted, shell.frameThreadFinished);
    if (shell.frameThreadStarted) shell.frameThread.join();
    // No script runs any more: the variables hold their final values.
    if (!shell.dumpVarsFile.empty() && dumpUserVariables(shell.dumpVarsFile) < 0 && shell.exitCode == 0)
        shell.exitCode = 1;
    // 2.
    stopWorkerPool();
    // 3.
    later::stopMedia();
    // 4.
    later::destroyMenus();
    // 5.
    setFullScreen(false);
    // 6.
    host.showCursor(true);
    releaseLayers();
    destroyWindows();
}

}  // namespace vr
