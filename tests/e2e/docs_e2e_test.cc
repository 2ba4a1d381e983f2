// The complete scripts of docs/ run as they are written.  A block fenced as
// ```vrs is a whole main.vrs: it is compiled and run headless with the demo
// game's pictures beside it (so "bg/title" and "sys/window" exist), and must
// run without an error report.  An ```input block after it is played as its
// input script, and a ```vars block after it lists lines its --dump-vars
// file must hold.  Fragments stay in plain fences.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/game_run.h"
#include "support/temp_dir.h"

namespace vr {
namespace {

namespace fs = std::filesystem;

// Two seconds of the virtual clock: every example has settled by then.
constexpr int kFrames = 120;

struct Example {
    std::string where;  // file:line of its opening fence
    std::string source;
    std::string input;
    std::vector<std::string> vars;
};

std::vector<Example> examplesIn(const fs::path& file) {
    std::vector<Example> found;
    std::ifstream in(file);
    std::string line, kind;
    bool inside = false;
    for (int n = 1; std::getline(in, line); ++n) {
        if (line.rfind("```", 0) == 0) {
            inside = !inside;
            kind = inside ? line.substr(3, line.find_last_not_of(' ') - 2) : "";
            if (kind == "vrs") found.push_back({file.filename().string() + ":" + std::to_string(n), "", "", {}});
            continue;
        }
        if (!inside || found.empty()) continue;
        if (kind == "vrs") found.back().source += line + "\n";
        if (kind == "input") found.back().input += line + "\n";
        if (kind == "vars" && !line.empty()) found.back().vars.push_back(line);
    }
    return found;
}

TEST(DocsE2E, EveryCompleteExampleRunsWithoutAReport) {
    const fs::path top = fs::path(VIRELO_TEST_DATA).parent_path();
    const std::string pictures = (top / "games/demo/assets").string();
    int examples = 0;
    for (const fs::directory_entry& doc : fs::directory_iterator(top / "docs")) {
        if (doc.path().extension() != ".md") continue;
        for (const Example& e : examplesIn(doc.path())) {
            SCOPED_TRACE(e.where);
            ++examples;
            test::TempDir inputs;
            std::vector<std::string> arguments;
            if (!e.input.empty()) {
                inputs.write("input.txt", e.input);
                arguments = {"--input", inputs.str() + "input.txt"};
            }
            test::GameRun r = test::runGame(e.source, kFrames, arguments, pictures);
            EXPECT_EQ(r.compileExit, 0) << r.compileOutput;
            if (r.compileExit != 0) continue;
            EXPECT_EQ(r.exitCode, 0) << r.output;
            EXPECT_FALSE(r.anyError()) << r.output;
            for (const std::string& want : e.vars) {
                size_t space = want.find(' ');
                auto it = r.variables.find(uint32_t(std::stoul(want.substr(0, space))));
                std::string dumped = it == r.variables.end() ? "(no such variable)" : want.substr(0, space + 1) + it->second;
                EXPECT_EQ(dumped, want);
            }
        }
    }
    EXPECT_GE(examples, 4) << "the complete examples of docs/ are fenced as ```vrs";
}

}  // namespace
}  // namespace vr
