#pragma once
// A time source for tests: time stands still until the test advances it, and timers fire in due order while it
// does, each seeing now() equal to its due time. Header-only so that any test executable can use it.

#include <algorithm>
#include <map>
#include <utility>

#include "platform/ui/time_source.h"

namespace platform::testing {

class ManualTimeSource final : public TimeSource {
 public:
  double now() override { return now_; }

  TimerId schedule(double delay, std::function<void()> fn) override {
    const TimerId id = ++next_;
    timers_.emplace(std::make_pair(now_ + std::max(0.0, delay), id), std::move(fn));
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
  // the timers that fire).
  void advance(double seconds) { advanceTo(now_ + seconds); }

  void advanceTo(double target) {
    while (!timers_.empty() && timers_.begin()->first.first <= target + 1e-12) {
      auto it = timers_.begin();
      now_ = std::max(now_, it->first.first);
      auto fn = std::move(it->second);
      timers_.erase(it);
      fn();
    }
    now_ = std::max(now_, target);
  }

  // Advances in steps of `step` seconds (so that repaints between frames can be observed).
  void advanceInSteps(double seconds, double step) {
    const double end = now_ + seconds;
    while (now_ + step < end - 1e-12) advance(step);
    advanceTo(end);
  }

  std::size_t pendingTimers() const { return timers_.size(); }

 private:
  double now_ = 1000.0;  // not 0, so that "never set" stays distinguishable in code under test
  TimerId next_ = 0;
  std::map<std::pair<double, TimerId>, std::function<void()>> timers_;
};

}  // namespace platform::testing
