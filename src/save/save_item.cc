#include "save/save_item.h"

#include <zlib.h>

#include <bit>
#include <cstring>

#include "common/memory.h"
#include "common/sjis.h"
#include "save/byte_io.h"
#include "save/save_errors.h"

namespace vr {

using save_bytes::putU32;
using save_bytes::Reader;
using save_bytes::setU32;

bool packSaveItem(SaveItemKind kind, std::span<const uint8_t> payload, size_t room,
                  std::vector<uint8_t>& item, bool* memoryShort) {
    if (memoryShort) *memoryShort = false;
    // Never less room than zlib may need: a payload that does not shrink
    // would otherwise fail to save for want of a few bytes.
    uLong bound = compressBound(uLong(payload.size()));
    if (room < bound) room = bound;
    item.assign(kSaveItemHeaderSize + room, 0);
    uLongf produced = uLongf(room);
    int z = compress2(item.data() + kSaveItemHeaderSize, &produced, payload.data(), uLong(payload.size()), 1);
    if (z != Z_OK) {
        if (memoryShort) *memoryShort = z == Z_MEM_ERROR;
        item.clear();
        return false;
    }
    item.resize(kSaveItemHeaderSize + produced);
    item[0] = uint8_t(kind);
    item[1] = 1;
    setU32(item, 4, uint32_t(produced));
    setU32(item, 8, uint32_t(payload.size()));
    return true;
}

int unpackSavePayload(const SaveItemHeader& header, std::span<const uint8_t> compressed,
                      std::vector<uint8_t>& payload) {
    if (compressed.size() != header.compressedSize) return save_error::kLoadErrorBox;
    // Deflate cannot expand a byte into more than 1032 (a run of 258 bytes
    // costs at least two bits), and no payload is larger than the largest
    // picture: a raw size beyond either is damage, not a reason to ask for
    // gigabytes.
    constexpr uint64_t kLargestPayload = uint64_t(kImagePixelsOffset) + uint64_t(kMaxImageSide) * kMaxImageSide * 4;
    if (header.rawSize > kLargestPayload || header.rawSize > uint64_t(header.compressedSize) * 1032 + 64)
        return save_error::kLoadErrorBox;
    payload.clear();
    if (!tryResize(payload, header.rawSize)) return save_error::kLoadMemoryBox;
    uLongf produced = uLongf(header.rawSize);
    int z = uncompress(payload.data(), &produced, compressed.data(), uLong(compressed.size()));
    // A payload shorter than its header says is damage too.
    if (z != Z_OK || produced != header.rawSize) {
        payload.clear();
        return save_error::kLoadErrorBox;
    }
    return 0;
}

std::vector<uint8_t> encodeSavedVariable(const SavedVariable& v) {
    std::vector<uint8_t> out;
    putU32(out, v.type);
    putU32(out, uint32_t(v.dimensions.size()));
    for (uint32_t d : v.dimensions) putU32(out, d);
    if (v.type == 1 || v.type == 2) {
        putU32(out, uint32_t(v.integers.size() * 8));
        size_t at = out.size();
        out.resize(at + v.integers.size() * 8);
        if constexpr (std::endian::native == std::endian::little) {
            std::memcpy(out.data() + at, v.integers.data(), v.integers.size() * 8);
        } else {
            for (size_t i = 0; i < v.integers.size(); ++i) {
                uint64_t bits = uint64_t(v.integers[i]);
                for (int b = 0; b < 8; ++b) out[at + i * 8 + size_t(b)] = uint8_t(bits >> (8 * b));
            }
        }
    } else if (v.type == 3) {
        size_t bytes = 0;
        for (const std::string& s : v.strings) bytes += 4 + s.size();
        putU32(out, uint32_t(bytes));
        for (const std::string& s : v.strings) {
            putU32(out, uint32_t(s.size()));
            out.insert(out.end(), s.begin(), s.end());
        }
    }
    return out;
}

int decodeSavedVariable(std::span<const uint8_t> payload, SavedVariable& out) {
    Reader r(payload);
    SavedVariable v;
    v.type = r.u32();
    uint32_t count = r.u32();
    if (!r.ok() || v.type < 1 || v.type > 3 || count > 8) return save_error::kInternal;
    uint64_t elements = 1;
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t d = r.u32();
        v.dimensions.push_back(d);
        elements *= d;
        if (elements > kMaxStoredBytes) return save_error::kTooLarge;
    }
    uint32_t bytes = r.u32();
    if (!r.ok()) return save_error::kInternal;
    if (bytes > kMaxStoredBytes) return save_error::kTooLarge;
    if (bytes != r.left()) return save_error::kInternal;
    if (v.type != 3) {
        if (bytes % 8 != 0) return save_error::kInternal;
        // Whole arrays store every element, single ones exactly one.
        if (bytes / 8 != (count == 0 ? 1 : elements)) return save_error::kInternal;
        std::span<const uint8_t> data = r.bytes(bytes);
        v.integers.resize(bytes / 8);
        if constexpr (std::endian::native == std::endian::little) {
            std::memcpy(v.integers.data(), data.data(), bytes);
        } else {
            for (size_t i = 0; i < v.integers.size(); ++i) {
                uint64_t bits = 0;
                for (int b = 0; b < 8; ++b) bits |= uint64_t(data[i * 8 + size_t(b)]) << (8 * b);
                v.integers[i] = int64_t(bits);
            }
        }
    } else {
        uint64_t want = count == 0 ? 1 : elements;
        while (r.left() > 0) {
            if (v.strings.size() == want) return save_error::kInternal;
            uint32_t length = r.u32();
            std::span<const uint8_t> text = r.bytes(length);
            if (!r.ok()) return save_error::kInternal;
            v.strings.emplace_back(reinterpret_cast<const char*>(text.data()), text.size());
        }
        if (v.strings.size() != want) return save_error::kInternal;
    }
    out = std::move(v);
    return 0;
}

std::vector<uint8_t> encodeSavedImage(const SavedImage& image) {
    std::vector<uint8_t> out;
    putU32(out, kImageDescriptorSize);
    putU32(out, uint32_t(image.pixels.size()));
    out.resize(kImagePixelsOffset, 0);
    std::memcpy(out.data() + 8, image.descriptor.data(),
                std::min<size_t>(image.descriptor.size(), kImageDescriptorSize));
    setU32(out, kImageWidthOffset, image.width);
    setU32(out, kImageHeightOffset, image.height);
    out.insert(out.end(), image.pixels.begin(), image.pixels.end());
    return out;
}

int decodeSavedImage(std::span<const uint8_t> payload, SavedImage& out) {
    Reader r(payload);
    if (r.u32() != kImageDescriptorSize || !r.ok()) return save_error::kBadDescriptor;
    uint32_t pixelBytes = r.u32();
    std::span<const uint8_t> descriptor = r.bytes(kImageDescriptorSize);
    if (!r.ok()) return save_error::kInternal;
    uint32_t width = save_bytes::getU32(payload.data() + kImageWidthOffset);
    uint32_t height = save_bytes::getU32(payload.data() + kImageHeightOffset);
    if (width == 0 || height == 0 || width > kMaxImageSide || height > kMaxImageSide) return save_error::kInternal;
    if (uint64_t(width) * 4 * height != pixelBytes || r.left() != pixelBytes) return save_error::kInternal;
    SavedImage image;
    image.width = width;
    image.height = height;
    image.descriptor.assign(descriptor.begin(), descriptor.end());
    std::span<const uint8_t> pixels = r.bytes(pixelBytes);
    image.pixels.assign(pixels.begin(), pixels.end());
    out = std::move(image);
    return 0;
}

int saveFileName(std::string_view given, std::string& name) {
    if (given.size() > kMaxSaveNameBytes) return save_error::kNameTooLong;
    std::string n = sjis::normaliseFileName(given);
    // The trail byte of a double-byte character may be 0x5C; it names no folder.
    for (size_t i = 0; i < n.size(); i += sjis::charLength(n, i)) {
        if (n[i] == '\\') return save_error::kNameHasFolder;
    }
    if (!sjis::endsWithNoCase(n, ".sd")) n += ".sd";
    name = std::move(n);
    return 0;
}

}  // namespace vr
