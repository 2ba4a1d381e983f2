// Save items as bytes: the 12-byte item header with its compressed payload,
// the payload of a variable and of an image object, and the save file name.
// Pure functions over byte vectors; the commands put them to work.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/image_limits.h"

namespace vr {

enum class SaveItemKind : uint8_t { Variable = 0, Image = 1 };

constexpr size_t kSaveItemHeaderSize = 12;
constexpr uint32_t kImageDescriptorSize = 992;
constexpr uint32_t kImagePixelsOffset = 8 + kImageDescriptorSize;
constexpr uint32_t kImageWidthOffset = 8 + 600;
constexpr uint32_t kImageHeightOffset = 8 + 604;
constexpr uint32_t kMaxStoredBytes = 40000000;
constexpr size_t kMaxSaveNameBytes = 32;

// Compresses the payload (zlib level 1, given `room` bytes for the result)
// behind the item header.  False when zlib fails; `memoryShort` tells the
// one failure the player is told about.
bool packSaveItem(SaveItemKind kind, std::span<const uint8_t> payload, size_t room,
                  std::vector<uint8_t>& item, bool* memoryShort = nullptr);

// The header of a stored item.
struct SaveItemHeader {
    uint8_t kind = 0;
    uint32_t compressedSize = 0;
    uint32_t rawSize = 0;
};

// Decompresses a payload of exactly the raw size; 0, or a save_error code.
int unpackSavePayload(const SaveItemHeader& header, std::span<const uint8_t> compressed,
                      std::vector<uint8_t>& payload);

// A variable payload, or the part of one a load needs.
struct SavedVariable {
    uint32_t type = 0;                 // 1 integer, 2 float, 3 string
    std::vector<uint32_t> dimensions;  // empty: a single element
    std::vector<int64_t> integers;     // integers, and floats by their bits
    std::vector<std::string> strings;
};

std::vector<uint8_t> encodeSavedVariable(const SavedVariable& v);
// Checks and reads a payload: a type outside 1..3, more than 8 dimensions,
// or a byte count or string length that does not fit the payload is 900000,
// a byte count above 40000000 108070.  0, or the code.
int decodeSavedVariable(std::span<const uint8_t> payload, SavedVariable& out);

// An image object's pixels (blue, green, red, alpha, rows top-down) and its
// descriptor block of the object's attributes.
struct SavedImage {
    uint32_t width = 0, height = 0;
    std::vector<uint8_t> descriptor;  // kImageDescriptorSize bytes
    std::vector<uint8_t> pixels;      // width * 4 * height
};

// The descriptor's width and height are set from the image.
std::vector<uint8_t> encodeSavedImage(const SavedImage& image);
// A payload not starting with 992 is 108110; a side of 0 or above 8192, or
// a pixel count other than width * 4 * height or the payload's rest, 900000.
int decodeSavedImage(std::span<const uint8_t> payload, SavedImage& out);

// The name a script gives turned into the file's name below the save
// folder ("slot1" and "SLOT1.sd" are both "slot1.sd").  0, 102160 for more
// than 32 bytes, 102150 for a folder in it ('\\', or '/' which becomes one).
int saveFileName(std::string_view given, std::string& name);

}  // namespace vr
