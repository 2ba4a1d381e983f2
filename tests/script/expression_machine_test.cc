// The expression machine: the arithmetic of both kinds, texts, variables
// and subscripts, the reference and constant modes, and damaged code, which
// must be refused without touching memory outside the machine's buffers.

#include "script/expression_machine.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "script/constant_expression.h"
#include "script/expression_code.h"
#include "script/variables.h"
#include "support/headless_engine.h"

namespace vr {
namespace {

using test::Code;

struct ExpressionMachine : ::testing::Test {
    test::HeadlessEngine h;
    ExpressionMachine() {
        h.e.core.files.highestVariable = 1100;
        EXPECT_EQ(createVariableTable(), 0);
    }
    int64_t integer(const Code& c) { return evaluateNumeric(1, c.data(), c.size()); }
    double real(const Code& c) { return evaluateFloating(2, c.data(), c.size()); }
    std::string text(const Code& c, uint8_t type = 3) {
        char buffer[kStringCapacity];
        uint32_t n = evaluateString(type, buffer, c.data(), c.size());
        EXPECT_LT(n, kStringCapacity);
        EXPECT_EQ(buffer[n], '\0');
        return std::string(buffer, n);
    }
    // The codes reported since the last call.
    std::vector<uint32_t> reports() {
        std::vector<uint32_t> codes = h.e.core.errors.reportedCodes;
        h.e.core.errors.reportedCodes.clear();
        return codes;
    }
    void integerArray(uint16_t number, std::vector<int64_t> values) {
        VariableShape shape;
        shape.dimensionCount = 1;
        shape.dimensions[0] = int32_t(values.size());
        ASSERT_EQ(declareInteger(number, shape, 0), 0);
        for (size_t k = 0; k < values.size(); ++k) ASSERT_EQ(setNumber(number, int64_t(k), values[k]), 0);
    }
};

using Codes = std::vector<uint32_t>;

TEST_F(ExpressionMachine, IntegerArithmetic) {
    EXPECT_EQ(integer(Code().b(7).b(0).op('/')), 0);
    EXPECT_EQ(integer(Code().b(7).b(0).op('%')), 0);
    EXPECT_EQ(integer(Code().b(-7).b(2).op('/')), -3);
    EXPECT_EQ(integer(Code().b(-7).b(2).op('%')), -1);
    EXPECT_EQ(integer(Code().i(-70000).w(300).op('*').b(6).op('A')), (-70000 * 300) & 6);
    EXPECT_EQ(integer(Code().b(5).b(3).op('O').b(1).op('^')), 6);
    EXPECT_EQ(integer(Code().b(3).op('R').b(2).op('-')), -5);
    EXPECT_EQ(integer(Code().b(2).b(0).op('&')), 0);
    EXPECT_EQ(integer(Code().b(2).b(0).op('|')), 1);
    EXPECT_EQ(integer(Code().b(-1).b(0).op('<').b(1).op('S')), 1);
    // Wrap-around instead of overflow, and no trap for the one quotient
    // without a 64-bit form.
    EXPECT_EQ(integer(Code().l(INT64_MAX).b(1).op('+')), INT64_MIN);
    EXPECT_EQ(integer(Code().l(INT64_MIN).b(-1).op('/')), INT64_MIN);
    EXPECT_EQ(integer(Code().l(INT64_MIN).b(-1).op('%')), 0);
    // A double constant in integer arithmetic is truncated.
    EXPECT_EQ(integer(Code().f(-2.75).b(1).op('+')), -1);
    EXPECT_TRUE(reports().empty());
}

TEST_F(ExpressionMachine, FloatingArithmetic) {
    EXPECT_EQ(real(Code().f(7.0).f(0.0).op('/')), 0.0);
    EXPECT_EQ(real(Code().b(7).b(2).op('%')), 7.0);
    EXPECT_EQ(real(Code().b(6).b(3).op('A')), 6.0);
    EXPECT_EQ(real(Code().b(7).b(2).op('/')), 3.5);
    EXPECT_EQ(real(Code().f(0.5).b(1).op('>')), 0.0);
    EXPECT_EQ(real(Code().f(0.5).f(0.5).op('Z')), 1.0);
    // The numeric evaluator truncates toward zero, and a value without a
    // 64-bit form gives the processor's answer rather than undefined behaviour.
    EXPECT_EQ(evaluateNumeric(2, Code().f(2.9).data(), Code().f(2.9).size()), 2);
    EXPECT_EQ(evaluateNumeric(2, Code().f(-2.9).data(), Code().f(-2.9).size()), -2);
    EXPECT_EQ(evaluateNumeric(4, Code().f(1e300).data(), Code().f(1e300).size()), INT64_MIN);
    EXPECT_EQ(evaluateFloating(1, Code().f(2.9).data(), Code().f(2.9).size()), 2.0);
    // A text comparison feeds the floating operator after it.
    EXPECT_EQ(real(Code().text("a").text("a").op('=').f(0.5).op('+')), 1.5);
}

TEST_F(ExpressionMachine, Texts) {
    EXPECT_EQ(text(Code().text("abc").text("def").op('+')), "abcdef");
    EXPECT_EQ(integer(Code().text("abc").text("abc").op('=')), 1);
    EXPECT_EQ(integer(Code().text("abc").text("abd").op('=')), 0);
    EXPECT_EQ(integer(Code().text("abc").text("abd").op('!')), 1);
    EXPECT_EQ(integer(Code().text("ab").text("abc").op('=')), 0);
    EXPECT_TRUE(reports().empty());
    text(Code().text("abc").b(1).op('+'));
    EXPECT_EQ(reports(), Codes{160010});
    integer(Code().text("abc").b(1).op('='));
    EXPECT_EQ(reports(), Codes{160010});
    integer(Code().text("abc").b(1).op('-'));
    EXPECT_EQ(reports(), Codes{160010});

    EXPECT_EQ(text(Code().b(-42).op('s')), "-42");
    EXPECT_EQ(text(Code().f(2.5).op('s'), 4), "2.500000");
    EXPECT_EQ(text(Code().text(" -17xyz").op('i').b(3).op('+').op('s')), "-14");

    // A number as the result writes nothing.
    char buffer[kStringCapacity];
    std::memset(buffer, 'x', sizeof buffer);
    Code five = Code().b(5);
    EXPECT_EQ(evaluateString(3, buffer, five.data(), five.size()), 0u);
    for (char c : buffer) ASSERT_EQ(c, 'x');
}

TEST_F(ExpressionMachine, LiteralEscapesAndDoubleByteCharacters) {
    EXPECT_EQ(text(Code().text("a\\nb")), "a\nb");
    EXPECT_EQ(text(Code().text("a\\qb")), "aqb");
    EXPECT_EQ(text(Code().text("a\\tb\\\\c")), "a\tb\\c");
    // A backslash before the delimiter is dropped and the text ends there.
    EXPECT_EQ(text(Code().op('M', {'"', 'a', '\\', '"', 'b', '"'})), "a");
    // The second byte of a double-byte character is never a backslash or a
    // delimiter: 0x83 0x5C and 0x83 0x40 are two katakana.
    EXPECT_EQ(text(Code().op('M', {'@', 0x83, 0x5C, 'n', 0x83, 0x40, '@'})), "\x83\x5Cn\x83\x40");
    // Without a closing delimiter the text runs to the end of the operand.
    EXPECT_EQ(text(Code().op('M', {'"', 'x', 'y'})), "xy");
}

TEST_F(ExpressionMachine, VariablesAndSubscripts) {
    VariableShape shape;
    shape.dimensionCount = 2;
    shape.dimensions = {2, 3};
    ASSERT_EQ(declareInteger(1000, shape, 0), 0);
    ASSERT_EQ(setNumber(1000, 5, 77), 0);
    EXPECT_EQ(integer(Code().v(1000).b(1).b(2).close()), 77);
    EXPECT_EQ(lastAccess().variable, 1000u);
    EXPECT_EQ(lastAccess().element, 5);
    EXPECT_EQ(lastAccess().subscriptCount, 2);

    integerArray(1001, {10, 20, 30});
    EXPECT_EQ(integer(Code().v(1001).b(2).close().h(1001).op('+')), 40);
    for (int64_t bad : {int64_t(3), int64_t(-1), int64_t(1) << 32}) {
        integer(Code().v(1001).l(bad).close());
        EXPECT_EQ(reports(), Codes{107010}) << bad;
    }
    // One subscript too many.
    integer(Code().v(1001).b(0).b(0).close());
    EXPECT_EQ(reports(), Codes{107010});

    // a[b[1] % 3] in floating mode: the subscripts are computed in integer
    // arithmetic (in floating arithmetic % would leave 5, beyond the array).
    ASSERT_EQ(declareFloat(1002, VariableShape{1, {3}}, 0.0), 0);
    ASSERT_EQ(setFloat(1002, 2, 2.25), 0);
    integerArray(1003, {0, 5});
    EXPECT_EQ(real(Code().v(1002).v(1003).b(1).close().b(3).op('%').close().f(0.5).op('*')), 1.125);
    EXPECT_EQ(lastAccess().variable, 1002u);
    EXPECT_EQ(lastAccess().element, 2);

    ASSERT_EQ(declareString(1004, VariableShape{1, {2}}, "two"), 0);
    EXPECT_EQ(text(Code().v(1004).b(1).close().text("!").op('+')), "two!");
    integer(Code().v(1001).text("1").close());
    EXPECT_EQ(reports(), Codes{160010});

    // System variables: the readers take the subscript as their element.
    EXPECT_EQ(integer(Code().h(33)), 999);
    EXPECT_EQ(text(Code().v(73).b(65).close()), "A");
    EXPECT_TRUE(reports().empty());
}

TEST_F(ExpressionMachine, MissingVariables) {
    // Declared nowhere, and beyond the table.
    for (uint16_t number : {uint16_t(1050), uint16_t(5000)}) {
        integer(Code().h(number));
        integer(Code().v(number).b(0).close());
        integer(Code().ref(number));
        EXPECT_EQ(reports(), (Codes{108010, 108010, 108010})) << number;
    }
}

TEST_F(ExpressionMachine, ReferenceMode) {
    setReferenceMode(true);
    // Nothing is read: an undeclared variable and sizes beyond any array pass.
    EXPECT_EQ(integer(Code().h(1050)), 0);
    EXPECT_EQ(lastAccess().variable, 1050u);
    EXPECT_EQ(lastAccess().subscriptCount, 0);
    integerArray(1001, {0, 7});
    integer(Code().v(1060).b(4).v(1001).b(1).close().close());
    setReferenceMode(false);
    EXPECT_TRUE(reports().empty());
    EXPECT_EQ(lastAccess().variable, 1060u);
    ASSERT_EQ(lastAccess().subscriptCount, 2);
    EXPECT_EQ(lastAccess().subscripts[0], 4);
    EXPECT_EQ(lastAccess().subscripts[1], 7);

    EXPECT_EQ(integer(Code().ref(1001)), 0);
    EXPECT_TRUE(lastAccess().reference);
    EXPECT_EQ(integer(Code().h(1001)), 0);
    EXPECT_FALSE(lastAccess().reference);
}

TEST_F(ExpressionMachine, ConstantMode) {
    integerArray(1001, {3});
    setConstantMode(true);
    clearNotConstant();
    EXPECT_EQ(integer(Code().b(2).b(3).op('*')), 6);
    EXPECT_FALSE(notConstant());
    integer(Code().b(1).h(1001).op('+'));
    EXPECT_TRUE(notConstant());
    EXPECT_TRUE(evaluationFailed());
    setConstantMode(false);
    EXPECT_TRUE(reports().empty());
    EXPECT_EQ(integer(Code().b(1).h(1001).op('+')), 4);
    EXPECT_FALSE(evaluationFailed());
}

// The compiler folds with a machine of its own and no engine bound: it
// gives nothing where the engine would read a variable or stop (and
// report), and keeps nothing of a failed evaluation.
TEST(ConstantEvaluator, RunsTheMachineWithoutAnEngine) {
    ConstantEvaluator c;
    Code half = Code().b(7).b(2).op('/');
    EXPECT_EQ(c.numeric(1, half.data(), half.size()), 3);
    EXPECT_EQ(c.floating(2, half.data(), half.size()), 3.5);
    Code huge = Code().f(1e300);
    EXPECT_EQ(c.numeric(2, huge.data(), huge.size()), INT64_MIN);
    Code zero = Code().f(-0.0).op('s');
    EXPECT_EQ(c.string(4, zero.data(), zero.size()), "-0.000000");
    Code number = Code().b(5);
    EXPECT_EQ(c.string(3, number.data(), number.size()), std::nullopt) << "a number is no text";
    Code variable = Code().b(1).h(1001).op('+');
    EXPECT_EQ(c.numeric(1, variable.data(), variable.size()), std::nullopt);
    Code damaged = Code().b(1).op('+');
    EXPECT_EQ(c.numeric(1, damaged.data(), damaged.size()), std::nullopt);
    Code unknown = Code().b(1).op('Q');
    EXPECT_EQ(c.floating(2, unknown.data(), unknown.size()), std::nullopt);
    EXPECT_EQ(c.numeric(3, half.data(), half.size()), 3);
}

TEST_F(ExpressionMachine, LongTextsAreCut) {
    std::string half(3000, 'a');
    EXPECT_EQ(text(Code().text(half).text(half).op('+')), std::string(4095, 'a'));
    // Cut between characters: a double-byte character over the limit goes.
    std::string odd(4094, 'b');
    std::string joined = text(Code().text(odd).text("\x82\xA0").op('+'));
    EXPECT_EQ(joined, odd);
    ASSERT_EQ(declareString(1005, "x"), 0);
    ASSERT_EQ(setString(1005, 0, std::string(9000, 'c')), 0);
    EXPECT_EQ(text(Code().h(1005)).size(), 4095u);
}

// Damaged code: each is refused with its report and stops the evaluation;
// AddressSanitizer runs these to show nothing outside the buffers is touched.
TEST_F(ExpressionMachine, DamagedCodeIsRefused) {
    Code full;
    for (int k = 0; k < kStackSlots; ++k) full.b(1);
    integer(full);
    EXPECT_TRUE(reports().empty());
    integer(full.b(1));
    EXPECT_EQ(reports(), Codes{900000});

    Code strings = Code().text("s");
    for (int k = 1; k < kStringSlots; ++k) strings.text("s").op('+');
    EXPECT_EQ(text(strings).size(), size_t(kStringSlots));
    text(strings.text("s").op('+'));
    EXPECT_EQ(reports(), Codes{900000});

    Code nine = Code().v(33);
    for (int k = 0; k < 9; ++k) nine.b(0);
    integer(nine.close());
    Code deep;
    for (int k = 0; k <= kMaxOpenGroups; ++k) deep.v(33);
    integer(deep);
    EXPECT_EQ(reports(), (Codes{900000, 900000}));

    Code cut = Code().b(1).b(2).op('+');
    cut.bytes[1] = 9;  // the first operand runs past the end
    integer(cut);
    Code header = Code().b(1);
    header.bytes.push_back('B');
    header.bytes.push_back(1);  // half a length field
    integer(header);
    integer(Code().op('I', {1, 2}));
    integer(Code().op('H', {'i'}));
    integer(Code().b(1).op('+'));
    integer(Code().op('R'));
    integer(Code().b(1).close());
    integer(Code().b(1).v(33).op('*').close());  // the operator ate the placeholder
    EXPECT_EQ(reports(), Codes(8, 900000));

    EXPECT_EQ(integer(Code().b(4).op('?').b(5)), 4);
    EXPECT_EQ(reports(), Codes{900030});
    Code seven = Code().b(7);
    EXPECT_EQ(evaluateNumeric(0, seven.data(), seven.size()), 0);
    char buffer[kStringCapacity];
    EXPECT_EQ(evaluateString(5, buffer, seven.data(), seven.size()), 0u);
    EXPECT_EQ(reports(), (Codes{900000, 900000}));
    // Each evaluation starts afresh.
    EXPECT_EQ(integer(Code()), 0);
    EXPECT_FALSE(evaluationFailed());
}

}  // namespace
}  // namespace vr
