// Starting the real executables from tests.
#pragma once

#include <csignal>
#include <string>
#include <vector>

namespace vr::test {

struct ProcessResult {
    int exitCode = -1;  // -1 when it did not exit normally
    std::string output;  // standard output and error
};

// How long runProcess lets a program run before it kills it (exit code -1).
constexpr int kProcessTimeoutSeconds = 120;

// Runs a program to its end, or until the timeout.  A ThreadSanitizer
// report in its output fails the test.
ProcessResult runProcess(const std::vector<std::string>& argv, const std::string& folder = "");

// A program running in the background, its output collected in a file.
class BackgroundProcess {
public:
    BackgroundProcess(const std::vector<std::string>& argv, const std::string& outputFile);
    ~BackgroundProcess();
    // Waits (up to the time given) until its output holds the text.
    bool waitForOutput(const std::string& text, int milliseconds);
    std::string output() const;
    // Sends the signal (none for 0) and waits for the end; the exit code, or
    // -1 when it did not end within the grace time (it is killed then).
    int stop(int signal = SIGTERM, int graceMilliseconds = 10000);
    // Waits for the program to end by itself: its exit code, or -1 when it
    // did not within the time (it is killed then).
    int wait(int milliseconds) { return stop(0, milliseconds); }

private:
    int pid_ = -1;
    std::string outputFile_;
};

// VIRELO_TEST_FRAME_THREAD=1 in the environment: the games the tests build
// (every "vrc build" they start) and the demo run with the frame on a
// thread of its own, so the same tests cover both main-loop modes.
bool frameThreadTested();

// The demo game as the build made it (in the mode under test), and the
// executables.
std::string demoGameFolder();
std::string virelo();
std::string vrpack();
std::string vrc();

}  // namespace vr::test
