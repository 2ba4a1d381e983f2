// The expression machine: runs an argument's postfix expression code on a
// value stack in one of four modes (integer or floating arithmetic, numeric
// or string result) and records which variable and element a bare variable
// expression named.
//
// The code comes from compiled scripts, which may be damaged: code that
// would pass one of the limits below, pop an empty stack, close a group that
// is not open or end inside an operation is refused with 900000 (an unknown
// opcode with 900030) and the evaluation stops.  Texts longer than 4095
// bytes are cut there.
//
// The functions here run the engine's machine.  The compiler runs the same
// machine on a state record of its own, with no engine bound, to fold its
// constants (script/constant_expression.h).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vr {

constexpr int kStackSlots = 1024;
constexpr int kStringSlots = 1024;
constexpr size_t kStringCapacity = 4096;  // terminator included
constexpr int kMaxSubscripts = 8;

// What the last evaluation named.
struct LastAccess {
    uint32_t variable = 0;
    int64_t element = 0;
    bool reference = false;
    int subscriptCount = 0;                        // of the group closed last
    std::array<int64_t, kMaxSubscripts> subscripts{};
};

struct ExpressionState;  // script/expression_state.h

// Open subscripted variables ("V" groups) at one time.
constexpr int kMaxOpenGroups = 64;

// Evaluators by evaluation type (1 to 4).
int64_t evaluateNumeric(uint8_t evalType, const uint8_t* code, uint32_t length);
double evaluateFloating(uint8_t evalType, const uint8_t* code, uint32_t length);
// Writes the string result and a terminator into `buffer` (kStringCapacity
// bytes) and returns its length; a numeric result writes nothing and gives 0.
uint32_t evaluateString(uint8_t evalType, char* buffer, const uint8_t* code, uint32_t length);

const LastAccess& lastAccess();
// What an evaluation done outside the machine (a decoded integer expression)
// leaves in the record: the variable it named (0 when none, which keeps the
// last one as the machine does) at element 0, and no reference.
void noteFastEvaluation(uint32_t variable);
// Whether the last evaluation stopped early: an error was reported (or, in
// constant mode, a variable was read).
bool evaluationFailed();

// Constant mode: reading a variable fails and sets the not-constant mark.
void setConstantMode(bool on);
void clearNotConstant();
bool notConstant();
// Reference mode: a bare variable is recorded, not read (declarations).
void setReferenceMode(bool on);

}  // namespace vr
