#include "core/archive/loader.h"

#include "common/memory.h"
#include "common/sjis.h"
#include "core/archive/pack_lookup.h"
#include "core/core.h"
#include "core/error_report.h"
#include "platform/platform.h"

namespace vr {

namespace {

constexpr const char* kImageExtensions[] = {nullptr, ".png", ".bmp", ".jpg", ".gif"};
constexpr const char* kSoundExtensions[] = {nullptr, ".ogg", ".wav"};

void clearRequest(FileRequest& request) {
    request = FileRequest{};
}

bool findInMemory(FileRequest& request, std::string_view name) {
    auto& groups = core().loader.memoryItems;
    for (int g = 0; g < kMemoryGroups; ++g) {
        for (size_t i = 0; i < groups[g].size(); ++i) {
            if (groups[g][i].name != name) continue;
            request.kind = SourceKind::InMemory;
            request.type = groups[g][i].type;
            request.itemGroup = g;
            request.itemIndex = int(i);
            return true;
        }
    }
    return false;
}

bool findHandOver(FileRequest& request, std::string_view name) {
    auto& items = core().loader.handOver;
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].name != name) continue;
        request.kind = SourceKind::HandOver;
        request.handOverItem = int(i);
        request.type = fileTypeFromName(name);
        return true;
    }
    return false;
}

bool findLoose(FileRequest& request, std::string_view name) {
    platform::File f;
    if (!f.open(name, platform::OpenMode::Read)) return false;
    request.kind = SourceKind::LooseFile;
    request.type = fileTypeFromName(name);
    return true;
}

// 1 = found, 0 = not found, -1 = an archive could not be opened.
int resolve(FileRequest& request, std::string_view name) {
    if (findInMemory(request, name) || findHandOver(request, name)) return 1;
    bool packsFirst = core().run.appendedMode;
    if (!packsFirst && findLoose(request, name)) return 1;
    int pack = findInPacks(request, name);
    if (pack == 2) return 1;
    if (pack < 0) return -1;
    if (packsFirst && findLoose(request, name)) return 1;
    return 0;
}

int readLoose(FileRequest& request, std::string_view name) {
    platform::File f;
    if (!f.open(name, platform::OpenMode::Read)) {
        reportErrorArgs(104010, true, std::string(name).c_str());
        return -1;
    }
    int64_t size = f.size();
    if (size < 0) {
        reportErrorArgs(104010, true, std::string(name).c_str());
        return -1;
    }
    if (uint64_t(size) > UINT32_MAX) {
        reportErrorArgs(104030, true, std::string(name).c_str());
        return -1;
    }
    std::vector<uint8_t> data;
    if (!tryResize(data, size_t(size))) {
        reportErrorArgs(104030, true, std::string(name).c_str());
        return -1;
    }
    if (!f.readExact(data.data(), data.size())) return -1;  // a short read fails without a message
    request.data = std::move(data);
    request.size = uint32_t(size);
    return 0;
}

int copyBytes(FileRequest& request, const std::vector<uint8_t>& bytes, std::string_view name) {
    std::vector<uint8_t> data;
    if (!tryResize(data, bytes.size())) {
        reportErrorArgs(104030, true, std::string(name).c_str());
        return -1;
    }
    std::copy(bytes.begin(), bytes.end(), data.begin());
    request.size = uint32_t(bytes.size());
    request.data = std::move(data);
    return 0;
}

}  // namespace

FileType fileTypeFromName(std::string_view name) {
    static constexpr struct {
        const char* ending;
        FileType type;
    } kEndings[] = {{".bmp", FileType::Bmp}, {".png", FileType::Png}, {".jpg", FileType::Jpeg}, {".gif", FileType::Gif},
                    {".psd", FileType::Psd}, {".wav", FileType::Wav}, {".ogg", FileType::Ogg}};
    for (const auto& e : kEndings) {
        if (sjis::endsWithNoCase(name, e.ending)) return e.type;
    }
    return FileType::Other;
}

int loadFile(FileRequest& request, std::string_view name, bool report, bool resolveFirst) {
    if (resolveFirst) {
        clearRequest(request);
        request.name = std::string(name);
        int found = resolve(request, name);
        if (found < 0) {
            if (report) reportErrorArgs(901040, true, std::string(name).c_str());
            return -1;
        }
        if (found == 0) {
            if (report) reportErrorArgs(104060, true, std::string(name).c_str());
            return -1;
        }
    }
    LoaderState& loader = core().loader;
    switch (request.kind) {
    case SourceKind::InMemory: {
        if (request.itemGroup < 0 || request.itemGroup >= kMemoryGroups) return -1;
        auto& group = loader.memoryItems[request.itemGroup];
        if (request.itemIndex < 0 || size_t(request.itemIndex) >= group.size()) return -1;
        return copyBytes(request, group[request.itemIndex].bytes, name);
    }
    case SourceKind::HandOver:
        if (request.handOverItem < 0 || size_t(request.handOverItem) >= loader.handOver.size()) return -1;
        return copyBytes(request, loader.handOver[request.handOverItem].bytes, name);
    case SourceKind::LooseFile:
        return readLoose(request, name);
    case SourceKind::PackMember:
        return readPackMember(request, name);
    case SourceKind::Unresolved:
        break;
    }
    return -1;
}

int resourceExists(std::string_view name) {
    FileRequest request;
    return resolve(request, name);
}

int cacheFile(int group, std::string_view name, bool marked) {
    if (group < 0 || group >= kMemoryGroups) return -1;
    FileRequest request;
    if (loadFile(request, name, true, true) != 0) return -1;
    LoaderState& loader = core().loader;
    std::vector<MemoryItem>& items = loader.memoryItems[size_t(group)];
    if (items.size() >= kMemoryGroupItems) {
        loader.memoryBytes[size_t(group)] -= items.front().bytes.size();
        items.erase(items.begin());
    }
    MemoryItem item;
    item.name = std::string(name);
    item.type = request.type;
    item.bytes = std::move(request.data);
    item.marked = marked;
    loader.memoryBytes[size_t(group)] += item.bytes.size();
    items.push_back(std::move(item));
    return 0;
}

int resolveResourceName(FileRequest& request, std::string_view name, std::string& resolvedName, int mode) {
    if (mode != int(ResourceMode::Image) && mode != int(ResourceMode::Sound)) return -1;
    bool image = mode == int(ResourceMode::Image);
    std::string base = sjis::normaliseFileName(name);

    const auto* extensions = image ? kImageExtensions : kSoundExtensions;
    int codes = image ? 4 : 2;
    for (int c = 1; c <= codes; ++c) {
        if (!sjis::endsWithNoCase(base, extensions[c])) continue;
        clearRequest(request);
        request.name = base;
        resolvedName = base;
        int found = resolve(request, base);
        return found < 0 ? -1 : found ? 0 : 1;
    }

    const uint8_t* order = image ? core().loader.imageOrder.data() : core().loader.soundOrder.data();
    int positions = image ? kImageProbes : kSoundProbes;
    resolvedName = base;
    for (int p = 0; p < positions; ++p) {
        uint8_t code = order[p];
        if (code < 1 || code > codes) continue;
        std::string candidate = base + extensions[code];
        resolvedName = candidate;
        clearRequest(request);
        request.name = candidate;
        int found = resolve(request, candidate);
        if (found < 0) return -1;
        if (found) return 0;
    }
    return 1;
}

}  // namespace vr
