// Frame pacing: sleeps until the frame's deadline and decides whether the
// next frame may skip composition and presentation.
#pragma once

#include <cstdint>

namespace vr {

// The frame length in 16.16 fixed point for a frame rate.
uint32_t framePeriod16(int fps);

// Waits for the frame deadline; true when the next frame should skip
// composition and presentation.
bool framePace();

// Lateness of this many milliseconds or more counts as none, so a long stall
// does not cause a burst of catch-up frames.
constexpr int64_t kLatenessCap = 250;

}  // namespace vr
