// The parameter texts the edit button hands to each known editor.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "common/command_line.h"
#include "devtools/editor_table.h"

namespace vr {
namespace {

using Strings = std::vector<std::string>;

TEST(EditorTable, EveryRowPutsThePathAndTheLineWhereItsEditorReadsThem) {
    const std::vector<std::pair<const char*, const char*>> rows = {
        {"apsaly.exe", " /j12 /g/a.vrs"},           {"EmEditor.exe", " \"/g/a.vrs\" /l 12"},
        {"Ginnie.exe", " \"/g/a.vrs\" /r12"},       {"GinnieFE.exe", " \"/g/a.vrs\" /r12"},
        {"Jcref.exe", " \"/g/a.vrs\" /r12"},        {"JmEdit2.exe", " \"/g/a.vrs\"/12"},
        {"K2Editor.exe", " /g/a.vrs /j12"},         {"MIW.exe", " \"/g/a.vrs+12\""},
        {"oseditor2.exe", " /j12 /g/a.vrs"},        {"otbedit.exe", " /g/a.vrs /r12"},
        {"QXW32.exe", " -J12 \"/g/a.vrs\""},        {"tepa.exe", " /j12 \"/g/a.vrs\""},
        {"TeraPad.exe", " /jl=12 /g/a.vrs"},        {"whinny.exe", " \"/g/a.vrs/12\""},
        {"WZEDITOR.exe", " /g/a.vrs /j12"},         {"sakura.exe", " \"/g/a.vrs\" -Y=12"},
        {"hidemaru.exe", " /j12 \"/g/a.vrs\""},     {"gedit", " +12 \"/g/a.vrs\""},
        {"kate", " --line 12 \"/g/a.vrs\""},        {"mousepad", " --line=12 \"/g/a.vrs\""},
        {"geany", " --line=12 \"/g/a.vrs\""},       {"emacs", " +12 \"/g/a.vrs\""},
        {"emacsclient", " -n +12 \"/g/a.vrs\""},    {"vim", " +12 \"/g/a.vrs\""},
        {"code", " --goto \"/g/a.vrs:12\""},        {"Sakura.exe", " /g/a.vrs"},
        {"notepad.exe", " /g/a.vrs"},               {"", " /g/a.vrs"},
    };
    for (const auto& [program, expected] : rows)
        EXPECT_EQ(formatEditorParameters(editorRowFor(program), "/g/a.vrs", 12), expected) << program;
    EXPECT_TRUE(editorRowFor("vim").inTerminal);
    EXPECT_FALSE(editorRowFor("gedit").inTerminal);
}

TEST(EditorTable, ParameterTextsSplitIntoArgumentsAsTheirEditorWouldSplitThem) {
    // A quoted path keeps its blanks; quotes inside a word join its parts.
    EXPECT_EQ(splitCommandLine(formatEditorParameters(editorRowFor("gedit"), "/my games/a.vrs", 3)),
              (Strings{"+3", "/my games/a.vrs"}));
    EXPECT_EQ(splitCommandLine(formatEditorParameters(editorRowFor("MIW.exe"), "/my games/a.vrs", 3)),
              (Strings{"/my games/a.vrs+3"}));
    EXPECT_EQ(splitCommandLine("  a\t\"\"  b\"c d\"e "), (Strings{"a", "", "bc de"}));
}

TEST(EditorTable, TheProgramIsKnownByItsFileNameOnly) {
    EXPECT_EQ(programFileName("/usr/bin/gedit"), "gedit");
    EXPECT_EQ(programFileName("C:\\Tools\\sakura.exe"), "sakura.exe");
    // The trail byte of a double-byte character may be a backslash: it ends no folder.
    EXPECT_EQ(programFileName("/opt/\x95\x5C/ed\x95\x5Cit"), "ed\x95\x5Cit");
}

TEST(EditorTable, TheEditorSettingNamesTheFileAndLineWhereItWants) {
    EXPECT_EQ(editorCommand("code -g {file}:{line}", "/g/a b.vrs", 7), (Strings{"code", "-g", "/g/a b.vrs:7"}));
    EXPECT_EQ(editorCommand("\"/opt/my ed/ed\" --line {line}", "/g/a.vrs", 7),
              (Strings{"/opt/my ed/ed", "--line", "7", "/g/a.vrs"}))
        << "without {file} the path comes last";
    EXPECT_EQ(editorCommand("ed {file}", "/g/{line}.vrs", 7), (Strings{"ed", "/g/{line}.vrs"}));
    EXPECT_TRUE(editorCommand("  ", "/g/a.vrs", 7).empty());
}

}  // namespace
}  // namespace vr
