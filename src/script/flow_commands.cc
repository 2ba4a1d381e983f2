#include "script/flow_commands.h"

#include "script/flow_steps.h"

#include "common/command_ids.h"
#include "core/core.h"
#include "core/engine_files.h"
#include "script/arguments.h"
#include "script/expression_machine.h"
#include "script/fast_eval.h"
#include "script/interpreter.h"
#include "script/script_file.h"
#include "script/script_loader.h"
#include "script/script_state.h"
#include "script/system_variables.h"
#include "script/thread_tree.h"
#include "script/variables.h"

namespace vr {

namespace {

namespace call = arg::call_label;
namespace ret = arg::return_;

// Break, repeat and continue read their one argument alike.
constexpr uint8_t kLevels = arg::block_break::kLevels;
static_assert(arg::block_repeat::kLevels == kLevels && arg::loop_break::kLevels == kLevels &&
              arg::loop_continue::kLevels == kLevels);

ScriptState& state() { return scriptState(); }
int Assign();
ScriptThread& thread() { return *state().currentThread; }

// The current instruction's argument records, decoded when the script
// was loaded.
using Record = DecodedRecord;

// The current instruction's first record; the others follow it.
const Record* records() {
    const ScriptState& s = state();
    const ScriptImage& image = *s.currentThread->image;
    return image.records.data() + image.firstRecord[s.currentInstruction];
}

const Record& record(int index) { return records()[index]; }

int argumentCount() { return thread().image->argumentCounts[state().currentInstruction]; }

const uint8_t* codeOf(const Record& r) { return thread().image->expressionArea + r.offset; }
int64_t numericOf(const Record& r) {
    int64_t v;
    if ((r.evalType == 1 || r.evalType == 3) && computeFast<false>(r.fast, thread().image->fastPool, v)) return v;
    return evaluateNumeric(r.evalType, codeOf(r), r.length);
}
double floatingOf(const ArgumentValue& a) { return evaluateFloating(a.evalType, a.raw, a.length); }

int nothingToClose(uint8_t code, uint8_t opener) {
    reportScriptErrorArgs(101300, true, commandName(code), commandName(opener));
    return -1;
}

int tooDeep(uint8_t code) {
    reportScriptErrorArgs(101600, true, commandName(code), kNestingLimit);
    return -1;
}

// Depths and place of a label; a jump inside a call counts from the
// depths saved at the call.
int goToLabel(int label) {
    ScriptThread& t = thread();
    const Label& l = core().files.labels[size_t(label)];
    int block = l.blockDepth, loop = l.loopDepth;
    if (t.callDepth > 0) {
        block += t.callSavedBlockDepth[size_t(t.callDepth - 1)];
        loop += t.callSavedLoopDepth[size_t(t.callDepth - 1)];
    }
    if (block >= kNestingLimit) return tooDeep(cmd::kBlockBegin);
    if (loop >= kNestingLimit) return tooDeep(cmd::kLoopBegin);
    t.blockDepth = int8_t(block);
    t.loopDepth = int8_t(loop);
    return moveThread(t, l.script, l.instruction) ? 0 : -1;
}

int labelByName(std::string_view name) {
    int label = findLabel(name);
    if (label < 0) reportScriptErrorArgs(108180, true, std::string(name).c_str());
    return label;
}

int JumpToLabel() {
    if (evaluateArguments(cmd::kJumpToLabel) < 0) return -1;
    if (argumentCount() < 1) return labelByName("") < 0 ? -1 : 0;
    const Record& r = record(0);
    int label = r.length >= kResolvedLabelFlag ? int(r.length & 0x0FFFFFFF)
                                               : labelByName(state().arguments.byPosition[1].text);
    return label < 0 ? -1 : goToLabel(label);
}

int CallLabel() {
    if (evaluateCallArguments(cmd::kCallLabel) < 0) return -1;
    ScriptThread& t = thread();
    if (t.callDepth + 1 >= kNestingLimit) return tooDeep(cmd::kCallLabel);
    CallValues& params = t.callParameters[size_t(t.callDepth + 1)];
    int argc = argumentCount();
    for (int k = 1; k < argc && k <= kCallValues; ++k) {
        if (const ArgumentValue* a = argument(call::kInt1 + k - 1)) {
            params.integers[size_t(k - 1)] = a->integer;
        } else if (const ArgumentValue* f = argument(call::kFloat1 + k - 1)) {
            params.floats[size_t(k - 1)] = floatingOf(*f);
        } else if (const ArgumentValue* str = argument(call::kStr1 + k - 1)) {
            params.strings[size_t(k - 1)] = str->text;
        }
    }
    params.clear(std::max(argc - 1, 0));
    int label = -1;
    bool named = false;
    for (int p = 0; p < argc && !named; ++p) {
        const Record& r = record(p);
        if (r.id != call::kLabel) continue;
        named = true;
        label = r.callLabel;
        if (label == 0) label = labelByName(state().arguments.byPosition[size_t(p + 1)].text);
    }
    if (!named) label = labelByName("");
    if (label < 0) return -1;
    size_t level = size_t(t.callDepth);
    t.returnPc[level] = t.pc;
    t.returnScript[level] = t.scriptNumber;
    t.callSavedBlockDepth[level] = uint8_t(t.blockDepth);
    t.callSavedLoopDepth[level] = uint8_t(t.loopDepth);
    t.callDepth = int8_t(level + 1);
    const Label& l = core().files.labels[size_t(label)];
    return moveThread(t, l.script, l.instruction) ? 0 : -1;
}

int Return() {
    if (evaluateArguments(cmd::kReturn) < 0) return -1;
    ScriptThread& t = thread();
    if (t.callDepth < 1) {
        if (t.isMainThread) return nothingToClose(cmd::kReturn, cmd::kCallLabel);
        unlinkThreadNode(*state().currentNode);
        return -1;
    }
    CallValues& results = t.callResults[size_t(t.callDepth - 1)];
    int argc = std::min(argumentCount(), kCallValues);
    for (int k = 1; k <= argc; ++k) {
        if (const ArgumentValue* a = argument(ret::kInt1 + k - 1)) {
            results.integers[size_t(k - 1)] = a->integer;
        } else if (const ArgumentValue* f = argument(ret::kFloat1 + k - 1)) {
            results.floats[size_t(k - 1)] = floatingOf(*f);
        } else if (const ArgumentValue* s = argument(ret::kStr1 + k - 1)) {
            results.strings[size_t(k - 1)] = s->text;
        }
    }
    results.clear(argc);
    t.callDepth = int8_t(t.callDepth - 1);
    size_t level = size_t(t.callDepth);
    return moveThread(t, t.returnScript[level], t.returnPc[level]) ? 0 : -1;
}

int BlockBegin() {
    ScriptThread& t = thread();
    if (t.blockDepth + 1 >= kNestingLimit) return tooDeep(cmd::kBlockBegin);
    int argc = argumentCount();
    const Record* r = records();
    uint32_t elseTarget = argc > 1 ? r[1].length : 0;
    uint32_t endTarget = argc > 2 ? r[2].length : 0;
    size_t level = size_t(t.blockDepth);
    t.blockStart[level] = state().currentInstruction;
    t.blockSavedLoopDepth[level] = uint8_t(t.loopDepth);
    t.blockEnd[level] = endTarget;
    t.blockDepth = int8_t(level + 1);
    if (argc == 0 || numericOf(r[0]) != 0) return 0;
    if (core().run.quitRequested) return -1;
    t.pc = elseTarget != 0 ? elseTarget : endTarget;
    return 0;
}

// A block whose condition is a decoded integer expression, with both
// targets: chosen at load time for the instructions of that shape.
int BlockBeginInteger() {
    ScriptState& s = state();
    ScriptThread& t = *s.currentThread;
    const ScriptImage& image = *t.image;
    const Record* r = image.records.data() + image.firstRecord[s.currentInstruction];
    return blockBeginIntegerStep(t, image, r, s.currentInstruction) ? 0 : BlockBegin();
}

int BlockElseIf() {
    ScriptThread& t = thread();
    if (t.blockDepth == 0) return nothingToClose(cmd::kBlockElseIf, cmd::kBlockBegin);
    int argc = argumentCount();
    if (argc == 0) return 0;
    if (numericOf(record(0)) != 0) return 0;
    uint32_t target = argc > 1 ? record(1).length : 0;
    t.pc = target != 0 ? target : t.blockEnd[size_t(t.blockDepth - 1)];
    return 0;
}

int BlockSkip() {
    ScriptThread& t = thread();
    if (t.blockDepth == 0) return nothingToClose(cmd::kBlockSkip, cmd::kBlockBegin);
    t.pc = t.blockEnd[size_t(t.blockDepth - 1)];
    return 0;
}

// The level that "leave n levels" of a break, repeat or continue lands on:
// 1 with the level, 0 when there is nothing to do (n below 1), -1 after a
// report (n beyond the open levels).
int targetLevel(uint8_t code, int depth, uint8_t opener, size_t& level) {
    if (evaluateArguments(code) < 0) return -1;
    int64_t n = argumentInteger(kLevels, 1);
    if (n < 1) return 0;
    int64_t m = int64_t(depth) - n + 1;
    if (m <= 0) return nothingToClose(code, opener);
    level = size_t(m - 1);
    return 1;
}

int blockLevels(uint8_t code) {
    ScriptThread& t = thread();
    size_t level = 0;
    int found = targetLevel(code, t.blockDepth, cmd::kBlockBegin, level);
    if (found <= 0) return found;
    t.loopDepth = int8_t(t.blockSavedLoopDepth[level]);
    if (code == cmd::kBlockBreak) {
        t.blockDepth = int8_t(level + 1);
        t.pc = t.blockEnd[level];
    } else {
        t.pc = t.blockStart[level];
        t.blockDepth = int8_t(level);
    }
    return 0;
}

int BlockBreak() { return blockLevels(cmd::kBlockBreak); }
int BlockRepeat() { return blockLevels(cmd::kBlockRepeat); }

int BlockEnd() {
    return blockEndStep(thread()) ? 0 : nothingToClose(cmd::kBlockEnd, cmd::kBlockBegin);
}

int LoopBegin() {
    if (evaluateArguments(cmd::kLoopBegin) < 0) return -1;
    ScriptThread& t = thread();
    if (t.loopDepth + 1 >= kNestingLimit) return tooDeep(cmd::kLoopBegin);
    size_t level = size_t(t.loopDepth);
    t.loopStart[level] = state().currentInstruction + 1;
    t.loopSavedBlockDepth[level] = uint8_t(t.blockDepth);
    t.loopExit[level] = argumentCount() > 1 ? record(1).length : 0;
    t.loopCounter[level] = 1;
    t.loopCount[level] = argumentCount() > 0 ? state().arguments.byPosition[1].integer : 0;
    t.loopDepth = int8_t(level + 1);
    if (t.loopCount[level] != 0) return 0;
    t.loopCounter[level] = 0;
    t.pc = t.loopExit[level];
    return 0;
}

int LoopEnd() {
    if (loopEndStep(thread())) return 0;
    reportScriptError(108120, true);
    return -1;
}

int loopLevels(uint8_t code) {
    ScriptThread& t = thread();
    size_t level = 0;
    int found = targetLevel(code, t.loopDepth, cmd::kLoopBegin, level);
    if (found <= 0) return found;
    t.loopDepth = int8_t(level + 1);
    t.pc = t.loopExit[level];
    t.blockDepth = int8_t(t.loopSavedBlockDepth[level]);
    if (code == cmd::kLoopBreak) {
        t.loopCounter[level] = 0;
        t.loopCount[level] = 0;
    }
    return 0;
}

int LoopBreak() { return loopLevels(cmd::kLoopBreak); }
int LoopContinue() { return loopLevels(cmd::kLoopContinue); }

// Assignment of an integer expression to a plain integer variable, chosen
// at load time for the instructions of that shape: the general command
// when anything is not as it was when the script loaded.
int AssignIntegerVariable() {
    return assignIntegerStep(*thread().image, records()) ? 0 : Assign();
}

int Assign() {
    if (argumentCount() < 2) return 0;
    const Record& target = record(0);
    const Record& value = record(1);
    uint32_t number = 0;
    int64_t element = 0;
    uint8_t op = target.relative;
    if (target.fast.shape == FastShape::Variable) {
        // A plain variable names itself; the machine would read it only to
        // record which it is.
        number = target.fast.variable;
        Variable* v = target.fast.record;
        if (v->type == kTypeInteger && !v->integers.empty())
            return assignInteger(number, 0, op, numericOf(value)) < 0 ? -1 : 0;
        if (!fastVariable(target.fast, thread().image->fastPool, number)) {
            numericOf(target);
            number = lastAccess().variable;
        }
    } else {
        numericOf(target);
        const LastAccess& last = lastAccess();
        number = last.variable;
        element = last.element;
    }
    if (core().run.quitRequested) return -1;
    if (number >= kFirstUserVariable) {
        switch (variableType(number)) {
        case kTypeInteger:
            return assignInteger(number, element, op, numericOf(value)) < 0 ? -1 : 0;
        case kTypeFloat:
            return assignFloat(number, element, op, evaluateFloating(value.evalType, codeOf(value), value.length)) < 0
                       ? -1
                       : 0;
        case kTypeString: {
            if (op > 1) break;
            char buffer[kStringCapacity];
            uint32_t n = evaluateString(value.evalType, buffer, codeOf(value), value.length);
            return assignString(number, element, op, std::string_view(buffer, n)) < 0 ? -1 : 0;
        }
        default:
            break;
        }
        reportScriptError(101140, true);
        return -1;
    }
    switch (systemVariableType(number)) {
    case kTypeInteger:
        return writeSystemInteger(number, element, numericOf(value)) < 0 ? -1 : 0;
    case kTypeString: {
        char buffer[kStringCapacity];
        uint32_t n = evaluateString(value.evalType, buffer, codeOf(value), value.length);
        return writeSystemString(number, element, std::string_view(buffer, n)) < 0 ? -1 : 0;
    }
    default:
        return 0;  // floating system variables take no assignment
    }
}

int Wait() {
    if (evaluateArguments(cmd::kWait) < 0) return -1;
    ScriptThread& t = thread();
    if (int64_t frames = argumentInteger(arg::wait::kFrames); frames != 0) {
        t.waitFrames = uint32_t(frames);
        return -1;
    }
    if (int64_t ms = argumentInteger(arg::wait::kMs); ms != 0) {
        // 0 means "no wait": a deadline that lands on tick 0 waits a tick more.
        uint32_t until = uint32_t(core().platform.millis()) + uint32_t(ms);
        t.waitUntil = until ? until : 1;
        return -1;
    }
    return 0;
}

}  // namespace

bool decodedInteger(const DecodedRecord& r) {
    return (r.evalType == 1 || r.evalType == 3) && r.fast.shape != FastShape::None;
}

FlowHandler flowHandlerFor(const ScriptImage& image, uint32_t instruction) {
    const DecodedRecord* r = image.records.data() + image.firstRecord[instruction];
    uint8_t argc = image.argumentCounts[instruction];
    switch (image.commands[instruction]) {
    case cmd::kBlockBegin:
        if (argc == 3 && decodedInteger(r[0])) return {&BlockBeginInteger, FlowStep::BlockBeginInteger};
        return {};
    case cmd::kAssign: {
        if (argc != 2) return {};
        bool plainTarget = r[0].fast.shape == FastShape::Variable;
        bool integerValue = (r[1].evalType == 1 || r[1].evalType == 3) && r[1].fast.shape != FastShape::None &&
                            r[1].fast.shape != FastShape::General;
        if (plainTarget && integerValue) return {&AssignIntegerVariable, FlowStep::AssignInteger};
        return {};
    }
    case cmd::kBlockEnd: return {&BlockEnd, FlowStep::BlockEnd};
    case cmd::kLoopEnd: return {&LoopEnd, FlowStep::LoopEnd};
    default: return {};
    }
}

void installFlowCommands(CommandTable& table) {
    table.slots[cmd::kBlockElseIf] = &BlockElseIf;
    table.slots[cmd::kJumpToLabel] = &JumpToLabel;
    table.slots[cmd::kCallLabel] = &CallLabel;
    table.slots[cmd::kBlockBegin] = &BlockBegin;
    table.slots[cmd::kBlockSkip] = &BlockSkip;
    table.slots[cmd::kBlockBreak] = &BlockBreak;
    table.slots[cmd::kBlockRepeat] = &BlockRepeat;
    table.slots[cmd::kBlockEnd] = &BlockEnd;
    table.slots[cmd::kAssign] = &Assign;
    table.slots[cmd::kLoopBegin] = &LoopBegin;
    table.slots[cmd::kLoopBreak] = &LoopBreak;
    table.slots[cmd::kLoopContinue] = &LoopContinue;
    table.slots[cmd::kLoopEnd] = &LoopEnd;
    table.slots[cmd::kReturn] = &Return;
    table.slots[cmd::kWait] = &Wait;
}

}  // namespace vr
