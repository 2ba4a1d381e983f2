#include "commands/system_commands.h"

#include "commands/system_operations.h"
#include "common/command_ids.h"
#include "core/error_report.h"
#include "script/arguments.h"
#include "script/expression_machine.h"
#include "script/variables.h"

namespace vr {

namespace {

// Evaluation types 2 and 4 compute in floating arithmetic.
bool isFloatingEvaluation(uint8_t evalType) { return evalType == 2 || evalType == 4; }

// A numeric argument keeps only its integer value; a floating operand is
// evaluated again for its double.
MathOperand operandOf(int id) {
    MathOperand op;
    const ArgumentValue* v = argument(id);
    if (!v) return op;
    op.integer = v->integer;
    op.floating = isFloatingEvaluation(v->evalType);
    if (op.floating) op.real = evaluateFloating(v->evalType, v->raw, v->length);
    return op;
}

// The same handler in several slots still evaluates with its own slot's
// argument definitions.
template <uint8_t Slot>
int EvaluateOnly() {
    return evaluateArguments(Slot) < 0 ? -1 : 0;
}

namespace math = arg::math_function;
namespace label_exists = arg::label_exists;

}  // namespace

int DoNothing() { return 0; }

int EndProgram() {
    if (evaluateArguments(cmd::kEndProgram) < 0) return -1;
    endProgram(hasArgument(arg::end_program::kRestart), argumentInteger(arg::end_program::kRestart));
    return -1;  // the program is ending: this thread runs no further
}

int SetCheckSwitches() {
    if (evaluateArguments(cmd::kSetCheckSwitches) < 0) return -1;
    // checkN sets switch N; the ids past the catalogue's last are taken too.
    constexpr int kFirst = arg::set_check_switches::kCheck1;
    for (int id = kFirst; id < kArgumentIds; ++id) {
        if (hasArgument(id)) setCheckSwitch(id - kFirst + 1, argumentInteger(id));
    }
    return 0;
}

int SetFrameRate() {
    if (evaluateArguments(cmd::kSetFrameRate) < 0) return -1;
    namespace rate = arg::set_frame_rate;
    setFrameRate(hasArgument(rate::kRate), argumentInteger(rate::kRate), hasArgument(rate::kAllowSkip),
                 argumentInteger(rate::kAllowSkip));
    return 0;
}

int LabelExists() {
    if (evaluateArguments(cmd::kLabelExists) < 0) return -1;
    const ArgumentValue* target = argument(label_exists::kResult);
    if (!hasArgument(label_exists::kExists) || !target) return 0;
    uint8_t type = variableType(target->variable);
    if (type != kTypeInteger && type != kTypeFloat) {
        reportScriptError(101140, true);
        return -1;
    }
    setNumber(target->variable, target->element, labelExists(argumentText(label_exists::kLabel)) ? 1 : 0);
    return 0;
}

int MathFunction() {
    if (evaluateArguments(cmd::kMathFunction) < 0) return -1;
    uint32_t present = 0;
    for (int id = kMathSin; id <= kMathCrc32; ++id) {
        if (hasArgument(id)) present |= 1u << id;
    }
    int function = selectMathFunction(present);
    if (function < 0) return 0;
    MathResult r = applyMathFunction(function, operandOf(math::kOperand1), operandOf(math::kOperand2),
                                     argumentText(math::kText));
    const ArgumentValue* target = argument(math::kResult);
    if (!target) return 0;
    // The setters convert to the target's type; a string target is reported
    // there, with the stop flag.
    if (r.floating)
        setFloat(target->variable, target->element, r.real);
    else
        setNumber(target->variable, target->element, r.integer);
    return 0;
}

void installSystemCommands(CommandTable& table) {
    CommandHandler* s = table.slots.data();
    s[cmd::kEvaluateOnly0] = &EvaluateOnly<cmd::kEvaluateOnly0>;
    s[cmd::kEvaluateOnly14] = &EvaluateOnly<cmd::kEvaluateOnly14>;
    s[cmd::kEvaluateOnly52] = &EvaluateOnly<cmd::kEvaluateOnly52>;
    s[cmd::kEvaluateOnly53] = &EvaluateOnly<cmd::kEvaluateOnly53>;
    s[cmd::kEvaluateOnly58] = &EvaluateOnly<cmd::kEvaluateOnly58>;
    s[cmd::kEvaluateOnly70] = &EvaluateOnly<cmd::kEvaluateOnly70>;
    s[cmd::kEvaluateOnly82] = &EvaluateOnly<cmd::kEvaluateOnly82>;
    for (uint8_t slot : {cmd::kDoNothing9, cmd::kDoNothing37, cmd::kDoNothing59, cmd::kDoNothing62,
                         cmd::kDoNothing64, cmd::kDoNothing65, cmd::kDoNothing66})
        s[slot] = &DoNothing;
    s[cmd::kEndProgram] = &EndProgram;
    s[cmd::kSetCheckSwitches] = &SetCheckSwitches;
    s[cmd::kSetFrameRate] = &SetFrameRate;
    s[cmd::kLabelExists] = &LabelExists;
    s[cmd::kMathFunction] = &MathFunction;
}

}  // namespace vr
