// Shared memory: the blocks the compiler link exchanges its data through.
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "platform/platform.h"

namespace vr::platform {

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

void removeBlocksOfEndedProcesses(const std::string& prefix) {
    // POSIX names begin with "/"; on Linux the blocks are the files of
    // /dev/shm under the rest of the name.
    if (prefix.size() < 2 || prefix[0] != '/') return;
    const std::string stem = prefix.substr(1);
    DIR* folder = opendir("/dev/shm");
    if (!folder) return;
    while (const dirent* entry = readdir(folder)) {
        const std::string name = entry->d_name;
        if (name.size() <= stem.size() || name.compare(0, stem.size(), stem) != 0) continue;
        const std::string digits = name.substr(stem.size());
        if (digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos) continue;
        const pid_t pid = pid_t(std::stol(digits));
        if (pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH) shm_unlink(("/" + name).c_str());
    }
    closedir(folder);
}

uint32_t SharedMemory::loadWord(size_t offset) const {
    if (!data_ || offset + 4 > size_ || offset % 4) return 0;
    return __atomic_load_n(reinterpret_cast<uint32_t*>(data_ + offset), __ATOMIC_ACQUIRE);
}

void SharedMemory::storeWord(size_t offset, uint32_t value) {
    if (!data_ || offset + 4 > size_ || offset % 4) return;
    __atomic_store_n(reinterpret_cast<uint32_t*>(data_ + offset), value, __ATOMIC_RELEASE);
}

}  // namespace vr::platform
