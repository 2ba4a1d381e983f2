#include "platform/headless/headless.h"

#include <png.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/dialog_buttons.h"

namespace vr::platform {
namespace {

constexpr uint64_t kMsPerDay = 86'400'000;
constexpr int64_t kDaysFrom1970To2000 = 10957;

uint64_t monotonicMillis() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return uint64_t(t.tv_sec) * 1000 + uint64_t(t.tv_nsec) / 1'000'000;
}

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

LocalTime realLocalTime() {
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

const char* editName(EditButton e) {
    switch (e) {
        case EditButton::Absent: return "absent";
        case EditButton::Disabled: return "disabled";
        case EditButton::Enabled: return "enabled";
    }
    return "absent";
}

// Keeps what the old picture and the new size share; the rest is black.
void resizePixels(HeadlessPlatform::Window& w, int width, int height) {
    std::vector<uint8_t> pixels(size_t(width) * size_t(height) * 4, 0);
    int rows = std::min(height, w.height), bytes = std::min(width, w.width) * 4;
    for (int y = 0; y < rows; ++y)
        std::memcpy(pixels.data() + size_t(y) * size_t(width) * 4, w.pixels.data() + size_t(y) * size_t(w.width) * 4,
                    size_t(bytes));
    w.pixels = std::move(pixels);
    w.width = width;
    w.height = height;
}

}  // namespace

HeadlessPlatform::HeadlessPlatform(const HeadlessOptions& options) : options_(options) {
    if (options_.realTime) realStart_ = monotonicMillis();
}

HeadlessPlatform::~HeadlessPlatform() = default;

uint64_t HeadlessPlatform::millis() { return options_.realTime ? monotonicMillis() - realStart_ : clock_; }

void HeadlessPlatform::sleep(uint32_t milliseconds) {
    if (!options_.realTime) {
        clock_ += milliseconds;
        return;
    }
    timespec want{time_t(milliseconds / 1000), long(milliseconds % 1000) * 1'000'000};
    timespec left{};
    while (nanosleep(&want, &left) != 0) want = left;
}

LocalTime HeadlessPlatform::localTime() { return options_.realTime ? realLocalTime() : virtualLocalTime(clock_); }

WindowId HeadlessPlatform::createWindow(const WindowSpec& desc) {
    if (desc.width <= 0 || desc.height <= 0) return kNoWindow;
    WindowId id = nextWindow_++;
    Window& w = windows_[id];
    w.desc = desc;
    w.width = desc.width;
    w.height = desc.height;
    w.pixels.assign(size_t(w.width) * size_t(w.height) * 4, 0);
    record("window " + std::to_string(id) + " created " + std::to_string(desc.width) + "x" +
           std::to_string(desc.height) + " " + sjisToUtf8(desc.title));
    return id;
}

void HeadlessPlatform::destroyWindow(WindowId window) { windows_.erase(window); }

void HeadlessPlatform::showWindow(WindowId window, bool shown) {
    auto it = windows_.find(window);
    if (it != windows_.end()) it->second.shown = shown;
}

void HeadlessPlatform::setWindowTitle(WindowId window, std::string_view title) {
    auto it = windows_.find(window);
    if (it != windows_.end()) it->second.desc.title.assign(title);
}

void HeadlessPlatform::raiseWindow(WindowId window) {
    auto it = windows_.find(window);
    if (it != windows_.end()) it->second.raised = true;
    record("raise window " + std::to_string(window));
}

bool HeadlessPlatform::present(WindowId window, const SurfaceView& surface, const Rect& changed) {
    auto it = windows_.find(window);
    if (it == windows_.end()) return false;
    if (!surface.pixels || surface.width <= 0 || surface.height <= 0 || surface.stride < surface.width * 4)
        return false;
    Window& w = it->second;
    if (w.width != surface.width || w.height != surface.height) resizePixels(w, surface.width, surface.height);
    // Clipped in 64 bits: a rectangle far outside must not wrap into view.
    int64_t x0 = std::max<int64_t>(changed.x, 0), y0 = std::max<int64_t>(changed.y, 0);
    int64_t x1 = std::min<int64_t>(int64_t(changed.x) + std::max(changed.width, 0), w.width);
    int64_t y1 = std::min<int64_t>(int64_t(changed.y) + std::max(changed.height, 0), w.height);
    for (int64_t y = y0; y < y1 && x0 < x1; ++y)
        std::memcpy(w.pixels.data() + (size_t(y) * size_t(w.width) + size_t(x0)) * 4,
                    surface.pixels + size_t(y) * size_t(surface.stride) + size_t(x0) * 4, size_t(x1 - x0) * 4);
    ++w.presents;
    return true;
}

void HeadlessPlatform::showCursor(bool shown) { cursorShown_ = shown; }

void HeadlessPlatform::cursorScreenPosition(int& x, int& y) {
    x = cursorX_;
    y = cursorY_;
}

bool HeadlessPlatform::pollEvent(Event& event) {
    if (!events_.empty()) {
        event = events_.front();
        events_.pop_front();
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
    return answer;
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
