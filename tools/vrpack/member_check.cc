#include "member_check.h"

#include <zlib.h>

#include "core/archive/pack_repair.h"

namespace vrpack {

namespace pack = vr::pack;

namespace {

constexpr size_t kChunk = 64 * 1024;

// Ends the inflate stream on every way out, a throwing sink included.
struct Inflater {
    z_stream z{};
    bool open = false;
    Inflater() { open = inflateInit(&z) == Z_OK; }
    ~Inflater() {
        if (open) inflateEnd(&z);
    }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;
};

MemberCheck result(MemberState state, std::string reason = {}) {
    MemberCheck c;
    c.state = state;
    c.reason = std::move(reason);
    return c;
}

}  // namespace

const char* unpackMember(const uint8_t* stored, const pack::Entry& e, const Sink& sink) {
    if (e.storage == pack::kStored) {
        if (e.storedSize != e.unpackedSize) return "stored member with two sizes";
        if (e.storedSize) sink(stored, e.storedSize);
        return nullptr;
    }
    if (e.storage != pack::kCompressed) return "unknown storage";
    // Inflated in pieces: the unpacked size is the entry's claim, and a
    // hostile entry must not decide how much is allocated.
    Inflater inflater;
    if (!inflater.open) return "cannot start inflating";
    z_stream& z = inflater.z;
    z.next_in = const_cast<Bytef*>(stored);
    z.avail_in = uInt(e.storedSize);
    std::vector<uint8_t> chunk(kChunk);
    uint64_t produced = 0;
    for (;;) {
        z.next_out = chunk.data();
        z.avail_out = uInt(chunk.size());
        int r = inflate(&z, Z_NO_FLUSH);
        size_t n = chunk.size() - z.avail_out;
        produced += n;
        if (produced > e.unpackedSize) return "inflates to more than its unpacked size";
        if (n) sink(chunk.data(), n);
        if (r == Z_STREAM_END) break;
        if (r == Z_OK) continue;
        // With room left for output, a stall means the input ran out.
        if (r == Z_BUF_ERROR) return "compressed bytes end before the compressed data does";
        return "compressed bytes are not valid zlib data";
    }
    if (produced != e.unpackedSize) return "inflates to fewer bytes than its unpacked size";
    return nullptr;
}

MemberCheck checkMember(const uint8_t* archive, size_t archiveSize, const pack::Entry& e, const Sink& sink) {
    if (const char* problem = pack::memberProblem(e, archiveSize)) return result(MemberState::Unreadable, problem);
    const uint8_t* stored = archive + e.offset;
    size_t end = size_t(e.offset) + e.storedSize;
    MemberCheck c;
    // The verdict on the bytes is the engine's own (mendStoredBytes); an
    // intact member is not copied.
    pack::Mend mend = pack::Mend::Intact;
    if (pack::adler32Of(stored, e.storedSize) != e.checksum) {
        c.repairedBytes.assign(stored, stored + e.storedSize);
        mend = pack::mendStoredBytes(c.repairedBytes.data(), c.repairedBytes.size(), e.checksum, archive + end,
                                     archiveSize - end);
    }
    switch (mend) {
    case pack::Mend::Intact: break;
    case pack::Mend::Repaired:
        c.state = MemberState::Repaired;
        stored = c.repairedBytes.data();
        break;
    case pack::Mend::UnreadableRecord: return result(MemberState::Unrepairable, "its repair data is unreadable");
    case pack::Mend::NoRepairData: return result(MemberState::Unrepairable, "it has no repair data");
    case pack::Mend::BeyondRepair:
        return result(MemberState::Unrepairable, "the damage is beyond what its repair data can mend");
    }
    c.recordDamaged = !pack::recordIsSound(stored, e.storedSize, archive + end, archiveSize - end);
    if (const char* problem = unpackMember(stored, e, sink)) {
        // Bytes that match their checksum yet do not unpack were written so;
        // no repair can change that.
        return result(c.state == MemberState::Repaired ? MemberState::Unrepairable : MemberState::Unreadable,
                      problem);
    }
    return c;
}

std::string describe(const MemberCheck& c) {
    switch (c.state) {
    case MemberState::Intact: return c.recordDamaged ? "intact, its repair data is damaged" : "intact";
    case MemberState::Repaired:
        return c.recordDamaged ? "damaged, can be repaired; its repair data is damaged too" : "damaged, can be repaired";
    case MemberState::Unrepairable: return "damaged, cannot be repaired: " + c.reason;
    case MemberState::Unreadable: return "unreadable, cannot be repaired: " + c.reason;
    }
    return "unknown";
}

}  // namespace vrpack
