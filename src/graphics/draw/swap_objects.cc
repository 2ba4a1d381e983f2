#include "graphics/draw/swap_objects.h"

#include <utility>

#include "graphics/object_tree.h"

namespace vr {

namespace {

bool isAncestor(const ObjectNode& maybe, const ObjectNode& node) {
    for (const ObjectNode* p = node.parent; p; p = p->parent)
        if (p == &maybe) return true;
    return false;
}

// `to` takes the exact place of `from` in its parent's list.
void takePlace(ObjectNode& from, ObjectNode& to) {
    ObjectNode* parent = from.parent;
    to.parent = parent;
    to.prevSibling = from.prevSibling;
    to.nextSibling = from.nextSibling;
    if (to.prevSibling) to.prevSibling->nextSibling = &to;
    else if (parent) parent->firstChild = &to;
    if (to.nextSibling) to.nextSibling->prevSibling = &to;
    else if (parent) parent->lastChild = &to;
    from.parent = from.prevSibling = from.nextSibling = nullptr;
}

void swapSettings(LayerRecord& a, LayerRecord& b, SwapMode mode) {
    std::swap(a.x, b.x);
    std::swap(a.y, b.y);
    if (mode != SwapMode::Display) return;
    std::swap(a.visible, b.visible);
    std::swap(a.opacity, b.opacity);
    std::swap(a.maskLevel, b.maskLevel);
    std::swap(a.maskSoftness, b.maskSoftness);
    std::swap(a.maskName, b.maskName);
    std::swap(a.blendMode, b.blendMode);
    std::swap(a.excluded, b.excluded);
}

}  // namespace

bool swapObjects(ObjectNode& a, ObjectNode& b, SwapMode mode) {
    if (&a == &b || !a.parent || !b.parent || isAncestor(a, b) || isAncestor(b, a)) return false;
    if (a.layer) markForRedraw(a);
    if (b.layer) markForRedraw(b);
    // Through a stand-in, so that neighbouring siblings swap as well.
    ObjectNode standIn;
    takePlace(a, standIn);
    takePlace(b, a);
    takePlace(standIn, b);
    std::swap(a.order, b.order);
    std::swap(a.name, b.name);
    a.nameHash = objectNameHash(a.name, a.isContainer);
    b.nameHash = objectNameHash(b.name, b.isContainer);
    if (mode != SwapMode::Places && a.layer && b.layer && a.layer != b.layer) swapSettings(*a.layer, *b.layer, mode);
    if (a.layer) markForRedraw(a);
    if (b.layer) markForRedraw(b);
    return true;
}

}  // namespace vr
