#include "script/expression_machine.h"

#include <bit>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <new>

#include "common/sjis.h"
#include "common/texts/engine_texts.h"
#include "common/bytes.h"
#include "core/core.h"
#include "core/error_report.h"
#include "script/expression_state.h"
#include "script/script_state.h"
#include "script/system_variables.h"
#include "script/variable_table.h"
#include "script/variables.h"

namespace vr {

namespace {

using Handler = int (*)(ExpressionState& m, const uint8_t* operand, uint32_t length);

constexpr size_t kTextLimit = kStringCapacity - 1;
// What the damaged-data report names.
constexpr const char* kExpressionName = VR_TEXT_EXPRESSION_NAME;

ExpressionState& state() { return *scriptState().expression; }

// A machine without an engine reports nothing: its caller takes the failure
// as its answer, and the engine reports the error when it runs the code.
int fail(const ExpressionState& m, uint32_t code) {
    if (!m.detached) reportScriptError(code, true);
    return -1;
}

int damaged(const ExpressionState& m) {
    if (!m.detached) reportScriptErrorArgs(900000, true, kExpressionName);
    return -1;
}

int mixed(const ExpressionState& m) { return fail(m, 160010); }
int outOfRange(const ExpressionState& m) { return fail(m, 107010); }

uint32_t variableNumber(const uint8_t* operand) { return loadLe16(operand + 1); }

// ------------------------------------------------------------ values

ValueSlot* push(ExpressionState& m) {
    if (m.top >= kStackSlots) {
        damaged(m);
        return nullptr;
    }
    return &m.stack[m.top++];
}

// Numbers go into the field of the current arithmetic kind.
void putInteger(const ExpressionState& m, ValueSlot& s, int64_t v) {
    if (m.integerKind)
        s.integer = v;
    else
        s.real = double(v);
    s.string = 0;
}

void putReal(const ExpressionState& m, ValueSlot& s, double v) {
    if (m.integerKind)
        s.integer = truncateToInteger(v);
    else
        s.real = v;
    s.string = 0;
}

// A truth value, in both fields: a string comparison in floating arithmetic
// is read through the double by the operator after it.
void putTruth(ValueSlot& s, bool t) {
    s.integer = t;
    s.real = t ? 1.0 : 0.0;
    s.string = 0;
}

// The length of the longest head of `s` (longer than `limit`) that fits in
// `limit` bytes without splitting a double-byte character.
size_t headLength(const char* s, size_t limit) {
    size_t i = 0;
    while (i < limit) {
        size_t step = sjis::isLeadByte(uint8_t(s[i])) ? 2 : 1;
        if (i + step > limit) break;
        i += step;
    }
    return i;
}

// The buffer of the next string number; null after the report, or with the
// quit flag set when no buffer can be made.
char* nextBuffer(ExpressionState& m, uint16_t& number) {
    if (m.nextString > kStringSlots) {
        damaged(m);
        return nullptr;
    }
    std::unique_ptr<char[]>& buffer = m.strings[m.nextString];
    if (!buffer) {
        buffer.reset(new (std::nothrow) char[kStringCapacity]);
        if (!buffer) {
            if (!m.detached) core().run.quitRequested = true;
            return nullptr;
        }
    }
    number = m.nextString++;
    return buffer.get();
}

// A text is what comes before its first NUL, as everywhere in the engine.
int putText(ExpressionState& m, ValueSlot& s, const char* text, size_t n) {
    uint16_t number = 0;
    char* out = nextBuffer(m, number);
    if (!out) return -1;
    if (const void* nul = std::memchr(text, 0, n)) n = size_t(static_cast<const char*>(nul) - text);
    if (n > kTextLimit) n = headLength(text, kTextLimit);
    std::memcpy(out, text, n);
    out[n] = 0;
    m.stringLengths[number] = uint16_t(n);
    s.integer = 0;
    s.real = 0;
    s.string = number;
    return 0;
}

// ------------------------------------------------------------ variables

// A user variable that has been declared; 108010 otherwise.
const Variable* declared(const ExpressionState& m, uint32_t number) {
    const std::vector<Variable>& r = m.variables->records;
    if (number < r.size() && r[number].type != kTypeNone) return &r[number];
    fail(m, 108010);
    return nullptr;
}

int readSystem(ExpressionState& m, ValueSlot& s, uint32_t number, int64_t element) {
    switch (systemVariableType(number)) {
    case kTypeFloat:
        putReal(m, s, readSystemFloat(number, element));
        return 0;
    case kTypeString: {
        std::string text = readSystemString(number, element);
        return putText(m, s, text.data(), text.size());
    }
    default:
        putInteger(m, s, readSystemInteger(number, element));
        return 0;
    }
}

int readElement(ExpressionState& m, ValueSlot& s, uint32_t number, int64_t element) {
    if (number < kFirstUserVariable) return readSystem(m, s, number, element);
    const Variable* v = declared(m, number);
    if (!v) return -1;
    if (element < 0 || element >= v->elementCount) return outOfRange(m);
    size_t i = size_t(element);
    switch (v->type) {
    case kTypeInteger:
        putInteger(m, s, v->integers[i]);
        return 0;
    case kTypeFloat:
        putReal(m, s, v->floats[i]);
        return 0;
    default:
        return putText(m, s, v->strings[i].data(), v->strings[i].size());
    }
}

// Row-major, the last subscript fastest.  Each subscript must lie inside
// its dimension as a whole 64-bit value: checking only the low 32 bits would
// let 2^32 pass as 0 and then address far beyond the array.  Subscripts not
// given count as 0.  System variables take their element from the
// subscript as it is; their readers decide what it means.
bool flatIndex(const ExpressionState& m, uint32_t number, int count, int64_t& element) {
    const LastAccess& a = m.last;
    if (number < kFirstUserVariable) {
        element = count ? a.subscripts[size_t(count - 1)] : 0;
        return true;
    }
    const Variable* v = declared(m, number);
    if (!v) return false;
    if (count > v->dimensionCount) {
        outOfRange(m);
        return false;
    }
    int64_t index = 0;
    for (int k = 0; k < v->dimensionCount; ++k) {
        int64_t s = k < count ? a.subscripts[size_t(k)] : 0;
        int64_t d = v->dimensions[size_t(k)];
        if (uint64_t(s) >= uint64_t(d)) {
            outOfRange(m);
            return false;
        }
        index = index * d + s;
    }
    element = index;
    return true;
}

// ------------------------------------------------------------ handlers

int opUnknown(ExpressionState& m, const uint8_t*, uint32_t) { return fail(m, 900030); }

int pushInteger(ExpressionState& m, int64_t v) {
    ValueSlot* s = push(m);
    if (!s) return -1;
    putInteger(m, *s, v);
    return 0;
}

int opByte(ExpressionState& m, const uint8_t* p, uint32_t n) {
    return n < 1 ? damaged(m) : pushInteger(m, int8_t(p[0]));
}
int opWord(ExpressionState& m, const uint8_t* p, uint32_t n) {
    return n < 2 ? damaged(m) : pushInteger(m, int16_t(loadLe16(p)));
}
int opInt(ExpressionState& m, const uint8_t* p, uint32_t n) {
    return n < 4 ? damaged(m) : pushInteger(m, int32_t(loadLe32(p)));
}
int opLong(ExpressionState& m, const uint8_t* p, uint32_t n) {
    return n < 8 ? damaged(m) : pushInteger(m, int64_t(loadLe64(p)));
}

int opReal(ExpressionState& m, const uint8_t* p, uint32_t n) {
    if (n < 8) return damaged(m);
    double d = std::bit_cast<double>(loadLe64(p));
    ValueSlot* s = push(m);
    if (!s) return -1;
    putReal(m, *s, d);
    return 0;
}

// The first operand byte is the delimiter.  A backslash escapes: \\, \n and
// \t give a backslash, a line feed and a tab; before anything else it is
// dropped and the character after it read as usual.  A double-byte
// character is copied whole, so its second byte never ends or escapes.
int opText(ExpressionState& m, const uint8_t* p, uint32_t n) {
    ValueSlot* s = push(m);
    if (!s) return -1;
    uint16_t number = 0;
    char* out = nextBuffer(m, number);
    if (!out) return -1;
    size_t length = 0;
    uint8_t delimiter = n ? p[0] : 0;
    for (uint32_t i = 1; i < n;) {
        uint8_t c = p[i++];
        if (c == delimiter) break;
        if (c == '\\') {
            if (i >= n) break;
            uint8_t e = p[i];
            if (e != '\\' && e != 'n' && e != 't') continue;
            ++i;
            c = e == 'n' ? '\n' : e == 't' ? '\t' : '\\';
        } else if (sjis::isLeadByte(c) && i < n) {
            if (length + 2 > kTextLimit) break;
            out[length++] = char(c);
            out[length++] = char(p[i++]);
            continue;
        }
        if (length + 1 > kTextLimit) break;
        out[length++] = char(c);
    }
    if (const void* nul = std::memchr(out, 0, length)) length = size_t(static_cast<const char*>(nul) - out);
    out[length] = 0;
    m.stringLengths[number] = uint16_t(length);
    s->integer = 0;
    s->real = 0;
    s->string = number;
    return 0;
}

int opVariable(ExpressionState& m, const uint8_t* p, uint32_t n) {
    if (n < 3) return damaged(m);
    uint32_t number = variableNumber(p);
    m.last.variable = number;
    m.last.element = 0;
    if (m.referenceMode && m.depth == 0) return 0;
    ValueSlot* s = push(m);
    if (!s) return -1;
    return readElement(m, *s, number, 0);
}

int opOpen(ExpressionState& m, const uint8_t* p, uint32_t n) {
    if (n < 3) return damaged(m);
    uint32_t number = variableNumber(p);
    m.last.variable = number;
    bool namesOnly = m.referenceMode && m.depth == 0;
    if (!namesOnly && number >= kFirstUserVariable && !declared(m, number)) return -1;
    if (m.depth >= kMaxOpenGroups) return damaged(m);
    OpenGroup& g = m.groups[size_t(m.depth)];
    g.top = m.top;
    g.variable = number;
    ValueSlot* s = push(m);
    if (!s) return -1;
    *s = ValueSlot{};
    ++m.depth;
    m.integerKind = true;
    return 0;
}

int opClose(ExpressionState& m, const uint8_t*, uint32_t) {
    if (m.depth <= 0) return damaged(m);
    const OpenGroup g = m.groups[size_t(--m.depth)];
    m.integerKind = (m.mode & 1) != 0 || m.depth > 0;
    // Operators inside the group may have eaten its placeholder.
    uint32_t first = uint32_t(g.top) + 1;
    if (m.top < first) return damaged(m);
    uint32_t count = m.top - first;
    if (count > uint32_t(kMaxSubscripts)) return damaged(m);
    for (uint32_t k = 0; k < count; ++k) {
        const ValueSlot& s = m.stack[first + k];
        if (s.string) return mixed(m);
        m.last.subscripts[k] = s.integer;
    }
    m.last.subscriptCount = int(count);
    m.last.variable = g.variable;
    if (m.referenceMode && m.depth == 0) {
        m.last.element = 0;
        return 0;
    }
    int64_t element = 0;
    if (!flatIndex(m, g.variable, int(count), element)) return -1;
    m.last.element = element;
    m.top = uint16_t(first);
    return readElement(m, m.stack[g.top], g.variable, element);
}

int opReference(ExpressionState& m, const uint8_t* p, uint32_t n) {
    if (n < 3) return damaged(m);
    uint32_t number = variableNumber(p);
    m.last.variable = number;
    m.last.element = 0;
    m.last.reference = true;
    if (number >= kFirstUserVariable && !declared(m, number)) return -1;
    ValueSlot* s = push(m);
    if (!s) return -1;
    *s = ValueSlot{};
    return 0;
}

int opNotConstant(ExpressionState& m, const uint8_t*, uint32_t) {
    m.notConstant = true;
    return -1;
}

// The operands of a two-operand operator: the right one is popped, the
// result replaces the left one.
bool operands(ExpressionState& m, ValueSlot*& left, ValueSlot*& right) {
    if (m.top < 2) {
        damaged(m);
        return false;
    }
    --m.top;
    left = &m.stack[m.top - 1u];
    right = &m.stack[m.top];
    return true;
}

// The operators on numbers only: a text among the operands is refused.
template <typename IntegerOp, typename RealOp>
int numeric(ExpressionState& m, IntegerOp integerOp, RealOp realOp) {
    ValueSlot *a, *b;
    if (!operands(m, a, b)) return -1;
    if (a->string | b->string) return mixed(m);
    if (m.integerKind)
        integerOp(*a, a->integer, b->integer);
    else
        realOp(*a, a->real, b->real);
    return 0;
}

template <typename Compare>
int comparison(ExpressionState& m, Compare compare) {
    return numeric(
        m, [&](ValueSlot& s, int64_t x, int64_t y) { putTruth(s, compare(x, y)); },
        [&](ValueSlot& s, double x, double y) { putTruth(s, compare(x, y)); });
}

int concatenate(ExpressionState& m, ValueSlot& a, const ValueSlot& b) {
    char* left = m.strings[a.string].get();
    size_t la = m.stringLengths[a.string], lb = m.stringLengths[b.string];
    const char* right = m.strings[b.string].get();
    size_t length = la + lb;
    if (length <= kTextLimit) {
        std::memmove(left + la, right, lb);
    } else {
        std::memmove(left + la, right, kTextLimit - la);
        length = headLength(left, kTextLimit);
    }
    left[length] = 0;
    m.stringLengths[a.string] = uint16_t(length);
    return 0;
}

int opAdd(ExpressionState& m, const uint8_t*, uint32_t) {
    ValueSlot *a, *b;
    if (!operands(m, a, b)) return -1;
    if (a->string && b->string) return concatenate(m, *a, *b);
    if (a->string || b->string) return mixed(m);
    if (m.integerKind)
        a->integer = int64_t(uint64_t(a->integer) + uint64_t(b->integer));
    else
        a->real += b->real;
    return 0;
}

template <bool Equal>
int opEqual(ExpressionState& m, const uint8_t*, uint32_t) {
    ValueSlot *a, *b;
    if (!operands(m, a, b)) return -1;
    bool same;
    if (a->string && b->string) {
        uint16_t la = m.stringLengths[a->string];
        same = la == m.stringLengths[b->string] &&
               std::memcmp(m.strings[a->string].get(), m.strings[b->string].get(), la) == 0;
    } else if (a->string || b->string) {
        return mixed(m);
    } else {
        same = m.integerKind ? a->integer == b->integer : a->real == b->real;
    }
    putTruth(*a, same == Equal);
    return 0;
}

int opSubtract(ExpressionState& m, const uint8_t*, uint32_t) {
    return numeric(
        m, [](ValueSlot& s, int64_t x, int64_t y) { s.integer = int64_t(uint64_t(x) - uint64_t(y)); },
        [](ValueSlot& s, double x, double y) { s.real = x - y; });
}

int opMultiply(ExpressionState& m, const uint8_t*, uint32_t) {
    return numeric(
        m, [](ValueSlot& s, int64_t x, int64_t y) { s.integer = int64_t(uint64_t(x) * uint64_t(y)); },
        [](ValueSlot& s, double x, double y) { s.real = x * y; });
}

// Division by zero gives 0.  The one quotient without a 64-bit form,
// INT64_MIN / -1, wraps like a sum instead of trapping.
int opDivide(ExpressionState& m, const uint8_t*, uint32_t) {
    return numeric(
        m,
        [](ValueSlot& s, int64_t x, int64_t y) {
            s.integer = y == 0 ? 0 : y == -1 ? int64_t(0 - uint64_t(x)) : x / y;
        },
        [](ValueSlot& s, double x, double y) { s.real = y == 0.0 ? 0.0 : x / y; });
}

// The floating form leaves the left operand as it is, as do the bitwise
// operators below.
int opRemainder(ExpressionState& m, const uint8_t*, uint32_t) {
    return numeric(
        m, [](ValueSlot& s, int64_t x, int64_t y) { s.integer = (y == 0 || y == -1) ? 0 : x % y; },
        [](ValueSlot&, double, double) {});
}

int opAnd(ExpressionState& m, const uint8_t*, uint32_t) {
    return numeric(
        m, [](ValueSlot& s, int64_t x, int64_t y) { s.integer = int64_t(uint64_t(x) & uint64_t(y)); },
        [](ValueSlot&, double, double) {});
}

int opOr(ExpressionState& m, const uint8_t*, uint32_t) {
    return numeric(
        m, [](ValueSlot& s, int64_t x, int64_t y) { s.integer = int64_t(uint64_t(x) | uint64_t(y)); },
        [](ValueSlot&, double, double) {});
}

int opXor(ExpressionState& m, const uint8_t*, uint32_t) {
    return numeric(
        m, [](ValueSlot& s, int64_t x, int64_t y) { s.integer = int64_t(uint64_t(x) ^ uint64_t(y)); },
        [](ValueSlot&, double, double) {});
}

int opLess(ExpressionState& m, const uint8_t*, uint32_t) {
    return comparison(m, [](auto x, auto y) { return x < y; });
}
int opGreater(ExpressionState& m, const uint8_t*, uint32_t) {
    return comparison(m, [](auto x, auto y) { return x > y; });
}
int opLessEqual(ExpressionState& m, const uint8_t*, uint32_t) {
    return comparison(m, [](auto x, auto y) { return x <= y; });
}
int opGreaterEqual(ExpressionState& m, const uint8_t*, uint32_t) {
    return comparison(m, [](auto x, auto y) { return x >= y; });
}
int opLogicalAnd(ExpressionState& m, const uint8_t*, uint32_t) {
    return comparison(m, [](auto x, auto y) { return x != 0 && y != 0; });
}
int opLogicalOr(ExpressionState& m, const uint8_t*, uint32_t) {
    return comparison(m, [](auto x, auto y) { return x != 0 || y != 0; });
}

ValueSlot* topSlot(ExpressionState& m) {
    if (m.top < 1) {
        damaged(m);
        return nullptr;
    }
    return &m.stack[m.top - 1u];
}

int opNegate(ExpressionState& m, const uint8_t*, uint32_t) {
    ValueSlot* s = topSlot(m);
    if (!s) return -1;
    if (s->string) return mixed(m);
    if (m.integerKind)
        s->integer = int64_t(0 - uint64_t(s->integer));
    else
        s->real = -s->real;
    return 0;
}

// A text stays a text.
int opToText(ExpressionState& m, const uint8_t*, uint32_t) {
    ValueSlot* s = topSlot(m);
    if (!s) return -1;
    if (s->string) return 0;
    char text[400];  // "%f" of the largest double has 317 characters
    std::to_chars_result r = m.integerKind
                                 ? std::to_chars(text, text + sizeof text, s->integer)
                                 : std::to_chars(text, text + sizeof text, s->real, std::chars_format::fixed, 6);
    return putText(m, *s, text, size_t(r.ptr - text));
}

// Leading white space, a sign and digits, as the C library reads them.  Both
// fields are set, so the value also holds in floating arithmetic.
int opToInteger(ExpressionState& m, const uint8_t*, uint32_t) {
    ValueSlot* s = topSlot(m);
    if (!s) return -1;
    if (!s->string) return 0;
    int64_t v = std::strtoll(m.strings[s->string].get(), nullptr, 10);
    s->integer = v;
    s->real = double(v);
    s->string = 0;
    return 0;
}

int opSeparator(ExpressionState&, const uint8_t*, uint32_t) { return 0; }

// The opcodes; every other byte is unknown (900030).
constexpr std::array<Handler, 256> makeHandlers(bool constant) {
    std::array<Handler, 256> t{};
    for (Handler& h : t) h = &opUnknown;
    t['B'] = &opByte;      // signed 8-bit constant
    t['W'] = &opWord;      // signed 16-bit constant
    t['I'] = &opInt;       // signed 32-bit constant
    t['L'] = &opLong;      // signed 64-bit constant
    t['F'] = &opReal;      // double constant
    t['M'] = &opText;      // delimited text literal
    t['H'] = &opVariable;  // sigil, u16 number: element 0 of a variable
    t['V'] = &opOpen;      // sigil, u16 number: a subscripted variable opens
    t[')'] = &opClose;     // the innermost subscripted variable closes
    t['v'] = &opReference; // sigil, u16 number: names a variable, pushes 0
    t['R'] = &opNegate;
    t['+'] = &opAdd;       // also joins two texts
    t['-'] = &opSubtract;
    t['*'] = &opMultiply;
    t['/'] = &opDivide;
    t['%'] = &opRemainder;
    t['='] = &opEqual<true>;  // numbers, or two texts
    t['!'] = &opEqual<false>;
    t['<'] = &opLess;
    t['>'] = &opGreater;
    t['S'] = &opLessEqual;
    t['Z'] = &opGreaterEqual;
    t['&'] = &opLogicalAnd;
    t['|'] = &opLogicalOr;
    t['A'] = &opAnd;       // bitwise; integer arithmetic only
    t['O'] = &opOr;
    t['^'] = &opXor;
    t['s'] = &opToText;    // number to decimal text
    t['i'] = &opToInteger; // text to integer
    t[','] = &opSeparator;
    if (constant) t['H'] = t['V'] = t['v'] = &opNotConstant;
    return t;
}

constexpr std::array<Handler, 256> kHandlers = makeHandlers(false);
constexpr std::array<Handler, 256> kConstantHandlers = makeHandlers(true);

void reset(ExpressionState& m, uint8_t mode) {
    m.mode = mode;
    m.integerKind = (mode & 1) != 0;
    m.top = 0;
    m.nextString = 1;
    m.depth = 0;
    m.last.subscriptCount = 0;
    m.last.reference = false;
    // Slot 0 is the result even when the code pushes nothing.
    m.stack[0] = ValueSlot{};
    m.failed = false;
}

ExpressionState& run(ExpressionState& m, uint8_t mode, const uint8_t* code, uint32_t length) {
    reset(m, mode);
    const Handler* handlers = m.constantMode ? kConstantHandlers.data() : kHandlers.data();
    if (!code) length = 0;
    uint32_t at = 0;
    while (at < length) {
        const uint8_t* op = code + at;
        if (length - at < 3 || loadLe16(op + 1) > length - at - 3) {
            damaged(m);
            m.failed = true;
            break;
        }
        uint32_t n = uint32_t(loadLe16(op + 1));
        at += 3 + n;
        if (handlers[op[0]](m, op + 3, n) < 0) {
            m.failed = true;
            break;
        }
    }
    return m;
}

// An evaluation type outside 1 to 4 comes only from a damaged argument record.
ExpressionState& refuseType(ExpressionState& m) {
    run(m, 1, nullptr, 0);
    damaged(m);
    m.failed = true;
    return m;
}

// The engine's machine, reading the engine's variables.
ExpressionState& engineMachine() {
    ScriptState& s = scriptState();
    s.expression->variables = s.variables.get();
    return *s.expression;
}

}  // namespace

int64_t numericOn(ExpressionState& m, uint8_t evalType, const uint8_t* code, uint32_t length) {
    switch (evalType) {
    case 1:
    case 3: return run(m, 1, code, length).stack[0].integer;
    case 2:
    case 4: return truncateToInteger(run(m, 2, code, length).stack[0].real);
    default: return refuseType(m).stack[0].integer;
    }
}

double floatingOn(ExpressionState& m, uint8_t evalType, const uint8_t* code, uint32_t length) {
    switch (evalType) {
    case 1:
    case 3: return double(run(m, 1, code, length).stack[0].integer);
    case 2:
    case 4: return run(m, 2, code, length).stack[0].real;
    default: return double(refuseType(m).stack[0].integer);
    }
}

uint16_t stringOn(ExpressionState& m, uint8_t evalType, const uint8_t* code, uint32_t length) {
    if (evalType < 1 || evalType > 4) return refuseType(m).stack[0].string;
    return run(m, evalType == 4 ? 4 : 3, code, length).stack[0].string;
}

void noteFastEvaluation(uint32_t variable) {
    ExpressionState& m = *scriptState().expression;
    m.last.reference = false;
    if (variable != 0) {
        m.last.variable = variable;
        m.last.element = 0;
    }
}

int64_t evaluateNumeric(uint8_t evalType, const uint8_t* code, uint32_t length) {
    return numericOn(engineMachine(), evalType, code, length);
}

double evaluateFloating(uint8_t evalType, const uint8_t* code, uint32_t length) {
    return floatingOn(engineMachine(), evalType, code, length);
}

uint32_t evaluateString(uint8_t evalType, char* buffer, const uint8_t* code, uint32_t length) {
    ExpressionState& m = engineMachine();
    uint16_t number = stringOn(m, evalType, code, length);
    if (!number || !buffer) return 0;
    uint16_t n = m.stringLengths[number];
    std::memcpy(buffer, m.strings[number].get(), n);
    buffer[n] = 0;
    return n;
}

const LastAccess& lastAccess() { return state().last; }
bool evaluationFailed() { return state().failed; }

void setConstantMode(bool on) { state().constantMode = on; }
void clearNotConstant() { state().notConstant = false; }
bool notConstant() { return state().notConstant; }
void setReferenceMode(bool on) { state().referenceMode = on; }

}  // namespace vr
