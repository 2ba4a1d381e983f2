#include "shell/window_events.h"

#include "common/texts/engine_texts.h"
#include "graphics/layer.h"
#include "graphics/object_tree.h"
#include "shell/engine.h"
#include "shell/input.h"
#include "shell/modal_box.h"
#include "shell/reload.h"
#include "shell/startup.h"

namespace vr {

namespace {

WindowObject* windowByHandle(platform::WindowId id) {
    if (id == platform::kNoWindow) return nullptr;
    for (auto& w : engine().core.windows) {
        if (w.handle == id) return &w;
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
        ModalBox held;
        platform::MessageBoxSpec box;
        box.text = VR_TEXT_CONFIRM_QUIT;
        box.caption = w.title;
        box.buttons = platform::Buttons::YesNo;
        box.icon = platform::Icon::Question;
        box.owner = w.handle;
        int answer = e.core.platform.messageBox(box);
        if (answer == platform::kIdYes) e.core.run.quitRequested = true;
        break;
    }
    case CloseMode::Quit:
        e.core.run.quitRequested = true;
        break;
    case CloseMode::CloseSilently:
        closeWindow(w.index);
        break;
    }
}

bool resizable(const WindowObject& w) { return w.index == 0 && engine().core.files.config.resizable; }

// Window sizes are the engine's: a window that may not be resized gets its
// client size back.  In full screen the display decides the window's size.
void resized(WindowObject& w, int width, int height) {
    Engine& e = engine();
    if (w.index == 0 && e.display.fullScreen) return;
    if (resizable(w)) {
        markForFullPresent(w);
        return;
    }
    if (width != w.clientWidth || height != w.clientHeight)
        e.core.platform.setClientSize(w.handle, w.clientWidth, w.clientHeight);
}

bool nodeBelow(const ObjectNode* node, const ObjectNode* root) {
    for (const ObjectNode* n = node; n; n = n->parent)
        if (n == root) return true;
    return false;
}

}  // namespace

void addDroppedFile(WindowEvents& events, const std::string& sjisPath) {
    if (sjisPath.empty() || sjisPath.size() > kMaxDroppedPathBytes) return;
    if (events.droppedFiles.size() >= kMaxDroppedFiles) return;
    events.droppedFiles.push_back(sjisPath);
}

bool dragLayerHit(int index, int x, int y) {
    Engine& e = engine();
    const WindowEvents& ev = e.windowEvents;
    if (!ev.dragEnabled || ev.dragLayerPath.empty() || index < 0 || index >= kWindowCount) return false;
    const WindowObject& w = e.core.windows[size_t(index)];
    ObjectNode* node = findNode(ev.dragLayerPath);
    if (!node || !node->layer || !w.root || !nodeBelow(node, w.root)) return false;
    const LayerRecord& layer = *node->layer;
    int64_t left = 0, top = 0;
    absolutePosition(*node, left, top);
    int64_t px = int64_t(x) - left, py = int64_t(y) - top;
    if (px < 0 || py < 0 || px >= int64_t(layer.surface.width) || py >= int64_t(layer.surface.height)) return false;
    size_t at = (size_t(py) * layer.surface.width + size_t(px)) * 4;
    if (at + 3 > layer.surface.pixels.size()) return false;
    const uint8_t* p = layer.surface.pixels.data() + at;
    return p[0] != 0 || p[1] != 0 || p[2] != 0;
}

void handleWindowEvent(const platform::Event& event) {
    Engine& e = engine();
    WindowEvents& ev = e.windowEvents;
    WindowObject* w = windowByHandle(event.window);
    switch (event.type) {
    case platform::EventType::Quit:
        requestQuit();
        break;
    case platform::EventType::RaiseRequest:
        if (e.core.windows[0].handle != platform::kNoWindow) e.core.platform.raiseWindow(e.core.windows[0].handle);
        break;
    case platform::EventType::CloseRequest:
        if (w) closeRequested(*w);
        break;
    case platform::EventType::FocusGained:
    case platform::EventType::FocusLost:
        if (!w) break;
        w->active = event.type == platform::EventType::FocusGained;
        noteMainWindowActivity();
        markForFullPresent(*w);
        break;
    case platform::EventType::Exposed:
        if (!w) break;
        if (w->root)
            markForFullPresent(*w);
        else
            w->needsClear = true;
        break;
    case platform::EventType::MouseButtonDown:
        if (event.button) ev.lastMouseButton = event.button;
        break;
    case platform::EventType::DragStarted:
        // The click that started the drag is a left click all the same.
        ev.lastMouseButton = platform::kMouseLeft;
        if (w) ev.dragStartedWindow = w->index;
        break;
    case platform::EventType::MouseButtonUp:
        break;
    case platform::EventType::MouseMotion:
        ev.mouseMoved = true;
        break;
    case platform::EventType::MouseWheel:
        ev.wheelDelta = event.wheel;
        break;
    case platform::EventType::KeyDown:
        if (event.key) ev.lastKey = event.key;
        askForReload(event.key);
        break;
    case platform::EventType::KeyUp:
        break;
    case platform::EventType::MenuCommand:
        ev.lastMenuCommand = event.key;
        break;
    case platform::EventType::DropBegin:
        ev.droppedFiles.clear();
        break;
    case platform::EventType::DropFile:
        addDroppedFile(ev, event.text);
        break;
    case platform::EventType::Minimised:
        // The window system has minimised the window already; one that may
        // not be minimised comes back and the script learns of the wish.
        if (w && !w->minimiseAllowed) {
            e.core.platform.restoreWindow(w->handle);
            ev.minimiseRequested = true;
        } else if (w && w->index == 0) {
            e.sound.suspended = true;  // the sound thread pauses everything
        }
        break;
    case platform::EventType::Maximised:
        if (!w) break;
        ev.maximiseRequested = w->index + 1;
        e.core.platform.restoreWindow(w->handle);
        break;
    case platform::EventType::Restored:
        if (w) markForFullPresent(*w);
        if (w && w->index == 0) e.sound.suspended = false;
        break;
    case platform::EventType::Resized:
        if (w) resized(*w, event.x, event.y);
        break;
    }
}

}  // namespace vr
