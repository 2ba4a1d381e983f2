// The scripted keyboard and mouse of a headless run (virelo --input FILE):
// a text file of lines "FRAME ACTION ...", applied to the headless platform
// before their frame is sampled.  The format is described in
// docs/headless-input.md.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vr {

namespace platform {
class HeadlessPlatform;
}

enum class ScriptedAction : uint8_t {
    KeyDown, KeyUp, MouseMove, ButtonDown, ButtonUp, Wheel, FocusLost, FocusGained,
    BoxAnswer,   // key: the button's result for the next message box
    TypeText,    // text: what the player types into the next input dialog
    DialogEdit,  // x: presses of the next error dialog's edit button
};

struct ScriptedInput {
    uint64_t frame = 0;  // 1 is the first frame of the run
    ScriptedAction action = ScriptedAction::KeyDown;
    int window = 0;  // engine window 0 to 3
    int key = 0;     // key number; the mouse button of a button line
    int x = 0, y = 0;  // client point of a move; x: wheel notches, up positive, or edit presses
    std::string text;  // UTF-8
};

struct InputScript {
    std::vector<ScriptedInput> lines;  // by frame; a frame's lines in file order
    size_t next = 0;                   // the first line not applied yet
    // Turns the game spent paused while inactive; they count as frames of
    // the script, so that a focus taken away can be given back.
    uint64_t pausedTurns = 0;
    platform::HeadlessPlatform* host = nullptr;
};

// Parses a script's text.  False on the first bad line, with `error` as
// "LINE: what is wrong".
bool parseInputScript(std::string_view text, InputScript& script, std::string& error);
// Reads and parses a script file; the error starts with the file's name.
bool loadInputScript(const std::string& hostPath, InputScript& script, std::string& error);

// Applies every line of the frames up to `frame` that has not been applied;
// true when there was one.  Lines for a window that is not open are dropped.
bool feedInputScript(InputScript& script, uint64_t frame);

}  // namespace vr
