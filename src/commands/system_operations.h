// What the program-end, frame-rate, check-switch, math and label commands do,
// apart from reading their arguments (system_commands.cc).
#pragma once

#include <cstdint>
#include <string_view>

#include "common/command_ids.h"

namespace vr {

// Program end: quits in order; with a restart value, a non-zero one starts
// the program again once shutdown is over.
void endProgram(bool hasRestart, int64_t restart);

// The frame rate is kept between 1 and this: above it a frame would last
// 0 ms, which the pacer counts as late, and no frame would be drawn.
constexpr int64_t kMaxFrameRate = 1000;

// Frame rate: the pacer's rate (clamped to 1..kMaxFrameRate) and the
// restart of its frame counts; the skip switch when given.
void setFrameRate(bool hasRate, int64_t rate, bool hasSkip, int64_t allowSkip);

// Check switch `index` (1..127) to the low 8 bits of the value.
void setCheckSwitch(int index, int64_t value);

// A draw mapped into lo..hi (both included); bounds given the wrong way
// round are taken the right way round.
int64_t randomInRange(uint32_t draw, int64_t lo, int64_t hi);

struct MathOperand {
    bool floating = false;
    int64_t integer = 0;
    double real = 0;
    double asDouble() const { return floating ? real : double(integer); }
};

struct MathResult {
    bool floating = false;
    int64_t integer = 0;
    double real = 0;
};

// The math command's functions, by the id of the argument that selects them.
enum MathFunctionId : int {
    kMathSin = arg::math_function::kSin, kMathAsin = arg::math_function::kAsin,
    kMathSinh = arg::math_function::kSinh, kMathCos = arg::math_function::kCos,
    kMathAcos = arg::math_function::kAcos, kMathCosh = arg::math_function::kCosh,
    kMathTan = arg::math_function::kTan, kMathAtan = arg::math_function::kAtan,
    kMathAtan2 = arg::math_function::kAtan2, kMathTanh = arg::math_function::kTanh,
    kMathSqrt = arg::math_function::kSqrt, kMathAbs = arg::math_function::kAbs,
    kMathExp = arg::math_function::kExp, kMathLog = arg::math_function::kLog,
    kMathLog10 = arg::math_function::kLog10, kMathPow = arg::math_function::kPow,
    kMathRandom = arg::math_function::kRandom, kMathCrc32 = arg::math_function::kCrc32,
};

// The function the present arguments select (the first present id of the
// command's order), or -1 when none is present.  Bit k of `presentIds` is
// set when argument k is present.
int selectMathFunction(uint32_t presentIds);
// Applies a function; random draws from engineRandom().
MathResult applyMathFunction(int function, const MathOperand& a, const MathOperand& b, std::string_view text);

bool labelExists(std::string_view name);

}  // namespace vr
