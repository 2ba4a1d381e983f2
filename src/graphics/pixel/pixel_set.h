// The kernel and blend-operator sets, and the choice among them.  A set is
// built on first use and never changes; the compositor keeps a pointer to
// the one chosen at start-up.
//
//   Plain     portable C++ with the results of the original 8-byte-step set
//   SseModel  portable C++ with the results of the SSE set
//   Sse2      the SSE set in SSE2 instructions (x86 only)
//   Avx2      the SSE set with AVX2 where it pays, the SSE2 kernels elsewhere
//
// SseModel, Sse2 and Avx2 give identical pixels; Plain differs in a few
// roundings (kernel slots 4, 5, 7 and 19, see kernels_plain.cc and
// kernels_sse_model.cc).
#pragma once

#include <cstdint>

#include "graphics/pixel/blend_ops.h"
#include "graphics/pixel/cpu_features.h"
#include "graphics/pixel/kernel_table.h"

namespace vr::pixel {

enum class PixelSetKind : uint8_t { Plain, SseModel, Sse2, Avx2 };

struct PixelSet {
    PixelSetKind kind;
    const char* name;
    PixelKernelTable kernels;
    BlendOpTable ops;

    BlendOp plainOp(int mode, int32_t opacity) const { return ops.plain[mode][blendVariant(opacity)]; }
    BlendOp sourceAlphaOp(int mode, int32_t opacity) const {
        return ops.sourceAlpha[mode][blendVariant(opacity)];
    }
    MaskedBlendOp maskedOp(int mode, int32_t opacity) const {
        return ops.masked[mode][blendVariant(opacity)];
    }
    MaskedBlendOp maskedSourceAlphaOp(int mode, int32_t opacity) const {
        return ops.maskedSourceAlpha[mode][blendVariant(opacity)];
    }
};

// The set of a kind, or the nearest one this build and processor can run
// (Avx2 -> Sse2 -> SseModel); the result's kind says which it is.
const PixelSet& pixelSetFor(PixelSetKind kind);

// The start-up choice: the SSE set when (sse && useSse) || (sse2 && useSse2),
// else the plain set.  useSse and useSse2 are words 2 and 3 of the settings
// file (Settings::kernelSet1 and kernelSet2).  cpu must describe this
// processor (detectCpuFeatures): the vector sets are taken on its word.  The SSE set runs as Avx2 when the processor has it and allowAvx2,
// as Sse2 otherwise, and as SseModel on a processor with SSE but no SSE2.
const PixelSet& choosePixelSet(const CpuFeatures& cpu, bool useSse, bool useSse2,
                               bool allowAvx2 = true);

// The set the engine runs: choosePixelSet's, unless the environment names
// one in VIRELO_KERNELS ("plain", "sse", "sse2" or "avx2"; the nearest this
// processor runs), so that tests and benchmarks can hold every set to the
// same pictures.
const PixelSet& enginePixelSet(bool useSse, bool useSse2);

}  // namespace vr::pixel
