// The sets, one per source file; pixel_set.cc chooses among them.
#pragma once

#include "graphics/pixel/pixel_set.h"

namespace vr::pixel {

const PixelSet& plainPixelSet();
const PixelSet& sseModelPixelSet();

#if defined(__i386__) || defined(__x86_64__)
#define VR_PIXEL_HAVE_X86_SETS 1
const PixelSet& sse2PixelSet();
const PixelSet& avx2PixelSet();
// The SSE2 kernel of slot 19, which the AVX2 kernel finishes its rows with.
void boxReduceSse2(uint8_t* dst, const uint8_t* src, size_t srcStridePixels, size_t outPixels);
#endif

}  // namespace vr::pixel
