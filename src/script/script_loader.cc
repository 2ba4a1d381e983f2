#include "script/script_loader.h"

#include <cstdio>

#include "common/bytes.h"
#include "core/archive/loader.h"
#include "core/core.h"
#include "core/engine_files.h"
#include "script/expression_machine.h"
#include "script/flow_commands.h"
#include "script/interpreter.h"
#include "script/script_file.h"
#include "script/script_state.h"
#include "script/variables.h"

namespace vr {

namespace {

// A label name given as a constant expression; -1 when the expression reads
// a variable or names no label.
int constantLabel(const ScriptImage& image, const DecodedRecord& record, char* scratch) {
    clearNotConstant();
    uint32_t n = evaluateString(3, scratch, image.expressionArea + record.offset, record.length);
    if (notConstant()) return -1;
    return findLabel(std::string_view(scratch, n));
}

// Constant jump and call targets become label numbers.
void resolveTargets(ScriptImage& image) {
    static_assert(kStringCapacity >= 4096);
    char scratch[kStringCapacity];
    setConstantMode(true);
    for (int32_t i = 0; i < image.instructionCount; ++i) {
        uint8_t command = image.commands[size_t(i)];
        DecodedRecord* records = image.records.data() + image.firstRecord[size_t(i)];
        uint8_t argc = image.argumentCounts[size_t(i)];
        if (command == cmd::kJumpToLabel && argc > 0 && records[0].length < kResolvedLabelFlag) {
            int label = constantLabel(image, records[0], scratch);
            if (label >= 0) records[0].length = kResolvedLabelFlag + uint32_t(label);
        } else if (command == cmd::kCallLabel) {
            for (uint8_t r = 0; r < argc; ++r) {
                DecodedRecord& record = records[r];
                if (record.id != arg::call_label::kLabel) continue;
                int label = constantLabel(image, record, scratch);
                // Label number 0 cannot be told from "unresolved": it is
                // looked up by name when the call runs, with the same result.
                if (label > 0 && label <= 0xFFFF) record.callLabel = uint16_t(label);
            }
        }
    }
    setConstantMode(false);
}

// Decodes every argument record once, with the integer expressions of the
// records that hold code.
void decodeRecords(ScriptImage& image) {
    size_t total = 0;
    for (uint8_t n : image.argumentCounts) total += n;
    image.firstRecord.resize(size_t(image.instructionCount));
    image.records.assign(total, DecodedRecord{});
    size_t r = 0;
    for (int32_t i = 0; i < image.instructionCount; ++i) {
        image.firstRecord[size_t(i)] = uint32_t(r);
        uint8_t command = image.commands[size_t(i)];
        for (uint8_t k = 0; k < image.argumentCounts[size_t(i)]; ++k, ++r) {
            DecodedRecord& d = image.records[r];
            static_cast<ScriptArgumentView&>(d) =
                decodeArgumentRecord(image.argumentLists[size_t(i)] + size_t(k) * kArgumentRecordSize);
            if (isTargetRecord(command, k) || (command == cmd::kJumpToLabel && k == 0)) continue;
            d.fast = decodeFast(image.expressionArea + d.offset, d.length, image.fastPool);
        }
    }
}

}  // namespace

int createScriptTable() {
    Core& c = core();
    ScriptState& s = scriptState();
    s.scripts.clear();
    s.scripts.resize(c.files.scriptNames.size());
    return 0;
}

const ScriptImage* scriptImage(uint16_t scriptNumber) {
    auto& scripts = scriptState().scripts;
    if (scriptNumber >= scripts.size() || !scripts[scriptNumber]) return nullptr;
    const ScriptImage* image = scripts[scriptNumber].get();
    return image->instructionCount >= 0 ? image : nullptr;
}

bool loadScript(uint32_t scriptNumber) {
    Core& c = core();
    ScriptState& s = scriptState();
    uint16_t n = uint16_t(scriptNumber & 0xFFFF);
    char name[32];
    std::snprintf(name, sizeof name, "vrbin\\vrt%05u.vbn", unsigned(n));
    auto& scripts = s.scripts;
    if (n >= scripts.size()) {
        reportScriptErrorArgs(900000, true, name);
        return false;
    }
    if (scripts[n]) return true;
    // The entry is made before the file is read: a second load of a script
    // whose file failed finds it and does not read again.  A refused file
    // keeps a count of -1 and is never run.
    scripts[n] = std::make_unique<ScriptImage>();
    ScriptImage& image = *scripts[n];
    image.instructionCount = -1;

    FileRequest request;
    if (loadFile(request, name, true, true) != 0) return false;
    image.file = std::move(request.data);
    image.file.resize(request.size);
    ScriptLayout layout;
    std::string problem;
    if (!unscrambleScript(image.file.data(), image.file.size(), c.run.scriptKey, uint32_t(c.files.labels.size()),
                          layout, problem)) {
        reportScriptErrorArgs(900000, true, name);
        return false;
    }
    int32_t count = layout.count;
    uint8_t* code = image.file.data() + layout.sectionAt[0];
    uint8_t* args = image.file.data() + layout.sectionAt[1];
    image.expressionArea = image.file.data() + layout.sectionAt[2];
    image.expressionSize = layout.sectionSize[2];
    ByteReader lines(image.file.data() + layout.sectionAt[3], layout.sectionSize[3]);
    image.commands.resize(size_t(count));
    image.argumentCounts.resize(size_t(count));
    image.argumentLists.resize(size_t(count));
    image.lineTable.resize(size_t(count));
    image.executors[0].assign(size_t(count), &pausedExecutor);
    image.executors[1].resize(size_t(count));
    for (int32_t i = 0; i < count; ++i) {
        image.commands[size_t(i)] = code[size_t(i) * 4];
        image.argumentCounts[size_t(i)] = code[size_t(i) * 4 + 1];
        image.argumentLists[size_t(i)] = args;
        args += size_t(image.argumentCounts[size_t(i)]) * kArgumentRecordSize;
        image.executors[1][size_t(i)] = s.commands.slots[image.commands[size_t(i)]];
        image.lineTable[size_t(i)] = lines.u32();
    }
    image.instructionCount = count;
    decodeRecords(image);
    resolveTargets(image);
    image.flowSteps.resize(size_t(count));
    for (int32_t i = 0; i < count; ++i) {
        FlowHandler flow = flowHandlerFor(image, uint32_t(i));
        if (flow.handler) image.executors[1][size_t(i)] = flow.handler;
        image.flowSteps[size_t(i)] = flow.step;
    }
    initialiseVariables(n);
    return true;
}

int findLabel(std::string_view name) { return findLabelIndex(name); }

}  // namespace vr
