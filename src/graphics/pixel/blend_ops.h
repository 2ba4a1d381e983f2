// Blend operators: how a layer is composed onto its parent, by group, blend
// mode and variant.  The variant is opacity >> 8: 1 for full opacity (256),
// 0 otherwise.
//
//   group 0  source without its alpha, constant opacity: all four bytes
//   group 1  source alpha times opacity: colour bytes, dst alpha kept
//   group 2  factor from the mask ramp: colour bytes, pixels with factor <= 1
//            left alone
//   group 3  mask factor times source alpha: as group 2
//
// Groups 0 and 1 accept any byte count (group 1 ignores a partial pixel);
// groups 2 and 3 work on whole pixels.
#pragma once

#include <cstdint>

#include "graphics/pixel/blend_modes.h"
#include "graphics/pixel/kernel_table.h"

namespace vr::pixel {

using BlendOp = RowLevelKernel;       // (dst, src, opacity, bytes)
using MaskedBlendOp = MaskedRowKernel;  // (dst, src, mask, ramp, levelA, levelB, bytes)

// Modes 0..18 are used; the last position holds the normal-mode operators
// so that no entry is ever empty.
constexpr int kBlendModePositions = 20;
constexpr int kBlendGroupCount = 4;

struct BlendOpTable {
    BlendOp plain[kBlendModePositions][2];                   // group 0
    BlendOp sourceAlpha[kBlendModePositions][2];             // group 1
    MaskedBlendOp masked[kBlendModePositions][2];            // group 2
    // Group 3 has one routine per mode; variant 1 repeats it so that
    // indexing by opacity >> 8 is always safe.
    MaskedBlendOp maskedSourceAlpha[kBlendModePositions][2];  // group 3
};

// The variant index of a layer opacity 0..256.
constexpr int blendVariant(int32_t opacity) { return opacity >= 256 ? 1 : 0; }

}  // namespace vr::pixel
