// How a command argument changes a stored value: the relative operator of
// the argument record (0 set, 1 add, 2 subtract, 3 multiply, 4 divide).
// Arithmetic wraps in 64 bits; a zero divisor leaves the value unchanged.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>

namespace vr {

inline int64_t wrappingOperation(uint8_t op, int64_t current, int64_t operand) {
    uint64_t a = uint64_t(current), b = uint64_t(operand);
    switch (op) {
    case 1: return int64_t(a + b);
    case 2: return int64_t(a - b);
    case 3: return int64_t(a * b);
    case 4:
        if (operand == 0) return current;
        if (operand == -1) return int64_t(0 - a);
        return current / operand;
    default: return operand;
    }
}

// Subtract, multiply and divide are raised to lowerBound when below it.
inline int64_t applyOperator(uint8_t op, int64_t current, int64_t operand,
                             int64_t lowerBound = std::numeric_limits<int64_t>::min()) {
    int64_t v = wrappingOperation(op, current, operand);
    return op >= 2 && op <= 4 && v < lowerBound ? lowerBound : v;
}

// Set takes the operand as it is; add stops at upper, subtract at lower,
// multiply and divide are clamped to both.
inline int64_t applyBoundedOperator(uint8_t op, int64_t current, int64_t operand, int64_t lower, int64_t upper) {
    int64_t v = wrappingOperation(op, current, operand);
    switch (op) {
    case 0: return v;
    case 1: return std::min(v, upper);
    case 2: return std::max(v, lower);
    default: return std::clamp(v, lower, upper);
    }
}

// The assignment's compound operators on integers: 0 set, 1 add, 2
// subtract, 3 multiply, 4 divide, 5 remainder, 6 and, 7 or, 8 exclusive or;
// a zero divisor, and an unknown operator, keep the current value.
inline int64_t integerCompound(int64_t current, uint8_t op, int64_t value) {
    uint64_t a = uint64_t(current), b = uint64_t(value);
    switch (op) {
    case 0: return value;
    case 1: return int64_t(a + b);
    case 2: return int64_t(a - b);
    case 3: return int64_t(a * b);
    case 4:
        if (value == 0) return current;
        // The one quotient without a 64-bit form wraps, as the sum does.
        return value == -1 ? int64_t(0 - a) : current / value;
    case 5:
        if (value == 0) return current;
        return value == -1 ? 0 : current % value;
    case 6: return int64_t(a & b);
    case 7: return int64_t(a | b);
    case 8: return int64_t(a ^ b);
    default: return current;
    }
}

}  // namespace vr
