#include "shell/startup.h"

#include <memory>

#include "common/bytes.h"
#include "common/texts/engine_texts.h"
#include "shell/engine.h"

namespace vr {

namespace {

constexpr const char* kSingleStartGuard = "virelo1";

// '/' becomes ':' in the guard's name, as '\\' does on Windows.
std::string instanceNameOf(const std::string& path) {
    std::string name = path;
    for (char& c : name) {
        if (c == '/' || c == '\\') c = ':';
    }
    return name;
}

std::string folderOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

std::string fileNameOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void fillPaths(const RunOptions& options) {
    ShellState& shell = engine().shell;
    std::string exe = platform::executablePath();
    std::string folder = options.gameFolder.empty() ? folderOf(exe) : options.gameFolder;
    if (folder.empty() || folder.back() != '/') folder += '/';
    core().run.exeFolder = folder;
    core().run.exePath = exe;
    // On Windows the executable sits in the game folder; here one executable
    // serves many games, so a game is known by its folder and the program.
    shell.instanceName = instanceNameOf(folder + fileNameOf(exe));
    core().run.appDataFolder = platform::appDataFolder();
    core().run.documentsFolder = platform::documentsFolder();
    core().run.arguments[0] = options.programName;
    core().run.argumentCount = 0;
    for (size_t i = 0; i < options.gameArguments.size() && i < 8; ++i) {
        core().run.arguments[i + 1] = options.gameArguments[i];
        core().run.argumentCount = int(i + 1);
    }
}

void messageBox(const char* text, const char* caption) {
    platform::MessageBoxSpec box;
    box.text = text;
    box.caption = caption;
    box.systemModal = true;
    core().platform.messageBox(box);
}

// 1 = go on with the run; 0 = the screen-saver switches ended the program.
int screenSaverSwitches() {
    int count = core().run.argumentCount + 1;  // the program itself counts
    const std::string& first = core().run.arguments[1];
    char letter = 0;
    if (first.size() >= 2 && (first[0] == '/' || first[0] == '-')) letter = first[1];
    if (count == 3 && (letter == 'p' || letter == 'P')) {
        // The preview draws into a window of the screen-saver settings
        // dialog; this desktop has no such host window to draw into.
        return 0;
    }
    if (count == 3 && (letter == 'a' || letter == 'A')) return 0;
    if ((count == 2 && (letter == 'c' || letter == 'C')) || count == 1) {
        messageBox(VR_TEXT_SCREEN_SAVER_ABOUT, VR_TEXT_CAPTION_INFORMATION);
        return 0;
    }
    return 1;
}

}  // namespace

AppendedHeader readAppendedHeader(const std::string& exePath, uint32_t builtSize) {
    AppendedHeader h;
    platform::File f;
    uint8_t raw[12];
    if (!f.openHost(exePath, platform::OpenMode::Read) || !f.seek(builtSize) || !f.readExact(raw, sizeof raw)) return h;
    ByteReader r(raw, sizeof raw);
    if (r.view(4) != "VRER") return h;
    h.found = true;
    h.base = r.u32();
    h.screenSaver = r.u32() != 0;
    return h;
}

bool isAppendedMode(uint32_t builtSize, int64_t fileSize, bool magicFound) {
    return builtSize != 4 && fileSize > 0 && builtSize != 0 && fileSize != int64_t(builtSize) && magicFound;
}

namespace {

void takeOptions(Engine& e, const RunOptions& options) {
    e.shell.frameLimit = options.frameLimit;
    e.shell.afterFrame = options.afterFrame;
    e.shell.dumpVarsFile = options.dumpVarsFile;
    e.input.script = options.inputScript;
}

// Data appended to the executable: a pack archive and the screen-saver mark.
void checkAppendedData() {
    core().run.builtSize = platform::builtSize();
    if (core().run.builtSize == 0) {
        messageBox("FS", "");
        return;
    }
    platform::File self;
    int64_t fileSize = self.openHost(core().run.exePath, platform::OpenMode::Read) ? self.size() : 0;
    AppendedHeader h = readAppendedHeader(core().run.exePath, core().run.builtSize);
    if (h.found) {
        core().run.appendedBase = h.base;
        core().run.screenSaverMode = h.screenSaver;
    }
    if (isAppendedMode(core().run.builtSize, fileSize, h.found)) {
        core().run.appendedMode = true;
        core().run.packedMode = true;
    }
}

bool enterGameFolder() {
    if (platform::setCurrentDirectory(core().run.exeFolder)) return true;
    showFailureBox(VR_TEXT_GAME_FOLDER_NOT_OPENED, core().run.exeFolder, VR_TEXT_CAPTION_ERROR);
    return false;
}

// A reload in development mode: the engine that ended hands its compiled
// files to a fresh one, which starts the game as a new run would, in the
// same process, under the same guards.  Every subsystem's state is made
// anew; only the count of frames goes on, so that a headless run's frame
// limit, screenshots and input keep counting over the reload.
std::unique_ptr<Engine> freshEngineForReload(platform::Platform& host, Engine& old, const RunOptions& options,
                                             const std::string& guardFolder) {
    auto e = std::make_unique<Engine>(host);
    ReloadState& from = old.shell.reload;
    ReloadState& to = e->shell.reload;
    to.pending = true;
    to.items = std::move(from.items);
    to.dataFolder = std::move(from.dataFolder);
    to.askedAt = from.askedAt;
    to.keptWindow = from.keptWindow;
    from.keptWindow = platform::kNoWindow;
    to.timing = true;
    const uint64_t framesRun = old.shell.framesRun;
    old.shell.instanceChannel.reset();
    bindEngine(e.get());
    takeOptions(*e, options);
    e->shell.framesRun = framesRun;
    fillPaths(options);
    e->shell.instanceChannel = std::make_unique<platform::InstanceChannel>();
    e->shell.instanceChannel->listen(e->shell.instanceName, guardFolder);
    return e;
}

}  // namespace

int runProgram(platform::Platform& host, const RunOptions& options) {
    auto e = std::make_unique<Engine>(host);
    bindEngine(e.get());
    struct Unbind {
        ~Unbind() { bindEngine(nullptr); }
    } unbind;
    takeOptions(*e, options);

    // A headless run has no window to bring to the front, and tests and
    // batch jobs run many of one game at once: its guards live in a folder
    // of its own, so they never meet another run's.
    std::unique_ptr<platform::PrivateFolder> privateGuards;
    std::string guardFolder;
    if (host.isHeadless()) {
        privateGuards = std::make_unique<platform::PrivateFolder>();
        guardFolder = privateGuards->path();
    } else {
        guardFolder = platform::runtimeFolder();
    }

    // Single-start guard: another instance is between here and the per-folder guard.
    platform::NamedLock startGuard;
    if (startGuard.acquire(kSingleStartGuard, guardFolder) != 1) return 0;

    fillPaths(options);

    // Per-folder guard: a second instance of the same game asks the first to
    // come to the front and ends.
    platform::NamedLock folderGuard;
    int guard = folderGuard.acquire(e->shell.instanceName, guardFolder);
    if (guard != 1) {
        if (guard == 0) platform::InstanceChannel::sendRaiseRequest(e->shell.instanceName, guardFolder);
        return 0;
    }
    e->shell.instanceChannel = std::make_unique<platform::InstanceChannel>();
    e->shell.instanceChannel->listen(e->shell.instanceName, guardFolder);
    startGuard.release();

    if (!enterGameFolder()) return 1;
    checkAppendedData();

    if (core().run.screenSaverMode && !screenSaverSwitches()) return 0;

    platform::installQuitSignals();
    for (;;) {
        if (engineInit() == 0) mainLoop();
        engineShutdown();
        if (!e->shell.reload.pending || platform::quitSignalled()) break;
        auto fresh = freshEngineForReload(host, *e, options, guardFolder);
        e = std::move(fresh);
        if (!enterGameFolder()) return 1;
        checkAppendedData();
    }
    ShellState& shell = e->shell;
    shell.instanceChannel.reset();
    folderGuard.release();

    if (shell.restartRequested) {
        platform::spawnProcess(core().run.exePath, options.restartArguments, core().run.exeFolder);
    }
    return exitStatus(shell.exitCode, core().errors);
}

int exitStatus(int shellStatus, const ErrorState& errors) {
    if (int signal = platform::quitSignal()) return 128 + signal;
    if (errors.fatalReported) return kExitFatalReport;
    if (shellStatus != 0) return shellStatus;
    return errors.errorCount != 0 ? kExitErrorsReported : 0;
}

uint8_t osCodeFromBuild(int build) {
    switch (build) {
    case 950: return 1;
    case 1111: return 2;
    case 1212: return 3;
    case 1214: return 4;
    case 1057: return 12;
    case 1381: return 13;
    case 1998: return 20;
    case 2222: return 21;
    case 3000: return 30;
    case 2195: return 40;
    case 2211: case 2223: case 2239: case 2247: case 2250: case 2257: return 45;
    case 2600: return 50;
    case 3790: return 60;
    case 5219: case 5260: case 5270: case 5381: case 5384: case 5536: case 5568: case 5600: case 5743: return 65;
    case 6000: case 6001: case 6002: return 70;
    case 6801: case 7000: case 7100: case 7600: return 80;
    default: return 255;
    }
}

}  // namespace vr
