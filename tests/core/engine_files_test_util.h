// Shared pieces of the engine-file tests: sample contents and the check that
// a load was refused with a fatal report.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/engine_files.h"
#include "core/engine_files_writer.h"
#include "shell/engine.h"
#include "support/sjis_text.h"

namespace vr::test {

using ParseFunction = int (*)(const uint8_t*, size_t, std::string_view);

inline int parseBytes(ParseFunction parse, const std::vector<uint8_t>& file) {
    return parse(file.data(), file.size(), "vrbin\\test.vbn");
}

inline uint32_t lastReportedCode(const Engine& e) {
    return e.core.errors.reportedCodes.empty() ? 0 : e.core.errors.reportedCodes.back();
}

// The result of a load that must have been refused: -1, one new report with
// `code`, and the quit flag set because every refusal is fatal.
inline ::testing::AssertionResult refusedWith(Engine& e, int result, uint32_t code, size_t reportsBefore) {
    if (result != -1) return ::testing::AssertionFailure() << "accepted (result " << result << ")";
    if (e.core.errors.reportedCodes.size() != reportsBefore + 1)
        return ::testing::AssertionFailure() << (e.core.errors.reportedCodes.size() - reportsBefore) << " reports";
    if (lastReportedCode(e) != code) return ::testing::AssertionFailure() << "code " << lastReportedCode(e);
    if (!e.core.run.quitRequested) return ::testing::AssertionFailure() << "not fatal";
    return ::testing::AssertionSuccess();
}

// Parses `file` and expects the refusal, starting from a clear quit flag.
inline ::testing::AssertionResult refuses(Engine& e, ParseFunction parse, const std::vector<uint8_t>& file,
                                          uint32_t code) {
    e.core.run.quitRequested = false;
    size_t before = e.core.errors.reportedCodes.size();
    return refusedWith(e, parseBytes(parse, file), code, before);
}

inline std::vector<CommandDefinition> sampleCommands() {
    return {
        {"end", {}, {}, {}},
        {"obj", {"path", "x", "y", "src"}, {1, 0, 0, 2}, {0, 1, 26, 0}},
        {test::sjis(u8"メッセージ"), {test::sjis(u8"文字")}, {1}, {0}},
    };
}

inline std::vector<std::string> sampleErrnoTexts() {
    std::vector<std::string> texts;
    for (int i = 0; i < kErrnoTextCount; ++i) texts.push_back("errno text " + std::to_string(i));
    return texts;
}

inline std::array<uint8_t, kCommandByteTableSize> sampleByteTable() {
    std::array<uint8_t, kCommandByteTableSize> table{};
    for (size_t i = 0; i < table.size(); ++i) table[i] = uint8_t(i * 7 + 3);
    return table;
}

inline VariableRecord integerRecord(uint16_t number, int64_t value, uint8_t scope = VariableRecord::kGlobal,
                                    uint16_t script = 0) {
    VariableRecord r;
    r.scope = scope;
    r.script = script;
    r.number = number;
    r.type = VariableRecord::kInteger;
    r.intValue = value;
    return r;
}

inline std::vector<VariableRecord> sampleVariableRecords() {
    std::vector<VariableRecord> records;
    records.push_back(integerRecord(1000, -5));
    VariableRecord f;
    f.number = 1001;
    f.type = VariableRecord::kFloat;
    f.floatValue = 2.75;
    f.dimensionCount = 2;
    f.dimensions[0] = 3;
    f.dimensions[1] = 40000;
    records.push_back(f);
    VariableRecord s;
    s.scope = VariableRecord::kScriptLocal;
    s.script = 3;
    s.number = 1002;
    s.type = VariableRecord::kString;
    s.dimensionCount = 8;
    for (size_t d = 0; d < s.dimensions.size(); ++d) s.dimensions[d] = uint32_t(d + 1);
    s.expression = {0x10, 0x00, 0xFF, 0x42};
    records.push_back(s);
    records.push_back(integerRecord(1003, 77, VariableRecord::kScriptLocal, 4));
    return records;
}

inline std::vector<LabelEntry> sampleLabels() {
    std::vector<LabelEntry> labels = {
        {"SYSTEM_START", 0, 0, 0, 0},
        {test::sjis(u8"タイトル画面"), 12, 1, 2, 1},
    };
    for (int i = 0; i < 40; ++i) labels.push_back({"label" + std::to_string(i), uint32_t(i * 3), uint16_t(i % 5), 0, 1});
    return labels;
}

}  // namespace vr::test
