#include "build.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "catalogue.h"
#include "compiler.h"
#include "source_text.h"

namespace fs = std::filesystem;

namespace vrc {

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

bool compileFolder(const fs::path& folder, const std::vector<std::string>& configs, FileSet& files,
                   Diagnostics& diagnostics, std::string& problem) {
    Catalogue catalogue;
    if (!loadCatalogue(embeddedCommands(), embeddedErrors(), embeddedErrno(), catalogue, problem)) {
        problem = "the built-in catalogue is damaged: " + problem;
        return false;
    }
    std::vector<SourceText> sources;
    for (const fs::path& file : findSources(folder)) {
        std::ifstream in(file, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), {});
        if (!in.good() && !in.eof()) {
            problem = file.string() + ": cannot read";
            return false;
        }
        sources.push_back(readSource(fs::relative(file, folder).generic_string(), bytes, diagnostics));
    }
    if (sources.empty()) {
        problem = folder.string() + ": no .vrs files";
        return false;
    }
    CompiledGame game;
    bool ok = compileGame(sources, catalogue, game, diagnostics);
    if (ok && !configs.empty()) {
        // The command line's settings win over the sources' own.
        std::string lines;
        for (const std::string& c : configs) lines += "#config " + c + "\n";
        size_t before = diagnostics.count();
        SourceText given = readSource("--config", lines, diagnostics);
        readDeclarations(given, int(sources.size()), game, diagnostics);
        ok = diagnostics.count() == before;
    }
    if (ok) files = compiledFiles(game, catalogue);
    return ok;
}

}  // namespace vrc
