// The per-row work of the resampling methods that the workers share
// (nearest, bilinear, area average), and the bilinear row of each pixel set.
#pragma once

#include <cstdint>

#include "graphics/draw/draw_state.h"
#include "graphics/pixel/pixel_set.h"

namespace vr {

// One bilinear pixel: the two rows mixed first, halved so that the column
// mix fits 16-bit lanes, then the columns mixed and rounded:
//   v = (p(x, y0) * (256 - fy) + p(x, y1) * fy) >> 1
//   out = (v(x) * (256 - fx) + v(x + 1) * fx + 16384) >> 15
// with x + 1 kept at lastColumn.
inline void bilinearPixel(uint8_t* out, const uint8_t* row0, const uint8_t* row1, int fy, int32_t coordinate,
                          int32_t lastColumn) {
    int32_t x = coordinate >> 8;
    int fx = coordinate & 255;
    int32_t x1 = x < lastColumn ? x + 1 : x;
    const uint8_t *a0 = row0 + size_t(x) * 4, *a1 = row1 + size_t(x) * 4;
    const uint8_t *b0 = row0 + size_t(x1) * 4, *b1 = row1 + size_t(x1) * 4;
    for (int c = 0; c < 4; ++c) {
        int v0 = (a0[c] * (256 - fy) + a1[c] * fy) >> 1;
        int v1 = (b0[c] * (256 - fy) + b1[c] * fy) >> 1;
        out[c] = uint8_t((v0 * (256 - fx) + v1 * fx + 16384) >> 15);
    }
}

void bilinearRowPlain(uint8_t* dst, const uint8_t* row0, const uint8_t* row1, int fy, const int32_t* mapX,
                      int count, int32_t lastColumn);
#if defined(__i386__) || defined(__x86_64__)
void bilinearRowSse2(uint8_t* dst, const uint8_t* row0, const uint8_t* row1, int fy, const int32_t* mapX,
                     int count, int32_t lastColumn);
void bilinearRowAvx2(uint8_t* dst, const uint8_t* row0, const uint8_t* row1, int fy, const int32_t* mapX,
                     int count, int32_t lastColumn);
#endif

// The bilinear row of a pixel set: the vector sets have their own, the
// portable ones the plain row; all give the same pixels.
BilinearRow bilinearRowFor(pixel::PixelSetKind kind);

// Runs the rows [job.firstRow, job.endRow) of a job, the columns outside
// [job.firstColumn, job.endColumn) zero-filled.
void runResampleRows(const ResampleJob& job);

}  // namespace vr
