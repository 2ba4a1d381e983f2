// Writes the compiled files of the bundled demo game into a folder.
//
// The demo is the smallest complete game: its engine configuration, command
// definitions, error messages, variable table, script list, variable
// definitions and the start label.  It grows with the engine.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "script/engine_files_writer.h"

namespace {

bool writeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    if (bytes.empty()) {
        std::fprintf(stderr, "vrdemo-build: nothing to write for %s\n", path.c_str());
        return false;
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: vrdemo-build FOLDER\n");
        return 2;
    }
    namespace fs = std::filesystem;
    fs::path vrbin = fs::path(argv[1]) / "vrbin";
    fs::create_directories(vrbin);

    vr::EngineConfigFile config;
    config.width = 800;
    config.height = 600;
    config.title = "virelo デモ";
    config.debugMode = 1;
    config.soundEnabled = 0;

    std::vector<vr::ErrorMessage> messages = {
        {108180, "ラベル[%s]が存在しません。"},
        {900000, "[内部エラー]\n\n[%s]ファイルが壊れています。"},
        {900050, "[内部エラー]\n\n未定義の命令が実行されました。"},
    };

    std::vector<vr::CommandDefinition> commands(1);
    commands[0].name = "DoNothing";

    std::vector<vr::VariableRecord> variables(1);
    variables[0].number = 1000;
    variables[0].intValue = 0;

    std::array<uint8_t, vr::kCommandByteTableSize> byteTable{};
    bool ok = writeFile(vrbin / "vrcfg.vbn", vr::writeEngineConfig(config)) &&
              writeFile(vrbin / "vre.vbn", vr::writeErrorMessages(messages)) &&
              writeFile(vrbin / "vrc.vbn", vr::writeCommandDefinitions(commands, {}, byteTable)) &&
              writeFile(vrbin / "vrt.vbn", vr::writeVariableTableSize(1000, 0)) &&
              writeFile(vrbin / "vrt_list.vbn", vr::writeScriptList({{0, "main.vrs"}})) &&
              writeFile(vrbin / "vrv.vbn", vr::writeVariableDefinitions(variables)) &&
              writeFile(vrbin / "vrl.vbn", vr::writeLabels({{"SYSTEM_START", 0, 0, 0, 0}}));
    return ok ? 0 : 1;
}
