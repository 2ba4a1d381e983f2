// What the windows' events leave for the scripts and the input code: the
// last menu command, key and mouse button, the wheel, the requests the
// engine turned down (minimise, maximise) and the files dropped on a window.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace vr {

// A drop keeps at most this many paths, each at most kMaxDroppedPathBytes
// bytes long (260 with its terminator, the longest path the games expect).
// Longer paths are left out rather than cut: a cut path names another file.
constexpr size_t kMaxDroppedFiles = 65536;
constexpr size_t kMaxDroppedPathBytes = 259;

struct WindowEvents {
    int lastMenuCommand = 0;
    int lastKey = 0;          // Windows virtual-key number
    int lastMouseButton = 0;  // platform::kMouseLeft, kMouseRight or kMouseMiddle
    bool mouseMoved = false;
    int wheelDelta = 0;       // of the last wheel event
    bool minimiseRequested = false;  // a minimise the window was not allowed
    int maximiseRequested = 0;       // window index + 1; 0: none
    std::vector<std::string> droppedFiles;  // Shift_JIS, of the latest drop
    // The drag layer: a left click on one of its pixels that is not black
    // moves a frameless window.  The path is an object path as scripts
    // write it.
    std::string dragLayerPath;
    bool dragEnabled = false;
    int dragStartedWindow = -1;  // the window whose latest drag started (-1: none yet)
};

// Handles a platform event addressed to the windows.
void handleWindowEvent(const platform::Event& event);
// True when the client point (x, y) of window `index` lies on a pixel of the
// drag layer that is not black, and dragging is enabled.
bool dragLayerHit(int index, int x, int y);
// Adds one path of a drop to the list, within its limits.
void addDroppedFile(WindowEvents& events, const std::string& sjisPath);

}  // namespace vr
