#include "shell/main_thread.h"

namespace vr {

void MainThreadCalls::open() {
    platform::LockHolder hold(lock_);
    mainThread_ = platform::currentThreadId();
    open_ = true;
    closed_ = false;
}

void MainThreadCalls::close() {
    platform::LockHolder hold(lock_);
    closed_ = true;
    for (Job* job : queue_) {
        --waiting_;
        job->done.set();
    }
    queue_.clear();
}

bool MainThreadCalls::onMainThread() {
    platform::LockHolder hold(lock_);
    return !open_ || platform::currentThreadId() == mainThread_;
}

bool MainThreadCalls::run(const std::function<void()>& work) {
    Job job;
    job.work = &work;
    bool queued = false;
    {
        platform::LockHolder hold(lock_);
        if (open_ && platform::currentThreadId() != mainThread_) {
            if (closed_) return false;
            queue_.push_back(&job);
            ++waiting_;
            queued = true;
        }
    }
    if (!queued) {
        work();
        return true;
    }
    arrived_.set();
    job.done.wait();
    platform::LockHolder hold(lock_);
    return job.ran;
}

bool MainThreadCalls::waitForJob(uint32_t milliseconds) {
    {
        platform::LockHolder hold(lock_);
        if (!queue_.empty()) return true;
    }
    arrived_.waitFor(milliseconds);
    platform::LockHolder hold(lock_);
    return !queue_.empty();
}

void MainThreadCalls::serve() {
    for (;;) {
        Job* job = nullptr;
        {
            platform::LockHolder hold(lock_);
            if (queue_.empty() || closed_) return;
            job = queue_.front();
            queue_.pop_front();
        }
        // The caller stands still until `done` is set, so the job may use
        // what the caller owns; `waiting_` still counts it meanwhile.
        (*job->work)();
        platform::LockHolder hold(lock_);
        job->ran = true;
        --waiting_;
        job->done.set();
    }
}

bool MainThreadCalls::callerWaiting() {
    platform::LockHolder hold(lock_);
    return !open_ || waiting_ > 0;
}

}  // namespace vr
