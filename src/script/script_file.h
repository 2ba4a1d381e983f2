// The per-script compiled file vrbin\vrtNNNNN.vbn: instruction section,
// argument section, expression area and line table, each scrambled with the
// script key.  Written by the compiler, read by the script loader and the
// disassembler.
//
// Some argument records carry an instruction number in their length field
// instead of a length: the targets of block begin (second and third
// records), of else-if (second) and of loop begin (second).  isTargetRecord
// tells them apart, so that a reader checks them as instruction numbers and
// not as spans of the expression area.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/command_ids.h"

namespace vr {

inline constexpr size_t kScriptHeaderSize = 32;
inline constexpr size_t kInstructionRecordSize = 4;
inline constexpr size_t kArgumentRecordSize = 12;
inline constexpr uint32_t kResolvedLabelFlag = 0x10000000;

bool isTargetRecord(uint8_t commandCode, size_t recordIndex);

// One argument record as every reader sees it: the id, the evaluation type
// and relative operator, and the length and offset of its code in the
// expression area (a target record's length is the instruction number).
struct ScriptArgumentView {
    uint8_t id = 0, evalType = 0, relative = 0;
    uint32_t length = 0, offset = 0;
};

// The one decoder of argument records: `record` holds kArgumentRecordSize
// bytes.
ScriptArgumentView decodeArgumentRecord(const uint8_t* record);

struct ScriptArgument {
    uint8_t id = 0;
    uint8_t evalType = 1;     // 1..4
    uint8_t relative = 0;     // relative operator 0..8
    uint32_t target = 0;      // target records: the instruction number
    std::vector<uint8_t> code;  // other records: the expression code (or raw text)
};

struct ScriptInstruction {
    uint8_t command = 0;
    uint32_t line = 0;
    std::vector<ScriptArgument> arguments;
};

// Lays the instructions out and scrambles the sections.  Expression codes
// that are byte for byte the same are stored once.
std::vector<uint8_t> writeScriptFile(const std::vector<ScriptInstruction>& instructions,
                                     const std::array<uint8_t, 4>& key);

// XORs a section with the key, the key position starting at 0.
void scrambleSection(uint8_t* bytes, size_t size, const std::array<uint8_t, 4>& key);

// Where the sections of a script file lie.
struct ScriptLayout {
    int32_t count = 0;
    size_t sectionAt[4] = {};  // instructions, arguments, expression area, lines
    uint32_t sectionSize[4] = {};
};

// Unscrambles a script file in place and checks it: false, with the reason,
// when the file is damaged (see readScriptFile).  `labelCount` bounds jump
// records that already hold a label number.
bool unscrambleScript(uint8_t* bytes, size_t size, const std::array<uint8_t, 4>& key, uint32_t labelCount,
                      ScriptLayout& layout, std::string& problem);

// A script file read back and checked.  Offsets are from the start of the
// expression area; `expressions` is the unscrambled area.
struct ScriptFileView {
    std::vector<uint8_t> commands;
    std::vector<uint32_t> lines;
    std::vector<std::vector<ScriptArgumentView>> arguments;
    std::vector<uint8_t> expressions;
};

// False, with the reason, when the file is damaged: sections beyond the
// file, argument counts beyond the argument section, expression spans
// beyond the area, targets beyond the script, command codes of 100 or more.
bool readScriptFile(const uint8_t* bytes, size_t size, const std::array<uint8_t, 4>& key, ScriptFileView& view,
                    std::string& problem);

}  // namespace vr
