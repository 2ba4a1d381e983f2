// Expression code as the engine reads it, against byte strings worked out
// by hand from the code's layout: opcode, 16-bit operand length, operand.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>

#include "expression.h"
#include "support/sjis_text.h"
#include "vrc_test_util.h"

namespace vrc {
namespace {

using Bytes = std::vector<uint8_t>;

// Compiles "t = EXPR" for a t of the type given, and returns the value
// record's code and evaluation type.
std::pair<Bytes, int> valueOf(const std::string& expr, const std::string& type = "int") {
    auto c = test::compile("global int x\nglobal int a[4]\nglobal float f\nglobal str s\nglobal " + type +
                           " t\nt = " + expr + "\n");
    EXPECT_TRUE(c->ok) << c->errors();
    if (!c->ok) return {};
    const auto& in = c->game.scripts[0].instructions.back();
    EXPECT_EQ(in.command, 39);
    return {in.arguments[1].code, in.arguments[1].evalType};
}

Bytes op(char code, const Bytes& operand = {}) {
    Bytes b{uint8_t(code), uint8_t(operand.size()), uint8_t(operand.size() >> 8)};
    for (uint8_t x : operand) b.push_back(x);
    return b;
}

Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts)
        for (uint8_t x : p) all.push_back(x);
    return all;
}

TEST(VrcExpression, IntegerLiteralsTakeTheSmallestForm) {
    EXPECT_EQ(valueOf("127").first, op('B', {0x7F}));
    EXPECT_EQ(valueOf("-128").first, op('B', {0x80}));
    EXPECT_EQ(valueOf("128").first, op('W', {0x80, 0x00}));
    EXPECT_EQ(valueOf("-32769").first, op('I', {0xFF, 0x7F, 0xFF, 0xFF}));
    EXPECT_EQ(valueOf("0x100000000").first, op('L', {0, 0, 0, 0, 1, 0, 0, 0}));
    EXPECT_EQ(valueOf("-9223372036854775808").first, op('L', {0, 0, 0, 0, 0, 0, 0, 0x80}));
    auto [code, type] = valueOf("1.5", "float");
    EXPECT_EQ(code, op('F', {0, 0, 0, 0, 0, 0, 0xF8, 0x3F}));
    EXPECT_EQ(type, 2);
}

TEST(VrcExpression, StringLiteralsKeepTheEnginesEscapes) {
    // a, backslash-n, b: the engine turns \n into a line feed itself.
    EXPECT_EQ(valueOf("\"a\\nb\"", "str").first, op('M', {'"', 'a', '\\', 'n', 'b', '"'}));
    EXPECT_EQ(valueOf("\"a\\\\b\\tc\"", "str").first,
              op('M', {'"', 'a', '\\', '\\', 'b', '\\', 't', 'c', '"'}));
    // A quote in the text: another delimiter is chosen.
    EXPECT_EQ(valueOf("\"say \\\"hi\\\"\"", "str").first,
              op('M', {'\'', 's', 'a', 'y', ' ', '"', 'h', 'i', '"', '\''}));
    // Shift_JIS characters are copied whole; 0x5C as a second byte is no escape.
    auto [code, type] = valueOf(vr::test::sjis(u8"\"表\""), "str");
    EXPECT_EQ(code, op('M', {'"', 0x95, 0x5C, '"'}));
    EXPECT_EQ(type, 3);
}

TEST(VrcExpression, OperatorsInPostfixOrder) {
    Bytes one = op('B', {1}), two = op('B', {2}), three = op('B', {3});
    struct Case {
        const char* source;
        char code;
    } cases[] = {{"+", '+'},  {"-", '-'},  {"*", '*'},  {"/", '/'},  {"%", '%'},  {"==", '='},
                 {"!=", '!'}, {"<", '<'},  {">", '>'},  {"<=", 'S'}, {">=", 'Z'}, {"&&", '&'},
                 {"||", '|'}, {"&", 'A'},  {"|", 'O'},  {"^", '^'}};
    for (const Case& c : cases)
        EXPECT_EQ(valueOf(std::string("1 ") + c.source + " 2").first, cat({one, two, op(c.code)})) << c.source;
    // Precedence: 1 + 2 * 3, (1 + 2) * 3.
    EXPECT_EQ(valueOf("1 + 2 * 3").first, cat({one, two, three, op('*'), op('+')}));
    EXPECT_EQ(valueOf("(1 + 2) * 3").first, cat({one, two, op('+'), three, op('*')}));
    // Left to right within a level.
    EXPECT_EQ(valueOf("1 - 2 - 3").first, cat({one, two, op('-'), three, op('-')}));
    EXPECT_EQ(valueOf("-(1 + 2)").first, cat({one, two, op('+'), op('R')}));
    EXPECT_EQ(valueOf("!1").first, cat({one, op('B', {0}), op('=')}));
}

TEST(VrcExpression, VariablesConversionsAndEvaluationTypes) {
    // Globals are numbered in declaration order from 1000: x, a, f, s, t.
    Bytes x = op('H', {'i', 0xE8, 0x03});
    EXPECT_EQ(valueOf("x").first, x);
    EXPECT_EQ(valueOf("a[x + 1]").first,
              cat({op('V', {'i', 0xE9, 0x03}), x, op('B', {1}), op('+'), op(')')}));
    EXPECT_EQ(valueOf("str(x) + s", "str").first,
              cat({x, op('s'), op('H', {'s', 0xEB, 0x03}), op('+')}));
    EXPECT_EQ(valueOf("int(s)").first, cat({op('H', {'s', 0xEB, 0x03}), op('i')}));
    EXPECT_EQ(valueOf("f * 2").second, 2) << "a floating variable makes floating arithmetic";
    EXPECT_EQ(valueOf("a[int(\"1\")] + 2").second, 1);
    EXPECT_EQ(valueOf("str(f)", "str").second, 4);
    // A system variable with an element.
    EXPECT_EQ(valueOf("param.int[2]").first, cat({op('V', {'i', 34, 0}), op('B', {2}), op(')')}));
}

TEST(VrcExpression, TypeErrorsAreReportedWhereTheyStand) {
    auto c = test::compile("global int x\nglobal str s\nx = s + 1\nx = 1.5 % 2\ns = 3\n");
    EXPECT_FALSE(c->ok);
    std::string e = c->errors();
    EXPECT_NE(e.find("main.vrs:3:7: error:"), std::string::npos) << e;
    EXPECT_NE(e.find("main.vrs:4:9: error:"), std::string::npos) << e;
    EXPECT_NE(e.find("main.vrs:5:5: error:"), std::string::npos) << e;
    EXPECT_EQ(c->diagnostics.count(), 3u) << e;
}

// Initial values are folded by the engine's own machine: what the engine
// computes, including where the C library or the engine's limits decide.
TEST(VrcExpression, InitialValuesAreWhatTheEngineComputes) {
    std::string four = std::string(4000, 'a');
    auto c = test::compile("global int i = 1e300\nglobal str s = str(1e300)\nglobal str t = \"" + four +
                           "\" + \"" + std::string(200, 'b') + "\"\nglobal float f = 7 / 2\n");
    ASSERT_TRUE(c->ok) << c->errors();
    const auto& v = c->game.variables;
    ASSERT_EQ(v.size(), 4u);
    EXPECT_EQ(v[0].intValue, INT64_MIN) << "a double beyond 64 bits converts to the smallest integer";
    char text[400];
    std::snprintf(text, sizeof text, "%f", 1e300);
    EXPECT_EQ(v[1].expression, encodeText(text)) << "str() writes every digit, as the engine's does";
    EXPECT_EQ(v[2].expression, encodeText(four + std::string(95, 'b'))) << "a text ends at 4095 bytes";
    EXPECT_EQ(v[3].floatValue, 3.0) << "integer arithmetic, then converted";

    // What the engine would stop on, or compute differently from how it
    // reads, is refused as it is in any other expression.
    std::string many = "\"a\"";
    for (int k = 0; k < 1024; ++k) many += " + \"b\"";
    auto bad = test::compile("global float g = 1.5 + (3 % 2)\nglobal str m = " + many + "\n");
    EXPECT_EQ(bad->diagnostics.count(), 2u) << bad->errors();
    EXPECT_NE(bad->errors().find("main.vrs:1:"), std::string::npos) << bad->errors();
    EXPECT_NE(bad->errors().find("main.vrs:2:16: error: an initial value is beyond what the engine can compute"),
              std::string::npos) << bad->errors();
}

TEST(VrcExpression, DeepNestingIsAnErrorNotACrash) {
    auto c = test::compile("global int x\nx = " + std::string(100000, '(') + "1" + std::string(100000, ')') + "\n");
    EXPECT_NE(c->errors().find("nested more than 256 levels deep"), std::string::npos) << c->errors().substr(0, 200);
}

TEST(VrcExpression, DecodingShowsInfix) {
    auto [code, type] = valueOf("(x + 1) * a[2] - -3");
    EXPECT_EQ(decodeExpression(code.data(), code.size(), nullptr), "($1000 + 1) * $1001[2] - -3");
}

}  // namespace
}  // namespace vrc
