#include "graphics/pixel/blend_modes.h"

#include <cmath>
#include <cstdlib>

namespace vr::pixel {
namespace {

int clampByte(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }
int minInt(int a, int b) { return a < b ? a : b; }
int maxInt(int a, int b) { return a > b ? a : b; }

// Soft light as the games were drawn with it: square roots in double
// precision, each product truncated toward zero, then an arithmetic shift.
int softLight(int s, int d) {
    double root = std::sqrt(double(256 - d));
    if (s < 128) {
        int v = int(16384.0 - root);
        return clampByte(d + (((s - 128) * v) >> 15));
    }
    if (d <= 32) {
        int v = int(16384.0 - root * double(768 - 8 * d));
        return clampByte(d + (((s - 128) * v) >> 15));
    }
    int v = int(16384.0 - root);
    return clampByte(d + (((s - 128) * v) >> 16));
}

int vividLight(int s, int d) {
    if (s == 0) return 0;
    if (s < 128) return maxInt(0, (510 * s - 65025 + 255 * d) / (2 * s));
    if (s < 255) return minInt(255, 255 * d / (510 - 2 * s));
    return 255;
}

// Overlay and hard light are the same curve with the roles of s and d swapped.
int hardLight(int s, int d) {
    if (s < 128) return 2 * s * d / 255;
    if (s == 128) return d;
    return 2 * s - 257 + d * (512 - 2 * s) / 255;
}

int tabledMode(int mode, int s, int d) {
    switch (mode) {
    case kBlendMultiply: return s * d / 255;
    case kBlendDivide:
        if (d == 0) return s > 0 ? 255 : 0;
        return minInt(255, 255 * s / d);
    case kBlendScreen: return s + d - s * d / 255;
    case kBlendLighten: return maxInt(s, d);
    case kBlendDarken: return minInt(s, d);
    case kBlendDifference: return std::abs(s - d);
    case kBlendExclusion: return s + d - 2 * (s * d / 255);
    case kBlendOverlay: return hardLight(d, s);
    case kBlendColorDodge: return minInt(255, 256 * d / (256 - s));
    case kBlendColorBurn: return maxInt(0, 255 - 256 * (255 - d) / (s + 1));
    case kBlendLinearBurn: return clampByte(s + d - 255);
    case kBlendHardLight: return hardLight(s, d);
    case kBlendSoftLight: return softLight(s, d);
    case kBlendVividLight: return vividLight(s, d);
    case kBlendLinearLight: return clampByte(2 * s + d - 256);
    case kBlendPinLight: return s < 128 ? minInt(d, 2 * s) : maxInt(d, 2 * s - 255);
    default: return s;
    }
}

struct BuiltModeTables : BlendModeTables {
    BuiltModeTables() {
        for (int mode = kFirstTabledMode; mode < kBlendModeCount; ++mode) {
            auto& t = table[mode - kFirstTabledMode];
            // Every formula stays within 0..255; the clamp only guards the
            // byte store.
            for (int s = 0; s < 256; ++s) {
                for (int d = 0; d < 256; ++d) t[s][d] = uint8_t(clampByte(tabledMode(mode, s, d)));
            }
        }
    }
};

}  // namespace

const BlendModeTables& blendModeTables() {
    static const BuiltModeTables tables;
    return tables;
}

}  // namespace vr::pixel
