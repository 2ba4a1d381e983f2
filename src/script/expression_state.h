// The expression machine's state (owned by expression_machine.cc).
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "script/expression_machine.h"

namespace vr {

struct VariableTable;

// A value on the stack: a number in the field of the arithmetic kind that
// computed it, or a text in string buffer `string` (0 = a number).
struct ValueSlot {
    int64_t integer = 0;
    double real = 0;
    uint16_t string = 0;
};

// An open "V" group: where its placeholder sits and whose element it reads.
struct OpenGroup {
    uint16_t top = 0;
    uint32_t variable = 0;
};

struct ExpressionState {
    uint8_t mode = 1;          // 1 integer, 2 floating, 3 and 4 the string modes
    bool integerKind = true;   // odd mode, or inside subscripts
    uint16_t top = 0;          // next free slot
    uint16_t nextString = 1;
    int8_t depth = 0;          // open groups
    bool referenceMode = false;
    bool constantMode = false;
    bool notConstant = false;
    bool failed = false;
    // Not the engine's machine: nothing is reported, no engine state is
    // touched, and it runs in constant mode, so it never reads a variable.
    bool detached = false;
    VariableTable* variables = nullptr;  // the engine's, taken at each evaluation
    LastAccess last;
    std::array<ValueSlot, kStackSlots> stack{};
    std::array<OpenGroup, kMaxOpenGroups> groups{};
    // Index = string number; 0 is never used.  Buffers of kStringCapacity
    // bytes, made on first use and kept.
    std::array<std::unique_ptr<char[]>, kStringSlots + 1> strings;
    std::array<uint16_t, kStringSlots + 1> stringLengths{};
};

// The evaluators of expression_machine.h on a given machine: the engine's,
// or a detached one (script/constant_expression.h).  The string evaluator
// gives the number of the string buffer holding the result, 0 when slot 0
// holds a number.
int64_t numericOn(ExpressionState& m, uint8_t evalType, const uint8_t* code, uint32_t length);
double floatingOn(ExpressionState& m, uint8_t evalType, const uint8_t* code, uint32_t length);
uint16_t stringOn(ExpressionState& m, uint8_t evalType, const uint8_t* code, uint32_t length);

}  // namespace vr
