#include "script/fast_expression.h"

#include "script/fast_eval.h"

#include "common/bytes.h"
#include "core/core.h"
#include "script/expression_machine.h"
#include "script/script_state.h"
#include "script/variable_table.h"
#include "script/variables.h"

namespace vr {

namespace {

bool isBinary(char c) {
    switch (c) {
    case '+': case '-': case '*': case '/': case '%': case '=': case '!': case '<': case '>':
    case 'S': case 'Z': case '&': case '|': case 'A': case 'O': case '^':
        return true;
    default:
        return false;
    }
}

}  // namespace

FastExpression decodeFast(const uint8_t* code, uint32_t length, std::vector<FastOperation>& pool) {
    FastExpression e;
    e.first = uint32_t(pool.size());
    ByteReader in(code, length);
    int depth = 0;
    std::vector<FastOperation> ops;
    while (in.remaining() > 0) {
        char c = char(in.u8());
        uint16_t n = in.u16();
        if (!in.has(n) || ops.size() >= size_t(kFastOperations)) return {};
        ByteReader arg(in.here(), n);
        in.skip(n);
        FastOperation op;
        op.code = c;
        switch (c) {
        case 'B': op.code = 'k'; op.value = int8_t(arg.u8()); break;
        case 'W': op.code = 'k'; op.value = int16_t(arg.u16()); break;
        case 'I': op.code = 'k'; op.value = arg.i32(); break;
        case 'L': op.code = 'k'; op.value = arg.i64(); break;
        case 'H':
            arg.skip(1);
            op.variable = arg.u16();
            if (op.variable < kFirstUserVariable) return {};
            break;
        case 'R':
            if (depth < 1) return {};
            break;
        default:
            if (!isBinary(c) || depth < 2) return {};
            break;
        }
        if (!arg.ok() || arg.remaining() != 0) return {};
        depth += op.code == 'k' || op.code == 'H' ? 1 : op.code == 'R' ? 0 : -1;
        if (depth > kFastDepth) return {};
        ops.push_back(op);
    }
    if (!in.ok() || depth != 1) return {};
    auto is = [&](size_t k, char c) { return ops[k].code == c; };
    auto binary = [&](size_t k) { return isBinary(ops[k].code); };
    if (ops.size() == 1 && is(0, 'k')) {
        e.shape = FastShape::Constant;
        e.k1 = ops[0].value;
    } else if (ops.size() == 1 && is(0, 'H')) {
        e.shape = FastShape::Variable;
    } else if (ops.size() == 3 && is(0, 'H') && is(1, 'k') && binary(2)) {
        e.shape = FastShape::VarOp;
    } else if (ops.size() == 5 && is(0, 'H') && is(1, 'k') && binary(2) && is(3, 'k') && binary(4)) {
        e.shape = FastShape::VarOpOp;
        e.k2 = ops[3].value;
        e.op2 = ops[4].code;
    } else {
        e.shape = FastShape::General;
    }
    if (e.shape == FastShape::Variable || e.shape == FastShape::VarOp || e.shape == FastShape::VarOpOp) {
        e.variable = ops[0].variable;
        std::vector<Variable>& records = scriptState().variables->records;
        if (e.variable >= records.size()) return {};
        e.record = &records[e.variable];
        if (e.shape != FastShape::Variable) {
            e.k1 = ops[1].value;
            e.op1 = ops[2].code;
        }
    }
    pool.insert(pool.end(), ops.begin(), ops.end());
    e.count = uint8_t(ops.size());
    return e;
}

bool computeGeneral(const FastExpression& e, const std::vector<FastOperation>& pool, int64_t& result) {
    const std::vector<Variable>& records = scriptState().variables->records;
    int64_t stack[kFastDepth];
    int top = 0;
    uint32_t named = 0;
    const FastOperation* op = pool.data() + e.first;
    for (const FastOperation* end = op + e.count; op != end; ++op) {
        switch (op->code) {
        case 'k':
            stack[top++] = op->value;
            break;
        case 'H': {
            if (op->variable >= records.size()) return false;
            const Variable& v = records[op->variable];
            if (v.type != kTypeInteger || v.integers.empty()) return false;
            stack[top++] = v.integers[0];
            named = op->variable;
            break;
        }
        case 'R':
            stack[top - 1] = int64_t(0 - uint64_t(stack[top - 1]));
            break;
        default:
            --top;
            stack[top - 1] = fastApply(op->code, stack[top - 1], stack[top]);
            break;
        }
    }
    result = stack[0];
    noteFastEvaluation(named);
    return true;
}

bool fastVariable(const FastExpression& e, const std::vector<FastOperation>&, uint32_t& number) {
    if (e.shape != FastShape::Variable) return false;
    number = e.variable;
    const std::vector<Variable>& records = scriptState().variables->records;
    return number < records.size() && records[number].type != kTypeNone && records[number].elementCount > 0;
}

}  // namespace vr
