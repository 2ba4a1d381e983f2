// The variable records (owned by variables.cc).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "script/value_operators.h"

namespace vr {

constexpr int kVariableDimensions = 8;

// One numbered variable: an array of one type.  Only the storage of its own
// type is kept.  The shape and the storage always change together, so a
// subscript that fits the dimensions always addresses stored data.
struct Variable {
    uint8_t type = 0;  // VariableType
    int8_t dimensionCount = 0;
    std::array<int32_t, kVariableDimensions> dimensions{};
    int64_t elementCount = 0;
    std::vector<int64_t> integers;
    std::vector<double> floats;
    // One text per element.  An element holds at most kElementTextLimit
    // bytes: the capacity of the engine's element buffers is 16-bit.
    std::vector<std::string> strings;
};

// The one store of an integer assignment into an integer element, for the
// assignment command, its in-line step and assignInteger alike.
// The compound operators, out of line: the interpreter's in-line loop keeps
// only the plain store, so that it keeps its values in registers.
int64_t compoundOutOfLine(int64_t current, uint8_t op, int64_t value);

inline void assignIntegerElement(Variable& v, size_t i, uint8_t op, int64_t value) {
    int64_t& element = v.integers[i];
    // A plain store, by far the most common, reads nothing first.
    if (op == 0) [[likely]]
        element = value;
    else
        element = compoundOutOfLine(element, op, value);
}

struct VariableTable {
    std::vector<Variable> records;  // by number, 0 to the highest of vrt.vbn
};

}  // namespace vr
