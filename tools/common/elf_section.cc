#include "elf_section.h"

#include <elf.h>

#include <cstring>

namespace vr::tools {

namespace {

template <typename T>
bool readAt(const uint8_t* image, size_t size, uint64_t offset, T& out) {
    if (offset > size || sizeof(T) > size - offset) return false;
    std::memcpy(&out, image + offset, sizeof(T));
    return true;
}

bool inside(size_t size, uint64_t offset, uint64_t length) { return offset <= size && length <= size - offset; }

}  // namespace

ElfLookup findElfSection(const uint8_t* image, size_t size, std::string_view name, ElfSection& section) {
    Elf64_Ehdr eh;
    if (!readAt(image, size, 0, eh) || std::memcmp(eh.e_ident, ELFMAG, SELFMAG) != 0 ||
        eh.e_ident[EI_CLASS] != ELFCLASS64 || eh.e_ident[EI_DATA] != ELFDATA2LSB)
        return ElfLookup::NotElf;
    if (eh.e_shoff == 0) return ElfLookup::Missing;
    if (eh.e_shentsize != sizeof(Elf64_Shdr)) return ElfLookup::Damaged;

    // Section 0 holds the true count and string table index when they do
    // not fit the header's 16-bit fields.
    Elf64_Shdr first;
    if (!readAt(image, size, eh.e_shoff, first)) return ElfLookup::Damaged;
    uint64_t count = eh.e_shnum != 0 ? eh.e_shnum : first.sh_size;
    uint64_t namesIndex = eh.e_shstrndx != SHN_XINDEX ? eh.e_shstrndx : first.sh_link;
    if (count > (size - eh.e_shoff) / sizeof(Elf64_Shdr) || namesIndex >= count) return ElfLookup::Damaged;

    Elf64_Shdr names;
    readAt(image, size, eh.e_shoff + namesIndex * sizeof(Elf64_Shdr), names);
    if (!inside(size, names.sh_offset, names.sh_size)) return ElfLookup::Damaged;
    std::string_view table(reinterpret_cast<const char*>(image + names.sh_offset), names.sh_size);

    for (uint64_t i = 0; i < count; ++i) {
        Elf64_Shdr sh;
        readAt(image, size, eh.e_shoff + i * sizeof(Elf64_Shdr), sh);
        if (sh.sh_name >= table.size()) continue;
        std::string_view rest = table.substr(sh.sh_name);
        size_t end = rest.find('\0');
        if (end == std::string_view::npos || rest.substr(0, end) != name) continue;
        if (sh.sh_type == SHT_NOBITS) return ElfLookup::NoFileBytes;
        if (!inside(size, sh.sh_offset, sh.sh_size)) return ElfLookup::Damaged;
        section = {sh.sh_offset, sh.sh_size};
        return ElfLookup::Found;
    }
    return ElfLookup::Missing;
}

std::string describeElfLookup(ElfLookup result, std::string_view name) {
    switch (result) {
    case ElfLookup::Found: return "found";
    case ElfLookup::NotElf: return "not a 64-bit little-endian ELF file";
    case ElfLookup::Damaged: return "damaged ELF section table";
    case ElfLookup::Missing: return "no " + std::string(name) + " section";
    case ElfLookup::NoFileBytes: return "the " + std::string(name) + " section has no bytes in the file";
    }
    return "unknown ELF lookup result";
}

}  // namespace vr::tools
