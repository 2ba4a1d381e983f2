#include "save/save_file.h"

#include <cstring>

#include "common/bytes.h"
#include "save/save_errors.h"

namespace vr {

namespace {

constexpr char kMagic[4] = {'V', 'R', 'S', 'D'};

int checkHead(std::span<const uint8_t> file) {
    if (file.size() < 4 || std::memcmp(file.data(), kMagic, 4) != 0) return save_error::kNotSaveFile;
    if (file.size() < 8 || loadLe32(file.data() + 4) != kSaveFileVersion) return save_error::kWrongVersion;
    if (file.size() < kSaveRecordsOffset) return save_error::kNotSaveFile;
    return 0;
}

uint32_t tableEntry(std::span<const uint8_t> file, int number) {
    return loadLe32(file.data() + kSaveTableOffset + 4 * size_t(number - 1));
}

void setEntry(std::vector<uint8_t>& file, int number, size_t offset) {
    storeLe32(file.data() + kSaveTableOffset + 4 * size_t(number - 1), uint32_t(offset));
}

// The stored record at the reader: its number and its item, the reader
// moved past it (and failed when the record does not fit the file).
bool readRecord(ByteReader& r, uint32_t& number, StoredItem& item) {
    number = r.u32();
    item.header.kind = r.u8();
    r.skip(3);  // the marker and two reserved bytes
    item.header.compressedSize = r.u32();
    item.header.rawSize = r.u32();
    item.compressed = r.span(item.header.compressedSize);
    return r.ok();
}

// Every record the table names lies whole inside the file and carries its
// own number: a file cut short or overwritten is not built upon.
bool tableFits(std::span<const uint8_t> file) {
    for (int n = 1; n <= kSaveRecordCount; ++n) {
        uint32_t entry = tableEntry(file, n);
        if (entry == 0) continue;
        ByteReader r(file.data(), file.size());
        uint32_t number = 0;
        StoredItem item;
        if (entry < kSaveRecordsOffset || !r.seek(entry) || !readRecord(r, number, item) || number != uint32_t(n))
            return false;
    }
    return true;
}

// Writes record `number` at the end of `file` and enters it in the table.
void appendRecord(std::vector<uint8_t>& file, int number, const SaveRecord& record) {
    setEntry(file, number, file.size());
    file.resize(file.size() + 4);
    storeLe32(file.data() + file.size() - 4, uint32_t(number));
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
        storeLe32(file.data() + 4, kSaveFileVersion);
        storeLe32(file.data() + 12, kSaveRecordCount);
        const uint32_t written = appendLeft(file, state, done);
        storeLe32(file.data() + 8, written);
        out = std::move(file);
        return 0;
    }
    if (int e = checkHead(*old)) return e;
    if (!tableFits(*old)) return save_error::kNotSaveFile;
    uint32_t count = loadLe32(old->data() + 8);
    bool inFile = false;
    for (int n = 1; n <= kSaveRecordCount && !inFile; ++n)
        inFile = !state.records[size_t(n - 1)].empty() && tableEntry(*old, n) != 0;
    if (!inFile) {
        file = *old;
        const uint32_t appended = appendLeft(file, state, done);
        storeLe32(file.data() + 8, count + appended);
        storeLe32(file.data() + 12, kSaveRecordCount);
        out = std::move(file);
        return 0;
    }
    // Rewrite: the old records in their order, each replaced by the one in
    // memory of its number.  A walk that does not end exactly at the end of
    // the old file means the file is damaged, and nothing is written.
    file.assign(old->begin(), old->begin() + kSaveRecordsOffset);
    ByteReader walk(old->data(), old->size());
    walk.seek(kSaveRecordsOffset);
    while (walk.remaining() > 0) {
        const size_t start = walk.position();
        uint32_t number = 0;
        StoredItem item;
        if (!readRecord(walk, number, item) || number < 1 || number > kSaveRecordCount) return save_error::kNotSaveFile;
        const SaveRecord& mine = state.records[number - 1];
        if (!mine.empty() && !done[number - 1]) {
            appendRecord(file, int(number), mine);
            done[number - 1] = true;
        } else {
            setEntry(file, int(number), file.size());
            file.insert(file.end(), old->begin() + long(start), old->begin() + long(walk.position()));
        }
    }
    if (uint32_t appended = appendLeft(file, state, done)) storeLe32(file.data() + 8, count + appended);
    out = std::move(file);
    return 0;
}

int findSaveRecord(std::span<const uint8_t> file, int number, StoredItem& item) {
    if (int e = checkHead(file)) return e;
    if (number < 1 || number > kSaveRecordCount) return save_error::kRecordMissing;
    uint32_t entry = tableEntry(file, number);
    if (entry == 0) return save_error::kRecordMissing;
    ByteReader r(file.data(), file.size());
    uint32_t stored = 0;  // the number the record carries
    StoredItem found;
    if (!r.seek(entry) || !readRecord(r, stored, found)) return save_error::kInternal;
    item = found;
    return 0;
}

}  // namespace vr
