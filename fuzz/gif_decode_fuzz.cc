// Arbitrary bytes as a GIF file, decoded on a fresh headless engine; the
// surface and every frame record of a decoded file are read whole, so a
// size that does not match its storage shows.

#include <cstddef>
#include <cstdint>

#include "graphics/image/image_load.h"
#include "platform/headless/headless.h"
#include "shell/engine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vr::platform::HeadlessPlatform host{vr::platform::HeadlessOptions{}};
    vr::Engine e(host);
    vr::EngineBinding binding(e);
    vr::Surface surface;
    if (vr::decodeImage(surface, data, size, vr::FileType::Gif, "fuzz.gif") < 0) return 0;
    if (surface.pixels.size() < vr::surfaceStorageBytes(surface.width, surface.height)) __builtin_trap();
    if (surface.frames.size() > vr::kMaxGifFrames) __builtin_trap();
    volatile uint32_t sum = 0;
    for (uint32_t y = 0; y < surface.height; ++y) {
        const uint8_t* row = surface.row(y);
        for (size_t x = 0; x < surface.stride(); ++x) sum = sum + row[x];
    }
    for (const vr::GifFrame& f : surface.frames) {
        if (f.indices.size() != size_t(f.width) * size_t(f.height)) __builtin_trap();
        for (uint8_t index : f.indices) sum = sum + f.palette[index * 3u + 2];
    }
    return 0;
}
