#include "output.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "common/format_secrets.h"
#include "core/archive/pack_writer.h"

namespace vrc {

namespace {

std::string scriptFileName(int number) {
    char name[32];
    std::snprintf(name, sizeof name, "vrbin\\vrt%05d.vbn", number);
    return name;
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
    std::filesystem::path vrbin = std::filesystem::path(gameFolder) / "vrbin";
    std::error_code ec;
    std::filesystem::create_directories(vrbin, ec);
    if (ec) {
        error = vrbin.string() + ": " + ec.message();
        return false;
    }
    for (const auto& [name, bytes] : files) {
        std::string file = name.substr(name.find('\\') + 1);
        if (!writeWhole(vrbin / file, bytes, error)) return false;
    }
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
