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

// How many workers a split job uses: at most two, 0 without a pool (the
// tools, tests of the tree).
int splitWorkerCount();
// Starts worker `index` on the rows of `context`, a job record of its own.
void startRowJob(int index, int code, void* context);

// The rows [first, end) of `whole` split evenly over the split workers, each
// span copied into its own slot; returns when every worker is done.  Without
// a pool (the tools, tests of the tree) `runRows` does them all on the
// calling thread.  Job is a composition or resampling record with code,
// firstRow and endRow.
template <typename Job, typename RowRunner>
void runRowsOnWorkers(Job* slots, const Job& whole, int first, int end, RowRunner runRows) {
    const int count = splitWorkerCount();
    if (count == 0) {
        Job job = whole;
        job.firstRow = first;
        job.endRow = end;
        runRows(job);
        return;
    }
    const int rows = end - first;
    for (int w = 0; w < count; ++w) {
        Job& job = slots[w];
        job = whole;
        job.firstRow = first + rows * w / count;
        job.endRow = first + rows * (w + 1) / count;
        startRowJob(w, whole.code, &job);
    }
    for (int w = 0; w < count; ++w) waitWorker(w);
}

}  // namespace vr
