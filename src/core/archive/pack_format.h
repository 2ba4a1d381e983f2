// The pack archive format: header, entry table and repair records, read and
// checked without the engine, so that the runtime's index, the member reader
// and the vrpack tool share one reading of every field.
//
// Archive: "VPF\0", version, entry count, entry table size, 16 reserved
// bytes, the entry table, then each member's stored bytes followed by its
// repair record.  Offsets are from the archive's start (which, for an archive
// appended to the executable, is not the file's start).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vr::pack {

inline constexpr char kMagic[4] = {'V', 'P', 'F', '\0'};
inline constexpr uint32_t kOldestVersion = 234;
inline constexpr size_t kHeaderSize = 32;
inline constexpr size_t kEntryFixedSize = 23;  // an entry without its name
inline constexpr size_t kBlockSize = 1024;      // repair block and parity length
inline constexpr int kMaxArchives = 100;
inline constexpr int kMaxMembers = 100000;
// zlib never expands more than about 1032 to 1; a member claiming more is
// damaged or hostile and is refused before anything is allocated for it.
inline constexpr uint64_t kMaxInflateRatio = 1032;

enum Storage : uint8_t { kStored = 0, kCompressed = 1 };

struct Header {
    uint32_t version = 0;
    int32_t entryCount = 0;
    uint32_t tableSize = 0;
};

enum class HeaderStatus { Ok, NotAnArchive, Short };
HeaderStatus parseHeader(const uint8_t* bytes, size_t size, Header& header);

struct Entry {
    uint32_t hash = 0;       // CRC-32 of the clear name
    uint32_t position = 0;   // the encoded-length byte, from the archive's start
    std::string name;        // decoded: lower case, '\\' separators
    uint8_t type = 0;        // FileType code
    uint8_t storage = 0;
    uint32_t unpackedSize = 0;
    uint32_t storedSize = 0;
    uint32_t offset = 0;     // of the stored bytes
    uint32_t checksum = 0;   // Adler-32 of the stored bytes

    // Where the storage byte lies, the loader's data position.
    uint32_t dataPosition() const { return position + 1 + uint32_t(name.size()) + 1; }
};

// The name-length byte codes.
uint8_t encodeNameLength(size_t length);
size_t decodeNameLength(uint8_t stored);

// Decodes the name at an entry's encoded-length byte; false when it runs past
// the bytes given.
bool decodeName(const uint8_t* at, size_t available, std::string& name);

// Walks `count` entries of a table; false when an entry runs past the table.
// `tableOffset` is where the table lies in the archive (positions are
// archive offsets).
bool parseEntryTable(const uint8_t* table, size_t tableSize, int32_t count, uint32_t tableOffset,
                     std::vector<Entry>& entries);

// Reads the fields that follow the type byte (storage, sizes, offset,
// checksum) from the data position.
bool parseMemberFields(const uint8_t* at, size_t available, Entry& entry);

// Why a member cannot be read as it stands, or nullptr when its fields are
// consistent with an archive of `archiveSize` bytes: the storage is known,
// the stored bytes lie inside the archive, a stored member's sizes agree and
// a compressed one does not claim more than zlib can produce.
const char* memberProblem(const Entry& entry, uint64_t archiveSize);

// The largest unpacked size accepted for a member of a file type: images are
// bounded by the decoders' 8192 x 8192 limit.
uint64_t unpackedLimit(uint8_t type);

// The member name an archive stores for a path: ASCII lower case, '\\'.
std::string memberName(std::string_view path);

// 1 to 9 for the update archives "update1.vpf" to "update9.vpf" (the file
// name already lowered), which are read after all others; else 0.
int updateArchiveSlot(std::string_view fileName);

// The repair record after a member's stored bytes.
struct RepairRecord {
    uint32_t parityLength = 0;  // 0 = none
    uint32_t blockCount = 0;
    std::vector<uint16_t> checks;  // low 16 bits of each block's CRC-32
    std::vector<uint8_t> parity;
};

// Parses a repair record; false when it runs past the bytes given or its
// sizes do not fit a member of `storedSize` bytes.
bool parseRepairRecord(const uint8_t* at, size_t available, uint32_t storedSize, RepairRecord& record);
// Size of a record in the file: 8 + 2K + R.
size_t repairRecordSize(const RepairRecord& record);

}  // namespace vr::pack
