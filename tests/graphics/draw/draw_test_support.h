// Small surfaces for the drawing tests, on a bound headless engine with its
// kernel table.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/workers.h"
#include "graphics/graphics_init.h"
#include "graphics/pixel/pixel_set.h"
#include "graphics/surface.h"
#include "support/headless_engine.h"

namespace vr::test {

inline Surface surfaceOf(uint32_t w, uint32_t h, const std::vector<uint32_t>& pixels = {}) {
    Surface s;
    s.width = w;
    s.height = h;
    s.pixels.assign(surfaceStorageBytes(w, h), 0);
    for (size_t i = 0; i < pixels.size() && i < size_t(w) * h; ++i) std::memcpy(s.pixels.data() + i * 4, &pixels[i], 4);
    return s;
}

inline Surface randomSurface(std::mt19937& rng, uint32_t w, uint32_t h) {
    Surface s = surfaceOf(w, h);
    for (size_t i = 0; i < size_t(w) * h * 4; ++i) s.pixels[i] = uint8_t(rng());
    return s;
}

inline uint32_t at(const Surface& s, uint32_t x, uint32_t y) {
    uint32_t v;
    std::memcpy(&v, s.pixels.data() + (size_t(y) * s.width + x) * 4, 4);
    return v;
}

inline uint8_t channel(const Surface& s, uint32_t x, uint32_t y, int c) {
    return s.pixels[(size_t(y) * s.width + x) * 4 + size_t(c)];
}

inline std::vector<uint32_t> pixelsOf(const Surface& s) {
    std::vector<uint32_t> v(size_t(s.width) * s.height);
    std::memcpy(v.data(), s.pixels.data(), v.size() * 4);
    return v;
}

struct DrawTest : ::testing::Test {
    HeadlessEngine h;
    void SetUp() override { buildKernelTable(); }
    void usePixelSet(pixel::PixelSetKind kind) { h.e.graphics.scene.pixels = &pixel::pixelSetFor(kind); }
    void startWorkers(int n) {
        h.e.core.workers.workerCount = n;
        ASSERT_EQ(createWorkerPool(), 0);
    }
    // How often the invalid-size message was shown.
    size_t sizeMessages() const {
        size_t n = 0;
        for (const std::string& line : h.host.transcript())
            n += line.find(reinterpret_cast<const char*>(u8"リサイズ後のサイズが不正です")) != std::string::npos;
        return n;
    }
    void TearDown() override {
        if (!h.e.core.workers.workers.empty()) stopWorkerPool();
    }
};

}  // namespace vr::test
