// The engine's side of the link with the development compiler: when the
// compiled engine files are not packed, the compiler in the game folder
// compiles the sources and hands the compiled files over in memory.
#pragma once

#include <string>
#include <vector>

#include "core/archive/loader.h"

namespace vr {

// One exchange with the compiler, as a reload needs it too.
struct CompilerExchange {
    enum class Outcome {
        Compiled,       // result 1: the items and the data folder are the new game
        CompileFailed,  // the compiler finished with another result (its first error below)
        Ended,          // the compiler ended without the done flag
        NotStarted,     // the compiler could not be started (message shown)
        Refused,        // the blocks could not be set up, or held nonsense (message shown)
    };
    Outcome outcome = Outcome::Ended;
    std::vector<HandOverItem> items;
    std::string dataFolder;  // host path, from the control block
    // The first compile error of a failed run, when the compiler handed it over.
    bool hasError = false;
    std::string errorFile;  // as the script list names it (Shift_JIS)
    int errorLine = 1, errorColumn = 1;
    std::string errorMessage;  // Shift_JIS
};

// Runs the compiler of the game folder (the current directory) once.
// `whileCompiling` runs once while the compiler works.  `quiet` asks the
// compiler to leave the showing of its errors to the engine.
void exchangeWithCompiler(CompilerExchange& exchange, bool quiet, void (*whileCompiling)());

// Whether the game folder holds the development compiler.
bool compilerPresent();

// Start-up: true when compiled files are there to be read (handed over, or
// loose files when the game folder has no compiler) and the data folder is
// the current directory.  Every failure has been shown, or left to the
// compiler to show.
bool runCompilerLink(void (*whileCompiling)());

}  // namespace vr
