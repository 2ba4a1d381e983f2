#include "save/save_item.h"

#include <zlib.h>

#include <bit>
#include <cstring>

#include "common/memory.h"
#include "common/sjis.h"
#include "common/bytes.h"
#include "save/save_errors.h"

namespace vr {

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
    storeLe32(item.data() + 4, uint32_t(produced));
    storeLe32(item.data() + 8, uint32_t(payload.size()));
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
    ByteWriter out;
    out.u32(v.type);
    out.u32(uint32_t(v.dimensions.size()));
    for (uint32_t d : v.dimensions) out.u32(d);
    if (v.type == 1 || v.type == 2) {
        out.u32(uint32_t(v.integers.size() * 8));
        if constexpr (std::endian::native == std::endian::little) {
            out.bytes(v.integers.data(), v.integers.size() * 8);
        } else {
            for (int64_t value : v.integers) out.i64(value);
        }
    } else if (v.type == 3) {
        size_t bytes = 0;
        for (const std::string& s : v.strings) bytes += 4 + s.size();
        out.u32(uint32_t(bytes));
        for (const std::string& s : v.strings) {
            out.u32(uint32_t(s.size()));
            out.bytes(s);
        }
    }
    return out.take();
}

int decodeSavedVariable(std::span<const uint8_t> payload, SavedVariable& out) {
    ByteReader r(payload.data(), payload.size());
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
    if (bytes != r.remaining()) return save_error::kInternal;
    if (v.type != 3) {
        if (bytes % 8 != 0) return save_error::kInternal;
        // Whole arrays store every element, single ones exactly one.
        if (bytes / 8 != (count == 0 ? 1 : elements)) return save_error::kInternal;
        v.integers.resize(bytes / 8);
        if constexpr (std::endian::native == std::endian::little) {
            r.bytes(v.integers.data(), bytes);
        } else {
            for (int64_t& value : v.integers) value = r.i64();
        }
    } else {
        uint64_t want = count == 0 ? 1 : elements;
        while (r.remaining() > 0) {
            if (v.strings.size() == want) return save_error::kInternal;
            std::string_view text = r.view(r.u32());
            if (!r.ok()) return save_error::kInternal;
            v.strings.emplace_back(text);
        }
        if (v.strings.size() != want) return save_error::kInternal;
    }
    out = std::move(v);
    return 0;
}

std::vector<uint8_t> encodeSavedImage(const SavedImage& image) {
    ByteWriter w;
    w.u32(kImageDescriptorSize);
    w.u32(uint32_t(image.pixels.size()));
    w.bytes(image.descriptor.data(), std::min<size_t>(image.descriptor.size(), kImageDescriptorSize));
    w.zeros(kImagePixelsOffset - w.size());
    w.patchU32(kImageWidthOffset, image.width);
    w.patchU32(kImageHeightOffset, image.height);
    w.bytes(image.pixels.data(), image.pixels.size());
    return w.take();
}

int decodeSavedImage(std::span<const uint8_t> payload, SavedImage& out) {
    ByteReader r(payload.data(), payload.size());
    if (r.u32() != kImageDescriptorSize || !r.ok()) return save_error::kBadDescriptor;
    uint32_t pixelBytes = r.u32();
    std::span<const uint8_t> descriptor = r.span(kImageDescriptorSize);
    if (!r.ok()) return save_error::kInternal;
    uint32_t width = loadLe32(payload.data() + kImageWidthOffset);
    uint32_t height = loadLe32(payload.data() + kImageHeightOffset);
    if (width == 0 || height == 0 || width > kMaxImageSide || height > kMaxImageSide) return save_error::kInternal;
    if (uint64_t(width) * 4 * height != pixelBytes || r.remaining() != pixelBytes) return save_error::kInternal;
    SavedImage image;
    image.width = width;
    image.height = height;
    image.descriptor.assign(descriptor.begin(), descriptor.end());
    std::span<const uint8_t> pixels = r.span(pixelBytes);
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
