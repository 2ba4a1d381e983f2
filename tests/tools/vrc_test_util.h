// Compiling scripts from text in tests, with the catalogue vrc carries.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "catalogue.h"
#include "compiler.h"
#include "source_text.h"

namespace vrc::test {

inline const Catalogue& catalogue() {
    static const Catalogue c = [] {
        Catalogue loaded;
        std::string error;
        loadCatalogue(embeddedCommands(), embeddedErrors(), embeddedErrno(), loaded, error);
        return loaded;
    }();
    return c;
}

struct Compiled {
    CompiledGame game;
    Diagnostics diagnostics;
    bool ok = false;
    std::string errors() const {
        std::string all;
        for (const auto& d : diagnostics.list()) all += diagnostics.format(d) + "\n";
        return all;
    }
};

inline std::unique_ptr<Compiled> compile(const std::vector<std::pair<std::string, std::string>>& files) {
    auto c = std::make_unique<Compiled>();
    std::vector<SourceText> sources;
    for (const auto& [name, text] : files) sources.push_back(readSource(name, text, c->diagnostics));
    c->ok = compileGame(sources, catalogue(), c->game, c->diagnostics) && !c->diagnostics.any();
    return c;
}

inline std::unique_ptr<Compiled> compile(const std::string& text) { return compile({{"main.vrs", text}}); }

}  // namespace vrc::test
