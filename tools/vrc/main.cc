// vrc: the script compiler.
//
//   vrc build SRC_DIR --out GAME_DIR [--pack FILE.vpf] [--config KEY=VALUE...]
//   vrc disassemble FILE_OR_GAME_DIR
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "catalogue.h"
#include "compiler.h"
#include "disassembler.h"
#include "output.h"
#include "source_text.h"

namespace fs = std::filesystem;

namespace {

int usage(int code) {
    std::fprintf(code ? stderr : stdout,
                 "usage: vrc build SRC_DIR --out GAME_DIR [--pack FILE.vpf] [--config KEY=VALUE...]\n"
                 "       vrc disassemble FILE_OR_GAME_DIR\n"
                 "       vrc --version\n"
                 "\n"
                 "build compiles every .vrs file below SRC_DIR (in the order of their paths) into\n"
                 "GAME_DIR/vrbin, or with --pack into a pack archive holding the vrbin files.\n"
                 "--config takes what a #config line takes and comes after the sources' own\n"
                 "(--config framethread=1 builds the game with the frame on a thread of its own).\n");
    return code;
}

bool loadEmbedded(vrc::Catalogue& catalogue) {
    std::string error;
    if (vrc::loadCatalogue(vrc::embeddedCommands(), vrc::embeddedErrors(), vrc::embeddedErrno(), catalogue, error))
        return true;
    std::fprintf(stderr, "vrc: the built-in catalogue is damaged: %s\n", error.c_str());
    return false;
}

std::vector<fs::path> findSources(const fs::path& root) {
    std::vector<fs::path> files;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        if (it->is_regular_file() && it->path().extension() == ".vrs") files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    return files;
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
    vrc::Catalogue catalogue;
    if (!loadEmbedded(catalogue)) return 1;
    vrc::Diagnostics diagnostics;
    std::vector<vrc::SourceText> sources;
    for (const fs::path& file : findSources(src)) {
        std::ifstream in(file, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), {});
        if (!in.good() && !in.eof()) {
            std::fprintf(stderr, "vrc: %s: cannot read\n", file.c_str());
            return 1;
        }
        sources.push_back(vrc::readSource(fs::relative(file, src).generic_string(), bytes, diagnostics));
    }
    if (sources.empty()) {
        std::fprintf(stderr, "vrc: %s: no .vrs files\n", src.c_str());
        return 1;
    }
    vrc::CompiledGame game;
    bool ok = vrc::compileGame(sources, catalogue, game, diagnostics);
    if (ok && !configs.empty()) {
        // The command line's settings win over the sources' own.
        std::string lines;
        for (const std::string& c : configs) lines += "#config " + c + "\n";
        size_t before = diagnostics.count();
        vrc::SourceText given = vrc::readSource("--config", lines, diagnostics);
        vrc::readDeclarations(given, int(sources.size()), game, diagnostics);
        ok = diagnostics.count() == before;
    }
    for (const vrc::Diagnostic& d : diagnostics.list()) {
        vrc::Diagnostic shown = d;
        if (d.file != "--config") shown.file = (fs::path(src) / d.file).generic_string();
        std::fprintf(stderr, "%s\n", diagnostics.format(shown).c_str());
    }
    if (diagnostics.count() > diagnostics.list().size())
        std::fprintf(stderr, "vrc: %zu more errors\n", diagnostics.count() - diagnostics.list().size());
    if (!ok) return 1;
    vrc::FileSet files = vrc::compiledFiles(game, catalogue);
    std::string error;
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
    std::fprintf(stderr, "vrc: unknown command %s\n", command.c_str());
    return usage(2);
}
