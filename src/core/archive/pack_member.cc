// Pack members: lookup in the index and reading (stored or inflated), with
// the checksum and the repair from parity.
#include <zlib.h>

#include <algorithm>

#include "common/bytes.h"
#include "common/crc32.h"
#include "common/memory.h"
#include "common/texts/engine_texts.h"
#include "core/archive/pack_format.h"
#include "core/archive/pack_index.h"
#include "core/archive/pack_lookup.h"
#include "core/archive/pack_repair.h"
#include "core/core.h"
#include "core/debug_log.h"
#include "core/error_report.h"

namespace vr {

namespace {

constexpr size_t kMemberFieldsSize = 17;  // storage, two sizes, offset, checksum

const char* archivePath(int archive) { return core().packs.archives[size_t(archive)].path.c_str(); }

void reportDamaged(int archive, std::string_view name) {
    reportErrorArgs(104100, true, archivePath(archive), std::string(name).c_str());
}

// Reads the member's fields at its data position and checks them against
// the archive; false after a report.
bool readFields(platform::File& f, const FileRequest& request, uint64_t size, std::string_view name,
                pack::Entry& entry) {
    const PackArchive& a = core().packs.archives[size_t(request.archive)];
    uint8_t raw[kMemberFieldsSize];
    if (!f.seek(a.base + request.dataPosition) || !f.readExact(raw, sizeof raw) ||
        !pack::parseMemberFields(raw, sizeof raw, entry)) {
        reportDamaged(request.archive, name);
        return false;
    }
    entry.type = uint8_t(request.type);
    if (entry.storage != pack::kStored && entry.storage != pack::kCompressed) {
        reportErrorArgs(901040, true, a.path.c_str());
        return false;
    }
    if (pack::memberProblem(entry, size) || !f.seek(a.base + entry.offset)) {
        reportDamaged(request.archive, name);
        return false;
    }
    return true;
}

int readStored(platform::File& f, const FileRequest& request, const pack::Entry& entry, std::string_view name,
               std::vector<uint8_t>& block) {
    if (!f.readExact(block.data(), block.size()) ||
        checkAndRepair(f, block.data(), uint32_t(block.size()), entry.checksum, name) < 0) {
        reportDamaged(request.archive, name);
        return -1;
    }
    return 0;
}

int readCompressed(platform::File& f, const FileRequest& request, const pack::Entry& entry, std::string_view name,
                   std::vector<uint8_t>& block) {
    std::string text(name);
    std::vector<uint8_t> packed;
    if (!tryResize(packed, entry.storedSize)) {
        reportErrorArgs(104030, true, text.c_str());
        return -1;
    }
    if (!f.readExact(packed.data(), packed.size())) {
        reportDamaged(request.archive, name);
        return -1;
    }
    // The stored bytes are settled before inflating: damage can make the
    // stream run past the unpacked size (Z_BUF_ERROR) before zlib reaches its
    // own check, and the member would be lost although its parity mends it.
    if (checkAndRepair(f, packed.data(), uint32_t(packed.size()), entry.checksum, name) < 0) {
        reportDamaged(request.archive, name);
        return -1;
    }
    uLongf produced = uLongf(block.size());
    int z = uncompress(block.data(), &produced, packed.data(), uLong(packed.size()));
    if (z == Z_OK) {
        // A stream that ends early leaves the block partly unwritten.
        if (produced == block.size()) return 0;
        reportDamaged(request.archive, name);
        return -1;
    }
    // Bytes that match their checksum yet do not inflate to the member were
    // packed so: an intact stream running past its size is the internal
    // error, any other fault a damaged member.
    if (z == Z_BUF_ERROR) {
        reportErrorArgs(900040, true, text.c_str());
        return -1;
    }
    if (z == Z_DATA_ERROR) {
        reportDamaged(request.archive, name);
        return -1;
    }
    reportErrorArgs(106010, true, text.c_str());
    return -1;
}

}  // namespace

int findInPacks(FileRequest& request, std::string_view name) {
    const PackIndex& index = core().packs;
    uint32_t hash = nameHash(name);
    auto first = std::lower_bound(index.hashes.begin(), index.hashes.end(), hash);
    for (auto it = first; it != index.hashes.end() && *it == hash; ++it) {
        size_t entry = size_t(it - index.hashes.begin());
        int archive = index.archiveNumbers[entry];
        const PackArchive& a = index.archives[size_t(archive)];
        platform::File f;
        uint64_t size = 0;
        if (!openArchive(a, f, size)) return -2;
        uint8_t raw[258];  // length byte, up to 255 name bytes, file type
        uint32_t position = index.entryPositions[entry];
        if (position >= size || !f.seek(a.base + position)) continue;
        int64_t got = f.read(raw, size_t(std::min<uint64_t>(sizeof raw, size - position)));
        std::string stored;
        if (got <= 0 || !pack::decodeName(raw, size_t(got), stored) || stored != name) continue;
        if (size_t(got) < stored.size() + 2) continue;
        request.kind = SourceKind::PackMember;
        uint8_t type = raw[stored.size() + 1];
        request.type = type <= uint8_t(FileType::Psd) ? FileType(type) : FileType::Other;
        request.packEntry = int(entry);
        request.archive = archive;
        request.dataPosition = position + uint32_t(stored.size()) + 2;
        return 2;
    }
    return 0;
}

int readPackMember(FileRequest& request, std::string_view name) {
    const PackIndex& index = core().packs;
    if (request.archive < 0 || size_t(request.archive) >= index.archives.size()) return -1;
    platform::File f;
    uint64_t size = 0;
    if (!openArchive(index.archives[size_t(request.archive)], f, size)) {
        reportErrorArgs(901040, true, archivePath(request.archive));
        return -1;
    }
    pack::Entry entry;
    if (!readFields(f, request, size, name, entry)) return -1;
    std::vector<uint8_t> block;
    if (!tryResize(block, entry.unpackedSize)) {
        reportErrorArgs(104030, true, std::string(name).c_str());
        return -1;
    }
    int r = entry.storage == pack::kStored ? readStored(f, request, entry, name, block)
                                           : readCompressed(f, request, entry, name, block);
    if (r < 0) return -1;
    request.size = entry.unpackedSize;
    request.data = std::move(block);
    return 0;
}

int checkAndRepair(platform::File& archive, uint8_t* bytes, uint32_t length, uint32_t checksum, std::string_view name) {
    if (pack::adler32Of(bytes, length) == checksum) return 0;
    uint8_t head[8];
    if (!archive.readExact(head, 4)) return -1;
    uint32_t parity = loadLe32(head);
    if (parity == 0) return -1;
    std::string text(name);
    writeDebugLog("", VR_TEXT_LOG_PACK_MEMBER_DAMAGED, text.c_str());
    if (!archive.readExact(head + 4, 4)) return -1;
    uint32_t blocks = loadLe32(head + 4);
    if (blocks != (uint64_t(length) + pack::kBlockSize - 1) / pack::kBlockSize || parity > pack::kBlockSize) return -1;
    std::vector<uint8_t> record(8 + size_t(blocks) * 2 + parity);
    std::copy(head, head + 8, record.begin());
    if (!archive.readExact(record.data() + 8, record.size() - 8)) return -1;
    if (pack::mendStoredBytes(bytes, length, checksum, record.data(), record.size()) != pack::Mend::Repaired)
        return -1;
    writeDebugLog("", VR_TEXT_LOG_PACK_MEMBER_REPAIRED, text.c_str());
    return 1;
}

}  // namespace vr
