// The bilinear row in SSE2 and AVX2, with the pixels of bilinearPixel.
// Each destination pixel reads its two neighbouring source pixels of both
// rows as one 8-byte load, so a column whose right neighbour would be the
// next row's first pixel goes to the scalar tail (the coordinates grow, so
// those columns come last).  Built only for x86; each function carries its
// target, and runs only when the processor has it.
#include "graphics/draw/resample_rows.h"

#if defined(__i386__) || defined(__x86_64__)

#include <immintrin.h>

namespace vr {

namespace {

__attribute__((target("sse2"))) inline __m128i pairOf(const uint8_t* row, int32_t coordinate) {
    return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + size_t(coordinate >> 8) * 4));
}

// The two source pixels of a destination pixel, as 16-bit lanes
// [b0 g0 r0 a0 b1 g1 r1 a1], mixed over the rows and halved, regrouped as
// channel pairs [b0 b1 g0 g1 r0 r1 a0 a1] for the column mix.
__attribute__((target("sse2"))) inline __m128i channelPairs(__m128i v) {
    return _mm_unpacklo_epi16(v, _mm_srli_si128(v, 8));
}

// Counts the columns from the start whose right neighbour is inside.
int vectorColumns(const int32_t* mapX, int count, int32_t lastColumn) {
    int n = count;
    while (n > 0 && (mapX[n - 1] >> 8) >= lastColumn) --n;
    return n;
}

}  // namespace

__attribute__((target("sse2"))) void bilinearRowSse2(uint8_t* dst, const uint8_t* row0, const uint8_t* row1,
                                                      int fy, const int32_t* mapX, int count,
                                                      int32_t lastColumn) {
    const int n = vectorColumns(mapX, count, lastColumn);
    const __m128i zero = _mm_setzero_si128();
    const __m128i w0 = _mm_set1_epi16(short(256 - fy)), w1 = _mm_set1_epi16(short(fy));
    const __m128i half = _mm_set1_epi32(16384);
    int i = 0;
    for (; i + 2 <= n; i += 2) {
        const int32_t xa = mapX[i], xb = mapX[i + 1];
        __m128i top = _mm_unpacklo_epi64(pairOf(row0, xa), pairOf(row0, xb));
        __m128i bottom = _mm_unpacklo_epi64(pairOf(row1, xa), pairOf(row1, xb));
        __m128i lo = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(top, zero), w0),
                                                  _mm_mullo_epi16(_mm_unpacklo_epi8(bottom, zero), w1)),
                                    1);
        __m128i hi = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(top, zero), w0),
                                                  _mm_mullo_epi16(_mm_unpackhi_epi8(bottom, zero), w1)),
                                    1);
        const int fa = xa & 255, fb = xb & 255;
        __m128i wa = _mm_set1_epi32(int(uint32_t(fa) << 16 | uint32_t(256 - fa)));
        __m128i wb = _mm_set1_epi32(int(uint32_t(fb) << 16 | uint32_t(256 - fb)));
        __m128i a = _mm_srai_epi32(_mm_add_epi32(_mm_madd_epi16(channelPairs(lo), wa), half), 15);
        __m128i b = _mm_srai_epi32(_mm_add_epi32(_mm_madd_epi16(channelPairs(hi), wb), half), 15);
        __m128i packed = _mm_packus_epi16(_mm_packs_epi32(a, b), zero);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(dst + size_t(i) * 4), packed);
    }
    for (; i < count; ++i) bilinearPixel(dst + size_t(i) * 4, row0, row1, fy, mapX[i], lastColumn);
}

namespace {

__attribute__((target("avx2"))) inline __m256i pairsOf(const uint8_t* row, int32_t xa, int32_t xb, int32_t xc,
                                                        int32_t xd) {
    __m128i ab = _mm_unpacklo_epi64(pairOf(row, xa), pairOf(row, xb));
    __m128i cd = _mm_unpacklo_epi64(pairOf(row, xc), pairOf(row, xd));
    return _mm256_inserti128_si256(_mm256_castsi128_si256(ab), cd, 1);
}

__attribute__((target("avx2"))) inline __m256i columnWeights(int32_t xa, int32_t xb) {
    const int fa = xa & 255, fb = xb & 255;
    __m128i wa = _mm_set1_epi32(int(uint32_t(fa) << 16 | uint32_t(256 - fa)));
    __m128i wb = _mm_set1_epi32(int(uint32_t(fb) << 16 | uint32_t(256 - fb)));
    return _mm256_inserti128_si256(_mm256_castsi128_si256(wa), wb, 1);
}

}  // namespace

// Four destination pixels a round: lane 0 holds the first two, lane 1 the
// other two, and every step works within lanes.
__attribute__((target("avx2"))) void bilinearRowAvx2(uint8_t* dst, const uint8_t* row0, const uint8_t* row1,
                                                      int fy, const int32_t* mapX, int count,
                                                      int32_t lastColumn) {
    const int n = vectorColumns(mapX, count, lastColumn);
    const __m256i zero = _mm256_setzero_si256();
    const __m256i w0 = _mm256_set1_epi16(short(256 - fy)), w1 = _mm256_set1_epi16(short(fy));
    const __m256i half = _mm256_set1_epi32(16384);
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        const int32_t xa = mapX[i], xb = mapX[i + 1], xc = mapX[i + 2], xd = mapX[i + 3];
        __m256i top = pairsOf(row0, xa, xb, xc, xd);
        __m256i bottom = pairsOf(row1, xa, xb, xc, xd);
        // Lane 0: [a | b] pixels, lane 1: [c | d].
        __m256i first = _mm256_srli_epi16(
            _mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(top, zero), w0),
                             _mm256_mullo_epi16(_mm256_unpacklo_epi8(bottom, zero), w1)),
            1);
        __m256i second = _mm256_srli_epi16(
            _mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpackhi_epi8(top, zero), w0),
                             _mm256_mullo_epi16(_mm256_unpackhi_epi8(bottom, zero), w1)),
            1);
        __m256i pairsAc = _mm256_unpacklo_epi16(first, _mm256_srli_si256(first, 8));
        __m256i pairsBd = _mm256_unpacklo_epi16(second, _mm256_srli_si256(second, 8));
        __m256i ac = _mm256_srai_epi32(_mm256_add_epi32(_mm256_madd_epi16(pairsAc, columnWeights(xa, xc)), half), 15);
        __m256i bd = _mm256_srai_epi32(_mm256_add_epi32(_mm256_madd_epi16(pairsBd, columnWeights(xb, xd)), half), 15);
        // packs within lanes: lane 0 [a b], lane 1 [c d].
        __m256i packed = _mm256_packus_epi16(_mm256_packs_epi32(ac, bd), zero);
        __m128i low = _mm256_castsi256_si128(packed), high = _mm256_extracti128_si256(packed, 1);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + size_t(i) * 4), _mm_unpacklo_epi64(low, high));
    }
    if (i < n) bilinearRowSse2(dst + size_t(i) * 4, row0, row1, fy, mapX + i, n - i, lastColumn);
    for (i = n; i < count; ++i) bilinearPixel(dst + size_t(i) * 4, row0, row1, fy, mapX[i], lastColumn);
}

}  // namespace vr

#endif
