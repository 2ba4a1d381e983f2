// The text editors the edit button knows, and how each is told the line to
// open a file at.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vr {

// Parameter formats are printf-like: %d is the line, %s the file's path,
// %c a double quote, in the order they stand.
struct EditorRow {
    const char* program;  // the file name of the program, compared exactly
    const char* format;
    bool inTerminal = false;  // a program that runs in a terminal window
};

// The row of a program's file name: the first exact match, or the last row
// (" %s") for every other program.
const EditorRow& editorRowFor(std::string_view programFileName);

// The parameter text of a row for a path and a line.
std::string formatEditorParameters(const EditorRow& row, std::string_view path, int line);

// The program's file name in a path: after the last '/' or '\\',
// double-byte characters skipped whole.
std::string programFileName(std::string_view path);

// VIRELO_EDITOR: a command whose words may hold {file} and {line}; the path
// is added at the end when no word names {file}.  Empty when the command is.
std::vector<std::string> editorCommand(std::string_view setting, std::string_view path, int line);

}  // namespace vr
