// Puts a kernel table and the blend operators it backs together into a
// pixel set.  Each set's source file calls it with its own constant kernel
// table, so the operator adapters below call the kernels directly.
#pragma once

#include "graphics/pixel/blend_ops_generic.h"
#include "graphics/pixel/pixel_set.h"

namespace vr::pixel {

// A kernel without an opacity argument, as a full-opacity blend operator.
template <RowKernel Kernel>
void ignoreOpacity(uint8_t* dst, const uint8_t* src, int32_t, size_t bytes) {
    Kernel(dst, src, bytes);
}

// maskedVariantsAlike: slot 7 has the formula's results and may serve both
// variants of masked normal; otherwise variant 0 stays table-driven.
template <const PixelKernelTable& K>
PixelSet buildPixelSet(PixelSetKind kind, const char* name, bool maskedVariantsAlike) {
    PixelSet set{kind, name, K, genericBlendOps()};
    BlendOpTable& t = set.ops;
    t.plain[kBlendNormal][1] = &ignoreOpacity<K.copy>;
    t.plain[kBlendNormal][0] = K.normalOpacity;
    t.sourceAlpha[kBlendNormal][1] = &ignoreOpacity<K.normalSourceAlpha>;
    t.sourceAlpha[kBlendNormal][0] = K.normalSourceAlphaOpacity;
    t.masked[kBlendNormal][1] = K.normalMasked;
    if (maskedVariantsAlike) t.masked[kBlendNormal][0] = K.normalMasked;
    t.plain[kBlendAdd][1] = &ignoreOpacity<K.add>;
    t.plain[kBlendAdd][0] = K.addOpacity;
    t.plain[kBlendSubtract][1] = &ignoreOpacity<K.subtract>;
    t.plain[kBlendMultiply][1] = &ignoreOpacity<K.multiply>;
    t.plain[kBlendScreen][1] = &ignoreOpacity<K.screen>;
    t.plain[kBlendScreen][0] = K.screenOpacity;
    t.plain[kBlendLighten][1] = &ignoreOpacity<K.lighten>;
    t.plain[kBlendDarken][1] = &ignoreOpacity<K.darken>;
    t.plain[kBlendLinearBurn][1] = &ignoreOpacity<K.linearBurn>;
    t.plain[kBlendLinearLight][1] = &ignoreOpacity<K.linearLight>;
    return set;
}

}  // namespace vr::pixel
