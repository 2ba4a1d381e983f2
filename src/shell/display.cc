#include "shell/display.h"

#include "core/error_report.h"
#include "shell/engine.h"

namespace vr {

namespace {

// The first mode of exactly the window's size in the desktop's depth: a
// game draws for one size and expects to fill the display with it.
const platform::DisplayMode* exactMode(const std::vector<platform::DisplayMode>& modes, int width, int height,
                                       int bits) {
    for (const auto& m : modes)
        if (m.width == width && m.height == height && m.bitsPerPixel == bits) return &m;
    return nullptr;
}

void backToWindow(WindowObject& w, bool reportFailure) {
    Engine& e = engine();
    if (!e.core.platform.leaveFullScreen(w.handle, windowSpec(w)) && reportFailure) reportError(105220, false);
    DisplayState& d = e.display;
    d.fullScreen = d.desktopFullScreen = false;
    d.width = w.clientWidth;
    d.height = w.clientHeight;
    w.needsClear = true;
    markForFullPresent(w);
}

}  // namespace

// Other applications' windows keep their places across a mode change on
// the window systems this runs on, so no placements are saved or restored.
bool setFullScreen(bool on) {
    Engine& e = engine();
    DisplayState& d = e.display;
    WindowObject& w = e.core.windows[0];
    if (on == d.fullScreen || w.handle == platform::kNoWindow) return false;
    if (!on) {
        // While quitting the window is about to go: its style no longer matters.
        backToWindow(w, !e.core.run.quitRequested);
        return true;
    }
    platform::Platform& host = e.core.platform;
    if (host.prefersDesktopFullScreen()) {
        if (!host.enterDesktopFullScreen(w.handle)) {
            reportError(105210, false);
            backToWindow(w, false);
            return false;
        }
        d.desktopFullScreen = true;
    } else {
        std::vector<platform::DisplayMode> modes = host.displayModes();
        const platform::DisplayMode* mode = exactMode(modes, w.clientWidth, w.clientHeight, e.core.run.screenBitsPerPixel);
        if (!mode) {
            reportErrorArgs(105200, false, w.clientWidth, w.clientHeight);
            return false;
        }
        if (!host.enterFullScreen(w.handle, *mode)) {
            reportError(105210, false);
            backToWindow(w, false);
            return false;
        }
    }
    d.fullScreen = true;
    d.width = w.clientWidth;
    d.height = w.clientHeight;
    w.needsClear = true;
    markForFullPresent(w);
    return true;
}

}  // namespace vr
