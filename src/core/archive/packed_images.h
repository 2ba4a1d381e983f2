// Packed image files: many JPEG pictures (each with an optional second JPEG
// that carries its alpha channel) in one file, every picture scrambled with
// the cycle of common/format_secrets.h.  The reader and the writer below
// share the one description of the layout in packed_images.cc.
//
//   0   4        signature "VRPI" (not read)
//   4   4        format version 1 (not read)
//   8   4        entry count N
//   12  4        alpha flag: 1 when every entry carries an alpha picture
//   16  4 x 3    three values the game gives the file (published to scripts)
//   28  4        0 (not read)
//   32  4 x N    offset of each entry from the start of the file
//   +4N 4 x N    length of each entry's colour picture
//   +8N 4 x N    length of each entry's alpha picture (0 without alpha)
//   then the pictures; an entry's alpha picture follows its colour picture.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vr::packed {

constexpr size_t kHeaderSize = 32;

// A file whose tables have been checked against its size: every entry's
// pictures lie inside `bytes`.
struct PackedImages {
    std::vector<uint8_t> bytes;  // the file as stored (pictures still scrambled)
    uint32_t count = 0;
    bool alpha = false;
    std::array<uint32_t, 3> values{};
};

// Takes a whole file.  Empty on success; else what is wrong with it (the
// file is then not taken): too short for its header or tables, no entries,
// or a picture reaching past the end.
std::string openPackedImages(std::vector<uint8_t> bytes, PackedImages& out);

// The unscrambled bytes of an entry's colour or alpha picture; the entry
// must be below count.
std::vector<uint8_t> packedPicture(const PackedImages& file, uint32_t entry, bool alphaPicture);

// XORs bytes with the scrambling cycle from the picture's first byte on;
// the same call scrambles and unscrambles.
void scramblePicture(uint8_t* data, size_t size);

struct PictureInput {
    std::vector<uint8_t> colour;  // a JPEG stream
    std::vector<uint8_t> alpha;   // a JPEG stream, or empty when the file has no alpha
};

// Writes a packed image file; the alpha flag is set when every picture has
// an alpha picture (a file where only some have one is refused).  Empty
// error on success.
std::vector<uint8_t> writePackedImages(const std::vector<PictureInput>& pictures,
                                       const std::array<uint32_t, 3>& values, std::string& error);

}  // namespace vr::packed
