// Feeds arbitrary bytes to every reader of the vrbin\ engine files, each on a
// fresh headless engine, and exercises what a successful load builds.

#include <cstddef>
#include <cstdint>

#include "core/engine_files.h"
#include "platform/headless/headless.h"
#include "shell/engine.h"

namespace {

using Parser = int (*)(const uint8_t*, size_t, std::string_view);

struct FreshEngine {
    FreshEngine() : host(vr::platform::HeadlessOptions{}), e(host), binding(e) {}
    vr::platform::HeadlessPlatform host;
    vr::Engine e;
    vr::EngineBinding binding;
};

int countingCreator(const vr::VariableRecord& record) { return record.expression.size() > 1000 ? -1 : 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Parser parsers[] = {&vr::parseErrorMessages, &vr::parseCommandDefinitions, &vr::parseVariableTableSize,
                              &vr::parseEngineConfig};
    for (Parser parse : parsers) {
        FreshEngine f;
        parse(data, size, "vrbin\\fuzz.vbn");
    }
    {
        FreshEngine f;
        if (vr::parseScriptList(data, size, "vrbin\\vrt_list.vbn") == 0) vr::scriptSourceName(0);
    }
    {
        FreshEngine f;
        if (vr::parseLabels(data, size, "vrbin\\vrl.vbn") == 0) {
            for (const vr::Label& label : f.e.core.files.labels) vr::findLabelIndex(label.name);
            vr::findLabelIndex("SYSTEM_START");
        }
    }
    {
        FreshEngine f;
        f.e.core.files.variables.resize(2048);
        if (vr::parseVariableDefinitions(data, size, "vrbin\\vrv.vbn") == 0) {
            vr::applyVariableDefinitions(-1);
            vr::applyVariableDefinitions(0);
            f.e.core.files.createVariable = &countingCreator;
            vr::applyVariableDefinitions(-1);
            vr::applyVariableDefinitions(1);
        }
    }
    return 0;
}
