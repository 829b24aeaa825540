#include "platform/foundation/wait_clock.h"

#include <chrono>
#include <condition_variable>
#include <utility>
#include <vector>

namespace platform {

void Cancellation::cancel() {
  cancelled_.store(true);
  std::vector<std::function<void()>> wakers;
  {
    std::lock_guard lock(mutex_);
    for (const auto& [id, wake] : wakers_) wakers.push_back(wake);
  }
  for (const auto& wake : wakers) wake();
}

uint64_t Cancellation::addWaker(std::function<void()> wake) {
  std::lock_guard lock(mutex_);
  wakers_[++next_] = std::move(wake);
  return next_;
}

void Cancellation::removeWaker(uint64_t id) {
  std::lock_guard lock(mutex_);
  wakers_.erase(id);
}

namespace {

class RealWaitClock final : public WaitClock {
 public:
  explicit RealWaitClock(double scale) : scale_(scale > 0 ? scale : 1.0) {}

  double now() override {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count() / scale_;
  }

  bool waitFor(double seconds, Cancellation* cancel) override {
    if (cancel && cancel->isCancelled()) return false;
    BlockingScope blocked;
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                              std::chrono::duration<double>(std::max(0.0, seconds) * scale_));
    // Shared with the waker, which a cancel may still be running after this wait has returned.
    struct Sync {
      std::mutex mutex;
      std::condition_variable woken;
    };
    auto sync = std::make_shared<Sync>();
    std::unique_lock lock(sync->mutex);
    // The waker takes the same lock: a cancel between the check and the sleep is not missed.
    const uint64_t waker = cancel ? cancel->addWaker([sync] {
      std::lock_guard wakeLock(sync->mutex);
      sync->woken.notify_all();
    })
                                  : 0;
    const bool cancelled =
        sync->woken.wait_until(lock, deadline, [cancel] { return cancel && cancel->isCancelled(); });
    lock.unlock();
    if (cancel) cancel->removeWaker(waker);
    return !cancelled;
  }

 private:
  double scale_;
};

struct Slot {
  std::mutex mutex;
  std::shared_ptr<WaitClock> clock = realWaitClock();
};

Slot& slot() {
  static Slot s;
  return s;
}

}  // namespace

std::shared_ptr<WaitClock> realWaitClock(double scale) {
  if (scale == 1.0) {
    static std::shared_ptr<WaitClock> real = std::make_shared<RealWaitClock>(1.0);
    return real;
  }
  return std::make_shared<RealWaitClock>(scale);
}

std::shared_ptr<WaitClock> currentWaitClock() {
  std::lock_guard lock(slot().mutex);
  return slot().clock;
}

ScopedWaitClock::ScopedWaitClock(std::shared_ptr<WaitClock> clock) {
  std::lock_guard lock(slot().mutex);
  previous_ = std::exchange(slot().clock, std::move(clock));
}

ScopedWaitClock::~ScopedWaitClock() {
  std::lock_guard lock(slot().mutex);
  slot().clock = std::move(previous_);
}

bool waitFor(double seconds, Cancellation* cancel) { return currentWaitClock()->waitFor(seconds, cancel); }

void afterDelay(double seconds, DispatchQueue& queue, DispatchBlock block, std::shared_ptr<Cancellation> cancel) {
  std::shared_ptr<WaitClock> clock = currentWaitClock();
  globalQueue().async([clock, seconds, &queue, block = std::move(block), cancel]() mutable {
    if (!clock->waitFor(seconds, cancel.get())) return;
    if (cancel && cancel->isCancelled()) return;
    queue.async(std::move(block));
  });
}

}  // namespace platform
