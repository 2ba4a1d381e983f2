// The engine's four window objects; window 0 is the main window.
#pragma once

#include <string>

#include "core/window_object.h"
#include "platform/platform.h"

namespace vr {

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
// Tells the sound thread whether the main window is active (it reads its
// own copy: the window records are the frame's).
void noteMainWindowActivity();
// Presents a window's root surface; returns the quit flag.
bool presentWindow(WindowObject& window);
// The whole root layer is presented again at the next presentation.
void markForFullPresent(WindowObject& window);
void destroyWindows();

}  // namespace vr
