#include "graphics/object_commands.h"

#include <algorithm>

#include "common/command_ids.h"
#include "common/texts/engine_texts.h"
#include "core/core.h"
#include "graphics/graphics.h"
#include "graphics/image/image_load.h"
#include "graphics/object_tree.h"
#include "graphics/pixel/pixel_set.h"
#include "script/arguments.h"
#include "script/value_operators.h"
#include "script/variables.h"

namespace vr {

namespace {

namespace object_set = arg::object_set;
namespace query = arg::object_query;

GraphicsState& scene() { return graphics().scene; }

int64_t changed(int id, int64_t current, int64_t lower = std::numeric_limits<int64_t>::min()) {
    const ArgumentValue* a = argument(id);
    return a ? applyOperator(a->relative, current, a->integer, lower) : current;
}

int64_t changedBounded(int id, int64_t current, int64_t lower, int64_t upper) {
    const ArgumentValue* a = argument(id);
    return a ? applyBoundedOperator(a->relative, current, a->integer, lower, upper) : current;
}

// A new size keeps the overlapping top-left part of the picture on opaque
// black.
bool resizeLayer(ObjectNode& node, uint32_t width, uint32_t height) {
    LayerRecord& l = *node.layer;
    if (width == l.width() && height == l.height()) return true;
    Surface old = std::move(l.surface);
    if (!allocateLayerPixels(l, width, height, node.name)) {
        l.surface = std::move(old);
        return false;
    }
    const pixel::PixelSet& set = *scene().pixels;
    for (uint32_t y = 0; y < height; ++y) set.kernels.pixelFill(l.surface.row(y), size_t(width) * 4, 0xFF000000u);
    uint32_t w = std::min(width, old.width), h = std::min(height, old.height);
    for (uint32_t y = 0; y < h; ++y) set.kernels.copy(l.surface.row(y), old.row(y), size_t(w) * 4);
    l.surface.hasAlpha = old.hasAlpha;
    return true;
}

bool loadImage(ObjectNode& node, std::string_view name) {
    LayerRecord& l = *node.layer;
    Surface image;
    if (loadImageSurface(image, name) < 0) return false;
    l.surface = std::move(image);
    l.contentChanged = true;
    // An image whose alpha carries information is drawn by it; nothing else
    // would let a script show a transparent picture as such.
    l.useSourceAlpha = l.surface.hasAlpha;
    return true;
}

// The blue channel of another object becomes this layer's alpha.
bool takeAlphaFrom(ObjectNode& node, std::string_view path) {
    ObjectNode* source = findNode(path);
    if (!source || !source->layer) {
        reportScriptErrorArgs(101250, true, std::string(path));
        return false;
    }
    LayerRecord& l = *node.layer;
    const LayerRecord& s = *source->layer;
    if (s.width() != l.width() || s.height() != l.height()) {
        platform::MessageBoxSpec box;
        box.text = VR_TEXT_LAYER_MASK_SIZE_MISMATCH;
        box.caption = core().windows[0].title;
        box.icon = platform::Icon::Error;
        box.owner = core().windows[0].handle;
        core().platform.messageBox(box);
        core().run.quitRequested = true;
        return false;
    }
    size_t pixels = size_t(l.width()) * l.height();
    const uint8_t* from = s.pixels();
    uint8_t* to = l.pixels();
    for (size_t i = 0; i < pixels; ++i) to[i * 4 + 3] = from[i * 4];
    l.useSourceAlpha = true;
    l.surface.hasAlpha = true;
    return true;
}

bool shareLayerOf(ObjectNode& node, std::string_view path) {
    ObjectNode* other = findNode(path);
    if (!other || !other->layer) {
        reportScriptErrorArgs(101250, true, std::string(path));
        return false;
    }
    if (other->layer != node.layer) attachLayer(node, other->layer);
    return true;
}

// The object a set command names, created when the command may create it;
// null with `skip` set when it is missing and may not.
ObjectNode* objectToSet(const std::string& resolved, bool container, bool& skip) {
    skip = false;
    if (ObjectNode* node = findResolvedNode(resolved, container)) return node;
    bool loads = hasArgument(object_set::kImage) || hasArgument(object_set::kShare);
    if (!container && !loads) {
        skip = true;
        if (scene().missingObjectCheck) {
            reportScriptErrorArgs(101230, true, resolved);
            skip = false;
        }
        return nullptr;
    }
    if (!hasArgument(object_set::kOrder)) {
        reportScriptErrorArgs(100240, true, resolved);
        return nullptr;
    }
    int64_t order = std::max<int64_t>(1, argumentInteger(object_set::kOrder));
    if (container) {
        int64_t w = std::max<int64_t>(1, argumentInteger(object_set::kWidth, 1));
        int64_t h = std::max<int64_t>(1, argumentInteger(object_set::kHeight, 1));
        return createLayerNode(resolved, uint32_t(std::min<int64_t>(w, UINT32_MAX)),
                               uint32_t(std::min<int64_t>(h, UINT32_MAX)), order);
    }
    ObjectNode* node = createNode(resolved, false, order);
    if (!node) return nullptr;
    if (!hasArgument(object_set::kShare) && !attachNewLayer(*node)) return nullptr;
    return node;
}

int ObjectSet() {
    if (evaluateArguments(cmd::kObjectSet) < 0) return -1;
    std::string resolved;
    int kind = resolvePath(resolved, argumentText(object_set::kPath), defaultObjectRoot(), false);
    if (kind < 0) return -1;
    bool container = kind == 1;
    if (container && (hasArgument(object_set::kImage) || hasArgument(object_set::kShare))) {
        reportScriptErrorArgs(101280, true, resolved);
        return -1;
    }
    bool skip = false;
    bool existed = findResolvedNode(resolved, container) != nullptr;
    ObjectNode* node = objectToSet(resolved, container, skip);
    if (!node) return skip ? 0 : -1;
    GraphicsState& g = scene();

    if (hasArgument(object_set::kShare)) {
        if (!shareLayerOf(*node, argumentText(object_set::kShare))) return -1;
        markWholeForRedraw(*node);
    }
    if (!node->layer) return 0;
    LayerRecord& l = *node->layer;

    if (hasArgument(object_set::kImage)) {
        if (existed) markForRedraw(*node);
        if (!loadImage(*node, argumentText(object_set::kImage))) return -1;
        markWholeForRedraw(*node);
    }
    if (existed && (hasArgument(object_set::kWidth) || hasArgument(object_set::kHeight))) {
        int64_t w = std::clamp<int64_t>(changed(object_set::kWidth, l.width(), 1), 1, UINT32_MAX);
        int64_t h = std::clamp<int64_t>(changed(object_set::kHeight, l.height(), 1), 1, UINT32_MAX);
        if (uint32_t(w) != l.width() || uint32_t(h) != l.height()) {
            markForRedraw(*node);
            if (!resizeLayer(*node, uint32_t(w), uint32_t(h))) return -1;
            markWholeForRedraw(*node);
        }
    }
    if (hasArgument(object_set::kAlphaSource) && !takeAlphaFrom(*node, argumentText(object_set::kAlphaSource))) return -1;

    bool look = false;
    if (hasArgument(object_set::kVisible)) {
        l.visible = changed(object_set::kVisible, l.visible) != 0;
        look = true;
    }
    if (hasArgument(object_set::kOpacity)) {
        l.opacity = int16_t(changedBounded(object_set::kOpacity, l.opacity, 0, 256));
        look = true;
    }
    if (hasArgument(object_set::kMaskLevel)) {
        l.maskLevel = int16_t(changedBounded(object_set::kMaskLevel, l.maskLevel, 0, 256));
        look = true;
    }
    if (hasArgument(object_set::kMask)) {
        l.maskName = std::string(argumentText(object_set::kMask)).substr(0, 260);
        look = true;
    }
    if (hasArgument(object_set::kMaskSoftness)) {
        l.maskSoftness = int16_t(std::clamp<int64_t>(changed(object_set::kMaskSoftness, l.maskSoftness), 0, 256));
        look = true;
    }
    if (hasArgument(object_set::kBlend)) {
        l.blendMode = uint8_t(std::clamp<int64_t>(changed(object_set::kBlend, l.blendMode), 0, 18));
        look = true;
    }
    if (hasArgument(object_set::kX) || hasArgument(object_set::kY)) {
        int64_t x = changed(object_set::kX, l.x), y = changed(object_set::kY, l.y);
        if (x != l.x || y != l.y) {
            markForRedraw(*node);
            l.x = x;
            l.y = y;
            markForRedraw(*node);
        }
    }
    if (existed && hasArgument(object_set::kOrder)) {
        int64_t order = std::max<int64_t>(1, changed(object_set::kOrder, node->order, 1));
        if (order != node->order) {
            reorderNode(*node, order);
            markForRedraw(*node);
        }
    }
    if (look) {
        markForRedraw(*node);
        g.displayChanged = true;
    }
    return 0;
}

int ObjectDelete() {
    if (evaluateArguments(cmd::kObjectDelete) < 0) return -1;
    std::string resolved;
    int kind = resolvePath(resolved, argumentText(arg::object_delete::kPath), defaultObjectRoot(), false);
    if (kind < 0) return -1;
    ObjectNode* node = findResolvedNode(resolved, kind == 1);
    if (!node) return 0;
    markForRedraw(*node);
    deleteNode(node, kind == 1);
    return 0;
}

// The pixel of a layer at a point of its own, as blue + green * 256 +
// red * 65536 (+ alpha * 16777216 when asked); -1 outside.
int64_t pixelAt(const LayerRecord& l, int64_t x, int64_t y, bool withAlpha) {
    if (x < 0 || y < 0 || x >= int64_t(l.width()) || y >= int64_t(l.height())) return -1;
    const uint8_t* p = l.pixels() + (size_t(y) * l.width() + size_t(x)) * 4;
    int64_t v = int64_t(p[0]) | int64_t(p[1]) << 8 | int64_t(p[2]) << 16;
    return withAlpha ? v | int64_t(p[3]) << 24 : v;
}

int64_t pointerPixel(const ObjectNode& node, int argumentId) {
    const LayerRecord& l = *node.layer;
    const WindowObject& target = core().windows[size_t(std::clamp<int64_t>(argumentInteger(argumentId), 0, 3))];
    int64_t px = argument(query::kAtX) ? argumentInteger(query::kAtX) : target.mouseX;
    int64_t py = argument(query::kAtY) ? argumentInteger(query::kAtY) : target.mouseY;
    if (px < 0 || py < 0 || px >= target.clientWidth || py >= target.clientHeight) return -1;
    int64_t ax, ay;
    absolutePosition(node, ax, ay);
    return pixelAt(l, px - ax, py - ay, true);
}

// An edge of the box around the pixels whose alpha is not 0.
int64_t opaqueEdge(const LayerRecord& l, int64_t which) {
    if (which < 1 || which > 4) return 0;
    int64_t top = -1, bottom = -1, left = -1, right = -1;
    for (uint32_t y = 0; y < l.height(); ++y) {
        const uint8_t* row = l.surface.row(y);
        for (uint32_t x = 0; x < l.width(); ++x) {
            if (row[size_t(x) * 4 + 3] == 0) continue;
            if (top < 0) top = y;
            bottom = y;
            if (left < 0 || x < left) left = x;
            if (x > right) right = x;
        }
    }
    if (top < 0) return -1;
    switch (which) {
    case 1: return top;
    case 2: return bottom;
    case 3: return left;
    default: return right;
    }
}

int ObjectQuery() {
    if (evaluateArguments(cmd::kObjectQuery) < 0) return -1;
    const ArgumentValue* target = argument(query::kResult);
    if (!target) return 0;
    uint32_t number = target->variable;
    int64_t element = target->element;
    ObjectNode* node = findNode(argumentText(query::kPath));
    if (!node || !node->layer) {
        if (variableType(number) == kTypeString) setString(number, element, "");
        else setNumber(number, element, 0);
        return 0;
    }
    const LayerRecord& l = *node->layer;
    auto answer = [&](int64_t v) { return setNumber(number, element, v) < 0 ? -1 : 0; };
    if (hasArgument(query::kExists)) return answer(1);
    if (hasArgument(query::kVisible)) return answer(l.visible);
    if (hasArgument(query::kOpacity)) return answer(l.opacity);
    if (hasArgument(query::kMaskLevel)) return answer(l.maskLevel);
    if (hasArgument(query::kMask)) return setString(number, element, l.maskName) < 0 ? -1 : 0;
    if (hasArgument(query::kMaskSoftness)) return answer(l.maskSoftness);
    if (hasArgument(query::kX)) return answer(l.x);
    if (hasArgument(query::kY)) return answer(l.y);
    if (hasArgument(query::kOrder)) return answer(node->order);
    if (hasArgument(query::kBlend)) return answer(l.blendMode);
    if (hasArgument(query::kWidth)) return answer(l.width());
    if (hasArgument(query::kHeight)) return answer(l.height());
    if (hasArgument(query::kPointerPixel)) return answer(pointerPixel(*node, query::kPointerPixel));
    if (hasArgument(query::kPointerPixel2)) return answer(pointerPixel(*node, query::kPointerPixel2));
    if (hasArgument(query::kColourAt)) {
        if (!hasArgument(query::kAtX) || !hasArgument(query::kAtY)) {
            reportScriptError(101295, true);
            return -1;
        }
        return answer(pixelAt(l, argumentInteger(query::kAtX), argumentInteger(query::kAtY), false));
    }
    if (hasArgument(query::kOpaqueEdge)) return answer(opaqueEdge(l, argumentInteger(query::kAtX)));
    return 0;
}

}  // namespace

void installObjectCommands(CommandTable& table) {
    table.slots[cmd::kObjectSet] = &ObjectSet;
    table.slots[cmd::kObjectDelete] = &ObjectDelete;
    table.slots[cmd::kObjectQuery] = &ObjectQuery;
}

}  // namespace vr
