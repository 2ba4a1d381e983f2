#include "script/thread_commands.h"

#include "common/bytes.h"
#include "common/command_ids.h"
#include "core/core.h"
#include "core/engine_files.h"
#include "script/arguments.h"
#include "script/expression_machine.h"
#include "script/interpreter.h"
#include "script/script_loader.h"
#include "script/script_state.h"
#include "script/thread_tree.h"
#include "script/value_operators.h"
#include "script/variables.h"

namespace vr {

namespace {

namespace control = arg::thread_control;
namespace info = arg::thread_info;

constexpr char kStateMagic[8] = {1, 2, 3, 4, 5, 6, 7, 8};

ScriptState& state() { return scriptState(); }

// Resolves the path argument; the node (null when it does not exist), or
// false after a report.
bool lookUp(std::string_view path, ThreadLookup& found, bool missingPartIsError) {
    std::vector<std::string> names;
    if (!splitThreadPath(path, names)) {
        reportScriptError(101293, true);
        return false;
    }
    found = findThreadNode(names);
    if (found.missingPart && missingPartIsError) {
        reportScriptErrorArgs(100230, true, std::string(path).c_str());
        return false;
    }
    return true;
}

// ------------------------------------------------------------ state text

// Numbers as a count letter ('a' + nibbles) and that many nibble letters
// ('A' + nibble), most significant first, so small values stay short.
void putNumber(std::string& out, uint64_t v) {
    int nibbles = 0;
    for (uint64_t x = v; x; x >>= 4) ++nibbles;
    out += char('a' + nibbles);
    for (int k = nibbles - 1; k >= 0; --k) out += char('A' + int((v >> (4 * k)) & 15));
}

bool getNumber(std::string_view& in, uint64_t& v) {
    if (in.empty() || in[0] < 'a' || in[0] > 'q') return false;
    int nibbles = in[0] - 'a';
    if (in.size() < size_t(nibbles) + 1) return false;
    v = 0;
    for (int k = 1; k <= nibbles; ++k) {
        char c = in[size_t(k)];
        if (c < 'A' || c > 'P') return false;
        v = v << 4 | uint64_t(c - 'A');
    }
    in.remove_prefix(size_t(nibbles) + 1);
    return true;
}

}  // namespace

std::string threadStateText(const ScriptThread& t) {
    std::string out(kStateMagic, sizeof kStateMagic);
    putNumber(out, t.pc);
    putNumber(out, t.scriptNumber);
    putNumber(out, uint64_t(uint8_t(t.blockDepth)));
    putNumber(out, uint64_t(uint8_t(t.loopDepth)));
    putNumber(out, uint64_t(uint8_t(t.callDepth)));
    for (int k = 0; k < t.blockDepth; ++k) {
        putNumber(out, t.blockSavedLoopDepth[size_t(k)]);
        putNumber(out, t.blockStart[size_t(k)]);
        putNumber(out, t.blockEnd[size_t(k)]);
    }
    for (int k = 0; k < t.loopDepth; ++k) {
        putNumber(out, t.loopStart[size_t(k)]);
        putNumber(out, t.loopExit[size_t(k)]);
        putNumber(out, t.loopSavedBlockDepth[size_t(k)]);
        putNumber(out, uint64_t(t.loopCounter[size_t(k)]));
        putNumber(out, uint64_t(t.loopCount[size_t(k)]));
    }
    for (int k = 0; k < t.callDepth; ++k) {
        putNumber(out, t.callSavedBlockDepth[size_t(k)]);
        putNumber(out, t.callSavedLoopDepth[size_t(k)]);
        putNumber(out, t.returnPc[size_t(k)]);
        putNumber(out, t.returnScript[size_t(k)]);
    }
    return out;
}

bool restoreThreadState(ScriptThread& thread, std::string_view text) {
    if (text.size() < sizeof kStateMagic || text.substr(0, sizeof kStateMagic) != std::string_view(kStateMagic, 8))
        return false;
    text.remove_prefix(sizeof kStateMagic);
    // Read into a copy: a text cut short or out of bounds leaves the thread
    // as it was.
    ScriptThread t = thread;
    uint64_t v[5];
    for (auto& x : v)
        if (!getNumber(text, x)) return false;
    if (v[1] > 0xFFFF || v[2] >= uint64_t(kNestingLimit) || v[3] >= uint64_t(kNestingLimit) ||
        v[4] >= uint64_t(kNestingLimit))
        return false;
    t.pc = uint32_t(v[0]);
    uint16_t script = uint16_t(v[1]);
    t.blockDepth = int8_t(v[2]);
    t.loopDepth = int8_t(v[3]);
    t.callDepth = int8_t(v[4]);
    auto get = [&](auto& field, uint64_t limit) {
        uint64_t x;
        if (!getNumber(text, x) || x > limit) return false;
        field = static_cast<std::remove_reference_t<decltype(field)>>(x);
        return true;
    };
    for (int k = 0; k < t.blockDepth; ++k)
        if (!get(t.blockSavedLoopDepth[size_t(k)], 63) || !get(t.blockStart[size_t(k)], UINT32_MAX) ||
            !get(t.blockEnd[size_t(k)], UINT32_MAX))
            return false;
    for (int k = 0; k < t.loopDepth; ++k)
        if (!get(t.loopStart[size_t(k)], UINT32_MAX) || !get(t.loopExit[size_t(k)], UINT32_MAX) ||
            !get(t.loopSavedBlockDepth[size_t(k)], 63) || !get(t.loopCounter[size_t(k)], UINT64_MAX) ||
            !get(t.loopCount[size_t(k)], UINT64_MAX))
            return false;
    for (int k = 0; k < t.callDepth; ++k)
        if (!get(t.callSavedBlockDepth[size_t(k)], 63) || !get(t.callSavedLoopDepth[size_t(k)], 63) ||
            !get(t.returnPc[size_t(k)], UINT32_MAX) || !get(t.returnScript[size_t(k)], 0xFFFF))
            return false;
    if (!text.empty()) return false;
    uint32_t pc = t.pc;
    if (!moveThread(t, script, pc)) return false;
    thread = t;
    return true;
}

namespace {

int ThreadControl() {
    if (evaluateArguments(cmd::kThreadControl) < 0) return -1;
    ScriptState& s = state();
    ThreadNode* node = s.currentNode;
    ThreadLookup found;
    std::string path(argumentText(control::kPath));
    if (hasArgument(control::kPath)) {
        if (!lookUp(path, found, false)) return -1;
        node = found.node;
    }
    const ArgumentValue* order = argument(control::kOrder);
    if (node && order) {
        int64_t changed = std::max<int64_t>(1, applyOperator(order->relative, node->order, order->integer, 1));
        if (changed != node->order) reorderThreadNode(*node, changed);
    }
    if (!node) {
        if (!hasArgument(control::kLabel) || !found.parent) {
            if (found.missingPart && hasArgument(control::kLabel)) reportScriptErrorArgs(100230, true, path.c_str());
            else reportScriptErrorArgs(101400, true, path.c_str());
            return -1;
        }
        std::vector<std::string> names;
        splitThreadPath(path, names);
        node = createThreadNode(*found.parent, names.back(), order ? std::max<int64_t>(1, order->integer) : 1);
    }
    ScriptThread& t = *node->thread;
    if (hasArgument(control::kLabel)) {
        int label = findLabel(argumentText(control::kLabel));
        if (label < 0) {
            reportScriptErrorArgs(108180, true, std::string(argumentText(control::kLabel)).c_str());
            return -1;
        }
        const Label& l = core().files.labels[size_t(label)];
        t.blockDepth = int8_t(l.blockDepth);
        t.loopDepth = int8_t(l.loopDepth);
        t.callDepth = 0;
        if (!moveThread(t, l.script, l.instruction)) return -1;
        t.ownValues.clear();
        for (int k = 0; k < kCallValues; ++k) {
            if (const ArgumentValue* a = argument(control::kInt1 + k)) t.ownValues.integers[size_t(k)] = a->integer;
            if (const ArgumentValue* f = argument(control::kFloat1 + k))
                t.ownValues.floats[size_t(k)] = evaluateFloating(f->evalType, f->raw, f->length);
        }
    }
    if (hasArgument(control::kState) && !restoreThreadState(t, argumentText(control::kState))) {
        reportScriptErrorArgs(900000, true, "thread state");
        return -1;
    }
    if (const ArgumentValue* a = argument(control::kRunSwitch1)) t.runSwitch1 = uint8_t(a->integer);
    if (const ArgumentValue* a = argument(control::kRunSwitch2)) t.runSwitch2 = uint8_t(a->integer);
    if (hasArgument(control::kRerun)) core().run.runAgain = true;
    return 0;
}

int ThreadEnd() {
    if (evaluateArguments(cmd::kThreadEnd) < 0) return -1;
    ScriptState& s = state();
    if (!hasArgument(arg::thread_end::kPath)) {
        if (s.currentThread->isMainThread) {
            reportScriptError(101420, true);
            return -1;
        }
        unlinkThreadNode(*s.currentNode);
        return -1;
    }
    std::string path(argumentText(arg::thread_end::kPath));
    if (path == "SYSTEM") {
        reportScriptError(101420, true);
        return -1;
    }
    ThreadLookup found;
    if (!lookUp(path, found, true)) return -1;
    if (!found.node) {
        reportScriptErrorArgs(101400, true, path.c_str());
        return -1;
    }
    if (found.node->thread->isMainThread) {
        reportScriptError(101420, true);
        return -1;
    }
    bool self = found.node == s.currentNode;
    unlinkThreadNode(*found.node);
    return self ? -1 : 0;
}

void clearElement(uint32_t number, int64_t element) {
    if (variableType(number) == kTypeString) setString(number, element, "");
    else setNumber(number, element, 0);
}

int ThreadInfo() {
    if (evaluateArguments(cmd::kThreadInfo) < 0) return -1;
    ScriptState& s = state();
    const ArgumentValue* target = argument(info::kResult);
    if (!target) return 0;
    uint32_t number = target->variable;
    int64_t element = target->element;
    ThreadNode* node = s.currentNode;
    if (hasArgument(info::kPath)) {
        ThreadLookup found;
        if (!lookUp(argumentText(info::kPath), found, true)) return -1;
        node = found.node;
    }
    if (!node) {
        clearElement(number, element);
        return 0;
    }
    const ScriptThread& t = *node->thread;
    auto line = [&]() -> int64_t {
        if (!t.image) return 0;
        uint32_t i = &t == s.currentThread ? s.currentInstruction : (t.pc ? t.pc - 1 : 0);
        return i < t.image->lineTable.size() ? t.image->lineTable[i] : 0;
    };
    auto mark = [&](int word) {
        const auto& m = t.messageEndMark;
        size_t at = size_t(word) * 4;
        return int64_t(loadLe32(m.data() + at));
    };
    auto number64 = [&](int64_t v) { return setNumber(number, element, v) < 0 ? -1 : 0; };
    if (hasArgument(info::kExists)) return number64(1);
    if (hasArgument(info::kRunSwitch1)) return number64(t.runSwitch1);
    if (hasArgument(info::kRunSwitch2)) return number64(t.runSwitch2);
    if (hasArgument(info::kOrder)) return number64(node->order);
    if (hasArgument(info::kScriptFile)) {
        const char* name = scriptSourceName(t.scriptNumber);
        return setString(number, element, name ? name : "") < 0 ? -1 : 0;
    }
    if (hasArgument(info::kScript)) return number64(t.scriptNumber);
    if (hasArgument(info::kLine)) return number64(line());
    if (hasArgument(info::kMark1)) return number64(mark(0));
    if (hasArgument(info::kMark2)) return number64(mark(1));
    if (hasArgument(info::kBlockDepth)) return number64(t.blockDepth);
    if (hasArgument(info::kCallDepth)) return number64(t.callDepth);
    if (hasArgument(info::kLoopDepth)) return number64(t.loopDepth);
    if (hasArgument(info::kState)) return setString(number, element, threadStateText(t)) < 0 ? -1 : 0;
    return 0;
}

}  // namespace

void installThreadCommands(CommandTable& table) {
    table.slots[cmd::kThreadControl] = &ThreadControl;
    table.slots[cmd::kThreadEnd] = &ThreadEnd;
    table.slots[cmd::kThreadInfo] = &ThreadInfo;
}

}  // namespace vr
