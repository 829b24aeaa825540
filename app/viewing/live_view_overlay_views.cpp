#include "app/viewing/live_view_overlay_views.h"

#include <QMouseEvent>

#include "platform/graphics/canvas.h"
#include "platform/ui/view_geometry.h"

using platform::Rect;

LiveViewTextView::LiveViewTextView(const Rect& frame, QWidget* parent) : View(parent) {
  platform::setFrame(this, frame);
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

void LiveViewTextView::setString(const QString& string) {
  if (string == string_) return;
  string_ = string;
  update();
}

void LiveViewTextView::setTextColor(const platform::Color& color) {
  color_ = color;
  update();
}

void LiveViewTextView::setFont(const platform::Font& font) {
  font_ = font;
  update();
}

void LiveViewTextView::setTextShadow(platform::Size offset, double blur) {
  shadowOffset_ = offset;
  shadowBlur_ = blur;
  update();
}

void LiveViewTextView::drawRect(platform::Canvas& canvas, const Rect&) {
  canvas.saveGState();
  canvas.setShadow(shadowOffset_, shadowBlur_, platform::Color::blackColor());
  // The line box stands on the view's lower edge: figures and capitals fit a view as tall as the font's size.
  canvas.drawString(string_, platform::Point{0, 0}, font_, color_);
  canvas.restoreGState();
}

LiveViewNudgeButton::LiveViewNudgeButton(const Rect& frame, int tag, QWidget* parent) : View(parent), tag_(tag) {
  platform::setFrame(this, frame);
}

void LiveViewNudgeButton::setImage(const platform::Image& image) {
  image_ = image;
  update();
}

void LiveViewNudgeButton::drawRect(platform::Canvas& canvas, const Rect& bounds) { canvas.drawImage(image_, bounds); }

void LiveViewNudgeButton::mousePressEvent(QMouseEvent* event) {
  pressed_ = event->button() == Qt::LeftButton;
  event->accept();
}

void LiveViewNudgeButton::mouseReleaseEvent(QMouseEvent* event) {
  const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
  pressed_ = false;
  event->accept();
  if (click && action_) action_(tag_);
}
