#include "controls/automation/tripod_move_view.h"

#include <QMouseEvent>
#include <algorithm>
#include <cmath>

#include "platform/foundation/system_log.h"
#include "platform/graphics/color.h"
#include "platform/graphics/path.h"
#include "platform/ui/time_source.h"
#include "platform/ui/view_geometry.h"

namespace tripod {

int directionForOffset(double dx, double dy) {
  if (std::hypot(dx, dy) < kDeadZoneRadius) return kStop;
  // Single precision, as the pad has always measured; dx = 0 gives +-90 degrees (straight up or down).
  const float a = std::atan(static_cast<float>(dy) / static_cast<float>(dx)) * 180.0f / static_cast<float>(M_PI);
  if (dx >= 0 && dy >= 0) return a < 22.5f ? kRight : a < 67.5f ? kUpRight : kUp;
  if (dx >= 0) return a > -22.5f ? kRight : a > -67.5f ? kDownRight : kDown;
  if (dy < 0) return a > 67.5f ? kDown : a > 22.5f ? kDownLeft : kLeft;
  return a > -22.5f ? kLeft : a > -67.5f ? kUpLeft : kUp;
}

}  // namespace tripod

namespace {

// When the last press on any pad happened (on the widgets' clock): two presses closer than the double-click
// interval lock the direction.
double gLastMouseDown = -1e9;

struct Arrow {
  int direction;
  double points[3][2];  // fractions of the width and height, y up
};

constexpr Arrow kArrows[] = {
    {tripod::kUp, {{0.425, 0.865}, {0.495, 0.935}, {0.565, 0.865}}},
    {tripod::kDown, {{0.435, 0.135}, {0.505, 0.065}, {0.575, 0.135}}},
    {tripod::kRight, {{0.8646, 0.4252}, {0.9346, 0.4949}, {0.8653, 0.5652}}},
    {tripod::kLeft, {{0.1346, 0.4252}, {0.0646, 0.4949}, {0.134, 0.5652}}},
    {tripod::kDownRight, {{0.7187, 0.1997}, {0.8174, 0.2038}, {0.8138, 0.3025}}},
    {tripod::kDownLeft, {{0.2874, 0.1997}, {0.1887, 0.2038}, {0.1924, 0.3025}}},
    {tripod::kUpRight, {{0.7187, 0.8025}, {0.8174, 0.7984}, {0.8138, 0.6997}}},
    {tripod::kUpLeft, {{0.2874, 0.8025}, {0.1887, 0.7984}, {0.1924, 0.6997}}},
};

// The ring: an outer outline and an inner one wound the other way, so that the middle stays empty.
platform::Path ringPath(double w, double h) {
  using platform::Point;
  platform::Path path;
  path.moveTo({0.8253 * w, 0.1747 * h});
  path.curveTo({0.8253 * w, 0.8253 * h}, {w, 0.3544 * h}, {w, 0.6456 * h});
  path.curveTo({0.1747 * w, 0.8253 * h}, {0.6456 * w, h}, {0.3544 * w, h});
  path.curveTo({0.1747 * w, 0.1747 * h}, {0, 0.6456 * h}, {0, 0.3544 * h});
  path.curveTo({0.8253 * w, 0.1747 * h}, {0.3544 * w, 0}, {0.6456 * w, 0});
  path.close();
  path.moveTo({0.2698 * w, 0.2698 * h});
  path.curveTo({0.2698 * w, 0.7302 * h}, {0.1426 * w, 0.3969 * h}, {0.1426 * w, 0.6031 * h});
  path.curveTo({0.7302 * w, 0.7302 * h}, {0.3969 * w, 0.8574 * h}, {0.6031 * w, 0.8574 * h});
  path.curveTo({0.7302 * w, 0.2698 * h}, {0.8574 * w, 0.6031 * h}, {0.8574 * w, 0.3969 * h});
  path.curveTo({0.2698 * w, 0.2698 * h}, {0.6031 * w, 0.1426 * h}, {0.3969 * w, 0.1426 * h});
  path.close();
  return path;
}

// Filled without a shadow, then outlined in white under a soft white glow.
void fillAndOutline(platform::Canvas& canvas, const platform::Path& path, const platform::Color& fill) {
  canvas.saveGState();
  canvas.clearShadow();
  canvas.setFillColor(fill);
  canvas.fillPath(path);
  canvas.setShadow(platform::Size{0.1, 0.1}, 5, platform::Color::whiteColor());
  canvas.setStrokeColor(platform::Color::whiteColor());
  canvas.setLineWidth(1);
  canvas.strokePath(path);
  canvas.restoreGState();
}

}  // namespace

QY_TripodMoveView::QY_TripodMoveView(QWidget* parent) : platform::View(parent) {}

void QY_TripodMoveView::setDirection(int direction) {
  mCurrentDirection = direction;
  if (mDelegate) mDelegate->directionSelected(direction);
}

int QY_TripodMoveView::directionForPoint(platform::Point point) const {
  // The pad's middle, in its own y-up coordinates.
  return tripod::directionForOffset(point.x - width() / 2.0, point.y - height() / 2.0);
}

void QY_TripodMoveView::newMouseLocation(platform::Point point) {
  if (!mDirectionLocked && std::hypot(point.x - mCurrentPoint.x, point.y - mCurrentPoint.y) <= tripod::kMinimumMove)
    return;
  mCurrentPoint = point;
  setDirection(directionForPoint(point));
  update();
}

void QY_TripodMoveView::forceDirectionGui(int direction) {
  mCurrentDirection = direction;
  update();
}

void QY_TripodMoveView::resetDirection() {
  mDirectionLocked = false;
  forceDirectionGui(tripod::kStop);
}

void QY_TripodMoveView::mouseDown(platform::Point point) {
  const double now = platform::currentTimeSource()->now();
  const double sincePrevious = now - gLastMouseDown;
  mDirectionLocked = sincePrevious >= 0 && sincePrevious < tripod::kDoubleClickInterval;
  gLastMouseDown = now;
  newMouseLocation(point);
}

void QY_TripodMoveView::mouseDragged(platform::Point point) {
  if (!mDirectionLocked) newMouseLocation(point);
}

void QY_TripodMoveView::mouseUp() {
  if (mDirectionLocked) return;
  setDirection(tripod::kStop);
  update();
}

void QY_TripodMoveView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return platform::View::mousePressEvent(event);
  mouseDown(platform::pointFromQt(this, event->position()));
}

void QY_TripodMoveView::mouseMoveEvent(QMouseEvent* event) {
  if (!(event->buttons() & Qt::LeftButton)) return platform::View::mouseMoveEvent(event);
  mouseDragged(platform::pointFromQt(this, event->position()));
}

void QY_TripodMoveView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return platform::View::mouseReleaseEvent(event);
  mouseUp();
}

const QImage& QY_TripodMoveView::picture(int direction, double w, double h, double ratio) {
  QImage& image = mPictures[direction];
  const QSize pixels(int(std::ceil(w * ratio)), int(std::ceil(h * ratio)));
  if (image.size() == pixels && image.devicePixelRatio() == ratio) return image;
  image = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(ratio);
  image.fill(Qt::transparent);
  platform::Canvas canvas(image);
  fillAndOutline(canvas, ringPath(w, h), platform::Color::rgb(0.784, 0.784, 0.784, 0.294));
  for (const Arrow& arrow : kArrows) {
    platform::Path path;
    path.moveTo({arrow.points[0][0] * w, arrow.points[0][1] * h});
    path.lineTo({arrow.points[1][0] * w, arrow.points[1][1] * h});
    path.lineTo({arrow.points[2][0] * w, arrow.points[2][1] * h});
    path.close();
    fillAndOutline(canvas, path, arrow.direction == direction ? platform::Color::redColor() : platform::Color::whiteColor());
  }
  return image;
}

void QY_TripodMoveView::drawRect(platform::Canvas& canvas, const platform::Rect&) {
  const platform::Rect frame = platform::frameOf(this);
  const double w = frame.size.width;
  const double h = frame.size.height;
  canvas.drawImage(picture(mCurrentDirection, w, h, std::max(1.0, devicePixelRatioF())), platform::Rect(0, 0, w, h));
  platform::systemLogf(platform::LogLevel::Debug, "%f, %f, %f", frame.origin.x, frame.origin.y,
                       frame.origin.y + frame.size.height);
}
