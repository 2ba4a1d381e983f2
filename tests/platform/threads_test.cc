#include <atomic>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "platform/platform.h"

namespace vr::platform {
namespace {

// Spins until `done` holds, for at most a second.
template <typename F>
bool eventually(F done) {
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (!done()) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::yield();
    }
    return true;
}

TEST(PlatformThreads, AutoResetEventKeepsOneSetAndClearsOnWake) {
    AutoResetEvent initially(true);
    EXPECT_TRUE(initially.waitFor(0));
    EXPECT_FALSE(initially.waitFor(0));

    AutoResetEvent e;
    EXPECT_FALSE(e.waitFor(1));
    e.set();
    e.set();  // sets do not add up
    EXPECT_TRUE(e.waitFor(0));
    EXPECT_FALSE(e.waitFor(1));
    e.set();
    e.wait();  // kept for the next waiter
    EXPECT_FALSE(e.waitFor(0));
}

TEST(PlatformThreads, EachSetWakesOneWaiter) {
    AutoResetEvent e;
    std::atomic<int> woken{0};
    Thread a, b;
    ASSERT_TRUE(a.start([&] { e.wait(); ++woken; }));
    ASSERT_TRUE(b.start([&] { e.wait(); ++woken; }));
    e.set();
    ASSERT_TRUE(eventually([&] { return woken.load() == 1; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(3));
    EXPECT_EQ(woken.load(), 1);
    e.set();
    a.join();
    b.join();
    EXPECT_EQ(woken.load(), 2);
    EXPECT_FALSE(a.running());
}

TEST(PlatformThreads, EngineLockIsRecursiveAndExcludesOthers) {
    EngineLock lock;
    std::atomic<bool> entered{false};
    Thread t;
    {
        LockHolder outer(lock);
        LockHolder inner(lock);
        ASSERT_TRUE(t.start([&] {
            LockHolder hold(lock);
            entered = true;
        }));
        EXPECT_TRUE(t.running());
        EXPECT_FALSE(t.start([] {}));  // one body at a time
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
        EXPECT_FALSE(entered.load());
    }
    t.join();
    EXPECT_TRUE(entered.load());
    // A finished thread can be started again.
    std::atomic<int> runs{0};
    ASSERT_TRUE(t.start([&] { ++runs; }, 0));
    t.join();
    EXPECT_EQ(runs.load(), 1);
}

}  // namespace
}  // namespace vr::platform
