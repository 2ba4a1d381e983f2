// The host as the engine sees it: every call that belongs to the window
// system (windows, presentation, cursor, keyboard state, display modes,
// events, dialogs) is made on the main thread through MainThreadCalls; the
// clock, sleeping and the memory figures are the caller's own.  Without a
// frame thread each call goes straight through.
#pragma once

#include "platform/platform.h"
#include "shell/main_thread.h"

namespace vr {

class MainThreadHost : public platform::Platform {
public:
    MainThreadHost(platform::Platform& host, MainThreadCalls& calls) : host_(host), calls_(calls) {}

    platform::Platform& host() { return host_; }

    const char* name() const override { return host_.name(); }
    bool isHeadless() const override { return host_.isHeadless(); }
    uint64_t millis() override { return host_.millis(); }
    void sleep(uint32_t milliseconds) override { host_.sleep(milliseconds); }
    platform::LocalTime localTime() override { return host_.localTime(); }
    platform::MemoryStatus memoryStatus() override { return host_.memoryStatus(); }

    platform::DisplayInfo display() override;
    platform::WindowId createWindow(const platform::WindowSpec& desc) override;
    void destroyWindow(platform::WindowId window) override;
    void showWindow(platform::WindowId window, bool shown) override;
    void setWindowTitle(platform::WindowId window, std::string_view title) override;
    void raiseWindow(platform::WindowId window) override;
    void restoreWindow(platform::WindowId window) override;
    void minimiseWindow(platform::WindowId window) override;
    bool windowMinimised(platform::WindowId window) override;
    void setClientSize(platform::WindowId window, int width, int height) override;
    void windowPosition(platform::WindowId window, int& x, int& y) override;
    void moveWindow(platform::WindowId window, int x, int y) override;
    bool present(platform::WindowId window, const platform::SurfaceView& surface, const platform::Rect& part, int x,
                 int y) override;
    bool clearWindow(platform::WindowId window) override;
    void setDragTest(platform::WindowId window, platform::DragTest test) override;
    void showCursor(bool shown) override;
    void moveCursor(platform::WindowId window, int x, int y) override;
    void setCursorShape(platform::CursorShape shape) override;
    void keyboardState(platform::KeyboardState& state) override;
    void cursorScreenPosition(int& x, int& y) override;
    void windowCursorPosition(platform::WindowId window, int& x, int& y) override;
    std::vector<platform::DisplayMode> displayModes() override;
    bool enterFullScreen(platform::WindowId window, const platform::DisplayMode& mode) override;
    bool enterDesktopFullScreen(platform::WindowId window) override;
    bool leaveFullScreen(platform::WindowId window, const platform::WindowSpec& desc) override;
    bool prefersDesktopFullScreen() override;
    bool pollEvent(platform::Event& event) override;
    int messageBox(const platform::MessageBoxSpec& desc) override;
    void errorDialog(const platform::ErrorDialogSpec& desc) override;
    bool shellOpen(const std::string& file, const std::string& parameters) override;
    bool inputDialog(const platform::InputDialogSpec& desc, std::string& text) override;
    bool clipboardText(std::string& sjis) override;
    bool setClipboardText(std::string_view sjis) override;
    bool shellOpenAndWait(const std::string& file, const std::string& parameters) override;
    std::string associatedProgram(const std::string& hostFile) override { return host_.associatedProgram(hostFile); }
    std::vector<std::string> associatedCommand(const std::string& hostFile) override {
        return host_.associatedCommand(hostFile);
    }
    bool readRegistry(std::string_view key, std::string_view valueName, std::string& value) override {
        return host_.readRegistry(key, valueName, value);
    }
    // The device and its buffers are thread-safe by themselves; the clock
    // listener runs on whichever thread advances the clock.
    platform::SoundDevice* soundDevice() override { return host_.soundDevice(); }
    bool setClockListener(std::function<void(uint64_t, uint64_t)> listener) override {
        return host_.setClockListener(std::move(listener));
    }

private:
    // The call's result from the main thread; `dropped` when the queue was
    // closed before it ran (the run is ending).
    template <class T, class F>
    T onMain(T dropped, F&& call) {
        T result = dropped;
        calls_.run([&] { result = call(); });
        return result;
    }
    template <class F>
    void onMain(F&& call) {
        calls_.run([&] { call(); });
    }

    platform::Platform& host_;
    MainThreadCalls& calls_;
};

}  // namespace vr
