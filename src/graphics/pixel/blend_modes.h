// The nineteen blend modes: F(s, d) per channel, s the source (upper) channel
// and d the destination (lower) one.  Normal, add and subtract are computed
// inline; every other mode reads a 256 x 256 table built once on first use.
#pragma once

#include <cstdint>

#include "graphics/pixel/lookup_tables.h"

namespace vr::pixel {

enum BlendMode : int {
    kBlendNormal = 0,
    kBlendAdd = 1,
    kBlendSubtract = 2,
    kBlendMultiply = 3,
    kBlendDivide = 4,
    kBlendScreen = 5,
    kBlendLighten = 6,
    kBlendDarken = 7,
    kBlendDifference = 8,
    kBlendExclusion = 9,
    kBlendOverlay = 10,
    kBlendColorDodge = 11,
    kBlendColorBurn = 12,
    kBlendLinearBurn = 13,
    kBlendHardLight = 14,
    kBlendSoftLight = 15,
    kBlendVividLight = 16,
    kBlendLinearLight = 17,
    kBlendPinLight = 18,
};

constexpr int kBlendModeCount = 19;
constexpr int kFirstTabledMode = kBlendMultiply;

// Tables of modes 3..18, row s, column d.
struct BlendModeTables {
    uint8_t table[kBlendModeCount - kFirstTabledMode][256][256];

    const uint8_t (&rows(int mode) const)[256][256] { return table[mode - kFirstTabledMode]; }
};

const BlendModeTables& blendModeTables();

// F(s, d) of a mode 0..18, by the same route the blend operators take.
inline uint8_t blendChannel(int mode, uint8_t s, uint8_t d) {
    switch (mode) {
    case kBlendNormal: return s;
    case kBlendAdd: return lookupTables().saturatingSum[s + d];
    case kBlendSubtract: return lookupTables().clampedDifference[255 + s - d];
    default: return blendModeTables().rows(mode)[s][d];
    }
}

}  // namespace vr::pixel
