#include "shell/workers.h"

#include "engine.h"

namespace vr {

namespace {

void workerMain(Engine* e, Worker* w) {
    ShellState& shell = e->shell;
    for (;;) {
        w->start.wait();
        if (shell.quitRequested) break;
        if (shell.runJob) shell.runJob(w->job);
        w->idle.set();
    }
    w->idle.set();
}

}  // namespace

int createWorkerPool() {
    Engine* e = &engine();
    ShellState& shell = e->shell;
    shell.workers.clear();
    for (int i = 0; i < shell.workerCount; ++i) {
        auto w = std::make_unique<Worker>();
        w->index = i;
        Worker* raw = w.get();
        if (!w->thread.start([e, raw] { workerMain(e, raw); }, i)) return -1;
        shell.workers.push_back(std::move(w));
    }
    return 0;
}

void startWorker(int index) {
    Worker& w = *engine().shell.workers.at(size_t(index));
    // Cleared here, while the worker sleeps on its start mark, so that the
    // wait that follows cannot see the idle mark it was created with; every
    // other idle mark was taken by the wait for the job that set it.
    w.idle.reset();
    w.start.set();
}

void waitWorker(int index) { engine().shell.workers.at(size_t(index))->idle.wait(); }

void stopWorkerPool() {
    ShellState& shell = engine().shell;
    shell.quitRequested = true;
    for (auto& w : shell.workers) w->start.set();
    for (auto& w : shell.workers) w->thread.join();
    shell.workers.clear();
}

}  // namespace vr
