// Replacing a file whole: the new bytes or, when they cannot be written,
// the old file untouched and nothing left beside it.
#include <errno.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "support/temp_dir.h"

namespace vr::platform {
namespace {

std::string contents(const std::string& hostPath) {
    std::vector<uint8_t> bytes;
    if (!readHostFile(hostPath, bytes)) return "<missing>";
    return std::string(bytes.begin(), bytes.end());
}

// Runs `body` in a child process (killed after 20 s) and gives its exit code.
template <typename Body>
int inChild(Body body) {
    pid_t pid = fork();
    if (pid == 0) {
        alarm(20);
        _exit(body());
    }
    int status = 0;
    for (int waited = 0; waited < 2000; ++waited) {
        if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -1;
}

TEST(ReplaceFile, NewBytesOrTheOldFileWhole) {
    test::TempDir tmp;
    test::CurrentDir cd{tmp.path()};
    ASSERT_EQ(makeFolder("Save"), 0);
    ASSERT_EQ(makeFolder("save"), 0);  // already there, in any case
    ASSERT_EQ(replaceFile("save\\slot1.sd", "first", 5), 0);
    ASSERT_EQ(replaceFile("SAVE\\slot1.sd", "second", 6), 0);
    EXPECT_EQ(contents(tmp.str() + "Save/slot1.sd"), "second");
    EXPECT_EQ(replaceFile("missing\\slot1.sd", "x", 1), ENOENT);

    // A disk that fills up (a file-size limit stands in for it) in the
    // middle of the write.
    std::string big(64 * 1024, 'b');
    int code = inChild([&] {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{16 * 1024, 16 * 1024};
        setrlimit(RLIMIT_FSIZE, &limit);
        return replaceFile("save\\slot1.sd", big.data(), big.size());
    });
    EXPECT_EQ(code, EFBIG);
    EXPECT_EQ(contents(tmp.str() + "Save/slot1.sd"), "second");
    int left = 0;
    for (const auto& entry : std::filesystem::directory_iterator(tmp.path() / "Save")) {
        (void)entry;
        ++left;
    }
    EXPECT_EQ(left, 1);
}

}  // namespace
}  // namespace vr::platform
