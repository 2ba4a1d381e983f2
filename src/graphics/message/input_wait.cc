#include "graphics/message/input_wait.h"

#include "core/core.h"
#include "graphics/graphics.h"
#include "graphics/text/text_output.h"
#include "script/script_state.h"
#include "script/script_thread.h"

namespace vr {

namespace {

int64_t keyCounter(int64_t key) {
    const ScriptHooks& hooks = scriptState().hooks;
    return hooks.keyCounter ? hooks.keyCounter(key) : 0;
}

// A key number that is not in the key counters (1023 among them) reads 0:
// neither held nor just pressed.
bool anyHeld(const std::array<int64_t, kMessageKeys>& keys) {
    for (int64_t key : keys)
        if (keyCounter(key) > 0) return true;
    return false;
}

bool anyJustPressed(const std::array<int64_t, kMessageKeys>& keys) {
    for (int64_t key : keys)
        if (keyCounter(key) == 1) return true;
    return false;
}

// The output stands at a click wait: go past it, and let the characters
// after it keep their pace from now.
void passClickWait(MessageTextState& m) {
    m.restartClock = 1;
    m.waiting = 0;
    ++m.index;
}

void serveShownMessage() {
    Graphics& g = graphics();
    MessageTextState& m = g.text.message;
    const MessageWindowState& w = g.messageWindow;
    if (anyHeld(w.skipKeys)) {
        if (m.waiting) passClickWait(m);
        else g.text.instantDisplay = true;
    }
    advanceText();
    if (m.entryCount > 0 && (anyJustPressed(w.clickKeys) || anyHeld(w.skipKeys))) {
        if (m.waiting) passClickWait(m);
        else if (m.index < m.entryCount) g.text.instantDisplay = true;
    }
}

}  // namespace

void serveInputWait(ScriptThread& thread) {
    if (!thread.inputWait) return;
    MessageTextState& m = graphics().text.message;
    if (m.messageMode == 1) {
        serveShownMessage();
        if (m.index < m.entryCount) return;
        if (m.index >= 1) m.finished = 1;
    }
    resetMessage();
    thread.inputWait = false;
}

void resetMessage() {
    MessageTextState& m = graphics().text.message;
    if (!m.finished) return;
    m.finished = 0;
    m.textLength = m.entryCount = m.pos = m.index = 0;
    m.restartClock = 1;
    // A message reset while its output stood at a click wait must not leave
    // the next message's first entry to be skipped as that wait.
    m.waiting = 0;
    m.text.fill(0);
    m.kinds.fill(0);
    m.widths.fill(0);
    m.heights.fill(0);
    m.delays.fill(0);
    m.topColours.fill(0);
    m.bottomColours.fill(0);
    m.bolds.fill(0);
}

}  // namespace vr
