#include "widgets/color_view.h"

#include "platform/ui/animation.h"

using platform::Color;

namespace {
Color fromQ(const QColor& c) { return c.isValid() ? Color::fromQColor(c) : Color::clear(); }
}  // namespace

ColorView::ColorView(QWidget* parent) : View(parent) {}

void ColorView::setBackgroundColor(const Color& color) {
  mBackgroundColor = color;
  platform::DisableActions immediate;  // a new colour shows at once, as a fill does
  layer().setBackgroundColor(color);
}

double ColorView::borderWidth() const { return backingLayer()->borderWidth(); }
void ColorView::setBorderWidth(double width) { layer().setBorderWidth(width); }

Color ColorView::borderColor() const { return backingLayer()->borderColor().value_or(Color::clear()); }
void ColorView::setBorderColor(const Color& color) {
  platform::DisableActions immediate;
  layer().setBorderColor(color);
}

double ColorView::cornerRadius() const { return backingLayer()->cornerRadius(); }
void ColorView::setCornerRadius(double radius) { layer().setCornerRadius(radius); }

void ColorView::setQBackgroundColor(const QColor& c) { setBackgroundColor(fromQ(c)); }
void ColorView::setQBorderColor(const QColor& c) { setBorderColor(fromQ(c)); }
