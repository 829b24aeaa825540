#include "platform/ui/time_source.h"

#include <QCoreApplication>
#include <QTimer>
#include <chrono>
#include <cmath>
#include <map>

namespace platform {

namespace {

class RealTimeSource final : public TimeSource {
 public:
  double now() override {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
  }

  TimerId schedule(double delay, std::function<void()> fn) override {
    const TimerId id = ++next_;
    auto* timer = new QTimer();
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    if (QCoreApplication::instance()) timer->moveToThread(QCoreApplication::instance()->thread());
    QObject::connect(timer, &QTimer::timeout, timer, [this, id, fn = std::move(fn)] {
      auto it = timers_.find(id);
      if (it == timers_.end()) return;
      it->second->deleteLater();
      timers_.erase(it);
      fn();
    });
    timers_[id] = timer;
    timer->start(int(std::max(0.0, std::ceil(delay * 1000.0))));
    return id;
  }

  void cancel(TimerId id) override {
    auto it = timers_.find(id);
    if (it == timers_.end()) return;
    it->second->stop();
    it->second->deleteLater();
    timers_.erase(it);
  }

 private:
  TimerId next_ = 0;
  std::map<TimerId, QTimer*> timers_;
};

std::shared_ptr<TimeSource>& slot() {
  static std::shared_ptr<TimeSource> current = realTimeSource();
  return current;
}

}  // namespace

std::shared_ptr<TimeSource> realTimeSource() {
  static std::shared_ptr<TimeSource> real = std::make_shared<RealTimeSource>();
  return real;
}

std::shared_ptr<TimeSource> currentTimeSource() { return slot(); }

ScopedTimeSource::ScopedTimeSource(std::shared_ptr<TimeSource> source) : previous_(slot()) {
  slot() = std::move(source);
}

ScopedTimeSource::~ScopedTimeSource() { slot() = previous_; }

Timer::~Timer() {
  *alive_ = false;
  invalidate();
}

void Timer::start(double interval, bool repeats, std::function<void()> fn) {
  invalidate();
  source_ = currentTimeSource();
  interval_ = interval;
  repeats_ = repeats;
  fn_ = std::make_shared<std::function<void()>>(std::move(fn));
  arm(source_->now() + std::max(0.0, interval));
}

void Timer::arm(double due) {
  std::weak_ptr<bool> alive = alive_;
  auto fn = fn_;
  const double delay = std::max(0.0, due - source_->now());
  id_ = source_->schedule(delay, [this, alive, fn, due] {
    if (alive.expired()) return;
    if (repeats_ && interval_ > 0) {
      // Re-arm first so that the callback may invalidate the timer.
      arm(due + interval_);
    } else {
      id_ = 0;
    }
    (*fn)();
  });
}

void Timer::invalidate() {
  if (id_ != 0 && source_) source_->cancel(id_);
  id_ = 0;
}

}  // namespace platform
