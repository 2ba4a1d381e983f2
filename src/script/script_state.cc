#include "script/script_state.h"

#include "script/expression_state.h"
#include "script/variable_table.h"

namespace vr {

ScriptState::ScriptState()
    : variables(std::make_unique<VariableTable>()), expression(std::make_unique<ExpressionState>()) {
    root.group = true;
}

ScriptState::~ScriptState() = default;

}  // namespace vr
