#include "graphics/image/gif_lzw.h"

#include <array>

#include "common/bytes.h"

namespace vr {

namespace {

constexpr int kMaxCodes = 4096;
constexpr int kMaxCodeWidth = 12;
constexpr int kMaxMinimumCodeSize = 8;  // indices are bytes

// Codes are packed least significant bit first across the sub-blocks.
class CodeReader {
public:
    explicit CodeReader(ByteReader& in) : in_(in) {}

    enum Result { kCode, kDataEnd, kTruncated };

    Result read(int width, int& code) {
        while (bits_ < width) {
            if (blockLeft_ == 0) {
                if (!in_.has(1)) return kTruncated;
                blockLeft_ = in_.u8();
                if (blockLeft_ == 0) return kDataEnd;
            }
            if (!in_.has(1)) return kTruncated;
            buffer_ |= uint32_t(in_.u8()) << bits_;
            bits_ += 8;
            --blockLeft_;
        }
        code = int(buffer_ & ((1u << width) - 1));
        buffer_ >>= width;
        bits_ -= width;
        return kCode;
    }

    // Moves past the rest of the current sub-block and the ones after it.
    bool finish() { return in_.skip(blockLeft_) && skipGifSubBlocks(in_); }

private:
    ByteReader& in_;
    size_t blockLeft_ = 0;
    uint32_t buffer_ = 0;
    int bits_ = 0;
};

struct CodeTable {
    std::array<uint16_t, kMaxCodes> prefix;
    std::array<uint16_t, kMaxCodes> length;
    std::array<uint8_t, kMaxCodes> suffix;
    std::array<uint8_t, kMaxCodes> first;
};

}  // namespace

bool skipGifSubBlocks(ByteReader& in) {
    while (true) {
        if (!in.has(1)) return in.fail();
        size_t length = in.u8();
        if (length == 0) return true;
        if (!in.skip(length)) return false;
    }
}

bool decodeGifImageData(ByteReader& in, uint8_t* out, size_t count) {
    if (!in.has(1)) return in.fail();
    const int minimum = in.u8();
    if (minimum < 1 || minimum > kMaxMinimumCodeSize) return false;
    const int clear = 1 << minimum, end = clear + 1;

    CodeTable table;
    for (int c = 0; c < clear; ++c) {
        table.prefix[c] = 0;
        table.length[c] = 1;
        table.suffix[c] = uint8_t(c);
        table.first[c] = uint8_t(c);
    }
    CodeReader reader(in);
    int width = minimum + 1, next = clear + 2, previous = -1;
    size_t produced = 0;

    while (produced < count) {
        int code = 0;
        CodeReader::Result r = reader.read(width, code);
        if (r != CodeReader::kCode) return false;  // the data end before the last pixel
        if (code == clear) {
            width = minimum + 1;
            next = clear + 2;
            previous = -1;
            continue;
        }
        if (code == end) return false;
        if (previous < 0) {
            if (code >= clear) return false;
        } else if (code < next) {
            if (next < kMaxCodes) {
                table.prefix[next] = uint16_t(previous);
                table.suffix[next] = table.first[code];
                table.first[next] = table.first[previous];
                table.length[next] = uint16_t(table.length[previous] + 1);
                ++next;
            }
        } else if (code == next && next < kMaxCodes) {
            // The code being defined: the previous string and its own first index.
            table.prefix[next] = uint16_t(previous);
            table.suffix[next] = table.first[previous];
            table.first[next] = table.first[previous];
            table.length[next] = uint16_t(table.length[previous] + 1);
            ++next;
        } else {
            return false;
        }
        if (next == (1 << width) && width < kMaxCodeWidth) ++width;

        // The string is written from its last index back to its first.
        int c = code;
        for (size_t k = table.length[code]; k-- > 0;) {
            if (produced + k < count) out[produced + k] = table.suffix[c];
            c = table.prefix[c];
        }
        produced += table.length[code];
        previous = code;
    }
    return reader.finish();
}

}  // namespace vr
