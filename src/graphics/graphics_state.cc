#include "graphics/graphics_state.h"

namespace vr {

namespace {

// The end of an engine frees what is left of its tree; no engine need be
// bound any more, so nothing else is told.
void freeBelow(ObjectNode& node) {
    ObjectNode* c = node.firstChild;
    while (c) {
        ObjectNode* next = c->nextSibling;
        freeBelow(*c);
        if (c->layer && --c->layer->refCount <= 0) delete c->layer;
        delete c;
        c = next;
    }
    node.firstChild = node.lastChild = nullptr;
    node.childCount = 0;
}

}  // namespace

GraphicsState::GraphicsState() { layerRoot.isContainer = true; }

GraphicsState::~GraphicsState() { freeBelow(layerRoot); }

}  // namespace vr
