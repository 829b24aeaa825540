#include "widgets/mb_progress_views.h"

#include <QPainter>

#include "platform/graphics/canvas.h"

using platform::Canvas;
using platform::Path;
using platform::Rect;

MBBarProgressView::MBBarProgressView(QWidget* parent) : QWidget(parent) {
  resize(120, 20);
  setAttribute(Qt::WA_TranslucentBackground);
}

void MBBarProgressView::setProgress(float p) {
  progress_ = p;
  update();
}
void MBBarProgressView::setLineColor(const platform::Color& c) {
  lineColor_ = c;
  update();
}
void MBBarProgressView::setProgressRemainingColor(const platform::Color& c) {
  progressRemainingColor_ = c;
  update();
}
void MBBarProgressView::setProgressColor(const platform::Color& c) {
  progressColor_ = c;
  update();
}

void MBBarProgressView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const double w = width(), h = height();
  Canvas c(painter, {w, h});
  // The outline: a capsule 2 points in.
  c.setLineWidth(2);
  const double outerRadius = std::max(0.0, h / 2 - 2);
  const Path outline = Path::roundedRect({2, 2, w - 4, h - 4}, outerRadius, outerRadius);
  c.setFillColor(progressRemainingColor_);
  c.fillPath(outline);
  c.setStrokeColor(lineColor_);
  c.strokePath(outline);
  // The filled part: a capsule 4 points in, cut at progress x width. Below the end of the left cap the whole
  // cap shows; nothing at 0.
  const double r = h / 2 - 4;
  const double amount = progress_ * w;
  if (amount <= 0 || r <= 0) return;
  const double cut = amount < 4 + r ? 4 + r : amount;
  c.saveGState();
  c.clipToRect({0, 0, cut, h});
  c.setFillColor(progressColor_);
  c.fillPath(Path::roundedRect({4, 4, w - 8, h - 8}, r, r));
  c.restoreGState();
}

MBRoundProgressView::MBRoundProgressView(QWidget* parent) : QWidget(parent) {
  resize(37, 37);
  setAttribute(Qt::WA_TranslucentBackground);
}

void MBRoundProgressView::setProgress(float p) {
  progress_ = p;
  update();
}
void MBRoundProgressView::setProgressTintColor(const platform::Color& c) {
  progressTintColor_ = c;
  update();
}
void MBRoundProgressView::setBackgroundTintColor(const platform::Color& c) {
  backgroundTintColor_ = c;
  update();
}
void MBRoundProgressView::setAnnular(bool annular) {
  annular_ = annular;
  update();
}

void MBRoundProgressView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const double w = width(), h = height();
  Canvas c(painter, {w, h});
  const platform::Point centre{w / 2, h / 2};
  const double endAngle = 90 - progress_ * 360.0;
  if (annular_) {
    const double lineWidth = 5;
    const double radius = (w - lineWidth) / 2;
    c.setLineWidth(lineWidth);
    c.setLineCap(platform::LineCap::Round);
    Path ring;
    ring.arc(centre, radius, 0, 360);
    c.setStrokeColor(backgroundTintColor_);
    c.strokePath(ring);
    if (progress_ > 0) {
      Path arc;
      arc.arc(centre, radius, 90, endAngle, true);
      c.setStrokeColor(progressTintColor_);
      c.strokePath(arc);
    }
    return;
  }
  const Rect circle{2, 2, w - 4, h - 4};
  c.setLineWidth(2);
  c.setFillColor(backgroundTintColor_);
  c.fillEllipse(circle);
  c.setStrokeColor(progressTintColor_);
  c.strokeEllipse(circle);
  if (progress_ > 0) {
    Path pie;
    pie.moveTo(centre);
    pie.arc(centre, (w - 4) / 2, 90, endAngle, true);
    pie.close();
    c.setFillColor(platform::Color::whiteColor());
    c.fillPath(pie);
  }
}
