// The main loop and the frame step.
#include "engine.h"
#include "graphics/compose.h"
#include "script/interpreter.h"
#include "shell/frame_pacer.h"
#include "shell/input.h"
#include "shell/later_steps.h"
#include "shell/startup.h"

namespace vr {

void requestQuit() {
    Engine& e = engine();
    e.shell.quitRequested = true;
    e.windows[0].quitWithoutConfirm = true;
    e.shell.closePosted = true;
}

void pumpMessages() {
    Engine& e = engine();
    ShellState& shell = e.shell;
    platform::Event event;
    while (e.platform.pollEvent(event)) handleWindowEvent(event);
    if (shell.instanceChannel && shell.instanceChannel->pollRaiseRequest())
        handleWindowEvent({platform::EventType::RaiseRequest, platform::kNoWindow});
    // The close message of requestQuit destroys the main window, which ends the loop.
    if (shell.closePosted) shell.running = false;
}

void mainLoop() {
    Engine& e = engine();
    ShellState& shell = e.shell;
    pumpMessages();
    while (shell.running) {
        if (shell.quitRequested) {
            e.platform.sleep(1);
        } else {
            sampleInput();
            if (shell.frameThreadMode) {
                e.platform.sleep(1);
            } else if (frameStep()) {
                requestQuit();
            }
        }
        pumpMessages();
    }
}

bool frameStep() {
    Engine& e = engine();
    ShellState& shell = e.shell;
    if (shell.frameSuspended) return false;
    if (shell.quitRequested) return true;

    updateKeyStates();

    // One count per frame, not per pass: a thread stamped in the first pass
    // must not get a second turn in a re-run pass of the same frame.
    ++shell.frameCounter;
    do {
        shell.runAgain = false;
        runFrame(e.script.root);
        if (shell.quitRequested) {
            releaseEndedThreads();
            return true;
        }
    } while (shell.runAgain);
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
        for (auto& w : e.windows) {
            if (presentWindow(w)) return true;
        }
        ++shell.pacer.presentedFrames;
    }

    later::showPopupMenu();

    ++shell.framesRun;
    if (shell.afterFrame) shell.afterFrame(shell.framesRun);
    if (shell.frameLimit && shell.framesRun >= shell.frameLimit) shell.quitRequested = true;
    return shell.quitRequested;
}

}  // namespace vr
