#include "shell/engine.h"

#include "shell/wiring.h"

namespace vr {

Engine::Engine(platform::Platform& hostPlatform)
    : host(hostPlatform, mainThread), core(host) {
    installCommandHandlers(script.commands);
    installHooks(*this);
}

void bindEngine(Engine* e) {
    bindRecord(e);
    bindRecord(e ? &e->core : nullptr);
    bindRecord(e ? &e->script : nullptr);
    bindRecord(e ? &e->graphics : nullptr);
    bindRecord(e ? &e->sound : nullptr);
    bindRecord(e ? &e->save : nullptr);
}

bool engineBound() { return detail::boundRecord<Engine> != nullptr; }

}  // namespace vr
