#include "commands/input_commands.h"

#include <algorithm>

#include "shell/engine.h"
#include "script/arguments.h"
#include "shell/input.h"

namespace vr {

namespace {

constexpr uint8_t kInputOptions = 35, kMouseControl = 54;
constexpr int64_t kLastShape = 13;
// Client coordinates far beyond any window still fit the platform's int.
constexpr int64_t kCoordinateLimit = 1 << 20;

int clampCoordinate(int64_t v) { return int(std::clamp(v, -kCoordinateLimit, kCoordinateLimit)); }

// Arguments 5 and 6: the cursor moved to a client point of the main window;
// a coordinate not given stays where the cursor is.
void moveCursor() {
    Engine& e = engine();
    platform::WindowId window = e.core.windows[0].handle;
    if (window == platform::kNoWindow) return;
    int x = 0, y = 0;
    e.core.platform.windowCursorPosition(window, x, y);
    if (hasArgument(5)) x = clampCoordinate(argumentInteger(5) + e.display.pictureX);
    if (hasArgument(6)) y = clampCoordinate(argumentInteger(6) + e.display.pictureY);
    e.core.platform.moveCursor(window, x, y);
}

}  // namespace

int InputOptions() {
    if (evaluateArguments(kInputOptions) < 0) return -1;
    InputState& in = engine().input;
    if (hasArgument(0)) in.keyboardEnabled = argumentInteger(0) != 0;
    if (hasArgument(1)) in.inputOption = argumentInteger(1);
    if (hasArgument(2)) requestCursor(argumentInteger(2) == 1);
    return 0;
}

int MouseControl() {
    if (evaluateArguments(kMouseControl) < 0) return -1;
    Engine& e = engine();
    InputState& in = e.input;
    if (hasArgument(0)) setCursorMode(argumentInteger(0));
    if (hasArgument(1)) in.autoHideDelay = argumentInteger(1);
    for (int i = 0; i < 3; ++i)
        if (hasArgument(2 + i)) in.windowFlags[size_t(i)] = argumentInteger(2 + i);
    if (hasArgument(5) || hasArgument(6)) moveCursor();
    if (hasArgument(7)) {
        int64_t shape = argumentInteger(7);
        e.core.platform.setCursorShape(shape >= 1 && shape <= kLastShape ? platform::CursorShape(shape)
                                                                    : platform::CursorShape::Arrow);
    }
    return 0;
}

void installInputCommands(CommandTable& table) {
    table.slots[kInputOptions] = &InputOptions;
    table.slots[kMouseControl] = &MouseControl;
}

}  // namespace vr
