#include "commands/file_commands.h"

#include <string>

#include "commands/image_export.h"
#include "common/command_ids.h"
#include "common/sjis.h"
#include "core/archive/loader.h"
#include "core/core.h"
#include "platform/platform.h"
#include "script/arguments.h"

namespace vr {

namespace {

namespace op = arg::file_operation;

constexpr int64_t kDefaultPngLevel = 5, kDefaultJpegQuality = 90;

bool given(int id) { return hasArgument(id); }
std::string nameArgument(int id) { return sjis::normaliseFileName(argumentText(id)); }

// Arguments 14 and 15 name a cache from 1.
int loadIntoCaches(const std::string& file) {
    for (int id : {op::kCache, op::kCacheMarked}) {
        if (!given(id)) continue;
        int64_t cache = argumentInteger(id);
        if (cache < 1 || cache > kMemoryGroups) continue;
        if (cacheFile(int(cache - 1), file, id == op::kCacheMarked) < 0) return -1;
    }
    return 0;
}

int exportImage(const std::string& file) {
    ExportFormat format = ExportFormat::Png;
    if (argumentInteger(op::kJpeg) == 1)
        format = ExportFormat::Jpeg;
    else if (argumentInteger(op::kPng) == 1)
        format = ExportFormat::Png;
    else if (argumentInteger(op::kBmp) == 1)
        format = ExportFormat::Bmp;
    int64_t fallback = format == ExportFormat::Jpeg ? kDefaultJpegQuality : kDefaultPngLevel;
    return exportObjectImage(argumentText(op::kObject), file, format, argumentInteger(op::kQuality, fallback));
}

// Every folder before a "\" is made; the last one only when the path ends
// with "\".  A trail byte of a double-byte character is never a separator.
void createFolders(const std::string& folder) {
    for (size_t i = 0; i < folder.size(); i += sjis::charLength(folder, i)) {
        if (folder[i] == '\\' && i > 0) platform::makeFolder(std::string_view(folder).substr(0, i));
    }
}

// Only save files go: ".sd" is added unless the name already ends so.
void deleteFiles(const std::string& file, const std::string& folder) {
    if (!file.empty()) platform::removeFile(sjis::endsWithNoCase(file, ".sd") ? file : file + ".sd");
    if (given(op::kFolder) && !folder.empty()) platform::removeFolder(folder);
}

}  // namespace

int FileOperation() {
    if (evaluateArguments(cmd::kFileOperation) < 0) return -1;
    const std::string file = nameArgument(op::kFile);
    const std::string folder = nameArgument(op::kFolder);
    if (loadIntoCaches(file) < 0) return -1;
    if (given(op::kObject) && exportImage(file) < 0) return -1;
    if (given(op::kCreateFolder)) createFolders(folder);
    if (given(op::kCopy)) platform::copyFile(file, nameArgument(op::kDestination));
    if (given(op::kDelete)) deleteFiles(file, folder);
    std::string parameters(argumentText(op::kParameters));
    if (given(op::kOpen))
        core().platform.shellOpen(file, parameters);
    else if (given(op::kOpenAndWait))
        core().platform.shellOpenAndWait(file, parameters);
    return 0;
}

void installFileCommands(CommandTable& table) {
    table.slots[cmd::kFileOperation] = &FileOperation;
    table.slots[cmd::kFileQuery] = &FileQuery;
    table.slots[cmd::kRegistryRead] = &RegistryRead;
}

}  // namespace vr
