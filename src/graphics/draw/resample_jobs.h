// The resampling jobs of the workers (codes 11, 21 and 41), and the one job
// runner the worker pool calls for composition and resampling alike.
#pragma once

#include "graphics/draw/draw_state.h"

namespace vr {

struct WorkerJob;

// Runs the rows [whole.firstRow, whole.endRow): split over the engine's
// workers when `split` (worker 0 the first rows / workerCount rows, worker
// 1 the rest), on the calling thread otherwise or without a pool.  Returns
// when every row is done.
void runResampleJob(const ResampleJob& whole, bool split);

// The worker pool's runner: composition codes 101 to 104, resampling 11,
// 21 and 41.
void runGraphicsJob(const WorkerJob& job);

}  // namespace vr
