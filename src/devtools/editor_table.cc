#include "devtools/editor_table.h"

#include <array>
#include <iterator>

#include "common/command_line.h"
#include "common/sjis.h"

namespace vr {
namespace {

constexpr std::array kRows = {
    EditorRow{"apsaly.exe", " /j%d %s"},
    EditorRow{"EmEditor.exe", " %c%s%c /l %d"},
    EditorRow{"Ginnie.exe", " %c%s%c /r%d"},
    EditorRow{"GinnieFE.exe", " %c%s%c /r%d"},
    EditorRow{"Jcref.exe", " %c%s%c /r%d"},
    EditorRow{"JmEdit2.exe", " %c%s%c/%d"},
    EditorRow{"K2Editor.exe", " %s /j%d"},
    EditorRow{"MIW.exe", " %c%s+%d%c"},
    EditorRow{"oseditor2.exe", " /j%d %s"},
    EditorRow{"otbedit.exe", " %s /r%d"},
    EditorRow{"QXW32.exe", " -J%d %c%s%c"},
    EditorRow{"tepa.exe", " /j%d %c%s%c"},
    EditorRow{"TeraPad.exe", " /jl=%d %s"},
    EditorRow{"whinny.exe", " %c%s/%d%c"},
    EditorRow{"WZEDITOR.exe", " %s /j%d"},
    EditorRow{"sakura.exe", " %c%s%c -Y=%d"},
    EditorRow{"hidemaru.exe", " /j%d %c%s%c"},
    // The editors of Linux desktops, each with its own way to a line.
    EditorRow{"gedit", " +%d %c%s%c"},
    EditorRow{"kate", " --line %d %c%s%c"},
    EditorRow{"kwrite", " --line %d %c%s%c"},
    EditorRow{"mousepad", " --line=%d %c%s%c"},
    EditorRow{"geany", " --line=%d %c%s%c"},
    EditorRow{"emacs", " +%d %c%s%c"},
    EditorRow{"emacsclient", " -n +%d %c%s%c"},
    EditorRow{"gvim", " +%d %c%s%c"},
    EditorRow{"vim", " +%d %c%s%c", true},
    EditorRow{"nvim", " +%d %c%s%c", true},
    EditorRow{"nano", " +%d %c%s%c", true},
    EditorRow{"code", " --goto %c%s:%d%c"},
    EditorRow{"codium", " --goto %c%s:%d%c"},
    EditorRow{"", " %s"},
};

}  // namespace

const EditorRow& editorRowFor(std::string_view program) {
    for (const EditorRow& row : kRows) {
        if (program == row.program) return row;
    }
    return kRows.back();
}

std::string formatEditorParameters(const EditorRow& row, std::string_view path, int line) {
    std::string out;
    for (const char* p = row.format; *p; ++p) {
        if (*p != '%' || !p[1]) {
            out += *p;
            continue;
        }
        switch (*++p) {
        case 'd': out += std::to_string(line); break;
        case 's': out += path; break;
        case 'c': out += '"'; break;
        default: out += *p; break;
        }
    }
    return out;
}

std::string programFileName(std::string_view path) {
    size_t start = 0;
    for (size_t i = 0; i < path.size(); i += sjis::charLength(path, i)) {
        if (path[i] == '/' || path[i] == '\\') start = i + 1;
    }
    return std::string(path.substr(start));
}

std::vector<std::string> editorCommand(std::string_view setting, std::string_view path, int line) {
    std::vector<std::string> words = splitCommandLine(setting);
    bool namesFile = false;
    for (std::string& w : words) {
        for (size_t at; (at = w.find("{line}")) != std::string::npos;) w.replace(at, 6, std::to_string(line));
        // The path last: a path may itself hold "{line}".
        for (size_t at = 0; (at = w.find("{file}", at)) != std::string::npos; at += path.size()) {
            w.replace(at, 6, path);
            namesFile = true;
        }
    }
    if (!words.empty() && !namesFile) words.emplace_back(path);
    return words;
}

}  // namespace vr
