#include "link.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "build.h"
#include "common/bytes.h"
#include "common/compiler_link.h"
#include "platform/platform.h"

namespace fs = std::filesystem;

namespace vrc {
namespace {

namespace link = vr::link;
namespace platform = vr::platform;

constexpr uint32_t kPollMilliseconds = 10;
// An engine that never acknowledges has gone: the compiler does not wait
// for ever.
constexpr uint64_t kAcknowledgeTimeout = 60000;
constexpr size_t kShownErrors = 10;

std::string blockName(const char* variable, const char* base) {
    std::string name = platform::environmentValue(variable);
    return name.empty() ? "/" + std::string(base) : name;
}

bool hasDisplay() {
    return !platform::environmentValue("DISPLAY").empty() || !platform::environmentValue("WAYLAND_DISPLAY").empty();
}

// The errors in a box of the desktop's dialog tools, for the author who
// started the game from a file manager; none of them is needed.
void showErrorBox(const std::string& text) {
    const std::vector<std::vector<std::string>> tools = {
        {"zenity", "--error", "--no-markup", "--title=vrc", "--text=" + text},
        {"kdialog", "--title", "vrc", "--error", text},
        {"xmessage", "-center", text},
    };
    for (const auto& tool : tools) {
        platform::ChildProcess box;
        if (!box.start(tool[0], std::vector<std::string>(tool.begin() + 1, tool.end()))) continue;
        while (!box.ended()) platform::hostSleep(50);
        if (box.exitStatus() != 127) return;
    }
}

// The item the engine reads the first error from when it shows it itself.
std::vector<uint8_t> errorItem(const Diagnostic& d) {
    std::string text = std::to_string(d.at.line) + "\t" + std::to_string(d.at.column) + "\t" +
                       platform::utf8ToSjis(d.file) + "\t" + platform::utf8ToSjis(d.message);
    return std::vector<uint8_t>(text.begin(), text.end());
}

std::vector<uint8_t> dataBlock(const FileSet& files) {
    vr::ByteWriter block;
    for (const auto& [name, bytes] : files) {
        block.u32(uint32_t(name.size() + 1));
        block.cstring(name);
        block.u32(uint32_t(bytes.size()));
        block.bytes(bytes.data(), bytes.size());
    }
    return block.take();
}

// Publishes the result, waits for the engine's data block and fills it.
int handOver(platform::SharedMemory& control, const FileSet& files, bool compiled) {
    std::vector<uint8_t> block = dataBlock(files);
    if (block.size() > link::kDataSizeLimit) {
        std::fprintf(stderr, "vrc: the compiled game (%zu bytes) is too large to hand over\n", block.size());
        return 1;
    }
    control.storeWord(link::kItemCount, uint32_t(files.size()));
    control.storeWord(link::kDataSize, uint32_t(block.size()));
    control.data()[link::kResult] = compiled ? 1 : 0;
    control.storeWord(link::kDoneFlag, 1);

    const uint64_t until = platform::hostMillis() + kAcknowledgeTimeout;
    while (control.loadWord(link::kAcknowledgeFlag) != 1) {
        if (platform::hostMillis() > until) {
            std::fprintf(stderr, "vrc: the engine did not take the compiled files\n");
            return 1;
        }
        platform::hostSleep(kPollMilliseconds);
    }
    if (block.empty()) return compiled ? 0 : 1;
    platform::SharedMemory data;
    const std::string dataName = blockName(link::kDataNameVariable, link::kDataBaseName);
    if (!data.open(dataName) || data.size() < block.size()) {
        std::fprintf(stderr, "vrc: cannot open the engine's data block %s\n", dataName.c_str());
        return 1;
    }
    std::memcpy(data.data(), block.data(), block.size());
    return compiled ? 0 : 1;
}

}  // namespace

int runLink() {
    platform::SharedMemory control;
    const std::string controlName = blockName(link::kControlNameVariable, link::kControlBaseName);
    if (!control.open(controlName) || control.size() < link::kControlSize) {
        std::fprintf(stderr, "vrc: no engine to compile for (cannot open %s); vrc vr is started by the engine\n",
                     controlName.c_str());
        return 2;
    }
    const uint32_t version = vr::loadLe32(control.data() + link::kEngineVersion);
    if (version != link::kVersion) {
        std::fprintf(stderr, "vrc: the engine speaks version %u of the link, this vrc %u\n", version, link::kVersion);
        return 1;
    }
    const char* text = reinterpret_cast<const char*>(control.data() + link::kFolder);
    const std::string folder(text, strnlen(text, link::kFolderSize - 1));
    if (folder.empty() || !fs::is_directory(folder)) {
        std::fprintf(stderr, "vrc: the engine's game folder '%s' is no folder\n", folder.c_str());
        return 1;
    }

    Diagnostics diagnostics;
    FileSet files;
    std::string problem;
    const bool compiled = compileFolder(folder, {}, files, diagnostics, problem);
    if (compiled) return handOver(control, files, true);

    // The errors as "vrc build" prints them, the files named from the game
    // folder so that a terminal or an editor can open them.
    std::string shown;
    if (!problem.empty()) shown = "vrc: " + problem + "\n";
    for (const Diagnostic& d : diagnostics.list()) {
        Diagnostic full = d;
        full.file = (fs::path(folder) / d.file).lexically_normal().generic_string();
        std::string line = diagnostics.format(full) + "\n";
        std::fputs(line.c_str(), stderr);
        if (&d - diagnostics.list().data() < long(kShownErrors)) shown += line;
    }
    if (diagnostics.count() > kShownErrors) shown += std::to_string(diagnostics.count() - kShownErrors) + " more errors\n";
    if (!problem.empty()) std::fputs(shown.c_str(), stderr);
    if (hasDisplay() && platform::environmentValue(link::kQuietVariable).empty()) showErrorBox(shown);

    FileSet errors;
    if (!diagnostics.list().empty()) errors[link::kErrorItemName] = errorItem(diagnostics.list().front());
    handOver(control, errors, false);
    return 1;
}

int installLink(const std::string& gameFolder) {
    std::error_code ec;
    if (!fs::is_directory(gameFolder, ec)) {
        std::fprintf(stderr, "vrc: %s: not a folder\n", gameFolder.c_str());
        return 1;
    }
    const fs::path target = fs::path(gameFolder) / "system" / "VRCom" / "VRCom.exe";
    fs::create_directories(target.parent_path(), ec);
    // A copy, not a link to this build: the game folder keeps working when
    // the build folder is cleaned or moved.
    const std::string self = platform::executablePath();
    if (ec || self.empty() || !fs::copy_file(self, target, fs::copy_options::overwrite_existing, ec)) {
        std::fprintf(stderr, "vrc: cannot write %s: %s\n", target.c_str(), ec ? ec.message().c_str() : "no executable");
        return 1;
    }
    fs::permissions(target, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                fs::perms::others_read | fs::perms::others_exec, ec);
    std::printf("vrc: the development compiler is %s\n", target.c_str());
    return 0;
}

}  // namespace vrc
