// vrcfg.vbn: the engine configuration, read right after the window objects
// are created and handed to the main window, the resource loader and the
// shell.

#include "core/core.h"
#include "core/engine_files.h"
#include "core/engine_files_internal.h"
#include "core/error_report.h"

namespace vr {

namespace {

constexpr int kMinWidth = 128, kMinHeight = 16, kMaxSide = 8192;

void screenSize(int& width, int& height) {
    Core& e = core();
    if (e.run.screenWidth > 0 && e.run.screenHeight > 0) {
        width = e.run.screenWidth;
        height = e.run.screenHeight;
        return;
    }
    platform::DisplayInfo display = e.platform.display();
    width = display.width;
    height = display.height;
}

}  // namespace

int parseEngineConfig(const uint8_t* data, size_t size, std::string_view name) {
    ByteReader in(data, size);
    in.skip(16);
    EngineConfig c;
    c.width = in.i32();
    c.height = in.i32();
    c.showAtStart = in.u32() & 0xFF;
    in.bytes(c.imageOrder.data(), c.imageOrder.size());
    in.bytes(c.soundOrder.data(), c.soundOrder.size());
    uint32_t frameThreadMode = in.u32();
    c.debugMode = uint8_t(in.u32());
    c.soundEnabled = in.u32() & 0xFF;
    c.resizable = in.u32() & 0xFF;
    c.framed = in.u32() & 0xFF;
    in.skip(4);
    uint16_t titleLength = in.u16();
    std::string_view title = in.view(titleLength);
    if (!in.ok()) return detail::refuseFile(name);

    if (c.width == 0 && c.height == 0) {
        screenSize(c.width, c.height);
    } else if (c.width < kMinWidth || c.width > kMaxSide || c.height < kMinHeight || c.height > kMaxSide) {
        reportError(901020, true);
        return -1;
    }
    if (frameThreadMode > 1) {
        reportError(901020, true);
        return -1;
    }
    c.frameThreadMode = frameThreadMode == 1;
    if (title.size() > kTitleLimit) {
        reportError(901000, true);
        return -1;
    }
    c.title = title.empty() ? std::string(" ") : std::string(title);

    Core& e = core();
    WindowObject& window = e.windows[0];
    window.clientWidth = c.width;
    window.clientHeight = c.height;
    window.shown = c.showAtStart;
    window.title = c.title;
    for (size_t i = 0; i < e.loader.imageOrder.size(); ++i) e.loader.imageOrder[i] = c.imageOrder[i];
    for (size_t i = 0; i < e.loader.soundOrder.size(); ++i) e.loader.soundOrder[i] = c.soundOrder[i];
    e.run.frameThreadMode = c.frameThreadMode;
    e.files.config = std::move(c);
    e.files.configLoaded = true;
    return 0;
}

}  // namespace vr
