#include "graphics/image/image_load.h"

#include <algorithm>
#include <new>
#include <string>

#include "common/texts/engine_texts.h"
#include "core/core.h"
#include "core/debug_log.h"
#include "core/error_report.h"
#include "graphics/graphics.h"
#include "graphics/image/decoders.h"
#include "script/interpreter.h"
#include "script/script_state.h"

namespace vr {

namespace {

// What a missing image gives: one pixel (0, 0, 0, 0).  Its alpha byte is
// information, so the mark says so.
int makeTransparentPixel(Surface& surface) {
    surface.frames.clear();
    if (!allocateSurfacePixels(surface, 1, 1, {})) return -1;
    surface.hasAlpha = true;
    return 0;
}

void reportAllocationFailure(uint32_t width, uint32_t height, std::string_view name) {
    std::string label(name);
    writeDebugLog("ERR", VR_TEXT_LOG_IMAGE_OUT_OF_MEMORY, label.c_str(), int(width), int(height));
    if (label.empty()) {
        reportError(100010, true);
    } else {
        reportErrorArgs(104030, true, label);
    }
}

uint32_t be32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

}  // namespace

// PSD files are recognised but not decoded; the report gives their size
// when the header holds it.
int refusePsd(const uint8_t* data, size_t size, std::string_view name) {
    uint32_t width = 0, height = 0;
    if (size >= 22) {
        height = be32(data + 14);
        width = be32(data + 18);
    }
    reportErrorArgs(kPsdRefused, true, std::string(name), width, height);
    return kReported;
}

uint8_t* allocateSurfacePixels(Surface& surface, uint32_t width, uint32_t height, std::string_view name) {
    surface.pixels.clear();
    surface.width = surface.height = 0;
    surface.hasAlpha = false;
    if (width > kMaxImageSide || height > kMaxImageSide) {
        reportAllocationFailure(width, height, name);
        return nullptr;
    }
    try {
        surface.pixels.assign(surfaceStorageBytes(width, height), 0);
    } catch (const std::bad_alloc&) {
        reportAllocationFailure(width, height, name);
        return nullptr;
    }
    surface.width = width;
    surface.height = height;
    return surface.pixels.data();
}

int decodeImage(Surface& surface, const uint8_t* data, size_t size, FileType type, std::string_view name) {
    surface.frames.clear();
    int result = kReported;
    switch (type) {
    case FileType::Bmp:
        result = decodeBmp(surface, data, size, name);
        break;
    case FileType::Png:
        result = decodePng(surface, data, size, name);
        break;
    case FileType::Jpeg:
        result = decodeJpeg(surface, data, size, name);
        if (result == kUnreported) reportErrorArgs(kJpegFailed, true, std::string(name));
        break;
    case FileType::Gif:
        result = decodeGif(surface, data, size, name);
        if (result == kUnreported) reportErrorArgs(kGifFailed, true, std::string(name));
        break;
    case FileType::Psd:
        result = refusePsd(data, size, name);
        break;
    default:
        reportErrorArgs(kNotAnImage, true, runningCommandName(), std::string(name));
        break;
    }
    if (result < 0) {
        surface = Surface{};
        return -1;
    }
    return 0;
}

int loadImageSurface(Surface& surface, std::string_view name) {
    if (name.empty()) return makeTransparentPixel(surface);
    FileRequest request;
    std::string resolved;
    int found = resolveResourceName(request, name, resolved, int(ResourceMode::Image));
    if (found < 0) {
        reportErrorArgs(901040, true, std::string(name));
        return -1;
    }
    if (found > 0) return makeTransparentPixel(surface);
    if (loadFile(request, resolved, true, false) < 0) return -1;
    // The bytes are the file's; release them as soon as the pixels exist.
    std::vector<uint8_t> bytes = std::move(request.data);
    size_t size = std::min<size_t>(request.size, bytes.size());
    return decodeImage(surface, bytes.data(), size, request.type, resolved);
}

}  // namespace vr
