#include "save/save_file.h"

#include <cstring>

#include "save/byte_io.h"
#include "save/save_errors.h"

namespace vr {

using save_bytes::getU32;
using save_bytes::putU32;
using save_bytes::Reader;
using save_bytes::setU32;

namespace {

constexpr char kMagic[4] = {'V', 'R', 'S', 'D'};

int checkHead(std::span<const uint8_t> file) {
    if (file.size() < 4 || std::memcmp(file.data(), kMagic, 4) != 0) return save_error::kNotSaveFile;
    if (file.size() < 8 || getU32(file.data() + 4) != kSaveFileVersion) return save_error::kWrongVersion;
    if (file.size() < kSaveRecordsOffset) return save_error::kNotSaveFile;
    return 0;
}

void setEntry(std::vector<uint8_t>& file, int number, size_t offset) {
    setU32(file, kSaveTableOffset + 4 * size_t(number - 1), uint32_t(offset));
}

// Every record the table names lies whole inside the file and carries its
// own number: a file cut short or overwritten is not built upon.
bool tableFits(std::span<const uint8_t> file) {
    for (int n = 1; n <= kSaveRecordCount; ++n) {
        uint32_t entry = getU32(file.data() + kSaveTableOffset + 4 * size_t(n - 1));
        if (entry == 0) continue;
        if (entry < kSaveRecordsOffset) return false;
        Reader r(file, entry);
        uint32_t number = r.u32();
        r.bytes(4);
        uint32_t compressed = r.u32();
        r.bytes(4);
        r.bytes(compressed);
        if (!r.ok() || number != uint32_t(n)) return false;
    }
    return true;
}

// Writes record `number` at the end of `file` and enters it in the table.
void appendRecord(std::vector<uint8_t>& file, int number, const SaveRecord& record) {
    setEntry(file, number, file.size());
    putU32(file, uint32_t(number));
    file.insert(file.end(), record.bytes.begin(), record.bytes.end());
}

// Appends the filled records not marked done; returns how many.
uint32_t appendLeft(std::vector<uint8_t>& file, const SaveState& state, const std::vector<bool>& done) {
    uint32_t written = 0;
    for (int n = 1; n <= kSaveRecordCount; ++n) {
        const SaveRecord& r = state.records[size_t(n - 1)];
        if (r.empty() || done[size_t(n - 1)]) continue;
        appendRecord(file, n, r);
        ++written;
    }
    return written;
}

}  // namespace

int buildSaveFile(const std::vector<uint8_t>* old, const SaveState& state, std::vector<uint8_t>& out) {
    std::vector<bool> done(kSaveRecordCount, false);
    std::vector<uint8_t> file;
    if (!old) {
        file.assign(kSaveRecordsOffset, 0);
        std::memcpy(file.data(), kMagic, 4);
        setU32(file, 4, kSaveFileVersion);
        setU32(file, 8, appendLeft(file, state, done));
        setU32(file, 12, kSaveRecordCount);
        out = std::move(file);
        return 0;
    }
    if (int e = checkHead(*old)) return e;
    if (!tableFits(*old)) return save_error::kNotSaveFile;
    uint32_t count = getU32(old->data() + 8);
    bool inFile = false;
    for (int n = 1; n <= kSaveRecordCount && !inFile; ++n) {
        inFile = !state.records[size_t(n - 1)].empty() &&
                 getU32(old->data() + kSaveTableOffset + 4 * size_t(n - 1)) != 0;
    }
    if (!inFile) {
        file = *old;
        setU32(file, 8, count + appendLeft(file, state, done));
        setU32(file, 12, kSaveRecordCount);
        out = std::move(file);
        return 0;
    }
    // Rewrite: the old records in their order, each replaced by the one in
    // memory of its number.  A walk that does not end exactly at the end of
    // the old file means the file is damaged, and nothing is written.
    file.assign(old->begin(), old->begin() + kSaveRecordsOffset);
    Reader walk(*old, kSaveRecordsOffset);
    while (walk.ok() && walk.left() > 0) {
        size_t start = walk.at();
        uint32_t number = walk.u32();
        walk.bytes(4);
        uint32_t compressed = walk.u32();
        walk.bytes(4);
        walk.bytes(compressed);
        if (!walk.ok() || number < 1 || number > kSaveRecordCount) return save_error::kNotSaveFile;
        const SaveRecord& mine = state.records[number - 1];
        if (!mine.empty() && !done[number - 1]) {
            appendRecord(file, int(number), mine);
            done[number - 1] = true;
        } else {
            setEntry(file, int(number), file.size());
            file.insert(file.end(), old->begin() + long(start), old->begin() + long(walk.at()));
        }
    }
    if (!walk.ok()) return save_error::kNotSaveFile;
    if (uint32_t appended = appendLeft(file, state, done)) setU32(file, 8, count + appended);
    out = std::move(file);
    return 0;
}

int findSaveRecord(std::span<const uint8_t> file, int number, StoredItem& item) {
    if (int e = checkHead(file)) return e;
    if (number < 1 || number > kSaveRecordCount) return save_error::kRecordMissing;
    uint32_t entry = getU32(file.data() + 4 * size_t(number) + 12);
    if (entry == 0) return save_error::kRecordMissing;
    Reader r(file, entry);
    r.u32();  // the record's number
    StoredItem found;
    found.header.kind = r.u8();
    r.u8();      // marker
    r.bytes(2);  // reserved
    found.header.compressedSize = r.u32();
    found.header.rawSize = r.u32();
    found.compressed = r.bytes(found.header.compressedSize);
    if (!r.ok()) return save_error::kInternal;
    item = found;
    return 0;
}

}  // namespace vr
