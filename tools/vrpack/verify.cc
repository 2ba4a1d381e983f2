// vrpack verify ARCHIVE and vrpack repair IN OUT
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "archive_image.h"
#include "common/bytes.h"
#include "core/archive/pack_repair.h"
#include "commands.h"
#include "failure.h"
#include "files.h"
#include "member_check.h"
#include "names.h"

namespace vrpack {

namespace {

void discard(const uint8_t*, size_t) {}

// "a, b, c and 4 more": a report stays one line however much is damaged.
std::string nameList(const std::vector<std::string>& names) {
    constexpr size_t kShown = 8;
    std::string text;
    for (size_t i = 0; i < names.size() && i < kShown; ++i) text += (i ? ", " : "") + names[i];
    if (names.size() > kShown) text += " and " + std::to_string(names.size() - kShown) + " more";
    return text;
}

// Writes a fresh repair record after a member's (intact) stored bytes, in
// the room up to the next member's bytes or the archive's end; false when
// the record does not fit there.
bool rebuildRecord(ArchiveImage& image, const vr::pack::Entry& e) {
    size_t start = size_t(e.offset) + e.storedSize, room = image.bytes.size();
    for (const vr::pack::Entry& other : image.entries)
        if (other.offset >= start && other.offset < room) room = other.offset;
    const uint8_t* stored = image.bytes.data() + e.offset;
    vr::pack::RepairRecord r = vr::pack::makeRepairRecord(stored, e.storedSize);
    if (room - start < vr::pack::repairRecordSize(r)) return false;
    vr::ByteWriter out;
    out.u32(r.parityLength);
    out.u32(r.blockCount);
    for (uint16_t c : r.checks) out.u16(c);
    out.bytes(r.parity.data(), r.parity.size());
    std::memcpy(image.bytes.data() + start, out.data().data(), out.data().size());
    return true;
}

}  // namespace

int runVerify(const Options& o) {
    const std::string& path = o.files[0];
    ArchiveImage image = readArchive(path);
    size_t damaged = 0, repairable = 0;
    for (const vr::pack::Entry& e : image.entries) {
        MemberCheck c = checkMember(image.bytes.data(), image.bytes.size(), e, &discard);
        if (c.state == MemberState::Intact && !c.recordDamaged) continue;
        ++damaged;
        if (c.state == MemberState::Repaired || c.state == MemberState::Intact) ++repairable;
        std::printf("%s: %s\n", displayName(e.name).c_str(), describe(c).c_str());
    }
    if (damaged == 0) {
        std::printf("%s: %zu members, all intact\n", path.c_str(), image.entries.size());
        return 0;
    }
    std::printf("%s: %zu members, %zu damaged, %zu of them can be repaired\n", path.c_str(), image.entries.size(),
                damaged, repairable);
    return 1;
}

int runRepair(const Options& o) {
    const std::string& in = o.files[0];
    ArchiveImage image = readArchive(in);
    std::vector<std::string> repaired, beyond;
    for (const vr::pack::Entry& e : image.entries) {
        MemberCheck c = checkMember(image.bytes.data(), image.bytes.size(), e, &discard);
        if (c.state == MemberState::Intact && !c.recordDamaged) continue;
        if (c.state != MemberState::Repaired && c.state != MemberState::Intact) {
            beyond.push_back(displayName(e.name));
            continue;
        }
        // The mended bytes are the ones the repair record was made from.
        if (c.state == MemberState::Repaired)
            std::memcpy(image.bytes.data() + e.offset, c.repairedBytes.data(), c.repairedBytes.size());
        if (c.recordDamaged && !rebuildRecord(image, e)) {
            beyond.push_back(displayName(e.name) + " (no room for its repair data)");
            continue;
        }
        repaired.push_back(displayName(e.name));
    }
    if (!beyond.empty()) throw Failure{in, "cannot repair " + nameList(beyond) + "; nothing written"};
    writeFileAtomically(o.files[1], image.bytes);
    for (const std::string& name : repaired) std::printf("%s: repaired\n", name.c_str());
    std::printf("%s: %zu members, %zu repaired\n", o.files[1].c_str(), image.entries.size(), repaired.size());
    return 0;
}

}  // namespace vrpack
