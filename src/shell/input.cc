#include "shell/input.h"

#include <algorithm>
#include <limits>

#include "script/interpreter.h"
#include "shell/engine.h"
#include "shell/input_script.h"
#include "shell/startup.h"

namespace vr {

namespace {

bool isDown(uint8_t sampleByte) { return (sampleByte & platform::kKeyDownBit) != 0; }

// The counter is signed 64-bit and scripts may write any value into it:
// it stops at its ends rather than wrap.
void advanceKey(InputState& in, size_t k, bool pressed) {
    int64_t& c = in.counter[k];
    switch (in.phase[k] + (pressed ? 1 : 0)) {
    case 0:
        if (c > std::numeric_limits<int64_t>::min()) --c;
        break;
    case 1:
        c = 1;
        in.phase[k] = 2;
        ++in.pressCount[k];
        break;
    case 2:
        c = -1;
        in.phase[k] = 0;
        break;
    default:
        if (c < std::numeric_limits<int64_t>::max()) ++c;
        break;
    }
}

bool held(const InputState& in, int key) { return in.counter[size_t(key)] > 0; }

// The mouse slots of the samples: inside the focus window the wheel and the
// movement take keys 5, 6 and 7; outside it no button press starts, but one
// that is held goes on.
void foldMouse(InputState& in, const WindowObject& focus, const WindowEvents& ev) {
    if (!focus.mouseOutside) {
        in.sample[kKeyWheelUp] = ev.wheelDelta > 0 ? platform::kKeyDownBit : 0;
        in.sample[kKeyWheelDown] = ev.wheelDelta < 0 ? platform::kKeyDownBit : 0;
        in.sample[kKeyMouseMoved] = ev.mouseMoved ? platform::kKeyDownBit : 0;
        return;
    }
    for (int k : {kKeyMouseLeft, kKeyMouseRight, kKeyMouseMiddle, kKeyWheelUp, kKeyWheelDown, kKeyMouseMoved})
        if (in.phase[size_t(k)] != 2) in.sample[size_t(k)] = 0;
}

void updateCursorHiding(InputState& in, const WindowObject* focus, uint64_t now) {
    CursorHideTimer& t = in.cursorHide[focus ? size_t(focus->index) : 0];
    if (!t.armed && held(in, kKeyAny)) {
        t.armed = true;
        t.since = now;
    }
    if (!t.armed) return;
    if (int64_t(now - t.since) >= in.autoHideDelay && in.cursorShown) in.pendingCursor = CursorRequest::Hide;
    // Without a focus window the cursor is over somebody else's.
    bool reveal = !focus || focus->mouseOutside || (t.revealOnMove && held(in, kKeyMouseMoved)) ||
                  (t.revealOnButton &&
                   (held(in, kKeyMouseLeft) || held(in, kKeyMouseRight) || held(in, kKeyMouseMiddle))) ||
                  (t.revealOnWheel && (held(in, kKeyWheelUp) || held(in, kKeyWheelDown)));
    if (reveal) {
        t.armed = false;
        in.pendingCursor = CursorRequest::Show;
    }
}

void applyPendingCursor() {
    Engine& e = engine();
    InputState& in = e.input;
    if (in.pendingCursor == CursorRequest::Show && !in.cursorShown) {
        e.core.platform.showCursor(true);
        in.cursorShown = true;
    } else if (in.pendingCursor == CursorRequest::Hide && in.cursorShown) {
        e.core.platform.showCursor(false);
        in.cursorShown = false;
    }
    in.pendingCursor = CursorRequest::None;
}

}  // namespace

HostSample readHostSample() {
    Engine& e = engine();
    HostSample sample;
    e.core.platform.keyboardState(sample.keys);
    for (const WindowObject& w : e.core.windows) {
        if (w.handle == platform::kNoWindow) continue;
        e.core.platform.windowCursorPosition(w.handle, sample.cursorX[size_t(w.index)], sample.cursorY[size_t(w.index)]);
    }
    return sample;
}

void applyHostSample(const HostSample& sample) {
    Engine& e = engine();
    InputState& in = e.input;
    in.focusWindow = -1;
    for (const WindowObject& w : e.core.windows) {
        if (w.active) {
            in.focusWindow = w.index;
            break;
        }
    }
    if (in.focusWindow < 0) {
        in.sample.fill(0);
        return;
    }
    in.sample = sample.keys;
    for (WindowObject& w : e.core.windows) {
        if (w.handle == platform::kNoWindow) {
            w.mouseOutside = true;
            continue;
        }
        w.mouseX = sample.cursorX[size_t(w.index)] - e.display.pictureX;
        w.mouseY = sample.cursorY[size_t(w.index)] - e.display.pictureY;
        w.mouseOutside = w.mouseX < 0 || w.mouseY < 0 || w.mouseX >= w.clientWidth || w.mouseY >= w.clientHeight;
    }
}

uint64_t inputScriptFrame() {
    const Engine& e = engine();
    return e.shell.framesRun + 1 + (e.input.script ? e.input.script->pausedTurns : 0);
}

bool feedInputScriptFor(uint64_t frame) {
    InputScript* script = engine().input.script.get();
    return script && feedInputScript(*script, frame);
}

void sampleInput() {
    // What the lines did arrives as window events, which must reach the
    // window objects before the frame is sampled.
    if (feedInputScriptFor(inputScriptFrame())) pumpMessages();
    applyHostSample(readHostSample());
}

void updateKeyStates() {
    Engine& e = engine();
    InputState& in = e.input;
    WindowEvents& ev = e.windowEvents;
    const WindowObject* focus =
        in.focusWindow >= 0 && in.focusWindow < kWindowCount ? &e.core.windows[size_t(in.focusWindow)] : nullptr;
    if (in.mouseEnabled && focus) foldMouse(in, *focus, ev);
    for (size_t k = kKeyMouseLeft; k <= size_t(kKeyMouseMoved); ++k) advanceKey(in, k, isDown(in.sample[k]));
    ev.mouseMoved = false;
    ev.wheelDelta = 0;
    if (in.keyboardEnabled) {
        bool any = false;
        for (uint8_t k : kSampledKeys) {
            bool pressed = isDown(in.sample[k]);
            any = any || pressed;
            advanceKey(in, k, pressed);
        }
        advanceKey(in, kKeyAny, any);
    }
    if (in.autoHide) updateCursorHiding(in, focus, e.core.platform.millis());
    applyPendingCursor();
    updatePauseState();
}

int64_t keyCounter(int64_t position) {
    if (position < 0 || position >= kInputTableSize) return 0;
    return engine().input.counter[size_t(position)];
}

uint64_t keyPressCount(int64_t position) {
    if (position < 0 || position >= kInputTableSize) return 0;
    return engine().input.pressCount[size_t(position)];
}

void requestCursor(bool shown) { engine().input.pendingCursor = shown ? CursorRequest::Show : CursorRequest::Hide; }

void cancelCursorAutoHide() {
    Engine& e = engine();
    InputState& in = e.input;
    for (CursorHideTimer& t : in.cursorHide) t.armed = false;
    in.pendingCursor = CursorRequest::None;
    in.cursorShown = true;
    e.core.platform.showCursor(true);
}

void setCursorMode(int64_t mode) {
    InputState& in = engine().input;
    if (mode < 0 || mode > 2) return;
    in.autoHide = mode == 1;
    // A timer armed before hiding was switched off must not hide the cursor
    // the moment it is switched on again.
    for (CursorHideTimer& t : in.cursorHide) t.armed = false;
    requestCursor(mode != 0);
}

void feedInputWhilePaused() {
    InputState& in = engine().input;
    if (!in.script) return;
    ++in.script->pausedTurns;
    if (feedInputScriptFor(inputScriptFrame())) pumpMessages();
}

}  // namespace vr
