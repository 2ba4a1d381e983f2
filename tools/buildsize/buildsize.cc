// vrbuildsize FILE: records an executable's own size inside it.
//
// The runtime finds data appended to its executable (a pack archive, the
// screen-saver mark) just past its built size, so the size must be known to
// the program itself.  The linker cannot know it; this step runs after
// linking and writes the file's size into the 4-byte section
// ".vr_built_size" of the ELF image.  The file's size does not change.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "elf_section.h"

namespace {

int fail(const std::string& what, const char* file) {
    std::fprintf(stderr, "vrbuildsize: %s: %s\n", file, what.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: vrbuildsize EXECUTABLE\n");
        return 2;
    }
    const char* file = argv[1];
    std::vector<uint8_t> image;
    {
        std::ifstream in(file, std::ios::binary);
        if (!in) return fail("cannot open", file);
        image.assign(std::istreambuf_iterator<char>(in), {});
    }
    vr::tools::ElfSection section;
    vr::tools::ElfLookup found = vr::tools::findElfSection(image.data(), image.size(), vr::tools::kBuiltSizeSection, section);
    if (found != vr::tools::ElfLookup::Found) return fail(vr::tools::describeElfLookup(found, vr::tools::kBuiltSizeSection), file);
    if (section.size < 4) return fail("section too small", file);
    if (image.size() > UINT32_MAX) return fail("file too large", file);
    uint32_t size = uint32_t(image.size());
    uint8_t bytes[4] = {uint8_t(size), uint8_t(size >> 8), uint8_t(size >> 16), uint8_t(size >> 24)};
    std::fstream out(file, std::ios::binary | std::ios::in | std::ios::out);
    if (!out) return fail("cannot write", file);
    out.seekp(std::streamoff(section.offset));
    out.write(reinterpret_cast<const char*>(bytes), 4);
    return out ? 0 : fail("cannot write", file);
}
