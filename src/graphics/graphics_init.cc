#include "graphics/graphics_init.h"

#include <algorithm>

#include "engine.h"
#include "graphics/compose.h"
#include "graphics/object_tree.h"
#include "graphics/pixel/blend_modes.h"
#include "graphics/pixel/lookup_tables.h"
#include "graphics/pixel/pixel_set.h"

namespace vr {

void buildKernelTable() {
    Engine& e = engine();
    const Settings& s = e.shell.settings;
    e.graphics.pixels = &pixel::choosePixelSet(pixel::detectCpuFeatures(), s.kernelSet1, s.kernelSet2);
    e.shell.runJob = &runComposeJob;
}

void buildBlendTables() {
    pixel::lookupTables();
    pixel::blendModeTables();
}

int createObjectRoots() {
    Engine& e = engine();
    WindowObject& main = e.windows[0];
    uint32_t w = uint32_t(std::clamp(main.clientWidth, 1, int(kMaxImageSide)));
    uint32_t h = uint32_t(std::clamp(main.clientHeight, 1, int(kMaxImageSide)));
    ObjectNode* root = createLayerNode("W0", w, h, 1);
    if (!root) return -1;
    main.root = root;
    return 0;
}

void releaseLayers() {
    Engine& e = engine();
    for (auto& w : e.windows) w.root = nullptr;
    e.graphics.drawingTarget = nullptr;
    deleteTree(e.graphics.layerRoot);
}

}  // namespace vr
