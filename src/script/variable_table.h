// The variable records (owned by variables.cc).
#pragma once

#include <vector>

namespace vr {

struct VariableTable {
};

}  // namespace vr
