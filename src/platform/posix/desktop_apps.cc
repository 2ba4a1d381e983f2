// The program the desktop opens a file with, as xdg-mime and the desktop
// entries of the freedesktop.org menus tell it.
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace vr::platform {

namespace {

// xdg-mime is a shell script that may ask a desktop's own tools; it gets
// this long for each of its two answers.
constexpr uint32_t kQueryMilliseconds = 5000;

std::string firstLine(const std::string& text) {
    std::string line = text.substr(0, text.find('\n'));
    while (!line.empty() && (line.back() == ' ' || line.back() == '\r' || line.back() == '\t')) line.pop_back();
    return line;
}

std::vector<std::string> applicationFolders() {
    std::vector<std::string> folders;
    std::string dataHome = environmentValue("XDG_DATA_HOME");
    if (dataHome.empty() || dataHome[0] != '/') {
        std::string home = environmentValue("HOME");
        if (!home.empty()) dataHome = home + "/.local/share";
    }
    if (!dataHome.empty()) folders.push_back(dataHome + "/applications/");
    std::string dirs = environmentValue("XDG_DATA_DIRS");
    if (dirs.empty()) dirs = "/usr/local/share:/usr/share";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t colon = dirs.find(':', start);
        if (colon == std::string::npos) colon = dirs.size();
        if (colon > start && dirs[start] == '/') folders.push_back(dirs.substr(start, colon - start) + "/applications/");
        start = colon + 1;
    }
    return folders;
}

// The program of the Exec line of the entry's [Desktop Entry] group (the
// first word, quotes taken off); empty when there is none.
std::string execProgram(const std::string& desktopFile) {
    std::vector<uint8_t> bytes;
    if (!readHostFile(desktopFile, bytes)) return std::string();
    std::string text(bytes.begin(), bytes.end());
    bool inEntry = false;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line[0] == '[') {
            inEntry = line.rfind("[Desktop Entry]", 0) == 0;
            continue;
        }
        if (!inEntry || line.rfind("Exec=", 0) != 0) continue;
        std::string command = line.substr(5);
        size_t first = command.find_first_not_of(' ');
        if (first == std::string::npos) return std::string();
        if (command[first] == '"') {
            size_t close = command.find('"', first + 1);
            return close == std::string::npos ? std::string() : command.substr(first + 1, close - first - 1);
        }
        size_t last = command.find(' ', first);
        return command.substr(first, last == std::string::npos ? std::string::npos : last - first);
    }
    return std::string();
}

std::string onSearchPath(const std::string& program) {
    if (program.find('/') != std::string::npos) return program;
    std::string path = environmentValue("PATH");
    size_t start = 0;
    while (start <= path.size()) {
        size_t colon = path.find(':', start);
        if (colon == std::string::npos) colon = path.size();
        std::string candidate = path.substr(start, colon - start) + "/" + program;
        if (colon > start && access(candidate.c_str(), X_OK) == 0) return candidate;
        start = colon + 1;
    }
    return program;
}

}  // namespace

std::string defaultApplicationOf(std::string_view name) {
    std::string file = hostPath(name);
    struct stat st{};
    if (file.empty() || stat(file.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return std::string();
    std::string answer;
    if (!runProcessOutput("xdg-mime", {"query", "filetype", file}, answer, kQueryMilliseconds)) return std::string();
    std::string type = firstLine(answer);
    if (type.empty() || !runProcessOutput("xdg-mime", {"query", "default", type}, answer, kQueryMilliseconds))
        return std::string();
    std::string entry = firstLine(answer);
    if (entry.empty() || entry.find('/') != std::string::npos) return std::string();
    for (const std::string& folder : applicationFolders()) {
        std::string program = execProgram(folder + entry);
        if (!program.empty()) return utf8ToSjis(onSearchPath(program));
    }
    return std::string();
}

}  // namespace vr::platform
