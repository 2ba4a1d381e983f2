// The compiled engine files of a game, by their engine names
// ("vrbin\\vrc.vbn" ...), and the two ways of storing them: a vrbin folder
// below the game folder, or a pack archive.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "catalogue.h"
#include "compiler.h"

namespace vrc {

using FileSet = std::map<std::string, std::vector<uint8_t>>;

FileSet compiledFiles(const CompiledGame& game, const Catalogue& catalogue);

// False with a message when a file cannot be written.
bool writeFolder(const FileSet& files, const std::string& gameFolder, std::string& error);
bool writePack(const FileSet& files, const std::string& packPath, std::string& error);

}  // namespace vrc
