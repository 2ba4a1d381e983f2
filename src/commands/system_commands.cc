#include "commands/system_commands.h"

#include "commands/system_operations.h"
#include "script/arguments.h"
#include "core/error_report.h"
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

constexpr uint8_t kEndProgram = 12, kSetCheckSwitches = 13, kSetFrameRate = 23, kLabelExists = 38,
                  kMathFunction = 46;

}  // namespace

int DoNothing() { return 0; }

int EndProgram() {
    if (evaluateArguments(kEndProgram) < 0) return -1;
    endProgram(hasArgument(0), argumentInteger(0));
    return -1;  // the program is ending: this thread runs no further
}

int SetCheckSwitches() {
    if (evaluateArguments(kSetCheckSwitches) < 0) return -1;
    for (int id = 2; id < kArgumentIds; ++id) {
        if (hasArgument(id)) setCheckSwitch(id - 1, argumentInteger(id));
    }
    return 0;
}

int SetFrameRate() {
    if (evaluateArguments(kSetFrameRate) < 0) return -1;
    setFrameRate(hasArgument(0), argumentInteger(0), hasArgument(1), argumentInteger(1));
    return 0;
}

int LabelExists() {
    if (evaluateArguments(kLabelExists) < 0) return -1;
    const ArgumentValue* target = argument(1);
    if (!hasArgument(2) || !target) return 0;
    uint8_t type = variableType(target->variable);
    if (type != kTypeInteger && type != kTypeFloat) {
        reportScriptError(101140, true);
        return -1;
    }
    setNumber(target->variable, target->element, labelExists(argumentText(0)) ? 1 : 0);
    return 0;
}

int MathFunction() {
    if (evaluateArguments(kMathFunction) < 0) return -1;
    uint32_t present = 0;
    for (int id = kMathSin; id <= kMathCrc32; ++id) {
        if (hasArgument(id)) present |= 1u << id;
    }
    int function = selectMathFunction(present);
    if (function < 0) return 0;
    MathResult r = applyMathFunction(function, operandOf(1), operandOf(2), argumentText(3));
    const ArgumentValue* target = argument(0);
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
    s[0] = &EvaluateOnly<0>;
    s[14] = &EvaluateOnly<14>;
    s[52] = &EvaluateOnly<52>;
    s[53] = &EvaluateOnly<53>;
    s[58] = &EvaluateOnly<58>;
    s[70] = &EvaluateOnly<70>;
    s[82] = &EvaluateOnly<82>;
    for (int slot : {9, 37, 59, 62, 64, 65, 66}) s[slot] = &DoNothing;
    s[kEndProgram] = &EndProgram;
    s[kSetCheckSwitches] = &SetCheckSwitches;
    s[kSetFrameRate] = &SetFrameRate;
    s[kLabelExists] = &LabelExists;
    s[kMathFunction] = &MathFunction;
}

}  // namespace vr
