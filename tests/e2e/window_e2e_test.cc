// The window of a real run: headless, and in a real X window on Xvfb whose
// picture, grabbed from the X server, must equal the headless screenshot of
// the same frame.
#include <gtest/gtest.h>

#include <csignal>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "support/lines.h"
#include "support/png_file.h"
#include "support/process.h"
#include "support/temp_dir.h"
#include "support/x_screen.h"

namespace vr {
namespace {

using test::Picture;
using test::runProcess;

// True when `part` equals the rectangle of `whole` at (x, y); else the first
// difference is described in `why`.
bool sameAt(const Picture& whole, int x, int y, const Picture& part, std::string& why) {
    if (x < 0 || y < 0 || x + part.width > whole.width || y + part.height > whole.height) {
        why = "the window does not fit the grab";
        return false;
    }
    for (int py = 0; py < part.height; ++py)
        for (int px = 0; px < part.width; ++px) {
            if (whole.rgb(x + px, y + py) == part.rgb(px, py)) continue;
            char text[96];
            std::snprintf(text, sizeof text, "pixel %d,%d: window %06x, headless %06x", px, py, whole.rgb(x + px, y + py),
                          part.rgb(px, py));
            why = text;
            return false;
        }
    return true;
}

// A background above a strip the layers leave transparent, a half
// transparent image there, a box that moves after a second (only its old
// and new places are presented then), and a frameless window when asked.
std::string scene(bool framed) {
    return std::string("#config width=320 height=240 title=\"virelo window test\" images=png sound=0 framed=") +
           (framed ? "1" : "0") +
           "\n"
           "*SYSTEM_START\n"
           "ObjectSet path=\"bg\" image=\"bg\" order=1\n"
           "ObjectSet path=\"box\" image=\"box\" order=2 x=40 y=30\n"
           "ObjectSet path=\"glass\" image=\"glass\" order=3 x=10 y=210\n"
           "wait 60\n"
           "ObjectSet path=\"box\" x+=150 y+=100\n"
           "*idle\nwait 1\ngoto *idle\n";
}

class WindowE2E : public testing::Test {
protected:
    test::TempDir src, game, work;

    void build(bool framed) {
        src.write("main.vrs", scene(framed));
        auto c = runProcess({test::vrc(), "build", src.str(), "--out", game.str()});
        ASSERT_EQ(c.exitCode, 0) << c.output;
        ASSERT_TRUE(test::writePng(game.str() + "bg.png", Picture(320, 200, 0xFF203080), false));
        ASSERT_TRUE(test::writePng(game.str() + "glass.png", Picture(30, 20, 0x8040FF80), true));
        ASSERT_TRUE(test::writePng(game.str() + "box.png", Picture(50, 40, 0xFFE0C010), false));
    }
    // The headless screenshot of a frame, and the run's output.
    std::string headlessShot(int frame, Picture& shot) {
        std::string png = work.str() + "headless.png";
        auto r = runProcess({test::virelo(), "--headless", "--transcript", "--frames", std::to_string(frame + 1),
                             "--screenshot-at", std::to_string(frame) + ":" + png, game.str()});
        EXPECT_EQ(r.exitCode, 0) << r.output;
        EXPECT_TRUE(test::readPng(png, shot)) << r.output;
        return r.output;
    }
};

TEST_F(WindowE2E, HeadlessFramelessWindowShowsTheComposedPicture) {
    build(false);
    Picture shot;
    std::string out = headlessShot(70, shot);
    EXPECT_TRUE(test::hasLine(out, "headless: window 1 style popup tool at 800,420"));
    ASSERT_EQ(shot.width, 320);
    EXPECT_EQ(shot.rgb(0, 0), 0x203080u);
    EXPECT_EQ(shot.rgb(40, 30), 0x203080u) << "the box has moved away";
    EXPECT_EQ(shot.rgb(190, 130), 0xE0C010u);
    EXPECT_EQ(shot.rgb(239, 169), 0xE0C010u);
    EXPECT_EQ(shot.rgb(240, 170), 0x203080u);
}

TEST_F(WindowE2E, RealWindowOnXvfbShowsTheHeadlessPicture) {
    build(true);
    Picture shot;
    headlessShot(70, shot);
    ASSERT_EQ(shot.width, 320);

    int display = -1;
    auto server = test::startXvfb(work.str() + "xvfb.txt", display);
    if (display < 0) GTEST_SKIP() << "Xvfb could not start: " << server->output();
    std::string dpy = ":" + std::to_string(display);

    // The X11 libraries SDL loads at run time and unloads at exit keep a few
    // allocations that a leak check cannot even name; memory errors in the
    // sanitizer build still end the run.
    const char* asan = std::getenv("ASAN_OPTIONS");
    std::string asanOptions = "ASAN_OPTIONS=" + std::string(asan ? asan : "") + ":detect_leaks=0";
    test::BackgroundProcess run({"/usr/bin/env", "DISPLAY=" + dpy, "SDL_VIDEODRIVER=x11", "SDL_AUDIODRIVER=dummy",
                                 asanOptions, test::virelo(), "--frames", "1200", game.str()},
                                work.str() + "run.txt");
    // No window manager: the window is centred on the 1024 x 768 screen
    // with nothing around its client area.
    const int x = (1024 - 320) / 2, y = (768 - 240) / 2;
    std::string why = "nothing grabbed";
    bool same = false;
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (!same && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        Picture window;
        if (!grabScreen(dpy, x, y, shot.width, shot.height, window)) continue;
        same = sameAt(window, 0, 0, shot, why);
    }
    EXPECT_TRUE(same) << why << "\n" << run.output();

    // A second start of the game in a window leaves it to the first: it
    // ends at once, without running (so without a dump of its variables).
    std::string dump = work.str() + "second.txt";
    auto second = runProcess({"/usr/bin/env", "DISPLAY=" + dpy, "SDL_VIDEODRIVER=x11", "SDL_AUDIODRIVER=dummy",
                              asanOptions, test::virelo(), "--frames", "1200", "--dump-vars", dump, game.str()});
    EXPECT_EQ(second.exitCode, 0) << second.output;
    EXPECT_FALSE(std::filesystem::exists(dump)) << second.output;
    EXPECT_EQ(run.stop(), 128 + SIGTERM) << run.output();
    EXPECT_EQ(run.output().find("no display"), std::string::npos) << run.output();
}

// Processes whose command line holds the text (the engine and any process
// it forked for a dialog).
int processesNaming(const std::string& text) {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::string cmdline = test::readFile(entry.path().string() + "/cmdline");
        if (cmdline.find(text) != std::string::npos) ++count;
    }
    return count;
}

TEST_F(WindowE2E, ATermSignalEndsARunHeldInTheErrorDialog) {
    src.write("main.vrs", "#config width=320 height=240 title=\"held\" sound=0\n*SYSTEM_START\nObjectSet path=\"x\" order=0\n");
    ASSERT_EQ(runProcess({test::vrc(), "build", src.str(), "--out", game.str()}).exitCode, 0);
    int display = -1;
    auto server = test::startXvfb(work.str() + "xvfb.txt", display);
    if (display < 0) GTEST_SKIP() << "Xvfb could not start: " << server->output();
    const char* asan = std::getenv("ASAN_OPTIONS");
    test::BackgroundProcess run({"/usr/bin/env", "DISPLAY=:" + std::to_string(display), "SDL_VIDEODRIVER=x11",
                                 "SDL_AUDIODRIVER=dummy", "ASAN_OPTIONS=" + std::string(asan ? asan : "") + ":detect_leaks=0",
                                 test::virelo(), game.str()},
                                work.str() + "run.txt");
    // The report reaches the terminal before the dialog opens.
    ASSERT_TRUE(run.waitForOutput("virelo: fatal error", 15000)) << run.output();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    auto asked = std::chrono::steady_clock::now();
    EXPECT_EQ(run.stop(SIGTERM, 5000), 128 + SIGTERM) << run.output();
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(1));
    EXPECT_EQ(processesNaming(game.str()), 0) << "the dialog's process outlived the run";
}

TEST_F(WindowE2E, TheDemoSoundsThroughARealAudioDevice) {
    int display = -1;
    auto server = test::startXvfb(work.str() + "xvfb.txt", display);
    if (display < 0) GTEST_SKIP() << "Xvfb could not start: " << server->output();
    // SDL's disk driver is a real SDL audio device that writes what it is
    // fed: 16-bit stereo as the engine opens it.
    const std::string raw = work.str() + "audio.raw";
    const char* asan = std::getenv("ASAN_OPTIONS");
    auto r = runProcess({"/usr/bin/env", "DISPLAY=:" + std::to_string(display), "SDL_VIDEODRIVER=x11",
                         "SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + raw,
                         "ASAN_OPTIONS=" + std::string(asan ? asan : "") + ":detect_leaks=0", test::virelo(), "--frames",
                         "180", test::demoGameFolder()});
    EXPECT_EQ(r.exitCode, 0) << r.output;
    const std::string bytes = test::readFile(raw);
    EXPECT_GT(bytes.size(), size_t(44100 * 4 * 2)) << "about three seconds of sound";
    int loudest = 0;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        loudest = std::max(loudest, std::abs(int(int16_t(uint16_t(uint8_t(bytes[i])) | uint16_t(uint8_t(bytes[i + 1])) << 8))));
    EXPECT_GT(loudest, 1000) << "the title theme is heard";
}

}  // namespace
}  // namespace vr
