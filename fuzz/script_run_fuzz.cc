// Arbitrary bytes as a game's only compiled script: loaded as the engine
// loads it and run for a bounded number of instructions.  The rest of the
// game is a real compiled one (the catalogue's command definitions, a label
// SYSTEM_START at instruction 0), so that every handler can be reached.
#include <cstddef>
#include <cstdint>
#include <string>

#include "catalogue.h"
#include "common/format_secrets.h"
#include "core/archive/loader.h"
#include "core/engine_files.h"
#include "core/engine_files_writer.h"
#include "platform/headless/headless.h"
#include "script/command_table.h"
#include "script/interpreter.h"
#include "script/script_loader.h"
#include "script/variables.h"
#include "shell/engine.h"
#include "shell/wiring.h"

namespace {

struct GameFiles {
    std::vector<uint8_t> commands, errors, table, list, labels;
};

const GameFiles& files() {
    static const GameFiles f = [] {
        vrc::Catalogue c;
        std::string error;
        vrc::loadCatalogue(vrc::embeddedCommands(), vrc::embeddedErrors(), vrc::embeddedErrno(), c, error);
        GameFiles g;
        g.commands = vrc::commandFile(c);
        g.errors = vrc::errorFile(c);
        g.table = vr::writeVariableTableSize(1100, 0);
        g.list = vr::writeScriptList({{0, "fuzz.vrs"}});
        g.labels = vr::writeLabels({{"SYSTEM_START", 0, 0, 0, 0}, {"a", 1, 0, 0, 0}, {"b", 5, 0, 1, 1}});
        return g;
    }();
    return f;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vr::platform::HeadlessPlatform host{vr::platform::HeadlessOptions{}};
    vr::Engine e(host);
    vr::EngineBinding binding(e);
    const GameFiles& g = files();
    if (vr::parseErrorMessages(g.errors.data(), g.errors.size(), "vre") < 0 ||
        vr::parseCommandDefinitions(g.commands.data(), g.commands.size(), "vrc") < 0 ||
        vr::parseVariableTableSize(g.table.data(), g.table.size(), "vrt") < 0 ||
        vr::parseScriptList(g.list.data(), g.list.size(), "vrt_list") < 0 ||
        vr::parseLabels(g.labels.data(), g.labels.size(), "vrl") < 0)
        __builtin_trap();
    vr::installCommandHandlers(e.script.commands);
    e.core.run.scriptKey = vr::secrets::scriptKey();
    vr::createVariableTable();
    vr::createScriptTable();
    e.core.loader.memoryItems[0].push_back({"vrbin\\vrt00000.vbn", vr::FileType::Other, {data, data + size}});
    e.script.instructionLimit = 20000;
    if (vr::startMainThread() < 0) return 0;
    for (int frame = 0; frame < 8 && !e.core.run.quitRequested; ++frame) {
        ++e.core.run.frameCounter;
        vr::runFrame(e.script.root);
        vr::releaseEndedThreads();
        host.sleep(16);
    }
    return 0;
}
