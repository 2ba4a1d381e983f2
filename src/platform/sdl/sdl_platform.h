// The SDL backend: windows with a streaming texture each, SDL's events and
// message boxes.  Internal to src/platform/sdl; the engine gets it through
// createSdlPlatform().
#pragma once

#include <SDL.h>

#include <cstdint>
#include <map>
#include <string>

#include "platform/platform.h"

namespace vr::platform {

class SdlPlatform : public Platform {
public:
    SdlPlatform() = default;
    ~SdlPlatform() override;

    const char* name() const override { return "sdl"; }
    bool isHeadless() const override { return false; }
    uint64_t millis() override;
    void sleep(uint32_t milliseconds) override;
    LocalTime localTime() override;
    DisplayInfo display() override;

    WindowId createWindow(const WindowSpec& desc) override;
    void destroyWindow(WindowId window) override;
    void showWindow(WindowId window, bool shown) override;
    void setWindowTitle(WindowId window, std::string_view title) override;
    void raiseWindow(WindowId window) override;
    bool present(WindowId window, const SurfaceView& surface, const Rect& changed) override;
    void showCursor(bool shown) override;
    void cursorScreenPosition(int& x, int& y) override;
    bool pollEvent(Event& event) override;
    int messageBox(const MessageBoxSpec& desc) override;
    void errorDialog(const ErrorDialogSpec& desc) override;
    bool shellOpen(const std::string& file, const std::string& parameters) override;

private:
    struct Window {
        SDL_Window* window = nullptr;
        SDL_Renderer* renderer = nullptr;
        SDL_Texture* texture = nullptr;
        int textureWidth = 0, textureHeight = 0;
        bool resizable = false;
    };

    Window* find(WindowId id);
    SDL_Window* sdlWindow(WindowId id);
    WindowId idOf(uint32_t sdlWindowId) const;
    bool makeTexture(Window& w, int width, int height);
    void release(Window& w);

    std::map<WindowId, Window> windows_;
    WindowId nextWindow_ = 1;
    bool quitDelivered_ = false;
};

}  // namespace vr::platform
