#include "widgets/yrk_spinning_progress_indicator.h"

#include <QEvent>
#include <QPainter>
#include <algorithm>
#include <chrono>

#include "platform/foundation/dispatch.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/path.h"
#include "platform/ui/view_geometry.h"

using platform::Canvas;
using platform::Color;

namespace {
constexpr double kFadeFactor = 0.85;
constexpr double kMinAlphaDisplayed = 0.15;
constexpr double kMinAlphaHidden = 0.01;
constexpr double kStoppedAlpha = 0.15;
constexpr double kFrameInterval = 0.05;
constexpr double kFullTurn = 6.282185;  // a shade under 2 pi, as the fins have always been spaced
}  // namespace

YRKSpinningProgressIndicator::YRKSpinningProgressIndicator(QWidget* parent)
    : QWidget(parent), finAlphas_(numFins_, -1.0) {
  setAttribute(Qt::WA_TranslucentBackground);
}

YRKSpinningProgressIndicator::YRKSpinningProgressIndicator(const platform::Rect& frame, QWidget* parent)
    : YRKSpinningProgressIndicator(parent) {
  platform::setFrame(this, frame);
}

YRKSpinningProgressIndicator::~YRKSpinningProgressIndicator() {
  if (isAnimating_) stopAnimation();
  // A view that goes away stops for good: the timer and thread must not outlive it.
  actuallyStopAnimation();
}

int YRKSpinningProgressIndicator::position() const {
  std::lock_guard lock(mutex_);
  return position_;
}

double YRKSpinningProgressIndicator::finAlpha(int fin) const {
  std::lock_guard lock(mutex_);
  if (fin < 0 || fin >= numFins_) return 0;
  return std::max(0.0, finAlphas_[size_t(fin)]);
}

bool YRKSpinningProgressIndicator::inWindow() const { return parentWidget() != nullptr || isVisible(); }

void YRKSpinningProgressIndicator::startAnimation() {
  if (!isIndeterminate_) return;
  if (isAnimating_ && !isFadingOut_) return;
  actuallyStartAnimation();
}

void YRKSpinningProgressIndicator::stopAnimation() { isFadingOut_ = true; }

void YRKSpinningProgressIndicator::actuallyStartAnimation() {
  actuallyStopAnimation();
  isAnimating_ = true;
  isFadingOut_ = false;
  {
    std::lock_guard lock(mutex_);
    position_ = 1;
  }
  if (!displayedWhenStopped_) setHidden(false);
  if (!inWindow()) return;  // starts when the view enters a window
  if (usesThreadedAnimation_) {
    threadCancelled_ = false;
    threadRun_ = std::make_shared<const bool>(true);
    animationThread_ = std::thread([this, run = std::weak_ptr<const bool>(threadRun_)] { threadMain(run); });
  } else {
    animationTimer_.start(kFrameInterval, true, [this] { updateFrame(); });
  }
}

void YRKSpinningProgressIndicator::actuallyStopAnimation() {
  isAnimating_ = false;
  isFadingOut_ = false;
  if (!displayedWhenStopped_) setHidden(true);
  if (animationThread_.joinable()) {
    {
      std::lock_guard lock(mutex_);
      threadCancelled_ = true;
    }
    threadWake_.notify_all();
    animationThread_.join();
  }
  threadRun_.reset();  // frames of the ended run still on their way to the main thread are dropped
  animationTimer_.invalidate();
  update();
}

void YRKSpinningProgressIndicator::threadMain(std::weak_ptr<const bool> run) {
  const auto period = std::chrono::microseconds(600000 / numFins_);
  for (;;) {
    const bool ended = step();
    // Qt draws on the main thread only, and the widget may be read or destroyed there at any moment: this thread
    // never touches it (not even to make a guarded pointer to it). Each frame goes to the main thread with this
    // run's ticket, which the main thread checks there; a run that was stopped, or a widget that is gone, has
    // dropped its ticket and the frame is ignored.
    platform::runOnMainThread([this, run, ended] {
      if (run.expired()) return;
      if (ended && isFadingOut_) actuallyStopAnimation();
      else update();
    });
    if (ended) return;
    std::unique_lock lock(mutex_);
    if (threadWake_.wait_for(lock, period, [this] { return threadCancelled_; })) return;
  }
}

bool YRKSpinningProgressIndicator::step() {
  std::lock_guard lock(mutex_);
  position_ = position_ == 0 ? numFins_ - 1 : position_ - 1;
  const double minAlpha = displayedWhenStopped_ ? kMinAlphaDisplayed : kMinAlphaHidden;
  for (double& a : finAlphas_) a = std::max(std::max(a, 0.0) * kFadeFactor, minAlpha);
  if (isFadingOut_) {
    return std::all_of(finAlphas_.begin(), finAlphas_.end(),
                       [minAlpha](double a) { return std::abs(a - minAlpha) <= 0.01 + 1e-12; });
  }
  finAlphas_[size_t(position_)] = 1.0;
  return false;
}

void YRKSpinningProgressIndicator::updateFrame() {
  if (step() && isFadingOut_) {
    actuallyStopAnimation();
    return;
  }
  update();
}

bool YRKSpinningProgressIndicator::event(QEvent* e) {
  const bool handled = QWidget::event(e);
  if (e->type() == QEvent::ParentChange) {
    // Moving to a window: out of any window the animation stops; into one while animating it starts.
    if (!inWindow()) actuallyStopAnimation();
    else if (isAnimating_ && !animationTimer_.isValid() && !animationThread_.joinable()) actuallyStartAnimation();
  }
  return handled;
}

void YRKSpinningProgressIndicator::setColor(const Color& color) {
  foreColor_ = color;  // the fins keep their alphas in the new colour
  update();
}

void YRKSpinningProgressIndicator::setBackgroundColor(const Color& color) {
  backColor_ = color;
  update();
}

void YRKSpinningProgressIndicator::setDrawsBackground(bool draws) {
  drawsBackground_ = draws;
  update();
}

void YRKSpinningProgressIndicator::setIndeterminate(bool indeterminate) {
  isIndeterminate_ = indeterminate;
  if (!indeterminate && isAnimating_) stopAnimation();
  update();
}

void YRKSpinningProgressIndicator::setDoubleValue(double value) {
  if (isIndeterminate_) setIndeterminate(false);
  currentValue_ = value;
  update();
}

void YRKSpinningProgressIndicator::setMaxValue(double value) {
  maxValue_ = value;
  update();
}

void YRKSpinningProgressIndicator::setUsesThreadedAnimation(bool threaded) {
  if (threaded == usesThreadedAnimation_) return;
  usesThreadedAnimation_ = threaded;
  if (isAnimating_) {
    actuallyStopAnimation();
    actuallyStartAnimation();
  }
}

void YRKSpinningProgressIndicator::setDisplayedWhenStopped(bool displayed) {
  displayedWhenStopped_ = displayed;
  if (!isAnimating_) setHidden(!displayed);
}

void YRKSpinningProgressIndicator::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  Canvas c(painter, {double(width()), double(height())});
  const double size = std::min(width(), height());
  if (drawsBackground_) {
    c.setFillColor(backColor_);
    c.fillRect(c.bounds());
  }
  c.translate(width() / 2.0, height() / 2.0);
  if (isIndeterminate_) {
    std::vector<double> alphas;
    {
      std::lock_guard lock(mutex_);
      alphas = finAlphas_;
    }
    c.setLineWidth(0.0859375 * size);
    c.setLineCap(platform::LineCap::Round);
    for (int i = 0; i < numFins_; ++i) {
      const double alpha = isAnimating_ ? alphas[size_t(i)] : kStoppedAlpha;
      if (alpha > 0) {
        c.setStrokeColor(foreColor_.withAlpha(alpha));
        c.strokeLine({0, 0.234375 * size}, {0, 0.421875 * size});
      }
      c.rotate(kFullTurn / numFins_);
    }
  } else {
    const double lineWidth = 1 + 0.01 * size;
    const double radius = (size - lineWidth) / 2.1;
    c.setLineWidth(lineWidth);
    c.setStrokeColor(foreColor_);
    c.strokeEllipse({-radius, -radius, 2 * radius, 2 * radius});
    const double fraction = maxValue_ != 0 ? currentValue_ / maxValue_ : 0;
    platform::Path pie;
    pie.moveTo({0, 0});
    pie.arc({0, 0}, radius, 90, 90 - 360 * fraction, true);
    pie.close();
    c.setFillColor(foreColor_);
    c.fillPath(pie);
  }
}
