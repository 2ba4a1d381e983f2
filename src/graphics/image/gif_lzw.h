// The variable-length LZW code of GIF image data.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/bytes.h"

namespace vr {

// Decodes the image data that start where the reader stands (the minimum code size,
// then length-prefixed sub-blocks up to the empty one) into exactly `count`
// colour indices.  Codes past the last pixel are not needed: the rest of the
// data is skipped.  False when the data are malformed: a code size outside
// 1..8, a code naming a table entry not yet defined, an end code or the end
// of the sub-blocks before the last pixel, or sub-blocks running past the
// end of the file.  On success the reader stands after the empty sub-block.
bool decodeGifImageData(ByteReader& in, uint8_t* out, size_t count);

// Skips sub-blocks up to and including the empty one; false when they run
// past the end of the data.
bool skipGifSubBlocks(ByteReader& in);

}  // namespace vr
