// The game's variables written out readably at the end of a run
// (virelo --dump-vars FILE), so that whole games can be checked from outside.
//
//   1000 int = 42
//   1001 str[3] = "a", "b", "c"
//   1002 float[2,2] = 1.5, 2.0, -0.25, 3.0
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vr {

constexpr int kDumpDimensions = 8;

// One variable's values, copied out of the store.
struct VariableSnapshot {
    uint32_t number = 0;
    uint8_t type = 0;  // 1 integer, 2 floating, 3 string
    int dimensionCount = 0;
    std::array<int32_t, kDumpDimensions> sizes{};
    std::vector<int64_t> integers;
    std::vector<double> floats;
    std::vector<std::string> strings;  // Shift_JIS
};

// The line of one variable, without its line end; texts are written in UTF-8.
std::string formatVariable(const VariableSnapshot& v);

// Writes every declared user variable (number 1000 and up) to a host file.
// 0, or -1 when the file cannot be written.
int dumpUserVariables(const std::string& hostPath);

}  // namespace vr
