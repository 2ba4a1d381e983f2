// The per-frame input state on the headless platform: counters, press
// counts, the mouse outside the window, focus, the cursor's hiding, the
// input variables, and the input script that plays a headless run.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <set>
#include <string>

#include "platform/sdl/sdl_platform.h"
#include "script/interpreter.h"
#include "script/system_variables.h"
#include "shell/input.h"
#include "shell/input_script.h"
#include "shell/startup.h"
#include "support/headless_engine.h"

namespace vr {
namespace {

constexpr int kSpace = 32, kA = 'A';

class InputTest : public testing::Test {
protected:
    test::HeadlessEngine h;
    WindowObject& main() { return h.e.core.windows[0]; }

    void SetUp() override {
        createWindowObjects();
        main().clientWidth = 640;
        main().clientHeight = 480;
        main().shown = true;
        ASSERT_TRUE(createMainWindow());
        h.host.showWindow(main().handle, true);  // takes the focus
        pumpMessages();
        ASSERT_TRUE(main().active);
    }
    // One turn of the main loop as far as input goes.
    void frame() {
        pumpMessages();
        sampleInput();
        updateKeyStates();
        ++h.e.shell.framesRun;
    }
    int64_t counter(int key) { return keyCounter(key); }
};

TEST_F(InputTest, HeldKeysCountUpReleasedAndUntouchedKeysCountDown) {
    h.host.setKey(kSpace, true);
    for (int64_t n = 1; n <= 3; ++n) {
        frame();
        EXPECT_EQ(counter(kSpace), n);
        EXPECT_EQ(counter(kA), -n) << "a key never pressed";
        EXPECT_EQ(counter(kKeyAny), n);
    }
    h.host.setKey(kSpace, false);
    frame();
    EXPECT_EQ(counter(kSpace), -1);
    frame();
    EXPECT_EQ(counter(kSpace), -2);
    EXPECT_EQ(counter(kKeyAny), -2);
    EXPECT_EQ(keyPressCount(kSpace), 1u);

    h.host.setKey(kSpace, true);
    frame();
    EXPECT_EQ(counter(kSpace), 1);
    EXPECT_EQ(keyPressCount(kSpace), 2u);
    EXPECT_EQ(keyPressCount(kA), 0u);
}

TEST_F(InputTest, AModifierIsDownByItsSideAndByItsSharedNumber) {
    h.host.setKey(161, true);  // right shift
    h.host.setKey(17, true);   // control stands for the left one
    frame();
    EXPECT_EQ(counter(16), 1);
    EXPECT_EQ(counter(161), 1);
    EXPECT_EQ(counter(160), -1);
    EXPECT_EQ(counter(17), 1);
    EXPECT_EQ(counter(162), 1);
    EXPECT_EQ(h.e.windowEvents.lastKey, 17) << "window events name the shared number";
}

TEST_F(InputTest, NoPressStartsOutsideTheWindowButAHeldButtonGoesOn) {
    h.host.moveMouse(main().handle, -5, 100);
    h.host.setMouseButton(main().handle, platform::kMouseLeft, true);
    frame();
    EXPECT_TRUE(main().mouseOutside);
    EXPECT_EQ(counter(kKeyMouseLeft), -1);
    frame();
    EXPECT_EQ(counter(kKeyMouseLeft), -2) << "still outside";
    h.host.setMouseButton(main().handle, platform::kMouseLeft, false);

    h.host.moveMouse(main().handle, 10, 20);
    h.host.setMouseButton(main().handle, platform::kMouseLeft, true);
    frame();
    EXPECT_FALSE(main().mouseOutside);
    EXPECT_EQ(main().mouseX, 10);
    EXPECT_EQ(main().mouseY, 20);
    EXPECT_EQ(counter(kKeyMouseLeft), 1);
    h.host.moveMouse(main().handle, 640, 20);  // one pixel past the right edge
    frame();
    EXPECT_TRUE(main().mouseOutside);
    EXPECT_EQ(counter(kKeyMouseLeft), 2);
    EXPECT_EQ(counter(kKeyMouseMoved), -1) << "movement outside is not movement in the window";
    h.host.setMouseButton(main().handle, platform::kMouseLeft, false);
    frame();
    EXPECT_EQ(counter(kKeyMouseLeft), -1);
    EXPECT_EQ(keyPressCount(kKeyMouseLeft), 1u);
}

TEST_F(InputTest, WheelAndMovementArePseudoKeysOfOneFrame) {
    h.host.moveMouse(main().handle, 100, 100);
    h.host.turnWheel(main().handle, 1);
    frame();
    EXPECT_EQ(counter(kKeyWheelUp), 1);
    EXPECT_EQ(counter(kKeyWheelDown), -1);
    EXPECT_EQ(counter(kKeyMouseMoved), 1);
    frame();
    EXPECT_EQ(counter(kKeyWheelUp), -1);
    EXPECT_EQ(counter(kKeyMouseMoved), -1);
    h.host.turnWheel(main().handle, -2);
    frame();
    EXPECT_EQ(counter(kKeyWheelDown), 1);
    EXPECT_EQ(counter(kKeyWheelUp), -2);

    h.host.moveMouse(main().handle, 100, 900);
    frame();
    h.host.turnWheel(main().handle, 1);
    frame();
    EXPECT_EQ(counter(kKeyWheelUp), -4) << "the wheel outside the window does nothing";
}

TEST_F(InputTest, SwitchedOffKeyboardAndMouseInput) {
    h.host.setKey(kSpace, true);
    frame();
    h.e.input.keyboardEnabled = false;
    frame();
    frame();
    EXPECT_EQ(counter(kSpace), 1) << "the keys stand still";
    h.e.input.mouseEnabled = false;
    h.host.turnWheel(main().handle, 1);
    frame();
    EXPECT_EQ(counter(kKeyWheelUp), -4);
}

TEST_F(InputTest, TheCursorHidesAfterKeyboardUseAndComesBackWithTheMouse) {
    h.host.moveMouse(main().handle, 50, 50);
    frame();
    h.host.setKey(kA, true);
    frame();  // the key arms the timer
    h.host.advanceClock(2499);
    frame();
    EXPECT_TRUE(h.host.cursorShown());
    h.host.advanceClock(1);
    frame();
    EXPECT_FALSE(h.host.cursorShown());
    EXPECT_FALSE(h.e.input.cursorShown);
    frame();
    EXPECT_FALSE(h.host.cursorShown()) << "stays hidden while the mouse rests";

    h.host.moveMouse(main().handle, 51, 50);
    frame();
    EXPECT_TRUE(h.host.cursorShown());
    frame();  // the key still held arms it again
    h.host.advanceClock(2500);
    frame();
    EXPECT_FALSE(h.host.cursorShown());

    h.host.setMouseButton(main().handle, platform::kMouseMiddle, true);
    frame();
    EXPECT_TRUE(h.host.cursorShown()) << "a button shows it too";
    h.e.input.cursorHide[0].revealOnButton = false;
    frame();
    h.host.advanceClock(2500);
    frame();
    EXPECT_FALSE(h.host.cursorShown()) << "not with that reveal option off";

    h.host.moveMouse(main().handle, 51, 5000);
    frame();
    EXPECT_TRUE(h.host.cursorShown()) << "a cursor that leaves the window is shown";

    h.host.moveMouse(main().handle, 50, 50);
    setCursorMode(2);  // shown, no automatic hiding
    frame();
    h.host.advanceClock(10000);
    frame();
    EXPECT_TRUE(h.host.cursorShown());
}

TEST_F(InputTest, CursorRequestsAreBalanced) {
    h.e.input.autoHide = false;
    requestCursor(false);
    frame();
    requestCursor(false);
    frame();
    EXPECT_FALSE(h.host.cursorShown());
    requestCursor(true);
    frame();
    EXPECT_TRUE(h.host.cursorShown()) << "two hides and one show leave it shown";
    requestCursor(false);
    requestCursor(true);
    frame();
    EXPECT_TRUE(h.host.cursorShown()) << "the last request of a frame counts";
}

TEST_F(InputTest, VariablesReadCountersPressCountsAndTheKeyMap) {
    constexpr uint32_t kKeySlot = 93, kCountSlot = 227, kCodeSlot = 361;
    const uint32_t spaceSlot = [] {
        KeyMap map = defaultKeyMap();
        for (uint32_t s = 0; s < map.size(); ++s)
            if (map[s] == kSpace) return s;
        return 0u;
    }();
    h.host.setKey(kSpace, true);
    frame();
    frame();
    EXPECT_EQ(readSystemInteger(90, kSpace), 2);
    EXPECT_EQ(readSystemInteger(kKeySlot + spaceSlot, 0), 2);
    EXPECT_EQ(readSystemInteger(kCountSlot + spaceSlot, 0), 1);
    EXPECT_EQ(readSystemInteger(kCodeSlot + spaceSlot, 0), kSpace);
    EXPECT_EQ(readSystemInteger(kKeySlot + kKeyMouseLeft, 0), -2) << "slot 1 is the left button";
    EXPECT_EQ(readSystemInteger(90, 0), 0) << "element 0 reads nothing";
    EXPECT_EQ(readSystemInteger(90, kInputTableSize), 0);
    EXPECT_EQ(readSystemInteger(90, -3), 0);

    // The slot moved to another key reads that key.
    EXPECT_EQ(writeSystemInteger(kCodeSlot + spaceSlot, 0, 0x100 + kA), 0);
    EXPECT_EQ(readSystemInteger(kCodeSlot + spaceSlot, 0), kA);
    EXPECT_EQ(readSystemInteger(kKeySlot + spaceSlot, 0), -2);

    // A counter written goes on counting from there.
    EXPECT_EQ(writeSystemInteger(90, kSpace, -10), 0);
    frame();
    EXPECT_EQ(counter(kSpace), -9);
    EXPECT_EQ(writeSystemInteger(90, kA, INT64_MIN), 0);
    frame();
    EXPECT_EQ(counter(kA), INT64_MIN) << "the counter stops at its end";

    // Controller rows: directions by device, buttons by device * 32 + button,
    // at the positions the position variables give.
    EXPECT_EQ(writeSystemInteger(223, 2, 7), 0);
    EXPECT_EQ(readSystemInteger(90, readSystemInteger(490, 2)), 7);
    EXPECT_EQ(writeSystemInteger(226, 40, 9), 0);
    EXPECT_EQ(readSystemInteger(90, readSystemInteger(493, 40)), 9);
    EXPECT_EQ(writeSystemInteger(360, 40, 4), 0);
    EXPECT_EQ(readSystemInteger(360, 40), 4);
    EXPECT_EQ(writeSystemInteger(226, -1, 5), 0);
    EXPECT_EQ(writeSystemInteger(222, kInputDevices, 5), 0);
    EXPECT_EQ(readSystemInteger(226, -1), 0);
    EXPECT_EQ(readSystemInteger(222, kInputDevices), 0);
    EXPECT_EQ(readSystemInteger(355, 0), 0);
    EXPECT_TRUE(h.e.core.errors.reportedCodes.empty());
}

TEST(InputKeys, EverySampledKeyHasANameAndAKeyOnTheKeyboard) {
    std::set<int> fromScancodes;
    for (int sc = 0; sc < SDL_NUM_SCANCODES; ++sc)
        fromScancodes.insert(platform::virtualKeyOf(SDL_Scancode(sc), SDLK_UNKNOWN));
    for (uint8_t k : kSampledKeys) {
        const char* name = keyName(k);
        ASSERT_NE(name, nullptr) << int(k);
        EXPECT_EQ(keyByName(name), k) << name;
        // The shared modifier numbers come from either side.
        if (k < 16 || k > 18) {
            EXPECT_TRUE(fromScancodes.count(k)) << "no scancode gives key " << int(k);
        }
    }
    EXPECT_EQ(platform::virtualKeyOf(SDL_SCANCODE_Q, SDLK_a), 'A') << "letters follow the layout";
    EXPECT_EQ(platform::virtualKeyOf(SDL_SCANCODE_SEMICOLON, SDLK_m), 'M');
    EXPECT_EQ(platform::virtualKeyOf(SDL_SCANCODE_SEMICOLON, SDLK_SEMICOLON), 186);
    EXPECT_EQ(platform::eventVirtualKey(SDL_SCANCODE_RCTRL, SDLK_RCTRL), 17);
    EXPECT_EQ(keyByName("ENTER"), 13);
    EXPECT_EQ(keyByName("f25"), -1);
    EXPECT_EQ(keyByName("1"), -1) << "a bare number is a key number, not a digit key";
}

TEST(InputScriptParse, LinesInFrameOrderAndTheirLettingGo) {
    InputScript s;
    std::string error;
    ASSERT_TRUE(parseInputScript("# a comment\n"
                                 "3 key down Space   # trailing comment\r\n"
                                 "\n"
                                 "2 mouse click right 10 -20 window 1\n"
                                 "3 wheel down 2\n"
                                 "4 focus lost\n"
                                 "2 key tap 0x41\n",
                                 s, error))
        << error;
    struct Want {
        uint64_t frame;
        ScriptedAction action;
        int window, key, x, y;
    };
    const Want want[] = {
        {2, ScriptedAction::MouseMove, 1, 0, 10, -20}, {2, ScriptedAction::ButtonDown, 1, platform::kMouseRight, 0, 0},
        {2, ScriptedAction::KeyDown, 0, 'A', 0, 0},    {3, ScriptedAction::KeyDown, 0, kSpace, 0, 0},
        {3, ScriptedAction::ButtonUp, 1, platform::kMouseRight, 0, 0}, {3, ScriptedAction::Wheel, 0, 0, -2, 0},
        {3, ScriptedAction::KeyUp, 0, 'A', 0, 0},      {4, ScriptedAction::FocusLost, 0, 0, 0, 0},
    };
    ASSERT_EQ(s.lines.size(), std::size(want));
    for (size_t i = 0; i < std::size(want); ++i) {
        const ScriptedInput& l = s.lines[i];
        EXPECT_EQ(l.frame, want[i].frame) << i;
        EXPECT_EQ(l.action, want[i].action) << i;
        EXPECT_EQ(l.window, want[i].window) << i;
        EXPECT_EQ(l.key, want[i].key) << i;
        EXPECT_EQ(l.x, want[i].x) << i;
        EXPECT_EQ(l.y, want[i].y) << i;
    }
}

TEST(InputScriptParse, BadLinesAreRefusedWithTheirNumber) {
    const std::pair<const char*, const char*> bad[] = {
        {"1 key down space\nx key down a\n", "2: a line starts with its frame number"},
        {"0 key down a\n", "1: frames count from 1"},
        {"1 jump\n", "1: unknown action 'jump'"},
        {"1 key down spase\n", "1: 'spase' is no key"},
        {"1 key down 300\n", "1: '300' is no key"},
        {"1 key down 1\n", "1: keys 0 to 7 are the mouse's"},
        {"1 key press a\n", "1: a key goes down, up or tap"},
        {"1 mouse move 10\n", "1: too few words"},
        {"1 mouse down left 10\n", "1: a point needs both X and Y"},
        {"1 mouse down thumb\n", "1: a mouse button is left, right or middle"},
        {"1 mouse move 10 20 30\n", "1: unexpected '30'"},
        {"1 mouse move 10 2e9\n", "1: '10 2e9' is no point"},
        {"1 wheel up 0\n", "1: '0' is no count of notches"},
        {"1 focus lost window 4\n", "1: a window is 0 to 3"},
        {"1\n", "1: the frame number is not followed"},
        {"99999999999999999999 key down a\n", "1: a line starts with its frame number"},
    };
    for (const auto& [text, message] : bad) {
        InputScript s;
        std::string error;
        EXPECT_FALSE(parseInputScript(text, s, error)) << text;
        EXPECT_EQ(error.rfind(message, 0), 0u) << text << " gave: " << error;
    }
    InputScript s;
    std::string error;
    EXPECT_FALSE(loadInputScript("/nonexistent/input.txt", s, error));
    EXPECT_EQ(error, "/nonexistent/input.txt: cannot be read");
}

TEST_F(InputTest, APausedGameStillTakesItsScriptedFocusBack) {
    auto script = std::make_shared<InputScript>();
    std::string error;
    ASSERT_TRUE(parseInputScript("2 focus lost\n4 focus gained\n", *script, error)) << error;
    script->host = &h.host;
    h.e.input.script = script;
    h.e.script.runInBackground = false;
    frame();
    EXPECT_EQ(h.e.script.pauseState, 0);
    // Frame 2 loses the focus and pauses; its paused turns stand for
    // frames 3 and 4, the second of which gives the focus back.
    pumpMessages();
    sampleInput();
    updateKeyStates();
    EXPECT_EQ(h.e.script.pauseState, 1);
    int turns = 0;
    while (h.e.script.pauseState == 1 && turns < 10) {
        ++turns;
        feedInputWhilePaused();
        pumpMessages();
        updatePauseState();
    }
    EXPECT_EQ(turns, 2);
    EXPECT_TRUE(main().active);
}

}  // namespace
}  // namespace vr
