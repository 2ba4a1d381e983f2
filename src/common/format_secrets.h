// Values the file formats leave to us, shared by the runtime and the tools.
// Changing any of them makes existing compiled games unreadable.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace vr::secrets {

// The script key is the name hash of this text, most significant byte first.
// The text is "virelo script key: " and 春の終わりに in Shift_JIS, spelt
// as bytes so that no compiler's character set can change the key.
inline constexpr char kScriptKeyText[] =
    "virelo script key: \x8f\x74\x82\xcc\x8f\x49\x82\xed\x82\xe8\x82\xc9";

std::array<uint8_t, 4> scriptKey();

// Signatures of the compiled engine files (bytes 0 to 3 of each).  The
// runtime does not check them; the tools write them so that files can be told
// apart by eye and by `file`.
inline constexpr char kSigErrorMessages[4] = {'V', 'R', 'E', '1'};
inline constexpr char kSigCommands[4] = {'V', 'R', 'C', '1'};
inline constexpr char kSigVariableTable[4] = {'V', 'R', 'T', '1'};
inline constexpr char kSigScriptList[4] = {'V', 'R', 'S', '1'};
inline constexpr char kSigVariables[4] = {'V', 'R', 'V', '1'};
inline constexpr char kSigLabels[4] = {'V', 'R', 'L', '1'};
inline constexpr char kSigConfig[4] = {'V', 'R', 'G', '1'};
inline constexpr char kSigScript[4] = {'V', 'R', 'B', '1'};
// Bytes 0 to 3 of a packed image file (not checked by the reader either).
inline constexpr char kSigPackedImages[4] = {'V', 'R', 'P', 'I'};

// The name-length table of pack entries: a byte permutation that is its own
// inverse, made from the identity by exchanging the pairs (i, i ^ 0xA5).
// A packer stores a name length n as 255 - P[n]; a reader takes P[255 - b].
inline constexpr uint8_t kNameLengthPairing = 0xA5;

constexpr std::array<uint8_t, 256> nameLengthTable() {
    std::array<uint8_t, 256> p{};
    for (int i = 0; i < 256; ++i) p[size_t(i)] = uint8_t(i ^ kNameLengthPairing);
    return p;
}

// The scrambling cycle of packed image files: byte i of every picture is
// stored XORed with kPackedImageCycle[i % 16].  The same operation undoes it.
inline constexpr std::array<uint8_t, 16> kPackedImageCycle = {0x5C, 0xE1, 0x37, 0x9A, 0x04, 0xB8, 0x6D, 0xF2,
                                                              0x29, 0x83, 0xC6, 0x1F, 0x74, 0xAD, 0x50, 0x3B};

// The version every compiled engine file carries; vrt.vbn must hold it.
inline constexpr uint32_t kEngineVersion = 412;

}  // namespace vr::secrets
