#include <gtest/gtest.h>

#include "common/crc32.h"
#include "core/engine_files.h"
#include "disassembler.h"
#include "expression.h"
#include "output.h"
#include "support/headless_engine.h"
#include "support/sjis_text.h"
#include "support/temp_dir.h"
#include "vrc_test_util.h"

namespace vrc {
namespace {

const vr::ScriptInstruction& at(const test::Compiled& c, size_t i) { return c.game.scripts[0].instructions.at(i); }

std::vector<uint8_t> commands(const test::Compiled& c) {
    std::vector<uint8_t> codes;
    for (const auto& in : c.game.scripts[0].instructions) codes.push_back(in.command);
    return codes;
}

TEST(VrcCompile, BlocksPointAtTheirBranchesAndEnd) {
    auto c = test::compile(
        "global int x\n"
        "if x == 1\n"     // 0 BlockBegin
        "  x = 2\n"       // 1
        "elif x == 2\n"   // 2 BlockSkip, 3 ElseIf
        "  x = 3\n"       // 4
        "else\n"          // 5 BlockSkip
        "  x = 4\n"       // 6
        "end\n"           // 7 BlockEnd
        "if x\n"          // 8 BlockBegin, no else
        "end\n");         // 9 BlockEnd
    ASSERT_TRUE(c->ok) << c->errors();
    EXPECT_EQ(commands(*c), (std::vector<uint8_t>{30, 39, 31, 11, 39, 31, 39, 34, 30, 34}));
    EXPECT_EQ(at(*c, 0).arguments[1].target, 3u) << "false: to the elif";
    EXPECT_EQ(at(*c, 0).arguments[2].target, 7u) << "the block end";
    EXPECT_EQ(at(*c, 3).arguments[1].target, 6u) << "false: into the else body";
    EXPECT_EQ(at(*c, 8).arguments[1].target, 0u) << "no else: the engine goes to the end";
    EXPECT_EQ(at(*c, 8).arguments[2].target, 9u);
    EXPECT_EQ(at(*c, 1).line, 3u);
}

TEST(VrcCompile, LoopsCallsAndLabelDepths) {
    auto c = test::compile(
        "*SYSTEM_START\n"          // label at 0, depths 0/0
        "loop 3\n"                 // 0 LoopBegin
        "  if 1\n"                 // 1 BlockBegin
        "*inner\n"                 // label at 2, depths 1/1
        "    break\n"              // 2 LoopBreak
        "  end\n"                  // 3 BlockEnd
        "end\n"                    // 4 LoopEnd
        "call *sub(7, 2.5, \"s\") -> r\n"  // 5 CallLabel, 6 Assign
        "*sub\n"                   // label at 7
        "return param.int[1] * 2\n"); // 7 Return
    ASSERT_FALSE(c->ok) << "r is not declared";
    c = test::compile(
        "global int r\n*SYSTEM_START\nloop 3\n  if 1\n*inner\n    break\n  end\nend\n"
        "call *sub(7, 2.5, \"s\") -> r\n*sub\nreturn param.int[1] * 2\n");
    ASSERT_TRUE(c->ok) << c->errors();
    EXPECT_EQ(commands(*c), (std::vector<uint8_t>{41, 30, 42, 34, 44, 29, 39, 61}));
    EXPECT_EQ(at(*c, 0).arguments[1].target, 4u) << "the loop end";
    const auto& labels = c->game.labels;
    ASSERT_EQ(labels.size(), 3u);
    EXPECT_EQ(labels[1].name, "inner");
    EXPECT_EQ(labels[1].instruction, 2u);
    EXPECT_EQ(labels[1].blockDepth, 1);
    EXPECT_EQ(labels[1].loopDepth, 1);
    EXPECT_EQ(labels[2].instruction, 7u);
    // Parameters: 7 as integer 1, 2.5 as float 2, "s" as string 3.
    const auto& call = at(*c, 5).arguments;
    ASSERT_EQ(call.size(), 4u);
    EXPECT_EQ(call[1].id, 1);
    EXPECT_EQ(call[2].id, 12);
    EXPECT_EQ(call[3].id, 23);
    EXPECT_EQ(call[3].evalType, 3);
    // The result: r = result.int[1]; and the return's result 1 has id 0.
    EXPECT_EQ(at(*c, 6).arguments[1].code, (std::vector<uint8_t>{'V', 3, 0, 'i', 38, 0, 'B', 1, 0, 1, ')', 0, 0}));
    EXPECT_EQ(at(*c, 7).arguments[0].id, 0);
}

std::string nested(const char* open, int depth) {
    std::string s;
    for (int i = 0; i < depth; ++i) s += std::string(open) + "\n";
    for (int i = 0; i < depth; ++i) s += "end\n";
    return s;
}

TEST(VrcCompile, NestingStopsAtSixtyThree) {
    EXPECT_TRUE(test::compile(nested("if 1", 63))->ok);
    EXPECT_TRUE(test::compile(nested("loop 1", 63))->ok);
    auto deep = test::compile(nested("if 1", 64));
    EXPECT_FALSE(deep->ok);
    EXPECT_NE(deep->errors().find("main.vrs:64:1: error: blocks nested deeper than 63"), std::string::npos)
        << deep->errors();
    EXPECT_FALSE(test::compile(nested("loop 1", 64))->ok);
    // Blocks and loops count separately.
    EXPECT_TRUE(test::compile(nested("if 1", 40) + nested("loop 1", 40))->ok);
}

TEST(VrcCompile, ThreadsStartAtTheirLabels) {
    auto c = test::compile("*SYSTEM_START\nthread *rain(3, 0.5) in \"fx/rain\"\nendthread \"fx/rain\"\n*rain\nendthread\n");
    ASSERT_TRUE(c->ok) << c->errors();
    EXPECT_EQ(commands(*c), (std::vector<uint8_t>{76, 77, 77}));
    std::vector<uint8_t> ids;
    for (const auto& a : at(*c, 0).arguments) ids.push_back(a.id);
    EXPECT_EQ(ids, (std::vector<uint8_t>{0, 34, 4, 15, 37})) << "path, label, int1, float2, rerun";
    EXPECT_TRUE(at(*c, 2).arguments.empty());
    EXPECT_FALSE(test::compile("thread *missing\n")->ok);
    auto named = test::compile("thread *t\n*t\n");
    ASSERT_TRUE(named->ok) << named->errors();
    EXPECT_EQ(named->game.scripts[0].instructions[0].arguments[0].code, encodeText("t")) << "named by its label";
}

TEST(VrcCompile, MessageTextAndParagraphs) {
    auto c = test::compile(vr::test::sjis(u8"global int n = 3\nこんにちは\n残り{n}回\n\n次のページ\n"));
    ASSERT_TRUE(c->ok) << c->errors();
    // text, text, value, text, end | text, end
    EXPECT_EQ(commands(*c), (std::vector<uint8_t>{90, 90, 85, 90, 63, 90, 63}));
    std::string first(at(*c, 0).arguments[0].code.begin(), at(*c, 0).arguments[0].code.end());
    EXPECT_EQ(first, vr::test::sjis(u8"こんにちは")) << "the text itself, not expression code";
    EXPECT_EQ(at(*c, 2).arguments[0].id, 1);
}

TEST(VrcCompile, LabelsAndNamesAreChecked) {
    auto c = test::compile({{"a.vrs", "*start\ngoto *nowhere\n"}, {"b.vrs", "*start\nNoSuchCommand x=1\n"}});
    EXPECT_FALSE(c->ok);
    std::string e = c->errors();
    EXPECT_NE(e.find("a.vrs:2:6: error: no label *nowhere"), std::string::npos) << e;
    EXPECT_NE(e.find("b.vrs:1:1: error: label *start is already defined at a.vrs:1"), std::string::npos) << e;

    auto args = test::compile("ObjectSet path=1\nObjectSet nosuch=1\nObjectSet path=\"a\" path=\"b\"\n");
    EXPECT_EQ(args->diagnostics.count(), 3u) << args->errors();

    // Mistyped statements are errors, not message text.
    auto typos = test::compile("ObjectSett path=\"a\"\nscroe += 1\nHello there, this is text.\n");
    e = typos->errors();
    EXPECT_NE(e.find("main.vrs:1:1: error: unknown command ObjectSett"), std::string::npos) << e;
    EXPECT_NE(e.find("main.vrs:2:1: error: unknown variable scroe"), std::string::npos) << e;
    EXPECT_EQ(typos->diagnostics.count(), 2u) << e;
}

TEST(VrcCompile, ALabelWithAZeroTopByteIsFoundByTheEngine) {
    std::string name;
    for (int i = 0; name.empty(); ++i)
        if ((vr::nameHash("L" + std::to_string(i)) >> 24) == 0) name = "L" + std::to_string(i);
    auto c = test::compile("*SYSTEM_START\n*" + name + "\n*other\n");
    ASSERT_TRUE(c->ok) << c->errors();
    FileSet files = compiledFiles(c->game, test::catalogue());
    vr::test::HeadlessEngine h;
    const auto& vrl = files.at("vrbin\\vrl.vbn");
    ASSERT_EQ(vr::parseLabels(vrl.data(), vrl.size(), "vrl.vbn"), 0);
    int found = vr::findLabelIndex(name);
    ASSERT_GE(found, 0);
    EXPECT_EQ(h.e.core.files.labels[size_t(found)].name, name);
    EXPECT_GE(vr::findLabelIndex("SYSTEM_START"), 0);
}

TEST(VrcCompile, DisassemblyShowsTheStructure) {
    auto c = test::compile(
        vr::test::sjis(u8"#config title=\"t\"\nglobal int score\n*SYSTEM_START\nscore += 10\nif score > 5\n"
                       "  ObjectSet path=\"W0/bg\" order=1\nend\nやあ\n"));
    ASSERT_TRUE(c->ok) << c->errors();
    vr::test::TempDir dir;
    std::string error;
    ASSERT_TRUE(writeFolder(compiledFiles(c->game, test::catalogue()), dir.str(), error)) << error;
    std::string text;  // UTF-8, for the terminal
    ASSERT_TRUE(disassemble(dir.str(), test::catalogue(), text, error)) << error;
    for (const char* expected :
         {"script 0 main.vrs", "*SYSTEM_START", "line 4     Assign target+=$1000 value=10",
          "BlockBegin condition=$1000 > 5 elseTarget=@0 endTarget=@3", "ObjectSet path=\"W0/bg\" order=1",
          reinterpret_cast<const char*>(u8"MessageText text=\"やあ\""), "BlockEnd"}) {
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
    }
}

}  // namespace
}  // namespace vrc
