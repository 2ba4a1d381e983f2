// The graphics subsystem's state: the object tree and composition, the text
// output and the message window.  Reached through graphics(); the shell's
// Engine owns it and binds it.
#pragma once

#include <cassert>

#include "graphics/graphics_state.h"
#include "graphics/message/message_state.h"
#include "graphics/text/text_state.h"

namespace vr {

struct Graphics {
    GraphicsState scene;
    TextState text;
    MessageWindowState messageWindow;
};

namespace detail {
extern Graphics* boundGraphics;
}

inline Graphics& graphics() {
    assert(detail::boundGraphics && "no engine is bound");
    return *detail::boundGraphics;
}
void bindGraphics(Graphics* g);

}  // namespace vr
