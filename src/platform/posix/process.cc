// The process: its executable, the user's folders, child programs, signals.
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "common/text_lines.h"
#include "platform/platform.h"

extern char** environ;

// Patched after linking with the size of the executable file (tools/buildsize).
// Volatile so that the compiler reads the patched value instead of folding
// the 0 written here.
extern "C" __attribute__((section(".vr_built_size"), used)) volatile const uint32_t vrBuiltSize = 0;

namespace vr::platform {
namespace {

// The only state a signal handler may touch: the first quit signal.
// Atomic rather than volatile: threads other than the one the signal
// interrupted read it (a dialog's waiting thread, a frame thread).
std::atomic<int> gQuitSignal{0};
static_assert(std::atomic<int>::is_always_lock_free, "a signal handler may only touch lock-free atomics");

// The first signal asks for an orderly shutdown.  A second Ctrl+C is the
// user's word that the orderly one takes too long: the process ends at once.
void onQuitSignal(int signal) {
    if (signal == SIGINT && gQuitSignal.load() != 0) _exit(128 + SIGINT);
    int none = 0;
    gQuitSignal.compare_exchange_strong(none, signal);
}

std::string homeFolder() {
    std::string home = environmentValue("HOME");
    if (!home.empty()) return home;
    std::vector<char> buffer(16384);
    passwd pw{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &pw, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir)
        return found->pw_dir;
    return "/tmp";
}

std::string withSlash(std::string path) {
    if (path.empty() || path.back() != '/') path.push_back('/');
    return path;
}

// XDG_DOCUMENTS_DIR from user-dirs.dirs: a shell assignment whose value is
// "$HOME/..." or an absolute path.
std::string documentsFromUserDirs(const std::string& home) {
    std::string config = environmentValue("XDG_CONFIG_HOME");
    if (config.empty() || config[0] != '/') config = home + "/.config";
    std::vector<uint8_t> data;
    if (!readHostFile(config + "/user-dirs.dirs", data)) return std::string();
    std::string_view text(reinterpret_cast<const char*>(data.data()), data.size());
    std::string found;
    forEachLine(text, [&](std::string_view line) {
        size_t start = line.find_first_not_of(" \t");
        if (start == std::string_view::npos) return true;
        line.remove_prefix(start);
        constexpr std::string_view kKey = "XDG_DOCUMENTS_DIR=";
        if (!line.starts_with(kKey)) return true;
        std::string value(line.substr(kKey.size()));
        while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.pop_back();
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
        if (value.compare(0, 5, "$HOME") == 0) value = home + value.substr(5);
        if (value.empty() || value[0] != '/') return true;
        found = value;
        return false;
    });
    return found;
}

// Picks the GNU or the XSI strerror_r, whichever the C library declares.
[[maybe_unused]] std::string strerrorResult(const char* r, const char*) { return r ? r : ""; }
[[maybe_unused]] std::string strerrorResult(int r, const char* buffer) { return r == 0 ? buffer : ""; }

}  // namespace

std::string environmentValue(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

std::string executablePath() {
    std::string buffer(256, '\0');
    for (;;) {
        ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0) return std::string();
        if (size_t(n) < buffer.size()) {
            buffer.resize(size_t(n));
            return buffer;
        }
        if (buffer.size() > (size_t(1) << 16)) return std::string();
        buffer.resize(buffer.size() * 2);
    }
}

uint32_t builtSize() { return vrBuiltSize; }

int processorCount() {
    unsigned n = std::thread::hardware_concurrency();
    return n > 0 ? int(n) : 1;
}

std::string appDataFolder() {
    std::string data = environmentValue("XDG_DATA_HOME");
    if (data.empty() || data[0] != '/') data = homeFolder() + "/.local/share";
    return withSlash(data);
}

std::string documentsFolder() {
    std::string home = homeFolder();
    std::string docs = documentsFromUserDirs(home);
    if (docs.empty()) docs = home + "/Documents";
    return withSlash(docs);
}

namespace {

// Starts a child with default signal handling in its own process group, so
// a Ctrl+C meant for the engine does not end the child too.  `outputFd`
// (when not -1) becomes the child's standard output; the `environment`
// variables ("NAME=value") replace inherited ones of the same name.  0 on
// failure.
pid_t startChild(const std::string& program, const std::vector<std::string>& args, const std::string& folder,
                 int outputFd, const std::vector<std::string>& environment = {}) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (char** e = environ; e && *e; ++e) {
        bool replaced = false;
        for (const auto& v : environment) {
            size_t eq = v.find('=');
            if (eq != std::string::npos && std::strncmp(*e, v.c_str(), eq + 1) == 0) replaced = true;
        }
        if (!replaced) envp.push_back(*e);
    }
    for (const auto& v : environment) envp.push_back(const_cast<char*>(v.c_str()));
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    if (outputFd >= 0) {
        posix_spawn_file_actions_adddup2(&actions, outputFd, STDOUT_FILENO);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    }
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (int s : {SIGINT, SIGTERM, SIGPIPE, SIGCHLD, SIGHUP, SIGXFSZ}) sigaddset(&defaults, s);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setpgroup(&attr, 0);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);

    pid_t pid = 0;
    int rc = program.find('/') == std::string::npos
                 ? posix_spawnp(&pid, program.c_str(), &actions, &attr, argv.data(), envp.data())
                 : posix_spawn(&pid, program.c_str(), &actions, &attr, argv.data(), envp.data());
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : 0;
}

// Waits for a child: its exit status, or -1 when a signal ended it or the
// time (0: none) ran out, the child then killed and reaped.
int waitChild(pid_t pid, uint32_t timeoutMilliseconds) {
    int status = 0;
    if (timeoutMilliseconds == 0) {
        while (waitpid(pid, &status, 0) < 0) {
            if (errno != EINTR) return -1;
        }
    } else {
        uint32_t waited = 0;
        for (;;) {
            pid_t r = waitpid(pid, &status, WNOHANG);
            if (r == pid) break;
            if (r < 0 && errno != EINTR) return -1;
            if (waited >= timeoutMilliseconds) {
                ::kill(pid, SIGKILL);
                while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
                }
                return -1;
            }
            usleep(10000);
            waited += 10;
        }
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

bool spawnProcess(const std::string& program, const std::vector<std::string>& args, const std::string& folder) {
    pid_t pid = startChild(program, args, folder, -1);
    if (pid == 0) return false;
    // Reap the child when it ends, so it never lingers as a zombie; waiting
    // for this one pid leaves SIGCHLD and other children alone.
    try {
        std::thread([pid] {
            int status = 0;
            while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
        }).detach();
    } catch (...) {
        // No thread to spare: the child still runs, and is reaped at our exit.
    }
    return true;
}

int runProcess(const std::string& program, const std::vector<std::string>& args, const std::string& folder,
               uint32_t timeoutMilliseconds) {
    pid_t pid = startChild(program, args, folder, -1);
    return pid == 0 ? -1 : waitChild(pid, timeoutMilliseconds);
}

bool runProcessOutput(const std::string& program, const std::vector<std::string>& args, std::string& output,
                      uint32_t timeoutMilliseconds) {
    output.clear();
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return false;
    pid_t pid = startChild(program, args, std::string(), fds[1]);
    ::close(fds[1]);
    if (pid == 0) {
        ::close(fds[0]);
        return false;
    }
    // The answers read here are a line or two; a child that writes more
    // than we keep is read to its end so it never blocks on a full pipe.
    constexpr size_t kKept = 64 * 1024;
    fcntl(fds[0], F_SETFL, O_NONBLOCK);
    uint32_t waited = 0;
    bool open = true;
    while (open && waited < timeoutMilliseconds) {
        char buffer[4096];
        ssize_t n = ::read(fds[0], buffer, sizeof buffer);
        if (n > 0) {
            if (output.size() < kKept) output.append(buffer, std::min(size_t(n), kKept - output.size()));
            continue;
        }
        if (n == 0) {
            open = false;
            break;
        }
        if (errno != EAGAIN && errno != EINTR) break;
        usleep(5000);
        waited += 5;
    }
    ::close(fds[0]);
    uint32_t left = waited < timeoutMilliseconds ? timeoutMilliseconds - waited : 1;
    return waitChild(pid, left) == 0 && !open;
}

std::string errnoText(int error) {
    char buffer[256] = {};
    return strerrorResult(strerror_r(error, buffer, sizeof buffer), buffer);
}

void installQuitSignals() {
    struct sigaction sa{};
    sa.sa_handler = onQuitSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    // A file-size limit makes a write fail (EFBIG), which the writer reports
    // and recovers from, instead of killing the game in the middle of a save.
    signal(SIGXFSZ, SIG_IGN);
}

bool quitSignalled() { return gQuitSignal.load(std::memory_order_relaxed) != 0; }

int quitSignal() { return gQuitSignal.load(); }

void writeStandardError(std::string_view text) {
    // One write where the system takes it whole, so that the blocks of two
    // threads (or two processes sharing a terminal) do not interleave.
    while (!text.empty()) {
        ssize_t n = ::write(STDERR_FILENO, text.data(), text.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        text.remove_prefix(size_t(n));
    }
}

std::vector<int> childProcesses() {
    std::vector<int> children;
    const pid_t self = getpid();
    DIR* proc = opendir("/proc");
    if (!proc) return children;
    while (dirent* entry = readdir(proc)) {
        char* end = nullptr;
        long pid = std::strtol(entry->d_name, &end, 10);
        if (pid <= 0 || *end) continue;
        char path[64];
        std::snprintf(path, sizeof path, "/proc/%ld/stat", pid);
        int fd = ::open(path, O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;
        char stat[512];
        ssize_t n = ::read(fd, stat, sizeof stat - 1);
        ::close(fd);
        if (n <= 0) continue;
        stat[n] = 0;
        // "pid (name) state ppid ...": the name may hold blanks and ')'.
        const char* close = std::strrchr(stat, ')');
        char state = 0;
        long parent = 0;
        if (close && std::sscanf(close + 1, " %c %ld", &state, &parent) == 2 && parent == self)
            children.push_back(int(pid));
    }
    closedir(proc);
    return children;
}

void killProcess(int pid) {
    if (pid > 0) ::kill(pid, SIGKILL);
}

uint64_t hostMillis() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return uint64_t(now.tv_sec) * 1000u + uint64_t(now.tv_nsec) / 1000000u;
}

void hostSleep(uint32_t milliseconds) {
    timespec want{time_t(milliseconds / 1000), long(milliseconds % 1000) * 1000000L};
    while (nanosleep(&want, &want) < 0 && errno == EINTR) {
    }
}

LocalTime hostLocalTime() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm parts{};
    localtime_r(&now.tv_sec, &parts);
    LocalTime t;
    t.year = parts.tm_year + 1900;
    t.month = parts.tm_mon + 1;
    t.day = parts.tm_mday;
    t.hour = parts.tm_hour;
    t.minute = parts.tm_min;
    t.second = parts.tm_sec;
    t.millisecond = int(now.tv_nsec / 1'000'000);
    t.weekday = parts.tm_wday;
    return t;
}

int processId() { return int(getpid()); }
uint32_t userId() { return uint32_t(getuid()); }

ChildProcess::~ChildProcess() {
    if (pid_ > 0 && !ended()) {
        kill();
        int status = 0;
        while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
    }
}

bool ChildProcess::start(const std::string& program, const std::vector<std::string>& args,
                         const std::vector<std::string>& environment) {
    if (pid_ > 0) return false;
    pid_t pid = startChild(program, args, std::string(), -1, environment);
    if (pid == 0) return false;
    pid_ = int(pid);
    ended_ = false;
    status_ = -1;
    return true;
}

bool ChildProcess::ended() {
    if (ended_ || pid_ <= 0) return true;
    int status = 0;
    pid_t r = waitpid(pid_, &status, WNOHANG);
    if (r == 0) return false;
    if (r < 0 && errno == EINTR) return false;
    ended_ = true;
    status_ = r > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return true;
}

void ChildProcess::kill() {
    if (pid_ > 0 && !ended_) killProcess(pid_);
}

}  // namespace vr::platform
