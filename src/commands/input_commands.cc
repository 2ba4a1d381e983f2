#include "commands/input_commands.h"

#include <algorithm>

#include "common/command_ids.h"
#include "script/arguments.h"
#include "shell/engine.h"
#include "shell/input.h"

namespace vr {

namespace {

namespace options = arg::input_options;
namespace mouse = arg::mouse_control;
constexpr int64_t kLastShape = 13;
// Client coordinates far beyond any window still fit the platform's int.
constexpr int64_t kCoordinateLimit = 1 << 20;

int clampCoordinate(int64_t v) { return int(std::clamp(v, -kCoordinateLimit, kCoordinateLimit)); }

// Arguments x and y: the cursor moved to a client point of the main window;
// a coordinate not given stays where the cursor is.
void moveCursor() {
    Engine& e = engine();
    platform::WindowId window = e.core.windows[0].handle;
    if (window == platform::kNoWindow) return;
    int x = 0, y = 0;
    e.core.platform.windowCursorPosition(window, x, y);
    if (hasArgument(mouse::kX)) x = clampCoordinate(argumentInteger(mouse::kX) + e.display.pictureX);
    if (hasArgument(mouse::kY)) y = clampCoordinate(argumentInteger(mouse::kY) + e.display.pictureY);
    e.core.platform.moveCursor(window, x, y);
}

}  // namespace

int InputOptions() {
    if (evaluateArguments(cmd::kInputOptions) < 0) return -1;
    InputState& in = engine().input;
    if (hasArgument(options::kKeyPolling)) in.keyboardEnabled = argumentInteger(options::kKeyPolling) != 0;
    if (hasArgument(options::kOption)) in.inputOption = argumentInteger(options::kOption);
    if (hasArgument(options::kCursor)) requestCursor(argumentInteger(options::kCursor) == 1);
    return 0;
}

int MouseControl() {
    if (evaluateArguments(cmd::kMouseControl) < 0) return -1;
    Engine& e = engine();
    InputState& in = e.input;
    if (hasArgument(mouse::kMode)) setCursorMode(argumentInteger(mouse::kMode));
    if (hasArgument(mouse::kHideDelay)) in.autoHideDelay = argumentInteger(mouse::kHideDelay);
    for (int i = 0; i < 3; ++i)
        if (hasArgument(mouse::kFlag1 + i)) in.windowFlags[size_t(i)] = argumentInteger(mouse::kFlag1 + i);
    if (hasArgument(mouse::kX) || hasArgument(mouse::kY)) moveCursor();
    if (hasArgument(mouse::kShape)) {
        int64_t shape = argumentInteger(mouse::kShape);
        e.core.platform.setCursorShape(shape >= 1 && shape <= kLastShape ? platform::CursorShape(shape)
                                                                    : platform::CursorShape::Arrow);
    }
    return 0;
}

void installInputCommands(CommandTable& table) {
    table.slots[cmd::kInputOptions] = &InputOptions;
    table.slots[cmd::kMouseControl] = &MouseControl;
}

}  // namespace vr
