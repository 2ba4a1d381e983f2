// The resampling jobs of the workers (codes 11, 21 and 41).
#pragma once

#include "graphics/draw/draw_state.h"

namespace vr {

// Runs the rows [whole.firstRow, whole.endRow): split over the engine's
// workers when `split` (worker 0 the first rows / workerCount rows, worker
// 1 the rest), on the calling thread otherwise or without a pool.  Returns
// when every row is done.
void runResampleJob(const ResampleJob& whole, bool split);

}  // namespace vr
