#include "core/core.h"
#include "script/script_state.h"
#include "script/variable_dump.h"
#include "script/variable_table.h"
#include "script/variables.h"

namespace vr {

namespace {

bool snapshot(uint32_t number, VariableSnapshot& v) {
    v = VariableSnapshot{};
    const Variable* record = variableRecord(number);
    if (!record || record->type < kTypeInteger || record->type > kTypeString) return false;
    if (record->dimensionCount < 0 || record->dimensionCount > kDumpDimensions) return false;
    v.number = number;
    v.type = record->type;
    v.dimensionCount = record->dimensionCount;
    for (int d = 0; d < v.dimensionCount; ++d) v.sizes[size_t(d)] = record->dimensions[size_t(d)];
    for (int64_t i = 0; i < record->elementCount; ++i) {
        switch (v.type) {
        case kTypeInteger: v.integers.push_back(getInteger(number, i)); break;
        case kTypeFloat: v.floats.push_back(getFloat(number, i)); break;
        default: v.strings.push_back(getString(number, i)); break;
        }
    }
    return true;
}

}  // namespace

int dumpUserVariables(const std::string& hostPath) {
    platform::File out;
    if (!out.openHost(hostPath, platform::OpenMode::Write)) return -1;
    int32_t highest = core().files.highestVariable;
    VariableSnapshot v;
    for (int64_t n = kFirstUserVariable; n <= highest; ++n) {
        if (!snapshot(uint32_t(n), v)) continue;
        std::string line = formatVariable(v);
        line += '\n';
        if (!out.write(line.data(), line.size())) return -1;
    }
    return 0;
}

}  // namespace vr
