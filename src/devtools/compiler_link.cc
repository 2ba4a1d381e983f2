#include "devtools/compiler_link.h"

#include <cerrno>
#include <cstring>

#include "common/bytes.h"
#include "common/compiler_link.h"
#include "common/texts/engine_texts.h"
#include "core/core.h"
#include "core/error_report.h"

namespace vr {
namespace {

using Outcome = CompilerExchange::Outcome;

constexpr uint32_t kPollMilliseconds = 10;

Outcome refuse(const std::string& detail) {
    showFailureBox(VR_TEXT_COMPILER_EXCHANGE_FAILED, detail);
    return Outcome::Refused;
}

// The items of the data block, every length checked against the block: a
// compiler that writes nonsense is refused, never read past.
bool walkItems(const std::vector<uint8_t>& block, uint32_t count, std::vector<HandOverItem>& items,
               std::string& problem) {
    items.clear();
    // An item takes at least a length, one name byte and a size.
    if (count > block.size() / 9) {
        problem = std::to_string(count) + " items cannot fit in " + std::to_string(block.size()) + " bytes";
        return false;
    }
    ByteReader r(block.data(), block.size());
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t nameLength = r.remaining() >= 4 ? r.u32() : 0;
        if (nameLength == 0 || nameLength > r.remaining()) {
            problem = "item " + std::to_string(i) + ": name length " + std::to_string(nameLength) + " beyond the block";
            return false;
        }
        std::string_view name = r.view(nameLength);
        if (name.back() != '\0' || name.find('\0') != nameLength - 1) {
            problem = "item " + std::to_string(i) + ": the name does not end at its length";
            return false;
        }
        uint32_t size = r.remaining() >= 4 ? r.u32() : UINT32_MAX;
        if (size > r.remaining()) {
            problem = "item " + std::to_string(i) + ": data size " + std::to_string(size) + " beyond the block";
            return false;
        }
        std::string_view bytes = r.view(size);
        HandOverItem item;
        item.name.assign(name.data(), nameLength - 1);
        item.bytes.assign(bytes.begin(), bytes.end());
        items.push_back(std::move(item));
    }
    return true;
}

// "line\tcolumn\tfile\tmessage" of the compiler's error item.
void takeFirstError(CompilerExchange& exchange) {
    for (const HandOverItem& item : exchange.items) {
        if (item.name != link::kErrorItemName) continue;
        std::string text(item.bytes.begin(), item.bytes.end());
        size_t a = text.find('\t'), b = a == std::string::npos ? a : text.find('\t', a + 1);
        size_t c = b == std::string::npos ? b : text.find('\t', b + 1);
        if (c == std::string::npos) return;
        auto number = [](const std::string& digits) {
            int v = 0;
            for (char ch : digits) {
                if (ch < '0' || ch > '9' || v > 1000000) return 1;
                v = v * 10 + (ch - '0');
            }
            return v > 0 ? v : 1;
        };
        exchange.hasError = true;
        exchange.errorLine = number(text.substr(0, a));
        exchange.errorColumn = number(text.substr(a + 1, b - a - 1));
        exchange.errorFile = text.substr(b + 1, c - b - 1);
        exchange.errorMessage = text.substr(c + 1);
        return;
    }
}

// Steps 2 to 10 of the exchange; the caller keeps the compiler's process.
Outcome exchange(CompilerExchange& result, bool quiet, void (*whileCompiling)()) {
    const uint32_t user = platform::userId();
    const int pid = platform::processId();
    const std::string controlName = link::blockName(link::kControlBaseName, user, pid);
    const std::string dataName = link::blockName(link::kDataBaseName, user, pid);
    platform::removeBlocksOfEndedProcesses(link::blockPrefix(link::kControlBaseName, user));
    platform::removeBlocksOfEndedProcesses(link::blockPrefix(link::kDataBaseName, user));

    platform::SharedMemory control;
    if (!control.create(controlName, link::kControlSize)) return refuse(controlName + ": " + platform::errnoText(errno));
    std::memset(control.data(), 0, link::kControlSize);
    storeLe32(control.data() + link::kEngineVersion, link::kVersion);
    const std::string& folder = core().run.exeFolder;
    if (folder.size() >= link::kFolderSize) return refuse("the game folder's path is too long: " + folder);
    std::memcpy(control.data() + link::kFolder, folder.data(), folder.size());

    std::vector<std::string> environment = {std::string(link::kControlNameVariable) + "=" + controlName,
                                            std::string(link::kDataNameVariable) + "=" + dataName};
    if (quiet) environment.push_back(std::string(link::kQuietVariable) + "=1");
    platform::ChildProcess compiler;
    if (!compiler.start(platform::hostPath(link::kCompilerName), {link::kCompilerArgument}, environment)) {
        showFailureBox(VR_TEXT_COMPILER_NOT_STARTED, platform::hostPath(link::kCompilerName));
        return Outcome::NotStarted;
    }

    platform::hostSleep(kPollMilliseconds);
    if (whileCompiling) whileCompiling();

    // The compiler reports its own errors: an end says nothing more, done
    // flag or not (it cannot hand anything over once it has ended).  A quit
    // signal does not wait for it.
    for (;;) {
        if (compiler.ended() || platform::quitSignalled()) return Outcome::Ended;
        if (control.loadWord(link::kDoneFlag) == 1) break;
        platform::hostSleep(kPollMilliseconds);
    }

    const uint32_t count = control.loadWord(link::kItemCount);
    uint32_t dataSize = control.loadWord(link::kDataSize);
    if (dataSize == 0) dataSize = link::kEmptyDataSize;
    if (dataSize > link::kDataSizeLimit) return refuse("data block of " + std::to_string(dataSize) + " bytes");
    platform::SharedMemory data;
    if (!data.create(dataName, dataSize)) return refuse(dataName + ": " + platform::errnoText(errno));
    std::memset(data.data(), 0, dataSize);
    control.storeWord(link::kAcknowledgeFlag, 1);

    while (!compiler.ended()) {
        if (platform::quitSignalled()) return Outcome::Ended;
        platform::hostSleep(kPollMilliseconds);
    }

    if (count > 0) {
        std::vector<uint8_t> copy(data.data(), data.data() + dataSize);
        std::string problem;
        if (!walkItems(copy, count, result.items, problem)) return refuse(problem);
    }
    const char* text = reinterpret_cast<const char*>(control.data() + link::kFolder);
    size_t length = strnlen(text, link::kFolderSize);
    if (length == link::kFolderSize) return refuse("the data folder's text has no end");
    result.dataFolder.assign(text, length);
    const bool compiled = control.data()[link::kResult] == 1;
    if (!compiled) takeFirstError(result);
    return compiled ? Outcome::Compiled : Outcome::CompileFailed;
}

}  // namespace

bool compilerPresent() {
    platform::File f;
    return f.open(link::kCompilerName, platform::OpenMode::Read);
}

void exchangeWithCompiler(CompilerExchange& result, bool quiet, void (*whileCompiling)()) {
    result = CompilerExchange{};
    result.outcome = exchange(result, quiet, whileCompiling);
}

bool runCompilerLink(void (*whileCompiling)()) {
    if (!compilerPresent()) {
        // A game compiled into loose files needs no compiler (a file missing
        // from them is reported by name when it is read).
        if (platform::fileExists("vrbin")) return true;
        // The notices the author is shown say nothing of what is missing.
        platform::writeStandardError("virelo: " + core().run.exeFolder +
                                     " holds neither compiled files (vrbin/) nor the development compiler "
                                     "(system/VRCom/VRCom.exe, see vrc install-link)\n");
        core().errors.caption = "License Information";
        reportError(kLibraryNoticesCode, true);
        return false;
    }
    CompilerExchange result;
    exchangeWithCompiler(result, false, whileCompiling);
    core().loader.handOver = std::move(result.items);
    if (result.outcome != CompilerExchange::Outcome::Compiled) return false;
    if (!platform::setCurrentDirectory(result.dataFolder)) {
        showFailureBox(VR_TEXT_GAME_FOLDER_NOT_OPENED, result.dataFolder);
        return false;
    }
    return true;
}

}  // namespace vr
