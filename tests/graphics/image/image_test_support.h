// The image files of data/ (made by make-images.sh with real encoders) and
// their reference decodes, and a fixture that decodes on a fresh engine.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "graphics/image/image_load.h"
#include "support/headless_engine.h"
#include "support/temp_dir.h"

namespace vr::test {

inline std::string imageDataPath(const std::string& file) {
    return std::string(VIRELO_TEST_DATA) + "/graphics/image/data/" + file;
}

inline std::vector<uint8_t> readImageData(const std::string& file) {
    std::ifstream in(imageDataPath(file), std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// One line of refs.txt: the reference pixels (R, G, B, A) as ImageMagick or
// djpeg decode the file, and the size (and place and delay of GIF frames)
// they report.
struct Reference {
    std::vector<uint8_t> rgba;
    uint32_t width = 0, height = 0;
    int left = 0, top = 0, delay = 0;
};

inline Reference reference(const std::string& name) {
    std::ifstream list(imageDataPath("refs.txt"));
    std::string line;
    while (std::getline(list, line)) {
        std::istringstream fields(line);
        std::string file, raw;
        Reference r;
        fields >> file >> raw >> r.width >> r.height >> r.left >> r.top >> r.delay;
        if (file != name) continue;
        r.rgba = readImageData(raw);
        EXPECT_EQ(r.rgba.size(), size_t(r.width) * r.height * 4) << name;
        return r;
    }
    ADD_FAILURE() << "no reference for " << name;
    return {};
}

// The B, G, R, A bytes of a surface pixel as one readable value 0xAARRGGBB.
inline uint32_t pixelAt(const Surface& s, uint32_t x, uint32_t y) {
    const uint8_t* p = s.row(y) + size_t(x) * 4;
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline uint32_t referenceAt(const Reference& r, uint32_t x, uint32_t y) {
    const uint8_t* p = r.rgba.data() + (size_t(y) * r.width + x) * 4;
    return uint32_t(p[2]) | uint32_t(p[1]) << 8 | uint32_t(p[0]) << 16 | uint32_t(p[3]) << 24;
}

// Every pixel equal to the reference; the first differences are printed.
inline ::testing::AssertionResult matchesReference(const Surface& s, const Reference& r) {
    if (s.width != r.width || s.height != r.height)
        return ::testing::AssertionFailure() << "size " << s.width << "x" << s.height << ", reference " << r.width
                                             << "x" << r.height;
    if (s.pixels.size() < surfaceStorageBytes(s.width, s.height))
        return ::testing::AssertionFailure() << "storage of " << s.pixels.size() << " bytes";
    int differences = 0;
    std::ostringstream report;
    for (uint32_t y = 0; y < s.height; ++y) {
        for (uint32_t x = 0; x < s.width; ++x) {
            if (pixelAt(s, x, y) == referenceAt(r, x, y)) continue;
            if (++differences <= 5)
                report << std::hex << " (" << std::dec << x << "," << y << ") 0x" << std::hex << pixelAt(s, x, y)
                       << " want 0x" << referenceAt(r, x, y);
        }
    }
    if (differences) return ::testing::AssertionFailure() << differences << " pixels differ:" << report.str();
    return ::testing::AssertionSuccess();
}

// A fresh engine in a temporary current folder (the debug log is written
// there).
struct ImageTest : ::testing::Test {
    TempDir dir;
    std::unique_ptr<CurrentDir> cd;
    HeadlessEngine h;
    Surface surface;

    void SetUp() override { cd = std::make_unique<CurrentDir>(dir.path()); }
    void TearDown() override { cd.reset(); }

    int decode(const std::vector<uint8_t>& bytes, FileType type, const std::string& name = "test") {
        return decodeImage(surface, bytes.data(), bytes.size(), type, name);
    }
    int decodeFile(const std::string& file) {
        return decode(readImageData(file), fileTypeFromName(file), file);
    }
    const std::vector<uint32_t>& codes() const { return h.e.core.errors.reportedCodes; }
    // A refusal: -1, the one code reported, and no pixels left behind.
    ::testing::AssertionResult refused(int result, uint32_t code) {
        if (result != -1) return ::testing::AssertionFailure() << "result " << result;
        if (codes().size() != 1 || codes()[0] != code) {
            auto f = ::testing::AssertionFailure() << "codes reported:";
            for (uint32_t c : codes()) f << " " << c;
            return f << ", want " << code;
        }
        if (!surface.pixels.empty() || !surface.frames.empty())
            return ::testing::AssertionFailure() << "pixels left behind";
        h.e.core.errors.reportedCodes.clear();
        return ::testing::AssertionSuccess();
    }
};

}  // namespace vr::test
