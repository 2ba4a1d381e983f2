// Files over POSIX descriptors, and the file functions built on the name map.
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/name_map.h"

namespace vr::platform {

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

bool File::open(std::string_view name, OpenMode mode) {
    close();
    posix::Resolved r = posix::resolveName(name);
    if (r.path.empty()) return false;
    if (!r.exists && (mode == OpenMode::Read || mode == OpenMode::ReadWrite)) return false;
    return openHost(r.path, mode);
}

bool File::openHost(const std::string& hostPath, OpenMode mode) {
    close();
    int flags = O_CLOEXEC;
    switch (mode) {
        case OpenMode::Read: flags |= O_RDONLY; break;
        case OpenMode::Write: flags |= O_WRONLY | O_CREAT | O_TRUNC; break;
        case OpenMode::Append: flags |= O_WRONLY | O_CREAT | O_APPEND; break;
        case OpenMode::ReadWrite: flags |= O_RDWR; break;
    }
    int fd;
    do {
        fd = ::open(hostPath.c_str(), flags, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return false;
    // A folder opens for reading but is no file to the engine.
    struct stat st{};
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    if (flags & O_CREAT) posix::forgetFolderOf(hostPath);
    return true;
}

void File::close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

int64_t File::read(void* out, size_t n) {
    if (fd_ < 0) return -1;
    auto* p = static_cast<uint8_t*>(out);
    size_t done = 0;
    while (done < n) {
        size_t chunk = n - done;
        if (chunk > size_t(1) << 30) chunk = size_t(1) << 30;
        ssize_t r = ::read(fd_, p + done, chunk);
        if (r < 0) {
            if (errno == EINTR) continue;
            return done > 0 ? int64_t(done) : -1;
        }
        if (r == 0) break;
        done += size_t(r);
    }
    return int64_t(done);
}

bool File::write(const void* data, size_t n) {
    if (fd_ < 0) return false;
    auto* p = static_cast<const uint8_t*>(data);
    size_t done = 0;
    while (done < n) {
        size_t chunk = n - done;
        if (chunk > size_t(1) << 30) chunk = size_t(1) << 30;
        ssize_t r = ::write(fd_, p + done, chunk);
        if (r < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += size_t(r);
    }
    return true;
}

int File::finish() {
    if (fd_ < 0) return EBADF;
    int error = fsync(fd_) == 0 ? 0 : errno;
    if (::close(fd_) != 0 && error == 0) error = errno;
    fd_ = -1;
    return error;
}

bool File::seek(uint64_t offset) {
    if (fd_ < 0 || offset > uint64_t(std::numeric_limits<off_t>::max())) return false;
    return lseek(fd_, off_t(offset), SEEK_SET) == off_t(offset);
}

int64_t File::size() const {
    struct stat st{};
    if (fd_ < 0 || fstat(fd_, &st) != 0) return -1;
    return int64_t(st.st_size);
}

std::string hostPath(std::string_view name) { return posix::resolveName(name).path; }

// Any entry counts, folders included, as a Windows attribute query would.
bool fileExists(std::string_view name) { return posix::resolveName(name).exists; }

bool removeFile(std::string_view name) {
    posix::Resolved r = posix::resolveName(name);
    if (!r.exists) return false;
    if (unlink(r.path.c_str()) != 0) return false;
    posix::forgetFolderOf(r.path);
    return true;
}

namespace {

int syncFolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errno;
    int result = fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    // Some file systems cannot flush a folder; the rename is then as safe as
    // they make it.
    return result == EINVAL ? 0 : result;
}

}  // namespace

int replaceFile(std::string_view name, const void* bytes, size_t size) {
    posix::Resolved r = posix::resolveName(name);
    if (r.path.empty()) return ENOENT;
    std::string beside = r.path + ".new";
    File out;
    if (!out.openHost(beside, OpenMode::Write)) return errno;
    int error = out.write(bytes, size) ? 0 : errno;
    if (error == 0) error = out.finish();
    if (error == 0 && rename(beside.c_str(), r.path.c_str()) != 0) error = errno;
    if (error != 0) {
        unlink(beside.c_str());
        posix::forgetFolderOf(r.path);
        return error;
    }
    posix::forgetFolderOf(r.path);
    return syncFolderOf(r.path);
}

int makeFolder(std::string_view name) {
    posix::Resolved r = posix::resolveName(name);
    if (r.path.empty()) return ENOENT;
    if (r.exists) {
        struct stat st{};
        return stat(r.path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? 0 : EEXIST;
    }
    if (mkdir(r.path.c_str(), 0777) != 0 && errno != EEXIST) return errno;
    posix::forgetFolderOf(r.path);
    return 0;
}

bool canWriteHostFile(const std::string& hostPath) {
    int fd = ::open(hostPath.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        ::close(fd);
        return true;
    }
    if (errno != ENOENT) return false;
    fd = ::open(hostPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    ::close(fd);
    unlink(hostPath.c_str());
    return true;
}

bool readHostFile(const std::string& hostPath, std::vector<uint8_t>& out) {
    out.clear();
    File f;
    if (!f.openHost(hostPath, OpenMode::Read)) return false;
    int64_t size = f.size();
    if (size < 0) return false;
    // The size is a hint: files that grow or shrink meanwhile (or report 0,
    // like those under /proc) are read to their real end.
    std::vector<uint8_t> data;
    data.resize(size_t(size) + 1);
    size_t used = 0;
    for (;;) {
        int64_t r = f.read(data.data() + used, data.size() - used);
        if (r < 0) return false;
        used += size_t(r);
        if (used == data.size()) {
            data.resize(data.size() * 2);
            continue;
        }
        // A short read is the end or an error; only a read of nothing tells
        // which, and a file cut short must not pass for a whole one.
        uint8_t probe;
        int64_t more = f.read(&probe, 1);
        if (more < 0) return false;
        if (more == 0) break;
        data[used++] = probe;
    }
    data.resize(used);
    out = std::move(data);
    return true;
}

bool listFolder(std::string_view name, std::vector<FolderEntry>& entries) {
    entries.clear();
    std::string path = name.empty() ? std::string(".") : posix::resolveName(name).path;
    if (path.empty()) return false;
    DIR* d = opendir(path.c_str());
    if (!d) return false;
    while (dirent* e = readdir(d)) {
        std::string host = e->d_name;
        if (host == "." || host == "..") continue;
        struct stat st{};
        bool folder = stat((path + "/" + host).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        std::string sjis = utf8ToSjis(host);
        // A name iconv cannot take back is kept as the host spells it, so
        // that opening it again finds the same entry.
        std::string back;
        bool exact = sjisToUtf8Exact(sjis, back) && back == host;
        entries.push_back({exact ? std::move(sjis) : std::move(host), folder});
    }
    closedir(d);
    std::sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    return true;
}

bool setCurrentDirectory(const std::string& hostPath) { return chdir(hostPath.c_str()) == 0; }

std::string currentDirectory() {
    std::string buffer(256, '\0');
    for (;;) {
        if (getcwd(buffer.data(), buffer.size())) {
            buffer.resize(buffer.find('\0'));
            return buffer;
        }
        if (errno != ERANGE || buffer.size() > (size_t(1) << 20)) return std::string();
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace vr::platform

namespace vr::platform {

bool copyFile(std::string_view from, std::string_view to) {
    posix::Resolved source = posix::resolveName(from);
    posix::Resolved target = posix::resolveName(to);
    if (!source.exists || target.path.empty()) return false;
    struct stat st{};
    if (stat(source.path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    std::vector<uint8_t> bytes;
    if (!readHostFile(source.path, bytes)) return false;
    // Through replaceFile, so a copy cut short never leaves half a file where
    // a whole one stood.
    return replaceFile(to, bytes.data(), bytes.size()) == 0;
}

bool removeFolder(std::string_view name) {
    posix::Resolved r = posix::resolveName(name);
    if (!r.exists || rmdir(r.path.c_str()) != 0) return false;
    posix::forgetFolderOf(r.path);
    return true;
}

bool folderExists(std::string_view name) {
    posix::Resolved r = posix::resolveName(name);
    struct stat st{};
    return r.exists && stat(r.path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int64_t fileSizeOnDisk(std::string_view name) {
    posix::Resolved r = posix::resolveName(name);
    struct stat st{};
    if (!r.exists || stat(r.path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
    return int64_t(st.st_size);
}

}  // namespace vr::platform
