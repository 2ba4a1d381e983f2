#include "platform/sdl/sdl_platform.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/command_line.h"

namespace vr::platform {

SdlPlatform::~SdlPlatform() {
    sound_.reset();
    for (auto& [id, w] : windows_) release(w);
    windows_.clear();
    if (cursor_) SDL_FreeCursor(cursor_);
    SDL_Quit();
}

SoundDevice* SdlPlatform::soundDevice() {
    if (!soundTried_) {
        soundTried_ = true;
        sound_ = openSdlSoundDevice();
    }
    return sound_.get();
}

uint64_t SdlPlatform::millis() { return SDL_GetTicks64(); }

void SdlPlatform::sleep(uint32_t milliseconds) { hostSleep(milliseconds); }

LocalTime SdlPlatform::localTime() { return hostLocalTime(); }

namespace {

// The program and arguments that open a file as the desktop would; false
// when the name maps to no path.
bool shellCommand(const std::string& file, const std::string& parameters, std::string& program,
                  std::vector<std::string>& args) {
    // An engine name of an existing file goes by its host path; anything
    // else (an address, a program on the PATH) by its text.
    std::string target = fileExists(file) ? hostPath(file) : sjisToUtf8(file);
    if (target.empty()) return false;
    args = splitCommandLine(sjisToUtf8(parameters));
    // xdg-open takes exactly one file or address, so parameters can only go
    // to a program started directly.
    struct stat st{};
    if (!args.empty() && stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(target.c_str(), X_OK) == 0) {
        program = target;
        return true;
    }
    program = "xdg-open";
    args = {target};
    return true;
}

}  // namespace

bool SdlPlatform::shellOpen(const std::string& file, const std::string& parameters) {
    std::string program;
    std::vector<std::string> args;
    return shellCommand(file, parameters, program, args) && spawnProcess(program, args, std::string());
}

bool SdlPlatform::shellOpenAndWait(const std::string& file, const std::string& parameters) {
    std::string program;
    std::vector<std::string> args;
    if (!shellCommand(file, parameters, program, args)) return false;
    // xdg-open may hand the file to a running program and return at once:
    // the wait is for the desktop's program itself, started directly.
    if (program == "xdg-open") {
        std::vector<std::string> command = desktopOpenCommand(args[0]);
        if (!command.empty()) {
            program = command[0];
            args.assign(command.begin() + 1, command.end());
        }
    }
    return runProcess(program, args, std::string()) >= 0;
}

std::unique_ptr<Platform> createSdlPlatform() {
    // Quit signals are ours (installQuitSignals), not SDL's.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // The click that activates a window counts, as it does on Windows.
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) return nullptr;
    // Without a display SDL falls back to drivers that show nothing; those
    // count only when asked for by name.
    const char* driver = SDL_GetCurrentVideoDriver();
    const std::string asked = environmentValue("SDL_VIDEODRIVER");
    bool invisible = !driver || SDL_strcasecmp(driver, "offscreen") == 0 || SDL_strcasecmp(driver, "dummy") == 0 ||
                     SDL_strcasecmp(driver, "evdev") == 0;
    if (invisible && asked.empty()) {
        SDL_Quit();
        return nullptr;
    }
    return std::make_unique<SdlPlatform>();
}

}  // namespace vr::platform
