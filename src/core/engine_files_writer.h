// Writers of the vrbin\ engine files: the exact bytes the readers take, from
// plain descriptions of each file's content.  Used by the script compiler and
// by the tests.
//
// Fields that only the content decides (counts, lengths, hashes, the label
// index) are computed.  Values the readers judge (window size, version,
// dimension count...) are written as given, so that invalid files can be made
// on purpose.  Content that the layout cannot hold at all (a text with a NUL
// byte where a terminator ends it, a name or text longer than its length
// field) gives an empty vector.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "common/format_secrets.h"
#include "core/engine_files.h"
#include "core/error_report.h"

namespace vr {

struct ScriptListEntry {
    uint32_t number = 0;
    std::string name;  // the script's source file name
};

struct LabelEntry {
    std::string name;  // at most 255 bytes
    uint32_t instruction = 0;
    uint16_t script = 0;
    uint8_t blockDepth = 0;
    uint8_t loopDepth = 0;
};

// vrcfg.vbn field by field, as stored.
struct EngineConfigFile {
    int32_t width = 640, height = 480;
    uint32_t showAtStart = 1;
    std::array<uint8_t, 8> imageOrder{kExtPng, kExtBmp, kExtJpg, kExtGif};
    std::array<uint8_t, 4> soundOrder{kExtOgg, kExtWav};
    uint32_t frameThreadMode = 0;
    uint32_t debugMode = 0;
    uint32_t soundEnabled = 1;
    uint32_t resizable = 0;
    uint32_t framed = 1;
    std::string title = "virelo";  // at most 65535 bytes
};

std::vector<uint8_t> writeErrorMessages(const std::vector<ErrorMessage>& messages);
// Missing errno texts are written empty; more than 37 give an empty vector.
// An argument without a kind or range kind gets 0.
std::vector<uint8_t> writeCommandDefinitions(const std::vector<CommandDefinition>& commands,
                                             const std::vector<std::string>& errnoTexts,
                                             const std::array<uint8_t, kCommandByteTableSize>& byteTable);
std::vector<uint8_t> writeVariableTableSize(int32_t highestVariable, uint32_t publishedValue,
                                            uint32_t version = secrets::kEngineVersion);
std::vector<uint8_t> writeScriptList(const std::vector<ScriptListEntry>& scripts);
// Writes the dimension sizes of the first max(0, min(dimensionCount, 8))
// dimensions, and a value only for the types 1 to 3.
std::vector<uint8_t> writeVariableDefinitions(const std::vector<VariableRecord>& records);
// Hashes the names, orders the labels by hash (keeping the given order among
// equal hashes) and builds the first-index table.
std::vector<uint8_t> writeLabels(const std::vector<LabelEntry>& labels);
std::vector<uint8_t> writeEngineConfig(const EngineConfigFile& config);

}  // namespace vr
