#include "support/x_screen.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace vr::test {

bool grabScreen(const std::string& display, int x, int y, int w, int h, Picture& out) {
    Display* d = XOpenDisplay(display.c_str());
    if (!d) return false;
    int screenWidth = DisplayWidth(d, DefaultScreen(d)), screenHeight = DisplayHeight(d, DefaultScreen(d));
    // Xlib's default error handler ends the process on a rectangle off the screen.
    XImage* image = x >= 0 && y >= 0 && x + w <= screenWidth && y + h <= screenHeight
                        ? XGetImage(d, DefaultRootWindow(d), x, y, unsigned(w), unsigned(h), AllPlanes, ZPixmap)
                        : nullptr;
    bool ok = image != nullptr;
    if (ok) {
        out = Picture(w, h, 0);
        for (int py = 0; py < h; ++py)
            for (int px = 0; px < w; ++px) out.set(px, py, 0xFF000000u | uint32_t(XGetPixel(image, px, py)));
        XDestroyImage(image);
    }
    XCloseDisplay(d);
    return ok;
}

}  // namespace vr::test
