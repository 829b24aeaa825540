// The main queue: a serial queue drained by the Qt event loop of the main thread.
//
// Each async() posts a wake-up event to an object of the main thread; the event runs the queued blocks in order.
// While a block runs, a wake-up that arrives through a nested event loop (a modal dialog started by that block)
// returns without running anything: the outer drain picks the remaining blocks up once the block has returned.
#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QObject>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <deque>
#include <mutex>
#include <thread>

#include "platform/foundation/dispatch.h"
#include "platform/foundation/dispatch_internal.h"

// Qt hands posted events between threads under its own futex-based lock, which ThreadSanitizer cannot see. The
// wake-up event is made on the posting thread and read on the main thread, so the hand-off is declared to it here.
#if defined(__SANITIZE_THREAD__)
#define VX_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define VX_TSAN 1
#endif
#endif
#ifdef VX_TSAN
#include <sanitizer/tsan_interface.h>
#define VX_HANDOFF_RELEASE(addr) __tsan_release(addr)
#define VX_HANDOFF_ACQUIRE(addr) __tsan_acquire(addr)
#else
#define VX_HANDOFF_RELEASE(addr) ((void)(addr))
#define VX_HANDOFF_ACQUIRE(addr) ((void)(addr))
#endif

namespace platform {
namespace {

const QEvent::Type kDrainEvent = static_cast<QEvent::Type>(QEvent::registerEventType());
char gHandoffToken;  // the address the wake-up hand-off is declared on

thread_local bool tlsInMainBlock = false;

class MainQueue;

// Lives on the main thread and receives the wake-ups.
class MainDispatcher final : public QObject {
public:
    explicit MainDispatcher(MainQueue& queue) : queue_(queue) {}
    bool event(QEvent* e) override;

private:
    MainQueue& queue_;
};

class MainQueue final : public DispatchQueue {
public:
    void async(DispatchBlock block) override {
        {
            std::lock_guard lock(mutex_);
            blocks_.push_back(std::move(block));
        }
        wake();
    }

    void sync(const DispatchBlock& block) override {
        if (isMainThread()) {
            block();
            return;
        }
        Semaphore done;
        async([&] {
            block();
            done.signal();
        });
        done.wait();
    }

    const std::string& label() const override { return label_; }

    // On the main thread, from the wake-up event.
    void drain() {
        if (draining_) return;  // a block of ours runs a nested loop: the outer drain goes on after it
        draining_ = true;
        tlsInMainBlock = true;
        size_t budget;
        {
            std::lock_guard lock(mutex_);
            budget = blocks_.size();
        }
        // Runs what was queued when the drain began (and at least one block), so that blocks that queue blocks
        // do not starve the rest of the event loop.
        for (size_t ran = 0; ran < std::max<size_t>(budget, 1); ++ran) {
            DispatchBlock block;
            {
                std::lock_guard lock(mutex_);
                if (blocks_.empty()) break;
                block = std::move(blocks_.front());
                blocks_.pop_front();
            }
            block();
        }
        tlsInMainBlock = false;
        draining_ = false;
        bool more;
        {
            std::lock_guard lock(mutex_);
            more = !blocks_.empty();
        }
        if (more) wake();
    }

    // Runs `f` on the main thread as soon as possible, outside the main queue's order (used to start timers).
    // These run with the next wake-up even while a main-queue block runs a nested loop.
    void postToMainThread(std::function<void()> f) {
        {
            std::lock_guard lock(mutex_);
            urgent_.push_back(std::move(f));
        }
        wake();
    }

    // On the main thread, from the wake-up event, before the queue's own blocks.
    void runUrgent() {
        std::deque<std::function<void()>> due;
        {
            std::lock_guard lock(mutex_);
            due.swap(urgent_);
        }
        for (auto& f : due) f();
    }

    MainDispatcher* dispatcherForTimers() { return ensureDispatcher(); }

    void rememberMainThread() { mainThread_.store(std::this_thread::get_id(), std::memory_order_relaxed); }

    bool isMainThreadCached(bool& known) const {
        std::thread::id main = mainThread_.load(std::memory_order_relaxed);
        known = main != std::thread::id();
        return known && main == std::this_thread::get_id();
    }

private:
    void wake() {
        MainDispatcher* dispatcher = ensureDispatcher();
        // Without an application the blocks stay queued; the first wake-up after it exists runs them.
        if (dispatcher != nullptr) {
            QEvent* event = new QEvent(kDrainEvent);
            VX_HANDOFF_RELEASE(&gHandoffToken);
            QCoreApplication::postEvent(dispatcher, event);
        }
    }

    MainDispatcher* ensureDispatcher() {
        bool created = false;
        MainDispatcher* dispatcher;
        {
            std::lock_guard lock(dispatcherMutex_);
            if (dispatcher_ == nullptr) {
                QCoreApplication* app = QCoreApplication::instance();
                if (app == nullptr) return nullptr;
                dispatcher_ = new MainDispatcher(*this);  // never deleted: lives as long as the process
                if (dispatcher_->thread() != app->thread()) dispatcher_->moveToThread(app->thread());
                created = true;
            }
            dispatcher = dispatcher_;
        }
        // Blocks queued before the application existed run with the first wake-up.
        if (created) {
            QEvent* event = new QEvent(kDrainEvent);
            VX_HANDOFF_RELEASE(&gHandoffToken);
            QCoreApplication::postEvent(dispatcher, event);
        }
        return dispatcher;
    }

    const std::string label_ = "main";
    std::mutex mutex_;
    std::deque<DispatchBlock> blocks_;
    std::deque<std::function<void()>> urgent_;
    bool draining_ = false;  // main thread only
    std::mutex dispatcherMutex_;
    MainDispatcher* dispatcher_ = nullptr;
    std::atomic<std::thread::id> mainThread_{};
};

MainQueue& mainQueueImpl() {
    static MainQueue* q = new MainQueue;  // never destroyed: blocks may be queued from threads at exit
    return *q;
}

bool MainDispatcher::event(QEvent* e) {
    VX_HANDOFF_ACQUIRE(&gHandoffToken);
    if (e->type() == kDrainEvent) {
        queue_.rememberMainThread();
        queue_.runUrgent();
        queue_.drain();
        return true;
    }
    return QObject::event(e);
}

}  // namespace

DispatchQueue& mainQueue() { return mainQueueImpl(); }

bool isMainThread() {
    bool known = false;
    bool cached = mainQueueImpl().isMainThreadCached(known);
    if (known) return cached;
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr) return false;
    bool main = QThread::currentThread() == app->thread();
    if (main) mainQueueImpl().rememberMainThread();
    return main;
}

bool isRunningMainQueueBlock() { return tlsInMainBlock; }

namespace dispatch_detail {

void scheduleOnMainTimer(std::chrono::steady_clock::time_point deadline, DispatchBlock block) {
    if (QCoreApplication::instance() == nullptr) {
        // No event loop yet: the block joins the main queue when due and runs once the application does.
        scheduleOnTimerThread(deadline, [](DispatchBlock b) { mainQueueImpl().async(std::move(b)); },
                              std::move(block));
        return;
    }
    // The timer starts on the main thread; when it fires the block joins the main queue, so that it keeps the
    // queue's order and never runs inside another block's nested loop.
    auto start = [deadline, block = std::move(block)]() mutable {
        // Rounded up: the block never runs before its time.
        auto remaining = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        QTimer::singleShot(static_cast<int>(std::max<int64_t>(remaining.count(), 0)), Qt::PreciseTimer,
                           mainQueueImpl().dispatcherForTimers(),
                           [block = std::move(block)]() mutable { mainQueueImpl().async(std::move(block)); });
    };
    if (isMainThread()) {
        start();
    } else {
        mainQueueImpl().postToMainThread(std::move(start));
    }
}

}  // namespace dispatch_detail

void runOnMainThread(std::function<void()> f) { mainQueueImpl().postToMainThread(std::move(f)); }

void prepareMainQueue() {
    if (isMainThread()) mainQueueImpl().dispatcherForTimers();
}

bool runMainUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    if (condition()) return true;
    if (QCoreApplication::instance() == nullptr || !isMainThread()) return condition();
    auto deadline = std::chrono::steady_clock::now() + timeout;
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(1);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (condition() || std::chrono::steady_clock::now() >= deadline) loop.quit();
    });
    poll.start();
    loop.exec();
    return condition();
}

}  // namespace platform
