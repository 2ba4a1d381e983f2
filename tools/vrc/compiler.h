// The compiler proper: a game's script sources to the content of the
// compiled engine files.  Two passes: the first reads the configuration and
// every declaration of every file (a global may be used in a file that
// comes before the one declaring it), the second compiles the statements.
#pragma once

#include <string>
#include <vector>

#include "catalogue.h"
#include "core/engine_files_writer.h"
#include "diagnostics.h"
#include "script/script_file.h"
#include "source_text.h"
#include "symbols.h"

namespace vrc {

struct CompiledScript {
    int number = 0;
    std::string sourceName;  // Shift_JIS, as the engine names the file in reports
    std::vector<vr::ScriptInstruction> instructions;
};

struct CompiledGame {
    std::vector<CompiledScript> scripts;
    std::vector<vr::LabelEntry> labels;
    std::vector<vr::VariableRecord> variables;
    vr::EngineConfigFile config;
    SymbolTable symbols;
    int highestVariable() const { return std::max(symbols.highestNumber(), kFirstUserVariable - 1); }
};

// Nesting limits of the engine: 64 open blocks or loops are an error there,
// so 63 is the deepest a script may go.
inline constexpr int kMaxNesting = 63;
inline constexpr int kMaxCallArguments = 10;

// The first pass over one source: its "#config" lines and declarations.
// Also reads the configuration given on vrc's command line.
void readDeclarations(const SourceText& source, int script, CompiledGame& game, Diagnostics& diagnostics);

// Sources in script-number order.  False when any error was reported.
bool compileGame(const std::vector<SourceText>& sources, const Catalogue& catalogue, CompiledGame& game,
                 Diagnostics& diagnostics);

}  // namespace vrc
