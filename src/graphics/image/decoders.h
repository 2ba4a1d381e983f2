// The decoders behind decodeImage, one per file format.  Each takes the whole
// file in memory and the file's name for its reports.
//
// Results: 0 = decoded; kReported = failed after a report; kUnreported =
// failed, and the dispatcher reports the format's decoding error (JPEG and
// GIF, whose decoding failures are reported with one code each).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "graphics/surface.h"

namespace vr {

constexpr int kReported = -1;
constexpr int kUnreported = -2;

// Engine error codes of image decoding.
enum ImageError : uint32_t {
    kNotAnImage = 100030,
    kBmpSignature = 100070,
    kBmpLayout = 100080,  // offset below 11, or headers, palette or rows past the end
    kBmpCompressed = 100090,
    kImageUnsupported = 100091,  // too large, or a colour format we do not decode
    kBmpTopDown = 100092,
    kPngFailed = 100200,
    kJpegFailed = 100210,
    kGifFailed = 100215,
    kPsdRefused = 100220,
};

int decodeBmp(Surface& surface, const uint8_t* data, size_t size, std::string_view name);
int decodePng(Surface& surface, const uint8_t* data, size_t size, std::string_view name);
int decodeJpeg(Surface& surface, const uint8_t* data, size_t size, std::string_view name);
int decodeGif(Surface& surface, const uint8_t* data, size_t size, std::string_view name);
int refusePsd(const uint8_t* data, size_t size, std::string_view name);

}  // namespace vr
