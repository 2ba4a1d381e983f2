// The SDL backend: windows with a streaming texture each, SDL's events and
// message boxes.  Internal to src/platform/sdl; the engine gets it through
// createSdlPlatform().
#pragma once

#include <SDL.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/fonts.h"
#include "platform/platform.h"

namespace vr::platform {

// The Windows virtual-key number of a key (0 when it has none), with the
// sided numbers of the modifiers; events name modifiers by their generic
// numbers (sdl_keys.cc).
int virtualKeyOf(SDL_Scancode scancode, SDL_Keycode key);
int eventVirtualKey(SDL_Scancode scancode, SDL_Keycode key);

// The engine mixer on SDL's default audio device (sdl_audio.cc); null when
// SDL has no audio output.  Works with or without SDL's video.
std::unique_ptr<SoundDevice> openSdlSoundDevice();

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
    void restoreWindow(WindowId window) override;
    void minimiseWindow(WindowId window) override;
    bool windowMinimised(WindowId window) override;
    void setClientSize(WindowId window, int width, int height) override;
    void windowPosition(WindowId window, int& x, int& y) override;
    void moveWindow(WindowId window, int x, int y) override;
    bool present(WindowId window, const SurfaceView& surface, const Rect& part, int x, int y) override;
    bool clearWindow(WindowId window) override;
    void setDragTest(WindowId window, DragTest test) override;
    void showCursor(bool shown) override;
    void cursorScreenPosition(int& x, int& y) override;
    void windowCursorPosition(WindowId window, int& x, int& y) override;
    void moveCursor(WindowId window, int x, int y) override;
    void setCursorShape(CursorShape shape) override;
    void keyboardState(KeyboardState& state) override;
    std::vector<DisplayMode> displayModes() override;
    bool enterFullScreen(WindowId window, const DisplayMode& mode) override;
    bool enterDesktopFullScreen(WindowId window) override;
    bool leaveFullScreen(WindowId window, const WindowSpec& desc) override;
    bool prefersDesktopFullScreen() override;
    bool pollEvent(Event& event) override;
    int messageBox(const MessageBoxSpec& desc) override;
    void errorDialog(const ErrorDialogSpec& desc) override;
    bool shellOpen(const std::string& file, const std::string& parameters) override;
    bool shellOpenAndWait(const std::string& file, const std::string& parameters) override;
    SoundDevice* soundDevice() override;
    bool inputDialog(const InputDialogSpec& desc, std::string& text) override;
    bool clipboardText(std::string& sjis) override;
    bool setClipboardText(std::string_view sjis) override;

private:
    // Each window has a streaming texture of its client size that keeps the
    // whole picture between frames: a present uploads only what changed.
    // The renderer's logical size is the client size, so a window larger
    // than its picture (resized by the user, or covering the desktop) shows
    // it scaled with its proportions kept.
    struct Window {
        SDL_Window* window = nullptr;
        SDL_Renderer* renderer = nullptr;
        SDL_Texture* texture = nullptr;
        int clientWidth = 0, clientHeight = 0;
        DragTest dragTest;
    };

    Window* find(WindowId id);
    SDL_Window* sdlWindow(WindowId id);
    WindowId idOf(uint32_t sdlWindowId) const;
    bool makeTexture(Window& w, int width, int height);
    void render(Window& w);
    void release(Window& w);
    bool translate(const SDL_Event& e, Event& event);
    static SDL_HitTestResult hitTest(SDL_Window* window, const SDL_Point* area, void* data);

    // std::map: a window's record stays where it is while others come and
    // go, so the hit-test callback can hold its address.
    std::map<WindowId, Window> windows_;
    WindowId nextWindow_ = 1;
    SDL_Cursor* cursor_ = nullptr;  // the shape set last; null: SDL's own arrow
    bool quitDelivered_ = false;
    std::unique_ptr<SoundDevice> sound_;
    bool soundTried_ = false;
    // The fonts the input dialog draws with, opened on its first showing.
    std::unique_ptr<Fonts> dialogFonts_;
    bool dialogFontsTried_ = false;
};

}  // namespace vr::platform
