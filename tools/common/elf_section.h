// Finding a named section in a 64-bit little-endian ELF image.
//
// vrbuildsize writes the executable's size into its ".vr_built_size"
// section and vrpack append reads it back; both walk the section table the
// same way, with every offset checked against the image, because the file
// handed to them may be anything.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vr::tools {

inline constexpr std::string_view kBuiltSizeSection = ".vr_built_size";

struct ElfSection {
    uint64_t offset = 0;  // of the section's bytes in the file
    uint64_t size = 0;
};

enum class ElfLookup { Found, NotElf, Damaged, Missing, NoFileBytes };

ElfLookup findElfSection(const uint8_t* image, size_t size, std::string_view name, ElfSection& section);

// A short text for a lookup that failed ("not a 64-bit ELF file", ...).
std::string describeElfLookup(ElfLookup result, std::string_view name);

}  // namespace vr::tools
