// Instance guards, in a runtime folder of the test's own.
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "support/sjis_text.h"
#include "support/temp_dir.h"

namespace vr::platform {
namespace {

namespace fs = std::filesystem;

class PlatformInstance : public ::testing::Test {
protected:
    void SetUp() override {
        const char* old = std::getenv("VIRELO_RUNTIME_DIR");
        hadOld = old != nullptr;
        if (old) oldValue = old;
        folder = tmp.str() + "run/time";
        setenv("VIRELO_RUNTIME_DIR", folder.c_str(), 1);
    }
    void TearDown() override {
        if (hadOld)
            setenv("VIRELO_RUNTIME_DIR", oldValue.c_str(), 1);
        else
            unsetenv("VIRELO_RUNTIME_DIR");
    }
    test::TempDir tmp;
    std::string folder, oldValue;
    bool hadOld = false;
};

// Names as the shell builds them: a path with '/', ':' and Shift_JIS bytes.
const std::string kName = test::sjis(u8"virelo:/home/user/ゲーム/表示");

TEST_F(PlatformInstance, RuntimeFolderIsCreatedPrivate) {
    EXPECT_EQ(runtimeFolder(), folder);
    struct stat st{};
    ASSERT_EQ(stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST_F(PlatformInstance, NamedLockIsHeldByOneAtATime) {
    NamedLock first, second, other;
    EXPECT_EQ(first.acquire(kName), 1);
    EXPECT_TRUE(first.held());
    EXPECT_EQ(second.acquire(kName), 0);
    EXPECT_FALSE(second.held());
    EXPECT_EQ(other.acquire(kName + "x"), 1);
    // The lock file is one plain file in the runtime folder.
    int files = 0;
    for (const auto& e : fs::directory_iterator(folder)) files += e.path().filename().string().find('/') == std::string::npos;
    EXPECT_EQ(files, 2);
    first.release();
    EXPECT_EQ(second.acquire(kName), 1);
}

TEST_F(PlatformInstance, NamedLockAcrossProcesses) {
    int ready[2], go[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(go), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        NamedLock lock;
        char c = lock.acquire(kName) == 1 ? 'y' : 'n';
        (void)!write(ready[1], &c, 1);
        (void)!read(go[0], &c, 1);
        _exit(0);
    }
    char c = 0;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    EXPECT_EQ(c, 'y');
    NamedLock lock;
    EXPECT_EQ(lock.acquire(kName), 0);
    ASSERT_EQ(write(go[1], "x", 1), 1);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_EQ(lock.acquire(kName), 1);
    for (int fd : {ready[0], ready[1], go[0], go[1]}) close(fd);
}

TEST_F(PlatformInstance, LongNamesStillMakeUsableFiles) {
    std::string longName(400, 'n');
    NamedLock lock;
    EXPECT_EQ(lock.acquire(longName), 1);
    InstanceChannel channel;
    ASSERT_TRUE(channel.listen(longName));
    EXPECT_TRUE(InstanceChannel::sendRaiseRequest(longName));
    EXPECT_TRUE(channel.pollRaiseRequest());
    EXPECT_FALSE(InstanceChannel::sendRaiseRequest(longName + "y"));
}

TEST_F(PlatformInstance, RaiseRequestsArriveOnce) {
    EXPECT_FALSE(InstanceChannel::sendRaiseRequest(kName));  // nobody listens
    InstanceChannel channel;
    ASSERT_TRUE(channel.listen(kName));
    EXPECT_FALSE(channel.pollRaiseRequest());
    EXPECT_TRUE(InstanceChannel::sendRaiseRequest(kName));
    EXPECT_TRUE(InstanceChannel::sendRaiseRequest(kName));
    EXPECT_TRUE(channel.pollRaiseRequest());
    EXPECT_FALSE(channel.pollRaiseRequest());
    channel.close();
    EXPECT_FALSE(InstanceChannel::sendRaiseRequest(kName));
    EXPECT_FALSE(channel.pollRaiseRequest());
}

TEST_F(PlatformInstance, StrangersAndSlowSendersAreHandled) {
    InstanceChannel channel;
    ASSERT_TRUE(channel.listen(kName));
    std::string sock;
    for (const auto& e : fs::directory_iterator(folder))
        if (e.is_socket()) sock = e.path().string();
    ASSERT_FALSE(sock.empty());
    auto connectTo = [&] {
        int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        sock.copy(addr.sun_path, sizeof addr.sun_path - 1);
        EXPECT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
        return fd;
    };
    int stranger = connectTo();
    ASSERT_EQ(write(stranger, "hello\n", 6), 6);
    int slow = connectTo();
    ASSERT_EQ(write(slow, "rai", 3), 3);
    EXPECT_FALSE(channel.pollRaiseRequest());
    ASSERT_EQ(write(slow, "se\n", 3), 3);
    EXPECT_TRUE(channel.pollRaiseRequest());
    close(stranger);
    close(slow);
}

TEST_F(PlatformInstance, StaleSocketIsReplacedOtherFilesAreNot) {
    {
        InstanceChannel dead;
        ASSERT_TRUE(dead.listen("plain"));
        // As after a crash: the socket file stays with nobody listening.
        fs::rename(folder + "/plain.sock", folder + "/moved.sock");
        dead.close();
        fs::rename(folder + "/moved.sock", folder + "/plain.sock");
    }
    ASSERT_TRUE(fs::is_socket(folder + "/plain.sock"));
    EXPECT_FALSE(InstanceChannel::sendRaiseRequest("plain"));
    InstanceChannel channel;
    ASSERT_TRUE(channel.listen("plain"));
    EXPECT_TRUE(InstanceChannel::sendRaiseRequest("plain"));
    EXPECT_TRUE(channel.pollRaiseRequest());
    channel.close();
    EXPECT_FALSE(fs::exists(folder + "/plain.sock"));

    // A second listener takes over; the first closing must not remove it.
    InstanceChannel a, b;
    ASSERT_TRUE(a.listen("other"));
    ASSERT_TRUE(b.listen("other"));
    a.close();
    EXPECT_TRUE(InstanceChannel::sendRaiseRequest("other"));
    EXPECT_TRUE(b.pollRaiseRequest());

    // Whatever else sits where the socket would go is not deleted.
    std::ofstream(folder + "/file.sock") << "mine";
    EXPECT_FALSE(channel.listen("file"));
    EXPECT_TRUE(fs::is_regular_file(folder + "/file.sock"));
}

}  // namespace
}  // namespace vr::platform
