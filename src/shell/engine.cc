#include "shell/engine.h"

#include "shell/wiring.h"

namespace vr {

Engine::Engine(platform::Platform& hostPlatform)
    : host(hostPlatform, mainThread), core(host) {
    installCommandHandlers(script.commands);
    installHooks(*this);
}

namespace detail {
Engine* boundEngine = nullptr;
}

void bindEngine(Engine* e) {
    detail::boundEngine = e;
    bindCore(e ? &e->core : nullptr);
    bindScriptState(e ? &e->script : nullptr);
    bindGraphics(e ? &e->graphics : nullptr);
}

bool engineBound() { return detail::boundEngine != nullptr; }

}  // namespace vr
