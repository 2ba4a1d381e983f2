// Shared memory and waited-for child processes: what the compiler link
// needs from the host.
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/platform.h"

extern char** environ;

namespace vr::platform {

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

int processId() { return int(getpid()); }
uint32_t userId() { return uint32_t(getuid()); }

// ---------------------------------------------------------------- shared memory

bool SharedMemory::create(const std::string& name, size_t size) {
    close();
    if (size == 0) return false;
    // A block of a process that died under the same name holds its old
    // bytes; ours starts empty.
    shm_unlink(name.c_str());
    int fd = shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    if (ftruncate(fd, off_t(size)) != 0) {
        ::close(fd);
        shm_unlink(name.c_str());
        return false;
    }
    void* p = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    ::close(fd);
    if (p == MAP_FAILED) {
        shm_unlink(name.c_str());
        return false;
    }
    data_ = static_cast<uint8_t*>(p);
    size_ = size;
    owned_ = name;
    return true;
}

bool SharedMemory::open(const std::string& name) {
    close();
    int fd = shm_open(name.c_str(), O_RDWR | O_CLOEXEC, 0);
    if (fd < 0) return false;
    struct stat st{};
    if (fstat(fd, &st) != 0 || st.st_size <= 0) {
        ::close(fd);
        return false;
    }
    void* p = mmap(nullptr, size_t(st.st_size), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    ::close(fd);
    if (p == MAP_FAILED) return false;
    data_ = static_cast<uint8_t*>(p);
    size_ = size_t(st.st_size);
    return true;
}

void SharedMemory::close() {
    if (data_) munmap(data_, size_);
    if (!owned_.empty()) shm_unlink(owned_.c_str());
    data_ = nullptr;
    size_ = 0;
    owned_.clear();
}

uint32_t SharedMemory::loadWord(size_t offset) const {
    if (!data_ || offset + 4 > size_ || offset % 4) return 0;
    return __atomic_load_n(reinterpret_cast<uint32_t*>(data_ + offset), __ATOMIC_ACQUIRE);
}

void SharedMemory::storeWord(size_t offset, uint32_t value) {
    if (!data_ || offset + 4 > size_ || offset % 4) return;
    __atomic_store_n(reinterpret_cast<uint32_t*>(data_ + offset), value, __ATOMIC_RELEASE);
}

// ---------------------------------------------------------------- child processes

namespace {

int spawnWith(const std::string& program, const std::vector<std::string>& args, const std::vector<std::string>& env,
              posix_spawn_file_actions_t* actions, pid_t& pid) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    // The given variables replace inherited ones of the same name.
    std::vector<char*> envp;
    for (char** e = environ; e && *e; ++e) {
        bool replaced = false;
        for (const auto& v : env) {
            size_t eq = v.find('=');
            if (eq != std::string::npos && std::strncmp(*e, v.c_str(), eq + 1) == 0) replaced = true;
        }
        if (!replaced) envp.push_back(*e);
    }
    for (const auto& v : env) envp.push_back(const_cast<char*>(v.c_str()));
    envp.push_back(nullptr);

    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (int s : {SIGINT, SIGTERM, SIGPIPE, SIGCHLD, SIGHUP}) sigaddset(&defaults, s);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    int rc = program.find('/') == std::string::npos
                 ? posix_spawnp(&pid, program.c_str(), actions, &attr, argv.data(), envp.data())
                 : posix_spawn(&pid, program.c_str(), actions, &attr, argv.data(), envp.data());
    posix_spawnattr_destroy(&attr);
    return rc;
}

}  // namespace

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
    pid_t pid = 0;
    if (spawnWith(program, args, environment, nullptr, pid) != 0) return false;
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
