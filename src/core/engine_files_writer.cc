#include "core/engine_files_writer.h"

#include <algorithm>
#include <cstring>

#include "common/bytes.h"
#include "common/crc32.h"

namespace vr {

namespace {

void header(ByteWriter& out, const char (&signature)[4], uint32_t version = secrets::kEngineVersion) {
    out.bytes(signature, 4);
    out.u32(version);
}

bool terminable(const std::string& text) { return std::memchr(text.data(), 0, text.size()) == nullptr; }

}  // namespace

std::vector<uint8_t> writeErrorMessages(const std::vector<ErrorMessage>& messages) {
    ByteWriter out;
    header(out, secrets::kSigErrorMessages);
    out.i32(int32_t(messages.size()));
    out.u32(0);
    for (const ErrorMessage& m : messages) {
        if (!terminable(m.text)) return {};
        out.u32(m.code);
        out.cstring(m.text);
    }
    return out.take();
}

std::vector<uint8_t> writeCommandDefinitions(const std::vector<CommandDefinition>& commands,
                                             const std::vector<std::string>& errnoTexts,
                                             const std::array<uint8_t, kCommandByteTableSize>& byteTable) {
    if (errnoTexts.size() > size_t(kErrnoTextCount)) return {};
    ByteWriter out;
    header(out, secrets::kSigCommands);
    out.i32(int32_t(commands.size()));
    out.u32(0);
    for (const CommandDefinition& c : commands) {
        if (!terminable(c.name) || c.argumentNames.size() > 255) return {};
        out.cstring(c.name);
        out.u8(uint8_t(c.argumentNames.size()));
        for (size_t j = 0; j < c.argumentNames.size(); ++j) {
            if (!terminable(c.argumentNames[j])) return {};
            out.cstring(c.argumentNames[j]);
            out.u8(j < c.argumentKinds.size() ? c.argumentKinds[j] : 0);
            out.u8(j < c.rangeKinds.size() ? c.rangeKinds[j] : 0);
        }
    }
    for (int i = 0; i < kErrnoTextCount; ++i) {
        if (size_t(i) < errnoTexts.size()) {
            if (!terminable(errnoTexts[size_t(i)])) return {};
            out.cstring(errnoTexts[size_t(i)]);
        } else {
            out.u8(0);
        }
    }
    out.bytes(byteTable.data(), byteTable.size());
    return out.take();
}

std::vector<uint8_t> writeVariableTableSize(int32_t highestVariable, uint32_t publishedValue, uint32_t version) {
    ByteWriter out;
    header(out, secrets::kSigVariableTable, version);
    out.i32(highestVariable);
    out.u32(publishedValue);
    return out.take();
}

std::vector<uint8_t> writeScriptList(const std::vector<ScriptListEntry>& scripts) {
    ByteWriter out;
    header(out, secrets::kSigScriptList);
    out.i32(int32_t(scripts.size()));
    for (const ScriptListEntry& s : scripts) {
        out.u32(s.number);
        out.u32(uint32_t(s.name.size()));
        out.bytes(s.name);
        out.zeros(16);
    }
    return out.take();
}

std::vector<uint8_t> writeVariableDefinitions(const std::vector<VariableRecord>& records) {
    if (records.size() > 0xFFFF) return {};
    ByteWriter out;
    header(out, secrets::kSigVariables);
    out.u16(uint16_t(records.size()));
    for (const VariableRecord& r : records) {
        out.u8(r.scope);
        out.u16(r.script);
        out.u16(r.number);
        out.u8(r.type);
        out.i8(r.dimensionCount);
        int dimensions = std::clamp<int>(r.dimensionCount, 0, VariableRecord::kMaxDimensions);
        for (int d = 0; d < dimensions; ++d) out.u32(r.dimensions[size_t(d)]);
        switch (r.type) {
        case VariableRecord::kInteger:
            out.i64(r.intValue);
            break;
        case VariableRecord::kFloat:
            out.f64(r.floatValue);
            break;
        case VariableRecord::kString:
            if (r.expression.size() > 0xFFFF) return {};
            out.u16(uint16_t(r.expression.size()));
            out.bytes(r.expression.data(), r.expression.size());
            break;
        default:
            break;
        }
    }
    return out.take();
}

std::vector<uint8_t> writeLabels(const std::vector<LabelEntry>& labels) {
    struct Hashed {
        uint32_t hash;
        const LabelEntry* label;
    };
    std::vector<Hashed> sorted;
    sorted.reserve(labels.size());
    for (const LabelEntry& l : labels) {
        if (l.name.size() > 255) return {};
        sorted.push_back({nameHash(l.name), &l});
    }
    std::stable_sort(sorted.begin(), sorted.end(), [](const Hashed& a, const Hashed& b) { return a.hash < b.hash; });

    ByteWriter out;
    header(out, secrets::kSigLabels);
    out.i32(int32_t(sorted.size()));
    // Entry k: the first label whose top byte is k or more, so a top byte
    // without labels starts where its scan stops at once.
    size_t next = 0;
    for (uint32_t k = 0; k < 256; ++k) {
        while (next < sorted.size() && (sorted[next].hash >> 24) < k) ++next;
        out.u32(uint32_t(next));
    }
    for (const Hashed& h : sorted) {
        out.u8(uint8_t(h.label->name.size()));
        out.bytes(h.label->name);
        out.u32(h.hash);
        out.u32(h.label->instruction);
        out.u16(h.label->script);
        out.u8(h.label->blockDepth);
        out.u8(h.label->loopDepth);
    }
    return out.take();
}

std::vector<uint8_t> writeEngineConfig(const EngineConfigFile& c) {
    if (c.title.size() > 0xFFFF) return {};
    ByteWriter out;
    header(out, secrets::kSigConfig);
    out.zeros(8);
    out.i32(c.width);
    out.i32(c.height);
    out.u32(c.showAtStart);
    out.bytes(c.imageOrder.data(), c.imageOrder.size());
    out.bytes(c.soundOrder.data(), c.soundOrder.size());
    out.u32(c.frameThreadMode);
    out.u32(c.debugMode);
    out.u32(c.soundEnabled);
    out.u32(c.resizable);
    out.u32(c.framed);
    out.zeros(4);
    out.u16(uint16_t(c.title.size()));
    out.bytes(c.title);
    return out.take();
}

}  // namespace vr
