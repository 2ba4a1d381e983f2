// Arbitrary bytes as a packed image file: the reader's checks, then every
// entry's pictures taken out and decoded as the show command decodes them.
// A picture handed out must lie within the file, and a decoded one must fill
// its storage.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/archive/packed_images.h"
#include "graphics/image/decoders.h"
#include "platform/headless/headless.h"
#include "shell/engine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vr::platform::HeadlessPlatform host{vr::platform::HeadlessOptions{}};
    vr::Engine e(host);
    vr::EngineBinding binding(e);
    vr::packed::PackedImages file;
    if (!vr::packed::openPackedImages(std::vector<uint8_t>(data, data + size), file).empty()) return 0;
    if (file.count == 0 || file.bytes.size() != size) __builtin_trap();
    // The tables may name many entries that share bytes; a few tell as much.
    const uint32_t entries = std::min<uint32_t>(file.count, 8);
    for (uint32_t i = 0; i < entries; ++i) {
        for (bool alpha : {false, true}) {
            if (alpha && !file.alpha) continue;
            std::vector<uint8_t> picture = vr::packed::packedPicture(file, i, alpha);
            if (picture.size() > size) __builtin_trap();
            vr::Surface surface;
            if (vr::decodeJpeg(surface, picture.data(), picture.size(), "fuzz.vpi") != 0) continue;
            if (surface.pixels.size() < vr::surfaceStorageBytes(surface.width, surface.height)) __builtin_trap();
        }
    }
    return 0;
}
