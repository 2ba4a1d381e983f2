#include "core/workers.h"

#include <algorithm>

#include "core/core.h"

namespace vr {

namespace {

void workerMain(Core* c, Worker* w) {
    for (;;) {
        w->start.wait();
        if (c->run.quitRequested) break;
        if (c->workers.runJob) c->workers.runJob(w->job);
        w->idle.set();
    }
    w->idle.set();
}

}  // namespace

int createWorkerPool() {
    Core* c = &core();
    WorkerPool& pool = c->workers;
    pool.workers.clear();
    for (int i = 0; i < pool.workerCount; ++i) {
        auto w = std::make_unique<Worker>();
        w->index = i;
        Worker* raw = w.get();
        if (!w->thread.start([c, raw] { workerMain(c, raw); }, i)) return -1;
        pool.workers.push_back(std::move(w));
    }
    return 0;
}

void startWorker(int index) {
    Worker& w = *core().workers.workers.at(size_t(index));
    // Cleared here, while the worker sleeps on its start mark, so that the
    // wait that follows cannot see the idle mark it was created with; every
    // other idle mark was taken by the wait for the job that set it.
    w.idle.reset();
    w.start.set();
}

int splitWorkerCount() { return std::clamp<int>(int(core().workers.workers.size()), 0, 2); }

void startRowJob(int index, int code, void* context) {
    WorkerJob& job = core().workers.workers.at(size_t(index))->job;
    job.code = code;
    job.context = context;
    startWorker(index);
}

void waitWorker(int index) { core().workers.workers.at(size_t(index))->idle.wait(); }

void stopWorkerPool() {
    Core& c = core();
    c.run.quitRequested = true;
    for (auto& w : c.workers.workers) w->start.set();
    for (auto& w : c.workers.workers) w->thread.join();
    c.workers.workers.clear();
}

}  // namespace vr
