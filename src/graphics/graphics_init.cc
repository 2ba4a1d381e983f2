#include "graphics/graphics_init.h"

#include <algorithm>

#include "core/core.h"
#include "graphics/compose.h"
#include "graphics/draw/resample_rows.h"
#include "graphics/graphics.h"
#include "graphics/object_tree.h"
#include "graphics/pixel/blend_modes.h"
#include "graphics/pixel/lookup_tables.h"
#include "graphics/pixel/pixel_set.h"
#include "script/script_state.h"

namespace vr {
namespace {

// The worker pool's one runner: composition codes 101 to 104, resampling
// 11, 21 and 41.
void runGraphicsJob(const WorkerJob& job) {
    if (!job.context) return;
    if (job.code == 11 || job.code == 21 || job.code == 41) {
        runResampleRows(*static_cast<const ResampleJob*>(job.context));
        return;
    }
    runComposeJob(job);
}

}  // namespace

void buildKernelTable() {
    Core& c = core();
    Graphics& g = graphics();
    const Settings& s = c.run.settings;
    g.scene.pixels = &pixel::enginePixelSet(s.kernelSet1, s.kernelSet2);
    c.workers.runJob = &runGraphicsJob;
}

void buildBlendTables() {
    pixel::lookupTables();
    pixel::blendModeTables();
}

int createObjectRoots() {
    Core& c = core();
    WindowObject& main = c.windows[0];
    uint32_t w = uint32_t(std::clamp(main.clientWidth, 1, int(kMaxImageSide)));
    uint32_t h = uint32_t(std::clamp(main.clientHeight, 1, int(kMaxImageSide)));
    ObjectNode* root = createLayerNode("W0", w, h, 1);
    if (!root) return -1;
    main.root = root;
    return 0;
}

void releaseLayers() {
    Core& c = core();
    Graphics& g = graphics();
    for (auto& w : c.windows) w.root = nullptr;
    g.scene.drawingTarget = nullptr;
    deleteTree(g.scene.layerRoot);
}

}  // namespace vr
