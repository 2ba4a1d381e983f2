#include "support/memory_game.h"

#include <gtest/gtest.h>

#include "catalogue.h"
#include "common/format_secrets.h"
#include "compiler.h"
#include "core/engine_files.h"
#include "output.h"
#include "script/interpreter.h"
#include "script/script_loader.h"
#include "script/variables.h"

namespace vr::test {

void loadCompiledGame(HeadlessEngine& h, const std::string& source) {
    vrc::Catalogue catalogue;
    std::string error;
    ASSERT_TRUE(vrc::loadCatalogue(vrc::embeddedCommands(), vrc::embeddedErrors(), vrc::embeddedErrno(), catalogue,
                                   error))
        << error;
    vrc::Diagnostics diagnostics;
    std::vector<vrc::SourceText> sources{vrc::readSource("main.vrs", source, diagnostics)};
    vrc::CompiledGame game;
    ASSERT_TRUE(vrc::compileGame(sources, catalogue, game, diagnostics));
    for (auto& [name, bytes] : vrc::compiledFiles(game, catalogue))
        h.e.core.loader.memoryItems[0].push_back({name, FileType::Other, bytes});
    h.e.core.run.scriptKey = secrets::scriptKey();
    // Loading the command definitions installs the command handlers.
    ASSERT_EQ(loadErrorMessages(), 0);
    ASSERT_EQ(loadCommandDefinitions(), 0);
    ASSERT_EQ(loadVariableTableSize(), 0);
    ASSERT_EQ(createVariableTable(), 0);
    ASSERT_EQ(loadScriptList(), 0);
    ASSERT_EQ(createScriptTable(), 0);
    ASSERT_EQ(loadVariableDefinitions(), 0);
    ASSERT_EQ(initialiseVariables(-1), 0);
    ASSERT_EQ(loadLabels(), 0);
    ASSERT_EQ(startMainThread(), 0);
}

}  // namespace vr::test
