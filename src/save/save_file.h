// The save file: "VRSD", version 192, the record count, 1024 and a table of
// 1024 record offsets at 16, then from 4112 the records, each its u32
// number and its item.  Built and read whole in memory, so that the file on
// disk can be replaced in one step and a damaged one is never read past
// its end.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "save/save.h"
#include "save/save_item.h"

namespace vr {

constexpr uint32_t kSaveFileVersion = 192;
constexpr size_t kSaveTableOffset = 16;
constexpr size_t kSaveRecordsOffset = 16 + 4 * kSaveRecordCount;

// The file that writing the filled records of `state` makes: a new file
// when `old` is null, else the old one with the records appended (when none
// of them is in it yet) or rewritten with them in place of their old
// versions.  0, or 108030 / 108040 for an old file that is no save file of
// this version (or is damaged).  `state` is left as it was; the caller
// empties it once the file is safely on disk.
int buildSaveFile(const std::vector<uint8_t>* old, const SaveState& state, std::vector<uint8_t>& file);

// The item stored for `number` (1..1024): its header and compressed bytes,
// viewing `file`.
struct StoredItem {
    SaveItemHeader header;
    std::span<const uint8_t> compressed;
};
// 0, or 108030, 108040, 102110 (no such record), 900000 (an entry or a size
// beyond the file).
int findSaveRecord(std::span<const uint8_t> file, int number, StoredItem& item);

}  // namespace vr
