#include "support/x_screen.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <thread>
#include <vector>

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

// Xvfb picks a free display and writes its number to the descriptor given.
std::unique_ptr<BackgroundProcess> startXvfb(const std::string& log, int& display) {
    display = -1;
    auto server = std::make_unique<BackgroundProcess>(
        std::vector<std::string>{"/usr/bin/Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"}, log);
    for (int waited = 0; waited < 5000; waited += 20) {
        std::string out = server->output();
        size_t start = 0;
        while (start < out.size()) {
            size_t end = out.find('\n', start);
            if (end == std::string::npos) break;
            std::string line = out.substr(start, end - start);
            if (!line.empty() && line.size() < 6 && line.find_first_not_of("0123456789") == std::string::npos) {
                display = std::stoi(line);
                return server;
            }
            start = end + 1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return server;
}

}  // namespace vr::test
