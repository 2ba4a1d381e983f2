#include "archive_image.h"

#include "failure.h"
#include "files.h"

namespace vrpack {

namespace pack = vr::pack;

std::string parseArchive(ArchiveImage& image) {
    const std::vector<uint8_t>& bytes = image.bytes;
    switch (pack::parseHeader(bytes.data(), bytes.size(), image.header)) {
    case pack::HeaderStatus::Ok: break;
    case pack::HeaderStatus::NotAnArchive: return "not a pack archive";
    case pack::HeaderStatus::Short: return "too short for a pack archive header (truncated?)";
    }
    const pack::Header& h = image.header;
    if (h.version < pack::kOldestVersion)
        return "archive version " + std::to_string(h.version) + " is older than the oldest readable, " +
               std::to_string(pack::kOldestVersion);
    if (h.entryCount < 0 || h.entryCount > pack::kMaxMembers)
        return "entry count " + std::to_string(h.entryCount) + " is out of range";
    uint64_t room = bytes.size() - pack::kHeaderSize;
    if (h.tableSize > room)
        return "entry table of " + std::to_string(h.tableSize) + " bytes runs past the end of the file (" +
               std::to_string(room) + " bytes after the header; truncated?)";
    if (uint64_t(h.entryCount) * pack::kEntryFixedSize > h.tableSize)
        return std::to_string(h.entryCount) + " entries cannot fit an entry table of " + std::to_string(h.tableSize) +
               " bytes";
    if (!pack::parseEntryTable(bytes.data() + pack::kHeaderSize, h.tableSize, h.entryCount,
                               uint32_t(pack::kHeaderSize), image.entries))
        return "damaged entry table: its entries run past its end";
    return {};
}

ArchiveImage readArchive(const std::string& path) {
    ArchiveImage image;
    image.bytes = readWholeFile(path, UINT32_MAX);
    std::string problem = parseArchive(image);
    if (!problem.empty()) throw Failure{path, problem};
    return image;
}

}  // namespace vrpack
