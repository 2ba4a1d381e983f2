// The graphics worker pool.  The main thread fills a worker's job record,
// starts it and waits until it is idle again, so no pixel buffer is ever
// touched by two threads at once.
#pragma once

#include "shell/shell_state.h"

namespace vr {

// Creates workerCount workers, each with its start and idle events and its thread.
int createWorkerPool();
void startWorker(int index);
void waitWorker(int index);
// Makes every worker leave its loop and waits for them.
void stopWorkerPool();

}  // namespace vr
