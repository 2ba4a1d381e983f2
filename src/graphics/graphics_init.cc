#include "graphics/graphics_init.h"

#include <algorithm>

#include "core/core.h"
#include "graphics/compose.h"
#include "graphics/draw/resample_jobs.h"
#include "graphics/graphics.h"
#include "graphics/object_tree.h"
#include "graphics/pixel/blend_modes.h"
#include "graphics/pixel/lookup_tables.h"
#include "graphics/pixel/pixel_set.h"
#include "script/script_state.h"

namespace vr {

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
