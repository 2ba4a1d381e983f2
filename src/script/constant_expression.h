// Expression code of constants evaluated without an engine.
//
// The script compiler folds its constant expressions with this machine,
// which is the engine's own expression machine in a state record of its
// own: a folded value is what the engine computes when it runs the code,
// to the bit, because it is computed by the same code.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace vr {

struct ExpressionState;

class ConstantEvaluator {
public:
    ConstantEvaluator();
    ~ConstantEvaluator();
    ConstantEvaluator(const ConstantEvaluator&) = delete;
    ConstantEvaluator& operator=(const ConstantEvaluator&) = delete;

    // What the engine's numeric, floating and string evaluators give for
    // the code and evaluation type (script/expression_machine.h); nothing
    // when the code reads a variable or its evaluation stops with an error
    // (which the engine reports when it runs the code), and, for the
    // string evaluator, when the result is a number.
    std::optional<int64_t> numeric(uint8_t evalType, const uint8_t* code, uint32_t length);
    std::optional<double> floating(uint8_t evalType, const uint8_t* code, uint32_t length);
    std::optional<std::string> string(uint8_t evalType, const uint8_t* code, uint32_t length);

private:
    bool succeeded() const;

    std::unique_ptr<ExpressionState> machine_;
};

}  // namespace vr
