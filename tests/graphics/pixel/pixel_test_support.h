// Buffers with guard bytes, test pixels and the operator formulas written
// out per pixel, for the pixel-kernel tests.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "graphics/pixel/blend_modes.h"
#include "graphics/pixel/pixel_set.h"

namespace vr::pixel::test {

// A span of `bytes` bytes starting `offset` bytes past a 64-byte boundary,
// after guard bytes that no kernel may touch.  With a back guard, guard
// bytes follow too; without, the allocation ends with the span, so that
// AddressSanitizer builds catch a read one byte past it.
class GuardedSpan {
public:
    static constexpr size_t kGuard = 64;
    static constexpr uint8_t kCanary = 0xA5;

    GuardedSpan(size_t bytes, size_t offset, bool backGuard = true)
        : bytes_(bytes), start_(kGuard + offset), total_(start_ + bytes + (backGuard ? kGuard : 0)),
          storage_(new (std::align_val_t(kGuard)) uint8_t[total_]) {
        std::memset(storage_.get(), kCanary, total_);
    }
    uint8_t* data() { return storage_.get() + start_; }
    const uint8_t* data() const { return storage_.get() + start_; }
    size_t size() const { return bytes_; }
    std::vector<uint8_t> contents() const { return {data(), data() + bytes_}; }
    void assign(const std::vector<uint8_t>& bytes) { std::memcpy(data(), bytes.data(), bytes_); }
    bool guardsIntact() const {
        for (size_t i = 0; i < total_; ++i) {
            if ((i < start_ || i >= start_ + bytes_) && storage_[i] != kCanary) return false;
        }
        return true;
    }

private:
    struct AlignedDelete {
        void operator()(uint8_t* p) const { ::operator delete[](p, std::align_val_t(kGuard)); }
    };
    size_t bytes_, start_, total_;
    std::unique_ptr<uint8_t[], AlignedDelete> storage_;
};

// Pixels that reach the corners of the arithmetic: runs of fully
// transparent and fully opaque pixels (long enough to fill whole vectors),
// channel values at the edges, and plain random ones.
inline std::vector<uint8_t> testPixels(std::mt19937& rng, size_t bytes) {
    static constexpr uint8_t kEdges[] = {0, 1, 2, 127, 128, 129, 254, 255};
    std::vector<uint8_t> out(bytes);
    size_t i = 0;
    while (i < bytes) {
        int kind = int(rng() % 4);
        size_t run = 4 * (1 + rng() % 12);
        for (size_t j = 0; j < run && i < bytes; ++j, ++i) {
            bool alpha = i % 4 == 3;
            if (kind == 0) out[i] = alpha ? 0 : uint8_t(rng());
            else if (kind == 1) out[i] = alpha ? 255 : uint8_t(rng());
            else if (kind == 2) out[i] = kEdges[rng() % 8];
            else out[i] = uint8_t(rng());
        }
    }
    return out;
}

using Ramp = std::array<int32_t, 256>;

// Ramps with the entries that matter (0 and 1 skip, 256 full) and random
// factors between; one of them makes every pixel full.
inline Ramp testRamp(std::mt19937& rng, int style) {
    Ramp r{};
    for (int i = 0; i < 256; ++i) {
        if (style == 1) r[size_t(i)] = 256;
        else if (style == 2) r[size_t(i)] = i < 64 ? 0 : i < 128 ? 1 : i < 192 ? 256 : int32_t(rng() % 257);
        else r[size_t(i)] = int32_t(rng() % 257);
    }
    r[0] = 0;
    r[1] = 1;
    return r;
}

// Mask pixels whose byte 0 comes in runs, so whole vectors share a factor.
inline std::vector<uint8_t> testMask(std::mt19937& rng, size_t bytes) {
    std::vector<uint8_t> out = testPixels(rng, bytes);
    for (size_t i = 0; i < bytes; i += 4) {
        if (i % 32 == 0 && rng() % 2) {
            uint8_t same = uint8_t(rng());
            for (size_t j = i; j < i + 32 && j < bytes; j += 4) out[j] = same;
        }
    }
    return out;
}

// The operator formulas, one pixel at a time.  Group 0 works byte by byte;
// the others on whole pixels, colour only.
inline void referenceOp(int group, int variant, int mode, uint8_t* dst, const uint8_t* src,
                        const uint8_t* mask, const int32_t* ramp, int opacity, size_t bytes) {
    auto F = [mode](int s, int d) { return int(blendChannel(mode, uint8_t(s), uint8_t(d))); };
    if (group == 0) {
        for (size_t i = 0; i < bytes; ++i) {
            int s = src[i], d = dst[i], f = F(s, d);
            if (variant == 1) dst[i] = uint8_t(f);
            else if (mode == kBlendDifference) dst[i] = uint8_t(d + opacity * (f - d) / 256);
            else dst[i] = uint8_t(d + (((f - d) * opacity) >> 8));
        }
        return;
    }
    for (size_t p = 0; p + 4 <= bytes; p += 4) {
        int a = src[p + 3];
        int shift = 8, k = 0;
        if (group == 1) {
            k = variant == 1 ? a + 1 : (opacity * (a + 1)) >> 8;
        } else {
            int m = ramp[mask[p]];
            if (m <= 1) continue;
            if (group == 2) k = m;
            else k = m * (a + 1), shift = 16;
        }
        for (size_t c = p; c < p + 3; ++c) dst[c] = uint8_t(dst[c] + (((F(src[c], dst[c]) - dst[c]) * k) >> shift));
    }
}

inline std::vector<PixelSetKind> availableKinds() {
    std::vector<PixelSetKind> kinds{PixelSetKind::Plain, PixelSetKind::SseModel};
    for (PixelSetKind k : {PixelSetKind::Sse2, PixelSetKind::Avx2}) {
        if (pixelSetFor(k).kind == k) kinds.push_back(k);
    }
    return kinds;
}

}  // namespace vr::pixel::test
