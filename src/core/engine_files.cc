// Readers of vre.vbn, vrc.vbn, vrt.vbn and vrt_list.vbn, the load entry
// points of the whole vrbin\ family and the lookups over the tables.
//
// Every reader parses into locals and moves them into the engine only when
// the whole file has been read, so a refused file never damages the tables
// of an earlier load.

#include "core/engine_files.h"

#include <algorithm>

#include "common/format_secrets.h"
#include "core/archive/loader.h"
#include "core/core.h"
#include "core/engine_files_internal.h"
#include "core/error_report.h"

namespace vr {

namespace detail {

int refuseFile(std::string_view name) {
    std::string text(name);
    reportErrorArgs(900000, true, text.c_str());
    return -1;
}

}  // namespace detail

using detail::countFits;
using detail::kFileHeaderSize;
using detail::refuseFile;

namespace {

using Parser = int (*)(const uint8_t* data, size_t size, std::string_view name);

int loadAndParse(std::string_view name, Parser parse) {
    FileRequest request;
    if (loadFile(request, name, true, true) != 0) return -1;
    size_t size = std::min<size_t>(request.size, request.data.size());
    return parse(request.data.data(), size, name);
}

// The smallest records: a code and an empty text; an empty name and no
// arguments; an empty argument name with its two kind bytes.
constexpr size_t kMinMessageRecord = 5;
constexpr size_t kMinCommandRecord = 2;
constexpr size_t kMinArgumentRecord = 3;
constexpr size_t kScriptRecordFixed = 24;  // number, length and 16 unused bytes

constexpr uint8_t kLastArgumentKind = 2;
constexpr uint8_t kLastRangeKind = 26;

}  // namespace

int loadErrorMessages() { return loadAndParse("vrbin\\vre.vbn", &parseErrorMessages); }
int loadCommandDefinitions() { return loadAndParse("vrbin\\vrc.vbn", &parseCommandDefinitions); }
int loadVariableTableSize() { return loadAndParse("vrbin\\vrt.vbn", &parseVariableTableSize); }
int loadScriptList() { return loadAndParse("vrbin\\vrt_list.vbn", &parseScriptList); }
int loadVariableDefinitions() { return loadAndParse("vrbin\\vrv.vbn", &parseVariableDefinitions); }
int loadLabels() { return loadAndParse("vrbin\\vrl.vbn", &parseLabels); }
int loadEngineConfig() { return loadAndParse("vrbin\\vrcfg.vbn", &parseEngineConfig); }

int parseErrorMessages(const uint8_t* data, size_t size, std::string_view name) {
    ByteReader in(data, size);
    in.skip(kFileHeaderSize);
    int32_t count = in.i32();
    in.skip(4);
    if (!in.ok() || count > kErrorMessageCapacity || !countFits(in, count, kMinMessageRecord)) {
        return refuseFile(name);
    }
    std::vector<ErrorMessage> messages;
    messages.reserve(size_t(count));
    for (int32_t i = 0; i < count; ++i) {
        ErrorMessage m;
        m.code = in.u32();
        std::string_view text = in.cstring();
        if (!in.ok()) return refuseFile(name);
        m.text.assign(text);
        messages.push_back(std::move(m));
    }
    core().errors.messages = std::move(messages);
    return 0;
}

namespace {

bool readCommand(ByteReader& in, CommandDefinition& c) {
    c.name.assign(in.cstring());
    uint8_t count = in.u8();
    if (!in.ok() || !countFits(in, count, kMinArgumentRecord)) return false;
    c.argumentNames.reserve(count);
    c.argumentKinds.reserve(count);
    c.rangeKinds.reserve(count);
    for (int j = 0; j < count; ++j) {
        std::string_view argument = in.cstring();
        uint8_t kind = in.u8();
        uint8_t range = in.u8();
        // The argument evaluator dispatches on both kinds; a value it does
        // not know means the file does not match this engine.
        if (!in.ok() || kind > kLastArgumentKind || range > kLastRangeKind) return false;
        c.argumentNames.emplace_back(argument);
        c.argumentKinds.push_back(kind);
        c.rangeKinds.push_back(range);
    }
    return true;
}

}  // namespace

int parseCommandDefinitions(const uint8_t* data, size_t size, std::string_view name) {
    ByteReader in(data, size);
    in.skip(kFileHeaderSize);
    int32_t count = in.i32();
    in.skip(4);
    if (!in.ok() || count > kCommandSlots || !countFits(in, count, kMinCommandRecord)) return refuseFile(name);

    std::vector<CommandDefinition> commands(static_cast<size_t>(count));
    for (CommandDefinition& c : commands) {
        if (!readCommand(in, c)) return refuseFile(name);
    }
    std::vector<std::string> errnoTexts;
    errnoTexts.reserve(kErrnoTextCount);
    for (int i = 0; i < kErrnoTextCount; ++i) errnoTexts.emplace_back(in.cstring());
    std::array<uint8_t, kCommandByteTableSize> table{};
    in.bytes(table.data(), table.size());
    if (!in.ok()) return refuseFile(name);

    EngineFiles& files = core().files;
    files.commands = std::move(commands);
    files.errnoTexts = std::move(errnoTexts);
    files.commandByteTable = table;
    return 0;
}

int parseVariableTableSize(const uint8_t* data, size_t size, std::string_view name) {
    ByteReader in(data, size);
    in.skip(4);
    uint32_t version = in.u32();
    int32_t highest = in.i32();
    uint32_t published = in.u32();
    if (!in.ok()) return refuseFile(name);
    if (version != secrets::kEngineVersion) {
        reportError(105000, true);
        return -1;
    }
    if (highest < 0 || highest > kHighestVariableLimit) return refuseFile(name);

    EngineFiles& files = core().files;
    files.highestVariable = highest;
    files.publishedValue = published;
    files.variables.assign(size_t(highest) + 1, VariableSlot{});
    return 0;
}

int parseScriptList(const uint8_t* data, size_t size, std::string_view name) {
    ByteReader in(data, size);
    in.skip(kFileHeaderSize);
    int32_t count = in.i32();
    if (!in.ok() || !countFits(in, count, kScriptRecordFixed)) return refuseFile(name);

    std::vector<std::string> names(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        uint32_t number = in.u32();
        uint32_t length = in.u32();
        if (!in.ok()) return refuseFile(name);
        if (number >= uint32_t(count)) {
            reportError(901030, true);
            return -1;
        }
        std::string_view source = in.view(length);
        in.skip(16);
        if (!in.ok()) return refuseFile(name);
        names[number].assign(source);
    }
    core().files.scriptNames = std::move(names);
    return 0;
}

const CommandDefinition* commandDefinition(int code) {
    const auto& commands = core().files.commands;
    if (code < 0 || size_t(code) >= commands.size()) return nullptr;
    return &commands[size_t(code)];
}

const char* commandName(const CommandDefinition* def) { return def ? def->name.c_str() : ""; }

const char* argumentName(const CommandDefinition* def, int id) {
    return def && id >= 0 && size_t(id) < def->argumentNames.size() ? def->argumentNames[size_t(id)].c_str() : "";
}

const char* commandName(int code) { return commandName(commandDefinition(code)); }
const char* argumentName(int code, int id) { return argumentName(commandDefinition(code), id); }

const char* scriptSourceName(int scriptNumber) {
    const auto& names = core().files.scriptNames;
    if (scriptNumber < 0 || size_t(scriptNumber) >= names.size()) return nullptr;
    return names[size_t(scriptNumber)].c_str();
}

}  // namespace vr
