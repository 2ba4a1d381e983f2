// vrc: the script compiler.
//
//   vrc build SRC_DIR --out GAME_DIR [--pack FILE.vpf] [--config KEY=VALUE...]
//   vrc disassemble FILE_OR_GAME_DIR
//   vrc install-link GAME_DIR
//   vrc vr            (as GAME_DIR/system/VRCom/VRCom.exe, started by the engine)
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "catalogue.h"
#include "build.h"
#include "compiler.h"
#include "link.h"
#include "disassembler.h"
#include "output.h"
#include "source_text.h"

namespace fs = std::filesystem;

namespace {

int usage(int code) {
    std::fprintf(code ? stderr : stdout,
                 "usage: vrc build SRC_DIR --out GAME_DIR [--pack FILE.vpf] [--config KEY=VALUE...]\n"
                 "       vrc disassemble FILE_OR_GAME_DIR\n"
                 "       vrc install-link GAME_DIR\n"
                 "       vrc --version\n"
                 "\n"
                 "build compiles every .vrs file below SRC_DIR (in the order of their paths) into\n"
                 "GAME_DIR/vrbin, or with --pack into a pack archive holding the vrbin files.\n"
                 "--config takes what a #config line takes and comes after the sources' own\n"
                 "(--config framethread=1 builds the game with the frame on a thread of its own).\n"
                 "\n"
                 "install-link puts vrc into GAME_DIR/system/VRCom/ as the development compiler: a\n"
                 "game folder of sources then starts with `virelo GAME_DIR`, the engine compiling\n"
                 "it in memory at every start (see docs/devmode.md).\n");
    return code;
}

bool loadEmbedded(vrc::Catalogue& catalogue) {
    std::string error;
    if (vrc::loadCatalogue(vrc::embeddedCommands(), vrc::embeddedErrors(), vrc::embeddedErrno(), catalogue, error))
        return true;
    std::fprintf(stderr, "vrc: the built-in catalogue is damaged: %s\n", error.c_str());
    return false;
}

int build(const std::vector<std::string>& args) {
    std::string src, out, pack;
    std::vector<std::string> configs;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--out" && i + 1 < args.size()) out = args[++i];
        else if (args[i] == "--pack" && i + 1 < args.size()) pack = args[++i];
        else if (args[i] == "--config" && i + 1 < args.size()) configs.push_back(args[++i]);
        else if (src.empty() && args[i].rfind("--", 0) != 0) src = args[i];
        else return usage(2);
    }
    if (src.empty()) return usage(2);
    if (out.empty() && pack.empty()) {
        std::fprintf(stderr, "vrc: build wants --out GAME_DIR or --pack FILE.vpf to write to\n");
        return 2;
    }
    if (!fs::is_directory(src)) {
        std::fprintf(stderr, "vrc: %s: not a folder\n", src.c_str());
        return 1;
    }
    vrc::Diagnostics diagnostics;
    vrc::FileSet files;
    std::string error;
    bool ok = vrc::compileFolder(src, configs, files, diagnostics, error);
    if (!error.empty()) {
        std::fprintf(stderr, "vrc: %s\n", error.c_str());
        return 1;
    }
    for (const vrc::Diagnostic& d : diagnostics.list()) {
        vrc::Diagnostic shown = d;
        if (d.file != "--config") shown.file = (fs::path(src) / d.file).generic_string();
        std::fprintf(stderr, "%s\n", diagnostics.format(shown).c_str());
    }
    if (diagnostics.count() > diagnostics.list().size())
        std::fprintf(stderr, "vrc: %zu more errors\n", diagnostics.count() - diagnostics.list().size());
    if (!ok) return 1;
    if (!out.empty() && !vrc::writeFolder(files, out, error)) {
        std::fprintf(stderr, "vrc: %s\n", error.c_str());
        return 1;
    }
    if (!pack.empty() && !vrc::writePack(files, pack, error)) {
        std::fprintf(stderr, "vrc: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

int disassembleCommand(const std::vector<std::string>& args) {
    if (args.size() != 1) return usage(2);
    vrc::Catalogue catalogue;
    if (!loadEmbedded(catalogue)) return 1;
    std::string text, error;
    if (!vrc::disassemble(args[0], catalogue, text, error)) {
        std::fprintf(stderr, "vrc: %s\n", error.c_str());
        return 1;
    }
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args[0] == "--help" || args[0] == "-h") return usage(args.empty() ? 2 : 0);
    if (args[0] == "--version") {
        std::printf("vrc %s\n", VIRELO_VERSION);
        return 0;
    }
    std::string command = args[0];
    args.erase(args.begin());
    if (command == "build") return build(args);
    if (command == "disassemble" || command == "--disassemble") return disassembleCommand(args);
    if (command == "install-link") return args.size() == 1 ? vrc::installLink(args[0]) : usage(2);
    // The engine starts its compiler as "VRCom.exe vr".
    if (command == "vr") return vrc::runLink();
    std::fprintf(stderr, "vrc: unknown command %s\n", command.c_str());
    return usage(2);
}
