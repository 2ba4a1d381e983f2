// SDL windows: creation and placement, presentation through a streaming
// texture, display modes and full screen.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "platform/sdl/sdl_platform.h"

namespace vr::platform {
namespace {

// Games compare the depth with what the desktop reported on Windows, where
// a 24-bit colour kept in 4 bytes counts as 32 bits; SDL calls it 24.
int storedBits(uint32_t format) {
    int bytes = int(SDL_BYTESPERPIXEL(format));
    return bytes > 0 ? bytes * 8 : 32;
}

DisplayMode modeOf(const SDL_DisplayMode& m) { return DisplayMode{m.w, m.h, storedBits(m.format), m.refresh_rate}; }

int displayOf(SDL_Window* w) {
    int index = w ? SDL_GetWindowDisplayIndex(w) : 0;
    return index < 0 ? 0 : index;
}

}  // namespace

DisplayInfo SdlPlatform::display() {
    DisplayInfo info;
    SDL_DisplayMode mode;
    if (SDL_GetCurrentDisplayMode(0, &mode) != 0) return info;
    info.width = mode.w;
    info.height = mode.h;
    info.bitsPerPixel = storedBits(mode.format);
    info.refreshHz = mode.refresh_rate > 0 ? mode.refresh_rate : 60;
    return info;
}

SdlPlatform::Window* SdlPlatform::find(WindowId id) {
    auto it = windows_.find(id);
    return it == windows_.end() ? nullptr : &it->second;
}

SDL_Window* SdlPlatform::sdlWindow(WindowId id) {
    Window* w = find(id);
    return w ? w->window : nullptr;
}

WindowId SdlPlatform::idOf(uint32_t sdlWindowId) const {
    for (const auto& [id, w] : windows_)
        if (SDL_GetWindowID(w.window) == sdlWindowId) return id;
    return kNoWindow;
}

bool SdlPlatform::makeTexture(Window& w, int width, int height) {
    if (w.texture) SDL_DestroyTexture(w.texture);
    // BGRA bytes in memory are ARGB8888 read as little-endian words.
    w.texture = SDL_CreateTexture(w.renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, width, height);
    w.clientWidth = w.texture ? width : 0;
    w.clientHeight = w.texture ? height : 0;
    if (!w.texture) return false;
    // A window shows no alpha: the picture's alpha must not blend it with
    // the black behind it.
    SDL_SetTextureBlendMode(w.texture, SDL_BLENDMODE_NONE);
    SDL_RenderSetLogicalSize(w.renderer, width, height);
    // A new texture holds nothing defined: the window starts black.
    void* pixels = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(w.texture, nullptr, &pixels, &pitch) == 0) {
        std::memset(pixels, 0, size_t(pitch) * size_t(height));
        SDL_UnlockTexture(w.texture);
    }
    return true;
}

void SdlPlatform::render(Window& w) {
    // The back buffer is undefined after a present, so the whole texture is
    // drawn every time; only the upload is limited to what changed.
    SDL_SetRenderDrawColor(w.renderer, 0, 0, 0, 255);
    SDL_RenderClear(w.renderer);
    SDL_RenderCopy(w.renderer, w.texture, nullptr, nullptr);
    SDL_RenderPresent(w.renderer);
}

void SdlPlatform::release(Window& w) {
    if (w.window) SDL_SetWindowHitTest(w.window, nullptr, nullptr);
    if (w.texture) SDL_DestroyTexture(w.texture);
    if (w.renderer) SDL_DestroyRenderer(w.renderer);
    if (w.window) SDL_DestroyWindow(w.window);
    w = Window{};
}

WindowId SdlPlatform::createWindow(const WindowSpec& desc) {
    if (desc.width <= 0 || desc.height <= 0) return kNoWindow;
    uint32_t flags = SDL_WINDOW_HIDDEN;
    if (desc.style == WindowStyle::Popup) flags |= SDL_WINDOW_BORDERLESS;
    if (desc.style == WindowStyle::FramedResizable) flags |= SDL_WINDOW_RESIZABLE;
    if (desc.toolWindow) flags |= SDL_WINDOW_SKIP_TASKBAR;
    if (desc.topmost) flags |= SDL_WINDOW_ALWAYS_ON_TOP;
    int pos = desc.placeAtOrigin ? 0 : int(SDL_WINDOWPOS_CENTERED);
    Window w;
    w.window = SDL_CreateWindow(sjisToUtf8(desc.title).c_str(), pos, pos, desc.width, desc.height, flags);
    if (!w.window) return kNoWindow;
    w.renderer = SDL_CreateRenderer(w.window, -1, SDL_RENDERER_ACCELERATED);
    if (!w.renderer) w.renderer = SDL_CreateRenderer(w.window, -1, SDL_RENDERER_SOFTWARE);
    if (!w.renderer || !makeTexture(w, desc.width, desc.height)) {
        release(w);
        return kNoWindow;
    }
    WindowId id = nextWindow_++;
    windows_[id] = std::move(w);
    return id;
}

void SdlPlatform::destroyWindow(WindowId window) {
    Window* w = find(window);
    if (!w) return;
    release(*w);
    windows_.erase(window);
}

void SdlPlatform::showWindow(WindowId window, bool shown) {
    if (SDL_Window* w = sdlWindow(window)) shown ? SDL_ShowWindow(w) : SDL_HideWindow(w);
}

void SdlPlatform::setWindowTitle(WindowId window, std::string_view title) {
    if (SDL_Window* w = sdlWindow(window)) SDL_SetWindowTitle(w, sjisToUtf8(title).c_str());
}

void SdlPlatform::raiseWindow(WindowId window) {
    if (SDL_Window* w = sdlWindow(window)) {
        SDL_RestoreWindow(w);
        SDL_RaiseWindow(w);
    }
}

void SdlPlatform::restoreWindow(WindowId window) {
    if (SDL_Window* w = sdlWindow(window)) SDL_RestoreWindow(w);
}

void SdlPlatform::minimiseWindow(WindowId window) {
    if (SDL_Window* w = sdlWindow(window)) SDL_MinimizeWindow(w);
}

bool SdlPlatform::windowMinimised(WindowId window) {
    SDL_Window* w = sdlWindow(window);
    return w && (SDL_GetWindowFlags(w) & SDL_WINDOW_MINIMIZED) != 0;
}

void SdlPlatform::setClientSize(WindowId window, int width, int height) {
    Window* w = find(window);
    if (!w || width <= 0 || height <= 0) return;
    if ((SDL_GetWindowFlags(w->window) & SDL_WINDOW_FULLSCREEN) == 0) SDL_SetWindowSize(w->window, width, height);
    if (width == w->clientWidth && height == w->clientHeight) return;
    // A streaming texture cannot be read back, so the new one starts black;
    // the engine presents the whole picture after a size change.
    SDL_Texture* old = w->texture;
    int oldWidth = w->clientWidth, oldHeight = w->clientHeight;
    w->texture = nullptr;
    if (makeTexture(*w, width, height)) {
        if (old) SDL_DestroyTexture(old);
        return;
    }
    w->texture = old;
    w->clientWidth = oldWidth;
    w->clientHeight = oldHeight;
    SDL_RenderSetLogicalSize(w->renderer, oldWidth, oldHeight);
}

void SdlPlatform::windowPosition(WindowId window, int& x, int& y) {
    x = y = 0;
    if (SDL_Window* w = sdlWindow(window)) SDL_GetWindowPosition(w, &x, &y);
}

void SdlPlatform::moveWindow(WindowId window, int x, int y) {
    if (SDL_Window* w = sdlWindow(window)) SDL_SetWindowPosition(w, x, y);
}

bool SdlPlatform::present(WindowId window, const SurfaceView& surface, const Rect& part, int x, int y) {
    Window* w = find(window);
    if (!w || !surface.pixels || surface.width <= 0 || surface.height <= 0 || surface.stride < surface.width * 4)
        return false;
    // The part within the surface, moved into the client area and clipped
    // there, in 64 bits so that far-off rectangles cannot wrap into view.
    int64_t sx0 = std::max<int64_t>(part.x, 0), sy0 = std::max<int64_t>(part.y, 0);
    int64_t sx1 = std::min<int64_t>(int64_t(part.x) + std::max(part.width, 0), surface.width);
    int64_t sy1 = std::min<int64_t>(int64_t(part.y) + std::max(part.height, 0), surface.height);
    int64_t dx0 = std::max<int64_t>(sx0 + x, 0), dy0 = std::max<int64_t>(sy0 + y, 0);
    int64_t dx1 = std::min<int64_t>(sx1 + x, w->clientWidth), dy1 = std::min<int64_t>(sy1 + y, w->clientHeight);
    if (dx0 < dx1 && dy0 < dy1) {
        SDL_Rect r{int(dx0), int(dy0), int(dx1 - dx0), int(dy1 - dy0)};
        const uint8_t* from = surface.pixels + size_t(dy0 - y) * size_t(surface.stride) + size_t(dx0 - x) * 4;
        if (SDL_UpdateTexture(w->texture, &r, from, surface.stride) != 0) return false;
    }
    render(*w);
    return true;
}

bool SdlPlatform::clearWindow(WindowId window) {
    Window* w = find(window);
    if (!w) return false;
    void* pixels = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(w->texture, nullptr, &pixels, &pitch) != 0) return false;
    std::memset(pixels, 0, size_t(pitch) * size_t(w->clientHeight));
    SDL_UnlockTexture(w->texture);
    render(*w);
    return true;
}

SDL_HitTestResult SdlPlatform::hitTest(SDL_Window*, const SDL_Point* area, void* data) {
    auto* w = static_cast<Window*>(data);
    if (!w || !w->dragTest || !area) return SDL_HITTEST_NORMAL;
    float lx = 0, ly = 0;
    SDL_RenderWindowToLogical(w->renderer, area->x, area->y, &lx, &ly);
    return w->dragTest(int(std::floor(lx)), int(std::floor(ly))) ? SDL_HITTEST_DRAGGABLE : SDL_HITTEST_NORMAL;
}

void SdlPlatform::setDragTest(WindowId window, DragTest test) {
    Window* w = find(window);
    if (!w) return;
    w->dragTest = std::move(test);
    if (w->dragTest)
        SDL_SetWindowHitTest(w->window, &SdlPlatform::hitTest, w);
    else
        SDL_SetWindowHitTest(w->window, nullptr, nullptr);
}

void SdlPlatform::showCursor(bool shown) { SDL_ShowCursor(shown ? SDL_ENABLE : SDL_DISABLE); }

void SdlPlatform::cursorScreenPosition(int& x, int& y) { SDL_GetGlobalMouseState(&x, &y); }

void SdlPlatform::windowCursorPosition(WindowId window, int& x, int& y) {
    int gx = 0, gy = 0, wx = 0, wy = 0;
    SDL_GetGlobalMouseState(&gx, &gy);
    Window* w = find(window);
    if (!w) {
        x = gx;
        y = gy;
        return;
    }
    SDL_GetWindowPosition(w->window, &wx, &wy);
    float lx = 0, ly = 0;
    SDL_RenderWindowToLogical(w->renderer, gx - wx, gy - wy, &lx, &ly);
    x = int(std::floor(lx));
    y = int(std::floor(ly));
}

void SdlPlatform::moveCursor(WindowId window, int x, int y) {
    Window* w = find(window);
    if (!w) return;
    int wx = 0, wy = 0;
    SDL_RenderLogicalToWindow(w->renderer, float(x), float(y), &wx, &wy);
    SDL_WarpMouseInWindow(w->window, wx, wy);
}

void SdlPlatform::setCursorShape(CursorShape shape) {
    // SDL has no up arrow and no help cursor; those stay plain arrows.
    SDL_SystemCursor system = SDL_SYSTEM_CURSOR_ARROW;
    switch (shape) {
    case CursorShape::IBeam: system = SDL_SYSTEM_CURSOR_IBEAM; break;
    case CursorShape::Wait: system = SDL_SYSTEM_CURSOR_WAIT; break;
    case CursorShape::Cross: system = SDL_SYSTEM_CURSOR_CROSSHAIR; break;
    case CursorShape::SizeNwse: system = SDL_SYSTEM_CURSOR_SIZENWSE; break;
    case CursorShape::SizeNesw: system = SDL_SYSTEM_CURSOR_SIZENESW; break;
    case CursorShape::SizeWe: system = SDL_SYSTEM_CURSOR_SIZEWE; break;
    case CursorShape::SizeNs: system = SDL_SYSTEM_CURSOR_SIZENS; break;
    case CursorShape::SizeAll: system = SDL_SYSTEM_CURSOR_SIZEALL; break;
    case CursorShape::No: system = SDL_SYSTEM_CURSOR_NO; break;
    case CursorShape::Hand: system = SDL_SYSTEM_CURSOR_HAND; break;
    case CursorShape::ArrowWait: system = SDL_SYSTEM_CURSOR_WAITARROW; break;
    default: break;
    }
    SDL_Cursor* made = SDL_CreateSystemCursor(system);
    if (!made) return;
    SDL_SetCursor(made);
    if (cursor_) SDL_FreeCursor(cursor_);
    cursor_ = made;
}

std::vector<DisplayMode> SdlPlatform::displayModes() {
    std::vector<DisplayMode> modes;
    int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode m;
        if (SDL_GetDisplayMode(0, i, &m) == 0) modes.push_back(modeOf(m));
    }
    return modes;
}

bool SdlPlatform::enterFullScreen(WindowId window, const DisplayMode& mode) {
    Window* w = find(window);
    if (!w) return false;
    int display = displayOf(w->window);
    int count = SDL_GetNumDisplayModes(display);
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode m;
        if (SDL_GetDisplayMode(display, i, &m) != 0) continue;
        DisplayMode found = modeOf(m);
        if (found.width != mode.width || found.height != mode.height || found.bitsPerPixel != mode.bitsPerPixel)
            continue;
        if (mode.refreshHz > 0 && found.refreshHz != mode.refreshHz) continue;
        if (SDL_SetWindowDisplayMode(w->window, &m) != 0) return false;
        if (SDL_SetWindowFullscreen(w->window, SDL_WINDOW_FULLSCREEN) != 0) return false;
        return true;
    }
    return false;
}

bool SdlPlatform::enterDesktopFullScreen(WindowId window) {
    SDL_Window* w = sdlWindow(window);
    return w && SDL_SetWindowFullscreen(w, SDL_WINDOW_FULLSCREEN_DESKTOP) == 0;
}

bool SdlPlatform::leaveFullScreen(WindowId window, const WindowSpec& desc) {
    Window* w = find(window);
    if (!w) return false;
    // SDL puts the desktop mode back and the window at its former place.
    bool ok = SDL_SetWindowFullscreen(w->window, 0) == 0;
    SDL_SetWindowBordered(w->window, desc.style == WindowStyle::Popup ? SDL_FALSE : SDL_TRUE);
    SDL_SetWindowResizable(w->window, desc.style == WindowStyle::FramedResizable ? SDL_TRUE : SDL_FALSE);
    SDL_SetWindowAlwaysOnTop(w->window, desc.topmost ? SDL_TRUE : SDL_FALSE);
    SDL_SetWindowSize(w->window, w->clientWidth, w->clientHeight);
    return ok;
}

bool SdlPlatform::prefersDesktopFullScreen() {
    return SDL_strcasecmp(environmentValue("VIRELO_FULLSCREEN").c_str(), "desktop") == 0;
}

}  // namespace vr::platform
