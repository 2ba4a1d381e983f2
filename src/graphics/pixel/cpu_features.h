// The processor's instruction-set extensions, read once at start-up.  Only
// sse and sse2 (and avx2, for the wider variant of the SSE set) steer the
// kernel choice; the other flags are kept for effects that test them.
#pragma once

#include <cstdint>

namespace vr::pixel {

// One byte per flag, 0 or 1.  On processors without the identification
// instruction, and on builds for other architectures, every flag is 0.
struct CpuFeatures {
    uint8_t mmx = 0;          // leaf 1, EDX bit 23
    uint8_t sse = 0;          // leaf 1, EDX bit 25
    uint8_t sse2 = 0;         // leaf 1, EDX bit 26
    uint8_t sse3 = 0;         // leaf 1, ECX bit 0
    uint8_t ssse3 = 0;        // leaf 1, ECX bit 9
    uint8_t sse41 = 0;        // leaf 1, ECX bit 19
    uint8_t sse42 = 0;        // leaf 1, ECX bit 20
    uint8_t amd3dNow = 0;     // leaf 0x80000001, EDX bit 31
    uint8_t amd3dNowExt = 0;  // leaf 0x80000001, EDX bit 30
    uint8_t sse4a = 0;        // leaf 0x80000001, ECX bit 6
    uint8_t xop = 0;          // leaf 0x80000001, ECX bit 11
    // Leaf 7 EBX bit 5, and only when the operating system saves the YMM
    // registers (OSXSAVE set and XCR0 enabling SSE and AVX state).
    uint8_t avx2 = 0;
};

CpuFeatures detectCpuFeatures();

}  // namespace vr::pixel
