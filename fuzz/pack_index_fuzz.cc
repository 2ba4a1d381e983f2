// Arbitrary bytes as the game's only archive: the engine builds its pack
// index from them and reads every member the index holds, as a game would.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/archive/loader.h"
#include "core/archive/pack_index.h"
#include "platform/headless/headless.h"
#include "shell/engine.h"

namespace {

const std::filesystem::path& gameFolder() {
    static const std::filesystem::path folder = [] {
        auto dir = std::filesystem::temp_directory_path() / ("virelo-pack-fuzz-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir);
        std::filesystem::current_path(dir);
        std::atexit([] { std::filesystem::remove_all(gameFolder()); });
        return dir;
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::ofstream(gameFolder() / "game.vpf", std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), std::streamsize(size));
    vr::platform::HeadlessPlatform host{vr::platform::HeadlessOptions{}};
    vr::Engine e(host);
    vr::EngineBinding binding(e);
    if (!vr::buildPackIndex()) return 0;
    for (size_t i = 0; i < e.core.packs.hashes.size() && i < 64; ++i) {
        std::string name;
        if (!vr::readEntryName(e.core.packs.archiveNumbers[i], e.core.packs.entryPositions[i], name)) continue;
        vr::FileRequest r;
        vr::loadFile(r, name, true, true);
    }
    return 0;
}
