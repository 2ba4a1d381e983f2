#include "script/script_file.h"

#include <map>

#include "common/bytes.h"
#include "common/format_secrets.h"

namespace vr {

bool isTargetRecord(uint8_t commandCode, size_t recordIndex) {
    switch (commandCode) {
    case cmd::kBlockBegin:
        return recordIndex == 1 || recordIndex == 2;
    case cmd::kBlockElseIf:
    case cmd::kLoopBegin:
        return recordIndex == 1;
    default:
        return false;
    }
}

ScriptArgumentView decodeArgumentRecord(const uint8_t* record) {
    ScriptArgumentView a;
    a.id = record[0];
    a.evalType = record[2];
    a.relative = record[3];
    a.length = loadLe32(record + 4);
    a.offset = loadLe32(record + 8);
    return a;
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

namespace {

bool fail(std::string& problem, std::string text) {
    problem = std::move(text);
    return false;
}

std::string at(int32_t i) { return "instruction " + std::to_string(i) + ": "; }

}  // namespace

bool unscrambleScript(uint8_t* bytes, size_t size, const std::array<uint8_t, 4>& key, uint32_t labelCount,
                      ScriptLayout& layout, std::string& problem) {
    ByteReader in(bytes, size);
    in.skip(8);
    layout.count = in.i32();
    for (auto& s : layout.sectionSize) s = in.u32();
    if (!in.ok()) return fail(problem, "header cut short");
    int32_t count = layout.count;
    if (count < 0 || uint64_t(layout.sectionSize[0]) != uint64_t(count) * kInstructionRecordSize ||
        uint64_t(layout.sectionSize[3]) != uint64_t(count) * 4 || layout.sectionSize[1] % kArgumentRecordSize != 0)
        return fail(problem, "instruction count and section sizes disagree");
    uint64_t end = kScriptHeaderSize;
    for (int k = 0; k < 4; ++k) {
        layout.sectionAt[k] = size_t(end);
        end += layout.sectionSize[k];
    }
    if (end > size) return fail(problem, "sections beyond the end of the file");
    for (int k = 0; k < 4; ++k) scrambleSection(bytes + layout.sectionAt[k], layout.sectionSize[k], key);

    const uint8_t* code = bytes + layout.sectionAt[0];
    const uint8_t* args = bytes + layout.sectionAt[1];
    size_t argsLeft = layout.sectionSize[1] / kArgumentRecordSize;
    uint32_t area = layout.sectionSize[2];
    for (int32_t i = 0; i < count; ++i) {
        uint8_t command = code[size_t(i) * 4];
        uint8_t argc = code[size_t(i) * 4 + 1];
        if (command >= cmd::kSlotCount) return fail(problem, at(i) + "command code " + std::to_string(command));
        if (argc > argsLeft) return fail(problem, at(i) + "arguments beyond the argument section");
        for (size_t r = 0; r < argc; ++r, args += kArgumentRecordSize) {
            ScriptArgumentView a = decodeArgumentRecord(args);
            uint32_t length = a.length, offset = a.offset;
            if (isTargetRecord(command, r)) {
                if (length > uint32_t(count)) return fail(problem, at(i) + "target beyond the script");
                continue;
            }
            if (command == cmd::kJumpToLabel && r == 0 && length >= kResolvedLabelFlag) {
                if ((length & 0x0FFFFFFF) >= labelCount) return fail(problem, at(i) + "label beyond the label table");
                continue;
            }
            if (uint64_t(offset) + length > area) return fail(problem, at(i) + "expression beyond the expression area");
        }
        argsLeft -= argc;
    }
    return true;
}

bool readScriptFile(const uint8_t* bytes, size_t size, const std::array<uint8_t, 4>& key, ScriptFileView& view,
                    std::string& problem) {
    std::vector<uint8_t> file(bytes, bytes + size);
    ScriptLayout layout;
    if (!unscrambleScript(file.data(), file.size(), key, UINT32_MAX, layout, problem)) return false;
    view = ScriptFileView{};
    const uint8_t* code = file.data() + layout.sectionAt[0];
    const uint8_t* args = file.data() + layout.sectionAt[1];
    ByteReader lines(file.data() + layout.sectionAt[3], layout.sectionSize[3]);
    view.expressions.assign(file.begin() + long(layout.sectionAt[2]),
                            file.begin() + long(layout.sectionAt[2] + layout.sectionSize[2]));
    for (int32_t i = 0; i < layout.count; ++i) {
        std::vector<ScriptArgumentView> list(code[size_t(i) * 4 + 1]);
        for (ScriptArgumentView& a : list) {
            a = decodeArgumentRecord(args);
            args += kArgumentRecordSize;
        }
        view.commands.push_back(code[size_t(i) * 4]);
        view.lines.push_back(lines.u32());
        view.arguments.push_back(std::move(list));
    }
    return true;
}

}  // namespace vr
