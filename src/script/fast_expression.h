// Integer expressions of constants and plain user variables, decoded once
// when their script loads and computed without the expression machine.
//
// Most arguments of a running game are of this shape (counters, flags,
// comparisons), and the machine's generality costs most of their time.  A
// decoded expression gives exactly the machine's integer result; whenever
// that could differ (a variable that is not an integer, or not there at
// all), the caller falls back to the machine, which also reports.
#pragma once

#include <cstdint>
#include <vector>

namespace vr {

struct Variable;

struct FastOperation {
    char code = 0;       // the machine's opcode: 'k' a constant, 'H' a variable, else the operator
    uint32_t variable = 0;
    int64_t value = 0;
};

// The usual shapes are computed without walking operations.
enum class FastShape : uint8_t {
    None,        // not decoded: use the machine
    Constant,    // k1
    Variable,    // v
    VarOp,       // v op1 k1
    VarOpOp,     // (v op1 k1) op2 k2
    General,     // the operations in the pool
};

struct FastExpression {
    FastShape shape = FastShape::None;
    char op1 = 0, op2 = 0;
    uint8_t count = 0;   // operations in the pool
    uint32_t first = 0;  // into the image's operation pool
    uint32_t variable = 0;
    // The variable's record: the table is made before any script loads and
    // never moves, so the record can be taken at load time.
    Variable* record = nullptr;
    int64_t k1 = 0, k2 = 0;
};

constexpr int kFastDepth = 16;
constexpr int kFastOperations = 32;

// Decodes expression code into the pool; count 0 when it is not of the
// shape above.
FastExpression decodeFast(const uint8_t* code, uint32_t length, std::vector<FastOperation>& pool);

// The integer result of the general shape (the operations in the pool);
// false when the machine must compute it.  The usual shapes are computed
// in line by computeFast (script/fast_eval.h), which calls this for the rest.
bool computeGeneral(const FastExpression& e, const std::vector<FastOperation>& pool, int64_t& result);

// A bare user variable ("H" alone): its number.
bool fastVariable(const FastExpression& e, const std::vector<FastOperation>& pool, uint32_t& number);

}  // namespace vr
