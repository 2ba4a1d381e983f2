#include "script/variable_dump.h"
#include "support/sjis_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace vr {
namespace {

VariableSnapshot shaped(uint32_t number, uint8_t type, std::initializer_list<int32_t> sizes) {
    VariableSnapshot v;
    v.number = number;
    v.type = type;
    for (int32_t s : sizes) v.sizes[size_t(v.dimensionCount++)] = s;
    return v;
}

TEST(VariableDumpTest, OneLinePerVariableWithItsShape) {
    VariableSnapshot i = shaped(1000, 1, {});
    i.integers = {42};
    EXPECT_EQ(formatVariable(i), "1000 int = 42");

    VariableSnapshot a = shaped(1003, 1, {3});
    a.integers = {-1, 0, INT64_MIN};
    EXPECT_EQ(formatVariable(a), "1003 int[3] = -1, 0, -9223372036854775808");

    VariableSnapshot f = shaped(1002, 2, {2, 2});
    f.floats = {1.5, 2.0, -0.25, 1e300};
    EXPECT_EQ(formatVariable(f), "1002 float[2,2] = 1.5, 2.0, -0.25, 1e+300");

    // The shortest text that reads back as the same double.
    VariableSnapshot g = shaped(1004, 2, {3});
    g.floats = {0.1, std::numeric_limits<double>::infinity(), std::nan("")};
    EXPECT_EQ(formatVariable(g), "1004 float[3] = 0.1, inf, nan");
}

TEST(VariableDumpTest, TextsAreQuotedInUtf8) {
    VariableSnapshot s = shaped(1001, 3, {3});
    s.strings = {"a", "say \"hi\"\\", "line\nnext\x01"};
    EXPECT_EQ(formatVariable(s), "1001 str[3] = \"a\", \"say \\\"hi\\\"\\\\\", \"line\\nnext\\x01\"");

    VariableSnapshot j = shaped(1005, 3, {});
    j.strings = {test::sjis(u8"デモ")};  // Shift_JIS in the engine
    EXPECT_EQ(formatVariable(j), std::string("1005 str = \"") + reinterpret_cast<const char*>(u8"デモ") + "\"");
}

}  // namespace
}  // namespace vr
