// Arbitrary bytes as a script source: the compiler must report, never crash,
// and whatever it compiles must be writable and readable back.
#include <cstddef>
#include <cstdint>
#include <string>

#include "catalogue.h"
#include "common/format_secrets.h"
#include "compiler.h"
#include "disassembler.h"
#include "output.h"
#include "script/script_file.h"

namespace {

const vrc::Catalogue& catalogue() {
    static const vrc::Catalogue c = [] {
        vrc::Catalogue loaded;
        std::string error;
        vrc::loadCatalogue(vrc::embeddedCommands(), vrc::embeddedErrors(), vrc::embeddedErrno(), loaded, error);
        return loaded;
    }();
    return c;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vrc::Diagnostics diagnostics;
    std::string text(reinterpret_cast<const char*>(data), size);
    // The first line is declared in a second file, so that the two passes
    // over several files are exercised too.
    size_t cut = text.find('\n');
    std::vector<vrc::SourceText> sources{vrc::readSource("a.vrs", text, diagnostics)};
    if (cut != std::string::npos) sources.push_back(vrc::readSource("b.vrs", text.substr(0, cut), diagnostics));
    vrc::CompiledGame game;
    if (!vrc::compileGame(sources, catalogue(), game, diagnostics)) return 0;
    vrc::FileSet files = vrc::compiledFiles(game, catalogue());
    const auto& script = files["vrbin\\vrt00000.vbn"];
    vr::ScriptFileView view;
    std::string problem;
    if (!vr::readScriptFile(script.data(), script.size(), vr::secrets::scriptKey(), view, problem)) __builtin_trap();
    return 0;
}
