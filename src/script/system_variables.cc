// System variables 0 to 999: the engine's state as the scripts see it.
//
// Rows whose state belongs to code that does not exist yet read as their
// owners will start them: the window sizes 79 to 89 and the engine text
// tables 12, 14 and 71 read 0 or the empty text.  The assignable window
// rows (15, 65-67, 78, 91, 92) keep what scripts assign in
// SystemState::pendingWrites and give it back, without side effects, until
// the window code takes them over; until a script assigns them they read 0.
// The input rows (90, 93-488) are the input state's, read and written
// through the hooks the shell fills.
//
// Start-up values: 4 is the processor count of the system information, 13
// the debug mode of the engine configuration.
#include "script/system_variables.h"

#include "core/core.h"
#include "core/error_report.h"
#include "script/script_state.h"
#include "script/variables.h"

namespace vr {

namespace {

// An engine that still says it was built for this DirectX (9.0c): games
// check the number before they start and refuse older ones.
constexpr int64_t kGraphicsVersion = 9 * 65536 + 0 * 256 + 3;
constexpr int64_t kCompiledFamilyVersion = 412;
constexpr int64_t kConstant999 = 999;
constexpr double kPi = 3.141592653589793;

bool isFloatRow(uint32_t n) { return n == 10 || n == 35 || n == 39 || n == 43; }

bool isStringRow(uint32_t n) {
    switch (n) {
    case 12: case 14: case 36: case 40: case 44:
    case 55: case 56: case 57: case 58: case 59:
    case 68: case 69: case 71: case 73: case 74: case 75: case 76: case 77:
        return true;
    default:
        return false;
    }
}

bool isInputRow(uint32_t n) { return n == 90 || (n >= 93 && n <= 488); }

// Rows 489 to 493 are computed from the number and element; there is
// nothing to keep for them.
bool isComputedRow(uint32_t n) { return n >= 489 && n <= 493; }

bool isAssignableInteger(uint32_t n) {
    switch (n) {
    case 15: case 65: case 66: case 67: case 78: case 90: case 91: case 92:
        return true;
    default:
        return n >= 93 && n <= 493;
    }
}

bool isAssignableString(uint32_t n) { return n == 68 || n == 69 || n == 74 || n == 77; }

int64_t pendingValue(uint32_t n) {
    const auto& table = scriptState().system.pendingWrites;
    auto it = table.find({n, 0});
    return it == table.end() ? 0 : it->second;
}

int64_t localTimeField(const platform::LocalTime& t, int64_t field) {
    switch (field) {
    case 0: return t.year;
    case 1: return t.month;
    case 2: return t.day;
    case 3: return t.weekday;
    case 4: return t.hour;
    case 5: return t.minute;
    case 6: return t.second;
    case 7: return t.millisecond;
    default: return 0;
    }
}

// The multimedia timer is a 32-bit millisecond count; the waits and the
// script timers work in the same width.
uint32_t tick() { return uint32_t(core().platform.millis()); }

int64_t readTimer(int64_t element) {
    if (element == 0) return tick();
    if (element < 1 || element > 4) return 0;
    const ScriptTimer& t = scriptState().timers[size_t(element - 1)];
    return uint32_t((t.running ? tick() : t.stop) - t.base);
}

// Index of call values 1 to 10, or -1.
int callValueIndex(int64_t element) { return element >= 1 && element <= kCallValues ? int(element - 1) : -1; }

const CallValues* callLevelValues(bool results) {
    const ScriptThread* th = scriptState().currentThread;
    if (!th || th->callDepth < 0 || th->callDepth > kNestingLimit) return nullptr;
    return results ? &th->callResults[size_t(th->callDepth)] : &th->callParameters[size_t(th->callDepth)];
}

const CallValues* ownValues() {
    const ScriptThread* th = scriptState().currentThread;
    return th ? &th->ownValues : nullptr;
}

// 34, 35, 36 parameters; 38, 39, 40 results; 42, 43, 44 the thread's own.
const CallValues* callValuesOf(uint32_t n) {
    if (n >= 34 && n <= 36) return callLevelValues(false);
    if (n >= 38 && n <= 40) return callLevelValues(true);
    if (n >= 42 && n <= 44) return ownValues();
    return nullptr;
}

int64_t innermostLoopPass() {
    const ScriptThread* th = scriptState().currentThread;
    if (!th || th->loopDepth <= 0 || th->loopDepth > kNestingLimit) return 0;
    return th->loopCounter[size_t(th->loopDepth - 1)];
}

// Host paths as the scripts' texts.
std::string engineText(const std::string& hostText) { return platform::utf8ToSjis(hostText); }

int reportReadOnly(uint32_t n) {
    reportScriptErrorArgs(101150, true, n);
    return -1;
}

}  // namespace

uint8_t systemVariableType(uint32_t number) {
    if (number >= kFirstUserVariable) return kTypeNone;
    if (isFloatRow(number)) return kTypeFloat;
    if (isStringRow(number)) return kTypeString;
    return kTypeInteger;
}

int64_t readSystemInteger(uint32_t number, int64_t element) {
    Core& c = core();
    ScriptState& s = scriptState();
    const RunState& shell = c.run;
    switch (number) {
    case 0:
        if (element >= 0 && element < 8) return localTimeField(c.platform.localTime(), element);
        if (element >= 8 && element < 16) return localTimeField(shell.startTime, element - 8);
        return 0;
    case 1: return readTimer(element);
    case 2: return shell.osCode;
    case 3: return kGraphicsVersion;
    case 4: return shell.processorCount;
    case 5: return int64_t(c.platform.memoryStatus().totalBytes);
    case 6: return c.platform.memoryStatus().loadPercent;
    case 7: return int64_t(c.platform.memoryStatus().availableBytes);
    case 9: return shell.folderReadOnly ? 1 : 0;
    case 11: return s.loopWatch ? 1 : 0;
    case 13: return c.files.config.debugMode;
    case 32: return innermostLoopPass();
    case 33: return kConstant999;
    case 34: case 38: case 42: {
        const CallValues* v = callValuesOf(number);
        int k = callValueIndex(element);
        return v && k >= 0 ? v->integers[size_t(k)] : 0;
    }
    case 60: return kCompiledFamilyVersion;
    case 62: return shell.screenBitsPerPixel;
    case 63: return shell.screenWidth;
    case 64: return shell.screenHeight;
    case 70: return c.files.publishedValue;
    case 72: return int64_t(s.root.children.size());
    default: break;
    }
    if (number == 15 || (number >= 65 && number <= 67) || number == 78 || number == 91 || number == 92)
        return pendingValue(number);
    if (isInputRow(number)) {
        const ScriptHooks& hooks = scriptState().hooks;
        return hooks.readInputRow ? hooks.readInputRow(number, element) : 0;
    }
    // The table position the input rows use; wrapping, as any element may
    // come from a script.
    if (number >= 489 && number <= 492) return int64_t(uint64_t(number) + uint64_t(element) * 36u - 233u);
    if (number == 493) {
        uint64_t rowStart = uint64_t(element / 32) * 36u;
        return int64_t(rowStart + uint64_t(element % 32) + 260u);
    }
    return 0;
}

double readSystemFloat(uint32_t number, int64_t element) {
    if (number == 10) return kPi;
    if (number == 35 || number == 39 || number == 43) {
        const CallValues* v = callValuesOf(number);
        int k = callValueIndex(element);
        return v && k >= 0 ? v->floats[size_t(k)] : 0.0;
    }
    return 0.0;
}

std::string readSystemString(uint32_t number, int64_t element) {
    Core& c = core();
    const SystemState& s = scriptState().system;
    switch (number) {
    case 36: case 40: case 44: {
        const CallValues* v = callValuesOf(number);
        int k = callValueIndex(element);
        return v && k >= 0 ? v->strings[size_t(k)] : std::string();
    }
    case 55: return engineText(c.run.exePath);
    case 56: return engineText(c.run.exeFolder);
    case 57: return s.saveFolder;
    case 58: return engineText(c.run.appDataFolder);
    case 59: return engineText(c.run.documentsFolder);
    case 68: return s.messageText1;
    case 69: return s.messageText2;
    case 73: {
        // Byte 0 would end the text where it starts: it gives the empty text.
        char byte = char(uint8_t(element & 0xFF));
        return byte ? std::string(1, byte) : std::string();
    }
    case 74: return s.defaultRoots[kRootObjects];
    case 75: return s.defaultRoots[kRootThreads];
    case 76: return s.defaultRoots[kRootMenus];
    case 77: return s.defaultRoots[kRootSounds];
    default: return std::string();
    }
}

int writeSystemInteger(uint32_t number, int64_t element, int64_t value) {
    if (number >= kFirstUserVariable) return -1;  // the store keeps user variables itself
    uint8_t type = systemVariableType(number);
    if (type == kTypeFloat) return 0;
    if (type != kTypeInteger || !isAssignableInteger(number)) return reportReadOnly(number);
    if (isComputedRow(number)) return 0;
    if (isInputRow(number)) {
        if (const ScriptHooks& hooks = scriptState().hooks; hooks.writeInputRow) hooks.writeInputRow(number, element, value);
        return 0;
    }
    scriptState().system.pendingWrites[{number, 0}] = value;
    return 0;
}

int writeSystemString(uint32_t number, int64_t /*element*/, std::string_view text) {
    if (number >= kFirstUserVariable) return -1;  // the store keeps user variables itself
    uint8_t type = systemVariableType(number);
    if (type == kTypeFloat) return 0;
    if (type != kTypeString || !isAssignableString(number)) return reportReadOnly(number);
    SystemState& s = scriptState().system;
    switch (number) {
    case 68: s.messageText1.assign(text); break;
    case 69: s.messageText2.assign(text); break;
    case 74: s.defaultRoots[kRootObjects].assign(text); break;
    case 77: s.defaultRoots[kRootSounds].assign(text); break;
    default: break;
    }
    return 0;
}

void recordStartTime() {
    Core& c = core();
    c.run.startTime = c.platform.localTime();
}

void initialiseSystemVariables() {
    Core& c = core();
    ScriptState& s = scriptState();
    uint32_t now = tick();
    for (ScriptTimer& t : s.timers) t = ScriptTimer{now, now, true};
    s.system.random.seed(c.run.randomSeedClock);
    s.system.randomSeeded = true;
}

uint32_t engineRandom() {
    SystemState& s = scriptState().system;
    if (!s.randomSeeded) {
        s.random.seed(core().run.randomSeedClock);
        s.randomSeeded = true;
    }
    return uint32_t(s.random());
}

}  // namespace vr
