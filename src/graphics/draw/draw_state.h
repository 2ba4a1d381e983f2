// What the drawing command keeps between calls: the engine's fill colour,
// the coordinate maps of the last resampling and the workers' resampling
// jobs.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "graphics/pixel/kernel_table.h"

namespace vr {

// A destination row of bilinear resampling: count pixels from the source
// rows row0 and row1 (row1 == row0 on the bottom edge) with the row weight
// fy (0..255), at the source coordinates mapX (x 256, absolute, ascending).
// A column at lastColumn takes itself as its right neighbour.
using BilinearRow = void (*)(uint8_t* dst, const uint8_t* row0, const uint8_t* row1, int fy,
                             const int32_t* mapX, int count, int32_t lastColumn);

// The rows [firstRow, endRow) of one resampling, run by one worker.  The
// maps hold absolute source coordinates for the destination columns
// [firstColumn, endColumn) and rows [firstRow, endRow) that lie inside the
// source; the rest of the destination is zero-filled before the job.
struct ResampleJob {
    int code = 11;  // 11 nearest, 21 bilinear, 41 area average
    int firstRow = 0, endRow = 0;
    int firstColumn = 0, endColumn = 0;
    uint32_t sourceWidth = 0, sourceHeight = 0;
    uint32_t destWidth = 0;
    uint8_t* dest = nullptr;
    const uint8_t* source = nullptr;
    const int32_t* mapX = nullptr;
    const int32_t* mapY = nullptr;
    int factor = 0;  // area average
    pixel::BoxReduceKernel boxReduce = nullptr;
    BilinearRow bilinear = nullptr;
};

struct DrawState {
    uint32_t fillColour = 0;  // 0xAARRGGBB: new canvas and transparent pixels take it
    std::vector<int32_t> mapX, mapY;
    std::array<ResampleJob, 2> jobs;
};

}  // namespace vr
