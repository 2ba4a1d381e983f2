// The picture an X server shows, read with Xlib (kept out of the test files:
// Xlib's macros clash with gtest's names).
#pragma once

#include <memory>
#include <string>

#include "support/png_file.h"
#include "support/process.h"

namespace vr::test {

// The rectangle (x, y, w, h) of the root window of `display` (":1"); false
// when the server cannot be reached or the rectangle is off the screen.
bool grabScreen(const std::string& display, int x, int y, int w, int h, Picture& out);

// An Xvfb server of 1024 x 768 on a free display, whose number goes to
// `display` (-1 when it did not start within 5 seconds); its output is
// written to `log`.
std::unique_ptr<BackgroundProcess> startXvfb(const std::string& log, int& display);

}  // namespace vr::test
