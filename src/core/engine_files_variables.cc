// vrv.vbn: the variable definitions.  The image is kept for the whole run and
// walked again each time a script is loaded, so its record walk is checked
// completely when it is loaded; applying then only has to decide which
// records apply.

#include "core/core.h"
#include "core/engine_files.h"
#include "core/engine_files_internal.h"
#include "core/error_report.h"

namespace vr {

namespace {

constexpr const char* kVariableDefinitionsName = "vrbin\\vrv.vbn";
// scope, script, number, type, dimension count; then at least a string's
// empty length word.
constexpr size_t kMinVariableRecord = 9;

}  // namespace

bool detail::readVariableRecord(ByteReader& in, VariableRecord& r) {
    r.scope = in.u8();
    r.script = in.u16();
    r.number = in.u16();
    r.type = in.u8();
    r.dimensionCount = in.i8();
    if (!in.ok() || r.dimensionCount < 0 || r.dimensionCount > VariableRecord::kMaxDimensions) return false;
    r.dimensions.fill(0);
    for (int d = 0; d < r.dimensionCount; ++d) r.dimensions[size_t(d)] = in.u32();
    r.intValue = 0;
    r.floatValue = 0;
    r.expression.clear();
    switch (r.type) {
    case VariableRecord::kInteger:
        r.intValue = in.i64();
        break;
    case VariableRecord::kFloat:
        r.floatValue = in.f64();
        break;
    case VariableRecord::kString: {
        uint16_t length = in.u16();
        std::string_view code = in.view(length);
        r.expression.assign(code.begin(), code.end());
        break;
    }
    default:
        // Without a known type the record's size, and so every record after
        // it, is unknown.
        return false;
    }
    return in.ok();
}

int parseVariableDefinitions(const uint8_t* data, size_t size, std::string_view name) {
    ByteReader in(data, size);
    in.skip(detail::kFileHeaderSize);
    uint16_t count = in.u16();
    if (!in.ok() || !detail::countFits(in, count, kMinVariableRecord)) return detail::refuseFile(name);
    VariableRecord record;
    for (int i = 0; i < count; ++i) {
        if (!detail::readVariableRecord(in, record)) return detail::refuseFile(name);
    }
    core().files.variableDefinitions.assign(data, data + size);
    return 0;
}

int applyVariableDefinitions(int scriptNumber) {
    EngineFiles& files = core().files;
    if (files.variableDefinitions.empty()) return 0;
    ByteReader in(files.variableDefinitions);
    in.skip(detail::kFileHeaderSize);
    uint16_t count = in.u16();
    VariableRecord record;
    for (int i = 0; i < count; ++i) {
        // Checked when the file was loaded; failing here means the image was
        // changed since.
        if (!detail::readVariableRecord(in, record)) return detail::refuseFile(kVariableDefinitionsName);
        bool applies = scriptNumber == -1 ? record.scope == VariableRecord::kGlobal
                                          : record.scope == VariableRecord::kScriptLocal &&
                                                int(record.script) == scriptNumber;
        if (!applies) continue;
        if (record.number >= files.variables.size()) {
            reportError(900070, true);
            return -1;
        }
        if (files.createVariable) {
            if (files.createVariable(record) < 0) return -1;
        } else {
            files.variables[record.number].type = record.type;
        }
    }
    return 0;
}

}  // namespace vr
