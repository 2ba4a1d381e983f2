#include "engine.h"

#include <cassert>

namespace vr {

namespace {
Engine* gEngine = nullptr;
}

Engine& engine() {
    assert(gEngine && "no engine bound");
    return *gEngine;
}
void bindEngine(Engine* e) { gEngine = e; }
bool engineBound() { return gEngine != nullptr; }

}  // namespace vr
