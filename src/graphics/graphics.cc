#include "graphics/graphics.h"

namespace vr {

namespace detail {
Graphics* boundGraphics = nullptr;
}

void bindGraphics(Graphics* g) { detail::boundGraphics = g; }

}  // namespace vr
