#pragma once
// Animations over time: timing curves, a frame driver on the current time source, and implicit animation
// groups. A group (AnimationContext::run) gives the animatable setters of layers, views and windows a duration
// and timing curve; its completion handler runs once every animation begun inside it has ended.

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/ui/time_source.h"

namespace platform {

// Overshoot: the cubic curve with control points (0.25, 1.5) and (0.5, 1.0), which runs a little past its end
// and comes back.
enum class TimingFunction { Linear, EaseIn, EaseOut, EaseInEaseOut, Default, Overshoot };

// The eased progress for linear progress t in 0...1 (the cubic Bézier curves of the drawing model).
double applyTiming(TimingFunction f, double t);

// Runs animations frame by frame (60 per second) on the current time source while any runs. Main thread only.
class Animator {
 public:
  using Id = std::uint64_t;
  struct Plan {
    double duration = 0.25;
    TimingFunction timing = TimingFunction::Default;
    // Called with the eased progress on every frame and with 1 at the end.
    std::function<void(double progress)> step;
    // Called once when the animation ends: finished = true at its end, false when cancelled.
    std::function<void(bool finished)> done;
  };

  static Animator& shared();

  // Starts at the time source's now. A zero duration steps to 1 at once; `done` follows on the next frame.
  Id start(Plan plan);
  // Ends an animation early (its `done` gets false); unknown ids are ignored.
  void cancel(Id id);
  bool isRunning(Id id) const;
  double beginTime(Id id) const;
  std::size_t runningCount() const;
  // Runs one frame now (also what the frame timer calls).
  void tick();

 private:
  Animator();
  struct Running;
  void ensureTicking();
  std::shared_ptr<TimeSource> source_;
  Timer frameTimer_;
  Id next_ = 0;
  std::unique_ptr<std::vector<Running>> running_;
};

// An implicit animation group: within `changes`, animatable setters animate with this group's duration and
// timing; `completion` runs when all of them have ended (on the next frame when none began).
class AnimationContext {
 public:
  static void run(double duration, TimingFunction timing, const std::function<void()>& changes,
                  std::function<void()> completion = {});
  static void run(double duration, const std::function<void()>& changes, std::function<void()> completion = {}) {
    run(duration, TimingFunction::Default, changes, std::move(completion));
  }

  // The innermost group in force on the main thread, or null (also while actions are disabled).
  static AnimationContext* current();

  double duration() const { return duration_; }
  TimingFunction timing() const { return timing_; }
  // Starts an animation that belongs to this group.
  Animator::Id start(Animator::Plan plan);

  struct Group;

 private:
  AnimationContext(double duration, TimingFunction timing, std::shared_ptr<Group> group)
      : duration_(duration), timing_(timing), group_(std::move(group)) {}
  double duration_;
  TimingFunction timing_;
  std::shared_ptr<Group> group_;
};

// Animates a value of a widget or view in the group in force: `step` gets the eased progress on every frame,
// `done` whether it ran to its end. Returns the running animation's id, or 0 when no group animates (nothing
// is started then: the caller sets the value at once) or when it already ended.
Animator::Id animateInCurrentContext(std::function<void(double progress)> step, std::function<void(bool)> done);

// Within its lifetime property changes take effect at once, without implicit animation.
class DisableActions {
 public:
  DisableActions();
  ~DisableActions();
  DisableActions(const DisableActions&) = delete;
  DisableActions& operator=(const DisableActions&) = delete;
};

}  // namespace platform
