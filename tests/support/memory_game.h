// A small game compiled by the real compiler and loaded into the bound
// headless engine from memory, as start-up loads a game: tables, variables,
// labels and the main thread at *SYSTEM_START.  Nothing runs yet.
#pragma once

#include <string>

#include "support/headless_engine.h"

namespace vr::test {

// Fails the test (fatally) when the script does not compile or load.
void loadCompiledGame(HeadlessEngine& h, const std::string& source);

}  // namespace vr::test
