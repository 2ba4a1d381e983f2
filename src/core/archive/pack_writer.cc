#include "core/archive/pack_writer.h"

#include <zlib.h>

#include <algorithm>

#include "common/bytes.h"
#include "common/crc32.h"
#include "core/archive/loader.h"
#include "core/archive/pack_format.h"
#include "core/archive/pack_repair.h"

namespace vr::pack {

namespace {

struct Prepared {
    const MemberInput* input = nullptr;
    uint8_t storage = kStored;
    std::vector<uint8_t> compressed;  // empty when stored

    const std::vector<uint8_t>& stored() const { return storage == kStored ? input->bytes : compressed; }
};

// Compresses a member; keeps it stored when compression does not make it
// smaller.
Prepared prepare(const MemberInput& m, const WriteOptions& options) {
    Prepared p;
    p.input = &m;
    if (options.store || m.bytes.empty()) return p;
    uLongf size = compressBound(uLong(m.bytes.size()));
    std::vector<uint8_t> out(size);
    int level = std::clamp(options.level, 1, 9);
    if (compress2(out.data(), &size, m.bytes.data(), uLong(m.bytes.size()), level) != Z_OK) return p;
    if (size >= m.bytes.size()) return p;
    out.resize(size);
    p.storage = kCompressed;
    p.compressed = std::move(out);
    return p;
}

void writeRepairRecord(ByteWriter& out, const std::vector<uint8_t>& stored, bool withRepairData) {
    if (!withRepairData) {
        out.u32(0);
        out.u32(0);
        return;
    }
    RepairRecord r = makeRepairRecord(stored.data(), stored.size());
    out.u32(r.parityLength);
    out.u32(r.blockCount);
    for (uint16_t c : r.checks) out.u16(c);
    out.bytes(r.parity.data(), r.parity.size());
}

}  // namespace

WriteResult writeArchive(std::vector<MemberInput> members, const WriteOptions& options) {
    WriteResult result;
    std::sort(members.begin(), members.end(), [](const MemberInput& a, const MemberInput& b) { return a.name < b.name; });
    for (size_t i = 0; i < members.size(); ++i) {
        if (members[i].name.size() > 255) {
            result.error = "member name longer than 255 bytes: " + members[i].name;
            return result;
        }
        if (i > 0 && members[i].name == members[i - 1].name) {
            result.error = "member stored twice: " + members[i].name;
            return result;
        }
    }
    if (members.size() > size_t(kMaxMembers)) {
        result.error = "more than 100000 members";
        return result;
    }

    std::vector<Prepared> prepared;
    prepared.reserve(members.size());
    size_t tableSize = 0;
    for (const MemberInput& m : members) {
        prepared.push_back(prepare(m, options));
        tableSize += kEntryFixedSize + m.name.size();
    }

    // Member data starts right after the table; each member is followed by
    // its repair record.
    uint64_t offset = kHeaderSize + tableSize;
    std::vector<uint32_t> offsets;
    for (const Prepared& p : prepared) {
        offsets.push_back(uint32_t(offset));
        size_t blocks = (p.stored().size() + kBlockSize - 1) / kBlockSize;
        offset += p.stored().size() + 8 + (options.repairData ? blocks * 2 + kBlockSize : 0);
    }
    if (offset > UINT32_MAX) {
        result.error = "archive larger than 4 GiB";
        return result;
    }

    ByteWriter out;
    out.bytes(kMagic, sizeof kMagic);
    out.u32(options.version);
    out.i32(int32_t(members.size()));
    out.u32(uint32_t(tableSize));
    out.zeros(16);
    for (size_t i = 0; i < prepared.size(); ++i) {
        const Prepared& p = prepared[i];
        const std::string& name = p.input->name;
        out.u32(nameHash(name));
        out.u8(encodeNameLength(name.size()));
        for (char c : name) out.u8(uint8_t(c) ^ 0xFF);
        out.u8(uint8_t(fileTypeFromName(name)));
        out.u8(p.storage);
        out.u32(uint32_t(p.input->bytes.size()));
        out.u32(uint32_t(p.stored().size()));
        out.u32(offsets[i]);
        out.u32(adler32Of(p.stored().data(), p.stored().size()));
    }
    for (const Prepared& p : prepared) {
        out.bytes(p.stored().data(), p.stored().size());
        writeRepairRecord(out, p.stored(), options.repairData);
    }
    result.bytes = out.take();
    return result;
}

}  // namespace vr::pack
