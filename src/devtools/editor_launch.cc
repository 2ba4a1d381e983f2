#include "devtools/editor_launch.h"

#include "common/command_line.h"
#include "common/sjis.h"
#include "core/core.h"
#include "devtools/editor_table.h"

namespace vr {
namespace {

// The failing script's host path: the game folder and the script's name as
// the script list gives it ('\\' or '/' between its folders).
std::string sourcePath() {
    const ErrorState& errors = core().errors;
    std::string name = sjis::replaceChar(errors.lastErrorFile, '\\', '/');
    return core().run.exeFolder + platform::sjisToUtf8(name);
}

void start(const std::vector<std::string>& command) {
    if (command.empty()) return;
    std::vector<std::string> args(command.begin() + 1, command.end());
    if (!platform::spawnProcess(command.front(), args, core().run.exeFolder))
        platform::writeStandardError("virelo: the editor " + command.front() + " could not be started\n");
}

}  // namespace

void openSourceInEditor() {
    const ErrorState& errors = core().errors;
    if (!errors.hasLocation) return;
    const std::string path = sourcePath();
    const int line = errors.lastErrorLine;

    // The author's own choice comes before the desktop's.
    const std::string setting = platform::environmentValue("VIRELO_EDITOR");
    if (!setting.empty()) {
        start(editorCommand(setting, path, line));
        return;
    }
    const std::string program = core().platform.associatedProgram(path);
    if (program.empty()) {
        platform::writeStandardError("virelo: no editor is associated with " + path +
                                     "; VIRELO_EDITOR names one (for example \"gedit +{line} {file}\")\n");
        return;
    }
    // The table knows programs by their names in the engine's encoding,
    // where a double-byte character is skipped whole.
    const EditorRow& row = editorRowFor(programFileName(platform::utf8ToSjis(program)));
    // A program the table does not know is started as the desktop starts
    // it: a sandboxed editor's entry runs a launcher with arguments of its
    // own, which the program's path alone would lose.
    if (row.program[0] == '\0') {
        std::vector<std::string> desktop = core().platform.associatedCommand(path);
        if (!desktop.empty()) {
            start(desktop);
            return;
        }
    }
    std::vector<std::string> command = splitCommandLine(formatEditorParameters(row, path, line));
    command.insert(command.begin(), program);
    // A terminal editor gets a terminal of its own: the game's may be none.
    if (row.inTerminal) command.insert(command.begin(), {"x-terminal-emulator", "-e"});
    start(command);
}

}  // namespace vr
