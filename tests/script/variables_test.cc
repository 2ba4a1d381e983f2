// Variables: declarations and their limits, element access and the type
// rules, the compound operators, the array operations, initialisation from
// vrv.vbn, and the string and information commands (83, 84) below their
// argument reading.

#include "script/variables.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/engine_files_writer.h"
#include "platform/platform.h"
#include "script/expression_code.h"
#include "script/expression_machine.h"
#include "script/variable_commands.h"
#include "script/variable_table.h"
#include "support/game_run.h"
#include "support/headless_engine.h"

namespace vr {
namespace {

using test::Code;
using Codes = std::vector<uint32_t>;

// Shift_JIS from UTF-8 source text, whatever the compiler does with literals.
std::string sj(const char8_t* utf8) { return platform::utf8ToSjis(reinterpret_cast<const char*>(utf8)); }

VariableShape dims(std::initializer_list<int32_t> sizes) {
    VariableShape s;
    for (int32_t d : sizes) s.dimensions[size_t(s.dimensionCount++)] = d;
    return s;
}

struct Variables : ::testing::Test {
    test::HeadlessEngine h;
    Variables() {
        h.e.core.files.highestVariable = 1100;
        h.e.core.files.variables.resize(1101);
        EXPECT_EQ(createVariableTable(), 0);
    }
    std::vector<uint32_t> reports() {
        std::vector<uint32_t> codes = h.e.core.errors.reportedCodes;
        h.e.core.errors.reportedCodes.clear();
        return codes;
    }
    std::vector<int64_t> integers(uint32_t n) {
        std::vector<int64_t> out;
        for (int64_t k = 0; k < variableRecord(n)->elementCount; ++k) out.push_back(getInteger(n, k));
        return out;
    }
    void integerArray(uint32_t n, std::vector<int64_t> values) {
        ASSERT_EQ(declareInteger(n, dims({int32_t(values.size())}), 0), 0);
        for (size_t k = 0; k < values.size(); ++k) ASSERT_EQ(setNumber(n, int64_t(k), values[k]), 0);
    }
    void text(uint32_t n, std::string value) { ASSERT_EQ(declareString(n, dims({}), value), 0); }
};

TEST_F(Variables, DeclarationShapesAndLimits) {
    ASSERT_EQ(declareInteger(1000, dims({2, 3}), 4), 0);
    const Variable* v = variableRecord(1000);
    EXPECT_EQ(v->elementCount, 6);
    EXPECT_EQ(integers(1000), std::vector<int64_t>(6, 4));

    // Refused declarations leave the variable as it was.
    EXPECT_EQ(declareInteger(1000, dims({2001, 2000}), 0), -1);
    EXPECT_EQ(declareInteger(1000, dims({0}), 0), -1);
    EXPECT_EQ(declareInteger(1000, dims({-2, -3}), 0), -1);
    EXPECT_EQ(declareInteger(1000, dims({INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX}), 0), -1);
    EXPECT_EQ(declareInteger(1200, dims({}), 0), -1);
    EXPECT_EQ(reports(), (Codes{101100, 101110, 101110, 101100, 900070}));
    EXPECT_EQ(v->elementCount, 6);
    EXPECT_EQ(v->dimensions[0], 2);

    EXPECT_EQ(declareInteger(1001, dims({2000, 2000}), 1), 0);
    EXPECT_EQ(variableRecord(1001)->elementCount, kMaxElements);
    // Redeclaring in place keeps the shape and replaces type and contents.
    ASSERT_EQ(declareString(1000, "x"), 0);
    EXPECT_EQ(variableType(1000), kTypeString);
    EXPECT_EQ(getString(1000, 5), "x");
    EXPECT_EQ(getInteger(1000, 5), 0);
    EXPECT_TRUE(v->integers.empty());
}

TEST_F(Variables, DeclarationTargetNamesTheShape) {
    ASSERT_EQ(declareInteger(1003, dims({1}), 6), 0);
    uint32_t number = 0;
    VariableShape shape;
    // dim a[2, b[0]] of a variable never declared, in reference mode.
    Code target = Code().v(1002).b(2).v(1003).b(0).close().close();
    ASSERT_TRUE(declarationTarget(1, target.data(), target.size(), number, shape));
    EXPECT_EQ(number, 1002u);
    ASSERT_EQ(shape.dimensionCount, 2);
    EXPECT_EQ(shape.dimensions[0], 2);
    EXPECT_EQ(shape.dimensions[1], 6);
    ASSERT_EQ(declareFloat(number, shape, 0.5), 0);
    EXPECT_EQ(getFloat(1002, 11), 0.5);
    // Element (1, 2) of a 2 x 3 array is element 5.
    ASSERT_EQ(declareInteger(1004, dims({2, 3}), 0), 0);
    ASSERT_EQ(setNumber(1004, 5, 9), 0);
    Code read = Code().v(1004).b(1).b(2).close();
    EXPECT_EQ(evaluateNumeric(1, read.data(), read.size()), 9);

    Code plain = Code().h(1005);
    ASSERT_TRUE(declarationTarget(1, plain.data(), plain.size(), number, shape));
    EXPECT_EQ(number, 1005u);
    EXPECT_EQ(shape.dimensionCount, 0);
    // A size beyond 32 bits is kept beyond the limit instead of wrapping.
    Code huge = Code().v(1005).l((int64_t(1) << 32) + 5).close();
    ASSERT_TRUE(declarationTarget(1, huge.data(), huge.size(), number, shape));
    EXPECT_EQ(declareInteger(number, shape, 0), -1);
    EXPECT_EQ(reports(), Codes{101100});
}

TEST_F(Variables, ElementAccessAndTypes) {
    ASSERT_EQ(declareInteger(1000, dims({6}), 1), 0);
    EXPECT_EQ(setNumber(1000, 6, 5), -1);
    EXPECT_EQ(setNumber(1000, -1, 5), -1);
    EXPECT_TRUE(reports().empty());
    EXPECT_EQ(integers(1000), std::vector<int64_t>(6, 1));
    EXPECT_EQ(getInteger(1000, 6), 0);
    EXPECT_EQ(setFloat(1000, 0, -2.9), 0);
    EXPECT_EQ(getInteger(1000, 0), -2);

    ASSERT_EQ(declareFloat(1001, 0.0), 0);
    EXPECT_EQ(setNumber(1001, 0, 3), 0);
    EXPECT_EQ(getFloat(1001, 0), 3.0);
    EXPECT_EQ(getString(1001, 0), "");

    ASSERT_EQ(declareString(1002, dims({2}), "ab"), 0);
    EXPECT_EQ(getString(1002, 1), "ab");
    EXPECT_EQ(setNumber(1002, 0, 1), -1);
    EXPECT_EQ(setString(1000, 0, "x"), -1);
    EXPECT_EQ(setNumber(1050, 0, 1), -1);  // never declared
    EXPECT_EQ(reports(), (Codes{101140, 101140, 101140}));

    // An element holds at most 65534 bytes, cut between characters.
    std::string longText(65533, 'a');
    longText += "\x82\xA0";
    ASSERT_EQ(setString(1002, 0, longText), 0);
    EXPECT_EQ(getString(1002, 0), std::string(65533, 'a'));
    ASSERT_EQ(assignString(1002, 1, 1, "cd"), 0);
    EXPECT_EQ(getString(1002, 1), "abcd");
    EXPECT_EQ(assignString(1002, 1, 2, "cd"), -1);
    EXPECT_EQ(reports(), Codes{101140});
}

TEST_F(Variables, CompoundOperators) {
    struct Case {
        uint8_t op;
        int64_t start, value, expected;
    };
    const Case integerCases[] = {
        {0, 7, 3, 3},  {1, 7, 3, 10}, {2, 7, 3, 4},   {3, 7, 3, 21},  {4, -7, 2, -3},
        {4, 7, 0, 7},  {5, -7, 2, -1}, {5, 7, 0, 7},  {6, 6, 3, 2},   {7, 6, 3, 7},
        {8, 6, 3, 5},  {4, INT64_MIN, -1, INT64_MIN}, {5, INT64_MIN, -1, 0}, {1, INT64_MAX, 1, INT64_MIN},
    };
    ASSERT_EQ(declareInteger(1000, 0), 0);
    for (const Case& c : integerCases) {
        ASSERT_EQ(setNumber(1000, 0, c.start), 0);
        EXPECT_EQ(assignInteger(1000, 0, c.op, c.value), 0);
        EXPECT_EQ(getInteger(1000, 0), c.expected) << int(c.op) << " " << c.start << " " << c.value;
    }
    // A floating value for an integer element is truncated first.
    ASSERT_EQ(setNumber(1000, 0, 7), 0);
    EXPECT_EQ(assignFloat(1000, 0, 3, 1.5), 0);
    EXPECT_EQ(getInteger(1000, 0), 7);

    struct RealCase {
        uint8_t op;
        double start, value, expected;
    };
    const RealCase realCases[] = {
        {1, 1.5, 0.25, 1.75}, {4, 7.0, 2.0, 3.5}, {4, 7.0, 0.0, 7.0}, {5, 7.9, 2.0, 1.0},
        {5, 7.9, 0.0, 7.9},   {5, 7.9, 0.5, 7.9}, {6, 6.9, 3.2, 2.0}, {8, 6.0, 3.0, 5.0},
    };
    ASSERT_EQ(declareFloat(1001, 0.0), 0);
    for (const RealCase& c : realCases) {
        ASSERT_EQ(setFloat(1001, 0, c.start), 0);
        EXPECT_EQ(assignFloat(1001, 0, c.op, c.value), 0);
        EXPECT_EQ(getFloat(1001, 0), c.expected) << int(c.op) << " " << c.start << " " << c.value;
    }
    ASSERT_EQ(setFloat(1001, 0, 7.9), 0);
    EXPECT_EQ(assignInteger(1001, 0, 5, 2), 0);
    EXPECT_EQ(getFloat(1001, 0), 1.0);
    // Outside the element range nothing changes and the command goes on.
    EXPECT_EQ(assignInteger(1001, 1, 0, 5), 0);
    EXPECT_TRUE(reports().empty());
}

TEST_F(Variables, ArrayOperations) {
    integerArray(1000, {1, 2, 3});
    ASSERT_EQ(insertElement(1000, 0), 0);
    EXPECT_EQ(integers(1000), (std::vector<int64_t>{0, 1, 2}));
    integerArray(1000, {1, 2, 3});
    ASSERT_EQ(deleteElement(1000, 0), 0);
    EXPECT_EQ(integers(1000), (std::vector<int64_t>{2, 3, 0}));
    ASSERT_EQ(insertElement(1000, 3), 0);
    EXPECT_EQ(integers(1000), (std::vector<int64_t>{2, 3, 0}));

    ASSERT_EQ(declareString(1001, dims({3}), "s"), 0);
    ASSERT_EQ(setString(1001, 2, "t"), 0);
    ASSERT_EQ(deleteElement(1001, 1), 0);
    EXPECT_EQ(getString(1001, 1), "t");
    EXPECT_EQ(getString(1001, 2), "");

    // Resizing through command 83's operators keeps what fits.
    UtilityRequest grow;
    grow.source = grow.target = {1000, 0};
    grow.resize = true;
    grow.resizeOp = 1;
    grow.resizeValue = 2;
    ASSERT_EQ(runVariableUtility(grow), 0);
    EXPECT_EQ(integers(1000), (std::vector<int64_t>{2, 3, 0, 0, 0}));
    EXPECT_EQ(variableRecord(1000)->dimensions[0], 5);
    ASSERT_EQ(resizeArray(1000, 2), 0);
    EXPECT_EQ(integers(1000), (std::vector<int64_t>{2, 3}));
    grow.resizeOp = 4;
    grow.resizeValue = 0;  // divided by zero: unchanged
    ASSERT_EQ(runVariableUtility(grow), 0);
    EXPECT_EQ(variableRecord(1000)->elementCount, 2);

    size_t shown = h.host.transcript().size();
    EXPECT_EQ(resizeArray(1000, 0), -1);
    ASSERT_EQ(declareInteger(1002, dims({2, 2}), 0), 0);
    EXPECT_EQ(insertElement(1002, 0), -1);
    EXPECT_EQ(deleteElement(1002, 0), -1);
    EXPECT_EQ(resizeArray(1002, 8), -1);
    EXPECT_EQ(h.host.transcript().size(), shown + 4);
    EXPECT_EQ(variableRecord(1002)->elementCount, 4);
    EXPECT_EQ(resizeArray(1000, kMaxElements + 1), -1);
    EXPECT_EQ(reports(), Codes{101100});
}

TEST_F(Variables, InitialisationFromTheDefinitions) {
    std::vector<VariableRecord> records(4);
    records[0].number = 1000;
    records[0].dimensionCount = 1;
    records[0].dimensions[0] = 3;
    records[0].intValue = 42;
    records[1].number = 1001;
    records[1].type = VariableRecord::kString;
    records[1].expression = Code().text("ab").text("c").op('+').bytes;
    records[2].scope = VariableRecord::kScriptLocal;
    records[2].script = 3;
    records[2].number = 1002;
    records[2].type = VariableRecord::kFloat;
    records[2].floatValue = 1.25;
    records[3] = records[2];
    records[3].script = 4;
    records[3].number = 1003;
    std::vector<uint8_t> file = writeVariableDefinitions(records);
    ASSERT_EQ(parseVariableDefinitions(file.data(), file.size(), "vrv"), 0);

    ASSERT_EQ(initialiseVariables(-1), 0);
    EXPECT_EQ(integers(1000), (std::vector<int64_t>{42, 42, 42}));
    EXPECT_EQ(getString(1001, 0), "abc");
    EXPECT_EQ(variableType(1002), kTypeNone);
    ASSERT_EQ(initialiseVariables(3), 0);
    EXPECT_EQ(getFloat(1002, 0), 1.25);
    EXPECT_EQ(variableType(1003), kTypeNone);

    records[0].number = 1100;
    h.e.core.files.highestVariable = 1050;
    ASSERT_EQ(createVariableTable(), 0);
    file = writeVariableDefinitions(records);
    ASSERT_EQ(parseVariableDefinitions(file.data(), file.size(), "vrv"), 0);
    EXPECT_EQ(initialiseVariables(-1), -1);
    EXPECT_EQ(reports(), Codes{900070});
}

TEST_F(Variables, UtilityConversions) {
    ASSERT_EQ(declareInteger(1000, -42), 0);
    ASSERT_EQ(declareFloat(1001, 2.5), 0);
    text(1002, "");
    UtilityRequest r;
    r.convert = true;
    r.source = {1000, 0};
    r.target = {1002, 0};
    ASSERT_EQ(runVariableUtility(r), 0);
    EXPECT_EQ(getString(1002, 0), "-42");
    r.source = {1001, 0};
    ASSERT_EQ(runVariableUtility(r), 0);
    EXPECT_EQ(getString(1002, 0), "2.500000");

    r.source = {1002, 0};
    for (auto [textValue, number] : {std::pair<const char*, int64_t>{"123", 123}, {"-5", -5}, {"+7", 7}}) {
        ASSERT_EQ(setString(1002, 0, textValue), 0);
        r.target = {1000, 0};
        ASSERT_EQ(runVariableUtility(r), 0);
        EXPECT_EQ(getInteger(1000, 0), number) << textValue;
    }
    ASSERT_EQ(setString(1002, 0, "1.5"), 0);
    r.target = {1001, 0};
    ASSERT_EQ(runVariableUtility(r), 0);
    EXPECT_EQ(getFloat(1001, 0), 1.5);
    EXPECT_TRUE(reports().empty());

    for (const char* bad : {"abc", "", "1.2.3", " 4", "-"}) {
        ASSERT_EQ(setString(1002, 0, bad), 0);
        EXPECT_EQ(runVariableUtility(r), -1) << bad;
    }
    r.source = {1000, 0};
    EXPECT_EQ(runVariableUtility(r), -1);  // two numbers
    r.source = r.target = {1002, 0};
    EXPECT_EQ(runVariableUtility(r), -1);  // two texts
    EXPECT_EQ(reports(), (Codes{108210, 108210, 108210, 108210, 108210, 108200, 108200}));
}

TEST_F(Variables, UtilityCharacters) {
    text(1000, sj(u8"あいうえお"));
    text(1001, "");
    UtilityRequest r;
    r.source = {1000, 0};
    r.target = {1001, 0};
    r.substring = true;
    r.start = 2;
    r.length = 2;
    ASSERT_EQ(runVariableUtility(r), 0);
    EXPECT_EQ(getString(1001, 0), sj(u8"いう"));
    r.length.reset();
    ASSERT_EQ(runVariableUtility(r), 0);
    EXPECT_EQ(getString(1001, 0), sj(u8"いうえお"));
    r.start = 7;
    EXPECT_EQ(runVariableUtility(r), -1);
    r.start = 4;
    r.length = 3;
    EXPECT_EQ(runVariableUtility(r), -1);

    r.substring = false;
    r.remove = true;
    r.start = 0;  // 1 or less is the first character
    r.length = 2;
    ASSERT_EQ(runVariableUtility(r), 0);
    EXPECT_EQ(getString(1001, 0), sj(u8"うえお"));
    r.start = 9;
    EXPECT_EQ(runVariableUtility(r), -1);
    r.start = 5;
    EXPECT_EQ(runVariableUtility(r), -1);
    EXPECT_EQ(reports(), (Codes{120010, 120020, 120110, 120120}));

    // Without a target the source is changed.
    UtilityRequest upper;
    upper.source = upper.target = {1001, 0};
    upper.upper = true;
    ASSERT_EQ(setString(1001, 0, sj(u8"abｚα 1")), 0);
    ASSERT_EQ(runVariableUtility(upper), 0);
    EXPECT_EQ(getString(1001, 0), sj(u8"ABＺΑ 1"));
    EXPECT_EQ(toLowerCase(sj(u8"ＡＢcАП")), sj(u8"ａｂcап"));

    EXPECT_EQ(toFullWidth("A1 " + sj(u8"ｶﾞﾊﾟｳﾞｱ")), sj(u8"Ａ１　ガパヴア"));
    EXPECT_EQ(toHalfWidth(sj(u8"Ａ１　ガパヴアあ")), "A1 " + sj(u8"ｶﾞﾊﾟｳﾞｱあ"));
    EXPECT_EQ(toHalfWidth(toFullWidth("Hello, World! ~")), "Hello, World! ~");

    ASSERT_EQ(declareInteger(1002, 0), 0);
    upper.target = {1002, 0};
    EXPECT_EQ(runVariableUtility(upper), -1);
    EXPECT_EQ(reports(), Codes{108220});
}

TEST_F(Variables, VariableInformation) {
    text(1000, sj(u8"あb"));
    ASSERT_EQ(declareInteger(1001, dims({4, 3}), 0), 0);
    ASSERT_EQ(setNumber(1001, 2, 9), 0);
    ASSERT_EQ(declareInteger(1002, 0), 0);
    auto ask = [&](uint32_t source, int query) {
        InfoRequest r;
        r.source = {source, 0};
        r.result = VariableRef{1002, 0};
        r.query = query;
        r.findInteger = 9;
        EXPECT_EQ(runVariableInfo(r), 0) << query;
        return getInteger(1002, 0);
    };
    EXPECT_EQ(ask(1000, 2), kTypeString);
    EXPECT_EQ(ask(1000, 3), 2);
    EXPECT_EQ(ask(1000, 13), 2);
    EXPECT_EQ(ask(1001, 4), 2);
    EXPECT_EQ(ask(1001, 5), 4);
    EXPECT_EQ(ask(1001, 6), 3);
    EXPECT_EQ(ask(1001, 7), 0);
    EXPECT_EQ(ask(1001, 14), 2);
    EXPECT_TRUE(reports().empty());

    InfoRequest find;
    find.source = {1001, 0};
    find.result = VariableRef{1002, 0};
    find.query = 14;
    find.findInteger = 9;
    find.findFrom = 3;  // the search runs over the first dimension only
    ASSERT_EQ(runVariableInfo(find), 0);
    EXPECT_EQ(getInteger(1002, 0), -1);
    ASSERT_EQ(declareString(1003, dims({3}), "x"), 0);
    ASSERT_EQ(setString(1003, 2, "y"), 0);
    find.source = {1003, 0};
    find.findText = "y";
    find.findFrom = 0;
    ASSERT_EQ(runVariableInfo(find), 0);
    EXPECT_EQ(getInteger(1002, 0), 2);

    InfoRequest bad;
    bad.source = {1000, 0};
    bad.result = VariableRef{1003, 0};
    bad.query = 2;
    EXPECT_EQ(runVariableInfo(bad), -1);
    ASSERT_EQ(setString(1000, 0, ""), 0);
    bad.result = VariableRef{1002, 0};
    bad.query = 3;
    EXPECT_EQ(runVariableInfo(bad), -1);
    bad.source = {1001, 0};
    bad.query = 13;
    EXPECT_EQ(runVariableInfo(bad), -1);
    EXPECT_EQ(reports(), (Codes{101140, 101450, 108220}));
}

// The handlers, in a game compiled by vrc: growing an array with dim (its
// new sizes are no subscripts of the old shape), floating and computed
// string initial values, and commands 83 and 84 reading their arguments.
TEST(VariableCommands, InAGame) {
    auto r = test::runGame(
        "global int a[3]\nglobal float f\nglobal str s[2] = \"q\"\nglobal int info\n*SYSTEM_START\n"
        "dim a[5] = 7\na[4] += 2\ndim f = 7.75\ndim s[3] = \"ab\" + str(f)\nf %= 2\n"
        "VariableInfo source=a result=info size1=1\n"
        "VariableUtility source=s[1] upper=1\n"
        "loop -1\n  wait 1\nend\n",
        2);
    ASSERT_EQ(r.compileExit, 0) << r.compileOutput;
    EXPECT_FALSE(r.anyError()) << r.output;
    EXPECT_EQ(r.value(1000), "7, 7, 7, 7, 9");
    EXPECT_EQ(r.value(1001), "1.0");
    EXPECT_EQ(r.value(1002), "\"ab7.750000\", \"AB7.750000\", \"ab7.750000\"");
    EXPECT_EQ(r.value(1003), "5");
}

// The compound operators through both ways an assignment runs: a plain
// integer variable in line, an array element by the handler.  Both must
// agree with each other and with the operators' rules (a zero divisor keeps
// the value).
TEST(VariableCommands, CompoundAssignmentInLineAndByTheHandler) {
    const char* ops[] = {"= 10", "-= 3", "*= 4", "/= 0", "%= 0", "%= 5", "|= 8", "&= 14", "^= 3", "/= 2"};
    std::string source = "global int c\nglobal int e[2]\n*SYSTEM_START\n";
    for (const char* op : ops) source += std::string("c ") + op + "\ne[1] " + op + "\n";
    auto r = test::runGame(source + "loop -1\n  wait 1\nend\n", 2);
    ASSERT_EQ(r.compileExit, 0) << r.compileOutput;
    EXPECT_FALSE(r.anyError()) << r.output;
    EXPECT_EQ(r.value(1000), "4");
    EXPECT_EQ(r.value(1001), "0, 4");
}

}  // namespace
}  // namespace vr
