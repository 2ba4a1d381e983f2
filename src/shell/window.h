// The engine's four window objects; window 0 is the main window.
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

// Creates the four window objects (start-up step 14).
int createWindowObjects();
// The platform window's style and placement for a window object.
platform::WindowSpec windowSpec(const WindowObject& window);
// Creates window 0 on the platform with the size and title of its object.
bool createMainWindow();
// Opens window 1, 2 or 3 on the platform with the object's title and
// client size (the window commands fill them first); false when the index
// is not a secondary window, the window is open already, or the platform
// cannot make it.
bool openWindow(int index);
// Destroys a window's platform window; the object stays for a later open.
void closeWindow(int index);
// Presents a window's root surface; returns the quit flag.
bool presentWindow(WindowObject& window);
// The whole root layer is presented again at the next presentation.
void markForFullPresent(WindowObject& window);
void destroyWindows();

}  // namespace vr
