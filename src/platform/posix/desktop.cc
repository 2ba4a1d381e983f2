// The desktop's default application for a file, as xdg-mime knows it.
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "common/text_lines.h"
#include "platform/platform.h"

namespace vr::platform {
namespace {

// xdg-mime is a shell script that may ask a desktop's own tools; it gets
// this long for each of its two answers.
constexpr uint32_t kQueryMilliseconds = 5000;

std::string firstLine(const std::string& text) {
    size_t end = text.find_first_of("\r\n");
    std::string line = text.substr(0, end);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.pop_back();
    return line;
}

// The words of a desktop entry's Exec line; quoted words keep their blanks.
std::vector<std::string> execWords(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    bool quoted = false, any = false;
    for (size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (quoted && c == '\\' && i + 1 < line.size()) {
            word += line[++i];
        } else if (c == '"') {
            quoted = !quoted;
            any = true;
        } else if (!quoted && (c == ' ' || c == '\t')) {
            if (any || !word.empty()) words.push_back(word);
            word.clear();
            any = false;
        } else {
            word += c;
        }
    }
    if (any || !word.empty()) words.push_back(word);
    return words;
}

std::vector<std::string> applicationFolders() {
    std::vector<std::string> folders;
    std::string home = environmentValue("XDG_DATA_HOME");
    if (home.empty()) home = environmentValue("HOME") + "/.local/share";
    folders.push_back(home + "/applications/");
    std::string dirs = environmentValue("XDG_DATA_DIRS");
    if (dirs.empty()) dirs = "/usr/local/share:/usr/share";
    size_t pos = 0;
    while (pos <= dirs.size()) {
        size_t end = dirs.find(':', pos);
        if (end == std::string::npos) end = dirs.size();
        if (end > pos) folders.push_back(dirs.substr(pos, end - pos) + "/applications/");
        pos = end + 1;
    }
    return folders;
}

std::string execLineOf(const std::string& desktopId) {
    for (const std::string& folder : applicationFolders()) {
        std::vector<uint8_t> bytes;
        if (!readHostFile(folder + desktopId, bytes)) continue;
        std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        bool inEntry = false;
        std::string exec;
        forEachLine(text, [&](std::string_view line) {
            if (!line.empty() && line[0] == '[') inEntry = line.starts_with("[Desktop Entry]");
            else if (inEntry && line.starts_with("Exec=")) exec = std::string(line.substr(5));
            return exec.empty();
        });
        if (!exec.empty()) return exec;
    }
    return std::string();
}

std::string onPath(const std::string& program) {
    if (program.find('/') != std::string::npos) return access(program.c_str(), X_OK) == 0 ? program : std::string();
    std::string path = environmentValue("PATH");
    size_t pos = 0;
    while (pos <= path.size()) {
        size_t end = path.find(':', pos);
        if (end == std::string::npos) end = path.size();
        std::string candidate = (end > pos ? path.substr(pos, end - pos) : std::string(".")) + "/" + program;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
        pos = end + 1;
    }
    return std::string();
}

// The Exec line of the desktop's default application for a file, in words;
// empty for a folder, a missing file or a type without one.
std::vector<std::string> defaultExecWords(const std::string& hostFile) {
    struct stat st{};
    if (hostFile.empty() || stat(hostFile.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return {};
    std::string out;
    if (!runProcessOutput("xdg-mime", {"query", "filetype", hostFile}, out, kQueryMilliseconds)) return {};
    std::string type = firstLine(out);
    if (type.empty()) return {};
    if (!runProcessOutput("xdg-mime", {"query", "default", type}, out, kQueryMilliseconds)) return {};
    std::string ids = firstLine(out);
    std::string id = ids.substr(0, ids.find(';'));
    if (id.empty()) return {};
    return execWords(execLineOf(id));
}

}  // namespace

std::string desktopDefaultProgram(const std::string& hostFile) {
    // "env NAME=value program ...": the program is the first plain word.
    for (const std::string& w : defaultExecWords(hostFile)) {
        if (w == "env" || w.find('=') != std::string::npos) continue;
        return onPath(w);
    }
    return std::string();
}

std::vector<std::string> desktopOpenCommand(const std::string& hostFile) {
    std::vector<std::string> command;
    bool fileGiven = false;
    for (const std::string& w : defaultExecWords(hostFile)) {
        // A field code standing alone: %f %F %u %U take the file; the
        // others (icon, name, entry) are dropped.
        if (w.size() == 2 && w[0] == '%' && w[1] != '%') {
            if (std::string_view("fFuU").find(w[1]) != std::string_view::npos && !fileGiven) {
                command.push_back(hostFile);
                fileGiven = true;
            }
            continue;
        }
        std::string word;
        for (size_t i = 0; i < w.size(); ++i) {
            if (w[i] != '%' || i + 1 == w.size()) {
                word += w[i];
            } else if (w[++i] == '%') {
                word += '%';
            }
        }
        command.push_back(word);
    }
    if (command.empty()) return {};
    command[0] = onPath(command[0]);
    if (command[0].empty()) return {};
    if (!fileGiven) command.push_back(hostFile);
    return command;
}

}  // namespace vr::platform
