// Starting the real executables from tests.
#pragma once

#include <string>
#include <vector>

namespace vr::test {

struct ProcessResult {
    int exitCode = -1;  // -1 when it did not exit normally
    std::string output;  // standard output and error
};

// How long runProcess lets a program run before it kills it (exit code -1).
constexpr int kProcessTimeoutSeconds = 120;

// Runs a program to its end, or until the timeout.
ProcessResult runProcess(const std::vector<std::string>& argv, const std::string& folder = "");

// A program running in the background, its output collected in a file.
class BackgroundProcess {
public:
    BackgroundProcess(const std::vector<std::string>& argv, const std::string& outputFile);
    ~BackgroundProcess();
    // Waits (up to the time given) until its output holds the text.
    bool waitForOutput(const std::string& text, int milliseconds);
    std::string output() const;
    // Asks it to end (SIGTERM) and waits; the exit code, or -1.
    int stop();

private:
    int pid_ = -1;
    std::string outputFile_;
};

// The demo game as the build made it, and the executables.
std::string demoGameFolder();
std::string virelo();
std::string vrpack();
std::string vrc();

}  // namespace vr::test
