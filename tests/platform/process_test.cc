#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "support/lines.h"
#include "support/temp_dir.h"

namespace vr::platform {
namespace {

namespace fs = std::filesystem;

// Sets an environment variable for a scope.
class EnvVar {
public:
    EnvVar(const char* name, const char* value) : name_(name) {
        const char* old = std::getenv(name);
        had_ = old != nullptr;
        if (old) old_ = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~EnvVar() {
        if (had_)
            setenv(name_, old_.c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    std::string old_;
    bool had_ = false;
};

int zombieChildren() {
    int count = 0;
    for (const auto& e : fs::directory_iterator("/proc")) {
        std::ifstream in(e.path() / "stat");
        std::string line;
        if (!std::getline(in, line)) continue;
        size_t close = line.rfind(')');
        if (close == std::string::npos) continue;
        std::istringstream rest(line.substr(close + 2));
        char state = 0;
        int ppid = 0;
        rest >> state >> ppid;
        if (ppid == getpid() && state == 'Z') ++count;
    }
    return count;
}

// Runs `body` in a child process and returns its exit code (-1 if it died).
template <typename F>
int inChild(F body) {
    pid_t pid = fork();
    if (pid == 0) _exit(body());
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(PlatformProcess, SpawnRunsInTheFolderAndLeavesNoZombie) {
    test::TempDir tmp;
    ASSERT_TRUE(spawnProcess("sh", {"-c", "pwd > where.txt; echo \"$1\" > arg.txt", "sh", "two words"}, tmp.str()));
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    // The file exists as soon as the shell opens it; its line comes after.
    auto written = [&] { return test::readFile(tmp.str() + "arg.txt").find('\n') != std::string::npos; };
    while (!written() && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    while (zombieChildren() > 0 && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    std::string where, arg;
    std::getline(std::ifstream(tmp.path() / "where.txt"), where);
    std::getline(std::ifstream(tmp.path() / "arg.txt"), arg);
    EXPECT_EQ(fs::path(where), fs::canonical(tmp.path()));
    EXPECT_EQ(arg, "two words");
    EXPECT_EQ(zombieChildren(), 0);

    EXPECT_FALSE(spawnProcess("virelo-no-such-program", {}, ""));
    EXPECT_FALSE(spawnProcess(tmp.str() + "none", {}, ""));
}

TEST(PlatformProcess, UserFoldersFollowTheEnvironment) {
    test::TempDir tmp;
    EnvVar home("HOME", tmp.path().c_str());
    EnvVar config("XDG_CONFIG_HOME", nullptr);
    {
        EnvVar data("XDG_DATA_HOME", "/data/home");
        EXPECT_EQ(appDataFolder(), "/data/home/");
    }
    EnvVar data("XDG_DATA_HOME", nullptr);
    EXPECT_EQ(appDataFolder(), tmp.str() + ".local/share/");
    EXPECT_EQ(documentsFolder(), tmp.str() + "Documents/");
    tmp.write(".config/user-dirs.dirs", "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                                        "XDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n");
    EXPECT_EQ(documentsFolder(), tmp.str() + "Papers/");
}

TEST(PlatformProcess, WaitedProgramsGiveTheirStatusOrAreKilledAtTheTimeout) {
    EXPECT_EQ(runProcess("/bin/sh", {"-c", "exit 3"}, "", 10000), 3);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(runProcess("/bin/sleep", {"10"}, "", 100), -1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    std::string out;
    EXPECT_TRUE(runProcessOutput("/bin/sh", {"-c", "echo one; echo two"}, out, 10000));
    EXPECT_EQ(out, "one\ntwo\n");
    EXPECT_FALSE(runProcessOutput("/bin/sh", {"-c", "echo partial; exit 1"}, out, 10000));
    EXPECT_EQ(zombieChildren(), 0);
}

// xdg-mime and the desktop entries stood in for by files of the test.
TEST(PlatformProcess, TheDesktopsProgramAndCommandForAFileComeFromItsDesktopEntry) {
    test::TempDir t;
    t.write("bin/xdg-mime",
            "#!/bin/sh\ncase \"$2\" in\n  filetype) echo text/x-virelo-note ;;\n"
            "  default) [ \"$3\" = text/x-virelo-note ] && echo note-viewer.desktop ;;\nesac\n");
    t.write("bin/noteview", "#!/bin/sh\n");
    for (const char* f : {"bin/xdg-mime", "bin/noteview"})
        fs::permissions(t.path() / f, fs::perms::owner_all, fs::perm_options::add);
    t.write("share/applications/note-viewer.desktop",
            "[Desktop Action New]\nExec=wrong\n[Desktop Entry]\nName=Notes\nExec=\"noteview\" --open %f --at=100%% %i\n");
    t.write("note.txt", "x");
    EnvVar path("PATH", (t.str() + "bin:" + environmentValue("PATH")).c_str());
    EnvVar data("XDG_DATA_HOME", (t.str() + "share").c_str());
    EXPECT_EQ(desktopDefaultProgram(t.str() + "note.txt"), t.str() + "bin/noteview");
    EXPECT_EQ(desktopDefaultProgram(t.str() + "bin"), "") << "a folder has none";
    EXPECT_EQ(desktopDefaultProgram(t.str() + "missing.txt"), "");
    // The whole command, to be waited for: the field codes filled in.
    EXPECT_EQ(desktopOpenCommand(t.str() + "note.txt"),
              (std::vector<std::string>{t.str() + "bin/noteview", "--open", t.str() + "note.txt", "--at=100%"}));
}

TEST(PlatformProcess, HostFacts) {
    EXPECT_EQ(fs::path(executablePath()), fs::canonical("/proc/self/exe"));
    EXPECT_GE(processorCount(), 1);
    EXPECT_EQ(errnoText(ENOENT), std::strerror(ENOENT));
    EXPECT_NE(errnoText(EACCES), errnoText(ENOENT));
}

TEST(PlatformProcess, QuitSignalsBecomeOneQuitEventAndASecondCtrlCEndsAtOnce) {
    // In a child: the flag cannot be cleared and would end other tests.
    int rc = inChild([] {
        installQuitSignals();
        if (quitSignalled()) return 1;
        HeadlessPlatform host(HeadlessOptions{});
        host.pushEvent(Event{EventType::FocusLost, 1});
        raise(SIGTERM);  // would end the child without the handler
        Event e;
        if (!quitSignalled() || !host.pollEvent(e) || e.type != EventType::FocusLost) return 2;
        if (!host.pollEvent(e) || e.type != EventType::Quit) return 3;
        if (host.pollEvent(e)) return 4;
        raise(SIGTERM);  // a second SIGTERM changes nothing
        if (quitSignal() != SIGTERM || host.pollEvent(e)) return 5;
        raise(SIGINT);  // a second Ctrl+C does not wait for the orderly end
        return 6;
    });
    EXPECT_EQ(rc, 130);
}

TEST(PlatformSdl, NoDisplayGivesNoPlatform) {
    if (fs::exists("/dev/dri")) GTEST_SKIP() << "a console display device could serve SDL here";
    int rc = inChild([] {
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        unsetenv("SDL_VIDEODRIVER");
        return createSdlPlatform() == nullptr ? 0 : 1;
    });
    EXPECT_EQ(rc, 0);
}

// A block left by a process killed outright is removed by the next run;
// the blocks of processes still running, and other names, are not.
TEST(SharedBlocks, OnlyTheBlocksOfEndedProcessesAreRemoved) {
    ChildProcess child;
    ASSERT_TRUE(child.start("/bin/true", {}));
    while (!child.ended()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const std::string prefix = "/virelo-test-blocks-" + std::to_string(getpid()) + "-";
    SharedMemory ofEnded, ofOurs, other;
    ASSERT_TRUE(ofEnded.create(prefix + std::to_string(child.pid()), 64));
    ASSERT_TRUE(ofOurs.create(prefix + std::to_string(getpid()), 64));
    ASSERT_TRUE(other.create(prefix + "x", 64));
    removeBlocksOfEndedProcesses(prefix);
    SharedMemory probe;
    EXPECT_FALSE(probe.open(prefix + std::to_string(child.pid())));
    EXPECT_TRUE(probe.open(prefix + std::to_string(getpid())));
    EXPECT_TRUE(probe.open(prefix + "x"));
}

}  // namespace
}  // namespace vr::platform
