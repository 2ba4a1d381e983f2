// The filters of the drawing command, each over a rectangle of a surface,
// in place.  Unless a filter says otherwise the alpha byte is kept.
#pragma once

#include <cstdint>

#include "graphics/draw/canvas.h"
#include "graphics/surface.h"

namespace vr {

// Levels are 0..256 (values outside are clamped).
void saturationFilter(Surface& s, const PixelRect& r, int64_t level);  // 128 unchanged
void colourBalanceFilter(Surface& s, const PixelRect& r, int64_t rgb);  // 0x80 per channel unchanged
void sepiaFilter(Surface& s, const PixelRect& r, int64_t level);       // 256 full sepia, 0 unchanged
void brightnessFilter(Surface& s, const PixelRect& r, int64_t level);  // 128 unchanged
void thresholdFilter(Surface& s, const PixelRect& r, int64_t level);
void negativeFilter(Surface& s, const PixelRect& r);
void flipRows(Surface& s, const PixelRect& r);      // upside down
void mirrorColumns(Surface& s, const PixelRect& r); // left to right
// The value's low 24 bits as 0xRRGGBB, alpha 255.
void fillOpaque(Surface& s, const PixelRect& r, int64_t rgb);
// The alpha byte of every pixel set to the value (clamped to 0..255).
void fillAlpha(Surface& s, const PixelRect& r, int64_t alpha);

// The four colours of each 2 x 2 block rearranged by a random one of the 24
// orders, in passes / 2 passes; odd passes cut the blocks from the opposite
// corner.  draw() gives the engine's random numbers.
void scatterFilter(Surface& s, const PixelRect& r, int64_t passes, uint32_t (*draw)());
// Blocks of n x n (n at least 1) on a grid through ((right + 1) / 2,
// (bottom + 1) / 2), each taking the average colour of its pixels inside
// the rectangle.
void mosaicFilter(Surface& s, const PixelRect& r, int64_t size);
// A box blur of the given radius (0..255), across and then down, the
// rectangle's edge pixels repeated beyond it.
void blurFilter(Surface& s, const PixelRect& r, int64_t radius);

// The 24 orders of scatter: entry k gives, for the block positions 0 to 3
// (top-left, top-right, bottom-left, bottom-right), the position whose
// colour moves there.
extern const uint8_t kScatterOrders[24][4];

}  // namespace vr
