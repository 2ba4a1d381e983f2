// The file query (slot 16) and the registry read (slot 60): answers about
// names written into a script's variable.
#include <string>
#include <string_view>

#include "commands/file_commands.h"
#include "common/command_ids.h"
#include "common/sjis.h"
#include "common/text_buffer.h"
#include "core/archive/loader.h"
#include "core/core.h"
#include "core/error_report.h"
#include "platform/platform.h"
#include "script/arguments.h"
#include "script/variables.h"

namespace vr {

namespace {

namespace query = arg::file_query;
namespace registry = arg::registry_read;

enum class NameKind { Folder = 0, File = 1, Image = 2, Sound = 3 };

// Tried after the name itself, in this order; fixed, unlike the loader's
// configured order, so a query answers alike in every game.
constexpr const char* kImageEndings[] = {".bmp", ".png", ".jpg", ".gif", ".psd"};
constexpr const char* kSoundEndings[] = {".ogg", ".wav"};

bool existsWithEndings(const std::string& name, const char* const* endings, size_t count) {
    if (resourceExists(name) > 0) return true;
    for (size_t i = 0; i < count; ++i)
        if (resourceExists(name + endings[i]) > 0) return true;
    return false;
}

bool exists(NameKind kind, const std::string& name) {
    switch (kind) {
    case NameKind::Folder: return platform::folderExists(name);
    case NameKind::File: return resourceExists(name) > 0;
    case NameKind::Image: return existsWithEndings(name, kImageEndings, std::size(kImageEndings));
    case NameKind::Sound: return existsWithEndings(name, kSoundEndings, std::size(kSoundEndings));
    }
    return false;
}

std::string associatedProgram(NameKind kind, const std::string& name) {
    if (kind == NameKind::Folder) return std::string();
    std::string program = platform::utf8ToSjis(core().platform.associatedProgram(platform::hostPath(name)));
    while (!program.empty() && program.back() == ' ') program.pop_back();
    return program;
}

bool isNumeric(uint8_t type) { return type == kTypeInteger || type == kTypeFloat; }

// The registry's roots, the only beginnings a key path may have.
constexpr std::string_view kRoots[] = {"HKEY_CLASSES_ROOT\\", "HKEY_CURRENT_USER\\", "HKEY_LOCAL_MACHINE\\",
                                       "HKEY_USERS\\", "HKEY_PERFORMANCE_DATA\\", "HKEY_CURRENT_CONFIG\\",
                                       "HKEY_DYN_DATA\\"};

bool startsWithRoot(std::string_view key) {
    for (std::string_view root : kRoots)
        if (key.substr(0, root.size()) == root) return true;
    return false;
}

// A registry value is read into 1024 bytes, terminator included.
constexpr size_t kRegistryValueBytes = 1023;

}  // namespace

int FileQuery() {
    if (evaluateArguments(cmd::kFileQuery) < 0) return -1;
    const ArgumentValue* target = argument(query::kResult);
    int kindId = -1;
    for (int id : {query::kFolder, query::kFile, query::kImage, query::kSound})
        if (hasArgument(id)) kindId = id;
    if (!target || kindId < 0) return 0;
    const NameKind kind = NameKind(kindId);
    const std::string name = sjis::normaliseFileName(argumentText(kindId));
    const uint8_t type = variableType(target->variable);
    const bool asksNumber = hasArgument(query::kExists) || hasArgument(query::kSize);
    if ((asksNumber && !isNumeric(type)) || (!isNumeric(type) && type != kTypeString)) {
        reportScriptError(101140, true);
        return -1;
    }
    if (hasArgument(query::kExists)) setNumber(target->variable, target->element, exists(kind, name) ? 1 : 0);
    if (hasArgument(query::kSize)) {
        int64_t size = kind == NameKind::File ? platform::fileSizeOnDisk(name) : 0;
        setNumber(target->variable, target->element, size < 0 ? 0 : size);
    }
    if (hasArgument(query::kProgram)) {
        std::string program = associatedProgram(kind, name);
        // A number says whether there is a program at all.
        if (type == kTypeString)
            setString(target->variable, target->element, program);
        else
            setNumber(target->variable, target->element, program.empty() ? 0 : 1);
    }
    return 0;
}

int RegistryRead() {
    if (evaluateArguments(cmd::kRegistryRead) < 0) return -1;
    const std::string key = sjis::replaceChar(argumentText(registry::kKey), '/', '\\');
    if (!startsWithRoot(key)) return 0;
    const ArgumentValue* target = argument(registry::kResult);
    if (!target) return 0;
    const uint8_t type = variableType(target->variable);
    std::string value;
    if (core().platform.readRegistry(key, argumentText(registry::kValueName), value)) {
        if (type == kTypeString) setString(target->variable, target->element, cutText(value, kRegistryValueBytes));
        return 0;
    }
    if (type == kTypeString)
        setString(target->variable, target->element, "");
    else if (isNumeric(type))
        setNumber(target->variable, target->element, 0);
    return 0;
}

}  // namespace vr
