#include "widgets/color_view.h"

#include <QPainter>

void ColorView::setBackgroundColor(const platform::Color& color) {
  mBackgroundColor = color;
  update();
}

void ColorView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), mBackgroundColor.toQColor());
}
