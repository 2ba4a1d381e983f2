// The largest picture side the engine makes, loads or takes back from a
// save file: a side of 8192 pixels keeps a picture's bytes (and every sum
// of rows and columns over it) well inside 32-bit arithmetic.
#pragma once

#include <cstdint>

namespace vr {

constexpr uint32_t kMaxImageSide = 8192;

}  // namespace vr
