// vrbuildsize FILE: records an executable's own size inside it.
//
// The runtime finds data appended to its executable (a pack archive, the
// screen-saver mark) just past its built size, so the size must be known to
// the program itself.  The linker cannot know it; this step runs after
// linking and writes the file's size into the 4-byte section
// ".vr_built_size" of the ELF image.  The file's size does not change.
#include <elf.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

int fail(const char* what, const char* file) {
    std::fprintf(stderr, "vrbuildsize: %s: %s\n", file, what);
    return 1;
}

template <typename T>
bool readAt(const std::vector<uint8_t>& image, uint64_t offset, T& out) {
    if (offset > image.size() || sizeof(T) > image.size() - offset) return false;
    std::memcpy(&out, image.data() + offset, sizeof(T));
    return true;
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
    Elf64_Ehdr eh;
    if (!readAt(image, 0, eh) || std::memcmp(eh.e_ident, ELFMAG, SELFMAG) != 0 || eh.e_ident[EI_CLASS] != ELFCLASS64)
        return fail("not a 64-bit ELF file", file);
    Elf64_Shdr names;
    if (!readAt(image, eh.e_shoff + uint64_t(eh.e_shstrndx) * sizeof(Elf64_Shdr), names))
        return fail("damaged section table", file);
    for (unsigned i = 0; i < eh.e_shnum; ++i) {
        Elf64_Shdr sh;
        if (!readAt(image, eh.e_shoff + uint64_t(i) * sizeof(Elf64_Shdr), sh)) return fail("damaged section table", file);
        uint64_t nameAt = names.sh_offset + sh.sh_name;
        if (nameAt >= image.size()) continue;
        const char* name = reinterpret_cast<const char*>(image.data() + nameAt);
        if (std::strncmp(name, ".vr_built_size", image.size() - nameAt) != 0) continue;
        if (sh.sh_size < 4 || sh.sh_offset + 4 > image.size()) return fail("section too small", file);
        if (image.size() > UINT32_MAX) return fail("file too large", file);
        uint32_t size = uint32_t(image.size());
        uint8_t bytes[4] = {uint8_t(size), uint8_t(size >> 8), uint8_t(size >> 16), uint8_t(size >> 24)};
        std::fstream out(file, std::ios::binary | std::ios::in | std::ios::out);
        if (!out) return fail("cannot write", file);
        out.seekp(std::streamoff(sh.sh_offset));
        out.write(reinterpret_cast<const char*>(bytes), 4);
        return out ? 0 : fail("cannot write", file);
    }
    return fail("no .vr_built_size section", file);
}
