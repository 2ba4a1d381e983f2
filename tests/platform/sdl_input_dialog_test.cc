// The SDL backend's input dialog on an X server (Xvfb): text arrives as
// SDL's text-input events, an input method's composition included, and
// comes back in Shift_JIS.  The picture of the dialog while a composition
// stands in place is kept in the build folder (input_dialog.png) to be
// looked at.
#include <gtest/gtest.h>

#include <SDL.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

#include "platform/platform.h"
#include "support/lines.h"
#include "support/png_file.h"
#include "support/sjis_text.h"
#include "support/temp_dir.h"
#include "support/x_screen.h"

namespace vr::platform {
namespace {

void pushText(const char* utf8, bool composing = false) {
    SDL_Event e{};
    if (composing) {
        e.type = SDL_TEXTEDITING;
        std::strncpy(e.edit.text, utf8, sizeof e.edit.text - 1);
    } else {
        e.type = SDL_TEXTINPUT;
        std::strncpy(e.text.text, utf8, sizeof e.text.text - 1);
    }
    SDL_PushEvent(&e);
}

void pushKey(SDL_Keycode key, uint16_t mod = KMOD_NONE) {
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.state = SDL_PRESSED;
    e.key.keysym.sym = key;
    e.key.keysym.mod = mod;
    SDL_PushEvent(&e);
}

constexpr int kScreenWidth = 1024, kScreenHeight = 768;

TEST(SdlInputDialog, TypedAndComposedTextComesBackInShiftJis) {
    test::TempDir work;
    int display = -1;
    auto server = test::startXvfb(work.str() + "xvfb.txt", display);
    if (display < 0) GTEST_SKIP() << "Xvfb could not start: " << server->output();
    const std::string dpy = ":" + std::to_string(display);
    const std::string result = work.str() + "result.txt", shot = std::string(VIRELO_BINARY_DIR) + "/input_dialog.png";

    // SDL and the X libraries stay in a child of their own: they keep
    // process-wide state and allocations that a leak check cannot name.
    pid_t pid = fork();
    if (pid == 0) {
        alarm(30);  // a dialog that never ends must not hold the tests
        setenv("DISPLAY", dpy.c_str(), 1);
        setenv("SDL_VIDEODRIVER", "x11", 1);
        std::unique_ptr<Platform> host = createSdlPlatform();
        if (!host) _exit(3);
        host->setClipboardText(test::sjis(u8"コピー"));
        // The initial text is selected: typing replaces it.  Then the caret
        // goes back one character, a character Shift_JIS lacks is refused
        // and an input method composes in place.
        pushText("山田");
        pushKey(SDLK_LEFT);
        pushText("\xED\x95\x9C");  // a Hangul syllable
        pushText("はな", true);
        std::thread player([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(800));
            test::Picture picture;
            if (test::grabScreen(dpy, 0, 0, kScreenWidth, kScreenHeight, picture)) test::writePng(shot, picture, false);
            pushText("花");  // the composition is committed
            pushKey(SDLK_END);
            pushText("子x");  // the x passes the limit of four
            pushKey(SDLK_HOME, KMOD_LSHIFT);
            pushKey(SDLK_c, KMOD_LCTRL);  // copies 山花田子 over コピー
            pushKey(SDLK_END);
            pushKey(SDLK_BACKSPACE);
            pushKey(SDLK_BACKSPACE);
            pushKey(SDLK_v, KMOD_LCTRL);  // 山花 + the first two pasted, by the limit
            pushKey(SDLK_RETURN);
        });
        InputDialogSpec desc;
        desc.title = test::sjis(u8"名前の入力");
        desc.prompt = test::sjis(u8"あなたの名前を入力してください。");
        desc.text = test::sjis(u8"名無し");
        desc.maxCharacters = 4;
        std::string text;
        bool ok = host->inputDialog(desc, text);
        player.join();
        std::ofstream(result, std::ios::binary) << text;
        _exit(ok ? 0 : 4);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << "the child died (signal " << WTERMSIG(status) << ")";
    ASSERT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(test::readFile(result), test::sjis(u8"山花山花"));

    // The picture: the dialog stands centred on the screen, its field white.
    test::Picture picture;
    ASSERT_TRUE(test::readPng(shot, picture));
    EXPECT_EQ(picture.rgb(kScreenWidth / 2, kScreenHeight / 2), 0xFFFFFFu) << "the middle of the edit field";
    EXPECT_EQ(picture.rgb(4, 4), 0x000000u) << "the bare screen around it";
}

}  // namespace
}  // namespace vr::platform
