#include "core/core.h"

namespace vr {

namespace detail {
Core* boundCore = nullptr;
}

void bindCore(Core* c) { detail::boundCore = c; }

}  // namespace vr
