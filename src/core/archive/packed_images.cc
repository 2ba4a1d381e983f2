#include "core/archive/packed_images.h"

#include <cstring>

#include "common/bytes.h"
#include "common/format_secrets.h"

namespace vr::packed {

namespace {

constexpr uint32_t kVersion = 1;
constexpr size_t kCountAt = 8, kAlphaFlagAt = 12, kValuesAt = 16;

size_t offsetTable(uint32_t) { return kHeaderSize; }
size_t colourTable(uint32_t count) { return kHeaderSize + 4 * size_t(count); }
size_t alphaTable(uint32_t count) { return kHeaderSize + 8 * size_t(count); }
size_t tablesEnd(uint32_t count) { return kHeaderSize + 12 * size_t(count); }

uint32_t word(const std::vector<uint8_t>& b, size_t at) { return loadLe32(b.data() + at); }

void putWord(std::vector<uint8_t>& b, size_t at, uint32_t v) { storeLe32(b.data() + at, v); }

struct EntryPlace {
    uint64_t offset, colour, alpha;
};

EntryPlace place(const std::vector<uint8_t>& b, uint32_t count, uint32_t entry, bool alpha) {
    return {word(b, offsetTable(count) + 4 * size_t(entry)), word(b, colourTable(count) + 4 * size_t(entry)),
            alpha ? word(b, alphaTable(count) + 4 * size_t(entry)) : 0};
}

}  // namespace

void scramblePicture(uint8_t* data, size_t size) {
    for (size_t i = 0; i < size; ++i) data[i] ^= secrets::kPackedImageCycle[i % 16];
}

std::string openPackedImages(std::vector<uint8_t> bytes, PackedImages& out) {
    if (bytes.size() < kHeaderSize) return "shorter than its header";
    uint32_t count = word(bytes, kCountAt);
    if (count == 0) return "no entries";
    if (count > (bytes.size() - kHeaderSize) / 12) return "entry tables reach past the end";
    bool alpha = word(bytes, kAlphaFlagAt) == 1;
    for (uint32_t i = 0; i < count; ++i) {
        EntryPlace p = place(bytes, count, i, alpha);
        if (p.offset + p.colour + p.alpha > bytes.size()) return "entry " + std::to_string(i) + " reaches past the end";
    }
    out.count = count;
    out.alpha = alpha;
    for (size_t v = 0; v < 3; ++v) out.values[v] = word(bytes, kValuesAt + 4 * v);
    out.bytes = std::move(bytes);
    return std::string();
}

std::vector<uint8_t> packedPicture(const PackedImages& file, uint32_t entry, bool alphaPicture) {
    if (entry >= file.count) return {};
    EntryPlace p = place(file.bytes, file.count, entry, file.alpha);
    uint64_t start = alphaPicture ? p.offset + p.colour : p.offset;
    uint64_t length = alphaPicture ? p.alpha : p.colour;
    std::vector<uint8_t> picture(file.bytes.begin() + ptrdiff_t(start), file.bytes.begin() + ptrdiff_t(start + length));
    scramblePicture(picture.data(), picture.size());
    return picture;
}

std::vector<uint8_t> writePackedImages(const std::vector<PictureInput>& pictures,
                                       const std::array<uint32_t, 3>& values, std::string& error) {
    error.clear();
    if (pictures.empty()) {
        error = "no pictures";
        return {};
    }
    size_t withAlpha = 0;
    for (const PictureInput& p : pictures) withAlpha += p.alpha.empty() ? 0 : 1;
    if (withAlpha != 0 && withAlpha != pictures.size()) {
        error = "some pictures have an alpha picture and some do not";
        return {};
    }
    uint64_t total = tablesEnd(uint32_t(pictures.size()));
    for (const PictureInput& p : pictures) total += p.colour.size() + p.alpha.size();
    if (pictures.size() > UINT32_MAX / 12 || total > UINT32_MAX) {
        error = "the file would pass 4 GiB";
        return {};
    }
    const uint32_t count = uint32_t(pictures.size());
    std::vector<uint8_t> out(tablesEnd(count));
    std::memcpy(out.data(), secrets::kSigPackedImages, 4);
    putWord(out, 4, kVersion);
    putWord(out, kCountAt, count);
    putWord(out, kAlphaFlagAt, withAlpha ? 1 : 0);
    for (size_t v = 0; v < 3; ++v) putWord(out, kValuesAt + 4 * v, values[v]);
    for (uint32_t i = 0; i < count; ++i) {
        const PictureInput& p = pictures[i];
        putWord(out, offsetTable(count) + 4 * size_t(i), uint32_t(out.size()));
        putWord(out, colourTable(count) + 4 * size_t(i), uint32_t(p.colour.size()));
        putWord(out, alphaTable(count) + 4 * size_t(i), uint32_t(p.alpha.size()));
        for (const std::vector<uint8_t>* picture : {&p.colour, &p.alpha}) {
            size_t at = out.size();
            out.insert(out.end(), picture->begin(), picture->end());
            scramblePicture(out.data() + at, picture->size());
        }
    }
    return out;
}

}  // namespace vr::packed
