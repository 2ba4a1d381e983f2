// The engine's life: program entry, start-up, the main loop, shutdown.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace vr {

struct InputScript;  // shell/input_script.h
struct ErrorState;   // core/error_report.h

struct RunOptions {
    std::string programName;                // as written on the command line
    std::string gameFolder;                 // host path; empty = the executable's folder
    std::vector<std::string> gameArguments; // the game's own arguments ("/info", ...)
    uint64_t frameLimit = 0;                // end the run after this many frames (0 = no limit)
    std::function<void(uint64_t frame)> afterFrame;  // called after each frame step
    std::vector<std::string> restartArguments;      // the command line to start again with
    std::string dumpVarsFile;               // host path for the user variables at shutdown; empty = none
    std::shared_ptr<InputScript> inputScript;  // the scripted input of a headless run; null = none
};

// The program entry: instance guards, the appended-data check, the
// screen-saver switches, start-up, the main loop and shutdown.  Returns the
// process exit status (exitStatus).
int runProgram(platform::Platform& host, const RunOptions& options);

// The exit status tells a test or a batch job how the run went:
//   0       no error was reported
//   1       a fatal error was reported, or the game could not start, or the
//           variables could not be dumped
//   2       a bad command line (the program entry's own refusal)
//   3       the run ended, but errors were reported on the way
//   128+N   ended by the signal N (130 for SIGINT, 143 for SIGTERM)
constexpr int kExitFatalReport = 1;
constexpr int kExitErrorsReported = 3;
int exitStatus(int shellStatus, const ErrorState& errors);

int engineInit();
void engineShutdown();
void mainLoop();
bool frameStep();
void requestQuit();
// Takes the waiting platform events and the close request of requestQuit.
void pumpMessages();
// Hands every waiting platform event, then a second start's raise request,
// to `take`.
void pollHostEvents(const std::function<void(const platform::Event&)>& take);
// The pump of a paused game: the scripted input goes on and the events are
// taken, on whichever thread runs the frame.
void pumpWhilePaused();

// The operating-system code of a Windows build number (255 when unknown).
uint8_t osCodeFromBuild(int build);

// The appended header found past the executable's built size.
struct AppendedHeader {
    bool found = false;
    uint32_t base = 0;
    bool screenSaver = false;
};
AppendedHeader readAppendedHeader(const std::string& exePath, uint32_t builtSize);
// The appended-mode rule of the start-up check.
bool isAppendedMode(uint32_t builtSize, int64_t fileSize, bool magicFound);

}  // namespace vr
