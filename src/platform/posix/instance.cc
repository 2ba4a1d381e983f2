// The instance guards: lock files and the raise socket in the runtime folder.
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace vr::platform {
namespace {

constexpr size_t kMaxPending = 16;
constexpr size_t kMaxRequestBytes = 64;
constexpr std::string_view kRaiseLine = "raise\n";

uint64_t fnv1a(std::string_view s) {
    uint64_t h = 0xcbf29ce484222325ull;
    for (char c : s) {
        h ^= uint8_t(c);
        h *= 0x100000001b3ull;
    }
    return h;
}

std::string hex64(uint64_t v) {
    static const char kDigits[] = "0123456789abcdef";
    std::string out(16, '0');
    for (int i = 15; i >= 0; --i, v >>= 4) out[size_t(i)] = kDigits[v & 15];
    return out;
}

// Names carry '/', ':' and Shift_JIS bytes.  Safe bytes stay, the rest is
// written %XX; long names keep a readable head and a hash.  "%-" never comes
// out of the escaping, so hashed and escaped names cannot meet.
std::string safeName(std::string_view name) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (char ch : name) {
        auto c = uint8_t(ch);
        bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                    c == '_' || c == '.';
        if (safe) {
            out.push_back(char(c));
        } else {
            out.push_back('%');
            out.push_back(kDigits[c >> 4]);
            out.push_back(kDigits[c & 15]);
        }
    }
    if (out.empty()) return "%";
    if (out.size() > 64) out = out.substr(0, 40) + "%-" + hex64(fnv1a(name));
    return out;
}

std::string socketPath(std::string_view name, const std::string& folder) {
    if (folder.empty()) return std::string();
    constexpr size_t kMax = sizeof(sockaddr_un::sun_path) - 1;
    std::string path = folder + "/" + safeName(name) + ".sock";
    if (path.size() > kMax) path = folder + "/%-" + hex64(fnv1a(name)) + ".sock";
    if (path.size() > kMax) return std::string();
    return path;
}

bool fillAddress(const std::string& path, sockaddr_un& addr) {
    addr = sockaddr_un{};
    addr.sun_family = AF_UNIX;
    if (path.size() >= sizeof addr.sun_path) return false;
    path.copy(addr.sun_path, path.size());
    return true;
}

bool makeFolder(const std::string& path) {
    if (mkdir(path.c_str(), 0700) == 0) return true;
    if (errno != EEXIST) return false;
    struct stat st{};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool makeFolders(const std::string& path) {
    for (size_t i = 1; i < path.size(); ++i)
        if (path[i] == '/' && !makeFolder(path.substr(0, i))) return false;
    return makeFolder(path);
}

}  // namespace

std::string runtimeFolder() {
    std::string dir = environmentValue("VIRELO_RUNTIME_DIR");
    if (!dir.empty()) {
        while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
        return makeFolders(dir) ? dir : std::string();
    }
    std::string xdg = environmentValue("XDG_RUNTIME_DIR");
    if (!xdg.empty() && xdg[0] == '/') {
        dir = xdg + "/virelo";
        return makeFolder(dir) ? dir : std::string();
    }
    // /tmp is shared with every user: the folder must be ours and no link
    // someone planted there.
    dir = "/tmp/virelo-" + std::to_string(getuid());
    if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return std::string();
    struct stat st{};
    if (lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid()) return std::string();
    return dir;
}

PrivateFolder::PrivateFolder() {
    std::string base = environmentValue("TMPDIR");
    if (base.empty() || base[0] != '/') base = "/tmp";
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    std::string pattern = base + "/virelo-run-" + std::to_string(getpid()) + "-XXXXXX";
    if (mkdtemp(pattern.data())) path_ = pattern;
}

PrivateFolder::~PrivateFolder() {
    if (path_.empty()) return;
    // Only lock files and sockets of this process are in it.
    if (DIR* d = opendir(path_.c_str())) {
        while (dirent* e = readdir(d)) {
            std::string_view n = e->d_name;
            if (n != "." && n != "..") unlink((path_ + "/" + e->d_name).c_str());
        }
        closedir(d);
    }
    rmdir(path_.c_str());
}

int NamedLock::acquire(std::string_view name, const std::string& folder) {
    release();
    if (folder.empty()) return -1;
    std::string path = folder + "/" + safeName(name) + ".lock";
    int fd;
    do {
        fd = ::open(path.c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0600);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return -1;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int e = errno;
        ::close(fd);
        return e == EWOULDBLOCK ? 0 : -1;
    }
    // The file stays when released: removing it would let a later process
    // lock a new file while an earlier one still holds the old one.
    fd_ = fd;
    return 1;
}

void NamedLock::release() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

bool InstanceChannel::listen(std::string_view name, const std::string& folder) {
    close();
    std::string path = socketPath(name, folder);
    sockaddr_un addr;
    if (path.empty() || !fillAddress(path, addr)) return false;
    // A socket left by an instance that died is stale: only the holder of
    // the instance lock listens, so nobody else is using it.  Anything that
    // is not a socket is left alone.
    struct stat st{};
    if (lstat(path.c_str(), &st) == 0) {
        if (!S_ISSOCK(st.st_mode) || unlink(path.c_str()) != 0) return false;
    }
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    if (bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 16) != 0 ||
        lstat(path.c_str(), &st) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    path_ = path;
    inode_ = uint64_t(st.st_ino);
    return true;
}

bool InstanceChannel::pollRaiseRequest() {
    if (fd_ < 0) return false;
    for (;;) {
        int c = accept4(fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (c < 0) {
            if (errno == EINTR || errno == ECONNABORTED) continue;
            break;
        }
        if (pending_.size() >= kMaxPending) {
            ::close(pending_.front().fd);
            pending_.erase(pending_.begin());
        }
        pending_.push_back(Pending{c, std::string()});
    }
    bool raised = false;
    for (size_t i = 0; i < pending_.size();) {
        Pending& p = pending_[i];
        bool done = false;
        for (;;) {
            char buffer[kMaxRequestBytes];
            ssize_t n = recv(p.fd, buffer, sizeof buffer, 0);
            if (n > 0) {
                p.received.append(buffer, size_t(n));
                if (p.received.compare(0, kRaiseLine.size(), kRaiseLine) == 0) {
                    raised = true;
                    done = true;
                } else if (p.received.size() >= kRaiseLine.size() ||
                           kRaiseLine.compare(0, p.received.size(), p.received) != 0) {
                    done = true;  // not our request
                }
                if (done) break;
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
            done = true;  // end of the connection, or an error
            break;
        }
        if (done) {
            ::close(p.fd);
            pending_.erase(pending_.begin() + ptrdiff_t(i));
        } else {
            ++i;
        }
    }
    return raised;
}

void InstanceChannel::close() {
    for (auto& p : pending_) ::close(p.fd);
    pending_.clear();
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!path_.empty()) {
        struct stat st{};
        if (lstat(path_.c_str(), &st) == 0 && S_ISSOCK(st.st_mode) && uint64_t(st.st_ino) == inode_)
            unlink(path_.c_str());
        path_.clear();
    }
}

bool InstanceChannel::sendRaiseRequest(std::string_view name, const std::string& folder) {
    std::string path = socketPath(name, folder);
    sockaddr_un addr;
    if (path.empty() || !fillAddress(path, addr)) return false;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    bool sent = false;
    if (connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0) {
        ssize_t n;
        do {
            n = send(fd, kRaiseLine.data(), kRaiseLine.size(), MSG_NOSIGNAL);
        } while (n < 0 && errno == EINTR);
        sent = n == ssize_t(kRaiseLine.size());
    }
    ::close(fd);
    return sent;
}

}  // namespace vr::platform
