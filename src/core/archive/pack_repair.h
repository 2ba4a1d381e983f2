// Repair data of pack members: making it (the writer) and rebuilding damaged
// 1024-byte blocks from it (the loader and vrpack).
//
// Each block has the low 16 bits of its CRC-32, and one parity block holds
// the XOR of all blocks.  Where the parity of the damaged bytes differs from
// the stored one, exactly one block is wrong at that position (damage at the
// same position in two blocks cancels out and cannot be located).  With one
// damaged block every differing position is its own; with several, the
// differing positions are shared out among the damaged blocks so that every
// block's 16-bit check holds again, and the member's Adler-32 decides
// between the candidates.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/archive/pack_format.h"

namespace vr::pack {

RepairRecord makeRepairRecord(const uint8_t* bytes, size_t size);

uint16_t blockCheck(const uint8_t* block, size_t size);
uint32_t adler32Of(const uint8_t* bytes, size_t size);

enum class RepairResult { Intact = 0, Repaired = 1, Unrepairable = -1 };

// Checks `bytes` against the Adler-32 and repairs them in place when they
// differ.  On Unrepairable the bytes are left as they were given.
RepairResult repairMember(uint8_t* bytes, size_t size, uint32_t checksum, const RepairRecord& record);

// What a member's stored bytes come to: checked against their Adler-32 and,
// when they differ, mended in place from the repair record that follows
// them (`record`, `available` bytes of the archive from there).  The engine
// and vrpack both decide with this before anything is inflated, so that a
// member vrpack calls repairable is one the engine reads.
enum class Mend { Intact, Repaired, NoRepairData, UnreadableRecord, BeyondRepair };
Mend mendStoredBytes(uint8_t* bytes, size_t size, uint32_t checksum, const uint8_t* record, size_t available);

// Whether the repair record at `record` is the one made from these (intact
// or mended) bytes; a record declaring no repair data counts as sound.
bool recordIsSound(const uint8_t* bytes, size_t size, const uint8_t* record, size_t available);

}  // namespace vr::pack
