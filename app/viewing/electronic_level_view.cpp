#include "app/viewing/electronic_level_view.h"

#include <cmath>

#include "engine/ptp/vendor_state.h"
#include "icons/properties/vorlaxent_style_kit.h"
#include "platform/ui/view_geometry.h"

using platform::Color;
using platform::Path;
using platform::Point;
using platform::Rect;

namespace {

const Color kLevelGreen = Color::rgb(0, 1, 0);
const Color kLevelRed = Color::rgb(1, 0, 0);

void fillTriangle(platform::Canvas& canvas, Point tip, Point baseTop, Point baseBottom) {
  Path path;
  path.moveTo(tip);
  path.lineTo(baseTop);
  path.lineTo(baseBottom);
  path.close();
  canvas.fillPath(path);
}

}  // namespace

ElectronicLevelView::ElectronicLevelView(const Rect& frame, QWidget* parent) : View(parent) {
  platform::setFrame(this, frame);
}

void ElectronicLevelView::setAngle(float angle) {
  if (angle == angle_) return;
  angle_ = angle;
  update();
}

void ElectronicLevelView::setTilt(float tilt) {
  if (tilt == tilt_) return;
  tilt_ = tilt;
  update();
}

void ElectronicLevelView::drawIcons(platform::Canvas& canvas, const Rect& bounds, bool tilted) {
  const double W = bounds.width(), H = bounds.height(), iconSide = 0.25 * W;
  const Rect level(0.375 * W, (H - iconSide) / 2, iconSide, iconSide);
  const Rect tilt(0.3 * W, (H - iconSide) / 2, 0.4 * W, iconSide);
  // Room around the icons for their shadows.
  const Rect area = level.united(tilt).insetBy(-8, -8).integral();
  const QPaintDevice* device = canvas.painter().device();
  const double scale = device ? device->devicePixelRatioF() : 1.0;
  if (iconCache_.isNull() || cacheSize_ != bounds.size || cacheScale_ != scale || cacheTilted_ != tilted) {
    iconCache_ = QImage(int(std::ceil(area.width() * scale)), int(std::ceil(area.height() * scale)),
                        QImage::Format_ARGB32_Premultiplied);
    iconCache_.setDevicePixelRatio(scale);
    iconCache_.fill(Qt::transparent);
    {
      platform::Canvas icons(iconCache_);  // the current canvas while it lives: the kit draws into it
      icons.translate(-area.x(), -area.y());
      VorlaxentStyleKit::drawElectronicLevelWithFrame(level);
      if (tilted) VorlaxentStyleKit::drawElectronicTiltWithFrame(tilt);
    }
    cacheSize_ = bounds.size;
    cacheScale_ = scale;
    cacheTilted_ = tilted;
  }
  canvas.drawImage(iconCache_, area);
}

void ElectronicLevelView::drawRect(platform::Canvas& canvas, const Rect& bounds) {
  const double W = bounds.width(), H = bounds.height();
  const double iconSide = 0.25 * W;
  const bool tilted = hasTilt(tilt_);
  drawIcons(canvas, bounds, tilted);

  const double r = angle_ * M_PI / 180.0, L = 0.18 * W;
  const bool level = std::fabs(angle_) <= 1 || (angle_ >= 359 && angle_ <= 361);
  canvas.saveGState();
  canvas.setStrokeColor(level ? kLevelGreen : kLevelRed);
  canvas.setLineWidth(4);
  canvas.strokeLine({0.55 * W - std::cos(r) * L, 0.5 * H + std::sin(r) * L},
                    {0.45 * W + std::cos(r) * L, 0.5 * H - std::sin(r) * L});
  canvas.restoreGState();
  if (!tilted) return;

  // Nikon reports a downward pitch as 360 less it: taken back to negative degrees (and kept so).
  double d = 0;
  if (camIsCanon()) {
    d = tilt_ * (iconSide / 180.0);
  } else if (camIsNikon()) {
    if (tilt_ > 300) tilt_ -= 360;
    d = tilt_ * (iconSide / 120.0);
  }
  const double s = 0.02 * W, c = H / 2;
  canvas.saveGState();
  canvas.setFillColor(std::fabs(tilt_) <= 1 ? kLevelGreen : kLevelRed);
  fillTriangle(canvas, {0.3 * W + s, c + d}, {0.3 * W, c + s / 2 + d}, {0.3 * W, c - s / 2 + d});
  fillTriangle(canvas, {0.7 * W - s, c + d}, {0.7 * W, c + s / 2 + d}, {0.7 * W, c - s / 2 + d});
  canvas.restoreGState();
}
