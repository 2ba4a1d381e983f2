#include "script/arguments.h"

#include "core/core.h"
#include "core/engine_files.h"
#include "script/expression_machine.h"
#include "script/fast_eval.h"
#include "script/script_file.h"
#include "script/script_state.h"

namespace vr {

namespace {

struct Bounds {
    uint32_t minimum, maximum;
};

// Range kinds 3 to 21.
constexpr Bounds kBounds[] = {{0, 1},    {0, 2},    {0, 3},     {1, 3},    {0, 4},     {1, 8},     {0, 15},
                              {0, 18},   {0, 256},  {1, 256},   {0, 512},  {0, 1024},  {1, 1024},  {128, 1024},
                              {0, 2048}, {1, 2048}, {16, 2048}, {128, 2048}, {1, 8192}};

}  // namespace

bool checkArgumentRange(const CommandDefinition* def, uint8_t id, uint8_t range, int64_t value) {
    if (range == 0 || range > 26) return true;
    const char* command = commandName(def);
    const char* name = argumentName(def, id);
    uint32_t low = uint32_t(value);
    long long v = value;
    switch (range) {
    case 1:
    case 2:
        if (value >= (range == 1 ? 0 : 1)) return true;
        reportScriptErrorArgs(101010, true, command, name, v, range == 1 ? 0 : 1);
        return false;
    case 22:
        if (low + 1u <= 0x1000000u) return true;
        reportScriptErrorArgs(101020, true, command, name, v);
        return false;
    case 23:
        if (low <= 0xFFFFFFu) return true;
        reportScriptErrorArgs(101030, true, command, name, v);
        return false;
    case 24:
    case 25: {
        const WindowObject& w = core().windows[0];
        int size = range == 24 ? w.clientWidth : w.clientHeight;
        if (low <= uint32_t(size - 1)) return true;
        reportScriptErrorArgs(101000, true, command, name, v, 0, size - 1);
        return false;
    }
    case 26:
        if (value < 0) {
            reportScriptErrorArgs(101220, true, command, name, v);
            return false;
        }
        if (value > 3) {
            reportScriptErrorArgs(101210, true, command, name, v, 3);
            return false;
        }
        return true;
    default: {
        Bounds b = kBounds[range - 3];
        if (low - b.minimum <= b.maximum - b.minimum) return true;
        reportScriptErrorArgs(101000, true, command, name, v, int(b.minimum), int(b.maximum));
        return false;
    }
    }
}

namespace {

int evaluate(uint8_t commandCode, bool callVariant) {
    Core& c = core();
    ScriptState& s = scriptState();
    EvaluatedArguments& args = s.arguments;
    // Only the ids the previous instruction set need clearing.
    for (int p = 1; p <= args.count; ++p) {
        uint8_t id = args.byPosition[size_t(p)].id;
        if (id < kArgumentIds) args.positionById[id] = 0;
    }
    const ScriptThread& t = *s.currentThread;
    const ScriptImage& image = *t.image;
    uint32_t i = s.currentInstruction;
    int n = image.argumentCounts[i];
    args.count = n;
    const CommandDefinition* def = commandDefinition(commandCode);
    const DecodedRecord* record = image.records.data() + image.firstRecord[i];
    for (int p = 1; p <= n; ++p, ++record) {
        ArgumentValue& a = args.byPosition[size_t(p)];
        a.id = record->id;
        a.evalType = record->evalType;
        a.relative = record->relative;
        a.length = record->length;
        if (a.id < kArgumentIds) args.positionById[a.id] = uint8_t(p);
        // Records that carry an instruction or label number in their length
        // field have no code: they are read by their commands directly.
        bool target = isTargetRecord(commandCode, size_t(p - 1)) ||
                      (commandCode == cmd::kJumpToLabel && p == 1 && a.length >= kResolvedLabelFlag);
        a.raw = target ? nullptr : image.expressionArea + record->offset;
        a.integer = 0;
        a.text.clear();
        a.variable = 0;
        a.element = 0;
        a.reference = false;
        if (target) continue;
        uint8_t kind = def && a.id < def->argumentKinds.size() ? def->argumentKinds[a.id] : 0;
        uint8_t range = def && a.id < def->rangeKinds.size() ? def->rangeKinds[a.id] : 0;
        if (kind == 2) continue;
        if (kind == 1) {
            char buffer[kStringCapacity];
            uint32_t length = evaluateString(callVariant ? 3 : a.evalType, buffer, a.raw, a.length);
            a.text.assign(buffer, length);
        } else if ((a.evalType == 1 || a.evalType == 3) &&
                   computeFast(record->fast, image.fastPool, a.integer)) {
            // decoded at load time
        } else {
            a.integer = evaluateNumeric(a.evalType, a.raw, a.length);
        }
        const LastAccess& last = lastAccess();
        a.variable = last.variable;
        a.element = last.element;
        a.reference = last.reference;
        if (kind == 0 && !checkArgumentRange(def, a.id, range, a.integer)) return -1;
        if (c.run.quitRequested) return -1;
    }
    return 0;
}

}  // namespace

void reportArgumentOutOfRange(int commandCode, int id, int64_t value, int64_t low, int64_t high) {
    reportScriptErrorArgs(101000, true, commandName(commandCode), argumentName(commandCode, id), value, low, high);
}

int evaluateArguments(uint8_t commandCode) { return evaluate(commandCode, false); }
int evaluateCallArguments(uint8_t commandCode) { return evaluate(commandCode, true); }

const ArgumentValue* argument(int id) {
    if (id < 0 || id >= kArgumentIds) return nullptr;
    const EvaluatedArguments& args = scriptState().arguments;
    uint8_t p = args.positionById[size_t(id)];
    return p ? &args.byPosition[p] : nullptr;
}

bool hasArgument(int id) { return argument(id) != nullptr; }

int64_t argumentInteger(int id, int64_t fallback) {
    const ArgumentValue* a = argument(id);
    return a ? a->integer : fallback;
}

std::string_view argumentText(int id) {
    const ArgumentValue* a = argument(id);
    return a ? std::string_view(a->text) : std::string_view();
}

}  // namespace vr
