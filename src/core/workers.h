// The worker pool: one or two graphics workers that take row spans of
// composition and resampling jobs.  The main thread fills their job records,
// starts them and waits until all are idle, so no pixel buffer is touched by
// two threads at once.
#pragma once

#include <memory>
#include <vector>

#include "platform/platform.h"

namespace vr {

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

struct WorkerPool {
    std::vector<std::unique_ptr<Worker>> workers;
    WorkerJobRunner runJob = nullptr;
    int workerCount = 1;
    int maxWorkers = 2;
    int minWorkers = 1;
};

int createWorkerPool();
void startWorker(int index);
void waitWorker(int index);
void stopWorkerPool();

}  // namespace vr
