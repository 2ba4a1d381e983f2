// The save subsystem's state: the 1024 numbered records that the save
// command fills one item at a time and a write to a file empties.  Reached
// through saveState(); the shell's Engine owns it and binds it.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "common/bound_record.h"

namespace vr {

constexpr int kSaveRecordCount = 1024;

// One record: an item (12-byte header and compressed payload), or nothing.
struct SaveRecord {
    std::vector<uint8_t> bytes;
    bool empty() const { return bytes.empty(); }
};

struct SaveState {
    // Record r (1..1024) is records[r - 1].
    std::array<SaveRecord, kSaveRecordCount> records;

    void clearAll() {
        for (SaveRecord& r : records) std::vector<uint8_t>().swap(r.bytes);
    }
};

inline SaveState& saveState() { return boundRecord<SaveState>(); }

}  // namespace vr
