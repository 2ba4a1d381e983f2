#include "graphics/draw/resample_jobs.h"

#include <algorithm>

#include "core/core.h"
#include "core/workers.h"
#include "graphics/compose.h"
#include "graphics/draw/resample_rows.h"
#include "graphics/graphics.h"

namespace vr {

void runResampleJob(const ResampleJob& whole, bool split) {
    if (whole.firstRow >= whole.endRow) return;
    std::vector<std::unique_ptr<Worker>>& workers = core().workers.workers;
    const int n = split ? std::clamp<int>(int(workers.size()), 0, 2) : 0;
    if (n == 0) {
        runResampleRows(whole);
        return;
    }
    const int rows = whole.endRow - whole.firstRow;
    DrawState& d = graphics().scene.draw;
    for (int w = 0; w < n; ++w) {
        ResampleJob& job = d.jobs[size_t(w)];
        job = whole;
        job.firstRow = whole.firstRow + (w == 0 ? 0 : rows / n);
        job.endRow = w + 1 == n ? whole.endRow : whole.firstRow + rows / n;
        WorkerJob& wj = workers[size_t(w)]->job;
        wj.code = whole.code;
        wj.firstRow = job.firstRow;
        wj.rowCount = job.endRow - job.firstRow;
        wj.context = &job;
        startWorker(w);
    }
    for (int w = 0; w < n; ++w) waitWorker(w);
}

void runGraphicsJob(const WorkerJob& job) {
    if (!job.context) return;
    if (job.code == 11 || job.code == 21 || job.code == 41) {
        runResampleRows(*static_cast<const ResampleJob*>(job.context));
        return;
    }
    runComposeJob(job);
}

}  // namespace vr
