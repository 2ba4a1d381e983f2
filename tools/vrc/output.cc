#include "output.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>

#include "common/format_secrets.h"
#include "core/archive/pack_writer.h"
#include "game_files.h"

namespace vrc {

namespace {

std::string scriptFileName(int number) {
    char name[32];
    std::snprintf(name, sizeof name, "vrbin\\vrt%05d.vbn", number);
    return name;
}

// "vrt" and five digits: the name of a compiled script.
bool isCompiledScriptName(const std::string& lower) {
    if (lower.size() != 12 || lower.compare(0, 3, "vrt") != 0 || lower.compare(8, 4, ".vbn") != 0) return false;
    return std::all_of(lower.begin() + 3, lower.begin() + 8, [](char c) { return c >= '0' && c <= '9'; });
}

// Writes beside the destination and renames, so that a failed write never
// leaves half a file where a whole one was.
bool writeWhole(const std::filesystem::path& path, const std::vector<uint8_t>& bytes, std::string& error) {
    std::filesystem::path temporary = path;
    temporary += ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        if (!out) {
            error = temporary.string() + ": cannot write";
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temporary, path, ec);
    if (ec) {
        error = path.string() + ": " + ec.message();
        return false;
    }
    return true;
}

// After a rebuild the folder holds this build's files only: a compiled
// script whose source is gone would still be run by a stale script list of
// another tool, and a file spelt in another case would stand beside the new
// one for the engine to choose between.  Other files are the author's.
void removeStale(const std::filesystem::path& vrbin, const std::set<std::string>& written) {
    std::error_code ec;
    std::vector<std::filesystem::path> stale;
    for (auto it = std::filesystem::directory_iterator(vrbin, ec); !ec && it != std::filesystem::directory_iterator();
         it.increment(ec)) {
        std::error_code kindError;
        if (!it->is_regular_file(kindError)) continue;
        const std::string name = it->path().filename().string(), lower = lowered(it->path());
        if (written.count(lower) ? name != lower : isCompiledScriptName(lower)) stale.push_back(it->path());
    }
    for (const auto& path : stale) std::filesystem::remove(path, ec);
}

}  // namespace

FileSet compiledFiles(const CompiledGame& game, const Catalogue& catalogue) {
    FileSet files;
    files["vrbin\\vrc.vbn"] = commandFile(catalogue);
    files["vrbin\\vre.vbn"] = errorFile(catalogue);
    files["vrbin\\vrt.vbn"] = vr::writeVariableTableSize(game.highestVariable(), 0);
    std::vector<vr::ScriptListEntry> list;
    for (const CompiledScript& s : game.scripts) list.push_back({uint32_t(s.number), s.sourceName});
    files["vrbin\\vrt_list.vbn"] = vr::writeScriptList(list);
    files["vrbin\\vrv.vbn"] = vr::writeVariableDefinitions(game.variables);
    files["vrbin\\vrl.vbn"] = vr::writeLabels(game.labels);
    files["vrbin\\vrcfg.vbn"] = vr::writeEngineConfig(game.config);
    for (const CompiledScript& s : game.scripts)
        files[scriptFileName(s.number)] = vr::writeScriptFile(s.instructions, vr::secrets::scriptKey());
    return files;
}

bool writeFolder(const FileSet& files, const std::string& gameFolder, std::string& error) {
    // A vrbin folder copied from Windows may be spelt in any case; the
    // engine reads it as it is, so it is written as it is.
    std::filesystem::path vrbin = entryNoCase(gameFolder, "vrbin", true);
    if (vrbin.empty()) vrbin = std::filesystem::path(gameFolder) / "vrbin";
    std::error_code ec;
    std::filesystem::create_directories(vrbin, ec);
    if (ec) {
        error = vrbin.string() + ": " + ec.message();
        return false;
    }
    std::set<std::string> written;
    for (const auto& [name, bytes] : files) {
        std::string file = name.substr(name.find('\\') + 1);
        if (!writeWhole(vrbin / file, bytes, error)) return false;
        written.insert(file);
    }
    removeStale(vrbin, written);
    return true;
}

bool writePack(const FileSet& files, const std::string& packPath, std::string& error) {
    std::vector<vr::pack::MemberInput> members;
    for (const auto& [name, bytes] : files) members.push_back({name, bytes});
    vr::pack::WriteResult r = vr::pack::writeArchive(std::move(members), {});
    if (!r.error.empty()) {
        error = packPath + ": " + r.error;
        return false;
    }
    // As --out does, the archive's folder is made when it is missing.
    std::filesystem::path folder = std::filesystem::path(packPath).parent_path();
    std::error_code ec;
    if (!folder.empty()) std::filesystem::create_directories(folder, ec);
    if (ec) {
        error = folder.string() + ": " + ec.message();
        return false;
    }
    return writeWhole(packPath, r.bytes, error);
}

}  // namespace vrc
