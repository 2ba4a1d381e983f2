// The registry store: the text files that stand in for the registry reads
// of games written for Windows (docs/registry.md).
#include <string>
#include <string_view>
#include <vector>

#include "common/sjis.h"
#include "common/text_lines.h"
#include "platform/platform.h"

namespace vr::platform {

namespace {

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

// Keys and value names match as Windows matches them: without regard to
// ASCII case, "/" counting as "\", and no separator at the end.
std::string keyForm(std::string_view sjisText) {
    std::string k = sjis::normaliseFileName(sjisText);
    while (!k.empty() && k.back() == '\\') k.pop_back();
    return k;
}

}  // namespace

std::string userRegistryStore() {
    std::string config = environmentValue("XDG_CONFIG_HOME");
    if (config.empty() || config[0] != '/') {
        std::string home = environmentValue("HOME");
        if (home.empty()) return std::string();
        config = home + "/.config";
    }
    return config + "/virelo/registry.txt";
}

bool readRegistryStore(const std::string& storePath, std::string_view key, std::string_view valueName,
                       std::string& value) {
    if (storePath.empty()) return false;
    std::vector<uint8_t> bytes;
    if (!readHostFile(storePath, bytes)) return false;
    const std::string wantKey = keyForm(key);
    const std::string wantName = sjis::lowerAscii(valueName);
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);  // a BOM from a Windows editor
    bool inKey = false;
    bool found = false;
    forEachLine(text, [&](std::string_view raw) {
        std::string_view line = trimmed(raw);
        if (line.empty() || line.front() == '#' || line.front() == ';') return true;
        if (line.front() == '[') {
            inKey = line.back() == ']' && keyForm(utf8ToSjis(trimmed(line.substr(1, line.size() - 2)))) == wantKey;
            return true;
        }
        size_t equals = line.find('=');
        if (!inKey || equals == std::string_view::npos) return true;
        std::string_view name = trimmed(line.substr(0, equals));
        if (name == "@") name = std::string_view();  // the key's default value
        if (sjis::lowerAscii(utf8ToSjis(name)) != wantName) return true;
        value = utf8ToSjis(trimmed(line.substr(equals + 1)));
        found = true;
        return false;
    });
    return found;
}

}  // namespace vr::platform
