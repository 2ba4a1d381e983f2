// A pack archive read whole into memory, its header and entry table parsed
// and checked against the file's size.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/archive/pack_format.h"

namespace vrpack {

struct ArchiveImage {
    std::vector<uint8_t> bytes;
    vr::pack::Header header;
    std::vector<vr::pack::Entry> entries;
};

// Parses the header and entry table of `image.bytes`; returns what is wrong
// with them, or an empty text.  Member fields are not judged here: a damaged
// member does not stop the others from being listed or extracted.
std::string parseArchive(ArchiveImage& image);

// Reads and parses an archive file.  Throws Failure naming the file.
ArchiveImage readArchive(const std::string& path);

}  // namespace vrpack
