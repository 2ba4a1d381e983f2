#include "shell/main_thread_host.h"

namespace vr {

using namespace platform;

DisplayInfo MainThreadHost::display() {
    return onMain(DisplayInfo{}, [&] { return host_.display(); });
}

WindowId MainThreadHost::createWindow(const WindowSpec& desc) {
    return onMain(kNoWindow, [&] { return host_.createWindow(desc); });
}

void MainThreadHost::destroyWindow(WindowId window) {
    onMain([&] { host_.destroyWindow(window); });
}

void MainThreadHost::showWindow(WindowId window, bool shown) {
    onMain([&] { host_.showWindow(window, shown); });
}

void MainThreadHost::setWindowTitle(WindowId window, std::string_view title) {
    onMain([&] { host_.setWindowTitle(window, title); });
}

void MainThreadHost::raiseWindow(WindowId window) {
    onMain([&] { host_.raiseWindow(window); });
}

void MainThreadHost::restoreWindow(WindowId window) {
    onMain([&] { host_.restoreWindow(window); });
}

void MainThreadHost::minimiseWindow(WindowId window) {
    onMain([&] { host_.minimiseWindow(window); });
}

bool MainThreadHost::windowMinimised(WindowId window) {
    return onMain(false, [&] { return host_.windowMinimised(window); });
}

void MainThreadHost::setClientSize(WindowId window, int width, int height) {
    onMain([&] { host_.setClientSize(window, width, height); });
}

void MainThreadHost::windowPosition(WindowId window, int& x, int& y) {
    x = y = 0;
    onMain([&] { host_.windowPosition(window, x, y); });
}

void MainThreadHost::moveWindow(WindowId window, int x, int y) {
    onMain([&] { host_.moveWindow(window, x, y); });
}

bool MainThreadHost::present(WindowId window, const SurfaceView& surface, const Rect& part, int x, int y) {
    return onMain(false, [&] { return host_.present(window, surface, part, x, y); });
}

bool MainThreadHost::clearWindow(WindowId window) {
    return onMain(false, [&] { return host_.clearWindow(window); });
}

void MainThreadHost::setDragTest(WindowId window, DragTest test) {
    // The window system asks while it pumps events on the main thread; the
    // test reads the frame's layers, which are the main thread's to read
    // only while the frame thread waits for it.  A click during a frame that
    // is still running is an ordinary click.
    DragTest guarded;
    if (test) {
        MainThreadCalls* calls = &calls_;
        guarded = [calls, test = std::move(test)](int x, int y) { return calls->callerWaiting() && test(x, y); };
    }
    onMain([&] { host_.setDragTest(window, std::move(guarded)); });
}

void MainThreadHost::showCursor(bool shown) {
    onMain([&] { host_.showCursor(shown); });
}

void MainThreadHost::moveCursor(WindowId window, int x, int y) {
    onMain([&] { host_.moveCursor(window, x, y); });
}

void MainThreadHost::setCursorShape(CursorShape shape) {
    onMain([&] { host_.setCursorShape(shape); });
}

void MainThreadHost::keyboardState(KeyboardState& state) {
    state.fill(0);
    onMain([&] { host_.keyboardState(state); });
}

void MainThreadHost::cursorScreenPosition(int& x, int& y) {
    x = y = 0;
    onMain([&] { host_.cursorScreenPosition(x, y); });
}

void MainThreadHost::windowCursorPosition(WindowId window, int& x, int& y) {
    x = y = 0;
    onMain([&] { host_.windowCursorPosition(window, x, y); });
}

std::vector<DisplayMode> MainThreadHost::displayModes() {
    return onMain(std::vector<DisplayMode>{}, [&] { return host_.displayModes(); });
}

bool MainThreadHost::enterFullScreen(WindowId window, const DisplayMode& mode) {
    return onMain(false, [&] { return host_.enterFullScreen(window, mode); });
}

bool MainThreadHost::enterDesktopFullScreen(WindowId window) {
    return onMain(false, [&] { return host_.enterDesktopFullScreen(window); });
}

bool MainThreadHost::leaveFullScreen(WindowId window, const WindowSpec& desc) {
    return onMain(false, [&] { return host_.leaveFullScreen(window, desc); });
}

bool MainThreadHost::prefersDesktopFullScreen() {
    return onMain(false, [&] { return host_.prefersDesktopFullScreen(); });
}

bool MainThreadHost::pollEvent(Event& event) {
    return onMain(false, [&] { return host_.pollEvent(event); });
}

int MainThreadHost::messageBox(const MessageBoxSpec& desc) {
    // A box the run ended before showing was not answered.
    return onMain(int(kIdCancel), [&] { return host_.messageBox(desc); });
}

void MainThreadHost::errorDialog(const ErrorDialogSpec& desc) {
    onMain([&] { host_.errorDialog(desc); });
}

bool MainThreadHost::shellOpen(const std::string& file, const std::string& parameters) {
    return onMain(false, [&] { return host_.shellOpen(file, parameters); });
}

bool MainThreadHost::inputDialog(const InputDialogSpec& desc, std::string& text) {
    return onMain(false, [&] { return host_.inputDialog(desc, text); });
}

bool MainThreadHost::clipboardText(std::string& sjis) {
    return onMain(false, [&] { return host_.clipboardText(sjis); });
}

bool MainThreadHost::setClipboardText(std::string_view sjis) {
    return onMain(false, [&] { return host_.setClipboardText(sjis); });
}

// Waited for where the script runs: the main thread keeps pumping the
// window meanwhile when the frame has a thread of its own.
bool MainThreadHost::shellOpenAndWait(const std::string& file, const std::string& parameters) {
    return host_.shellOpenAndWait(file, parameters);
}

}  // namespace vr
