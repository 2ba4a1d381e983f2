// The SSE set in SSE2 instructions: 16-byte vectors over the kernels of
// simd_kernels.inc (slots 20 to 23 among them), and the 2x2 reduction of
// slot 19.  Built only for x86;
// the functions carry their target so that 32-bit builds without -msse2
// still compile them (they run only when the processor has SSE2).
#include "graphics/pixel/pixel_sets_internal.h"

#ifdef VR_PIXEL_HAVE_X86_SETS

#include <immintrin.h>

#include <cstring>

#include "graphics/pixel/kernels_common.h"
#include "graphics/pixel/lookup_tables.h"
#include "graphics/pixel/set_builder.h"

#define VR_SIMD __attribute__((target("sse2")))

namespace vr::pixel {
namespace {

using V = __m128i;
constexpr size_t kVectorBytes = 16;

VR_SIMD inline V load(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const V*>(p)); }
VR_SIMD inline void store(uint8_t* p, V v) { _mm_storeu_si128(reinterpret_cast<V*>(p), v); }
VR_SIMD inline V zero() { return _mm_setzero_si128(); }
VR_SIMD inline V splat8(int x) { return _mm_set1_epi8(char(x)); }
VR_SIMD inline V splat16(int x) { return _mm_set1_epi16(short(x)); }
VR_SIMD inline V splat32(uint32_t x) { return _mm_set1_epi32(int(x)); }
VR_SIMD inline V widenLo(V v) { return _mm_unpacklo_epi8(v, _mm_setzero_si128()); }
VR_SIMD inline V widenHi(V v) { return _mm_unpackhi_epi8(v, _mm_setzero_si128()); }
VR_SIMD inline V narrow(V lo, V hi) { return _mm_packus_epi16(lo, hi); }
VR_SIMD inline V add8(V a, V b) { return _mm_add_epi8(a, b); }
VR_SIMD inline V add16(V a, V b) { return _mm_add_epi16(a, b); }
VR_SIMD inline V add32(V a, V b) { return _mm_add_epi32(a, b); }
VR_SIMD inline V sub16(V a, V b) { return _mm_sub_epi16(a, b); }
VR_SIMD inline V mul16(V a, V b) { return _mm_mullo_epi16(a, b); }
VR_SIMD inline V mulhi16(V a, V b) { return _mm_mulhi_epu16(a, b); }
template <int N>
VR_SIMD inline V shl16(V v) { return _mm_slli_epi16(v, N); }
template <int N>
VR_SIMD inline V shr16(V v) { return _mm_srli_epi16(v, N); }
template <int N>
VR_SIMD inline V shl32(V v) { return _mm_slli_epi32(v, N); }
template <int N>
VR_SIMD inline V shr32(V v) { return _mm_srli_epi32(v, N); }
VR_SIMD inline V sub32(V a, V b) { return _mm_sub_epi32(a, b); }
template <int N>
VR_SIMD inline V sar32(V v) { return _mm_srai_epi32(v, N); }
// The low 32 bits of each lane's product (the same for signed lanes), from
// the two 64-bit products of the even and of the odd lanes.
VR_SIMD inline V mul32(V a, V b) {
    V even = _mm_mul_epu32(a, b);
    V odd = _mm_mul_epu32(_mm_srli_epi64(a, 32), _mm_srli_epi64(b, 32));
    return _mm_unpacklo_epi32(_mm_shuffle_epi32(even, _MM_SHUFFLE(0, 0, 2, 0)),
                              _mm_shuffle_epi32(odd, _MM_SHUFFLE(0, 0, 2, 0)));
}
VR_SIMD inline V adds8(V a, V b) { return _mm_adds_epu8(a, b); }
VR_SIMD inline V subs8(V a, V b) { return _mm_subs_epu8(a, b); }
VR_SIMD inline V min8(V a, V b) { return _mm_min_epu8(a, b); }
VR_SIMD inline V max8(V a, V b) { return _mm_max_epu8(a, b); }
VR_SIMD inline V avg8(V a, V b) { return _mm_avg_epu8(a, b); }
VR_SIMD inline V vand(V a, V b) { return _mm_and_si128(a, b); }
VR_SIMD inline V vor(V a, V b) { return _mm_or_si128(a, b); }
VR_SIMD inline V vxor(V a, V b) { return _mm_xor_si128(a, b); }
// Bits of a where mask is set, of b elsewhere.
VR_SIMD inline V select(V mask, V a, V b) { return _mm_or_si128(_mm_and_si128(mask, a), _mm_andnot_si128(mask, b)); }
VR_SIMD inline V cmpeq8(V a, V b) { return _mm_cmpeq_epi8(a, b); }
VR_SIMD inline bool allEqual(V a, V b) { return _mm_movemask_epi8(_mm_cmpeq_epi8(a, b)) == 0xFFFF; }

}  // namespace
}  // namespace vr::pixel

#include "graphics/pixel/simd_kernels.inc"

namespace vr::pixel {

// Four output pixels a round: the rows averaged, then the even and odd
// pixels separated and averaged, both with rounding (pavgb).
VR_SIMD void boxReduceSse2(uint8_t* dst, const uint8_t* src, size_t srcStridePixels, size_t outPixels) {
    const uint8_t* below = src + srcStridePixels * 4;
    size_t k = 0;
    for (; k + 4 <= outPixels; k += 4) {
        V rows0 = _mm_avg_epu8(load(src + k * 8), load(below + k * 8));
        V rows1 = _mm_avg_epu8(load(src + k * 8 + 16), load(below + k * 8 + 16));
        __m128 a = _mm_castsi128_ps(rows0), b = _mm_castsi128_ps(rows1);
        V even = _mm_castps_si128(_mm_shuffle_ps(a, b, _MM_SHUFFLE(2, 0, 2, 0)));
        V odd = _mm_castps_si128(_mm_shuffle_ps(a, b, _MM_SHUFFLE(3, 1, 3, 1)));
        store(dst + k * 4, _mm_avg_epu8(even, odd));
    }
    for (; k < outPixels; ++k) {
        for (int c = 0; c < 4; ++c) {
            size_t i = k * 8 + size_t(c);
            int top = (src[i] + below[i] + 1) >> 1, next = (src[i + 4] + below[i + 4] + 1) >> 1;
            dst[k * 4 + size_t(c)] = uint8_t((top + next + 1) >> 1);
        }
    }
}

namespace {

constexpr PixelKernelTable kSse2Kernels = {
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
    boxReduceSse2,
    keepAlphaOverVec,
    keepAlphaOverOpacityVec,
    keepAlphaOverScaledVec,
    keepAlphaOverScaledOpacityVec,
};

}  // namespace

const PixelSet& sse2PixelSet() {
    static const PixelSet set = buildPixelSet<kSse2Kernels>(PixelSetKind::Sse2, "sse2", true);
    return set;
}

}  // namespace vr::pixel

#endif  // VR_PIXEL_HAVE_X86_SETS
