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
    if (!split) {
        runResampleRows(whole);
        return;
    }
    runRowsOnWorkers(graphics().scene.draw.jobs.data(), whole, whole.firstRow, whole.endRow, runResampleRows);
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
