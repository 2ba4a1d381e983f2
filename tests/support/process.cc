#include "support/process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace vr::test {

namespace {

std::vector<std::string> withModeUnderTest(std::vector<std::string> argv) {
    if (frameThreadTested() && argv.size() >= 2 && argv[0] == vrc() && argv[1] == "build") {
        argv.push_back("--config");
        argv.push_back("framethread=1");
    }
    return argv;
}

int spawn(const std::vector<std::string>& given, const std::string& outputFile, const std::string& folder) {
    // Made before the fork: the child only execs.
    std::vector<std::string> argv = withModeUnderTest(given);
    pid_t pid = fork();
    if (pid != 0) return pid;
    int fd = open(outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd >= 0) {
        dup2(fd, 1);
        dup2(fd, 2);
        close(fd);
    }
    if (!folder.empty() && chdir(folder.c_str()) != 0) _exit(126);
    // Instance guards are per test program: tests running side by side on
    // the same game folder must not find each other's guards.
    std::string runtime = std::string(VIRELO_BINARY_DIR) + "/test-runtime";
    mkdir(runtime.c_str(), 0700);
    runtime += "/" + std::to_string(getppid());
    mkdir(runtime.c_str(), 0700);
    setenv("VIRELO_RUNTIME_DIR", runtime.c_str(), 1);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
}

int exitCodeOf(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : -1; }

std::string readAll(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string tempOutputFile() {
    char name[] = "/tmp/virelo-out-XXXXXX";
    int fd = mkstemp(name);
    if (fd >= 0) close(fd);
    return name;
}

}  // namespace

ProcessResult runProcess(const std::vector<std::string>& argv, const std::string& folder) {
    std::string out = tempOutputFile();
    ProcessResult r;
    int pid = spawn(argv, out, folder);
    int status = 0;
    bool killed = false;
    // A hung run fails its test instead of stalling the whole suite.
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(kProcessTimeoutSeconds);
    while (pid > 0) {
        int got = waitpid(pid, &status, WNOHANG);
        if (got == pid) {
            r.exitCode = killed ? -1 : exitCodeOf(status);
            break;
        }
        if (got < 0) break;
        if (!killed && std::chrono::steady_clock::now() > until) {
            kill(pid, SIGKILL);
            killed = true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    r.output = readAll(out);
    if (killed) r.output += "\n[killed after " + std::to_string(kProcessTimeoutSeconds) + " s]\n";
    // Children inherit TSAN_OPTIONS; a report must not pass for a run that
    // merely printed something.
    if (r.output.find("WARNING: ThreadSanitizer") != std::string::npos)
        ADD_FAILURE() << argv[0] << " reported a data race:\n" << r.output;
    unlink(out.c_str());
    return r;
}

BackgroundProcess::BackgroundProcess(const std::vector<std::string>& argv, const std::string& outputFile)
    : outputFile_(outputFile) {
    pid_ = spawn(argv, outputFile, "");
}

BackgroundProcess::~BackgroundProcess() { stop(); }

std::string BackgroundProcess::output() const { return readAll(outputFile_); }

bool BackgroundProcess::waitForOutput(const std::string& text, int milliseconds) {
    for (int waited = 0; waited < milliseconds; waited += 10) {
        if (output().find(text) != std::string::npos) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return output().find(text) != std::string::npos;
}

int BackgroundProcess::stop(int signal, int graceMilliseconds) {
    if (pid_ <= 0) return -1;
    if (signal != 0) kill(pid_, signal);
    // A program that ignores the signal must fail the test, not hang it.
    int status = 0, code = -1;
    for (int waited = 0;; waited += 5) {
        pid_t done = waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            code = exitCodeOf(status);
            break;
        }
        if (done < 0) break;
        if (waited >= graceMilliseconds) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    pid_ = -1;
    std::string out = output();
    if (out.find("WARNING: ThreadSanitizer") != std::string::npos) ADD_FAILURE() << "a data race was reported:\n" << out;
    return code;
}

bool frameThreadTested() {
    const char* v = std::getenv("VIRELO_TEST_FRAME_THREAD");
    return v && std::string(v) == "1";
}

std::string demoGameFolder() {
    return std::string(VIRELO_BINARY_DIR) + (frameThreadTested() ? "/games/demo-framethread" : "/games/demo");
}
std::string virelo() { return VIRELO_EXE; }
std::string vrpack() { return VRPACK_EXE; }
std::string vrc() { return VRC_EXE; }

}  // namespace vr::test
