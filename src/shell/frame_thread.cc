#include "shell/frame_thread.h"

#include "shell/engine.h"
#include "shell/input_script.h"
#include "shell/startup.h"

namespace vr {

namespace {

void frameThreadMain(Engine* e) {
    // The engine is bound for the whole process already; rebinding it here
    // would write what the main thread reads.
    while (!e->core.run.quitRequested) {
        takeHostInput(true);
        if (frameStep()) break;
    }
    requestQuit();
    platform::LockHolder hold(*e->core.run.lock);
    e->shell.frameThreadFinished = true;
}

}  // namespace

bool startFrameThread() {
    Engine& e = engine();
    ShellState& shell = e.shell;
    if (!core().run.frameThreadMode) return true;
    // From here the window system is the main thread's alone.
    e.mainThread.open();
    shell.frameThreadStarted = true;
    shell.frameThreadFinished = false;
    Engine* self = &e;
    if (!shell.frameThread.start([self] { frameThreadMain(self); })) {
        shell.frameThreadStarted = false;
        shell.frameThreadFinished = true;
        reportError(100010, true);
        return false;
    }
    return true;
}

bool frameThreadRunning() {
    Engine& e = engine();
    platform::LockHolder hold(*e.core.run.lock);
    return e.shell.frameThreadStarted && !e.shell.frameThreadFinished;
}

void serveFrameThread() {
    Engine& e = engine();
    while (frameThreadRunning()) {
        // Real time, not the host's clock: a headless clock moves only with
        // the frames.
        if (e.mainThread.waitForJob(1)) e.mainThread.serve();
        collectHostEvents();
    }
}

void collectHostEvents() {
    Engine& e = engine();
    HostHandOver& h = e.handOver;
    pollHostEvents([&](const platform::Event& event) {
        if (event.type == platform::EventType::Quit) e.core.run.quitRequested = true;
        platform::LockHolder hold(h.lock);
        h.events.push_back(event);
    });
}

void takeHostInput(bool sample) {
    Engine& e = engine();
    HostHandOver& h = e.handOver;
    // The frame thread owns the input script; the main thread plays its
    // lines while this thread waits for it.
    uint64_t frame = inputScriptFrame();
    e.mainThread.run([&] {
        feedInputScriptFor(frame);
        collectHostEvents();
        if (!sample) return;
        HostSample now = readHostSample();
        platform::LockHolder hold(h.lock);
        h.sample = now;
        h.sampled = true;
    });
    std::vector<platform::Event> events;
    HostSample taken;
    bool sampled = false;
    {
        platform::LockHolder hold(h.lock);
        events.swap(h.events);
        taken = h.sample;
        sampled = h.sampled;
        h.sampled = false;
    }
    for (const platform::Event& ev : events) handleWindowEvent(ev);
    if (sample && sampled) applyHostSample(taken);
}

void takeHostInputWhilePaused() {
    InputState& in = engine().input;
    if (in.script) ++in.script->pausedTurns;
    takeHostInput(false);
}

}  // namespace vr
