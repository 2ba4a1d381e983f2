#include "support/x_screen.h"

#include <X11/Xlib.h>
#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

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

namespace {

// Windows come and go while they are looked at (a window listed by the
// query may be gone when its title is read): such a request fails, which
// Xlib's default handler would answer by ending the test process.
int ignoreXError(Display*, XErrorEvent*) { return 0; }

std::string utf8Title(Display* d, Window w) {
    Atom name = XInternAtom(d, "_NET_WM_NAME", False), utf8 = XInternAtom(d, "UTF8_STRING", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string title;
    if (XGetWindowProperty(d, w, name, 0, 1024, False, utf8, &type, &format, &count, &after, &data) == Success && data) {
        title.assign(reinterpret_cast<const char*>(data), count);
        XFree(data);
    }
    return title;
}

Window findTopLevel(Display* d, const std::string& title) {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    Window found = 0;
    if (!XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count)) return 0;
    for (unsigned int i = 0; i < count && !found; ++i)
        if (utf8Title(d, children[i]) == title) found = children[i];
    if (children) XFree(children);
    return found;
}

// The code points of a UTF-8 text (well-formed input assumed).
std::vector<uint32_t> codePoints(const std::string& s) {
    std::vector<uint32_t> out;
    for (size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        int n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        uint32_t cp = n == 1 ? c : c & (0x7F >> n);
        for (int k = 1; k < n && i + size_t(k) < s.size(); ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + size_t(k)]) & 0x3F);
        out.push_back(cp);
        i += size_t(n);
    }
    return out;
}

// A window takes keys once it is mapped and holds the input focus: a window
// found by its title may not be mapped yet, and the focus cannot go to it
// before it is.
bool focusWhenViewable(Display* d, Window w, int milliseconds) {
    for (int waited = 0; waited < milliseconds; waited += 50) {
        XWindowAttributes a{};
        if (XGetWindowAttributes(d, w, &a) && a.map_state == IsViewable) {
            XSetInputFocus(d, w, RevertToParent, CurrentTime);
            XSync(d, False);
            Window focus = 0;
            int revert = 0;
            XGetInputFocus(d, &focus, &revert);
            if (focus == w) return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

void sendKey(Display* d, Window w, unsigned int keycode) {
    XKeyEvent e{};
    e.display = d;
    e.window = w;
    e.root = DefaultRootWindow(d);
    e.same_screen = True;
    e.keycode = keycode;
    e.time = CurrentTime;
    e.type = KeyPress;
    XSendEvent(d, w, True, KeyPressMask, reinterpret_cast<XEvent*>(&e));
    e.type = KeyRelease;
    XSendEvent(d, w, True, KeyReleaseMask, reinterpret_cast<XEvent*>(&e));
    XSync(d, False);
}

}  // namespace

bool typeIntoWindow(const std::string& display, const std::string& title, const std::string& utf8, int milliseconds) {
    Display* d = XOpenDisplay(display.c_str());
    if (!d) return false;
    auto* previousHandler = XSetErrorHandler(ignoreXError);
    Window w = 0;
    for (int waited = 0; !w && waited < milliseconds; waited += 50) {
        w = findTopLevel(d, title);
        if (!w) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    bool ok = w != 0 && focusWhenViewable(d, w, milliseconds);
    if (ok) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        int minCode = 0, maxCode = 0;
        XDisplayKeycodes(d, &minCode, &maxCode);
        // Every character gets a key of its own that had no symbol, all
        // mapped before the first press, so no press races a remapping.
        std::vector<uint32_t> text = codePoints(utf8);
        std::vector<int> keys;
        for (int k = maxCode; k >= minCode && keys.size() < text.size(); --k) {
            if (XkbKeycodeToKeysym(d, KeyCode(k), 0, 0) != NoSymbol) continue;
            uint32_t cp = text[keys.size()];
            KeySym sym = cp < 0x100 ? KeySym(cp) : KeySym(0x1000000 + cp);
            XChangeKeyboardMapping(d, k, 1, &sym, 1);
            keys.push_back(k);
        }
        XSync(d, False);
        ok = keys.size() == text.size();
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        for (size_t i = 0; ok && i < keys.size(); ++i) {
            sendKey(d, w, unsigned(keys[i]));
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (ok) sendKey(d, w, XKeysymToKeycode(d, XK_Return));
    }
    XCloseDisplay(d);
    XSetErrorHandler(previousHandler);
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
