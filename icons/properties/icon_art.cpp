#include "icons/properties/icon_art.h"

#include <QFont>
#include <QPainterPath>
#include <QTransform>
#include <cmath>

namespace icons {

using platform::Canvas;
using platform::Color;
using platform::Font;
using platform::Path;
using platform::Point;
using platform::Rect;
using platform::Shadow;
using platform::Size;

double snapOffset(double fraction, double side) { return std::floor(fraction * side + 0.5); }

Shadow visibleIconShadow() { return Shadow::shadowWithColor(Color::blackColor().withAlpha(0.75), Size{1, -1}, 0); }
Shadow hiddenIconShadow() { return Shadow::shadowWithColor(Color::blackColor().withAlpha(0), Size{3, -3}, 5); }

IconArt::IconArt(const Rect& frame, double r, double g, double b) : frame_(frame), color_(Color::rgb(r, g, b, 1.0)) {
  Canvas* c = Canvas::current();
  if (!c || !(frame.width() > 0) || !(frame.height() > 0)) return;
  canvas_ = c;
  canvas_->saveGState();
}

IconArt::IconArt(const Rect& frame, double r, double g, bool showShadow, double b) : IconArt(frame, r, g, b) {
  hasShadowFlag_ = true;
  // Both shadows are made on every call; the flag picks one.
  const Shadow visible = visibleIconShadow();
  const Shadow hidden = hiddenIconShadow();
  shadow_ = showShadow ? visible : hidden;
}

IconArt::~IconArt() {
  if (canvas_) canvas_->restoreGState();
}

Point IconArt::at(double x, double y) const { return {xAt(x), yAt(y)}; }

Path IconArt::polygon(std::initializer_list<Frac> points) const {
  Path p;
  bool first = true;
  for (const Frac& f : points) {
    if (first) p.moveTo(at(f.x, f.y));
    else p.lineTo(at(f.x, f.y));
    first = false;
  }
  if (!first) p.close();
  return p;
}

Path IconArt::rect(double x0, double y0, double x1, double y1, bool clockwise) const {
  if (clockwise) return polygon({{x0, y0}, {x0, y1}, {x1, y1}, {x1, y0}});
  return polygon({{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}});
}

Rect IconArt::snapped(double x0, double y0, double x1, double y1) const {
  const double w = frame_.width(), h = frame_.height();
  const double left = snapOffset(fx(x0), w), bottom = snapOffset(fy(y0), h);
  return {frame_.x() + left, frame_.y() + bottom, snapOffset(fx(x1), w) - left, snapOffset(fy(y1), h) - bottom};
}

Rect IconArt::box(double x0, double y0, double x1, double y1) const {
  return {xAt(x0), yAt(y0), xAt(x1) - xAt(x0), yAt(y1) - yAt(y0)};
}

Path IconArt::roundedRect(double x0, double y0, double x1, double y1, double rx, double ry, bool clockwise) const {
  // Corners as quarter ellipses (cubic approximation), counter-clockwise from the bottom edge.
  constexpr double k = 0.5522847498;
  const double l = xAt(x0), r = xAt(x1), b = yAt(y0), t = yAt(y1);
  const double ax = rx * frame_.width() * region_.width(), ay = ry * frame_.height() * region_.height();
  Path p;
  if (!clockwise) {
    p.moveTo({l + ax, b});
    p.lineTo({r - ax, b});
    p.curveTo({r, b + ay}, {r - ax + k * ax, b}, {r, b + ay - k * ay});
    p.lineTo({r, t - ay});
    p.curveTo({r - ax, t}, {r, t - ay + k * ay}, {r - ax + k * ax, t});
    p.lineTo({l + ax, t});
    p.curveTo({l, t - ay}, {l + ax - k * ax, t}, {l, t - ay + k * ay});
    p.lineTo({l, b + ay});
    p.curveTo({l + ax, b}, {l, b + ay - k * ay}, {l + ax - k * ax, b});
  } else {
    p.moveTo({l + ax, b});
    p.curveTo({l, b + ay}, {l + ax - k * ax, b}, {l, b + ay - k * ay});
    p.lineTo({l, t - ay});
    p.curveTo({l + ax, t}, {l, t - ay + k * ay}, {l + ax - k * ax, t});
    p.lineTo({r - ax, t});
    p.curveTo({r, t - ay}, {r - ax + k * ax, t}, {r, t - ay + k * ay});
    p.lineTo({r, b + ay});
    p.curveTo({r - ax, b}, {r, b + ay - k * ay}, {r - ax + k * ax, b});
    p.lineTo({l + ax, b});
  }
  p.close();
  return p;
}

Path IconArt::oval(double x0, double y0, double x1, double y1) const { return Path::ellipse(box(x0, y0, x1, y1)); }

Path IconArt::ring(double ox0, double oy0, double ox1, double oy1, double ix0, double iy0, double ix1,
                   double iy1) const {
  QPainterPath q = rect(ox0, oy0, ox1, oy1).qtPath();
  q.addPath(rect(ix0, iy0, ix1, iy1, true).qtPath());
  return Path::fromQt(q);
}

Path IconArt::glyphs(const QString& text, double x0, double y0, double x1, double y1, bool bold) const {
  if (text.isEmpty()) return {};
  QFont font(QStringLiteral("Liberation Sans"));
  font.setPixelSize(100);
  font.setWeight(bold ? QFont::Bold : QFont::Normal);
  font.setHintingPreference(QFont::PreferNoHinting);
  font.setKerning(false);
  QPainterPath outline;
  outline.addText(0, 0, font, text);
  const QRectF b = outline.boundingRect();
  if (b.width() <= 0 || b.height() <= 0) return {};
  // Font outlines are y-down: the top of the glyph box goes to y1.
  QTransform t;
  t.translate(xAt(x0), yAt(y1));
  t.scale((xAt(x1) - xAt(x0)) / b.width(), -(yAt(y1) - yAt(y0)) / b.height());
  t.translate(-b.left(), -b.top());
  QPainterPath mapped = t.map(outline);
  // The font's outlines wind consistently (counters against the outer contours), so the non-zero rule keeps the
  // counters of A, B, R open.
  return Path::fromQt(mapped);
}

Path IconArt::cutOut(const Path& base, const Path& holes) {
  if (holes.isEmpty()) return base;
  return Path::fromRegion(base.qtPath().subtracted(holes.qtPath()));
}

Path IconArt::united(const Path& a, const Path& b) {
  if (a.isEmpty()) return b;
  if (b.isEmpty()) return a;
  return Path::fromRegion(a.qtPath().united(b.qtPath()));
}

Path IconArt::intersected(const Path& a, const Path& b) {
  return Path::fromRegion(a.qtPath().intersected(b.qtPath()));
}

template <class F> void IconArt::shaped(F&& draw) {
  if (!canvas_) return;
  if (hasShadowFlag_) {
    canvas_->saveGState();
    canvas_->setShadow(shadow_);
    canvas_->setFillColor(color_);
    draw();
    canvas_->restoreGState();
  } else {
    canvas_->setFillColor(color_);
    draw();
  }
}

void IconArt::fill(const Path& path) {
  if (path.isEmpty()) return;
  shaped([&] { canvas_->fillPath(path); });
}

void IconArt::fillRect(double x0, double y0, double x1, double y1) {
  const Rect r = snapped(x0, y0, x1, y1);
  if (r.isEmpty()) return;
  fill(Path::rect(r));
}

void IconArt::fillOval(double x0, double y0, double x1, double y1) {
  const Rect r = snapped(x0, y0, x1, y1);
  if (r.isEmpty()) return;
  fill(Path::ellipse(r));
}

void IconArt::centredClippedText(const QString& text, const Rect& box, const QString& fontName, double fontSize,
                                 double lift) {
  if (!canvas_ || text.isEmpty() || !(fontSize > 0) || box.isEmpty()) return;
  const Font font = Font::named(fontName, fontSize);
  const double th = font.boundingSize(text, Size{box.width(), 0}).height;
  const Rect drawn{box.x(), box.y() + (box.height() - th) / 2 + lift, box.width(), th};
  shaped([&] {
    canvas_->saveGState();
    canvas_->clipToRect(box);
    canvas_->drawString(text, drawn, font, color_, platform::TextAlignment::Center);
    canvas_->restoreGState();
  });
}

void IconArt::topText(const QString& text, const Rect& box, const QString& fontName, double fontSize, double lift) {
  if (!canvas_ || text.isEmpty() || !(fontSize > 0) || !(box.width() > 0)) return;
  const Font font = Font::named(fontName, fontSize);
  const Rect drawn = box.offsetBy(0, lift);
  shaped([&] { canvas_->drawString(text, drawn, font, color_, platform::TextAlignment::Center); });
}

}  // namespace icons
