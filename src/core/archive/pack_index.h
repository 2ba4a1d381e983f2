// The pack index: every member of every archive of the game, found once at
// start-up and kept for the run.  Per member only its name hash, archive
// number and entry position are kept; names stay in the archives and are
// read back to confirm a hash match.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace vr {

struct PackArchive {
    std::string path;   // engine name (".\\pac\\data.vpf"), or the executable's host path
    bool hostPath = false;
    uint64_t base = 0;  // where the archive starts in its file
};

constexpr int kUpdateSlots = 9;

struct PackIndex {
    std::vector<PackArchive> archives;  // in the order they were added
    int64_t entryTotal = 0;
    // Three parallel arrays, sorted by hash once built.
    std::vector<uint32_t> hashes;
    std::vector<uint8_t> archiveNumbers;
    std::vector<uint32_t> entryPositions;
    std::array<std::string, kUpdateSlots> updateSlots;
};

// Finds the archives (the game folder and its "pac" folder, or the
// executable alone in appended mode) and builds the index; false after an
// error report.
bool buildPackIndex();

// 0 = added, or not an archive at all (skipped without a word); -1 = error
// reported; -2 = could not be opened (reported).
int addArchive(const PackArchive& archive);

// Reads and decodes an entry's name; false when the archive cannot be opened
// or the entry does not lie in it.
bool readEntryName(int archiveNumber, uint32_t entryPosition, std::string& name);

// Opens an archive for reading, positioned nowhere in particular; `size`
// is its length from its start.
bool openArchive(const PackArchive& archive, platform::File& file, uint64_t& size);

}  // namespace vr
