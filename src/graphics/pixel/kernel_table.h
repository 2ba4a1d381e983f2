// The row kernels: one function per pixel operation of the engine, in slots
// 0..23, filled once per instruction set.  Pixels are 4 bytes (blue, green,
// red, alpha; colour not premultiplied).  Every kernel takes dst first and,
// except slot 19, a byte count of one row span last.
//
// Byte kernels (slots 0, 1, 3, 4, 8..18) treat all four bytes of a pixel
// alike and accept any byte count.  Pixel kernels (2, 5, 6, 7, 20..23) work
// on whole pixels: they ignore a trailing partial pixel, except the pixel
// fill, which writes the leading bytes of its pattern there.  No kernel reads
// or writes outside [ptr, ptr + bytes) of its dst, src and mask.
//
// Levels (opacity, cross-fade factor, alpha scale, mask ramp entries) are
// 0..256 where 256 means full; values outside are clamped to that range.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vr::pixel {

using ZeroFillKernel = void (*)(uint8_t* dst, size_t bytes);
using ByteFillKernel = void (*)(uint8_t* dst, size_t bytes, uint8_t value);
using PixelFillKernel = void (*)(uint8_t* dst, size_t bytes, uint32_t pixel);
using RowKernel = void (*)(uint8_t* dst, const uint8_t* src, size_t bytes);
using RowLevelKernel = void (*)(uint8_t* dst, const uint8_t* src, int32_t level, size_t bytes);
// mask points at the mask surface's pixel under dst (4 bytes a pixel, byte 0
// read); ramp maps a mask byte to a factor 0..256 (256 entries), built by the
// compositor for each masked draw.  The two layer values (mask level and
// softness) are already folded into the ramp and only passed along.
using MaskedRowKernel = void (*)(uint8_t* dst, const uint8_t* src, const uint8_t* mask,
                                 const int32_t* ramp, int32_t levelA, int32_t levelB, size_t bytes);
using CrossFadeKernel = void (*)(uint8_t* dst, const uint8_t* a, const uint8_t* b, int32_t factor,
                                 size_t bytes);
// Reads source pixels 0 .. 2 * outPixels - 1 of the row at src and of the
// row srcStridePixels pixels further on.
using BoxReduceKernel = void (*)(uint8_t* dst, const uint8_t* src, size_t srcStridePixels,
                                 size_t outPixels);
using ScaledOverKernel = void (*)(uint8_t* dst, const uint8_t* src, int32_t alphaScale, size_t bytes);
using ScaledOverLevelKernel = void (*)(uint8_t* dst, const uint8_t* src, int32_t alphaScale,
                                       int32_t opacity, size_t bytes);

struct PixelKernelTable {
    ZeroFillKernel zeroFill;                        // 0
    ByteFillKernel byteFill;                        // 1
    PixelFillKernel pixelFill;                      // 2
    RowKernel copy;                                 // 3
    RowLevelKernel normalOpacity;                   // 4  opacity 0..255, all four bytes
    RowKernel normalSourceAlpha;                    // 5  colour only, alpha kept
    RowLevelKernel normalSourceAlphaOpacity;        // 6
    MaskedRowKernel normalMasked;                   // 7
    CrossFadeKernel crossFade;                      // 8  dst = a + (b - a) * factor / 256
    RowKernel add;                                  // 9
    RowLevelKernel addOpacity;                      // 10
    RowKernel subtract;                             // 11 max(0, src - dst)
    RowKernel multiply;                             // 12
    RowKernel screen;                               // 13
    RowLevelKernel screenOpacity;                   // 14
    RowKernel lighten;                              // 15
    RowKernel darken;                               // 16
    RowKernel linearBurn;                           // 17
    RowKernel linearLight;                          // 18
    BoxReduceKernel boxReduce;                      // 19 2x2 mean; lengths in pixels
    RowKernel keepAlphaOver;                        // 20 alpha-keeping over
    RowLevelKernel keepAlphaOverOpacity;            // 21
    ScaledOverKernel keepAlphaOverScaled;           // 22 destination alpha scaled first
    ScaledOverLevelKernel keepAlphaOverScaledOpacity;  // 23
};

constexpr int kKernelSlotCount = 24;
static_assert(sizeof(PixelKernelTable) == kKernelSlotCount * sizeof(void (*)()),
              "one function pointer per slot");

}  // namespace vr::pixel
