// The CSV scan that reading and counting share: the elements a script's
// array receives, line by line.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/csv_scan.h"
#include "common/sjis.h"
#include "support/lines.h"
#include "support/sjis_text.h"

namespace vr {
namespace {

std::vector<std::string> elements(std::string_view bytes) {
    std::vector<std::string> out;
    csv::scan(bytes, [&](std::string_view e) { out.emplace_back(e); });
    return out;
}

using V = std::vector<std::string>;

TEST(CsvScan, LinesFieldsAndQuotes) {
    // A quoted pair keeps its quotes and its comma; the last field of a line
    // counts only after a separating comma; each line with text ends in "\r".
    EXPECT_EQ(elements("one,\"two,three\",four\r\n"), (V{"one", "\"two,three\"", "four", "\r"}));
    EXPECT_EQ(elements("alpha\r\nbeta\r\n"), (V{"\r", "\r"}));
    EXPECT_EQ(elements("alpha,\nbeta,\r"), (V{"alpha", "", "\r", "beta", "", "\r"}));
    // Leading blanks of a field go, inner and trailing ones stay; text after
    // the last line end is not stored.
    EXPECT_EQ(elements(" \ta b ,  c\r\nd,e"), (V{"a b ", "c", "\r", "d"}));
    // Commas in a row give empty fields, at the start of the file and of a
    // line too; a line of nothing but commas has no text, so no "\r".
    EXPECT_EQ(elements(",x,,y\r\n,,\r\n"), (V{"", "x", "", "y", "\r", "", "", ""}));
    // A single quote holds commas across line ends (the field still starts
    // anew on each line); a double quote ends with its line.
    EXPECT_EQ(elements("'a,\r\nb',c\r\n\"d,\r\ne,f\r\n"), (V{"\r", "b'", "c", "\r", "\r", "e", "f", "\r"}));
    // A quote alone is no text: its line gives no "\r".
    EXPECT_EQ(elements("\"\r\n"), V{});
}

TEST(CsvScan, DoubleByteCharactersAndLongFieldsStayWhole) {
    // 0x95 0x5C and 0x83 0x5C: their trail byte is '\\', and they stay whole.
    EXPECT_EQ(elements(test::sjis(u8"表,ソ,\n")), (V{test::sjis(u8"表"), test::sjis(u8"ソ"), "", "\r"}));

    std::string kana;
    for (int i = 0; i < 2100; ++i) kana += test::sjis(u8"あ");
    std::string edge = std::string(4094, 'x') + test::sjis(u8"い");
    V got = elements(kana + "," + std::string(5000, 'y') + "," + edge + ",\r\n");
    ASSERT_EQ(got.size(), 5u);
    EXPECT_EQ(got[0].size(), 4094u) << "2047 characters: the 2048th would pass 4095 bytes";
    EXPECT_EQ(got[1], std::string(4095, 'y'));
    EXPECT_EQ(got[2], std::string(4094, 'x')) << "the double-byte character at 4094 is left out whole";
    EXPECT_EQ(got[3], "");
}

// Every CSV file of the tests' data: no element longer than the field
// limit or ending in half a character, and the count is the elements' number.
TEST(CsvScan, EveryDataFileKeepsTheLimits) {
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(std::string(VIRELO_TEST_DATA) + "/data/csv")) {
        std::string bytes = test::readFile(entry.path().string());
        V got = elements(bytes);
        EXPECT_EQ(csv::count(bytes), got.size()) << entry.path();
        for (const std::string& e : got) {
            EXPECT_LE(e.size(), csv::kFieldLimit) << entry.path();
            size_t i = 0;
            while (i < e.size()) i += sjis::charLength(e, i);
            EXPECT_EQ(i, e.size()) << entry.path();
        }
        ++files;
    }
    EXPECT_GE(files, 5);
}

}  // namespace
}  // namespace vr
