// The engine's four window objects; window 0 is the main window.
#pragma once

#include <string>

#include "platform/platform.h"

namespace vr {

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
    bool active = false;
    int mouseX = 0, mouseY = 0;
    bool mouseOutside = true;
    bool needsClear = true;
    bool closeRequested = false;  // close mode 0: recorded for the script
    bool quitWithoutConfirm = false;  // set by requestQuit
};

// Creates the four window objects (start-up step 14).
int createWindowObjects();
// Creates window 0 on the platform with the size and title of its object.
bool createMainWindow();
// Presents a window's root surface; returns the quit flag.
bool presentWindow(WindowObject& window);
// Handles a platform event addressed to the windows.
void handleWindowEvent(const platform::Event& event);
void destroyWindows();

}  // namespace vr
