#include "platform/headless/headless.h"

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/dialog_buttons.h"
#include "platform/headless/headless_sound.h"
#include "platform/input_field.h"

namespace vr::platform {
namespace {

constexpr uint64_t kMsPerDay = 86'400'000;
constexpr int64_t kDaysFrom1970To2000 = 10957;

// Days since 1970-01-01 to a proleptic Gregorian date.
void civilFromDays(int64_t z, int& year, int& month, int& day) {
    z += 719468;
    int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    int64_t doe = z - era * 146097;
    int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    int64_t mp = (5 * doy + 2) / 153;
    day = int(doy - (153 * mp + 2) / 5 + 1);
    month = int(mp < 10 ? mp + 3 : mp - 9);
    year = int(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

LocalTime virtualLocalTime(uint64_t ms) {
    LocalTime t;
    int64_t days = int64_t(ms / kMsPerDay) + kDaysFrom1970To2000;
    uint64_t inDay = ms % kMsPerDay;
    civilFromDays(days, t.year, t.month, t.day);
    t.hour = int(inDay / 3'600'000);
    t.minute = int(inDay / 60'000 % 60);
    t.second = int(inDay / 1000 % 60);
    t.millisecond = int(inDay % 1000);
    t.weekday = int((days + 4) % 7);  // 1970-01-01 was a Thursday
    return t;
}

const char* editName(EditButton e) {
    switch (e) {
        case EditButton::Absent: return "absent";
        case EditButton::Disabled: return "disabled";
        case EditButton::Enabled: return "enabled";
    }
    return "absent";
}

}  // namespace

HeadlessPlatform::HeadlessPlatform(const HeadlessOptions& options) : options_(options) {
    if (options_.realTime) realStart_ = hostMillis();
    // A recording covers the whole run, with sound or without.
    if (!options_.audioOut.empty()) soundDevice();
}

HeadlessPlatform::~HeadlessPlatform() { finishAudio(); }

SoundDevice* HeadlessPlatform::soundDevice() {
    if (!sound_)
        sound_ = std::make_unique<HeadlessSoundDevice>([this] { return millis(); }, options_.realTime, options_.audioOut);
    return sound_.get();
}

bool HeadlessPlatform::setClockListener(std::function<void(uint64_t from, uint64_t to)> listener) {
    if (options_.realTime) return false;
    clockListener_ = std::move(listener);
    return true;
}

bool HeadlessPlatform::finishAudio() { return sound_ ? sound_->finish() : true; }

uint64_t HeadlessPlatform::millis() { return options_.realTime ? hostMillis() - realStart_ : clock_; }

void HeadlessPlatform::sleep(uint32_t milliseconds) {
    if (!options_.realTime) {
        const uint64_t from = clock_;
        clock_ += milliseconds;
        if (clockListener_)
            clockListener_(from, clock_);
        else if (sound_)
            sound_->advanceTo(clock_);
        return;
    }
    hostSleep(milliseconds);
}

LocalTime HeadlessPlatform::localTime() { return options_.realTime ? hostLocalTime() : virtualLocalTime(clock_); }

std::vector<DisplayMode> defaultHeadlessModes() {
    return {{640, 480, 32, 60}, {800, 600, 32, 60}, {1024, 768, 32, 60}, {1280, 720, 32, 60}, {1920, 1080, 32, 60}};
}

DisplayInfo HeadlessPlatform::display() {
    DisplayInfo d = options_.display;
    if (current_.width > 0) {
        d.width = current_.width;
        d.height = current_.height;
        d.bitsPerPixel = current_.bitsPerPixel;
        if (current_.refreshHz > 0) d.refreshHz = current_.refreshHz;
    }
    return d;
}

HeadlessPlatform::Window* HeadlessPlatform::find(WindowId id) {
    auto it = windows_.find(id);
    return it == windows_.end() ? nullptr : &it->second;
}

WindowId HeadlessPlatform::createWindow(const WindowSpec& desc) {
    if (desc.width <= 0 || desc.height <= 0) return kNoWindow;
    WindowId id = nextWindow_++;
    Window& w = windows_[id];
    w.desc = desc;
    w.width = desc.width;
    w.height = desc.height;
    w.pixels.assign(size_t(w.width) * size_t(w.height) * 4, 0);
    if (!desc.placeAtOrigin) {
        w.x = (options_.display.width - desc.width) / 2;
        w.y = (options_.display.height - desc.height) / 2;
    }
    record("window " + std::to_string(id) + " created " + std::to_string(desc.width) + "x" +
           std::to_string(desc.height) + " " + sjisToUtf8(desc.title));
    const char* style = desc.style == WindowStyle::Popup ? "popup" : desc.style == WindowStyle::Framed ? "framed" : "framed resizable";
    record("window " + std::to_string(id) + " style " + style + (desc.toolWindow ? " tool" : "") +
           (desc.topmost ? " topmost" : "") + " at " + std::to_string(w.x) + "," + std::to_string(w.y));
    return id;
}

void HeadlessPlatform::destroyWindow(WindowId window) {
    windows_.erase(window);
    if (focused_ == window) focused_ = kNoWindow;
}

void HeadlessPlatform::showWindow(WindowId window, bool shown) {
    Window* w = find(window);
    if (!w) return;
    w->shown = shown;
    if (shown && focused_ == kNoWindow) setFocus(window, true);
    if (!shown && focused_ == window) setFocus(window, false);
}

void HeadlessPlatform::setWindowTitle(WindowId window, std::string_view title) {
    if (Window* w = find(window)) w->desc.title.assign(title);
}

void HeadlessPlatform::raiseWindow(WindowId window) {
    if (Window* w = find(window)) {
        w->raised = true;
        w->minimised = false;
    }
    record("raise window " + std::to_string(window));
}

void HeadlessPlatform::restoreWindow(WindowId window) {
    if (Window* w = find(window)) w->minimised = false;
    record("restore window " + std::to_string(window));
}

void HeadlessPlatform::minimiseWindow(WindowId window) {
    if (Window* w = find(window)) w->minimised = true;
    record("minimise window " + std::to_string(window));
}

bool HeadlessPlatform::windowMinimised(WindowId window) {
    Window* w = find(window);
    return w && w->minimised;
}

void HeadlessPlatform::setClientSize(WindowId window, int width, int height) {
    Window* w = find(window);
    if (!w || width <= 0 || height <= 0) return;
    w->desc.width = width;
    w->desc.height = height;
    if (w->width == width && w->height == height) return;
    w->pixels.assign(size_t(width) * size_t(height) * 4, 0);
    w->width = width;
    w->height = height;
}

void HeadlessPlatform::windowPosition(WindowId window, int& x, int& y) {
    Window* w = find(window);
    x = w ? w->x : 0;
    y = w ? w->y : 0;
}

void HeadlessPlatform::moveWindow(WindowId window, int x, int y) {
    if (Window* w = find(window)) {
        w->x = x;
        w->y = y;
    }
}

bool HeadlessPlatform::present(WindowId window, const SurfaceView& surface, const Rect& part, int x, int y) {
    Window* w = find(window);
    if (!w) return false;
    if (!surface.pixels || surface.width <= 0 || surface.height <= 0 || surface.stride < surface.width * 4)
        return false;
    // The part within the surface, then moved into the client area and
    // clipped there; in 64 bits, so that far-off rectangles cannot wrap
    // into view.
    int64_t sx0 = std::max<int64_t>(part.x, 0), sy0 = std::max<int64_t>(part.y, 0);
    int64_t sx1 = std::min<int64_t>(int64_t(part.x) + std::max(part.width, 0), surface.width);
    int64_t sy1 = std::min<int64_t>(int64_t(part.y) + std::max(part.height, 0), surface.height);
    int64_t dx0 = std::max<int64_t>(sx0 + x, 0), dy0 = std::max<int64_t>(sy0 + y, 0);
    int64_t dx1 = std::min<int64_t>(sx1 + x, w->width), dy1 = std::min<int64_t>(sy1 + y, w->height);
    ++w->presents;
    if (dx0 >= dx1 || dy0 >= dy1) return true;
    for (int64_t dy = dy0; dy < dy1; ++dy) {
        const uint8_t* from = surface.pixels + size_t(dy - y) * size_t(surface.stride) + size_t(dx0 - x) * 4;
        std::memcpy(w->pixels.data() + (size_t(dy) * size_t(w->width) + size_t(dx0)) * 4, from, size_t(dx1 - dx0) * 4);
    }
    if (w->presented.size() == kPresentLogSize) w->presented.erase(w->presented.begin());
    w->presented.push_back(Rect{int(dx0), int(dy0), int(dx1 - dx0), int(dy1 - dy0)});
    return true;
}

bool HeadlessPlatform::clearWindow(WindowId window) {
    Window* w = find(window);
    if (!w) return false;
    std::fill(w->pixels.begin(), w->pixels.end(), uint8_t(0));
    ++w->clears;
    return true;
}

void HeadlessPlatform::setDragTest(WindowId window, DragTest test) {
    if (Window* w = find(window)) w->dragTest = std::move(test);
}

void HeadlessPlatform::showCursor(bool shown) { cursorShown_ = shown; }

void HeadlessPlatform::cursorScreenPosition(int& x, int& y) {
    x = cursorX_;
    y = cursorY_;
}

void HeadlessPlatform::windowCursorPosition(WindowId window, int& x, int& y) {
    int wx = 0, wy = 0;
    windowPosition(window, wx, wy);
    x = cursorX_ - wx;
    y = cursorY_ - wy;
}

void HeadlessPlatform::moveCursor(WindowId window, int x, int y) {
    int wx = 0, wy = 0;
    windowPosition(window, wx, wy);
    cursorX_ = wx + x;
    cursorY_ = wy + y;
    record("cursor moved to " + std::to_string(x) + "," + std::to_string(y) + " of window " + std::to_string(window));
}

void HeadlessPlatform::setCursorShape(CursorShape shape) {
    cursorShape_ = shape;
    record("cursor shape " + std::to_string(int(shape)));
}

namespace {

constexpr int kLeftKeyOfGeneric[3] = {160, 162, 164};  // shift, control, menu (alt)

}  // namespace

void HeadlessPlatform::keyboardState(KeyboardState& state) {
    for (size_t k = 0; k < state.size(); ++k) state[k] = keysDown_[k] ? kKeyDownBit : 0;
    for (int g = 0; g < 3; ++g) {
        int left = kLeftKeyOfGeneric[g];
        if (keysDown_[size_t(left)] || keysDown_[size_t(left + 1)]) state[size_t(16 + g)] = kKeyDownBit;
    }
    for (int button : {kMouseLeft, kMouseRight, kMouseMiddle})
        if (buttonsDown_ & button) state[size_t(button)] = kKeyDownBit;
}

void HeadlessPlatform::setKey(int key, bool down) {
    if (key < 0 || key > 255) return;
    int sided = key >= 16 && key <= 18 ? kLeftKeyOfGeneric[key - 16] : key;
    keysDown_[size_t(sided)] = down;
    int generic = sided >= 160 && sided <= 165 ? 16 + (sided - 160) / 2 : sided;
    Event e{down ? EventType::KeyDown : EventType::KeyUp, focused_};
    e.key = generic;
    pushEvent(e);
}

void HeadlessPlatform::setMouseButton(WindowId window, int button, bool down) {
    if (button != kMouseLeft && button != kMouseRight && button != kMouseMiddle) return;
    buttonsDown_ = down ? (buttonsDown_ | button) : (buttonsDown_ & ~button);
    Event e{down ? EventType::MouseButtonDown : EventType::MouseButtonUp, window};
    windowCursorPosition(window, e.x, e.y);
    e.button = button;
    pushEvent(e);
}

void HeadlessPlatform::moveMouse(WindowId window, int x, int y) {
    // At once, so that a button pressed next goes down at the new point.
    if (Window* w = find(window)) {
        cursorX_ = w->x + x;
        cursorY_ = w->y + y;
    }
    Event e{EventType::MouseMotion, window};
    e.x = x;
    e.y = y;
    pushEvent(e);
}

void HeadlessPlatform::turnWheel(WindowId window, int notches) {
    if (notches == 0) return;
    Event e{EventType::MouseWheel, window};
    e.wheel = notches * kWheelNotch;
    pushEvent(e);
}

void HeadlessPlatform::setFocus(WindowId window, bool focused) {
    if (!find(window)) return;
    if (!focused) {
        if (focused_ != window) return;
        focused_ = kNoWindow;
        pushEvent(Event{EventType::FocusLost, window});
        return;
    }
    if (focused_ == window) return;
    if (focused_ != kNoWindow) pushEvent(Event{EventType::FocusLost, focused_});
    focused_ = window;
    pushEvent(Event{EventType::FocusGained, window});
}

bool HeadlessPlatform::enterFullScreen(WindowId window, const DisplayMode& mode) {
    Window* w = find(window);
    if (!w) return false;
    if (options_.refuseModeChange) {
        record("display mode " + std::to_string(mode.width) + "x" + std::to_string(mode.height) + "x" +
               std::to_string(mode.bitsPerPixel) + " refused");
        return false;
    }
    current_ = mode;
    if (!w->fullScreen) {
        w->savedX = w->x;
        w->savedY = w->y;
    }
    w->fullScreen = true;
    w->x = w->y = 0;
    record("display mode " + std::to_string(mode.width) + "x" + std::to_string(mode.height) + "x" +
           std::to_string(mode.bitsPerPixel));
    record("window " + std::to_string(window) + " full screen");
    return true;
}

bool HeadlessPlatform::enterDesktopFullScreen(WindowId window) {
    Window* w = find(window);
    if (!w) return false;
    if (!w->fullScreen) {
        w->savedX = w->x;
        w->savedY = w->y;
    }
    w->fullScreen = true;
    record("window " + std::to_string(window) + " desktop full screen");
    return true;
}

bool HeadlessPlatform::leaveFullScreen(WindowId window, const WindowSpec& desc) {
    if (current_.width > 0) {
        current_ = DisplayMode{};
        record("display mode desktop");
    }
    Window* w = find(window);
    if (!w) return false;
    if (w->fullScreen) {
        w->x = w->savedX;
        w->y = w->savedY;
    }
    w->fullScreen = false;
    w->desc.style = desc.style;
    w->desc.toolWindow = desc.toolWindow;
    w->desc.topmost = desc.topmost;
    record("window " + std::to_string(window) + " windowed");
    return true;
}

void HeadlessPlatform::queueDrop(WindowId window, const std::vector<std::string>& sjisPaths) {
    pushEvent(Event{EventType::DropBegin, window});
    for (const std::string& p : sjisPaths) {
        Event e{EventType::DropFile, window};
        e.text = p;
        pushEvent(e);
    }
}

bool HeadlessPlatform::pollEvent(Event& event) {
    if (!events_.empty()) {
        event = std::move(events_.front());
        events_.pop_front();
        Window* w = find(event.window);
        if (w && (event.type == EventType::MouseButtonDown || event.type == EventType::MouseButtonUp ||
                  event.type == EventType::MouseMotion)) {
            cursorX_ = w->x + event.x;
            cursorY_ = w->y + event.y;
        }
        if (w && event.type == EventType::MouseButtonDown && event.button == kMouseLeft && w->dragTest &&
            w->dragTest(event.x, event.y)) {
            event.type = EventType::DragStarted;
            record("window " + std::to_string(event.window) + " drag started at " + std::to_string(event.x) + "," +
                   std::to_string(event.y));
        }
        return true;
    }
    if (!quitDelivered_ && quitSignalled()) {
        quitDelivered_ = true;
        event = Event{EventType::Quit, kNoWindow};
        return true;
    }
    return false;
}

int HeadlessPlatform::messageBox(const MessageBoxSpec& desc) {
    record("messagebox: " + sjisToUtf8(desc.caption) + " | " + sjisToUtf8(desc.text));
    if (boxAnswers_.empty()) return defaultResult(desc);
    int answer = boxAnswers_.front();
    boxAnswers_.pop_front();
    // A player can press only the buttons the box has: an answer the box
    // has no button for is a fault of the input script, said as such.
    ButtonSet set = buttonSet(desc.buttons);
    for (size_t i = 0; i < set.count; ++i)
        if (set.buttons[i].result == answer) return answer;
    record("messagebox answer " + std::to_string(answer) + " is not a button of the box: its default taken");
    return defaultResult(desc);
}

void HeadlessPlatform::errorDialog(const ErrorDialogSpec& desc) {
    record("error dialog: " + sjisToUtf8(desc.caption) + " | edit=" + editName(desc.edit) + " | " +
           sjisToUtf8(desc.text));
    int edits = 0;
    if (!dialogEdits_.empty()) {
        edits = dialogEdits_.front();
        dialogEdits_.pop_front();
    }
    if (desc.edit != EditButton::Enabled || !desc.onEdit) return;
    for (int i = 0; i < edits; ++i) desc.onEdit();
}

bool HeadlessPlatform::shellOpen(const std::string& file, const std::string& parameters) {
    record("shell open: " + sjisToUtf8(file) + (parameters.empty() ? "" : " " + sjisToUtf8(parameters)));
    return true;
}

bool HeadlessPlatform::inputDialog(const InputDialogSpec& desc, std::string& text) {
    InputField field(desc.maxCharacters);
    field.setText(desc.text);
    if (!inputTexts_.empty()) {
        field.insertUtf8(inputTexts_.front());
        inputTexts_.pop_front();
    }
    text = field.text();
    record("input dialog: " + sjisToUtf8(desc.title) + " | " + sjisToUtf8(desc.prompt) + " | " + sjisToUtf8(desc.text) +
           " -> " + sjisToUtf8(text));
    return true;
}

bool HeadlessPlatform::clipboardText(std::string& sjis) {
    if (!clipboardHasText_) return false;
    sjis = utf8ToSjis(clipboard_);
    return true;
}

bool HeadlessPlatform::setClipboardText(std::string_view sjis) {
    clipboard_ = sjisToUtf8(sjis);
    clipboardHasText_ = true;
    record("clipboard: " + clipboard_);
    return true;
}

bool HeadlessPlatform::shellOpenAndWait(const std::string& file, const std::string& parameters) {
    record("shell open and wait: " + sjisToUtf8(file) + (parameters.empty() ? "" : " " + sjisToUtf8(parameters)));
    return true;
}

std::string HeadlessPlatform::associatedProgram(const std::string& hostFile) {
    record("associated program: " + hostFile + " (none)");
    return std::string();
}

bool HeadlessPlatform::readRegistry(std::string_view key, std::string_view valueName, std::string& value) {
    return readRegistryStore(hostPath("registry.txt"), key, valueName, value);
}

const HeadlessPlatform::Window* HeadlessPlatform::window(WindowId id) const {
    auto it = windows_.find(id);
    return it == windows_.end() ? nullptr : &it->second;
}

bool HeadlessPlatform::screenshot(WindowId id, const std::string& pngPath) const {
    const Window* w = window(id);
    if (!w) return false;
    std::vector<uint8_t> rgba(w->pixels.size());
    for (size_t i = 0; i + 3 < w->pixels.size(); i += 4) {
        rgba[i] = w->pixels[i + 2];
        rgba[i + 1] = w->pixels[i + 1];
        rgba[i + 2] = w->pixels[i];
        rgba[i + 3] = 0xFF;  // the window shows no alpha
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(w->width);
    image.height = png_uint_32(w->height);
    image.format = PNG_FORMAT_RGBA;
    bool ok = png_image_write_to_file(&image, pngPath.c_str(), 0, rgba.data(), w->width * 4, nullptr) != 0;
    png_image_free(&image);
    return ok;
}

void HeadlessPlatform::record(std::string line) {
    if (options_.echoTranscript) {
        std::fwrite("headless: ", 1, 10, stdout);
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }
    transcript_.push_back(std::move(line));
}

std::unique_ptr<Platform> createHeadlessPlatform(const HeadlessOptions& options) {
    return std::make_unique<HeadlessPlatform>(options);
}

}  // namespace vr::platform
