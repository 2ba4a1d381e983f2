// Scalar kernels whose results are the same in every set.  The plain set is
// made of them (plus its own slots 5, 7 and 19), the SSE model likewise
// (plus slots 4 and 19), and the vector sets fall back on them for the
// slots they do not vectorise.
#pragma once

#include <cstddef>
#include <cstdint>

#include "graphics/pixel/blend_ops_generic.h"
#include "graphics/pixel/kernel_table.h"

namespace vr::pixel::common {

void zeroFill(uint8_t* dst, size_t bytes);
void byteFill(uint8_t* dst, size_t bytes, uint8_t value);
void pixelFill(uint8_t* dst, size_t bytes, uint32_t pixel);
void copy(uint8_t* dst, const uint8_t* src, size_t bytes);
void crossFade(uint8_t* dst, const uint8_t* a, const uint8_t* b, int32_t factor, size_t bytes);
void addOpacity(uint8_t* dst, const uint8_t* src, int32_t opacity, size_t bytes);
void keepAlphaOver(uint8_t* dst, const uint8_t* src, size_t bytes);
void keepAlphaOverOpacity(uint8_t* dst, const uint8_t* src, int32_t opacity, size_t bytes);
void keepAlphaOverScaled(uint8_t* dst, const uint8_t* src, int32_t alphaScale, size_t bytes);
void keepAlphaOverScaledOpacity(uint8_t* dst, const uint8_t* src, int32_t alphaScale, int32_t opacity,
                                size_t bytes);

// The kernels that are plain instances of the blend operator formulas.
inline constexpr RowLevelKernel normalOpacity = &generic::modeBytesOpacity<kBlendNormal>;
inline constexpr RowKernel normalSourceAlpha = &generic::sourceAlpha<kBlendNormal>;
inline constexpr RowLevelKernel normalSourceAlphaOpacity = &generic::sourceAlphaOpacity<kBlendNormal>;
inline constexpr MaskedRowKernel normalMasked = &generic::masked<kBlendNormal>;
inline constexpr RowKernel add = &generic::modeBytes<kBlendAdd>;
inline constexpr RowKernel subtract = &generic::modeBytes<kBlendSubtract>;
inline constexpr RowKernel multiply = &generic::modeBytes<kBlendMultiply>;
inline constexpr RowKernel screen = &generic::modeBytes<kBlendScreen>;
inline constexpr RowLevelKernel screenOpacity = &generic::modeBytesOpacity<kBlendScreen>;
inline constexpr RowKernel lighten = &generic::modeBytes<kBlendLighten>;
inline constexpr RowKernel darken = &generic::modeBytes<kBlendDarken>;
inline constexpr RowKernel linearBurn = &generic::modeBytes<kBlendLinearBurn>;
inline constexpr RowKernel linearLight = &generic::modeBytes<kBlendLinearLight>;

}  // namespace vr::pixel::common
