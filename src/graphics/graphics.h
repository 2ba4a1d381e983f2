// The graphics subsystem's state: the object tree and composition, the text
// output and the message window.  Reached through graphics(); the shell's
// Engine owns it and binds it.
#pragma once


#include "common/bound_record.h"
#include "graphics/graphics_state.h"
#include "graphics/message/message_state.h"
#include "graphics/text/text_state.h"

namespace vr {

struct Graphics {
    GraphicsState scene;
    TextState text;
    MessageWindowState messageWindow;
};

inline Graphics& graphics() { return boundRecord<Graphics>(); }

}  // namespace vr
