// The expression machine's state (owned by expression_machine.cc).
#pragma once

namespace vr {

struct ExpressionState {
};

}  // namespace vr
