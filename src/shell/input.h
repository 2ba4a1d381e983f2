// The input state: once a frame the keyboard and the mouse buttons are
// sampled and every key's pressed or released sample becomes a counter,
// positive while the key is held (frames held), negative while it is up
// (frames since it was let go).  The wheel and mouse movement are pseudo
// keys of the same table.  The same step hides the cursor while the
// keyboard is used and shows it again when the mouse is.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "common/key_names.h"
#include "platform/platform.h"
#include "shell/window.h"

namespace vr {

struct InputScript;  // shell/input_script.h

// The table holds the 256 key numbers and then, per game controller, a row
// of 36 entries (4 directions, 32 buttons) that the scripts address by
// position.  Controllers are not read: their rows change only when a
// script writes them.
constexpr int kKeyTableKeys = 256;
constexpr int kInputDevices = 16;
constexpr int kDeviceEntries = 36;
constexpr int kInputTableSize = kKeyTableKeys + kInputDevices * kDeviceEntries;

enum class CursorRequest : uint8_t { None = 0, Show = 1, Hide = 2 };

struct CursorHideTimer {
    bool armed = false;
    uint64_t since = 0;  // milliseconds
    // Which mouse activity shows the hidden cursor again.
    bool revealOnMove = true, revealOnButton = true, revealOnWheel = true;
};

struct InputState {
    platform::KeyboardState sample{};  // this frame's keyboard bytes, bit 7 = down
    std::array<uint8_t, kInputTableSize> phase{};  // 0 up, 2 down
    std::array<int64_t, kInputTableSize> counter{};
    std::array<uint64_t, kInputTableSize> pressCount{};
    KeyMap keyMap = defaultKeyMap();

    int focusWindow = -1;  // the first active window; -1 when none is
    bool mouseEnabled = true;
    bool keyboardEnabled = true;
    int64_t inputOption = 0;  // kept for the input options command

    bool autoHide = true;
    int64_t autoHideDelay = 2500;  // milliseconds
    std::array<CursorHideTimer, kWindowCount> cursorHide{};
    // Shown and hidden through one pending request, so that a hide that
    // follows a hide changes nothing and one show undoes both.
    bool cursorShown = true;
    CursorRequest pendingCursor = CursorRequest::None;
    std::array<int64_t, 3> windowFlags{};  // kept for the window layer

    // The scripted keyboard and mouse of a headless run; null otherwise.
    std::shared_ptr<InputScript> script;
};

// The keyboard and each open window's cursor (client coordinates as the
// host reports them), read from the host at one moment.
struct HostSample {
    platform::KeyboardState keys{};
    std::array<int, kWindowCount> cursorX{}, cursorY{};
};
HostSample readHostSample();
// The focus window, the keyboard bytes and each window's mouse position
// from a sample.
void applyHostSample(const HostSample& sample);

// The frame of the input script whose lines are due next: frames run and
// turns paused both count.
uint64_t inputScriptFrame();
// Applies the input script's lines up to the frame to the headless host;
// true when there was one (its events wait in the host).
bool feedInputScriptFor(uint64_t frame);

// Main loop, before each frame: the input script's lines for the frame,
// then the sample.
void sampleInput();
// Frame step, first action: the counters of the frame, the cursor's
// automatic hiding and the pause of an inactive game.
void updateKeyStates();

// Readers by table position; 0 outside the table.
int64_t keyCounter(int64_t position);
uint64_t keyPressCount(int64_t position);

// A cursor request for the next update.
void requestCursor(bool shown);
// Shows the cursor now and stops its automatic hiding (a dialog opens).
void cancelCursorAutoHide();
// The cursor mode of the mouse command: 0 hidden without automatic hiding,
// 1 shown with it, 2 shown without it.
void setCursorMode(int64_t mode);

// A paused game still lets a headless run's scripted input go on, so that
// the focus can come back.
void feedInputWhilePaused();

// System variables 90 and 93 to 488: counters, press counts and the key map.
int64_t readInputVariable(uint32_t number, int64_t element);
void writeInputVariable(uint32_t number, int64_t element, int64_t value);

}  // namespace vr
