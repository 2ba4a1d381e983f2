#include "script/script_file.h"

#include <map>

#include "common/bytes.h"
#include "common/format_secrets.h"

namespace vr {

bool isTargetRecord(uint8_t commandCode, size_t recordIndex) {
    switch (commandCode) {
    case command::kBlockBegin:
        return recordIndex == 1 || recordIndex == 2;
    case command::kBlockElseIf:
    case command::kLoopBegin:
        return recordIndex == 1;
    default:
        return false;
    }
}

void scrambleSection(uint8_t* bytes, size_t size, const std::array<uint8_t, 4>& key) {
    for (size_t j = 0; j < size; ++j) bytes[j] ^= key[j & 3];
}

std::vector<uint8_t> writeScriptFile(const std::vector<ScriptInstruction>& instructions,
                                     const std::array<uint8_t, 4>& key) {
    ByteWriter code, args, area, lines;
    std::map<std::vector<uint8_t>, uint32_t> stored;  // expression code -> offset
    for (const ScriptInstruction& in : instructions) {
        code.u8(in.command);
        code.u8(uint8_t(in.arguments.size()));
        code.u16(0);
        lines.u32(in.line);
        for (size_t r = 0; r < in.arguments.size(); ++r) {
            const ScriptArgument& a = in.arguments[r];
            args.u8(a.id);
            args.u8(0);
            args.u8(a.evalType);
            args.u8(a.relative);
            if (isTargetRecord(in.command, r)) {
                args.u32(a.target);
                args.u32(0);
                continue;
            }
            auto [it, added] = stored.emplace(a.code, uint32_t(area.data().size()));
            if (added) area.bytes(a.code.data(), a.code.size());
            args.u32(uint32_t(a.code.size()));
            args.u32(it->second);
        }
    }
    std::vector<uint8_t> sections[4] = {code.take(), args.take(), area.take(), lines.take()};
    ByteWriter out;
    out.bytes(secrets::kSigScript, 4);
    out.u32(secrets::kEngineVersion);
    out.i32(int32_t(instructions.size()));
    for (auto& s : sections) out.u32(uint32_t(s.size()));
    out.u32(0);
    for (auto& s : sections) {
        scrambleSection(s.data(), s.size(), key);
        out.bytes(s.data(), s.size());
    }
    return out.take();
}

bool readScriptFile(const uint8_t* bytes, size_t size, const std::array<uint8_t, 4>& key, ScriptFileView& view,
                    std::string& problem) {
    ByteReader in(bytes, size);
    in.skip(8);
    int32_t count = in.i32();
    uint32_t sizes[4];
    for (auto& s : sizes) s = in.u32();
    if (!in.ok()) {
        problem = "header cut short";
        return false;
    }
    if (count < 0 || uint64_t(sizes[0]) != uint64_t(count) * kInstructionRecordSize ||
        uint64_t(sizes[3]) != uint64_t(count) * 4) {
        problem = "instruction count and section sizes disagree";
        return false;
    }
    uint64_t total = kScriptHeaderSize;
    for (uint32_t s : sizes) total += s;
    if (total > size) {
        problem = "sections beyond the end of the file";
        return false;
    }
    std::vector<uint8_t> sections[4];
    size_t at = kScriptHeaderSize;
    for (int k = 0; k < 4; ++k) {
        sections[k].assign(bytes + at, bytes + at + sizes[k]);
        scrambleSection(sections[k].data(), sections[k].size(), key);
        at += sizes[k];
    }
    ByteReader code(sections[0]), args(sections[1]), lines(sections[3]);
    view = ScriptFileView{};
    view.expressions = std::move(sections[2]);
    for (int32_t i = 0; i < count; ++i) {
        uint8_t command = code.u8();
        uint8_t argc = code.u8();
        code.skip(2);
        if (command >= command::kSlotCount) {
            problem = "instruction " + std::to_string(i) + ": command code " + std::to_string(command);
            return false;
        }
        if (!args.has(size_t(argc) * kArgumentRecordSize)) {
            problem = "instruction " + std::to_string(i) + ": arguments beyond the argument section";
            return false;
        }
        std::vector<ScriptArgumentView> list(argc);
        for (size_t r = 0; r < argc; ++r) {
            ScriptArgumentView& a = list[r];
            a.id = args.u8();
            args.skip(1);
            a.evalType = args.u8();
            a.relative = args.u8();
            a.length = args.u32();
            a.offset = args.u32();
            if (isTargetRecord(command, r)) {
                if (a.length > uint32_t(count)) {
                    problem = "instruction " + std::to_string(i) + ": target beyond the script";
                    return false;
                }
                continue;
            }
            bool resolvedJump = command == command::kJumpToLabel && r == 0 && a.length >= kResolvedLabelFlag;
            if (!resolvedJump && uint64_t(a.offset) + a.length > view.expressions.size()) {
                problem = "instruction " + std::to_string(i) + ": expression beyond the expression area";
                return false;
            }
        }
        view.commands.push_back(command);
        view.lines.push_back(lines.u32());
        view.arguments.push_back(std::move(list));
    }
    return true;
}

}  // namespace vr
