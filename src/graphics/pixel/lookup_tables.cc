#include "graphics/pixel/lookup_tables.h"

namespace vr::pixel {
namespace {

// Filled in place: the record is about a megabyte, too large for a
// temporary on a worker's stack.
struct BuiltTables : LookupTables {
    BuiltTables() {
        for (int i = 0; i < 511; ++i) {
            saturatingSum[i] = uint8_t(i < 255 ? i : 255);
            clampedDifference[i] = uint8_t(i > 255 ? i - 255 : 0);
        }
        for (int r = 0; r <= 256; ++r) {
            for (int x = -255; x <= 256; ++x) {
                // C++ division truncates toward zero, as the tables want.
                signedProduct255[r][x + 255] = uint16_t(r * x / 255);
                signedProduct256[r][x + 255] = uint16_t(r * x / 256);
            }
        }
        for (int r = 0; r < 256; ++r) {
            for (int c = 0; c < 256; ++c) product[r][c] = uint8_t(r * c / 255);
        }
        for (int k = 0; k < 256; ++k) reciprocalRatio[0][k] = 0;
        for (int a = 1; a < 256; ++a) {
            for (int k = 0; k < 256; ++k) reciprocalRatio[a][k] = uint16_t(256 * k / a);
        }
    }
};

}  // namespace

const LookupTables& lookupTables() {
    static const BuiltTables tables;
    return tables;
}

}  // namespace vr::pixel
