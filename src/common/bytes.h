// Little-endian readers and writers over byte buffers.
//
// A ByteReader never reads past its end: every read checks the remaining
// length first and, once a read has failed, the reader stays failed and every
// further read returns zero.  Loaders read a whole record and test `ok()`
// once, instead of checking each field.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vr {

// Fields at fixed places of a record whose bounds the caller has checked
// (a script's argument records, a header read whole).
inline uint16_t loadLe16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
inline uint32_t loadLe32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline uint64_t loadLe64(const uint8_t* p) { return uint64_t(loadLe32(p)) | uint64_t(loadLe32(p + 4)) << 32; }
inline void storeLe16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
inline void storeLe32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

class ByteReader {
public:
    ByteReader() = default;
    ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    explicit ByteReader(const std::vector<uint8_t>& v) : ByteReader(v.data(), v.size()) {}

    bool ok() const { return ok_; }
    size_t position() const { return pos_; }
    size_t size() const { return size_; }
    size_t remaining() const { return ok_ ? size_ - pos_ : 0; }
    const uint8_t* data() const { return data_; }
    const uint8_t* here() const { return data_ + pos_; }

    // Moves to an absolute offset; an offset beyond the end fails the reader.
    bool seek(size_t offset) {
        if (!ok_ || offset > size_) return fail();
        pos_ = offset;
        return true;
    }
    bool skip(size_t n) {
        if (!has(n)) return fail();
        pos_ += n;
        return true;
    }
    bool has(size_t n) const { return ok_ && n <= size_ - pos_; }

    uint8_t u8() { return static_cast<uint8_t>(le(1)); }
    int8_t i8() { return static_cast<int8_t>(le(1)); }
    uint16_t u16() { return static_cast<uint16_t>(le(2)); }
    uint32_t u32() { return static_cast<uint32_t>(le(4)); }
    int32_t i32() { return static_cast<int32_t>(le(4)); }
    uint64_t u64() { return le(8); }
    int64_t i64() { return static_cast<int64_t>(le(8)); }
    double f64() {
        return std::bit_cast<double>(le(8));
    }

    // Copies n bytes; fails (and copies nothing) when fewer remain.
    bool bytes(void* out, size_t n) {
        if (!has(n)) return fail();
        if (n) std::memcpy(out, data_ + pos_, n);
        pos_ += n;
        return true;
    }
    // A view of the next n bytes, consumed; empty and failed when fewer remain.
    std::string_view view(size_t n) {
        if (!has(n)) {
            fail();
            return {};
        }
        std::string_view v(reinterpret_cast<const char*>(data_ + pos_), n);
        pos_ += n;
        return v;
    }
    // The same as bytes.
    std::span<const uint8_t> span(size_t n) {
        std::string_view v = view(n);
        return {reinterpret_cast<const uint8_t*>(v.data()), v.size()};
    }
    // A NUL-terminated text; the terminator is consumed but not returned.
    // A text without a terminator before the end fails the reader.
    std::string_view cstring() {
        if (!ok_) return {};
        const void* nul = std::memchr(data_ + pos_, 0, size_ - pos_);
        if (!nul) {
            fail();
            return {};
        }
        size_t n = static_cast<const uint8_t*>(nul) - (data_ + pos_);
        std::string_view v(reinterpret_cast<const char*>(data_ + pos_), n);
        pos_ += n + 1;
        return v;
    }

    bool fail() {
        ok_ = false;
        return false;
    }

private:
    uint64_t le(size_t n) {
        if (!has(n)) {
            fail();
            return 0;
        }
        uint64_t v = 0;
        for (size_t i = 0; i < n; ++i) v |= uint64_t(data_[pos_ + i]) << (8 * i);
        pos_ += n;
        return v;
    }

    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
    size_t pos_ = 0;
    bool ok_ = true;
};

class ByteWriter {
public:
    void u8(uint8_t v) { put(v, 1); }
    void i8(int8_t v) { put(static_cast<uint8_t>(v), 1); }
    void u16(uint16_t v) { put(v, 2); }
    void u32(uint32_t v) { put(v, 4); }
    void i32(int32_t v) { put(static_cast<uint32_t>(v), 4); }
    void u64(uint64_t v) { put(v, 8); }
    void i64(int64_t v) { put(static_cast<uint64_t>(v), 8); }
    void f64(double d) {
        put(std::bit_cast<uint64_t>(d), 8);
    }
    void bytes(const void* p, size_t n) {
        const uint8_t* b = static_cast<const uint8_t*>(p);
        buf_.insert(buf_.end(), b, b + n);
    }
    void bytes(std::string_view s) { bytes(s.data(), s.size()); }
    void cstring(std::string_view s) {
        bytes(s);
        u8(0);
    }
    void zeros(size_t n) { buf_.insert(buf_.end(), n, 0); }
    // Overwrites a 32-bit value written earlier (sizes and counts known late).
    void patchU32(size_t offset, uint32_t v) {
        for (int i = 0; i < 4; ++i) buf_[offset + i] = uint8_t(v >> (8 * i));
    }

    size_t size() const { return buf_.size(); }
    const std::vector<uint8_t>& data() const { return buf_; }
    std::vector<uint8_t> take() { return std::move(buf_); }

private:
    void put(uint64_t v, size_t n) {
        for (size_t i = 0; i < n; ++i) buf_.push_back(uint8_t(v >> (8 * i)));
    }
    std::vector<uint8_t> buf_;
};

}  // namespace vr
