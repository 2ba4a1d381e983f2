// Arbitrary bytes as a pack archive image: header, entry table and, for each
// entry whose fields hold together, its stored bytes, repair record, repair
// and inflation, read the way the engine's member reader does.  vrpack's own
// reading of the same image runs alongside and must agree with it.
//
// The table and the stored bytes are copied into blocks of their exact size,
// so a read past either is caught as well as a read past the input.

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "archive_image.h"
#include "core/archive/pack_format.h"
#include "core/archive/pack_repair.h"
#include "member_check.h"
#include "names.h"

namespace {

namespace pack = vr::pack;

void require(bool condition) {
    if (!condition) std::abort();
}

// What the engine would hand out for a member: the unpacked bytes, or
// nothing when it cannot read the member whole.
bool engineReading(const uint8_t* data, size_t size, const pack::Entry& e, std::vector<uint8_t>& unpacked) {
    std::vector<uint8_t> stored(data + e.offset, data + e.offset + e.storedSize);
    size_t end = size_t(e.offset) + e.storedSize;
    pack::RepairRecord record;
    bool haveRecord = pack::parseRepairRecord(data + end, size - end, e.storedSize, record);

    std::vector<uint8_t> copy = stored;
    pack::RepairResult r = haveRecord ? pack::repairMember(copy.data(), copy.size(), e.checksum, record)
                                      : (pack::adler32Of(copy.data(), copy.size()) == e.checksum
                                             ? pack::RepairResult::Intact
                                             : pack::RepairResult::Unrepairable);
    if (r == pack::RepairResult::Unrepairable) {
        require(copy == stored);  // left as given
        return false;
    }
    require(pack::adler32Of(copy.data(), copy.size()) == e.checksum);

    if (e.storage == pack::kStored) {
        unpacked = std::move(copy);
        return true;
    }
    std::unique_ptr<uint8_t[]> block(new uint8_t[e.unpackedSize ? e.unpackedSize : 1]);
    uLongf produced = e.unpackedSize;
    int z = uncompress(block.get(), &produced, copy.data(), uLong(copy.size()));
    if (z != Z_OK || produced != e.unpackedSize) return false;
    unpacked.assign(block.get(), block.get() + produced);
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    pack::Header h;
    if (pack::parseHeader(data, size, h) != pack::HeaderStatus::Ok) return 0;
    if (h.tableSize > size - pack::kHeaderSize) return 0;
    std::vector<uint8_t> table(data + pack::kHeaderSize, data + pack::kHeaderSize + h.tableSize);
    std::vector<pack::Entry> entries;
    bool parsed = pack::parseEntryTable(table.data(), table.size(), h.entryCount, uint32_t(pack::kHeaderSize), entries);

    vrpack::ArchiveImage image;
    image.bytes.assign(data, data + size);
    bool toolParsed = vrpack::parseArchive(image).empty();
    if (toolParsed) require(parsed && image.entries.size() == entries.size());
    if (!parsed) return 0;

    for (size_t i = 0; i < entries.size(); ++i) {
        const pack::Entry& e = entries[i];
        require(e.position >= pack::kHeaderSize && e.dataPosition() + 17 <= pack::kHeaderSize + h.tableSize);
        std::vector<std::string> components;
        if (!vrpack::memberPath(e.name, components))
            for (const std::string& c : components) require(!c.empty() && c != "." && c != "..");
        vrpack::displayName(e.name);

        bool readable = pack::memberProblem(e, size) == nullptr;
        std::vector<uint8_t> expected;
        bool engineOk = readable && engineReading(data, size, e, expected);

        std::vector<uint8_t> got;
        vrpack::MemberCheck c = vrpack::checkMember(
            data, size, e, [&](const uint8_t* bytes, size_t n) { got.insert(got.end(), bytes, bytes + n); });
        require(got.size() <= e.unpackedSize);
        if (!readable) require(c.state == vrpack::MemberState::Unreadable);
        bool toolOk = c.state == vrpack::MemberState::Intact || c.state == vrpack::MemberState::Repaired;
        require(toolOk == engineOk);
        if (toolOk) require(got == expected);
    }
    return 0;
}
