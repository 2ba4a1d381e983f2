#include "core/archive/pack_repair.h"

#include <zlib.h>

#include <algorithm>
#include <vector>

#include "common/crc32.h"

namespace vr::pack {

namespace {

// More candidate assignments than this and the damage is too spread out to
// be told apart by the 16-bit checks; the member is then beyond repair.
constexpr uint64_t kMaxAssignments = uint64_t(1) << 20;
// The search visits at most this many nodes, so that crafted damage cannot
// make a read take long.
constexpr uint64_t kMaxVisits = uint64_t(1) << 22;
// Working out what each unit does to each damaged block's check costs a
// pass over the block; beyond this many pairs the member is given up.
constexpr size_t kMaxUnitBlockPairs = 16384;
// Assignments that pass every block check are confirmed by the member's
// Adler-32, each costing a pass over the member.
constexpr int kMaxConfirmations = 64;

struct Block {
    size_t start = 0, size = 0;
};

// A run of positions (offsets within a block) where the parity differs.
struct Unit {
    size_t first = 0, last = 0;          // inclusive
    std::vector<size_t> candidates;      // indexes into the damaged blocks
    std::vector<uint16_t> syndromes;     // per candidate: the check change it causes
};

struct Damage {
    std::vector<Block> blocks;
    std::vector<size_t> damaged;         // block numbers whose check fails
    std::vector<uint16_t> targets;       // per damaged block: check now ^ stored check
    std::vector<uint8_t> delta;          // per position: stored parity ^ current parity
    std::vector<size_t> positions;       // positions where delta is not 0
};

Damage survey(const uint8_t* bytes, size_t size, const RepairRecord& record) {
    Damage d;
    for (size_t start = 0; start < size; start += kBlockSize)
        d.blocks.push_back({start, std::min(kBlockSize, size - start)});
    std::vector<uint8_t> current(kBlockSize, 0);
    for (const Block& b : d.blocks)
        for (size_t i = 0; i < b.size; ++i) current[i] ^= bytes[b.start + i];
    d.delta.assign(kBlockSize, 0);
    for (size_t i = 0; i < record.parity.size(); ++i) {
        d.delta[i] = uint8_t(record.parity[i] ^ current[i]);
        if (d.delta[i]) d.positions.push_back(i);
    }
    for (size_t k = 0; k < d.blocks.size(); ++k) {
        uint16_t check = blockCheck(bytes + d.blocks[k].start, d.blocks[k].size);
        if (check != record.checks[k]) {
            d.damaged.push_back(k);
            d.targets.push_back(uint16_t(check ^ record.checks[k]));
        }
    }
    return d;
}

void applyUnit(uint8_t* bytes, const Damage& d, const Unit& u, size_t block) {
    const Block& b = d.blocks[block];
    for (size_t i = u.first; i <= u.last && i < b.size; ++i) bytes[b.start + i] ^= d.delta[i];
}

// Groups the differing positions into units (runs of consecutive positions,
// or single positions) and works out which damaged blocks can take each and
// what taking it does to their checks.  False when a position fits no
// damaged block.
bool makeUnits(const Damage& d, bool runs, std::vector<Unit>& units) {
    units.clear();
    for (size_t p : d.positions) {
        if (runs && !units.empty() && units.back().last + 1 == p) {
            units.back().last = p;
        } else {
            units.push_back({p, p, {}, {}});
        }
    }
    std::vector<uint8_t> buffer;
    for (Unit& u : units) {
        for (size_t j = 0; j < d.damaged.size(); ++j) {
            const Block& b = d.blocks[d.damaged[j]];
            if (u.last >= b.size) continue;
            // The check is affine in the bytes: the change a correction makes
            // is the CRC of the correction alone minus the CRC of zeros.
            buffer.assign(b.size, 0);
            uint32_t zeros = nameHash(buffer.data(), buffer.size());
            for (size_t i = u.first; i <= u.last; ++i) buffer[i] = d.delta[i];
            u.candidates.push_back(j);
            u.syndromes.push_back(uint16_t(nameHash(buffer.data(), buffer.size()) ^ zeros));
        }
        if (u.candidates.empty()) return false;
    }
    return true;
}

// Shares the units out among the damaged blocks.  Units that only one
// damaged block can take are settled before the search; the others are
// tried depth first, the running checks kept as XORs.
class Search {
public:
    Search(uint8_t* bytes, size_t size, uint32_t checksum, const Damage& d, const std::vector<Unit>& units)
        : bytes_(bytes), size_(size), checksum_(checksum), d_(d), units_(units),
          choice_(units.size(), 0), syndrome_(d.damaged.size(), 0) {
        for (size_t u = 0; u < units.size(); ++u) {
            if (units[u].candidates.size() == 1)
                syndrome_[units[u].candidates[0]] ^= units[u].syndromes[0];
            else
                open_.push_back(u);
        }
    }

    bool run() { return visit(0); }

private:
    bool visit(size_t k) {
        if (confirmations_ >= kMaxConfirmations || ++visits_ > kMaxVisits) return false;
        if (k == open_.size()) return syndrome_ == d_.targets && confirm();
        size_t u = open_[k];
        const Unit& unit = units_[u];
        for (size_t c = 0; c < unit.candidates.size(); ++c) {
            choice_[u] = c;
            syndrome_[unit.candidates[c]] ^= unit.syndromes[c];
            bool found = visit(k + 1);
            syndrome_[unit.candidates[c]] ^= unit.syndromes[c];
            if (found) return true;
        }
        return false;
    }

    bool confirm() {
        ++confirmations_;
        apply();
        if (adler32Of(bytes_, size_) == checksum_) return true;
        apply();  // the same corrections again undo them
        return false;
    }

    void apply() {
        for (size_t u = 0; u < units_.size(); ++u)
            applyUnit(bytes_, d_, units_[u], d_.damaged[units_[u].candidates[choice_[u]]]);
    }

    uint8_t* bytes_;
    size_t size_;
    uint32_t checksum_;
    const Damage& d_;
    const std::vector<Unit>& units_;
    std::vector<size_t> open_;  // units with a choice
    std::vector<size_t> choice_;
    std::vector<uint16_t> syndrome_;
    int confirmations_ = 0;
    uint64_t visits_ = 0;
};

uint64_t assignmentCount(const std::vector<Unit>& units) {
    uint64_t n = 1;
    for (const Unit& u : units) {
        n *= u.candidates.size();
        if (n > kMaxAssignments) return n;
    }
    return n;
}

size_t runCount(const Damage& d) {
    size_t runs = 0;
    for (size_t k = 0; k < d.positions.size(); ++k)
        if (k == 0 || d.positions[k] != d.positions[k - 1] + 1) ++runs;
    return runs;
}

bool shareOut(uint8_t* bytes, size_t size, uint32_t checksum, const Damage& d) {
    std::vector<Unit> units;
    // Damage usually comes in runs: try whole runs first, then single bytes.
    for (bool runs : {true, false}) {
        size_t count = runs ? runCount(d) : d.positions.size();
        // Every damaged block needs a unit of its own to put its check right.
        if (count < d.damaged.size() || count * d.damaged.size() > kMaxUnitBlockPairs) continue;
        if (!makeUnits(d, runs, units) || assignmentCount(units) > kMaxAssignments) continue;
        if (Search(bytes, size, checksum, d, units).run()) return true;
    }
    return false;
}

}  // namespace

uint16_t blockCheck(const uint8_t* block, size_t size) { return uint16_t(nameHash(block, size)); }

uint32_t adler32Of(const uint8_t* bytes, size_t size) {
    uLong a = adler32(0L, Z_NULL, 0);
    // zlib takes the length as uInt: feed large members in pieces.
    while (size > 0) {
        uInt n = uInt(std::min<size_t>(size, 1u << 30));
        a = adler32(a, bytes, n);
        bytes += n;
        size -= n;
    }
    return uint32_t(a);
}

RepairRecord makeRepairRecord(const uint8_t* bytes, size_t size) {
    RepairRecord r;
    r.parityLength = uint32_t(kBlockSize);
    r.blockCount = uint32_t((size + kBlockSize - 1) / kBlockSize);
    r.parity.assign(kBlockSize, 0);
    for (size_t start = 0; start < size; start += kBlockSize) {
        size_t n = std::min(kBlockSize, size - start);
        r.checks.push_back(blockCheck(bytes + start, n));
        for (size_t i = 0; i < n; ++i) r.parity[i] ^= bytes[start + i];
    }
    return r;
}

RepairResult repairMember(uint8_t* bytes, size_t size, uint32_t checksum, const RepairRecord& record) {
    if (adler32Of(bytes, size) == checksum) return RepairResult::Intact;
    if (record.parityLength == 0 || record.checks.size() != (size + kBlockSize - 1) / kBlockSize)
        return RepairResult::Unrepairable;
    Damage d = survey(bytes, size, record);
    if (d.damaged.empty() || d.positions.empty()) return RepairResult::Unrepairable;

    if (d.damaged.size() == 1) {
        // Every differing position belongs to the one damaged block.
        Unit all{0, kBlockSize - 1, {}, {}};
        applyUnit(bytes, d, all, d.damaged[0]);
        if (adler32Of(bytes, size) == checksum) return RepairResult::Repaired;
        applyUnit(bytes, d, all, d.damaged[0]);
        return RepairResult::Unrepairable;
    }
    return shareOut(bytes, size, checksum, d) ? RepairResult::Repaired : RepairResult::Unrepairable;
}

Mend mendStoredBytes(uint8_t* bytes, size_t size, uint32_t checksum, const uint8_t* record, size_t available) {
    if (adler32Of(bytes, size) == checksum) return Mend::Intact;
    RepairRecord r;
    if (size > UINT32_MAX || !parseRepairRecord(record, available, uint32_t(size), r)) return Mend::UnreadableRecord;
    if (r.parityLength == 0) return Mend::NoRepairData;
    return repairMember(bytes, size, checksum, r) == RepairResult::Repaired ? Mend::Repaired : Mend::BeyondRepair;
}

bool recordIsSound(const uint8_t* bytes, size_t size, const uint8_t* record, size_t available) {
    RepairRecord r;
    if (size > UINT32_MAX || !parseRepairRecord(record, available, uint32_t(size), r)) return false;
    if (r.parityLength == 0) return true;
    RepairRecord made = makeRepairRecord(bytes, size);
    return r.parityLength == made.parityLength && r.checks == made.checks && r.parity == made.parity;
}

}  // namespace vr::pack
