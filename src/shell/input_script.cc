#include "shell/input_script.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <utility>

#include "common/key_names.h"
#include "common/text_lines.h"
#include "common/utf8.h"
#include "platform/headless/headless.h"
#include "shell/engine.h"

namespace vr {

namespace {

// Far beyond any screen, near enough to keep sums in int.
constexpr long kCoordinateLimit = 1'000'000;
constexpr long kMaxNotches = 1000;
// Frames far beyond any run, low enough that frame + 1 cannot wrap.
constexpr uint64_t kMaxFrame = uint64_t(1) << 62;

std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> out;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
        if (i >= line.size() || line[i] == '#') break;
        size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r' && line[i] != '#') ++i;
        out.push_back(line.substr(start, i - start));
    }
    return out;
}

// Decimal, or hexadecimal after "0x".
bool number(std::string_view w, long min, long max, long& out) {
    std::string text(w);
    if (text.empty()) return false;
    bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(text.c_str() + (hex ? 2 : 0), &end, hex ? 16 : 10);
    if (errno == ERANGE || !end || *end || v < min || v > max) return false;
    out = v;
    return true;
}

bool frameNumber(std::string_view w, uint64_t& out) {
    if (w.empty() || w.size() > 20) return false;
    uint64_t v = 0;
    for (char c : w) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + uint64_t(c - '0');
        if (v > kMaxFrame) return false;
    }
    out = v;
    return true;
}

struct LineParser {
    std::vector<std::string_view> w;
    std::vector<ScriptedInput>& out;
    std::string error;

    bool fail(std::string what) {
        error = std::move(what);
        return false;
    }

    // A trailing "window N" names the engine window (0 by default).
    bool takeWindow(int& window) {
        window = 0;
        if (w.size() < 2 || w[w.size() - 2] != "window") return true;
        long n = 0;
        if (!number(w.back(), 0, kWindowCount - 1, n))
            return fail("a window is 0 to 3, not '" + std::string(w.back()) + "'");
        window = int(n);
        w.resize(w.size() - 2);
        return true;
    }

    bool wordCount(size_t least, size_t most, const char* form) {
        if (w.size() < least) return fail(std::string("too few words; the form is: FRAME ") + form);
        if (w.size() > most) return fail("unexpected '" + std::string(w[most]) + "'; the form is: FRAME " + form);
        return true;
    }

    void add(uint64_t frame, ScriptedAction action, int window, int key = 0, int x = 0, int y = 0) {
        out.push_back(ScriptedInput{frame, action, window, key, x, y});
    }

    bool key(uint64_t frame) {
        if (!wordCount(4, 4, "key down|up|tap KEY")) return false;
        long k = keyByName(w[3]);
        if (k < 0 && !number(w[3], 0, 255, k))
            return fail("'" + std::string(w[3]) +
                        "' is no key: give a name (space, return, a, digit1, f1...) or a number 8 to 255");
        if (k < kPseudoKeys) return fail("keys 0 to 7 are the mouse's: use mouse and wheel lines");
        if (w[2] == "down") {
            add(frame, ScriptedAction::KeyDown, 0, int(k));
        } else if (w[2] == "up") {
            add(frame, ScriptedAction::KeyUp, 0, int(k));
        } else if (w[2] == "tap") {
            add(frame, ScriptedAction::KeyDown, 0, int(k));
            add(frame + 1, ScriptedAction::KeyUp, 0, int(k));
        } else {
            return fail("a key goes down, up or tap, not '" + std::string(w[2]) + "'");
        }
        return true;
    }

    bool point(size_t at, int& x, int& y) {
        long px = 0, py = 0;
        if (!number(w[at], -kCoordinateLimit, kCoordinateLimit, px) ||
            !number(w[at + 1], -kCoordinateLimit, kCoordinateLimit, py))
            return fail("'" + std::string(w[at]) + " " + std::string(w[at + 1]) + "' is no point: give X Y in pixels");
        x = int(px);
        y = int(py);
        return true;
    }

    bool mouse(uint64_t frame) {
        int window = 0;
        if (!takeWindow(window)) return false;
        if (w.size() >= 3 && w[2] == "move") {
            if (!wordCount(5, 5, "mouse move X Y [window N]")) return false;
            int x = 0, y = 0;
            if (!point(3, x, y)) return false;
            add(frame, ScriptedAction::MouseMove, window, 0, x, y);
            return true;
        }
        if (!wordCount(4, 6, "mouse down|up|click BUTTON [X Y] [window N]")) return false;
        if (w.size() == 5) return fail("a point needs both X and Y");
        int button = w[3] == "left" ? platform::kMouseLeft : w[3] == "right" ? platform::kMouseRight
                                                            : w[3] == "middle" ? platform::kMouseMiddle : 0;
        if (!button) return fail("a mouse button is left, right or middle, not '" + std::string(w[3]) + "'");
        if (w.size() == 6) {
            int x = 0, y = 0;
            if (!point(4, x, y)) return false;
            add(frame, ScriptedAction::MouseMove, window, 0, x, y);
        }
        if (w[2] == "down") {
            add(frame, ScriptedAction::ButtonDown, window, button);
        } else if (w[2] == "up") {
            add(frame, ScriptedAction::ButtonUp, window, button);
        } else if (w[2] == "click") {
            add(frame, ScriptedAction::ButtonDown, window, button);
            add(frame + 1, ScriptedAction::ButtonUp, window, button);
        } else {
            return fail("the mouse can move, go down, up or click, not '" + std::string(w[2]) + "'");
        }
        return true;
    }

    bool wheel(uint64_t frame) {
        int window = 0;
        if (!takeWindow(window) || !wordCount(3, 4, "wheel up|down [NOTCHES] [window N]")) return false;
        if (w[2] != "up" && w[2] != "down") return fail("the wheel turns up or down, not '" + std::string(w[2]) + "'");
        long notches = 1;
        if (w.size() == 4 && !number(w[3], 1, kMaxNotches, notches))
            return fail("'" + std::string(w[3]) + "' is no count of notches (1 to 1000)");
        add(frame, ScriptedAction::Wheel, window, 0, int(w[2] == "up" ? notches : -notches));
        return true;
    }

    bool focus(uint64_t frame) {
        int window = 0;
        if (!takeWindow(window) || !wordCount(3, 3, "focus lost|gained [window N]")) return false;
        if (w[2] == "lost") {
            add(frame, ScriptedAction::FocusLost, window);
        } else if (w[2] == "gained") {
            add(frame, ScriptedAction::FocusGained, window);
        } else {
            return fail("the focus is lost or gained, not '" + std::string(w[2]) + "'");
        }
        return true;
    }

    bool box(uint64_t frame) {
        if (!wordCount(3, 3, "box ok|cancel|yes|no|retry|abort|ignore")) return false;
        static constexpr std::pair<std::string_view, int> kAnswers[] = {
            {"ok", platform::kIdOk},       {"cancel", platform::kIdCancel}, {"yes", platform::kIdYes},
            {"no", platform::kIdNo},       {"retry", platform::kIdRetry},   {"abort", platform::kIdAbort},
            {"ignore", platform::kIdIgnore}};
        for (const auto& [name, result] : kAnswers) {
            if (w[2] != name) continue;
            add(frame, ScriptedAction::BoxAnswer, 0, result);
            return true;
        }
        return fail("a box is answered ok, cancel, yes, no, retry, abort or ignore, not '" + std::string(w[2]) + "'");
    }

    // The typed text is the rest of the line after "type" and one space,
    // '#' and spaces included.
    bool type(uint64_t frame, std::string_view line) {
        size_t at = line.find("type");
        std::string_view rest = line.substr(at + 4);
        if (!rest.empty() && (rest[0] == ' ' || rest[0] == '\t')) rest.remove_prefix(1);
        while (!rest.empty() && rest.back() == '\r') rest.remove_suffix(1);
        if (!isUtf8(rest)) return fail("the typed text is not UTF-8");
        add(frame, ScriptedAction::TypeText, 0);
        out.back().text = std::string(rest);
        return true;
    }

    // The next error dialog's edit button, pressed before its end button.
    bool dialog(uint64_t frame) {
        if (!wordCount(3, 4, "dialog edit [PRESSES]")) return false;
        if (w[2] != "edit") return fail("a dialog line presses edit, not '" + std::string(w[2]) + "'");
        long presses = 1;
        if (w.size() == 4 && !number(w[3], 1, 100, presses))
            return fail("'" + std::string(w[3]) + "' is no count of presses (1 to 100)");
        add(frame, ScriptedAction::DialogEdit, 0, 0, int(presses));
        return true;
    }

    bool parse(std::string_view line) {
        if (w.empty()) return true;
        uint64_t frame = 0;
        if (!frameNumber(w[0], frame))
            return fail("a line starts with its frame number, not '" + std::string(w[0]) + "'");
        if (frame == 0) return fail("frames count from 1");
        if (w.size() < 2) return fail("the frame number is not followed by anything to do");
        if (w[1] == "key") return key(frame);
        if (w[1] == "mouse") return mouse(frame);
        if (w[1] == "wheel") return wheel(frame);
        if (w[1] == "focus") return focus(frame);
        if (w[1] == "box") return box(frame);
        if (w[1] == "type") return type(frame, line);
        if (w[1] == "dialog") return dialog(frame);
        return fail("unknown action '" + std::string(w[1]) + "' (key, mouse, wheel, focus, box, type or dialog)");
    }
};

}  // namespace

bool parseInputScript(std::string_view text, InputScript& script, std::string& error) {
    std::vector<ScriptedInput> lines;
    size_t lineNumber = 0;
    bool parsed = forEachLine(text, [&](std::string_view line) {
        ++lineNumber;
        LineParser p{words(line), lines, {}};
        if (p.parse(line)) return true;
        error = std::to_string(lineNumber) + ": " + p.error;
        return false;
    });
    if (!parsed) return false;
    // A click's release lands in the next frame, ahead of the lines written
    // for that frame after it.
    std::stable_sort(lines.begin(), lines.end(),
                     [](const ScriptedInput& a, const ScriptedInput& b) { return a.frame < b.frame; });
    script.lines = std::move(lines);
    script.next = 0;
    script.pausedTurns = 0;
    return true;
}

bool loadInputScript(const std::string& hostPath, InputScript& script, std::string& error) {
    std::vector<uint8_t> bytes;
    if (!platform::readHostFile(hostPath, bytes)) {
        error = hostPath + ": cannot be read";
        return false;
    }
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (!parseInputScript(text, script, error)) {
        error = hostPath + ":" + error;
        return false;
    }
    return true;
}

bool feedInputScript(InputScript& script, uint64_t frame) {
    if (!script.host) return false;
    platform::HeadlessPlatform& host = *script.host;
    bool applied = false;
    while (script.next < script.lines.size() && script.lines[script.next].frame <= frame) {
        const ScriptedInput& in = script.lines[script.next++];
        applied = true;
        if (in.action == ScriptedAction::BoxAnswer) {
            host.queueMessageBoxAnswer(in.key);
            continue;
        }
        if (in.action == ScriptedAction::TypeText) {
            host.queueInputText(in.text);
            continue;
        }
        if (in.action == ScriptedAction::KeyDown || in.action == ScriptedAction::KeyUp) {
            host.setKey(in.key, in.action == ScriptedAction::KeyDown);
            continue;
        }
        if (in.action == ScriptedAction::DialogEdit) {
            host.queueErrorDialogEdits(in.x);
            continue;
        }
        platform::WindowId window = engine().core.windows[size_t(in.window)].handle;
        if (window == platform::kNoWindow) continue;
        switch (in.action) {
        case ScriptedAction::MouseMove: host.moveMouse(window, in.x, in.y); break;
        case ScriptedAction::ButtonDown: host.setMouseButton(window, in.key, true); break;
        case ScriptedAction::ButtonUp: host.setMouseButton(window, in.key, false); break;
        case ScriptedAction::Wheel: host.turnWheel(window, in.x); break;
        case ScriptedAction::FocusLost: host.setFocus(window, false); break;
        case ScriptedAction::FocusGained: host.setFocus(window, true); break;
        default: break;
        }
    }
    return applied;
}

}  // namespace vr
