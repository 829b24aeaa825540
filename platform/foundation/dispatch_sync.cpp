// Semaphores, blocking scopes and delayed dispatch to queues other than the main queue.
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

#include "platform/foundation/dispatch.h"
#include "platform/foundation/dispatch_internal.h"

namespace platform {

BlockingScope::BlockingScope() : active_(dispatch_detail::poolWorkerWillBlock()) {}

BlockingScope::~BlockingScope() {
    if (active_) dispatch_detail::poolWorkerDidUnblock();
}

Semaphore::Semaphore(long initial) : count_(initial) {}

void Semaphore::signal() {
    // Notified under the lock: a waiter that returns may destroy the semaphore at once (sync() does), so the
    // signalling thread must be done with it by the time the waiter can take the lock.
    std::lock_guard lock(mutex_);
    ++count_;
    cv_.notify_one();
}

void Semaphore::wait() {
    std::unique_lock lock(mutex_);
    if (count_ > 0) {
        --count_;
        return;
    }
    BlockingScope blocking;
    cv_.wait(lock, [this] { return count_ > 0; });
    --count_;
}

bool Semaphore::waitFor(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    if (count_ > 0) {
        --count_;
        return true;
    }
    BlockingScope blocking;
    if (!cv_.wait_for(lock, timeout, [this] { return count_ > 0; })) return false;
    --count_;
    return true;
}

void dispatchAfter(std::chrono::milliseconds delay, DispatchQueue& queue, DispatchBlock block) {
    auto deadline = std::chrono::steady_clock::now() + std::max(delay, std::chrono::milliseconds(0));
    if (&queue == &mainQueue()) {
        dispatch_detail::scheduleOnMainTimer(deadline, std::move(block));
    } else {
        dispatch_detail::scheduleOnTimerThread(deadline, dispatch_detail::retainedAsyncTarget(queue), std::move(block));
    }
}

namespace dispatch_detail {
namespace {

// One thread that hands delayed blocks to their queues when they fall due. Never destroyed: blocks may still be
// pending when the process exits.
class TimerThread {
public:
    void schedule(std::chrono::steady_clock::time_point deadline, AsyncTarget target, DispatchBlock block) {
        std::lock_guard lock(mutex_);
        pending_.emplace(deadline, Entry{std::move(target), std::move(block)});
        if (!started_) {
            started_ = true;
            std::thread([this] { run(); }).detach();
        }
        cv_.notify_one();
    }

private:
    struct Entry {
        AsyncTarget target;
        DispatchBlock block;
    };

    void run() {
        std::unique_lock lock(mutex_);
        for (;;) {
            if (pending_.empty()) {
                cv_.wait(lock);
                continue;
            }
            auto first = pending_.begin();
            if (std::chrono::steady_clock::now() < first->first) {
                cv_.wait_until(lock, first->first);
                continue;
            }
            Entry entry = std::move(first->second);
            pending_.erase(first);
            lock.unlock();
            entry.target(std::move(entry.block));
            entry = Entry{};  // release what the block captured outside the lock
            lock.lock();
        }
    }

    std::mutex mutex_;
    std::condition_variable cv_;
    std::multimap<std::chrono::steady_clock::time_point, Entry> pending_;
    bool started_ = false;
};

}  // namespace

void scheduleOnTimerThread(std::chrono::steady_clock::time_point deadline, AsyncTarget target, DispatchBlock block) {
    static TimerThread* timer = new TimerThread;  // intentionally never destroyed
    timer->schedule(deadline, std::move(target), std::move(block));
}

}  // namespace dispatch_detail
}  // namespace platform
