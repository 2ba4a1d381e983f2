#include "shell/window.h"

#include <vector>

#include "engine.h"
#include "shell/startup.h"

namespace vr {

namespace {

platform::WindowSpec mainWindowSpec(const WindowObject& w) {
    const ShellState& shell = engine().shell;
    const EngineConfig& cfg = engine().files.config;
    platform::WindowSpec desc;
    desc.width = w.clientWidth;
    desc.height = w.clientHeight;
    desc.title = w.title;
    if (shell.windowEqualsScreen) {
        desc.style = platform::WindowStyle::Popup;
    } else if (!cfg.framed) {
        desc.style = platform::WindowStyle::Popup;
        desc.toolWindow = true;
    } else {
        desc.style = cfg.resizable ? platform::WindowStyle::FramedResizable : platform::WindowStyle::Framed;
        desc.topmost = shell.screenSaverMode;
    }
    return desc;
}

WindowObject* windowByHandle(platform::WindowId id) {
    for (auto& w : engine().windows) {
        if (w.handle == id && id != platform::kNoWindow) return &w;
    }
    return nullptr;
}

// The close box: what happens depends on the window's close mode.
void closeRequested(WindowObject& w) {
    Engine& e = engine();
    switch (w.closeMode) {
    case CloseMode::RecordOnly:
        w.closeRequested = true;
        break;
    case CloseMode::Confirm: {
        e.shell.frameSuspended = true;
        e.platform.showCursor(true);
        platform::MessageBoxSpec box;
        box.text = "終了します。よろしいですか？";
        box.caption = w.title;
        box.buttons = platform::Buttons::YesNo;
        box.icon = platform::Icon::Question;
        box.owner = w.handle;
        int answer = e.platform.messageBox(box);
        e.shell.frameSuspended = false;
        if (answer == platform::kIdYes) e.shell.quitRequested = true;
        break;
    }
    case CloseMode::Quit:
        e.shell.quitRequested = true;
        break;
    case CloseMode::CloseSilently:
        e.platform.destroyWindow(w.handle);
        w.handle = platform::kNoWindow;
        w.shown = false;
        break;
    }
}

}  // namespace

int createWindowObjects() {
    for (int i = 0; i < kWindowCount; ++i) {
        engine().windows[size_t(i)] = WindowObject{};
        engine().windows[size_t(i)].index = i;
    }
    return 0;
}

bool createMainWindow() {
    WindowObject& w = engine().windows[0];
    w.handle = engine().platform.createWindow(mainWindowSpec(w));
    w.needsClear = true;
    return w.handle != platform::kNoWindow;
}

bool presentWindow(WindowObject& w) {
    Engine& e = engine();
    if (e.shell.quitRequested) return true;
    if (!w.shown || w.handle == platform::kNoWindow) return false;
    // Until the window has a composed root layer, its client area is
    // cleared to black once.
    if (w.needsClear && w.clientWidth > 0 && w.clientHeight > 0) {
        std::vector<uint8_t> black(size_t(w.clientWidth) * size_t(w.clientHeight) * 4, 0);
        platform::SurfaceView view{black.data(), w.clientWidth, w.clientHeight, w.clientWidth * 4};
        e.platform.present(w.handle, view, {0, 0, w.clientWidth, w.clientHeight});
        w.needsClear = false;
    }
    return e.shell.quitRequested;
}

void handleWindowEvent(const platform::Event& event) {
    Engine& e = engine();
    WindowObject* w = windowByHandle(event.window);
    switch (event.type) {
    case platform::EventType::Quit:
        requestQuit();
        break;
    case platform::EventType::RaiseRequest:
        if (e.windows[0].handle != platform::kNoWindow) e.platform.raiseWindow(e.windows[0].handle);
        break;
    case platform::EventType::CloseRequest:
        if (w) closeRequested(*w);
        break;
    case platform::EventType::FocusGained:
    case platform::EventType::FocusLost:
        if (w) w->active = event.type == platform::EventType::FocusGained;
        [[fallthrough]];
    case platform::EventType::Exposed:
        if (w) w->needsClear = true;
        break;
    }
}

void destroyWindows() {
    for (auto& w : engine().windows) {
        if (w.handle != platform::kNoWindow) engine().platform.destroyWindow(w.handle);
        w.handle = platform::kNoWindow;
        w.shown = false;
    }
}

}  // namespace vr
