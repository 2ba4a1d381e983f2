// Compiling a folder of sources into the compiled engine files: what
// "vrc build" writes and what the development link hands to the engine.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "diagnostics.h"
#include "output.h"

namespace vrc {

// Every .vrs file below `folder`, in the order of their paths.
std::vector<std::filesystem::path> findSources(const std::filesystem::path& folder);

// Compiles the sources below `folder` (named relative to it in messages and
// in the script list), `configs` applied after the sources' own #config
// lines.  False with the diagnostics filled, or with `problem` set when
// there was nothing to compile or a file could not be read.
bool compileFolder(const std::filesystem::path& folder, const std::vector<std::string>& configs, FileSet& files,
                   Diagnostics& diagnostics, std::string& problem);

}  // namespace vrc
