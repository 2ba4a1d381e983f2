// Everything script execution keeps: loaded scripts, the thread tree, the
// interpreter's globals, the evaluated arguments, the variables and the
// expression machine.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/bound_record.h"
#include "script/arguments.h"
#include "script/command_table.h"
#include "script/fast_expression.h"
#include "script/script_file.h"
#include "script/script_thread.h"
#include "script/system_state.h"

namespace vr {

struct VariableTable;    // script/variable_table.h
enum class FlowStep : uint8_t;  // commands/flow_steps.h
struct ExpressionState;  // script/expression_state.h

// An argument record as the loader decoded it (decodeArgumentRecord), with
// what the loader worked out once: a jump's constant label (in `length`,
// as kResolvedLabelFlag + the label number), a call's constant label, and
// the integer expression when it has one of the decoded shapes.  A record
// takes a cache line of its own: one split across two lines costs the
// in-line steps about a tenth of their time.
struct alignas(64) DecodedRecord : ScriptArgumentView {
    uint16_t callLabel = 0;  // 0: looked up by name when the call runs
    FastExpression fast;
};
static_assert(sizeof(DecodedRecord) == 64);

// A loaded script: the file image made readable and the per-instruction
// tables the interpreter indexes.
struct ScriptImage {
    int32_t instructionCount = 0;
    std::array<std::vector<CommandHandler>, 2> executors;  // [0] paused, [1] the handlers
    std::vector<uint8_t> commands;
    std::vector<uint8_t> argumentCounts;
    std::vector<const uint8_t*> argumentLists;  // into `file`, 12 bytes per record (read as decoded `records`)
    const uint8_t* expressionArea = nullptr;
    uint32_t expressionSize = 0;
    std::vector<uint32_t> lineTable;
    // Every argument record decoded at load time, in file order
    // (firstRecord[i] is instruction i's first), with its integer
    // expression when it has one of the decoded shapes.
    std::vector<uint32_t> firstRecord;
    std::vector<DecodedRecord> records;
    std::vector<FastOperation> fastPool;
    // The instructions the interpreter runs in line (commands/flow_steps.h).
    std::vector<FlowStep> flowSteps;
    std::vector<uint8_t> file;  // the unscrambled file, kept for the run
};

// A node of the thread tree: named, its children sorted ascending by
// `order` as the object tree sorts its nodes (equal orders in creation
// order), each carrying a thread.  The walk runs from the last child to the
// first, so the highest order, and of equals the newest, runs first.
struct ThreadNode {
    std::string name;
    int64_t order = 1;
    bool group = false;
    ThreadNode* parent = nullptr;
    std::vector<std::unique_ptr<ThreadNode>> children;
    std::unique_ptr<ScriptThread> thread = std::make_unique<ScriptThread>();
};

struct ScriptTimer {
    uint32_t base = 0, stop = 0;
    bool running = true;
};

// What the layers above lend the interpreter, filled when the engine is
// made: the message window serves input waits, the shell keeps the window
// alive while a paused thread waits and owns the input rows of the system
// variables and the key counters.
struct ScriptHooks {
    void (*serveInputWait)(ScriptThread& thread) = nullptr;
    void (*pumpWhilePaused)() = nullptr;
    int64_t (*readInputRow)(uint32_t number, int64_t element) = nullptr;
    void (*writeInputRow)(uint32_t number, int64_t element, int64_t value) = nullptr;
    int64_t (*keyCounter)(int64_t key) = nullptr;
};

struct ScriptState {
    ScriptState();
    ~ScriptState();
    ScriptState(const ScriptState&) = delete;
    ScriptState& operator=(const ScriptState&) = delete;

    std::vector<std::unique_ptr<ScriptImage>> scripts;  // by script number; null = not loaded
    ThreadNode root;  // the thread tree's root container
    std::vector<std::unique_ptr<ThreadNode>> endedThreads;  // freed after the frame's walk
    ThreadNode* currentNode = nullptr;
    ScriptThread* currentThread = nullptr;
    uint32_t currentInstruction = 0;
    uint8_t lastStatus = 0;
    // The frame counter and the re-run request are core's
    // (RunState::frameCounter, RunState::runAgain).
    uint8_t pauseState = 0;       // 1: paused, the window is inactive
    uint32_t pausedSince = 0;
    bool runInBackground = true;
    bool loopWatch = false;       // the endless-loop watch (debug mode)
    uint8_t cornerBits = 0;
    uint64_t instructionCounter = 0;
    // When not 0, the run ends (as a quit) after this many instructions:
    // a bound for fuzzing and for tests of scripts that never wait.
    uint64_t instructionLimit = 0;
    uint64_t instructionsRun = 0;
    std::array<ScriptTimer, 4> timers;
    uint8_t engineSetting = 0;    // the setting byte of command 75

    SystemState system;  // values behind the system variables
    EvaluatedArguments arguments;
    std::unique_ptr<VariableTable> variables;
    std::unique_ptr<ExpressionState> expression;
    CommandTable commands;
    ScriptHooks hooks;
};

// The script state the engine works on; the shell binds it with the rest
// of the engine.
inline ScriptState& scriptState() { return boundRecord<ScriptState>(); }

}  // namespace vr
