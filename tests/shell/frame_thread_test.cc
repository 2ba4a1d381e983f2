// The frame thread's calls to the window system are made on the main
// thread, and a run that ends while the frame thread waits for one of them
// still ends.
#include "shell/frame_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "platform/headless/headless.h"
#include "shell/engine.h"
#include "shell/startup.h"

namespace vr {
namespace {

// Notes the thread each message box is shown on.
class BoxThreadHost : public platform::HeadlessPlatform {
public:
    BoxThreadHost() : HeadlessPlatform(platform::HeadlessOptions{}) {}
    int messageBox(const platform::MessageBoxSpec& desc) override {
        shownOn = std::this_thread::get_id();
        return HeadlessPlatform::messageBox(desc);
    }
    std::thread::id shownOn;
};

// A hang would stall the whole suite: past the time given, the test
// program ends with a failure.
class Watchdog {
public:
    explicit Watchdog(uint32_t milliseconds) {
        thread_.start([this, milliseconds] {
            if (done_.waitFor(milliseconds)) return;
            std::fprintf(stderr, "hung for %u ms\n", milliseconds);
            std::abort();
        });
    }
    ~Watchdog() {
        done_.set();
        thread_.join();
    }

private:
    platform::AutoResetEvent done_;
    platform::Thread thread_;
};

TEST(FrameThread, AMessageBoxOfTheFrameThreadIsShownOnTheMainThreadAndAnswers) {
    BoxThreadHost host;
    Engine e(host);
    EngineBinding binding(e);
    Watchdog watchdog(20000);
    e.mainThread.open();
    host.queueMessageBoxAnswer(platform::kIdNo);
    std::atomic<int> answer{0};
    platform::Thread frame;
    ASSERT_TRUE(frame.start([&] {
        platform::MessageBoxSpec box;
        box.buttons = platform::Buttons::YesNo;
        answer = core().platform.messageBox(box);
    }));
    // Until the main thread serves it, the box is not shown.
    ASSERT_TRUE(e.mainThread.waitForJob(10000));
    EXPECT_EQ(answer, 0);
    EXPECT_EQ(host.shownOn, std::thread::id());
    e.mainThread.serve();
    frame.join();
    EXPECT_EQ(answer, platform::kIdNo);
    EXPECT_EQ(host.shownOn, std::this_thread::get_id());
}

TEST(FrameThread, ShutdownWhileTheFrameThreadWaitsForTheMainThreadEndsIt) {
    platform::HeadlessPlatform host(platform::HeadlessOptions{});
    Engine e(host);
    EngineBinding binding(e);
    Watchdog watchdog(20000);
    e.core.run.frameThreadMode = true;
    ASSERT_TRUE(startFrameThread());
    // Every frame starts with a job for the main thread (the events and the
    // input sample); this one is never served.
    ASSERT_TRUE(e.mainThread.waitForJob(10000));
    engineShutdown();
    EXPECT_FALSE(frameThreadRunning());
    EXPECT_TRUE(e.core.run.quitRequested);
    EXPECT_EQ(e.shell.framesRun, 0u);
}

}  // namespace
}  // namespace vr
