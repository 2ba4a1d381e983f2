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

// Types UTF-8 text into the top-level window whose title is `title`
// (waited for up to `milliseconds`), then presses Return: the window gets
// the input focus, each character is mapped to a spare key for its press,
// and the presses go to the window as the X server delivers keys.  False
// when the window did not appear or a character found no key.
bool typeIntoWindow(const std::string& display, const std::string& title, const std::string& utf8, int milliseconds);

// An Xvfb server of 1024 x 768 on a free display, whose number goes to
// `display` (-1 when it did not start within 5 seconds); its output is
// written to `log`.
std::unique_ptr<BackgroundProcess> startXvfb(const std::string& log, int& display);

}  // namespace vr::test
