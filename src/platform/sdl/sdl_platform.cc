#include "platform/sdl/sdl_platform.h"

#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace vr::platform {
namespace {

// Parameters are one command line: words split at blanks, double quotes
// around words that hold blanks.
std::vector<std::string> splitCommandLine(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    bool quoted = false, inWord = false;
    for (char c : line) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word.push_back(c);
            inWord = true;
        }
    }
    if (inWord) words.push_back(word);
    return words;
}

}  // namespace

SdlPlatform::~SdlPlatform() {
    for (auto& [id, w] : windows_) release(w);
    windows_.clear();
    SDL_Quit();
}

uint64_t SdlPlatform::millis() { return SDL_GetTicks64(); }

void SdlPlatform::sleep(uint32_t milliseconds) {
    timespec want{time_t(milliseconds / 1000), long(milliseconds % 1000) * 1'000'000};
    timespec left{};
    while (nanosleep(&want, &left) != 0) want = left;
}

LocalTime SdlPlatform::localTime() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm parts{};
    localtime_r(&now.tv_sec, &parts);
    LocalTime t;
    t.year = parts.tm_year + 1900;
    t.month = parts.tm_mon + 1;
    t.day = parts.tm_mday;
    t.hour = parts.tm_hour;
    t.minute = parts.tm_min;
    t.second = parts.tm_sec;
    t.millisecond = int(now.tv_nsec / 1'000'000);
    t.weekday = parts.tm_wday;
    return t;
}

DisplayInfo SdlPlatform::display() {
    DisplayInfo info;
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return info;
    info.width = mode.w;
    info.height = mode.h;
    info.bitsPerPixel = SDL_BITSPERPIXEL(mode.format) ? int(SDL_BITSPERPIXEL(mode.format)) : 32;
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
    w.texture = SDL_CreateTexture(w.renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, width, height);
    w.textureWidth = w.texture ? width : 0;
    w.textureHeight = w.texture ? height : 0;
    return w.texture != nullptr;
}

void SdlPlatform::release(Window& w) {
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
    w.resizable = desc.style == WindowStyle::FramedResizable;
    w.window = SDL_CreateWindow(sjisToUtf8(desc.title).c_str(), pos, pos, desc.width, desc.height, flags);
    if (!w.window) return kNoWindow;
    w.renderer = SDL_CreateRenderer(w.window, -1, SDL_RENDERER_ACCELERATED);
    if (!w.renderer) w.renderer = SDL_CreateRenderer(w.window, -1, SDL_RENDERER_SOFTWARE);
    if (!w.renderer || !makeTexture(w, desc.width, desc.height)) {
        release(w);
        return kNoWindow;
    }
    WindowId id = nextWindow_++;
    windows_[id] = w;
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

bool SdlPlatform::present(WindowId window, const SurfaceView& surface, const Rect& changed) {
    Window* w = find(window);
    if (!w || !surface.pixels || surface.width <= 0 || surface.height <= 0 || surface.stride < surface.width * 4)
        return false;
    if (surface.width != w->textureWidth || surface.height != w->textureHeight) {
        if (!makeTexture(*w, surface.width, surface.height)) return false;
        // The surface is the client area 1:1; a window the user may resize
        // keeps its size and has the picture scaled into it.
        if (!w->resizable) SDL_SetWindowSize(w->window, surface.width, surface.height);
        SDL_UpdateTexture(w->texture, nullptr, surface.pixels, surface.stride);
    } else {
        int64_t x0 = std::max<int64_t>(changed.x, 0), y0 = std::max<int64_t>(changed.y, 0);
        int64_t x1 = std::min<int64_t>(int64_t(changed.x) + std::max(changed.width, 0), surface.width);
        int64_t y1 = std::min<int64_t>(int64_t(changed.y) + std::max(changed.height, 0), surface.height);
        if (x0 < x1 && y0 < y1) {
            SDL_Rect r{int(x0), int(y0), int(x1 - x0), int(y1 - y0)};
            SDL_UpdateTexture(w->texture, &r, surface.pixels + size_t(y0) * size_t(surface.stride) + size_t(x0) * 4,
                              surface.stride);
        }
    }
    // The back buffer is undefined after a present, so the whole texture is
    // drawn every time; only the upload is limited to what changed.
    SDL_RenderClear(w->renderer);
    SDL_RenderCopy(w->renderer, w->texture, nullptr, nullptr);
    SDL_RenderPresent(w->renderer);
    return true;
}

void SdlPlatform::showCursor(bool shown) { SDL_ShowCursor(shown ? SDL_ENABLE : SDL_DISABLE); }

void SdlPlatform::cursorScreenPosition(int& x, int& y) { SDL_GetGlobalMouseState(&x, &y); }

bool SdlPlatform::pollEvent(Event& event) {
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        if (e.type == SDL_QUIT) {
            event = Event{EventType::Quit, kNoWindow};
            return true;
        }
        if (e.type != SDL_WINDOWEVENT) continue;
        WindowId id = idOf(e.window.windowID);
        switch (e.window.event) {
            case SDL_WINDOWEVENT_CLOSE: event = Event{EventType::CloseRequest, id}; return true;
            case SDL_WINDOWEVENT_FOCUS_GAINED: event = Event{EventType::FocusGained, id}; return true;
            case SDL_WINDOWEVENT_FOCUS_LOST: event = Event{EventType::FocusLost, id}; return true;
            case SDL_WINDOWEVENT_EXPOSED: event = Event{EventType::Exposed, id}; return true;
            default: break;
        }
    }
    if (!quitDelivered_ && quitSignalled()) {
        quitDelivered_ = true;
        event = Event{EventType::Quit, kNoWindow};
        return true;
    }
    return false;
}

bool SdlPlatform::shellOpen(const std::string& file, const std::string& parameters) {
    // An engine name of an existing file goes by its host path; anything
    // else (an address, a program on the PATH) by its text.
    std::string target = fileExists(file) ? hostPath(file) : sjisToUtf8(file);
    if (target.empty()) return false;
    std::vector<std::string> args = splitCommandLine(sjisToUtf8(parameters));
    // xdg-open takes exactly one file or address, so parameters can only go
    // to a program started directly.
    struct stat st{};
    if (!args.empty() && stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(target.c_str(), X_OK) == 0)
        return spawnProcess(target, args, std::string());
    return spawnProcess("xdg-open", {target}, std::string());
}

std::unique_ptr<Platform> createSdlPlatform() {
    // Quit signals are ours (installQuitSignals), not SDL's.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) return nullptr;
    // Without a display SDL falls back to drivers that show nothing; those
    // count only when asked for by name.
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* asked = std::getenv("SDL_VIDEODRIVER");
    bool invisible = !driver || SDL_strcasecmp(driver, "offscreen") == 0 || SDL_strcasecmp(driver, "dummy") == 0 ||
                     SDL_strcasecmp(driver, "evdev") == 0;
    if (invisible && (!asked || !*asked)) {
        SDL_Quit();
        return nullptr;
    }
    return std::make_unique<SdlPlatform>();
}

}  // namespace vr::platform
