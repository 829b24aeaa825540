#pragma once
// Dispatch queues, semaphores and one-time initialisation.
//
// - mainQueue(): serial, runs its blocks in order on the Qt main thread from the event loop. While one of its
//   blocks runs a nested event loop (a modal dialog, QEventLoop::exec), no further main-queue block starts: they
//   wait until that block has returned. A QCoreApplication (or QApplication) must exist for blocks to run.
// - globalQueue(): concurrent, an elastic pool of worker threads. A worker that waits on a platform::Semaphore (or
//   inside a BlockingScope) counts as blocked, and a new worker is added when every worker is blocked and blocks
//   are waiting, so blocks that wait for later blocks do not deadlock. A watchdog also adds a worker when queued
//   blocks make no progress for a while, for waits the pool cannot see (a socket read, a std::mutex).
// - createSerialQueue(label): one worker thread of its own; blocks run one at a time in the order queued.
// - sync() runs a block and returns when it has run. On the main queue from the main thread, on a serial queue
//   from its own worker, and on the global queue it runs inline on the calling thread.
// - dispatchAfter(): runs a block on a queue after a delay (a QTimer for the main queue).
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace platform {

using DispatchBlock = std::function<void()>;

class DispatchQueue {
public:
    virtual ~DispatchQueue() = default;
    DispatchQueue(const DispatchQueue&) = delete;
    DispatchQueue& operator=(const DispatchQueue&) = delete;

    // Queues the block and returns at once.
    virtual void async(DispatchBlock block) = 0;
    // Runs the block on this queue and returns when it has finished.
    virtual void sync(const DispatchBlock& block) = 0;
    virtual const std::string& label() const = 0;

protected:
    DispatchQueue() = default;
};

enum class QueuePriority { High, Default, Low, Background };

// The main queue (serial, Qt main thread).
DispatchQueue& mainQueue();
// The shared concurrent queue. Every priority is served by the same elastic pool.
DispatchQueue& globalQueue(QueuePriority priority = QueuePriority::Default);
// The number of worker threads the global queue has now (busy, blocked or idle); for diagnostics and tests.
int globalQueueWorkerCount();
// A new serial queue with a worker thread of its own. Destroying the last handle lets the queued blocks finish
// first; the worker then ends. A block may hold a handle to its own queue.
std::shared_ptr<DispatchQueue> createSerialQueue(std::string label);

inline void dispatchAsync(DispatchQueue& queue, DispatchBlock block) { queue.async(std::move(block)); }
inline void dispatchSync(DispatchQueue& queue, const DispatchBlock& block) { queue.sync(block); }
// Queues the block on `queue` once `delay` has passed. Callable from any thread.
void dispatchAfter(std::chrono::milliseconds delay, DispatchQueue& queue, DispatchBlock block);
// Shorthand for the main queue.
inline void dispatchAfter(std::chrono::milliseconds delay, DispatchBlock block) {
    dispatchAfter(delay, mainQueue(), std::move(block));
}

// Makes the main queue's receiver on the main thread. Called right after the application object is made, before
// any other thread posts to the main queue; otherwise the first such post makes it on that thread and hands it
// over, which is sound but unseen by the thread sanitizer.
void prepareMainQueue();

// Runs f on the main thread at the event loop's next turn, outside the main queue's order: also while a main-queue
// block runs a nested loop (ending a modal session from another thread needs that). Callable from any thread.
void runOnMainThread(std::function<void()> f);

// True on the Qt main thread (the thread of the QCoreApplication).
bool isMainThread();
// True while the calling thread runs a main-queue block.
bool isRunningMainQueueBlock();

// Marks the calling thread as blocked for its lifetime. On a global-queue worker this lets the pool add a
// worker at once when every other worker is blocked too; elsewhere it costs nothing.
class BlockingScope {
public:
    BlockingScope();
    ~BlockingScope();
    BlockingScope(const BlockingScope&) = delete;
    BlockingScope& operator=(const BlockingScope&) = delete;

private:
    bool active_;
};

// A counting semaphore. Waits are blocking scopes (see above).
// Built on a mutex and a condition variable rather than std::counting_semaphore: the libstdc++ of this
// toolchain (GCC 12.2) has a semaphore that can miss a wake-up and sleep for ever (GCC bug 104928).
class Semaphore {
public:
    explicit Semaphore(long initial = 0);
    Semaphore(const Semaphore&) = delete;
    Semaphore& operator=(const Semaphore&) = delete;
    void signal();
    void wait();
    // False when the time-out passed without a signal.
    bool waitFor(std::chrono::milliseconds timeout);

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    long count_;
};

// One-time initialisation.
using OnceFlag = std::once_flag;
template <class F>
void dispatchOnce(OnceFlag& flag, F&& f) {
    std::call_once(flag, std::forward<F>(f));
}

// Runs the Qt event loop (and with it the main queue) on the main thread until `condition` holds or `timeout`
// has passed; returns the condition's last value. For tests and start-up code; not for use inside a main-queue
// block, whose nested loop would not run further main-queue blocks.
bool runMainUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout);

}  // namespace platform
