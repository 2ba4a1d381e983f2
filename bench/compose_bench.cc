// Composition of a 1280 x 720 scene: an opaque background, six images of
// about 400 x 600 drawn by their alpha and a text layer across the bottom,
// redrawn whole, with one and with two graphics workers.
#include <benchmark/benchmark.h>

#include <random>

#include "core/workers.h"
#include "graphics/compose.h"
#include "graphics/graphics_init.h"
#include "graphics/object_tree.h"
#include "shell/engine.h"
#include "support/headless_engine.h"

namespace {

using namespace vr;

ObjectNode* leaf(const std::string& path, int64_t order, int x, int y, uint32_t w, uint32_t h, std::mt19937& random,
                 bool alpha) {
    ObjectNode* n = createNode(path, false, order);
    attachLayer(*n, newLayerRecord());
    allocateLayerPixels(*n->layer, w, h, n->name);
    uint8_t* p = n->layer->pixels();
    for (size_t i = 0; i < size_t(w) * h; ++i) {
        uint32_t r = random();
        p[i * 4] = uint8_t(r);
        p[i * 4 + 1] = uint8_t(r >> 8);
        p[i * 4 + 2] = uint8_t(r >> 16);
        // Images are mostly opaque or clear with soft edges between.
        uint8_t a = uint8_t(r >> 24);
        p[i * 4 + 3] = !alpha ? 255 : a < 96 ? 0 : a > 160 ? 255 : a;
    }
    n->layer->x = x;
    n->layer->y = y;
    n->layer->useSourceAlpha = alpha;
    return n;
}

void ComposeScene(benchmark::State& state) {
    test::HeadlessEngine h;
    Engine& e = h.e;
    buildKernelTable();
    buildBlendTables();
    ObjectNode* root = createLayerNode("W0", 1280, 720, 1);
    std::mt19937 random(1);
    leaf("W0/bg", 1, 0, 0, 1280, 720, random, false);
    for (int k = 0; k < 6; ++k) leaf("W0/c" + std::to_string(k), 2 + k, 20 + k * 200, 100, 400, 600, random, true);
    leaf("W0/text", 10, 40, 520, 1200, 180, random, true);
    e.core.workers.workerCount = int(state.range(0));
    createWorkerPool();
    for (auto _ : state) {
        addDirtyRect(*root->layer, {0, 0, 1279, 719});
        ++e.graphics.scene.composePass;
        composeLayer(*root, false);
        clearPresented(*root);
    }
    stopWorkerPool();
    state.SetItemsProcessed(state.iterations() * 1280 * 720);
}
BENCHMARK(ComposeScene)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
