#include "graphics/pixel/pixel_set.h"

#include "graphics/pixel/pixel_sets_internal.h"
#include "platform/platform.h"

namespace vr::pixel {

const PixelSet& pixelSetFor(PixelSetKind kind) {
#ifdef VR_PIXEL_HAVE_X86_SETS
    CpuFeatures cpu = detectCpuFeatures();
    if (kind == PixelSetKind::Avx2 && cpu.avx2) return avx2PixelSet();
    if ((kind == PixelSetKind::Avx2 || kind == PixelSetKind::Sse2) && cpu.sse2) return sse2PixelSet();
#endif
    if (kind == PixelSetKind::Plain) return plainPixelSet();
    return sseModelPixelSet();
}

const PixelSet& choosePixelSet(const CpuFeatures& cpu, bool useSse, bool useSse2, bool allowAvx2) {
    bool sseSet = (cpu.sse && useSse) || (cpu.sse2 && useSse2);
    if (!sseSet) return plainPixelSet();
#ifdef VR_PIXEL_HAVE_X86_SETS
    if (cpu.avx2 && allowAvx2) return avx2PixelSet();
    if (cpu.sse2) return sse2PixelSet();
#else
    (void)allowAvx2;
#endif
    // A processor with SSE but no SSE2: the same pixels without vectors.
    return sseModelPixelSet();
}

const PixelSet& enginePixelSet(bool useSse, bool useSse2) {
    const std::string forced = platform::environmentValue("VIRELO_KERNELS");
    if (forced == "plain") return pixelSetFor(PixelSetKind::Plain);
    if (forced == "sse") return pixelSetFor(PixelSetKind::SseModel);
    if (forced == "sse2") return pixelSetFor(PixelSetKind::Sse2);
    if (forced == "avx2") return pixelSetFor(PixelSetKind::Avx2);
    return choosePixelSet(detectCpuFeatures(), useSse, useSse2);
}

}  // namespace vr::pixel
