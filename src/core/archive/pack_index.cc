#include "core/archive/pack_index.h"

#include <algorithm>

#include "common/memory.h"
#include "common/sjis.h"
#include "core/archive/pack_format.h"
#include "core/core.h"
#include "core/error_report.h"

namespace vr {

namespace {

constexpr int kMaxFolders = 1000;
constexpr int kMaxFolderDepth = 32;
constexpr int kSearchDepth = 1;  // the game folder and its "pac" folder

std::string_view fileNameOf(std::string_view path) {
    size_t cut = path.find_last_of('\\');
    return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

bool isUpdateArchive(const PackArchive& a) {
    std::string_view name = fileNameOf(a.path);
    size_t dot = name.find_last_of('.');
    std::string_view stem = name.substr(0, dot);
    return stem.size() == 7 && stem.substr(0, 6) == "update" && stem[6] >= '1' && stem[6] <= '9';
}

struct Folder {
    std::string path;
    int depth;
};

// Breadth first from the game folder; archives are added as they are found,
// update archives after all others.
bool findArchives(PackIndex& index) {
    std::vector<Folder> folders{{".", 1}};
    for (size_t f = 0; f < folders.size(); ++f) {
        Folder folder = folders[f];
        std::vector<platform::FolderEntry> entries;
        if (!platform::listFolder(folder.path, entries)) continue;
        for (const auto& entry : entries) {
            if (entry.isFolder) {
                if (entry.name != "pac" || folder.depth > kSearchDepth) continue;
                if (folders.size() >= size_t(kMaxFolders)) {
                    reportError(104110, true);
                    return false;
                }
                if (folder.depth + 1 > kMaxFolderDepth) {
                    reportError(104111, true);
                    return false;
                }
                folders.push_back({folder.path + "\\" + entry.name, folder.depth + 1});
                continue;
            }
            if (entry.name.size() <= 3 || !sjis::endsWithNoCase(entry.name, ".vpf")) continue;
            std::string path = sjis::lowerAscii(folder.path + "\\" + entry.name);
            if (int slot = pack::updateArchiveSlot(fileNameOf(path))) {
                index.updateSlots[size_t(slot - 1)] = path;
            } else if (addArchive({path, false, 0}) == -1) {
                return false;
            }
        }
    }
    for (const std::string& update : index.updateSlots)
        if (!update.empty() && addArchive({update, false, 0}) == -1) return false;
    return true;
}

// Archive files kept open while the index is built, so that names read back
// for equal hashes do not reopen the archive every time.
class OpenArchives {
public:
    explicit OpenArchives(const PackIndex& index) : index_(index), files_(index.archives.size()) {}

    bool readName(int archive, uint32_t position, std::string& name) {
        Slot& s = files_[size_t(archive)];
        if (!s.file.isOpen() && !openArchive(index_.archives[size_t(archive)], s.file, s.size)) return false;
        return readNameFrom(s.file, index_.archives[size_t(archive)].base, s.size, position, name);
    }

    static bool readNameFrom(platform::File& f, uint64_t base, uint64_t size, uint32_t position, std::string& name) {
        uint8_t raw[256];
        if (position >= size || !f.seek(base + position)) return false;
        size_t want = size_t(std::min<uint64_t>(sizeof raw, size - position));
        int64_t got = f.read(raw, want);
        return got > 0 && pack::decodeName(raw, size_t(got), name);
    }

private:
    struct Slot {
        platform::File file;
        uint64_t size = 0;
    };
    const PackIndex& index_;
    std::vector<Slot> files_;
};

bool readTable(const PackArchive& a, pack::Header& header, std::vector<uint8_t>& table, uint64_t& size) {
    platform::File f;
    uint8_t raw[pack::kHeaderSize];
    if (!openArchive(a, f, size) || !f.seek(a.base) || !f.readExact(raw, sizeof raw)) return false;
    if (pack::parseHeader(raw, sizeof raw, header) != pack::HeaderStatus::Ok) return false;
    if (header.tableSize > size - pack::kHeaderSize) return false;
    return tryResize(table, header.tableSize) && f.readExact(table.data(), table.size());
}

// The duplicate rules: the same name twice is an error, unless the later one
// comes from an update archive, which hides the earlier entry.  Entries so
// far are chained by hash (a bucket head per hash slot, a link per entry),
// and names are read back only for equal hashes.
class DuplicateCheck {
public:
    explicit DuplicateCheck(PackIndex& index) : index_(index), open_(index) {
        size_t buckets = 1024;
        while (buckets < index.hashes.size() * 2) buckets *= 2;
        heads_.assign(buckets, kNone);
        links_.assign(index.hashes.size(), kNone);
    }

    // false after an error report
    bool add(uint32_t entry, const std::string& name, bool fromUpdate) {
        uint32_t hash = index_.hashes[entry];
        for (uint32_t* link = &heads_[slot(hash)]; *link != kNone; link = &links_[*link]) {
            uint32_t earlier = *link;
            if (index_.hashes[earlier] != hash) continue;
            std::string earlierName;
            int archive = index_.archiveNumbers[earlier];
            if (!open_.readName(archive, index_.entryPositions[earlier], earlierName)) {
                reportErrorArgs(901040, false, index_.archives[size_t(archive)].path.c_str());
                return false;
            }
            if (earlierName != name) continue;
            if (!fromUpdate) {
                reportErrorArgs(104150, false, name.c_str());
                return false;
            }
            // Hidden: its hash no longer matches its name, and it moves to
            // the chain of its new hash.
            uint32_t hidden = hash == 0 ? 1 : 0;
            index_.hashes[earlier] = hidden;
            *link = links_[earlier];
            chain(earlier, hidden);
            break;
        }
        chain(entry, hash);
        return true;
    }

private:
    static constexpr uint32_t kNone = UINT32_MAX;
    size_t slot(uint32_t hash) const { return (hash * 0x9E3779B1u) & (heads_.size() - 1); }
    void chain(uint32_t entry, uint32_t hash) {
        uint32_t& head = heads_[slot(hash)];
        links_[entry] = head;
        head = entry;
    }

    PackIndex& index_;
    OpenArchives open_;
    std::vector<uint32_t> heads_, links_;
};

bool indexArchive(PackIndex& index, int number, DuplicateCheck& duplicates, size_t& next) {
    const PackArchive& a = index.archives[size_t(number)];
    pack::Header header;
    std::vector<uint8_t> table;
    std::vector<pack::Entry> entries;
    uint64_t size = 0;
    if (!readTable(a, header, table, size) ||
        !pack::parseEntryTable(table.data(), table.size(), header.entryCount, uint32_t(pack::kHeaderSize), entries) ||
        next + entries.size() > index.hashes.size()) {
        reportErrorArgs(901040, true, a.path.c_str());
        return false;
    }
    bool update = isUpdateArchive(a);
    for (const pack::Entry& e : entries) {
        index.hashes[next] = e.hash;
        index.archiveNumbers[next] = uint8_t(number);
        index.entryPositions[next] = e.position;
        if (e.name == "vrbin\\vrcfg.vbn") core().run.packedMode = true;
        if (!duplicates.add(uint32_t(next), e.name, update)) return false;
        ++next;
    }
    return true;
}

void sortByHash(PackIndex& index) {
    // Hash and position in one key, sorted by the hash with four stable
    // byte-wise counting passes: an order of magnitude faster than a
    // comparison sort at 100,000 entries.
    std::vector<uint64_t> keys(index.hashes.size()), spare(keys.size());
    for (size_t i = 0; i < keys.size(); ++i) keys[i] = uint64_t(index.hashes[i]) << 32 | i;
    for (int shift = 32; shift < 64; shift += 8) {
        std::array<size_t, 257> start{};
        for (uint64_t k : keys) ++start[((k >> shift) & 0xFF) + 1];
        for (size_t b = 1; b < start.size(); ++b) start[b] += start[b - 1];
        for (uint64_t k : keys) spare[start[(k >> shift) & 0xFF]++] = k;
        keys.swap(spare);
    }
    auto permute = [&](auto& v) {
        std::remove_reference_t<decltype(v)> sorted(v.size());
        for (size_t i = 0; i < keys.size(); ++i) sorted[i] = v[uint32_t(keys[i])];
        v = std::move(sorted);
    };
    permute(index.hashes);
    permute(index.archiveNumbers);
    permute(index.entryPositions);
}

}  // namespace

bool openArchive(const PackArchive& a, platform::File& file, uint64_t& size) {
    bool opened = a.hostPath ? file.openHost(a.path, platform::OpenMode::Read) : file.open(a.path, platform::OpenMode::Read);
    if (!opened) return false;
    int64_t total = file.size();
    if (total < 0 || uint64_t(total) < a.base) return false;
    size = uint64_t(total) - a.base;
    return true;
}

int addArchive(const PackArchive& archive) {
    PackIndex& index = core().packs;
    if (index.archives.size() >= size_t(pack::kMaxArchives)) {
        reportErrorArgs(104130, true, pack::kMaxArchives);
        return -1;
    }
    platform::File f;
    uint64_t size = 0;
    uint8_t raw[pack::kHeaderSize];
    if (!openArchive(archive, f, size) || !f.seek(archive.base)) {
        reportErrorArgs(901040, true, archive.path.c_str());
        return -2;
    }
    int64_t got = f.read(raw, sizeof raw);
    pack::Header header;
    switch (pack::parseHeader(raw, size_t(std::max<int64_t>(got, 0)), header)) {
    case pack::HeaderStatus::NotAnArchive:
        return 0;
    case pack::HeaderStatus::Short:
        // The magic with nothing after it, or not even the magic: the
        // former is a damaged archive, the latter simply not one.
        if (got >= 4) {
            reportErrorArgs(901040, true, archive.path.c_str());
            return -1;
        }
        return 0;
    case pack::HeaderStatus::Ok:
        break;
    }
    if (header.version < pack::kOldestVersion) {
        reportErrorArgs(104120, true, archive.path.c_str());
        return -1;
    }
    if (header.entryCount < 0) {
        reportErrorArgs(901040, true, archive.path.c_str());
        return -1;
    }
    index.entryTotal += header.entryCount;
    if (index.entryTotal > pack::kMaxMembers) {
        reportErrorArgs(104140, true, pack::kMaxMembers);
        return -1;
    }
    index.archives.push_back(archive);
    return 0;
}

bool readEntryName(int archiveNumber, uint32_t entryPosition, std::string& name) {
    const PackIndex& index = core().packs;
    if (archiveNumber < 0 || size_t(archiveNumber) >= index.archives.size()) return false;
    const PackArchive& a = index.archives[size_t(archiveNumber)];
    platform::File f;
    uint64_t size = 0;
    return openArchive(a, f, size) && OpenArchives::readNameFrom(f, a.base, size, entryPosition, name);
}

bool buildPackIndex() {
    Core& e = core();
    PackIndex& index = e.packs;
    if (e.run.appendedMode) {
        uint64_t base = uint64_t(e.run.builtSize) + e.run.appendedBase;
        if (addArchive({e.run.exePath, true, base}) != 0) return false;
    } else if (!findArchives(index)) {
        return false;
    }
    size_t total = size_t(index.entryTotal);
    if (!tryResize(index.hashes, total) || !tryResize(index.archiveNumbers, total) ||
        !tryResize(index.entryPositions, total)) {
        reportError(100010, true);
        return false;
    }
    DuplicateCheck duplicates(index);
    size_t next = 0;
    for (size_t a = 0; a < index.archives.size(); ++a)
        if (!indexArchive(index, int(a), duplicates, next)) return false;
    sortByHash(index);
    return true;
}

}  // namespace vr
