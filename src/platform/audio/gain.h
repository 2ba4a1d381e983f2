// Volume and pan in hundredths of a decibel, turned into the linear gains
// the mixer multiplies by.  -10000 is silence itself, not the -100 dB the
// formula would give, so a buffer turned all the way down adds nothing.
#pragma once

#include <cmath>
#include <cstdint>

#include "platform/sound_device.h"

namespace vr::platform::audio {

inline float gainOf(int32_t hundredthsOfDecibel) {
    if (hundredthsOfDecibel <= kSilentVolume) return 0.0f;
    if (hundredthsOfDecibel >= 0) return 1.0f;
    return float(std::pow(10.0, double(hundredthsOfDecibel) / 2000.0));
}

struct StereoGain {
    float left = 1.0f;
    float right = 1.0f;
    bool operator==(const StereoGain&) const = default;
};

// A pan to the right attenuates the left side by its amount, a pan to the
// left the right side; the near side keeps the buffer's volume.
inline StereoGain stereoGain(int32_t volume, int32_t pan) {
    float v = gainOf(volume);
    return {pan > 0 ? v * gainOf(-pan) : v, pan < 0 ? v * gainOf(pan) : v};
}

}  // namespace vr::platform::audio
