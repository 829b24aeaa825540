#pragma once
// A clock for tests: time stands still until the test advances it. On the main thread, timers fire in due order
// while it does, each seeing now() equal to its due time. Installed as the wait clock as well
// (platform/foundation/wait_clock.h), it also holds the waits of other threads until the test's time reaches
// their end, so that one advance runs both:
//
//   auto clock = std::make_shared<platform::testing::ManualTimeSource>();
//   platform::ScopedTimeSource timers(clock);
//   platform::ScopedWaitClock waits(clock);
//   ... start a run that waits 1.5 s between shots on a global queue ...
//   ASSERT_TRUE(clock->awaitSleepers(1));   // the run is waiting now
//   clock->advance(1.5);                    // and takes its next shot
//
// An advance returns once every waiting thread has seen the new time. Header-only so that any test executable can
// use it.

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <utility>

#include "platform/foundation/wait_clock.h"
#include "platform/ui/time_source.h"

namespace platform::testing {

class ManualTimeSource final : public TimeSource, public WaitClock {
 public:
  double now() override {
    std::lock_guard lock(mutex_);
    return now_;
  }

  // Main thread.
  TimerId schedule(double delay, std::function<void()> fn) override {
    const TimerId id = ++next_;
    timers_.emplace(std::make_pair(now() + std::max(0.0, delay), id), std::move(fn));
    return id;
  }

  void cancel(TimerId id) override {
    for (auto it = timers_.begin(); it != timers_.end(); ++it) {
      if (it->first.second == id) {
        timers_.erase(it);
        return;
      }
    }
  }

  // Moves time forward by `seconds`, firing every timer that falls due on the way (also those scheduled by
  // the timers that fire) and ending the waits that end on the way. Main thread.
  void advance(double seconds) { advanceTo(now() + seconds); }

  void advanceTo(double target) {
    while (!timers_.empty() && timers_.begin()->first.first <= target + 1e-12) {
      auto it = timers_.begin();
      moveTo(it->first.first);
      auto fn = std::move(it->second);
      timers_.erase(it);
      fn();
    }
    moveTo(target);
  }

  // Advances in steps of `step` seconds (so that repaints between frames can be observed).
  void advanceInSteps(double seconds, double step) {
    const double end = now() + seconds;
    while (now() + step < end - 1e-12) advance(step);
    advanceTo(end);
  }

  std::size_t pendingTimers() const { return timers_.size(); }

  // Any thread but the main one: held until the test's time reaches the end of the wait, or cancelled.
  bool waitFor(double seconds, Cancellation* cancel) override {
    if (cancel && cancel->isCancelled()) return false;
    BlockingScope blocked;
    std::unique_lock lock(mutex_);
    const double due = now_ + std::max(0.0, seconds);
    const uint64_t waker = cancel ? cancel->addWaker([this] {
      std::lock_guard wakeLock(mutex_);
      changed_.notify_all();
    })
                                  : 0;
    ++sleepers_;
    changed_.notify_all();
    uint64_t seen = moves_;
    changed_.wait(lock, [&] {
      // Each move of the time is acknowledged once it has been looked at (see moveTo).
      if (seen != moves_) {
        seen = moves_;
        ++acknowledged_;
        changed_.notify_all();
      }
      return now_ >= due - 1e-12 || (cancel && cancel->isCancelled());
    });
    --sleepers_;
    changed_.notify_all();
    const bool cancelled = cancel && cancel->isCancelled();
    lock.unlock();
    if (cancel) cancel->removeWaker(waker);
    return !cancelled;
  }

  // The threads waiting on the clock now.
  int sleepers() {
    std::lock_guard lock(mutex_);
    return sleepers_;
  }
  // Waits in real time (at most `timeout`) until at least `count` threads wait on the clock; false on time-out.
  bool awaitSleepers(int count, std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return sleepers_ >= count; });
  }

 private:
  // Returns once every thread that was waiting has seen the new time: each is then either still waiting or on
  // its way, so that what a test checks next does not depend on how fast those threads run.
  void moveTo(double t) {
    std::unique_lock lock(mutex_);
    if (t <= now_) return;
    now_ = t;
    ++moves_;
    acknowledged_ = 0;
    const int waiting = sleepers_;
    changed_.notify_all();
    changed_.wait_for(lock, std::chrono::seconds(10), [&] { return acknowledged_ >= waiting; });
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  double now_ = 1000.0;  // not 0, so that "never set" stays distinguishable in code under test
  int sleepers_ = 0;
  uint64_t moves_ = 0;     // moves of the time so far
  int acknowledged_ = 0;   // waiting threads that have seen the last move
  TimerId next_ = 0;
  std::map<std::pair<double, TimerId>, std::function<void()>> timers_;
};

}  // namespace platform::testing
