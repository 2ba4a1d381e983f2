#include "graphics/compose.h"

#include <algorithm>

#include "core/core.h"
#include "core/workers.h"
#include "graphics/graphics.h"
#include "graphics/object_tree.h"
#include "graphics/pixel/pixel_set.h"
#include "script/script_state.h"

namespace vr {

const pixel::PixelSet& scenePixels() {
    GraphicsState& g = graphics().scene;
    if (!g.pixels) {
        const Settings& settings = core().run.settings;
        g.pixels = &pixel::enginePixelSet(settings.kernelSet1, settings.kernelSet2);
    }
    return *g.pixels;
}

namespace {

// A child drawn onto its parent with the layer's alpha: leaves that ask for
// it.  A container is always drawn without its own alpha.
bool drawsWithAlpha(const ObjectNode& child) { return !child.isContainer && child.layer->useSourceAlpha; }

bool covers(const LayerRecord& l, const DirtyRect& r) {
    return l.x <= r.left && l.y <= r.top && l.x + int64_t(l.width()) - 1 >= r.right &&
           l.y + int64_t(l.height()) - 1 >= r.bottom;
}

// The top-most child that hides rectangle r completely: nothing below it
// needs drawing or clearing.
ObjectNode* occluder(const ObjectNode& node, const DirtyRect& r) {
    for (ObjectNode* c = node.lastChild; c; c = c->prevSibling) {
        const LayerRecord* l = c->layer;
        if (!l || !l->visible || l->excluded || l->blendMode != 0 || l->opacity != 256 || drawsWithAlpha(*c))
            continue;
        if (!l->maskName.empty() && l->maskLevel != 256) continue;
        if (covers(*l, r)) return c;
    }
    return nullptr;
}

void runRows(const ComposeJob& job) {
    const pixel::PixelSet& set = *graphics().scene.pixels;
    const LayerRecord& src = *job.source;
    LayerRecord& dst = *job.target;
    const int32_t opacity = src.opacity;
    const int mode = std::min<int>(src.blendMode, 18);
    const size_t bytes = size_t(job.spanWidth) * 4;
    const int32_t* ramp = graphics().scene.maskRamp.data();
    pixel::BlendOp op = nullptr;
    pixel::MaskedBlendOp masked = nullptr;
    switch (job.code) {
    case 101: op = set.plainOp(mode, opacity); break;
    case 103: op = set.sourceAlphaOp(mode, opacity); break;
    case 102: masked = set.maskedOp(mode, opacity); break;
    default: masked = set.maskedSourceAlphaOp(mode, opacity); break;
    }
    for (int r = job.firstRow; r < job.endRow; ++r) {
        uint8_t* d = dst.pixels() + ((size_t(job.targetY) + size_t(r)) * dst.width() + size_t(job.targetX)) * 4;
        const uint8_t* s = src.pixels() + ((size_t(job.sourceY) + size_t(r)) * src.width() + size_t(job.sourceX)) * 4;
        if (op) {
            op(d, s, opacity, bytes);
        } else {
            const uint8_t* m =
                job.maskPixels + ((size_t(job.sourceY) + size_t(r)) * job.mask->width() + size_t(job.sourceX)) * 4;
            masked(d, s, m, ramp, src.maskLevel, src.maskSoftness, bytes);
        }
    }
}

// The rows of one overlap split over the workers; the calling thread only
// waits.  Without a worker pool (tools, tests of the tree) it draws itself.
void runSplit(const ComposeJob& whole, int rows) {
    runRowsOnWorkers(graphics().scene.jobs.data(), whole, 0, rows, runRows);
}

void growPresent(LayerRecord& l, const DirtyRect& r) {
    l.present.left = std::min(l.present.left, r.left);
    l.present.top = std::min(l.present.top, r.top);
    l.present.right = std::max(l.present.right, r.right);
    l.present.bottom = std::max(l.present.bottom, r.bottom);
}

int drawChild(ObjectNode& child, LayerRecord& target, const DirtyRect& r) {
    LayerRecord& l = *child.layer;
    int64_t left = std::max(r.left, l.x), top = std::max(r.top, l.y);
    int64_t right = std::min(r.right, l.x + int64_t(l.width()) - 1);
    int64_t bottom = std::min(r.bottom, l.y + int64_t(l.height()) - 1);
    if (left > right || top > bottom) return 0;
    ComposeJob job;
    job.target = &target;
    job.source = &l;
    job.targetX = int(left);
    job.targetY = int(top);
    job.sourceX = int(left - l.x);
    job.sourceY = int(top - l.y);
    job.spanWidth = int(right - left + 1);
    const LayerRecord* mask = nullptr;
    if (!l.maskName.empty()) {
        ObjectNode* m = findNode(l.maskName);
        if (m && m->layer) mask = m->layer;
    }
    if (mask && (mask->width() != l.width() || mask->height() != l.height())) {
        reportScriptErrorArgs(100310, true, child.name);
        return -1;
    }
    bool alpha = drawsWithAlpha(child);
    if (mask && l.maskLevel <= 255) {
        buildMaskRamp(graphics().scene.maskRamp, l.maskLevel, l.maskSoftness, l.opacity);
        job.code = alpha ? 104 : 102;
        job.mask = mask;
        job.maskPixels = mask->pixels();
    } else {
        job.code = alpha ? 103 : 101;
    }
    runSplit(job, int(bottom - top + 1));
    return 0;
}

int composeRect(ObjectNode& node, const DirtyRect& r) {
    LayerRecord& layer = *node.layer;
    ObjectNode* start = occluder(node, r);
    if (!start) {
        const pixel::PixelSet& set = scenePixels();
        size_t bytes = size_t(r.right - r.left + 1) * 4;
        for (int64_t y = r.top; y <= r.bottom; ++y)
            set.kernels.zeroFill(layer.pixels() + (size_t(y) * layer.width() + size_t(r.left)) * 4, bytes);
        start = node.firstChild;
    }
    for (ObjectNode* c = start; c; c = c->nextSibling) {
        LayerRecord* l = c->layer;
        if (!l) continue;
        if (c->isContainer && composeLayer(*c, true) < 0) return -1;
        if (!l->visible || l->opacity <= 0 || l->excluded) continue;
        if (!l->maskName.empty() && l->maskLevel == 0) continue;
        if (drawChild(*c, layer, r) < 0) return -1;
    }
    return 0;
}

}  // namespace

void buildMaskRamp(MaskRamp& ramp, int level, int softness, int opacity) {
    if (softness == 256) {
        for (int m = 0; m < 256; ++m) ramp[size_t(m)] = m >= 256 - level ? 256 : 0;
    } else {
        int base = (softness >> 1) * level - 128 * softness + level;
        for (int m = 0; m < 256; ++m) ramp[size_t(m)] = std::min(255, base + ((m * softness) >> 1)) + 1;
    }
    for (int m = 0; m < 256; ++m) ramp[size_t(m)] = (ramp[size_t(m)] * opacity) >> 8;
}

int composeLayer(ObjectNode& node, bool useSourceAlphaForNode) {
    if (!node.layer) return 0;
    LayerRecord& layer = *node.layer;
    GraphicsState& g = graphics().scene;
    scenePixels();
    // A container below several dirty rectangles of its parent is redrawn
    // once per composition pass.
    if (node.isContainer && layer.composedPass == g.composePass && g.composePass != 0) return 0;
    layer.composedPass = g.composePass;
    layer.useSourceAlpha = !useSourceAlphaForNode;
    if (layer.dirtyCount == 0 && !layer.contentChanged) return 0;
    const int64_t w = int64_t(layer.width()), h = int64_t(layer.height());
    for (int k = 0; k < kDirtySlots; ++k) {
        if (!layer.dirtyUsed[size_t(k)]) continue;
        DirtyRect r = layer.dirty[size_t(k)];
        r.left = std::clamp<int64_t>(r.left, 0, w - 1);
        r.right = std::clamp<int64_t>(r.right, 0, w - 1);
        r.top = std::clamp<int64_t>(r.top, 0, h - 1);
        r.bottom = std::clamp<int64_t>(r.bottom, 0, h - 1);
        if (r.left > r.right || r.top > r.bottom) continue;
        growPresent(layer, r);
        if (layer.contentChanged) {
            layer.contentChanged = false;
            layer.present = {0, 0, w - 1, h - 1};
        }
        if (composeRect(node, r) < 0) return -1;
    }
    return 0;
}

int composeWindow(int w) {
    Core& c = core();
    Graphics& g = graphics();
    WindowObject& window = c.windows[size_t(w)];
    ObjectNode* root = window.root;
    if (!root || !root->layer || !window.shown || window.handle == platform::kNoWindow) return 0;
    if (!root->layer->visible || !root->layer->needsPresent) return 0;
    ++g.scene.composePass;
    return composeLayer(*root, false);
}

// A container that was not composed in the last pass (hidden under an
// opaque sibling) keeps its dirty rectangles: it still has to be redrawn
// before it is shown again.
void clearPresented(ObjectNode& node) {
    const uint64_t pass = graphics().scene.composePass;
    if (LayerRecord* l = node.layer) {
        l->dirtyCount = 0;
        l->needsPresent = false;
        l->dirtyUsed.fill(false);
        l->present = {kEmptyLow, kEmptyLow, kEmptyHigh, kEmptyHigh};
    }
    for (ObjectNode* c = node.firstChild; c; c = c->nextSibling) {
        if (c->isContainer && c->layer && c->layer->composedPass != pass) continue;
        clearPresented(*c);
    }
}

void runComposeJob(const WorkerJob& job) {
    if (job.code >= 101 && job.code <= 104 && job.context) runRows(*static_cast<const ComposeJob*>(job.context));
}

}  // namespace vr
