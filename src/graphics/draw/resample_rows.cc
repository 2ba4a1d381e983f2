#include "graphics/draw/resample_rows.h"

#include <cstring>

namespace vr {

namespace {

void nearestRow(const ResampleJob& j, uint8_t* out, int r) {
    const uint32_t* src = reinterpret_cast<const uint32_t*>(j.source) + size_t(j.mapY[r]) * j.sourceWidth;
    for (int c = j.firstColumn; c < j.endColumn; ++c) std::memcpy(out + size_t(c) * 4, src + j.mapX[c], 4);
}

void bilinearRow(const ResampleJob& j, uint8_t* out, int r) {
    int32_t y = j.mapY[r] >> 8;
    int fy = j.mapY[r] & 255;
    int32_t y1 = y + 1 < int32_t(j.sourceHeight) ? y + 1 : y;
    const uint8_t* row0 = j.source + size_t(y) * j.sourceWidth * 4;
    const uint8_t* row1 = j.source + size_t(y1) * j.sourceWidth * 4;
    j.bilinear(out + size_t(j.firstColumn) * 4, row0, row1, fy, j.mapX + j.firstColumn,
               j.endColumn - j.firstColumn, int32_t(j.sourceWidth) - 1);
}

// k = 2 through the 2 x 2 kernel; other factors sum k x k pixels in 32 bits
// (a factor of 8192 sums 2^26 values of 255) and divide, truncating.
void areaRow(const ResampleJob& j, uint8_t* out, int r) {
    const int k = j.factor;
    const size_t stride = j.sourceWidth;
    const uint8_t* top = j.source + size_t(j.mapY[r]) * stride * 4;
    if (k == 2) {
        j.boxReduce(out + size_t(j.firstColumn) * 4, top + size_t(j.mapX[j.firstColumn]) * 4, stride,
                    size_t(j.endColumn - j.firstColumn));
        return;
    }
    const uint32_t area = uint32_t(k) * uint32_t(k);
    for (int c = j.firstColumn; c < j.endColumn; ++c) {
        uint32_t sum[4] = {};
        for (int y = 0; y < k; ++y) {
            const uint8_t* p = top + (size_t(y) * stride + size_t(j.mapX[c])) * 4;
            for (int x = 0; x < k; ++x, p += 4)
                for (int ch = 0; ch < 4; ++ch) sum[ch] += p[ch];
        }
        for (int ch = 0; ch < 4; ++ch) out[size_t(c) * 4 + size_t(ch)] = uint8_t(sum[ch] / area);
    }
}

}  // namespace

void bilinearRowPlain(uint8_t* dst, const uint8_t* row0, const uint8_t* row1, int fy, const int32_t* mapX,
                      int count, int32_t lastColumn) {
    for (int i = 0; i < count; ++i) bilinearPixel(dst + size_t(i) * 4, row0, row1, fy, mapX[i], lastColumn);
}

BilinearRow bilinearRowFor(pixel::PixelSetKind kind) {
#if defined(__i386__) || defined(__x86_64__)
    if (kind == pixel::PixelSetKind::Avx2) return &bilinearRowAvx2;
    if (kind == pixel::PixelSetKind::Sse2) return &bilinearRowSse2;
#endif
    (void)kind;
    return &bilinearRowPlain;
}

void runResampleRows(const ResampleJob& j) {
    const size_t stride = size_t(j.destWidth) * 4;
    for (int r = j.firstRow; r < j.endRow; ++r) {
        uint8_t* out = j.dest + size_t(r) * stride;
        std::memset(out, 0, size_t(j.firstColumn) * 4);
        std::memset(out + size_t(j.endColumn) * 4, 0, stride - size_t(j.endColumn) * 4);
        if (j.firstColumn >= j.endColumn) continue;
        switch (j.code) {
        case 11:
            // An enlargement repeats whole rows: the row above, already
            // made by this worker, is copied instead of gathered again.
            if (r > j.firstRow && j.mapY[r] == j.mapY[r - 1]) {
                std::memcpy(out + size_t(j.firstColumn) * 4, out - stride + size_t(j.firstColumn) * 4,
                            size_t(j.endColumn - j.firstColumn) * 4);
                break;
            }
            nearestRow(j, out, r);
            break;
        case 21: bilinearRow(j, out, r); break;
        default: areaRow(j, out, r); break;
        }
    }
}

}  // namespace vr
