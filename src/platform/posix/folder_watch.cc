// Source folders watched for the author's saves (inotify).
#include <fcntl.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/platform.h"

namespace vr::platform {

FolderWatch::~FolderWatch() {
    if (fd_ >= 0) ::close(fd_);
}

bool FolderWatch::start(const std::string& hostFolder, const std::string& ending) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0) return false;
    ending_ = ending;
    // Editors save by writing in place or by renaming a new file over the old.
    const uint32_t events = IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE | IN_DELETE | IN_MOVED_FROM;
    if (inotify_add_watch(fd_, hostFolder.c_str(), events) < 0) return false;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(hostFolder, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        std::error_code kind;
        if (it->is_directory(kind)) inotify_add_watch(fd_, it->path().c_str(), events);
    }
    return true;
}

bool FolderWatch::changed() {
    if (fd_ < 0) return false;
    bool any = false;
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n <= 0) break;
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            std::string name = event->len ? std::string(event->name) : std::string();
            if (name.size() >= ending_.size() && name.compare(name.size() - ending_.size(), ending_.size(), ending_) == 0)
                any = true;
            at += ssize_t(sizeof(inotify_event) + event->len);
        }
    }
    return any;
}

}  // namespace vr::platform
