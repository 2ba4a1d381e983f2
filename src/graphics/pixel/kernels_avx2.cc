// The SSE set with 32-byte vectors: the kernels of simd_kernels.inc built
// for AVX2, chosen at run time only when the processor and the operating
// system support it.  Only these functions carry the AVX2 target; nothing
// else in the program may use its instructions.  The scalar slots are
// shared with the SSE2 set, and slot 19's tail with its kernel.
#include "graphics/pixel/pixel_sets_internal.h"

#ifdef VR_PIXEL_HAVE_X86_SETS

#include <immintrin.h>

#include <cstring>

#include "graphics/pixel/kernels_common.h"
#include "graphics/pixel/lookup_tables.h"
#include "graphics/pixel/set_builder.h"

#define VR_SIMD __attribute__((target("avx2")))

namespace vr::pixel {
namespace {

// Widening and narrowing work within each 128-bit lane, in the same order
// both ways, so bytes come back to their places.
using V = __m256i;
constexpr size_t kVectorBytes = 32;

VR_SIMD inline V load(const uint8_t* p) { return _mm256_loadu_si256(reinterpret_cast<const V*>(p)); }
VR_SIMD inline void store(uint8_t* p, V v) { _mm256_storeu_si256(reinterpret_cast<V*>(p), v); }
VR_SIMD inline V zero() { return _mm256_setzero_si256(); }
VR_SIMD inline V splat8(int x) { return _mm256_set1_epi8(char(x)); }
VR_SIMD inline V splat16(int x) { return _mm256_set1_epi16(short(x)); }
VR_SIMD inline V splat32(uint32_t x) { return _mm256_set1_epi32(int(x)); }
VR_SIMD inline V widenLo(V v) { return _mm256_unpacklo_epi8(v, _mm256_setzero_si256()); }
VR_SIMD inline V widenHi(V v) { return _mm256_unpackhi_epi8(v, _mm256_setzero_si256()); }
VR_SIMD inline V narrow(V lo, V hi) { return _mm256_packus_epi16(lo, hi); }
VR_SIMD inline V add8(V a, V b) { return _mm256_add_epi8(a, b); }
VR_SIMD inline V add16(V a, V b) { return _mm256_add_epi16(a, b); }
VR_SIMD inline V add32(V a, V b) { return _mm256_add_epi32(a, b); }
VR_SIMD inline V sub16(V a, V b) { return _mm256_sub_epi16(a, b); }
VR_SIMD inline V mul16(V a, V b) { return _mm256_mullo_epi16(a, b); }
VR_SIMD inline V mulhi16(V a, V b) { return _mm256_mulhi_epu16(a, b); }
template <int N>
VR_SIMD inline V shl16(V v) { return _mm256_slli_epi16(v, N); }
template <int N>
VR_SIMD inline V shr16(V v) { return _mm256_srli_epi16(v, N); }
template <int N>
VR_SIMD inline V shl32(V v) { return _mm256_slli_epi32(v, N); }
template <int N>
VR_SIMD inline V shr32(V v) { return _mm256_srli_epi32(v, N); }
VR_SIMD inline V sub32(V a, V b) { return _mm256_sub_epi32(a, b); }
template <int N>
VR_SIMD inline V sar32(V v) { return _mm256_srai_epi32(v, N); }
VR_SIMD inline V mul32(V a, V b) { return _mm256_mullo_epi32(a, b); }
VR_SIMD inline V adds8(V a, V b) { return _mm256_adds_epu8(a, b); }
VR_SIMD inline V subs8(V a, V b) { return _mm256_subs_epu8(a, b); }
VR_SIMD inline V min8(V a, V b) { return _mm256_min_epu8(a, b); }
VR_SIMD inline V max8(V a, V b) { return _mm256_max_epu8(a, b); }
VR_SIMD inline V avg8(V a, V b) { return _mm256_avg_epu8(a, b); }
VR_SIMD inline V vand(V a, V b) { return _mm256_and_si256(a, b); }
VR_SIMD inline V vor(V a, V b) { return _mm256_or_si256(a, b); }
VR_SIMD inline V vxor(V a, V b) { return _mm256_xor_si256(a, b); }
// Bytes of a where mask is set, of b elsewhere (masks here are whole bytes).
VR_SIMD inline V select(V mask, V a, V b) { return _mm256_blendv_epi8(b, a, mask); }
VR_SIMD inline V cmpeq8(V a, V b) { return _mm256_cmpeq_epi8(a, b); }
VR_SIMD inline bool allEqual(V a, V b) { return _mm256_movemask_epi8(_mm256_cmpeq_epi8(a, b)) == -1; }

}  // namespace
}  // namespace vr::pixel

#include "graphics/pixel/simd_kernels.inc"

namespace vr::pixel {
namespace {

// Slot 19, eight output pixels a round, with the SSE2 kernel's roundings.
// The even/odd split works within 128-bit lanes, which leaves the output
// quarters in the order 0, 2, 1, 3; one permutation puts them back.
VR_SIMD void boxReduceAvx2(uint8_t* dst, const uint8_t* src, size_t srcStridePixels, size_t outPixels) {
    const uint8_t* below = src + srcStridePixels * 4;
    size_t k = 0;
    for (; k + 8 <= outPixels; k += 8) {
        V rows0 = _mm256_avg_epu8(load(src + k * 8), load(below + k * 8));
        V rows1 = _mm256_avg_epu8(load(src + k * 8 + 32), load(below + k * 8 + 32));
        __m256 a = _mm256_castsi256_ps(rows0), b = _mm256_castsi256_ps(rows1);
        V even = _mm256_castps_si256(_mm256_shuffle_ps(a, b, _MM_SHUFFLE(2, 0, 2, 0)));
        V odd = _mm256_castps_si256(_mm256_shuffle_ps(a, b, _MM_SHUFFLE(3, 1, 3, 1)));
        store(dst + k * 4, _mm256_permute4x64_epi64(_mm256_avg_epu8(even, odd), _MM_SHUFFLE(3, 1, 2, 0)));
    }
    boxReduceSse2(dst + k * 4, src + k * 8, srcStridePixels, outPixels - k);
}

constexpr PixelKernelTable kAvx2Kernels = {
    common::zeroFill,
    common::byteFill,
    pixelFillVec,
    common::copy,
    normalOpacityVec,
    normalSourceAlphaVec,
    normalSourceAlphaOpacityVec,
    normalMaskedVec,
    crossFadeVec,
    addVec,
    addOpacityVec,
    subtractVec,
    multiplyVec,
    screenVec,
    screenOpacityVec,
    lightenVec,
    darkenVec,
    linearBurnVec,
    linearLightVec,
    boxReduceAvx2,
    keepAlphaOverVec,
    keepAlphaOverOpacityVec,
    keepAlphaOverScaledVec,
    keepAlphaOverScaledOpacityVec,
};

}  // namespace

const PixelSet& avx2PixelSet() {
    static const PixelSet set = buildPixelSet<kAvx2Kernels>(PixelSetKind::Avx2, "avx2", true);
    return set;
}

}  // namespace vr::pixel

#endif  // VR_PIXEL_HAVE_X86_SETS
