#include "script/constant_expression.h"

#include "script/expression_state.h"

namespace vr {

ConstantEvaluator::ConstantEvaluator() : machine_(std::make_unique<ExpressionState>()) {
    machine_->detached = true;
    machine_->constantMode = true;
}

ConstantEvaluator::~ConstantEvaluator() = default;

bool ConstantEvaluator::succeeded() const { return !machine_->failed && !machine_->notConstant; }

std::optional<int64_t> ConstantEvaluator::numeric(uint8_t evalType, const uint8_t* code, uint32_t length) {
    machine_->notConstant = false;
    int64_t v = numericOn(*machine_, evalType, code, length);
    if (!succeeded()) return std::nullopt;
    return v;
}

std::optional<double> ConstantEvaluator::floating(uint8_t evalType, const uint8_t* code, uint32_t length) {
    machine_->notConstant = false;
    double v = floatingOn(*machine_, evalType, code, length);
    if (!succeeded()) return std::nullopt;
    return v;
}

std::optional<std::string> ConstantEvaluator::string(uint8_t evalType, const uint8_t* code, uint32_t length) {
    machine_->notConstant = false;
    uint16_t number = stringOn(*machine_, evalType, code, length);
    if (!succeeded() || number == 0) return std::nullopt;
    return std::string(machine_->strings[number].get(), machine_->stringLengths[number]);
}

}  // namespace vr
