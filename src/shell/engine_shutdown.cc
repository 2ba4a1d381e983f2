// Shutdown, step by step in its fixed order.
#include "core/workers.h"
#include "graphics/graphics_init.h"
#include "script/variable_dump.h"
#include "shell/engine.h"
#include "shell/later_steps.h"
#include "shell/reload.h"
#include "shell/startup.h"
#include "sound/sound_thread.h"

namespace vr {

void engineShutdown() {
    Engine& e = engine();
    ShellState& shell = e.shell;
    platform::Platform& host = e.core.platform;

    // 1. The sound and frame threads end by themselves once the quit is requested.
    core().run.quitRequested = true;
    // The main thread serves no more jobs: a frame thread waiting for one
    // goes on without it and sees the quit.
    e.mainThread.close();
    auto waitFinished = [&](bool started, bool& finished) {
        if (!started) return;
        for (;;) {
            {
                platform::LockHolder hold(*core().run.lock);
                if (finished) return;
            }
            host.sleep(1);
        }
    };
    waitFinished(e.sound.threadStarted, e.sound.threadFinished);
    waitFinished(shell.frameThreadStarted, shell.frameThreadFinished);
    if (shell.frameThreadStarted) shell.frameThread.join();
    finishSoundThread();
    // No script runs any more: the variables hold their final values.
    if (!shell.dumpVarsFile.empty() && dumpUserVariables(shell.dumpVarsFile) < 0 && shell.exitCode == 0)
        shell.exitCode = 1;
    // 2.
    stopWorkerPool();
    // 3. Every sound stopped with the sound thread's end; then the other media.
    later::stopMedia();
    // 4.
    later::destroyMenus();
    // 5.
    setFullScreen(false);
    // 6.
    host.showCursor(true);
    releaseLayers();
    keepMainWindowForReload();
    destroyWindows();
}

}  // namespace vr
