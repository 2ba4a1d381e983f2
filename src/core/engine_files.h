// The compiled engine files of vrbin\: readers that build the engine's
// tables, and writers that produce the same files from the same definitions
// (for the tools and the tests).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/command_ids.h"

namespace vr {

struct CommandDefinition {
    std::string name;
    std::vector<std::string> argumentNames;  // index = argument id
    std::vector<uint8_t> argumentKinds;      // 0 numeric, 1 string, 2 raw expression text
    std::vector<uint8_t> rangeKinds;         // 0 none, 1..26 range rules
    bool operator==(const CommandDefinition&) const = default;
};

struct Label {
    std::string name;
    uint32_t hash = 0;
    uint32_t instruction = 0;
    uint16_t script = 0;
    uint8_t blockDepth = 0;
    uint8_t loopDepth = 0;
    bool operator==(const Label&) const = default;
};

// Extension codes of the probe orders.
enum ImageExtension : uint8_t { kExtPng = 1, kExtBmp = 2, kExtJpg = 3, kExtGif = 4 };
enum SoundExtension : uint8_t { kExtOgg = 1, kExtWav = 2 };

struct EngineConfig {
    int32_t width = 0, height = 0;  // after the rules: never 0
    bool showAtStart = false;
    std::array<uint8_t, 8> imageOrder{};
    std::array<uint8_t, 4> soundOrder{};
    bool frameThreadMode = false;
    uint8_t debugMode = 0;
    bool soundEnabled = false;
    bool resizable = false;
    bool framed = false;
    std::string title;  // Shift_JIS, at most 128 bytes, never empty
    bool operator==(const EngineConfig&) const = default;
};

// A zero-filled variable descriptor per variable number; the variables
// themselves are built on it by the script subsystem.
struct VariableSlot {
    uint8_t type = 0;
};

// One record of vrv.vbn: a variable to create with its initial value.
struct VariableRecord {
    static constexpr uint8_t kGlobal = 1, kScriptLocal = 2;
    static constexpr uint8_t kInteger = 1, kFloat = 2, kString = 3;
    static constexpr int kMaxDimensions = 8;

    uint8_t scope = kGlobal;
    uint16_t script = 0;  // meaningful for kScriptLocal
    uint16_t number = 0;
    uint8_t type = kInteger;
    int8_t dimensionCount = 0;  // 0 = a single value
    std::array<uint32_t, kMaxDimensions> dimensions{};
    int64_t intValue = 0;            // kInteger
    double floatValue = 0;           // kFloat
    std::vector<uint8_t> expression;  // kString: compiled code giving the initial text
    bool operator==(const VariableRecord&) const = default;
};

// Creates one variable from its record; 0, or -1 after a report.  Installed
// by the variables subsystem.
using VariableCreator = int (*)(const VariableRecord& record);

constexpr int kErrorMessageCapacity = 256;
constexpr int kErrnoTextCount = 37;
constexpr int kCommandSlots = cmd::kSlotCount;  // the command table's size
constexpr size_t kCommandByteTableSize = 256;
// Variable numbers in vrv.vbn are 16-bit, so no larger table can be used.
constexpr int32_t kHighestVariableLimit = 65535;
constexpr size_t kTitleLimit = 128;

struct EngineFiles {
    // vrc.vbn
    std::vector<CommandDefinition> commands;
    std::vector<std::string> errnoTexts;  // 37 texts for errno 0..36
    std::array<uint8_t, 256> commandByteTable{};
    // vrt.vbn
    int32_t highestVariable = -1;
    uint32_t publishedValue = 0;
    std::vector<VariableSlot> variables;  // highestVariable + 1 entries
    // vrt_list.vbn
    std::vector<std::string> scriptNames;  // source file name by script number
    // vrv.vbn, kept whole for the run (its record walk checked on loading)
    std::vector<uint8_t> variableDefinitions;
    VariableCreator createVariable = nullptr;  // null: applying only sets the slot's type
    // vrl.vbn
    std::vector<Label> labels;
    std::array<uint32_t, 256> labelFirstIndex{};
    // vrcfg.vbn
    EngineConfig config;
    bool configLoaded = false;
};

// Readers: each reads its vrbin\ file through the resource loader with
// error reporting on, builds its tables and returns 0, or -1 after a report.
int loadErrorMessages();
int loadCommandDefinitions();  // also fills the command table
int loadVariableTableSize();
int loadScriptList();
int loadVariableDefinitions();
int loadLabels();
int loadEngineConfig();

// The same, from bytes already in memory (`name` is used in reports).
int parseErrorMessages(const uint8_t* data, size_t size, std::string_view name);
int parseCommandDefinitions(const uint8_t* data, size_t size, std::string_view name);
int parseVariableTableSize(const uint8_t* data, size_t size, std::string_view name);
int parseScriptList(const uint8_t* data, size_t size, std::string_view name);
int parseVariableDefinitions(const uint8_t* data, size_t size, std::string_view name);
int parseLabels(const uint8_t* data, size_t size, std::string_view name);
int parseEngineConfig(const uint8_t* data, size_t size, std::string_view name);

// Applies the global records (scriptNumber -1) or one script's local records
// of vrv.vbn.  0, or -1 after a report.
int applyVariableDefinitions(int scriptNumber);

// Finds a label: the index in the label table, or -1.
int findLabelIndex(std::string_view name);

// Lookups for the argument evaluator and error messages.
const CommandDefinition* commandDefinition(int code);
// A command's and an argument's names for reports; empty when unknown.
// Every report that names a command or an argument takes them from here.
const char* commandName(int code);
const char* argumentName(int code, int id);
const char* commandName(const CommandDefinition* command);
const char* argumentName(const CommandDefinition* command, int id);
// Null when the number has no entry in the script list.
const char* scriptSourceName(int scriptNumber);

}  // namespace vr
