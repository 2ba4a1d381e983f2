#include "core/archive/pack_format.h"

#include <cstring>

#include "common/bytes.h"
#include "common/format_secrets.h"
#include "common/sjis.h"

namespace vr::pack {

namespace {

constexpr std::array<uint8_t, 256> kLengthTable = secrets::nameLengthTable();
static_assert([] {
    for (int i = 0; i < 256; ++i)
        if (kLengthTable[kLengthTable[size_t(i)]] != i) return false;
    return true;
}(), "the name-length table must be its own inverse");

// The largest picture the decoders accept, as 32-bit pixels, with room for a
// file format's headers, palettes and row padding, twice over for formats
// that may be larger than the pixels they hold.
constexpr uint64_t kImageLimit = 2 * (uint64_t(8192) * 8192 * 4) + (uint64_t(1) << 20);

bool isImageType(uint8_t type) { return (type >= 1 && type <= 4) || type == 7; }

}  // namespace

HeaderStatus parseHeader(const uint8_t* bytes, size_t size, Header& header) {
    if (size < sizeof kMagic) return HeaderStatus::Short;
    if (std::memcmp(bytes, kMagic, sizeof kMagic) != 0) return HeaderStatus::NotAnArchive;
    if (size < kHeaderSize) return HeaderStatus::Short;
    ByteReader in(bytes, size);
    in.skip(4);
    header.version = in.u32();
    header.entryCount = in.i32();
    header.tableSize = in.u32();
    return HeaderStatus::Ok;
}

uint8_t encodeNameLength(size_t length) { return uint8_t(255 - kLengthTable[length & 0xFF]); }
size_t decodeNameLength(uint8_t stored) { return kLengthTable[size_t(255 - stored)]; }

bool decodeName(const uint8_t* at, size_t available, std::string& name) {
    if (available < 1) return false;
    size_t n = decodeNameLength(at[0]);
    if (n > available - 1) return false;
    name.resize(n);
    for (size_t i = 0; i < n; ++i) name[i] = char(at[1 + i] ^ 0xFF);
    return true;
}

bool parseMemberFields(const uint8_t* at, size_t available, Entry& entry) {
    ByteReader in(at, available);
    entry.storage = in.u8();
    entry.unpackedSize = in.u32();
    entry.storedSize = in.u32();
    entry.offset = in.u32();
    entry.checksum = in.u32();
    return in.ok();
}

bool parseEntryTable(const uint8_t* table, size_t tableSize, int32_t count, uint32_t tableOffset,
                     std::vector<Entry>& entries) {
    if (count < 0) return false;
    // Every entry takes at least its fixed part: a count the table cannot
    // hold is refused before anything is reserved for it.
    if (uint64_t(count) * kEntryFixedSize > tableSize) return false;
    entries.clear();
    entries.reserve(size_t(count));
    size_t at = 0;
    for (int32_t i = 0; i < count; ++i) {
        Entry e;
        ByteReader in(table + at, tableSize - at);
        e.hash = in.u32();
        if (!in.ok() || !decodeName(in.here(), in.remaining(), e.name)) return false;
        e.position = tableOffset + uint32_t(at + 4);
        in.skip(1 + e.name.size());
        e.type = in.u8();
        if (!in.ok() || !parseMemberFields(in.here(), in.remaining(), e)) return false;
        at += kEntryFixedSize + e.name.size();
        entries.push_back(std::move(e));
    }
    return true;
}

uint64_t unpackedLimit(uint8_t type) { return isImageType(type) ? kImageLimit : UINT32_MAX; }

const char* memberProblem(const Entry& e, uint64_t archiveSize) {
    if (e.storage != kStored && e.storage != kCompressed) return "unknown storage";
    if (uint64_t(e.offset) + e.storedSize > archiveSize) return "stored bytes beyond the end of the archive";
    if (e.storage == kStored && e.storedSize != e.unpackedSize) return "stored member with two sizes";
    if (e.storage == kCompressed && e.unpackedSize > kMaxInflateRatio * e.storedSize + 64)
        return "unpacked size beyond what its compressed bytes can hold";
    if (e.unpackedSize > unpackedLimit(e.type)) return "unpacked size beyond the limit of its file type";
    return nullptr;
}

std::string memberName(std::string_view path) { return sjis::normaliseFileName(path); }

int updateArchiveSlot(std::string_view fileName) {
    if (fileName.size() == 11 && fileName.substr(0, 6) == "update" && fileName[6] >= '1' && fileName[6] <= '9' &&
        fileName.substr(7) == ".vpf")
        return fileName[6] - '0';
    return 0;
}

bool parseRepairRecord(const uint8_t* at, size_t available, uint32_t storedSize, RepairRecord& r) {
    ByteReader in(at, available);
    r.parityLength = in.u32();
    if (!in.ok()) return false;
    if (r.parityLength == 0) return true;
    r.blockCount = in.u32();
    uint64_t blocks = (uint64_t(storedSize) + kBlockSize - 1) / kBlockSize;
    if (!in.ok() || r.parityLength > kBlockSize || r.blockCount != blocks) return false;
    if (!in.has(size_t(r.blockCount) * 2 + r.parityLength)) return false;
    r.checks.resize(r.blockCount);
    for (auto& c : r.checks) c = in.u16();
    r.parity.resize(r.parityLength);
    in.bytes(r.parity.data(), r.parity.size());
    return in.ok();
}

size_t repairRecordSize(const RepairRecord& r) {
    return 8 + size_t(r.blockCount) * 2 + r.parityLength;
}

}  // namespace vr::pack
