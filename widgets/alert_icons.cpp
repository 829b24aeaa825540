#include "widgets/alert_icons.h"

#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <cmath>
#include <numbers>

#include "platform/graphics/canvas.h"

using platform::Canvas;
using platform::Color;
using platform::Font;
using platform::Image;
using platform::Path;
using platform::Point;
using platform::Rect;

namespace {

constexpr double kIconSize = 64;

void drawCentredGlyph(Canvas& c, const Rect& r, const QString& glyph, double size, const Color& color, double dy = 0) {
  const Font font = Font::named(QStringLiteral("Arial-BoldMT"), size);
  const platform::Size s = font.sizeOfString(glyph);
  c.drawString(glyph, Point{r.midX() - s.width / 2, r.midY() - s.height / 2 + dy}, font, color);
}

Image caution() {
  return Image::withSize({kIconSize, kIconSize}, [](Canvas& c, const Rect& r) {
    const double m = r.width() * 0.06;
    Path tri;
    const Point top{r.midX(), r.maxY() - m}, right{r.maxX() - m, r.minY() + m * 1.5}, left{r.minX() + m, r.minY() + m * 1.5};
    tri.moveTo({(left.x + right.x) / 2, left.y});
    tri.arcToPoint(right, top, r.width() * 0.08);
    tri.arcToPoint(top, left, r.width() * 0.08);
    tri.arcToPoint(left, right, r.width() * 0.08);
    tri.close();
    c.setShadow(platform::Size{0, -1.5}, 3, Color::blackColor().withAlpha(0.5));
    c.setFillColor(Color::rgb(1.0, 0.62, 0.04));
    c.fillPath(tri);
    c.clearShadow();
    drawCentredGlyph(c, r.offsetBy(0, -r.height() * 0.08), QStringLiteral("!"), r.height() * 0.5, Color::white(0.1));
    return true;
  });
}

Image note() {
  return Image::withSize({kIconSize, kIconSize}, [](Canvas& c, const Rect& r) {
    const Rect disc = r.insetBy(r.width() * 0.08, r.height() * 0.08);
    c.setShadow(platform::Size{0, -1.5}, 3, Color::blackColor().withAlpha(0.5));
    c.setFillColor(Color::rgb(0.04, 0.52, 1.0));
    c.fillEllipse(disc);
    c.clearShadow();
    drawCentredGlyph(c, r, QStringLiteral("i"), r.height() * 0.5, Color::whiteColor());
    return true;
  });
}

Image stop() {
  return Image::withSize({kIconSize, kIconSize}, [](Canvas& c, const Rect& r) {
    const double radius = r.width() * 0.44;
    Path octagon;
    for (int i = 0; i < 8; ++i) {
      const double a = (22.5 + 45.0 * i) * std::numbers::pi / 180.0;
      const Point p{r.midX() + radius * std::cos(a), r.midY() + radius * std::sin(a)};
      if (i == 0) octagon.moveTo(p);
      else octagon.lineTo(p);
    }
    octagon.close();
    c.setShadow(platform::Size{0, -1.5}, 3, Color::blackColor().withAlpha(0.5));
    c.setFillColor(Color::rgb(1.0, 0.27, 0.23));
    c.fillPath(octagon);
    c.clearShadow();
    c.setStrokeColor(Color::white(1.0, 0.85));
    c.setLineWidth(r.width() * 0.03);
    Path inner;
    const double ri = radius * 0.86;
    for (int i = 0; i < 8; ++i) {
      const double a = (22.5 + 45.0 * i) * std::numbers::pi / 180.0;
      const Point p{r.midX() + ri * std::cos(a), r.midY() + ri * std::sin(a)};
      if (i == 0) inner.moveTo(p);
      else inner.lineTo(p);
    }
    inner.close();
    c.strokePath(inner);
    drawCentredGlyph(c, r, QStringLiteral("!"), r.height() * 0.5, Color::whiteColor());
    return true;
  });
}

Image aperture() {
  return Image::withSize({kIconSize, kIconSize}, [](Canvas& c, const Rect& r) {
    const Rect body = r.insetBy(r.width() * 0.04, r.height() * 0.04);
    c.setFillColor(Color::white(0.17));
    c.fillEllipse(body);
    c.setStrokeColor(Color::rgb(1.0, 0.62, 0.04));
    c.setLineWidth(r.width() * 0.06);
    c.strokeEllipse(body.insetBy(r.width() * 0.05, r.height() * 0.05));
    // Six blades around the opening.
    const Point centre{r.midX(), r.midY()};
    const double outer = r.width() * 0.34, inner = r.width() * 0.13;
    for (int i = 0; i < 6; ++i) {
      const double a0 = (60.0 * i) * std::numbers::pi / 180.0;
      const double a1 = a0 + 60.0 * std::numbers::pi / 180.0;
      Path blade;
      blade.moveTo({centre.x + inner * std::cos(a0 + 0.9), centre.y + inner * std::sin(a0 + 0.9)});
      blade.lineTo({centre.x + outer * std::cos(a0), centre.y + outer * std::sin(a0)});
      blade.lineTo({centre.x + outer * std::cos(a1), centre.y + outer * std::sin(a1)});
      blade.close();
      c.setFillColor(Color::white(0.32 + 0.05 * (i % 2)));
      c.fillPath(blade);
    }
    c.setFillColor(Color::white(0.05));
    c.fillEllipse({centre.x - inner, centre.y - inner, 2 * inner, 2 * inner});
    return true;
  });
}

}  // namespace

QString alertIconNameForStyle(unsigned long long style) {
  switch (style) {
    case 0: return QStringLiteral("AlertCautionIcon");
    case 1: return QStringLiteral("AlertNoteIcon");
    case 2: return QStringLiteral("AlertStopIcon");
    default: return QStringLiteral("AlertNoteIcon");
  }
}

Image alertIconNamed(const QString& name) {
  const QString file = QStringLiteral(":/images/%1.png").arg(name);
  if (QFile::exists(file)) {
    const Image img = Image::fromFile(file);
    if (!img.isNull()) return img;
  }
  if (name == QLatin1String("AlertCautionIcon")) return caution();
  if (name == QLatin1String("AlertStopIcon")) return stop();
  return note();
}

Image applicationIconImage() {
  const QIcon icon = QGuiApplication::windowIcon();
  if (!icon.isNull()) {
    const QImage img = icon.pixmap(128, 128).toImage();
    if (!img.isNull()) return Image::fromBitmap(img, 2.0);
  }
  return aperture();
}
