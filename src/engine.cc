#include "engine.h"

namespace vr {

namespace detail {
Engine* boundEngine = nullptr;
}

void bindEngine(Engine* e) { detail::boundEngine = e; }
bool engineBound() { return detail::boundEngine != nullptr; }

}  // namespace vr
