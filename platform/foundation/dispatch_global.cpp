// The global queue: an elastic pool of worker threads.
//
// The pool keeps about as many unblocked workers as the machine has cores. A worker that waits inside a
// BlockingScope (every platform::Semaphore wait, every sync() onto another queue) does not count, so when all
// workers wait for blocks still queued behind them a new worker starts and runs those blocks. Waits the pool
// cannot see are covered by a watchdog: when blocks wait in the queue, no worker is idle and no block has finished
// for a tick, it adds a worker. Workers idle for a while end; the pool starts new ones on demand.
#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "platform/foundation/dispatch.h"
#include "platform/foundation/dispatch_internal.h"

namespace platform {
namespace {

using namespace std::chrono_literals;

constexpr auto kIdleWorkerLifetime = 10s;
constexpr auto kWatchdogTick = 50ms;
constexpr int kMaxWorkers = 512;

class GlobalPool;
thread_local GlobalPool* tlsPool = nullptr;

class GlobalPool final : public DispatchQueue {
public:
    GlobalPool() : target_(std::max(2, static_cast<int>(std::thread::hardware_concurrency()))) {}

    void async(DispatchBlock block) override {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(block));
        if (!watchdogStarted_) {
            watchdogStarted_ = true;
            std::thread([this] { watch(); }).detach();
        }
        if (idle_ > 0) workAvailable_.notify_one();
        addWorkerIfStarvedLocked();
        queueNotEmpty_.notify_one();
    }

    // A concurrent queue has nothing to order against: the block runs on the calling thread.
    void sync(const DispatchBlock& block) override { block(); }

    const std::string& label() const override { return label_; }

    void willBlock() {
        std::lock_guard lock(mutex_);
        ++blocked_;
        addWorkerIfStarvedLocked();
    }

    int workerCount() {
        std::lock_guard lock(mutex_);
        return workers_;
    }

    void didUnblock() {
        std::lock_guard lock(mutex_);
        --blocked_;
    }

private:
    // More queued blocks than idle workers to take them, and fewer running workers than cores.
    void addWorkerIfStarvedLocked() {
        if (queue_.size() > static_cast<size_t>(idle_) && workers_ - blocked_ - idle_ < target_ &&
            workers_ < kMaxWorkers) {
            startWorkerLocked();
        }
    }

    void startWorkerLocked() {
        ++workers_;
        std::thread([this] { work(); }).detach();
    }

    void work() {
        tlsPool = this;
        std::unique_lock lock(mutex_);
        for (;;) {
            while (queue_.empty()) {
                ++idle_;
                bool timedOut = workAvailable_.wait_for(lock, kIdleWorkerLifetime) == std::cv_status::timeout;
                --idle_;
                if (timedOut && queue_.empty()) {
                    --workers_;
                    return;
                }
            }
            DispatchBlock block = std::move(queue_.front());
            queue_.pop_front();
            lock.unlock();
            block();
            block = nullptr;  // what the block captured is released outside the lock
            lock.lock();
            ++completed_;
        }
    }

    void watch() {
        std::unique_lock lock(mutex_);
        for (;;) {
            queueNotEmpty_.wait(lock, [this] { return !queue_.empty(); });
            uint64_t before = completed_;
            auto deadline = std::chrono::steady_clock::now() + kWatchdogTick;
            while (queueNotEmpty_.wait_until(lock, deadline) == std::cv_status::no_timeout) {
            }
            if (!queue_.empty() && completed_ == before && idle_ == 0 && workers_ < kMaxWorkers) {
                startWorkerLocked();
            }
        }
    }

    const int target_;
    const std::string label_ = "global";
    std::mutex mutex_;
    std::condition_variable workAvailable_;
    std::condition_variable queueNotEmpty_;
    std::deque<DispatchBlock> queue_;
    int workers_ = 0;
    int idle_ = 0;
    int blocked_ = 0;
    uint64_t completed_ = 0;
    bool watchdogStarted_ = false;
};

GlobalPool& pool() {
    static GlobalPool* p = new GlobalPool;  // never destroyed: detached workers may outlive static destruction
    return *p;
}

}  // namespace

DispatchQueue& globalQueue(QueuePriority) { return pool(); }

int globalQueueWorkerCount() { return pool().workerCount(); }

namespace dispatch_detail {

// Nested scopes on one thread count once.
thread_local int tlsBlockingDepth = 0;

bool poolWorkerWillBlock() {
    if (tlsPool == nullptr) return false;
    if (tlsBlockingDepth++ == 0) tlsPool->willBlock();
    return true;
}

void poolWorkerDidUnblock() {
    if (tlsPool != nullptr && --tlsBlockingDepth == 0) tlsPool->didUnblock();
}

}  // namespace dispatch_detail
}  // namespace platform
