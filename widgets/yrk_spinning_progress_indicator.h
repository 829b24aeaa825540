#pragma once
// An activity indicator: a ring of fins that light up one after another, turning clockwise, and fade; or, when
// determinate, a pie filled clockwise from the top. Animated by a 0.05 s timer on the main thread, or (the
// default, which the progress overlay switches off) by a thread of its own.

#include <QWidget>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/graphics/color.h"
#include "platform/graphics/geometry.h"
#include "platform/ui/time_source.h"

class YRKSpinningProgressIndicator : public QWidget {
  Q_OBJECT

 public:
  explicit YRKSpinningProgressIndicator(QWidget* parent = nullptr);
  // A y-up frame in the parent.
  YRKSpinningProgressIndicator(const platform::Rect& frame, QWidget* parent);
  ~YRKSpinningProgressIndicator() override;

  void startAnimation();
  void stopAnimation();

  const platform::Color& color() const { return foreColor_; }
  void setColor(const platform::Color& color);
  const platform::Color& backgroundColor() const { return backColor_; }
  void setBackgroundColor(const platform::Color& color);
  bool drawsBackground() const { return drawsBackground_; }
  void setDrawsBackground(bool draws);
  bool isIndeterminate() const { return isIndeterminate_; }
  void setIndeterminate(bool indeterminate);
  double doubleValue() const { return currentValue_; }
  void setDoubleValue(double value);
  double maxValue() const { return maxValue_; }
  void setMaxValue(double value);
  bool usesThreadedAnimation() const { return usesThreadedAnimation_; }
  void setUsesThreadedAnimation(bool threaded);
  bool isDisplayedWhenStopped() const { return displayedWhenStopped_; }
  void setDisplayedWhenStopped(bool displayed);
  void setStyle(int style) { (void)style; }

  // One frame of the animation: the next fin lights up, the others fade.
  void updateFrame();

  // State, for those who draw or check it.
  bool isAnimating() const { return isAnimating_; }
  bool isFadingOut() const { return isFadingOut_; }
  int position() const;
  int numFins() const { return numFins_; }
  double finAlpha(int fin) const;
  bool hasAnimationTimer() const { return animationTimer_.isValid(); }
  bool hasAnimationThread() const { return animationThread_.joinable(); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void actuallyStartAnimation();
  void actuallyStopAnimation();
  bool inWindow() const;
  // The frame step without drawing; answers whether the fade-out has ended.
  bool step();
  void threadMain(std::weak_ptr<const bool> run);

  int position_ = 0;
  const int numFins_ = 12;
  std::vector<double> finAlphas_;  // the fins' colours are the fin colour at these alphas; -1 = none yet
  std::atomic<bool> isAnimating_{false};
  std::atomic<bool> isFadingOut_{false};
  platform::Timer animationTimer_;
  std::thread animationThread_;
  std::shared_ptr<const bool> threadRun_;  // the running thread's ticket; its frames count only while it is held
  bool threadCancelled_ = false;
  std::condition_variable threadWake_;
  mutable std::mutex mutex_;  // fin state shared with the animation thread
  platform::Color foreColor_ = platform::Color::blackColor();
  platform::Color backColor_ = platform::Color::clear();
  bool drawsBackground_ = false;
  std::atomic<bool> displayedWhenStopped_{true};  // read by the animation thread's frame step
  bool usesThreadedAnimation_ = true;
  bool isIndeterminate_ = true;
  double currentValue_ = 0;
  double maxValue_ = 100;
};
