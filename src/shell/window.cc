#include "shell/window.h"

#include <algorithm>

#include "graphics/compose.h"
#include "graphics/layer.h"
#include "shell/engine.h"
#include "shell/reload.h"
#include "shell/window_events.h"

namespace vr {

namespace {

void installDragTest(const WindowObject& w) {
    int index = w.index;
    core().platform.setDragTest(w.handle, [index](int x, int y) { return dragLayerHit(index, x, y); });
}

// The surface of a root layer as the platform reads it; false when there is
// nothing that could be shown.
bool rootView(const LayerRecord& layer, platform::SurfaceView& view) {
    const Surface& s = layer.surface;
    if (s.width == 0 || s.height == 0 || s.width > kMaxImageSide || s.height > kMaxImageSide) return false;
    if (s.pixels.size() < size_t(s.width) * 4 * s.height) return false;
    view = platform::SurfaceView{s.pixels.data(), int(s.width), int(s.height), int(s.width) * 4};
    return true;
}

// The present rectangle (right and bottom inclusive) within the surface.
platform::Rect presentRect(const LayerRecord& layer) {
    int64_t w = layer.surface.width, h = layer.surface.height;
    if (layer.contentChanged) return {0, 0, int(w), int(h)};
    int64_t left = std::clamp<int64_t>(layer.present.left, 0, w), top = std::clamp<int64_t>(layer.present.top, 0, h);
    int64_t right = std::clamp<int64_t>(layer.present.right + 1, 0, w);
    int64_t bottom = std::clamp<int64_t>(layer.present.bottom + 1, 0, h);
    return {int(left), int(top), int(std::max<int64_t>(right - left, 0)), int(std::max<int64_t>(bottom - top, 0))};
}

}  // namespace

int createWindowObjects() {
    for (int i = 0; i < kWindowCount; ++i) {
        engine().core.windows[size_t(i)] = WindowObject{};
        engine().core.windows[size_t(i)].index = i;
    }
    return 0;
}

platform::WindowSpec windowSpec(const WindowObject& w) {
    const EngineConfig& cfg = engine().core.files.config;
    platform::WindowSpec desc;
    desc.width = w.clientWidth;
    desc.height = w.clientHeight;
    desc.title = w.title;
    if (w.index != 0) {
        desc.style = platform::WindowStyle::Framed;
        desc.placeAtOrigin = cfg.framed;
        desc.topmost = core().run.screenSaverMode && cfg.framed;
    } else if (core().run.windowEqualsScreen) {
        desc.style = platform::WindowStyle::Popup;
    } else if (!cfg.framed) {
        desc.style = platform::WindowStyle::Popup;
        desc.toolWindow = true;
    } else {
        desc.style = cfg.resizable ? platform::WindowStyle::FramedResizable : platform::WindowStyle::Framed;
        desc.topmost = core().run.screenSaverMode;
    }
    return desc;
}

bool createMainWindow() {
    Engine& e = engine();
    WindowObject& w = e.core.windows[0];
    w.handle = takeKeptWindow(windowSpec(w));
    if (w.handle == platform::kNoWindow) w.handle = e.core.platform.createWindow(windowSpec(w));
    w.needsClear = true;
    noteMainWindowActivity();
    if (w.handle == platform::kNoWindow) return false;
    e.display.width = w.clientWidth;
    e.display.height = w.clientHeight;
    installDragTest(w);
    return true;
}

bool openWindow(int index) {
    if (index < 1 || index >= kWindowCount) return false;
    Engine& e = engine();
    WindowObject& w = e.core.windows[size_t(index)];
    if (w.handle != platform::kNoWindow || w.clientWidth <= 0 || w.clientHeight <= 0) return false;
    w.handle = e.core.platform.createWindow(windowSpec(w));
    if (w.handle == platform::kNoWindow) return false;
    w.needsClear = true;
    installDragTest(w);
    return true;
}

void closeWindow(int index) {
    if (index < 0 || index >= kWindowCount) return;
    WindowObject& w = engine().core.windows[size_t(index)];
    if (w.handle != platform::kNoWindow) core().platform.destroyWindow(w.handle);
    w.handle = platform::kNoWindow;
    w.shown = false;
    w.active = false;
    noteMainWindowActivity();
}

void noteMainWindowActivity() {
    const WindowObject& main = engine().core.windows[0];
    engine().sound.mainWindowActive = main.handle == platform::kNoWindow || main.active;
}

void markForFullPresent(WindowObject& w) {
    LayerRecord* layer = w.root ? w.root->layer : nullptr;
    if (!layer || layer->surface.width == 0 || layer->surface.height == 0) return;
    layer->needsPresent = true;
    layer->present = {0, 0, int64_t(layer->surface.width) - 1, int64_t(layer->surface.height) - 1};
}

bool presentWindow(WindowObject& w) {
    Engine& e = engine();
    if (e.core.run.quitRequested) return true;
    if (!w.shown || w.handle == platform::kNoWindow) return false;
    LayerRecord* layer = w.root ? w.root->layer : nullptr;
    platform::SurfaceView view;
    bool showsRoot = layer && layer->visible && rootView(*layer, view);
    // A clear wipes the picture too, so the root is shown whole after it.
    if (w.needsClear) {
        e.core.platform.clearWindow(w.handle);
        w.needsClear = false;
        if (showsRoot) markForFullPresent(w);
    }
    if (showsRoot && (!layer->presentEmpty() || layer->contentChanged)) {
        platform::Rect part = presentRect(*layer);
        // Positions beyond the int range cannot be on screen at all.
        int64_t x = std::clamp<int64_t>(layer->x, -int64_t(kMaxImageSide) * 2, int64_t(kMaxImageSide) * 2);
        int64_t y = std::clamp<int64_t>(layer->y, -int64_t(kMaxImageSide) * 2, int64_t(kMaxImageSide) * 2);
        if (part.width > 0 && part.height > 0) e.core.platform.present(w.handle, view, part, int(x), int(y));
        clearPresented(*w.root);
    }
    return e.core.run.quitRequested;
}

void destroyWindows() {
    for (int i = 0; i < kWindowCount; ++i) closeWindow(i);
}

}  // namespace vr
