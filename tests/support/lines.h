// Whole-line checks of a run's text output (the --dump-vars file, the
// transcript): "1000 int = 1" must not pass on a line that reads
// "1000 int = 10".
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vr::test {

// The lines of a text, without their "\n" or "\r\n".
std::vector<std::string> splitLines(const std::string& text);

// Passes when one line of the text is exactly `line`.
testing::AssertionResult hasLine(const std::string& text, const std::string& line);

// The contents of a file, "" when it cannot be read.
std::string readFile(const std::string& file);

}  // namespace vr::test
