// virelo [--headless] [--realtime] [--frames N] [--screenshot-at N:FILE]...
//        [--transcript] [--input FILE] [--dump-vars FILE] [--audio-out FILE]
//        [GAMEDIR] [GAME ARGUMENTS...]
// virelo --help | --version
//
// Runs the game in GAMEDIR (by default the executable's own folder).  The
// headless options make whole games testable without a display: --input
// plays the keyboard and mouse from a script (docs/headless-input.md), and
// --dump-vars writes the game's variables to FILE when the run ends, and
// --audio-out records the run's sound as a WAV file.
//
// In a window, full screen switches the display to a mode of the game's
// size; with VIRELO_FULLSCREEN=desktop in the environment the picture is
// scaled to the desktop instead.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "shell/engine.h"
#include "shell/input_script.h"
#include "shell/startup.h"

namespace {

struct Screenshot {
    uint64_t frame;
    std::string file;
};

struct CommandLine {
    bool headless = false;
    bool realTime = false;
    bool transcript = false;
    uint64_t frames = 0;
    std::vector<Screenshot> screenshots;
    std::string dumpVars;
    std::string audioOut;
    std::shared_ptr<vr::InputScript> input;
    std::string gameFolder;
    std::vector<std::string> gameArguments;
};

void usage(FILE* to = stderr) {
    std::fprintf(to,
                 "usage: virelo [--headless] [--realtime] [--frames N] [--screenshot-at N:FILE]... [--transcript]\n"
                 "              [--input FILE] [--dump-vars FILE] [--audio-out FILE] [GAMEDIR] [GAME ARGUMENTS...]\n"
                 "       virelo --help | --version\n");
}

void help() {
    usage(stdout);
    std::fprintf(stdout,
                 "\n"
                 "  --headless          run without a display\n"
                 "  --realtime          headless, but on the real clock\n"
                 "  --frames N          end the run after N frames\n"
                 "  --screenshot-at N:FILE  write window 0's picture after frame N as PNG (headless)\n"
                 "  --transcript        print what the headless platform shows and does\n"
                 "  --input FILE        play the keyboard and mouse from FILE (implies --headless)\n"
                 "  --dump-vars FILE    write the game's variables to FILE at the end of the run\n"
                 "  --audio-out FILE    write the run's sound to FILE as WAV, 16-bit stereo 44100 Hz (headless)\n"
                 "\n"
                 "An input file has one action a line, '#' starts a comment; frames count from 1\n"
                 "and the lines of frame N are applied before frame N reads the input:\n"
                 "  N key down|up|tap KEY               KEY: a name (space, return, a, digit1, f1,\n"
                 "                                      lshift...) or a virtual-key number 8 to 255\n"
                 "  N mouse move X Y [window W]         client coordinates of window W (default 0)\n"
                 "  N mouse down|up|click BUTTON [X Y] [window W]   BUTTON: left, right or middle\n"
                 "  N wheel up|down [NOTCHES] [window W]\n"
                 "  N focus lost|gained [window W]\n"
                 "  N dialog edit [PRESSES]             the next error dialog's edit button\n"
                 "tap and click let go in frame N + 1.  A bad line stops the run before it starts\n"
                 "(exit code 2).\n");
}

// A frame number: digits only (no sign, no blanks), at least 1.
bool parseCount(std::string_view text, uint64_t& out) {
    if (text.empty() || text.size() > 19) return false;
    uint64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + uint64_t(c - '0');
    }
    if (v == 0) return false;
    out = v;
    return true;
}

int refuse(const std::string& message) {
    std::fprintf(stderr, "virelo: %s\n", message.c_str());
    return 2;
}

// The run changes into the game folder; files are named from here.
std::string absoluteFrom(const char* path) { return std::filesystem::absolute(path).lexically_normal().string(); }

// An output file that cannot be written is found before the run, not after it.
int checkOutputs(const CommandLine& cl) {
    for (const Screenshot& s : cl.screenshots) {
        if (cl.frames && s.frame > cl.frames)
            return refuse("--screenshot-at " + std::to_string(s.frame) + ": the run ends after frame " +
                          std::to_string(cl.frames));
        if (!vr::platform::canWriteHostFile(s.file)) return refuse("cannot write " + s.file);
    }
    if (!cl.dumpVars.empty() && !vr::platform::canWriteHostFile(cl.dumpVars))
        return refuse("cannot write " + cl.dumpVars);
    if (!cl.audioOut.empty() && !vr::platform::canWriteHostFile(cl.audioOut))
        return refuse("cannot write " + cl.audioOut);
    return 0;
}

// 0 = parsed; otherwise the exit code.
int parse(int argc, char** argv, CommandLine& cl) {
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        if (a == "--headless") {
            cl.headless = true;
        } else if (a == "--realtime") {
            cl.realTime = true;
        } else if (a == "--transcript") {
            cl.transcript = true;
        } else if (a == "--frames") {
            const char* v = value();
            if (!v) return usage(), 2;
            if (!parseCount(v, cl.frames)) return refuse(std::string("--frames wants a positive count, not '") + v + "'");
        } else if (a == "--screenshot-at") {
            const char* v = value();
            const char* colon = v ? std::strchr(v, ':') : nullptr;
            Screenshot s;
            if (!colon || !colon[1]) return usage(), 2;
            if (!parseCount(std::string_view(v, size_t(colon - v)), s.frame))
                return refuse(std::string("--screenshot-at wants a frame from 1 on, not '") + v + "'");
            s.file = absoluteFrom(colon + 1);
            cl.screenshots.push_back(s);
        } else if (a == "--dump-vars") {
            const char* v = value();
            if (!v || !*v) return usage(), 2;
            cl.dumpVars = absoluteFrom(v);
        } else if (a == "--audio-out") {
            const char* v = value();
            if (!v || !*v) return usage(), 2;
            cl.audioOut = absoluteFrom(v);
        } else if (a == "--input") {
            const char* v = value();
            if (!v || !*v) return usage(), 2;
            auto script = std::make_shared<vr::InputScript>();
            std::string error;
            if (!vr::loadInputScript(v, *script, error)) {
                std::fprintf(stderr, "virelo: %s\n", error.c_str());
                return 2;
            }
            // Only the headless platform can be played from a script.
            cl.input = std::move(script);
            cl.headless = true;
        } else if (a == "--help" || a == "-h") {
            help();
            return 1;
        } else if (a == "--version") {
            std::printf("virelo %s\n", VIRELO_VERSION);
            return 1;
        } else if (a.rfind("--", 0) == 0) {
            std::fprintf(stderr, "virelo: unknown option %s\n", a.c_str());
            return usage(), 2;
        } else if (cl.gameFolder.empty() && cl.gameArguments.empty() && std::filesystem::is_directory(a)) {
            cl.gameFolder = std::filesystem::absolute(a).lexically_normal().string();
        } else {
            cl.gameArguments.push_back(a);
        }
    }
    return checkOutputs(cl);
}

// Without GAMEDIR the game is the executable's own folder, so a mistyped
// folder name becomes a game argument and the run fails for want of a game:
// say what happened.
void explainMissingGameFolder(const CommandLine& cl, int status) {
    if (status != vr::kExitFatalReport || !cl.gameFolder.empty() || cl.gameArguments.empty()) return;
    const std::string& first = cl.gameArguments.front();
    if (std::filesystem::exists(first)) return;
    std::fprintf(stderr,
                 "virelo: '%s' is no folder, so it was taken as a game argument and the game was looked for in "
                 "the executable's folder (%s)\n",
                 first.c_str(), std::filesystem::path(vr::platform::executablePath()).parent_path().c_str());
}

}  // namespace

int main(int argc, char** argv) {
    CommandLine cl;
    if (int rc = parse(argc, argv, cl)) return rc == 1 ? 0 : rc;

    std::unique_ptr<vr::platform::Platform> host;
    if (!cl.headless) {
        host = vr::platform::createSdlPlatform();
        if (!host) std::fprintf(stderr, "virelo: no display; running headless\n");
    }
    vr::platform::HeadlessPlatform* headless = nullptr;
    if (!host) {
        vr::platform::HeadlessOptions o;
        o.realTime = cl.realTime;
        o.echoTranscript = cl.transcript;
        o.audioOut = cl.audioOut;
        auto h = std::make_unique<vr::platform::HeadlessPlatform>(o);
        headless = h.get();
        host = std::move(h);
    }
    if (!cl.screenshots.empty() && !headless) std::fprintf(stderr, "virelo: screenshots are taken in headless runs only\n");
    if (!cl.audioOut.empty() && !headless) std::fprintf(stderr, "virelo: the sound is recorded in headless runs only\n");

    vr::RunOptions options;
    options.programName = argv[0];
    options.gameFolder = cl.gameFolder;
    options.gameArguments = cl.gameArguments;
    options.frameLimit = cl.frames;
    options.dumpVarsFile = cl.dumpVars;
    if (cl.input) {
        cl.input->host = headless;
        options.inputScript = cl.input;
    }
    for (int i = 1; i < argc; ++i) options.restartArguments.push_back(argv[i]);
    bool outputFailed = false;
    uint64_t lastFrame = 0;
    if (headless && !cl.screenshots.empty()) {
        options.afterFrame = [&](uint64_t frame) {
            lastFrame = frame;
            for (const Screenshot& s : cl.screenshots) {
                if (s.frame != frame) continue;
                if (!headless->screenshot(vr::engine().core.windows[0].handle, s.file)) {
                    std::fprintf(stderr, "virelo: cannot write %s\n", s.file.c_str());
                    outputFailed = true;
                }
            }
        };
    }
    int status = vr::runProgram(*host, options);
    // A game that ends itself before a screenshot's frame leaves it untaken.
    for (const Screenshot& s : cl.screenshots) {
        if (!headless || s.frame <= lastFrame) continue;
        std::fprintf(stderr, "virelo: the run ended after frame %llu; %s was not taken\n",
                     static_cast<unsigned long long>(lastFrame), s.file.c_str());
        outputFailed = true;
    }
    if (headless && !headless->finishAudio()) {
        std::fprintf(stderr, "virelo: cannot write %s\n", cl.audioOut.c_str());
        outputFailed = true;
    }
    if (status == 0 && outputFailed) status = vr::kExitFatalReport;
    explainMissingGameFolder(cl, status);
    return status;
}
