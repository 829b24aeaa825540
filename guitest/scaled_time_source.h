#pragma once
// A time source that runs the widgets' timers and animations on the real clock, faster by a factor: with a scale
// of 0.1 a 0.25 s fade takes 25 ms and a 3 s hide timer fires after 300 ms. now() advances in the widgets' time,
// so durations measured against it come out as nominal.
#include <memory>
#include <utility>

#include "platform/ui/time_source.h"

namespace guitest {

class ScaledTimeSource final : public platform::TimeSource {
 public:
  explicit ScaledTimeSource(double scale, std::shared_ptr<platform::TimeSource> real = platform::realTimeSource())
      : scale_(scale), real_(std::move(real)) {}

  double now() override { return real_->now() / scale_; }
  TimerId schedule(double delay, std::function<void()> fn) override { return real_->schedule(delay * scale_, std::move(fn)); }
  void cancel(TimerId id) override { real_->cancel(id); }

 private:
  const double scale_;
  const std::shared_ptr<platform::TimeSource> real_;
};

}  // namespace guitest
