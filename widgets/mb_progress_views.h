#pragma once
// The determinate indicators of the progress overlay: a horizontal bar (capsule outline, filled from the left)
// and a round pie or ring. Both redraw whenever one of their properties changes.

#include <QWidget>

#include "platform/graphics/color.h"

class MBBarProgressView : public QWidget {
  Q_OBJECT

 public:
  // 120 x 20 points.
  explicit MBBarProgressView(QWidget* parent = nullptr);

  float progress() const { return progress_; }
  void setProgress(float p);
  const platform::Color& lineColor() const { return lineColor_; }
  void setLineColor(const platform::Color& c);
  const platform::Color& progressRemainingColor() const { return progressRemainingColor_; }
  void setProgressRemainingColor(const platform::Color& c);
  const platform::Color& progressColor() const { return progressColor_; }
  void setProgressColor(const platform::Color& c);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  float progress_ = 0;
  platform::Color lineColor_ = platform::Color::whiteColor();
  platform::Color progressRemainingColor_ = platform::Color::clear();
  platform::Color progressColor_ = platform::Color::whiteColor();
};

class MBRoundProgressView : public QWidget {
  Q_OBJECT

 public:
  // 37 x 37 points.
  explicit MBRoundProgressView(QWidget* parent = nullptr);

  float progress() const { return progress_; }
  void setProgress(float p);
  const platform::Color& progressTintColor() const { return progressTintColor_; }
  void setProgressTintColor(const platform::Color& c);
  const platform::Color& backgroundTintColor() const { return backgroundTintColor_; }
  void setBackgroundTintColor(const platform::Color& c);
  bool isAnnular() const { return annular_; }
  void setAnnular(bool annular);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  float progress_ = 0;
  platform::Color progressTintColor_ = platform::Color::whiteColor();
  platform::Color backgroundTintColor_ = platform::Color::whiteColor().withAlpha(0.1);
  bool annular_ = false;
};
