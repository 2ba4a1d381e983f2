// The main loop and the frame step.
#include "graphics/compose.h"
#include "script/interpreter.h"
#include "shell/engine.h"
#include "shell/frame_pacer.h"
#include "shell/frame_thread.h"
#include "shell/input.h"
#include "shell/later_steps.h"
#include "shell/reload.h"
#include "shell/startup.h"

namespace vr {

void requestQuit() {
    Engine& e = engine();
    e.core.run.quitRequested = true;
    e.core.windows[0].quitWithoutConfirm = true;
    e.core.run.closePosted = true;
}

void pollHostEvents(const std::function<void(const platform::Event&)>& take) {
    Engine& e = engine();
    platform::Event event;
    while (e.core.platform.pollEvent(event)) take(event);
    if (e.shell.instanceChannel && e.shell.instanceChannel->pollRaiseRequest())
        take({platform::EventType::RaiseRequest, platform::kNoWindow});
}

void pumpMessages() {
    pollHostEvents(&handleWindowEvent);
    // The close message of requestQuit destroys the main window, which ends the loop.
    if (core().run.closePosted) core().run.running = false;
}

void mainLoop() {
    Engine& e = engine();
    if (frameThreadRunning()) {
        serveFrameThread();
        return;
    }
    pumpMessages();
    while (core().run.running) {
        if (core().run.quitRequested) {
            e.core.platform.sleep(1);
        } else {
            sampleInput();
            if (frameStep()) requestQuit();
        }
        pumpMessages();
    }
}

void pumpWhilePaused() {
    if (!engine().mainThread.onMainThread()) {
        takeHostInputWhilePaused();
        return;
    }
    feedInputWhilePaused();
    pumpMessages();
}

bool frameStep() {
    Engine& e = engine();
    ShellState& shell = e.shell;
    if (shell.frameSuspended) return false;
    if (core().run.quitRequested) return true;
    if (serveReload()) return true;

    updateKeyStates();

    // One count per frame, not per pass: a thread stamped in the first pass
    // must not get a second turn in a re-run pass of the same frame.
    ++core().run.frameCounter;
    do {
        core().run.runAgain = false;
        runFrame(e.script.root);
        if (core().run.quitRequested) {
            releaseEndedThreads();
            return true;
        }
    } while (core().run.runAgain);
    releaseEndedThreads();

    bool draw = !shell.skipNextFrame && !later::movieHoldsScreen();
    if (draw) {
        for (int w = 0; w < kWindowCount; ++w) {
            if (composeWindow(w) < 0) return true;
        }
    }

    shell.skipNextFrame = framePace();

    later::updateMenuStrip();

    if (draw) {
        for (auto& w : e.core.windows) {
            if (presentWindow(w)) return true;
        }
        ++shell.pacer.presentedFrames;
        noteReloadedFrame();
    }

    later::showPopupMenu();

    ++shell.framesRun;
    // A screenshot reads the host's window: a job for the main thread.
    if (shell.afterFrame) e.mainThread.run([&] { shell.afterFrame(shell.framesRun); });
    if (shell.frameLimit && shell.framesRun >= shell.frameLimit) core().run.quitRequested = true;
    return core().run.quitRequested;
}

}  // namespace vr
