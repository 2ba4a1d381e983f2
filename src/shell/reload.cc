#include "shell/reload.h"

#include "common/texts/engine_texts.h"
#include "devtools/compiler_link.h"
#include "shell/engine.h"
#include "shell/startup.h"

namespace vr {
namespace {

constexpr int kReloadKey = 0x74;  // F5
// An editor's save may come as several events; the reload waits until
// they have settled.
constexpr uint64_t kSettleMilliseconds = 50;

bool debugGame() { return core().files.config.debugMode == 1; }

void showCompileError(const CompilerExchange& x) {
    ErrorState& errors = core().errors;
    std::string text = VR_TEXT_COMPILE_FAILED;
    if (x.hasError)
        text = noteErrorLocation(errors, x.errorFile, x.errorLine) + x.errorMessage;
    else
        clearErrorLocation(errors);
    // Each reload is a run of its own for the dialog: its error is shown.
    errors.dialogShown = false;
    showErrorDialog(text);
}

}  // namespace

void askForReload(int key) {
    ReloadState& reload = engine().shell.reload;
    if (key != kReloadKey || !reload.available || !debugGame() || reload.wanted) return;
    reload.askedAt = platform::hostMillis();
    reload.wanted = true;
}

void watchSources() {
    ReloadState& reload = engine().shell.reload;
    if (!reload.available || !debugGame()) return;
    reload.watch = std::make_unique<platform::FolderWatch>();
    if (!reload.watch->start(core().run.exeFolder, ".vrs")) reload.watch.reset();
}

bool serveReload() {
    ReloadState& reload = engine().shell.reload;
    if (reload.watch && reload.watch->changed()) reload.changedAt = platform::hostMillis();
    if (reload.changedAt && platform::hostMillis() - reload.changedAt >= kSettleMilliseconds) {
        reload.changedAt = 0;
        if (!reload.wanted) reload.askedAt = platform::hostMillis();
        reload.wanted = true;
    }
    if (!reload.wanted) return false;
    reload.wanted = false;

    // The compiler lives in the game folder, which the data folder may not be.
    const std::string dataFolder = platform::currentDirectory();
    platform::setCurrentDirectory(core().run.exeFolder);
    CompilerExchange x;
    exchangeWithCompiler(x, true, nullptr);
    platform::setCurrentDirectory(dataFolder);
    switch (x.outcome) {
    case CompilerExchange::Outcome::Compiled:
        reload.items = std::move(x.items);
        reload.dataFolder = x.dataFolder;
        reload.pending = true;
        requestQuit();
        return true;
    case CompilerExchange::Outcome::CompileFailed:
        showCompileError(x);
        return false;
    default:
        // The link has said what went wrong, or the compiler has.
        return false;
    }
}

bool takeReloadedFiles() {
    ReloadState& reload = engine().shell.reload;
    if (!reload.pending) return false;
    reload.pending = false;
    core().loader.handOver = std::move(reload.items);
    if (!platform::setCurrentDirectory(reload.dataFolder)) {
        showFailureBox(VR_TEXT_GAME_FOLDER_NOT_OPENED, reload.dataFolder);
        return false;
    }
    return true;
}

void keepMainWindowForReload() {
    Engine& e = engine();
    ReloadState& reload = e.shell.reload;
    if (reload.keptWindow != platform::kNoWindow) {
        e.core.platform.destroyWindow(reload.keptWindow);
        reload.keptWindow = platform::kNoWindow;
    }
    if (!reload.pending) return;
    reload.keptWindow = e.core.windows[0].handle;
    e.core.windows[0].handle = platform::kNoWindow;
}

platform::WindowId takeKeptWindow(const platform::WindowSpec& window) {
    Engine& e = engine();
    platform::WindowId kept = e.shell.reload.keptWindow;
    if (kept == platform::kNoWindow) return kept;
    e.shell.reload.keptWindow = platform::kNoWindow;
    e.core.platform.setClientSize(kept, window.width, window.height);
    e.core.platform.setWindowTitle(kept, window.title);
    return kept;
}

void noteReloadedFrame() {
    ReloadState& reload = engine().shell.reload;
    if (!reload.timing) return;
    reload.timing = false;
    platform::writeStandardError("virelo: reloaded in " + std::to_string(platform::hostMillis() - reload.askedAt) +
                                 " ms\n");
}

}  // namespace vr
