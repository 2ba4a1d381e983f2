#include "graphics/draw/resample_jobs.h"

#include <algorithm>

#include "core/core.h"
#include "core/workers.h"
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

}  // namespace vr
