// Full screen: the display switched to a mode of the main window's client
// size (or, when the user prefers it, the picture scaled to the desktop) and
// back to the desktop's own mode.
#pragma once

namespace vr {

struct DisplayState {
    bool fullScreen = false;
    bool desktopFullScreen = false;  // full screen by scaling, the mode unchanged
    // Full screen wanted at start-up: once the window is shown, the display
    // is switched when this differs from the current state.
    bool fullScreenAtStart = false;
    // The display size: in full screen the main window's client size,
    // otherwise the configured size.
    int width = 0, height = 0;
    // Where the picture's top-left corner lies on the display; the picture
    // is never moved, but the input code subtracts it.
    int pictureX = 0, pictureY = 0;
};

// Switches the main window to full screen or back; true when the state
// changed.  A display without a mode of the window's size reports 105200
// and a refused switch 105210; both leave the window as it was.  Failing to
// give the window back its style reports 105220.
bool setFullScreen(bool on);

}  // namespace vr
