// The decoded integer expressions computed in line, for the interpreter's
// hot paths (argument evaluation, conditions, assignment).  The general
// shape and everything the decoded forms do not cover go out of line.
#pragma once

#include "common/compiler.h"
#include "core/core.h"
#include "script/expression_state.h"
#include "script/fast_expression.h"
#include "script/script_state.h"
#include "script/variable_table.h"
#include "script/variables.h"

namespace vr {

// A 64-bit division takes several times as long as a 32-bit one on most
// processors, and script values are nearly always small.
inline bool fitsInt32(int64_t v) { return v == int64_t(int32_t(v)); }

// The machine's integer operators, with its answers for division by zero.
VR_ALWAYS_INLINE int64_t fastApply(char op, int64_t a, int64_t b) {
    uint64_t x = uint64_t(a), y = uint64_t(b);
    switch (op) {
    case '+': return int64_t(x + y);
    case '-': return int64_t(x - y);
    case '*': return int64_t(x * y);
    case '/':
        if (b == 0) return 0;
        if (b == -1) return int64_t(0 - x);
        return fitsInt32(a) && fitsInt32(b) ? int32_t(a) / int32_t(b) : a / b;
    case '%':
        if (b == 0 || b == -1) return 0;
        return fitsInt32(a) && fitsInt32(b) ? int32_t(a) % int32_t(b) : a % b;
    case '=': return a == b;
    case '!': return a != b;
    case '<': return a < b;
    case '>': return a > b;
    case 'S': return a <= b;
    case 'Z': return a >= b;
    case '&': return a != 0 && b != 0;
    case '|': return a != 0 || b != 0;
    case 'A': return a & b;
    case 'O': return a | b;
    default: return a ^ b;  // '^'
    }
}

// The integer result of a decoded expression; false when the machine must
// compute it (another type, no storage, not decoded).  Records the variable
// the machine would record, unless the caller wants the value only (a
// condition, the value of an assignment: nobody reads the record after
// those before the next evaluation writes it again).
template <bool kRecordAccess = true>
VR_ALWAYS_INLINE bool computeFast(const FastExpression& e, const std::vector<FastOperation>& pool, int64_t& result) {
    switch (e.shape) {
    case FastShape::None:
        return false;
    case FastShape::Constant: {
        result = e.k1;
        if constexpr (kRecordAccess) scriptState().expression->last.reference = false;
        return true;
    }
    case FastShape::Variable:
    case FastShape::VarOp:
    case FastShape::VarOpOp: {
        Variable* v = e.record;
        if (v->type != kTypeInteger || v->integers.empty()) return false;
        int64_t x = v->integers[0];
        if (e.shape != FastShape::Variable) x = fastApply(e.op1, x, e.k1);
        if (e.shape == FastShape::VarOpOp) x = fastApply(e.op2, x, e.k2);
        result = x;
        if constexpr (kRecordAccess) {
            LastAccess& last = scriptState().expression->last;
            last.reference = false;
            last.variable = e.variable;
            last.element = 0;
        }
        return true;
    }
    case FastShape::General:
        break;
    }
    return computeGeneral(e, pool, result);
}

}  // namespace vr
