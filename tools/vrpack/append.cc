// vrpack append EXE ARCHIVE OUT [--screensaver]
//
// A single-file game: the runtime's own bytes up to its built size, then the
// 12-byte mark "VRER", the archive's distance from the mark and the
// screen-saver flag, then the archive.  The runtime reads its built size from
// its ".vr_built_size" section and looks for the mark there, so whatever an
// executable carried past that size before is replaced.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "archive_image.h"
#include "commands.h"
#include "common/bytes.h"
#include "elf_section.h"
#include "failure.h"
#include "files.h"

namespace vrpack {

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kMarkSize = 12;

uint32_t builtSizeOf(const std::string& path, const std::vector<uint8_t>& exe) {
    vr::tools::ElfSection section;
    vr::tools::ElfLookup found = vr::tools::findElfSection(exe.data(), exe.size(), vr::tools::kBuiltSizeSection, section);
    if (found != vr::tools::ElfLookup::Found)
        throw Failure{path, vr::tools::describeElfLookup(found, vr::tools::kBuiltSizeSection) +
                                "; not a runtime executable"};
    if (section.size < 4) throw Failure{path, "the built size section is too small"};
    const uint8_t* at = exe.data() + section.offset;
    uint32_t size = vr::loadLe32(at);
    if (size == 0)
        throw Failure{path, "its built size was never recorded (vrbuildsize runs after linking); not a runtime executable"};
    if (size > exe.size() || section.offset + 4 > size)
        throw Failure{path, "its built size (" + std::to_string(size) + " bytes) does not fit the file"};
    return size;
}

void putU32(uint8_t* at, uint32_t v) {
    for (int i = 0; i < 4; ++i) at[i] = uint8_t(v >> (8 * i));
}

}  // namespace

int runAppend(const Options& o) {
    const std::string& exePath = o.files[0];
    const std::string& archivePath = o.files[1];
    std::vector<uint8_t> exe = readWholeFile(exePath, UINT64_MAX);
    uint32_t builtSize = builtSizeOf(exePath, exe);
    // Checked as an archive so that a mistaken argument order fails here
    // and not when the game starts.
    ArchiveImage archive = readArchive(archivePath);

    uint8_t mark[kMarkSize] = {'V', 'R', 'E', 'R'};
    putU32(mark + 4, kMarkSize);
    putU32(mark + 8, o.screenSaver ? 1 : 0);

    fs::perms permissions = fs::status(exePath).permissions();
    AtomicFile out(o.files[2]);
    out.write(exe.data(), builtSize);
    out.write(mark, sizeof mark);
    out.write(archive.bytes.data(), archive.bytes.size());
    out.commit(permissions);
    return 0;
}

}  // namespace vrpack
