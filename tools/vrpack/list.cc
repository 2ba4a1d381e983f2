// vrpack list ARCHIVE
#include <cstdio>

#include "archive_image.h"
#include "commands.h"
#include "names.h"

namespace vrpack {

int runList(const Options& o) {
    ArchiveImage image = readArchive(o.files[0]);
    for (const vr::pack::Entry& e : image.entries) {
        std::printf("%s\t%s\t%s\t%u\t%u\n", displayName(e.name).c_str(), fileTypeWord(e.type).c_str(),
                    storageWord(e.storage).c_str(), unsigned(e.unpackedSize), unsigned(e.storedSize));
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace vrpack
