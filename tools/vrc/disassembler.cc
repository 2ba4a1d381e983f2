#include "disassembler.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "common/bytes.h"
#include "common/format_secrets.h"
#include "expression.h"
#include "game_files.h"
#include "platform/platform.h"
#include "script/script_file.h"
#include "source_text.h"

namespace vrc {

namespace {

bool readFile(const std::filesystem::path& path, std::vector<uint8_t>& bytes, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path.string() + ": cannot open";
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), {});
    return true;
}

struct LabelAt {
    std::string name;
    uint16_t script;
    uint32_t instruction;
};

// vrl.vbn: count, the first-index table, then the records.
bool readLabels(const std::vector<uint8_t>& bytes, std::vector<LabelAt>& labels) {
    vr::ByteReader in(bytes);
    in.skip(8);
    int32_t count = in.i32();
    in.skip(1024);
    if (!in.ok() || count < 0) return false;
    for (int32_t i = 0; i < count; ++i) {
        uint8_t n = in.u8();
        std::string name(in.view(n));
        in.skip(4);
        uint32_t instruction = in.u32();
        uint16_t script = in.u16();
        in.skip(2);
        if (!in.ok()) return false;
        labels.push_back({name, script, instruction});
    }
    return true;
}

bool readScriptList(const std::vector<uint8_t>& bytes, std::map<uint32_t, std::string>& names) {
    vr::ByteReader in(bytes);
    in.skip(8);
    int32_t count = in.i32();
    if (!in.ok() || count < 0) return false;
    for (int32_t i = 0; i < count; ++i) {
        uint32_t number = in.u32();
        uint32_t length = in.u32();
        std::string name(in.view(length));
        in.skip(16);
        if (!in.ok()) return false;
        names[number] = name;
    }
    return true;
}

std::string relativeOperator(uint8_t code) {
    static const char* const kOps[] = {"=", "+=", "-=", "*=", "/=", "%=", "&=", "|=", "^="};
    return code < 9 ? kOps[code] : "?=";
}

std::string showScript(const vr::ScriptFileView& view, const Catalogue& catalogue, int script,
                       const std::vector<LabelAt>& labels) {
    std::ostringstream out;
    std::multimap<uint32_t, std::string> here;
    for (const LabelAt& l : labels)
        if (l.script == script) here.emplace(l.instruction, l.name);
    for (size_t i = 0; i <= view.commands.size(); ++i) {
        auto [first, last] = here.equal_range(uint32_t(i));
        for (auto it = first; it != last; ++it) out << "*" << forMessage(it->second) << "\n";
        if (i == view.commands.size()) break;
        uint8_t code = view.commands[i];
        const CatalogueCommand& cmd = catalogue.commands[code];
        char head[48];
        std::snprintf(head, sizeof head, "%6zu  line %-5u ", i, view.lines[i]);
        out << head << cmd.name;
        const auto& args = view.arguments[i];
        for (size_t r = 0; r < args.size(); ++r) {
            const vr::ScriptArgumentView& a = args[r];
            std::string name = a.id < cmd.args.size() ? cmd.args[a.id].name : "arg" + std::to_string(a.id);
            out << " " << name;
            if (vr::isTargetRecord(code, r)) {
                out << "=@" << a.length;
                continue;
            }
            out << relativeOperator(a.relative);
            const uint8_t* codeBytes = view.expressions.data() + a.offset;
            bool raw = a.id < cmd.args.size() && cmd.args[a.id].kind == 2 && code == vr::cmd::kMessageText;
            if (raw) {
                out << "\"" << forMessage(std::string_view(reinterpret_cast<const char*>(codeBytes), a.length)) << "\"";
            } else if (code == vr::cmd::kJumpToLabel && r == 0 && a.length >= vr::kResolvedLabelFlag) {
                out << "label#" << (a.length & 0x0FFFFFFF);
            } else {
                out << decodeExpression(codeBytes, a.length, nullptr);
            }
            out << (a.evalType == 2 || a.evalType == 4 ? "  (floating)" : "");
        }
        out << "\n";
    }
    return out.str();
}

}  // namespace

bool disassemble(const std::string& path, const Catalogue& catalogue, std::string& out, std::string& error) {
    auto key = vr::secrets::scriptKey();
    std::filesystem::path p(path);
    std::vector<uint8_t> bytes;
    if (!std::filesystem::is_directory(p)) {
        if (!readFile(p, bytes, error)) return false;
        vr::ScriptFileView view;
        std::string problem;
        if (!vr::readScriptFile(bytes.data(), bytes.size(), key, view, problem)) {
            error = path + ": " + problem;
            return false;
        }
        out = showScript(view, catalogue, -1, {});
        return true;
    }
    GameFiles game;
    if (!game.open(p, error)) return false;
    std::vector<uint8_t> list, labelBytes;
    std::map<uint32_t, std::string> names;
    std::vector<LabelAt> labels;
    if (!game.read("vrt_list.vbn", list, error) || !game.read("vrl.vbn", labelBytes, error)) return false;
    if (!readScriptList(list, names) || !readLabels(labelBytes, labels)) {
        error = game.where("vrt_list.vbn") + ": damaged script list or label file";
        return false;
    }
    std::ostringstream all;
    for (const auto& [number, name] : names) {
        char file[32];
        std::snprintf(file, sizeof file, "vrt%05u.vbn", number);
        if (!game.read(file, bytes, error)) return false;
        vr::ScriptFileView view;
        std::string problem;
        if (!vr::readScriptFile(bytes.data(), bytes.size(), key, view, problem)) {
            error = game.where(file) + ": " + problem;
            return false;
        }
        all << "script " << number << " " << forMessage(name) << "\n" << showScript(view, catalogue, int(number), labels);
    }
    out = all.str();
    return true;
}

}  // namespace vrc
