// The headless backend: a complete backend without a display.  Windows keep
// their surfaces in memory, dialogs take answers queued in advance, and
// everything shown is recorded in a transcript that tests can read.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace vr::platform {

class HeadlessSoundDevice;

class HeadlessPlatform : public Platform {
public:
    explicit HeadlessPlatform(const HeadlessOptions& options);
    ~HeadlessPlatform() override;

    const char* name() const override { return "headless"; }
    bool isHeadless() const override { return true; }
    uint64_t millis() override;
    void sleep(uint32_t milliseconds) override;
    LocalTime localTime() override;
    DisplayInfo display() override;
    MemoryStatus memoryStatus() override { return kMemory; }

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
    // Where the cursor stands on the fake display (tests move it).
    void setCursorScreenPosition(int x, int y) {
        cursorX_ = x;
        cursorY_ = y;
    }
    std::vector<DisplayMode> displayModes() override { return options_.modes; }
    bool enterFullScreen(WindowId window, const DisplayMode& mode) override;
    bool enterDesktopFullScreen(WindowId window) override;
    bool leaveFullScreen(WindowId window, const WindowSpec& desc) override;
    bool prefersDesktopFullScreen() override { return options_.preferDesktopFullScreen; }
    bool pollEvent(Event& event) override;
    int messageBox(const MessageBoxSpec& desc) override;
    void errorDialog(const ErrorDialogSpec& desc) override;
    bool shellOpen(const std::string& file, const std::string& parameters) override;
    bool inputDialog(const InputDialogSpec& desc, std::string& text) override;
    bool clipboardText(std::string& sjis) override;
    bool setClipboardText(std::string_view sjis) override;
    bool shellOpenAndWait(const std::string& file, const std::string& parameters) override;
    std::string associatedProgram(const std::string& hostFile) override;
    std::vector<std::string> associatedCommand(const std::string&) override { return {}; }
    bool readRegistry(std::string_view key, std::string_view valueName, std::string& value) override;
    // The engine mixer, mixing as the clock moves: each sleep() on the
    // virtual clock hands the step to the clock listener, which advances
    // the device between its own cycles, or advances the device itself when
    // no listener is set.  On the real clock the device keeps time alone.
    SoundDevice* soundDevice() override;
    bool setClockListener(std::function<void(uint64_t from, uint64_t to)> listener) override;
    // Mixes up to now and closes the recording of options.audioOut; false
    // when it could not be written.  The run's sound ends here.
    bool finishAudio();

    // The memory figures of every headless run: 4 GiB, a quarter in use.
    static constexpr MemoryStatus kMemory{4ull << 30, 3ull << 30, 25};

    // --- test and tool controls

    // Answers for the next message boxes, in order; without one a box takes
    // its default button.
    void queueMessageBoxAnswer(int result) { boxAnswers_.push_back(result); }
    // What the player types into the next input dialogs (UTF-8), in order:
    // it replaces the initial text, which is selected, as typing does.
    // Without one the dialog ends with its initial text.
    void queueInputText(std::string utf8) { inputTexts_.push_back(std::move(utf8)); }
    // The clipboard as another program would fill it (UTF-8).
    void setClipboardUtf8(std::string utf8) {
        clipboard_ = std::move(utf8);
        clipboardHasText_ = true;
    }
    // Answers for the next error dialogs: the number of times the edit
    // button is pressed before the end button.
    void queueErrorDialogEdits(int edits) { dialogEdits_.push_back(edits); }
    // Events as the host would send them.  A left button press on a point
    // the window's drag test accepts arrives as DragStarted, as a window
    // system that took the click for moving the window reports it.
    void pushEvent(const Event& event) { events_.push_back(event); }
    // One drop of files on a window: DropBegin, then a DropFile per path.
    void queueDrop(WindowId window, const std::vector<std::string>& sjisPaths);
    // Moves the virtual clock without telling the clock listener or the
    // sound device (they catch up at the next sleep).
    void advanceClock(uint64_t milliseconds) { clock_ += milliseconds; }

    // The keyboard, mouse and focus as a user would work them.  Each
    // control changes the state keyboardState() reports and queues the
    // events the window system would send.  A generic modifier (16, 17,
    // 18) stands for its left key.  Keys go to the focused window; the
    // mouse controls name the window under the cursor, and a button goes
    // down or up where the cursor stands.
    void setKey(int key, bool down);
    void setMouseButton(WindowId window, int button, bool down);
    void moveMouse(WindowId window, int x, int y);  // client coordinates
    void turnWheel(WindowId window, int notches);   // away from the user positive
    // A window that gains the focus takes it from the one that had it.
    void setFocus(WindowId window, bool focused);
    WindowId focusedWindow() const { return focused_; }

    struct Window {
        WindowSpec desc;
        bool shown = false;
        bool raised = false;
        bool minimised = false;
        bool fullScreen = false;
        int x = 0, y = 0;             // screen position of the client area
        int savedX = 0, savedY = 0;   // the place before full screen
        int width = 0, height = 0;
        std::vector<uint8_t> pixels;  // BGRA, width * 4 bytes per row
        uint64_t presents = 0;
        uint64_t clears = 0;
        // The client rectangles written by the latest presents, oldest
        // first (at most kPresentLogSize), for tests of what was uploaded.
        std::vector<Rect> presented;
        DragTest dragTest;
    };
    static constexpr size_t kPresentLogSize = 256;
    const Window* window(WindowId id) const;
    bool cursorShown() const { return cursorShown_; }
    CursorShape cursorShape() const { return cursorShape_; }
    // Writes the window's picture as a PNG file; false on failure.
    bool screenshot(WindowId id, const std::string& pngPath) const;

    // Every text shown and every notable action, one line each (UTF-8).
    const std::vector<std::string>& transcript() const { return transcript_; }

private:
    void record(std::string line);
    Window* find(WindowId id);

    HeadlessOptions options_;
    uint64_t clock_ = 0;
    uint64_t realStart_ = 0;
    std::map<WindowId, Window> windows_;
    WindowId nextWindow_ = 1;
    std::deque<Event> events_;
    std::deque<int> boxAnswers_;
    std::deque<int> dialogEdits_;
    std::deque<std::string> inputTexts_;
    std::string clipboard_;  // UTF-8
    bool clipboardHasText_ = false;
    std::vector<std::string> transcript_;
    bool quitDelivered_ = false;  // a quit signal is reported once
    bool cursorShown_ = true;
    int cursorX_ = 0, cursorY_ = 0;
    CursorShape cursorShape_ = CursorShape::Arrow;
    std::array<bool, 256> keysDown_{};
    int buttonsDown_ = 0;  // kMouseLeft | kMouseRight | kMouseMiddle
    // The first window shown takes the focus, as it does on a desktop.
    WindowId focused_ = kNoWindow;
    DisplayMode current_;  // the fake display's mode now
    std::function<void(uint64_t, uint64_t)> clockListener_;
    // Last, so that it goes first: its recording reads the clock above.
    std::unique_ptr<HeadlessSoundDevice> sound_;
};

}  // namespace vr::platform
