// The compiled files of a game, where the engine would find them: a vrbin
// folder in any case (a folder copied from a system that ignores case keeps
// whatever case it was given), or else the members of the game's packs.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace vrc {

// The entry of `folder` named `name` (lower case) in any case, or an empty
// path.
std::filesystem::path entryNoCase(const std::filesystem::path& folder, const std::string& name, bool wantFolder);
std::string lowered(const std::filesystem::path& p);  // the file name in lower case

class GameFiles {
public:
    GameFiles();
    ~GameFiles();

    // False with a message when the folder holds neither a vrbin folder nor
    // a pack archive.
    bool open(const std::filesystem::path& game, std::string& error);

    // One file of the vrbin family by its lower-case name ("vrl.vbn").
    bool read(const std::string& name, std::vector<uint8_t>& bytes, std::string& error) const;

    // Where a file is read from, for messages.
    std::string where(const std::string& name) const;

private:
    struct Packs;
    std::filesystem::path vrbin_;  // empty when reading from packs
    std::unique_ptr<Packs> packs_;
};

}  // namespace vrc
