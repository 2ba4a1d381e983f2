#include "script/script_file.h"

#include <gtest/gtest.h>

#include "common/bytes.h"

namespace vr {
namespace {

const std::array<uint8_t, 4> kKey{0x11, 0x22, 0x33, 0x44};

ScriptArgument expr(uint8_t id, std::vector<uint8_t> code) {
    ScriptArgument a;
    a.id = id;
    a.code = std::move(code);
    return a;
}

std::vector<ScriptInstruction> sample() {
    ScriptArgument cond = expr(0, {'B', 1, 0, 7});
    ScriptArgument elseTarget, endTarget;
    elseTarget.id = 1;
    elseTarget.target = 2;
    endTarget.id = 2;
    endTarget.target = 3;
    return {
        {cmd::kBlockBegin, 10, {cond, elseTarget, endTarget}},
        {90, 11, {expr(0, {'a', 'b', 'c', 'd', 'e'})}},
        {31, 12, {}},
        {34, 13, {}},
    };
}

TEST(ScriptFile, SectionsAreScrambledEachFromTheFirstKeyByte) {
    // One instruction with one argument whose code is five bytes: the
    // expression area is five bytes long and uses key bytes 0 1 2 3 0.
    std::vector<ScriptInstruction> one{{90, 1, {expr(0, {1, 2, 3, 4, 5})}}};
    std::vector<uint8_t> file = writeScriptFile(one, kKey);
    ByteReader h(file);
    h.skip(8);
    EXPECT_EQ(h.i32(), 1);
    uint32_t s1 = h.u32(), s2 = h.u32(), s3 = h.u32(), s4 = h.u32();
    EXPECT_EQ(s1, 4u);
    EXPECT_EQ(s2, 12u);
    EXPECT_EQ(s3, 5u);
    EXPECT_EQ(s4, 4u);
    ASSERT_EQ(file.size(), 32 + 4 + 12 + 5 + 4u);
    // Instruction record: code 90, one argument.
    EXPECT_EQ(file[32], 90 ^ 0x11);
    EXPECT_EQ(file[33], 1 ^ 0x22);
    // The expression area starts again at key byte 0.
    const uint8_t* area = file.data() + 32 + 4 + 12;
    EXPECT_EQ(area[0], 1 ^ 0x11);
    EXPECT_EQ(area[3], 4 ^ 0x44);
    EXPECT_EQ(area[4], 5 ^ 0x11);
    // And so does the line table.
    EXPECT_EQ(area[5], 1 ^ 0x11);
}

TEST(ScriptFile, ReadsBackWhatWasWritten) {
    std::vector<uint8_t> file = writeScriptFile(sample(), kKey);
    ScriptFileView view;
    std::string problem;
    ASSERT_TRUE(readScriptFile(file.data(), file.size(), kKey, view, problem)) << problem;
    ASSERT_EQ(view.commands, (std::vector<uint8_t>{30, 90, 31, 34}));
    EXPECT_EQ(view.lines, (std::vector<uint32_t>{10, 11, 12, 13}));
    ASSERT_EQ(view.arguments[0].size(), 3u);
    EXPECT_EQ(view.arguments[0][1].length, 2u) << "the else target is an instruction number";
    EXPECT_EQ(view.arguments[0][2].length, 3u);
    const ScriptArgumentView& text = view.arguments[1][0];
    EXPECT_EQ(std::string(view.expressions.begin() + text.offset, view.expressions.begin() + text.offset + text.length),
              "abcde");
}

TEST(ScriptFile, DamagedFilesAreRefusedWithTheReason) {
    std::vector<uint8_t> good = writeScriptFile(sample(), kKey);
    ScriptFileView view;
    std::string problem;
    auto refuse = [&](std::vector<uint8_t> bytes, const char* why) {
        EXPECT_FALSE(readScriptFile(bytes.data(), bytes.size(), kKey, view, problem)) << why;
        return problem;
    };
    std::vector<uint8_t> cut(good.begin(), good.end() - 1);
    EXPECT_NE(refuse(cut, "cut").find("beyond the end"), std::string::npos);

    std::vector<uint8_t> code = good;
    code[32 + 4] = uint8_t(100 ^ kKey[0]);  // second instruction's command code
    EXPECT_NE(refuse(code, "command 100").find("command code 100"), std::string::npos);

    std::vector<uint8_t> args = good;
    args[32 + 3 * 4 + 1] = uint8_t(9 ^ kKey[1]);  // the last instruction claims 9 arguments
    EXPECT_NE(refuse(args, "arguments").find("argument section"), std::string::npos);

    std::vector<uint8_t> span = good;
    size_t textRecord = 32 + 16 + 3 * 12;  // the fourth argument record
    span[textRecord + 4] = uint8_t(200 ^ kKey[0]);
    EXPECT_NE(refuse(span, "span").find("expression area"), std::string::npos);

    std::vector<uint8_t> target = good;
    target[32 + 16 + 2 * 12 + 4] = uint8_t(50 ^ kKey[0]);  // end target 50 of a 4-instruction script
    EXPECT_NE(refuse(target, "target").find("target beyond"), std::string::npos);
}

}  // namespace
}  // namespace vr
