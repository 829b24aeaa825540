#include "platform/ui/animation.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace platform {

namespace {

// Solves a CSS-style cubic Bézier timing curve with end points (0,0) and (1,1).
double cubicBezier(double x1, double y1, double x2, double y2, double t) {
  auto sample = [](double a1, double a2, double s) {
    const double c = 3 * a1, b = 3 * (a2 - a1) - c, a = 1 - c - b;
    return ((a * s + b) * s + c) * s;
  };
  auto slope = [](double a1, double a2, double s) {
    const double c = 3 * a1, b = 3 * (a2 - a1) - c, a = 1 - c - b;
    return (3 * a * s + 2 * b) * s + c;
  };
  double s = t;
  for (int i = 0; i < 8; ++i) {
    const double x = sample(x1, x2, s) - t;
    const double d = slope(x1, x2, s);
    if (std::abs(x) < 1e-7) break;
    if (std::abs(d) < 1e-6) break;
    s -= x / d;
  }
  if (std::abs(sample(x1, x2, s) - t) > 1e-5) {  // fall back on bisection
    double lo = 0, hi = 1;
    s = t;
    for (int i = 0; i < 40; ++i) {
      const double x = sample(x1, x2, s);
      if (std::abs(x - t) < 1e-7) break;
      if (x < t) lo = s;
      else hi = s;
      s = (lo + hi) / 2;
    }
  }
  return sample(y1, y2, s);
}

constexpr double kFrameInterval = 1.0 / 60.0;

int gDisableDepth = 0;
std::vector<AnimationContext*> gContexts;

}  // namespace

double applyTiming(TimingFunction f, double t) {
  t = std::clamp(t, 0.0, 1.0);
  switch (f) {
    case TimingFunction::Linear: return t;
    case TimingFunction::EaseIn: return cubicBezier(0.42, 0, 1, 1, t);
    case TimingFunction::EaseOut: return cubicBezier(0, 0, 0.58, 1, t);
    case TimingFunction::EaseInEaseOut: return cubicBezier(0.42, 0, 0.58, 1, t);
    case TimingFunction::Default: return cubicBezier(0.25, 0.1, 0.25, 1, t);
    case TimingFunction::Overshoot: return cubicBezier(0.25, 1.5, 0.5, 1.0, t);
  }
  return t;
}

struct Animator::Running {
  Id id;
  double begin;
  Plan plan;
  bool ended = false;
};

Animator::Animator() : running_(std::make_unique<std::vector<Running>>()) {}

Animator& Animator::shared() {
  static Animator* animator = new Animator();  // lives for the process: timers may still refer to it
  return *animator;
}

void Animator::ensureTicking() {
  auto current = currentTimeSource();
  if (source_ != current) {
    // Another clock took over (a test installed or removed one): what ran on the old clock ends now.
    frameTimer_.invalidate();
    std::vector<Running> old;
    old.swap(*running_);
    for (Running& r : old) {
      if (r.plan.step) r.plan.step(1.0);
      if (r.plan.done) r.plan.done(true);
    }
    source_ = current;
  }
  if (!frameTimer_.isValid()) frameTimer_.start(kFrameInterval, true, [this] { tick(); });
}

Animator::Id Animator::start(Plan plan) {
  ensureTicking();
  const Id id = ++next_;
  running_->push_back(Running{id, source_->now(), std::move(plan)});
  Running& r = running_->back();
  if (r.plan.duration <= 0 && r.plan.step) {
    auto step = r.plan.step;
    step(1.0);
  } else if (r.plan.step) {
    auto step = r.plan.step;
    step(applyTiming(r.plan.timing, 0.0));
  }
  return id;
}

void Animator::cancel(Id id) {
  for (auto it = running_->begin(); it != running_->end(); ++it) {
    if (it->id == id) {
      auto done = std::move(it->plan.done);
      running_->erase(it);
      if (done) done(false);
      return;
    }
  }
}

bool Animator::isRunning(Id id) const {
  return std::any_of(running_->begin(), running_->end(), [id](const Running& r) { return r.id == id; });
}

double Animator::beginTime(Id id) const {
  for (const Running& r : *running_) {
    if (r.id == id) return r.begin;
  }
  return 0;
}

std::size_t Animator::runningCount() const { return running_->size(); }

void Animator::tick() {
  if (!source_) return;
  const double now = source_->now();
  // Steps may start or cancel animations: work on ids, not iterators.
  std::vector<Id> ids;
  ids.reserve(running_->size());
  for (const Running& r : *running_) ids.push_back(r.id);
  for (Id id : ids) {
    auto it = std::find_if(running_->begin(), running_->end(), [id](const Running& r) { return r.id == id; });
    if (it == running_->end()) continue;
    const double t = it->plan.duration <= 0 ? 1.0 : (now - it->begin) / it->plan.duration;
    if (t >= 1.0 - 1e-9) {
      Running r = std::move(*it);
      running_->erase(it);
      if (r.plan.step) r.plan.step(1.0);
      if (r.plan.done) r.plan.done(true);
    } else if (it->plan.step) {
      auto step = it->plan.step;
      const TimingFunction timing = it->plan.timing;
      step(applyTiming(timing, t));
    }
  }
  if (running_->empty()) frameTimer_.invalidate();
}

struct AnimationContext::Group {
  int pending = 0;
  bool open = true;
  bool fired = false;
  std::function<void()> completion;
  void maybeComplete() {
    if (open || pending > 0 || fired) return;
    fired = true;
    if (completion) {
      auto c = std::move(completion);
      c();
    }
  }
};

void AnimationContext::run(double duration, TimingFunction timing, const std::function<void()>& changes,
                           std::function<void()> completion) {
  auto group = std::make_shared<Group>();
  group->completion = std::move(completion);
  AnimationContext ctx(duration, timing, group);
  gContexts.push_back(&ctx);
  changes();
  gContexts.pop_back();
  group->open = false;
  if (group->pending == 0) {
    // Nothing animated: complete on the next frame, as if an empty animation had run.
    Animator::Plan plan;
    plan.duration = 0;
    plan.done = [group](bool) { group->maybeComplete(); };
    Animator::shared().start(std::move(plan));
  }
}

AnimationContext* AnimationContext::current() {
  if (gDisableDepth > 0 || gContexts.empty()) return nullptr;
  return gContexts.back();
}

Animator::Id AnimationContext::start(Animator::Plan plan) {
  ++group_->pending;
  auto group = group_;
  auto done = std::move(plan.done);
  plan.done = [group, done = std::move(done)](bool finished) {
    if (done) done(finished);
    --group->pending;
    group->maybeComplete();
  };
  return Animator::shared().start(std::move(plan));
}

Animator::Id animateInCurrentContext(std::function<void(double)> step, std::function<void(bool)> done) {
  AnimationContext* ctx = AnimationContext::current();
  if (!ctx || ctx->duration() <= 0) return 0;
  Animator::Plan plan;
  plan.duration = ctx->duration();
  plan.timing = ctx->timing();
  plan.step = std::move(step);
  plan.done = std::move(done);
  const Animator::Id id = ctx->start(std::move(plan));
  return Animator::shared().isRunning(id) ? id : 0;
}

DisableActions::DisableActions() { ++gDisableDepth; }
DisableActions::~DisableActions() { --gDisableDepth; }

}  // namespace platform
