// The engine's four window objects; window 0 is the main window.  The
// records are core's (the engine configuration sizes them, the error
// reporter owns its dialog by window 0); the shell opens and presents them.
#pragma once

#include <string>

#include "platform/platform.h"

namespace vr {

struct ObjectNode;  // graphics/layer.h

constexpr int kWindowCount = 4;

enum class CloseMode { RecordOnly = 0, Confirm = 1, Quit = 2, CloseSilently = 3 };

struct WindowObject {
    int index = 0;
    int clientWidth = 0, clientHeight = 0;
    bool shown = false;
    CloseMode closeMode = CloseMode::Confirm;
    bool minimiseAllowed = true;
    std::string title;  // Shift_JIS, at most 128 bytes
    platform::WindowId handle = platform::kNoWindow;
    ObjectNode* root = nullptr;  // the container presented (window 0: "W0")
    bool active = false;
    int mouseX = 0, mouseY = 0;
    bool mouseOutside = true;
    bool needsClear = true;
    bool closeRequested = false;  // close mode 0: recorded for the script
    bool quitWithoutConfirm = false;  // set by requestQuit
};

}  // namespace vr
