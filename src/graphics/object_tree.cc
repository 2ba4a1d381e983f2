#include "graphics/object_tree.h"

#include <algorithm>
#include <new>
#include <vector>

#include "common/sjis.h"
#include "core/core.h"
#include "graphics/graphics.h"
#include "graphics/image/image_load.h"
#include "script/node_path.h"
#include "script/script_state.h"

namespace vr {

namespace {

void linkChild(ObjectNode& parent, ObjectNode& node) {
    ObjectNode* above = parent.firstChild;
    while (above && above->order <= node.order) above = above->nextSibling;
    node.parent = &parent;
    node.nextSibling = above;
    node.prevSibling = above ? above->prevSibling : parent.lastChild;
    if (node.prevSibling) node.prevSibling->nextSibling = &node;
    else parent.firstChild = &node;
    if (above) above->prevSibling = &node;
    else parent.lastChild = &node;
    ++parent.childCount;
}

void unlinkChild(ObjectNode& node) {
    ObjectNode* parent = node.parent;
    if (!parent) return;
    if (node.prevSibling) node.prevSibling->nextSibling = node.nextSibling;
    else parent->firstChild = node.nextSibling;
    if (node.nextSibling) node.nextSibling->prevSibling = node.prevSibling;
    else parent->lastChild = node.prevSibling;
    node.prevSibling = node.nextSibling = node.parent = nullptr;
    --parent->childCount;
}

DirtyRect rectInParent(const LayerRecord& l) {
    return {l.x, l.y, l.x + int64_t(l.width()) - 1, l.y + int64_t(l.height()) - 1};
}

void forgetNode(ObjectNode& node) {
    Core& c = core();
    Graphics& g = graphics();
    for (auto& w : c.windows)
        if (w.root == &node) w.root = nullptr;
    if (node.layer && g.scene.drawingTarget == node.layer && node.layer->refCount <= 1)
        g.scene.drawingTarget = nullptr;
    if (g.text.message.target == &node) g.text.message.target = nullptr;
}

void freeNode(ObjectNode* node) {
    forgetNode(*node);
    unlinkChild(*node);
    releaseLayer(*node);
    delete node;
}

void deleteDescendants(ObjectNode& node) {
    while (ObjectNode* c = node.lastChild) {
        deleteDescendants(*c);
        freeNode(c);
    }
}

}  // namespace

ObjectNode* findChild(const ObjectNode& parent, std::string_view name, bool container) {
    uint32_t hash = objectNameHash(name, container);
    for (ObjectNode* c = parent.firstChild; c; c = c->nextSibling)
        if (c->nameHash == hash && c->name == name) return c;
    return nullptr;
}

ObjectNode* findResolvedNode(std::string_view resolved, bool container) {
    ObjectNode* at = &graphics().scene.layerRoot;
    bool any = false;
    bool found = forEachComponent(resolved, [&](std::string_view c, bool last) {
        any = true;
        at = findChild(*at, c, last ? container : true);
        return at != nullptr;
    });
    return found && any ? at : nullptr;
}

ObjectNode* findNode(std::string_view path) {
    std::string resolved;
    int r = resolvePath(resolved, path, defaultObjectRoot(), true);
    if (r < 0) return nullptr;
    return findResolvedNode(resolved, r == 1);
}

int lookUpObjectPath(std::string_view path, std::string_view from, ObjectLookup& out) {
    out = ObjectLookup{};
    int kind = resolvePath(out.resolved, path, from, true);
    if (kind < 0) return -1;
    out.container = kind == 1;
    ObjectNode* at = &graphics().scene.layerRoot;
    bool ok = forEachComponent(out.resolved, [&](std::string_view c, bool last) {
        out.parent = at;
        at = findChild(*at, c, last ? out.container : true);
        if (!at && !last) reportScriptErrorArgs(100230, true, std::string(c));
        return at != nullptr || last;
    });
    if (!ok) return -1;
    out.node = out.parent ? at : nullptr;
    return 0;
}

ObjectNode* findPictureObject(std::string_view path, std::string_view from) {
    ObjectLookup found;
    if (lookUpObjectPath(path, from, found) < 0) return nullptr;
    if (!found.node || !found.node->layer) {
        reportScriptErrorArgs(101250, true, std::string(path));
        return nullptr;
    }
    return found.node;
}

std::string_view defaultObjectRoot() { return scriptState().system.defaultRoots[kRootObjects]; }

ObjectNode* findLayerObject(std::string_view path) { return findPictureObject(path, defaultObjectRoot()); }

ObjectNode* createNode(std::string_view resolved, bool container, int64_t order) {
    std::string_view name = lastComponent(resolved);
    if (name.empty()) return nullptr;
    ObjectNode* parent = &graphics().scene.layerRoot;
    bool ok = forEachComponent(resolved, [&](std::string_view c, bool last) {
        if (last) return true;
        parent = findChild(*parent, c, true);
        if (!parent) reportScriptErrorArgs(100230, true, std::string(c));
        return parent != nullptr;
    });
    if (!ok) return nullptr;
    auto* node = new (std::nothrow) ObjectNode;
    if (!node) {
        reportScriptError(100010, true);
        return nullptr;
    }
    node->name = std::string(name);
    node->nameHash = objectNameHash(name, container);
    node->order = order;
    node->isContainer = container;
    linkChild(*parent, *node);
    return node;
}

LayerRecord* newLayerRecord() {
    auto* layer = new (std::nothrow) LayerRecord;
    if (!layer) return nullptr;
    layer->surface.width = layer->surface.height = 1;
    layer->surface.pixels.assign(surfaceStorageBytes(1, 1), 0);
    layer->refCount = 0;
    return layer;
}

bool attachNewLayer(ObjectNode& node) {
    LayerRecord* layer = newLayerRecord();
    if (!layer) {
        reportScriptError(100010, true);
        deleteNode(&node, false);
        return false;
    }
    attachLayer(node, layer);
    return true;
}

void attachLayer(ObjectNode& node, LayerRecord* layer) {
    releaseLayer(node);
    node.layer = layer;
    if (layer) ++layer->refCount;
}

void releaseLayer(ObjectNode& node) {
    LayerRecord* layer = node.layer;
    node.layer = nullptr;
    if (!layer || --layer->refCount > 0) return;
    if (graphics().scene.drawingTarget == layer) graphics().scene.drawingTarget = nullptr;
    delete layer;
}

bool allocateLayerPixels(LayerRecord& layer, uint32_t width, uint32_t height, std::string_view name) {
    if (!allocateSurfacePixels(layer.surface, width, height, name)) return false;
    layer.surface.frames.clear();
    layer.contentChanged = true;
    return true;
}

ObjectNode* createLayerNode(std::string_view resolved, uint32_t width, uint32_t height, int64_t order) {
    ObjectNode* node = createNode(resolved, true, order);
    if (!node || !attachNewLayer(*node)) return nullptr;
    if (!allocateLayerPixels(*node->layer, width, height, node->name)) {
        deleteNode(node, false);
        return nullptr;
    }
    markWholeForRedraw(*node);
    return node;
}

void reorderNode(ObjectNode& node, int64_t order) {
    ObjectNode* parent = node.parent;
    if (!parent) {
        node.order = order;
        return;
    }
    unlinkChild(node);
    node.order = order;
    linkChild(*parent, node);
}

void addDirtyRect(LayerRecord& p, const DirtyRect& c) {
    p.needsPresent = true;
    if (p.dirtyCount == 0) {
        p.dirty[0] = c;
        p.dirtyUsed.fill(false);
        p.dirtyUsed[0] = true;
        p.dirtyCount = 1;
        return;
    }
    auto grow = [&](DirtyRect& r) {
        r.left = std::min(r.left, c.left);
        r.top = std::min(r.top, c.top);
        r.right = std::max(r.right, c.right);
        r.bottom = std::max(r.bottom, c.bottom);
    };
    for (int k = 0; k < kDirtySlots; ++k) {
        DirtyRect& r = p.dirty[size_t(k)];
        if (p.dirtyUsed[size_t(k)] && c.right + 1 >= r.left && c.left <= r.right && c.bottom + 1 >= r.top &&
            c.top <= r.bottom) {
            grow(r);
            return;
        }
    }
    for (int k = 0; k < kDirtySlots; ++k) {
        if (!p.dirtyUsed[size_t(k)]) {
            p.dirty[size_t(k)] = c;
            p.dirtyUsed[size_t(k)] = true;
            ++p.dirtyCount;
            return;
        }
    }
    grow(p.dirty[0]);
}

void markForRedraw(ObjectNode& node) {
    for (ObjectNode* child = &node; child->parent && child->parent->layer && child->layer; child = child->parent) {
        LayerRecord& p = *child->parent->layer;
        DirtyRect c = rectInParent(*child->layer);
        if (c.left >= int64_t(p.width()) || c.top >= int64_t(p.height()) || c.right < 0 || c.bottom < 0) continue;
        addDirtyRect(p, c);
    }
}

// The node's own area first: a container redraws all of itself from its
// children, and every ancestor redraws the rectangle the node covers.
void markWholeForRedraw(ObjectNode& node) {
    if (!node.layer) return;
    LayerRecord& l = *node.layer;
    addDirtyRect(l, {0, 0, int64_t(l.width()) - 1, int64_t(l.height()) - 1});
    markForRedraw(node);
}

void absolutePosition(const ObjectNode& node, int64_t& x, int64_t& y) {
    x = y = 0;
    for (const ObjectNode* n = &node; n; n = n->parent) {
        if (!n->layer) continue;
        x += n->layer->x;
        y += n->layer->y;
    }
}

// Without "/" only the node is meant, but its children cannot be reached
// once it is unlinked: they are freed with it rather than lost.
void deleteNode(ObjectNode* node, bool /*withChildren*/) {
    if (!node || node == &graphics().scene.layerRoot) return;
    deleteDescendants(*node);
    freeNode(node);
}

void deleteTree(ObjectNode& root) { deleteDescendants(root); }

}  // namespace vr
