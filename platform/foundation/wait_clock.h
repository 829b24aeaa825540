#pragma once
// The clock that threads off the main thread wait on (the pauses of a focus-stack run, a delay before a block
// runs), with cancellation. Code waits through the current clock rather than sleeping, so that a test can put
// its own in place: the real clock with every wait scaled down, or the manual clock that also drives the main
// thread's timers (platform/ui/testing/manual_time_source.h), so that one advance of the test's time runs
// both.
//
//   auto cancel = std::make_shared<platform::Cancellation>();      // kept by whoever may stop the run
//   platform::globalQueue().async([cancel] {
//     for (int shot = 0; shot < shots; ++shot) {
//       takePicture();
//       if (!platform::waitFor(1.5, cancel.get())) return;            // cancelled: stop at once
//     }
//   });
//   cancel->cancel();                                                // any thread: the wait ends now
//
// Waits count as blocked for the global queue's pool (dispatch.h), which adds a worker when all of them wait.
// Never wait on the main thread: the windows would freeze.
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

#include "platform/foundation/dispatch.h"

namespace platform {

// A flag that ends waits: raised once, seen by every wait on it from then on (until reset).
class Cancellation {
 public:
  // Any thread; wakes the waits on it at once.
  void cancel();
  bool isCancelled() const { return cancelled_.load(); }
  // Lowers the flag for the next run.
  void reset() { cancelled_.store(false); }

  // For clocks: `wake` is called when the flag is raised, until removeWaker.
  uint64_t addWaker(std::function<void()> wake);
  void removeWaker(uint64_t id);

 private:
  std::atomic<bool> cancelled_{false};
  std::mutex mutex_;
  std::map<uint64_t, std::function<void()>> wakers_;
  uint64_t next_ = 0;
};

class WaitClock {
 public:
  virtual ~WaitClock() = default;
  // Seconds on this clock (monotonic).
  virtual double now() = 0;
  // Blocks the calling thread for `seconds` of this clock, or until `cancel` is raised. True when the time
  // passed; false when cancelled (also at once when it already was). Any thread but the main one.
  virtual bool waitFor(double seconds, Cancellation* cancel) = 0;
};

// The clock in force (the real one unless a test installed another). Any thread.
std::shared_ptr<WaitClock> currentWaitClock();
// The real clock, each wait taking `scale` times as long (1 in the product; a test's 0.001 turns a 1.5 s wait into
// 1.5 ms). Its now() runs at the same scale, so that waits and now() agree.
std::shared_ptr<WaitClock> realWaitClock(double scale = 1.0);

// Installs a clock for its lifetime, then puts the previous one back.
class ScopedWaitClock {
 public:
  explicit ScopedWaitClock(std::shared_ptr<WaitClock> clock);
  ~ScopedWaitClock();
  ScopedWaitClock(const ScopedWaitClock&) = delete;
  ScopedWaitClock& operator=(const ScopedWaitClock&) = delete;

 private:
  std::shared_ptr<WaitClock> previous_;
};

// A wait on the current clock.
bool waitFor(double seconds, Cancellation* cancel = nullptr);

// Queues `block` on `queue` once `seconds` of the current clock have passed, unless `cancel` is raised first. The
// wait runs on a global-queue worker; `queue` must outlive it (the main and global queues do). Any thread.
void afterDelay(double seconds, DispatchQueue& queue, DispatchBlock block, std::shared_ptr<Cancellation> cancel = {});

}  // namespace platform
