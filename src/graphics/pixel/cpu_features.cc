#include "graphics/pixel/cpu_features.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#define VR_PIXEL_X86 1
#endif

namespace vr::pixel {

#ifdef VR_PIXEL_X86
namespace {

uint8_t bit(unsigned word, int n) { return uint8_t((word >> n) & 1u); }

// XCR0: which register states the operating system saves on a task switch.
// Only called when OSXSAVE says the instruction is allowed.
uint64_t readXcr0() {
    uint32_t lo = 0, hi = 0;
    __asm__ volatile("xgetbv" : "=a"(lo), "=d"(hi) : "c"(0));
    return uint64_t(hi) << 32 | lo;
}

}  // namespace

CpuFeatures detectCpuFeatures() {
    CpuFeatures f;
    // __get_cpuid_max toggles the ID flag first on 32-bit builds and answers
    // 0 when the processor has no identification instruction.
    unsigned maxLeaf = __get_cpuid_max(0, nullptr);
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (maxLeaf >= 1) {
        __cpuid(1, a, b, c, d);
        f.mmx = bit(d, 23);
        f.sse = bit(d, 25);
        f.sse2 = bit(d, 26);
        f.sse3 = bit(c, 0);
        f.ssse3 = bit(c, 9);
        f.sse41 = bit(c, 19);
        f.sse42 = bit(c, 20);
        bool osSavesYmm = bit(c, 27) && bit(c, 28) && (readXcr0() & 6) == 6;
        if (maxLeaf >= 7 && osSavesYmm) {
            __cpuid_count(7, 0, a, b, c, d);
            f.avx2 = bit(b, 5);
        }
    }
    unsigned maxExtended = __get_cpuid_max(0x80000000u, nullptr);
    if (maxExtended > 0x80000000u) {
        __cpuid(0x80000001u, a, b, c, d);
        f.amd3dNow = bit(d, 31);
        f.amd3dNowExt = bit(d, 30);
        f.sse4a = bit(c, 6);
        f.xop = bit(c, 11);
    }
    return f;
}

#else

CpuFeatures detectCpuFeatures() { return {}; }

#endif

}  // namespace vr::pixel
