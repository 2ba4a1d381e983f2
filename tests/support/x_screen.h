// The picture an X server shows, read with Xlib (kept out of the test files:
// Xlib's macros clash with gtest's names).
#pragma once

#include <string>

#include "support/png_file.h"

namespace vr::test {

// The rectangle (x, y, w, h) of the root window of `display` (":1"); false
// when the server cannot be reached or the rectangle is off the screen.
bool grabScreen(const std::string& display, int x, int y, int w, int h, Picture& out);

}  // namespace vr::test
