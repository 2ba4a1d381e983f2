// Little-endian words in byte vectors, and a reader that never passes the end.
#pragma once

#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

namespace vr::save_bytes {

inline void putU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}
inline void setU32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + size_t(i)] = uint8_t(v >> (8 * i));
}
inline uint32_t getU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// Reads from a span; every read past the end fails and leaves it failed.
class Reader {
public:
    explicit Reader(std::span<const uint8_t> bytes, size_t at = 0) : bytes_(bytes), at_(at) {
        if (at > bytes.size()) ok_ = false;
    }
    bool ok() const { return ok_; }
    size_t at() const { return at_; }
    size_t left() const { return ok_ ? bytes_.size() - at_ : 0; }
    uint32_t u32() {
        if (!take(4)) return 0;
        return getU32(bytes_.data() + at_ - 4);
    }
    uint8_t u8() { return take(1) ? bytes_[at_ - 1] : 0; }
    std::span<const uint8_t> bytes(size_t n) {
        if (!take(n)) return {};
        return bytes_.subspan(at_ - n, n);
    }

private:
    bool take(size_t n) {
        if (!ok_ || n > bytes_.size() - at_) {
            ok_ = false;
            return false;
        }
        at_ += n;
        return true;
    }
    std::span<const uint8_t> bytes_;
    size_t at_ = 0;
    bool ok_ = true;
};

}  // namespace vr::save_bytes
