#pragma once
// The clock and one-shot timers that the widgets' timers and animations run on. Widgets never read the wall
// clock or start QTimers themselves: they go through the current time source, which a test can replace with a
// clock it advances by hand (platform/ui/testing/manual_time_source.h).
//
// Main thread only: timers fire on the main thread's event loop.

#include <cstdint>
#include <functional>
#include <memory>

namespace platform {

class TimeSource {
 public:
  using TimerId = std::uint64_t;
  virtual ~TimeSource() = default;
  // Seconds on a monotonic clock.
  virtual double now() = 0;
  // Runs `fn` once, `delay` seconds from now (at the earliest). Returns an id for cancel(); never 0.
  virtual TimerId schedule(double delay, std::function<void()> fn) = 0;
  // Cancels a pending call; unknown or fired ids are ignored.
  virtual void cancel(TimerId id) = 0;
};

// The time source in force (the real one unless a test installed another).
std::shared_ptr<TimeSource> currentTimeSource();
// The real clock and QTimer-based timers.
std::shared_ptr<TimeSource> realTimeSource();

// Installs a time source for its lifetime, then puts the previous one back.
class ScopedTimeSource {
 public:
  explicit ScopedTimeSource(std::shared_ptr<TimeSource> source);
  ~ScopedTimeSource();
  ScopedTimeSource(const ScopedTimeSource&) = delete;
  ScopedTimeSource& operator=(const ScopedTimeSource&) = delete;

 private:
  std::shared_ptr<TimeSource> previous_;
};

// A one-shot or repeating timer on the time source that was current when it started. A repeating timer keeps
// its period from the first due time (no drift). Invalidated when destroyed.
class Timer {
 public:
  Timer() = default;
  ~Timer();
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  void start(double interval, bool repeats, std::function<void()> fn);
  void invalidate();
  bool isValid() const { return id_ != 0; }
  double interval() const { return interval_; }

 private:
  void arm(double due);

  std::shared_ptr<TimeSource> source_;
  TimeSource::TimerId id_ = 0;
  double interval_ = 0;
  bool repeats_ = false;
  std::shared_ptr<std::function<void()>> fn_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace platform
