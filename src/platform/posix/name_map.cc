// Engine names to host paths.  Games were written for a file system that
// ignores case and stores names in Shift_JIS; on the host the same folder
// may hold the names in any case, spelled in UTF-8 (copied by a tool that
// converted them) or as the raw bytes (copied by one that did not).
//
// Each folder's listing is cached and kept while the folder's modification
// time stays the same.  File systems stamp times coarsely (a few ms, two
// seconds on FAT), so a listing read within that window of the folder's last
// change is not trusted and is read again next time.
#include <dirent.h>
#include <sys/stat.h>
#include <time.h>

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "common/sjis.h"
#include "platform/platform.h"
#include "platform/posix/name_map.h"

namespace vr::platform::posix {
namespace {

constexpr int64_t kRacyWindowNs = 2'000'000'000;
constexpr size_t kMaxCachedFolders = 512;

std::string lowerPlainAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return out;
}

struct Listing {
    timespec mtime{};
    bool trusted = false;
    std::unordered_set<std::string> names;
    // Case-folded keys to the entry they stand for (the smallest entry when
    // several differ only in case, so the choice does not depend on the
    // order of the listing).  UTF-8 keys fold ASCII bytes; Shift_JIS keys
    // fold ASCII characters only, never trail bytes.
    std::unordered_map<std::string, std::string> byUtf8Fold;
    std::unordered_map<std::string, std::string> bySjisFold;
};

struct FolderKey {
    dev_t dev;
    ino_t ino;
    bool operator<(const FolderKey& o) const { return dev != o.dev ? dev < o.dev : ino < o.ino; }
};

// Process-wide because every thread opens files through it; guarded by its
// own mutex, and only ever a cache of what the file system says.
struct ListingCache {
    std::mutex mutex;
    std::map<FolderKey, std::shared_ptr<const Listing>> folders;
};

ListingCache& cache() {
    static ListingCache c;
    return c;
}

int64_t nanos(const timespec& t) { return int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec; }

void addFolded(std::unordered_map<std::string, std::string>& map, std::string key, const std::string& name) {
    auto [it, inserted] = map.emplace(std::move(key), name);
    if (!inserted && name < it->second) it->second = name;
}

std::shared_ptr<const Listing> readListing(const std::string& dir, const struct stat& st) {
    DIR* d = opendir(dir.c_str());
    if (!d) return nullptr;
    auto listing = std::make_shared<Listing>();
    listing->mtime = st.st_mtim;
    while (dirent* e = readdir(d)) {
        std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        addFolded(listing->byUtf8Fold, lowerPlainAscii(name), name);
        addFolded(listing->bySjisFold, sjis::lowerAscii(name), name);
        listing->names.insert(std::move(name));
    }
    closedir(d);
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    listing->trusted = nanos(now) - nanos(st.st_mtim) > kRacyWindowNs;
    return listing;
}

std::shared_ptr<const Listing> listingOf(const std::string& dir) {
    struct stat st{};
    if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return nullptr;
    FolderKey key{st.st_dev, st.st_ino};
    ListingCache& c = cache();
    {
        std::lock_guard<std::mutex> hold(c.mutex);
        auto it = c.folders.find(key);
        if (it != c.folders.end() && it->second->trusted && nanos(it->second->mtime) == nanos(st.st_mtim))
            return it->second;
    }
    auto listing = readListing(dir, st);
    if (!listing) return nullptr;
    std::lock_guard<std::mutex> hold(c.mutex);
    if (c.folders.size() >= kMaxCachedFolders) c.folders.clear();
    c.folders[key] = listing;
    return listing;
}

std::string joinPath(const std::string& base, std::string_view component) {
    if (base.empty()) return std::string(component);
    if (base.back() == '/') return base + std::string(component);
    return base + "/" + std::string(component);
}

// The entry of `dir` that `component` names, if any.
std::optional<std::string> findEntry(const std::string& dir, std::string_view component) {
    std::string utf8;
    bool hasUtf8 = sjisToUtf8Exact(component, utf8);
    std::string raw(component);
    bool rawDiffers = !hasUtf8 || utf8 != raw;

    auto listing = listingOf(dir.empty() ? std::string(".") : dir);
    if (!listing) {
        // A folder we may enter but not list: only exact spellings can be found.
        struct stat st{};
        if (hasUtf8 && stat(joinPath(dir, utf8).c_str(), &st) == 0) return utf8;
        if (rawDiffers && stat(joinPath(dir, raw).c_str(), &st) == 0) return raw;
        return std::nullopt;
    }
    if (hasUtf8 && listing->names.count(utf8)) return utf8;
    if (rawDiffers && listing->names.count(raw)) return raw;
    if (hasUtf8) {
        auto it = listing->byUtf8Fold.find(lowerPlainAscii(utf8));
        if (it != listing->byUtf8Fold.end()) return it->second;
    }
    if (rawDiffers) {
        auto it = listing->bySjisFold.find(sjis::lowerAscii(raw));
        if (it != listing->bySjisFold.end()) return it->second;
    }
    return std::nullopt;
}

// Splits on '\\' and '/', but never inside a double-byte character: the
// second byte of many Shift_JIS characters is 0x5C.
std::vector<std::string_view> splitName(std::string_view name) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (size_t i = 0; i < name.size();) {
        size_t n = sjis::charLength(name, i);
        if (n == 1 && (name[i] == '\\' || name[i] == '/')) {
            if (i > start) parts.push_back(name.substr(start, i - start));
            start = i + 1;
        }
        i += n;
    }
    if (start < name.size()) parts.push_back(name.substr(start));
    return parts;
}

std::string folderOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

}  // namespace

Resolved resolveName(std::string_view name) {
    Resolved r;
    struct stat st{};
    if (!name.empty() && name[0] == '/') {
        r.path.assign(name);
        r.exists = stat(r.path.c_str(), &st) == 0;
        return r;
    }
    auto parts = splitName(name);
    if (parts.empty()) return r;
    std::string path;
    for (size_t i = 0; i < parts.size(); ++i) {
        bool last = i + 1 == parts.size();
        std::string_view part = parts[i];
        if (part == "." || part == "..") {
            path = joinPath(path, part);
            if (last) r.exists = stat(path.c_str(), &st) == 0;
            continue;
        }
        if (auto entry = findEntry(path, part)) {
            path = joinPath(path, *entry);
            if (last) r.exists = true;
            continue;
        }
        if (!last) return Resolved{};
        std::string utf8;
        path = joinPath(path, sjisToUtf8Exact(part, utf8) ? std::string_view(utf8) : part);
    }
    r.path = std::move(path);
    return r;
}

void forgetFolderOf(const std::string& hostPath) {
    struct stat st{};
    if (stat(folderOf(hostPath).c_str(), &st) != 0) return;
    ListingCache& c = cache();
    std::lock_guard<std::mutex> hold(c.mutex);
    c.folders.erase(FolderKey{st.st_dev, st.st_ino});
}

}  // namespace vr::platform::posix
