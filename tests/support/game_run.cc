#include "support/game_run.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/process.h"
#include "support/temp_dir.h"

namespace vr::test {

std::string GameRun::value(uint32_t number) const {
    auto it = variables.find(number);
    if (it == variables.end()) return "<no variable " + std::to_string(number) + ">";
    size_t eq = it->second.find(" = ");
    return eq == std::string::npos ? it->second : it->second.substr(eq + 3);
}

GameRun runGame(const std::string& source, int frames, const std::vector<std::string>& extraArguments,
                const std::string& resources) {
    GameRun run;
    TempDir src, game;
    src.write("main.vrs", source);
    auto c = runProcess({vrc(), "build", src.str(), "--out", game.str()});
    run.compileExit = c.exitCode;
    run.compileOutput = c.output;
    if (c.exitCode != 0) return run;
    if (!resources.empty())
        std::filesystem::copy(resources, game.path(), std::filesystem::copy_options::recursive);
    std::string dump = game.str() + "vars.txt";
    std::vector<std::string> argv{virelo(), "--headless", "--transcript", "--frames", std::to_string(frames),
                                  "--dump-vars", dump};
    argv.insert(argv.end(), extraArguments.begin(), extraArguments.end());
    argv.push_back(game.str());
    auto r = runProcess(argv);
    run.exitCode = r.exitCode;
    run.output = r.output;
    std::ifstream in(dump);
    std::string line;
    while (std::getline(in, line)) {
        size_t space = line.find(' ');
        if (space == std::string::npos) continue;
        run.variables[uint32_t(std::stoul(line.substr(0, space)))] = line.substr(space + 1);
    }
    return run;
}

}  // namespace vr::test
