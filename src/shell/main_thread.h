// Work the frame thread hands to the main thread.  The window system wants
// its windows, cursor, dialogs and display modes touched from the thread
// that pumps its events; while a frame thread runs, every such call is
// queued here as a job, the main loop runs it between two pumps, and the
// caller waits for it to have run.  Without a frame thread (or on the main
// thread itself) a job runs at once, in the caller.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>

#include "platform/platform.h"

namespace vr {

class MainThreadCalls {
public:
    MainThreadCalls() = default;
    MainThreadCalls(const MainThreadCalls&) = delete;
    MainThreadCalls& operator=(const MainThreadCalls&) = delete;

    // Called on the main thread before the frame thread starts: from now on
    // jobs of other threads wait for the main thread.
    void open();
    // Called on the main thread once it serves no more jobs (shutdown):
    // every waiting job and every later one from another thread is dropped,
    // so that a frame thread waiting here can run to its end.
    void close();

    // Runs the job on the main thread and returns once it has run; false
    // when it was dropped (the queue closed).
    bool run(const std::function<void()>& job);

    // Main thread: waits up to the given real time for a job to arrive;
    // true when one is waiting.  Never touches the engine's clock.
    bool waitForJob(uint32_t milliseconds);
    // Main thread: runs every job waiting, in the order they came.
    void serve();

    // True while another thread waits for a job of its own: that thread
    // stands still, so the main thread may read the state it owns (a drag
    // test asked for during a pump).  Always true without a frame thread.
    bool callerWaiting();
    bool onMainThread();

private:
    struct Job {
        const std::function<void()>* work = nullptr;
        platform::AutoResetEvent done;
        bool ran = false;
    };

    platform::EngineLock lock_;
    platform::AutoResetEvent arrived_;
    std::deque<Job*> queue_;
    int waiting_ = 0;  // callers between handing in a job and its end
    bool open_ = false;
    bool closed_ = false;
    uint64_t mainThread_ = 0;
};

}  // namespace vr
