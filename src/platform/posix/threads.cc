// Threads, the engine lock and auto-reset events over the standard library.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/platform.h"

namespace vr::platform {

struct AutoResetEvent::Impl {
    std::mutex mutex;
    std::condition_variable wake;
    bool signalled = false;
};

AutoResetEvent::AutoResetEvent(bool initiallySet) : impl_(std::make_unique<Impl>()) {
    impl_->signalled = initiallySet;
}

AutoResetEvent::~AutoResetEvent() = default;

// Wakes under the lock: a waiter cannot return (and free the event) before
// the setter is done with it, so an event may live on the waiter's stack.
void AutoResetEvent::set() {
    std::lock_guard<std::mutex> hold(impl_->mutex);
    impl_->signalled = true;
    impl_->wake.notify_one();
}

void AutoResetEvent::reset() {
    std::lock_guard<std::mutex> hold(impl_->mutex);
    impl_->signalled = false;
}

void AutoResetEvent::wait() {
    std::unique_lock<std::mutex> hold(impl_->mutex);
    impl_->wake.wait(hold, [this] { return impl_->signalled; });
    impl_->signalled = false;
}

bool AutoResetEvent::waitFor(uint32_t milliseconds) {
    std::unique_lock<std::mutex> hold(impl_->mutex);
    if (!impl_->wake.wait_for(hold, std::chrono::milliseconds(milliseconds), [this] { return impl_->signalled; }))
        return false;
    impl_->signalled = false;
    return true;
}

struct EngineLock::Impl {
    std::recursive_mutex mutex;
};

EngineLock::EngineLock() : impl_(std::make_unique<Impl>()) {}
EngineLock::~EngineLock() = default;
void EngineLock::lock() { impl_->mutex.lock(); }
void EngineLock::unlock() { impl_->mutex.unlock(); }

struct Thread::Impl {
    std::thread thread;
    // Shared with the body, which may still be finishing when we look.
    std::shared_ptr<std::atomic<bool>> running;
};

uint64_t currentThreadId() {
    static std::atomic<uint64_t> next{1};
    thread_local const uint64_t id = next.fetch_add(1);
    return id;
}

Thread::Thread() = default;
Thread::~Thread() { join(); }

// The preferred processor is not enforced: pinning a thread to a core that
// is busy with something else would only slow it down on a shared host.
bool Thread::start(std::function<void()> body, int /*preferredProcessor*/) {
    if (running()) return false;
    join();
    if (!impl_) impl_ = std::make_unique<Impl>();
    auto flag = std::make_shared<std::atomic<bool>>(true);
    try {
        impl_->thread = std::thread([flag, body = std::move(body)] {
            if (body) body();
            flag->store(false);
        });
    } catch (...) {
        return false;
    }
    impl_->running = std::move(flag);
    return true;
}

void Thread::join() {
    if (!impl_ || !impl_->thread.joinable()) return;
    // A body that ends its own Thread cannot wait for itself; it is let go.
    if (impl_->thread.get_id() == std::this_thread::get_id())
        impl_->thread.detach();
    else
        impl_->thread.join();
}

bool Thread::running() const { return impl_ && impl_->running && impl_->running->load(); }

}  // namespace vr::platform
