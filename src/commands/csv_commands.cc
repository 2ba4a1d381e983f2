#include "commands/csv_commands.h"

#include "common/command_ids.h"
#include "common/csv_scan.h"
#include "common/sjis.h"
#include "core/archive/loader.h"
#include "script/arguments.h"
#include "script/variables.h"

namespace vr {

namespace {

// The file's bytes through the resource loader; false after its report.
bool loadText(std::string_view name, FileRequest& request) {
    return loadFile(request, sjis::normaliseFileName(name), true, true) == 0;
}

std::string_view bytesOf(const FileRequest& request) {
    return {reinterpret_cast<const char*>(request.data.data()), std::min<size_t>(request.size, request.data.size())};
}

}  // namespace

int ReadCsvFile() {
    if (evaluateArguments(cmd::kReadCsvFile) < 0) return -1;
    namespace read = arg::read_csv_file;
    const ArgumentValue* target = argument(read::kResult);
    FileRequest request;
    if (!loadText(argumentText(read::kFile), request)) return -1;
    if (!target) return 0;
    if (variableType(target->variable) != kTypeString) {
        setString(target->variable, 0, {});  // reports the unsuitable variable
        return 0;
    }
    int64_t index = 0;
    // An element past the array's end is not stored, and not an error.
    csv::scan(bytesOf(request), [&](std::string_view field) { setString(target->variable, index++, field); });
    return 0;
}

int CountCsvFields() {
    if (evaluateArguments(cmd::kCountCsvFields) < 0) return -1;
    namespace count = arg::count_csv_fields;
    if (!hasArgument(count::kCount)) return 0;
    FileRequest request;
    if (!loadText(argumentText(count::kFile), request)) return -1;
    if (const ArgumentValue* target = argument(count::kResult))
        setNumber(target->variable, target->element, int64_t(csv::count(bytesOf(request))));
    return 0;
}

void installCsvCommands(CommandTable& table) {
    table.slots[cmd::kReadCsvFile] = &ReadCsvFile;
    table.slots[cmd::kCountCsvFields] = &CountCsvFields;
}

}  // namespace vr
