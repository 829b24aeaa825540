#include "app/viewing/af_overlay.h"

#include <algorithm>

#include "session/utilities.h"

using platform::Color;
using platform::Point;
using platform::Rect;
using platform::Size;

namespace {

const Color kGreen = Color::rgb(0, 1, 0);
const Color kRed = Color::rgb(1, 0, 0);
const Color kYellow = Color::rgb(1, 1, 0);
const Color kWhite = Color::whiteColor();

constexpr uint32_t kCanonInFocus = 0x11, kCanonOutOfFocus = 0x12;

AfOverlayPlan plan(AfOverlayPlan::Action action) {
  AfOverlayPlan p;
  p.action = action;
  return p;
}

// Places points and sizes of a camera space (y down) in P (the view's y-up coordinates), turned with the picture.
class Placement {
 public:
  Placement(const AfOverlayGeometry& g, double spaceWidth, double spaceHeight)
      : p_(g.pictureRect()), orientation_(g.orientation), width_(spaceWidth), height_(spaceHeight) {}

  const Rect& picture() const { return p_; }
  // The space turned with the picture.
  double turnedWidth() const { return orientationExchangesSides(orientation_) ? height_ : width_; }
  double turnedHeight() const { return orientationExchangesSides(orientation_) ? width_ : height_; }

  // A point of the space, relative to P's lower left corner (y up).
  Point inPicture(double x, double y) const {
    const Point n = turnNormalisedPoint({x / width_, y / height_}, orientation_);
    return {n.x * p_.width(), (1 - n.y) * p_.height()};
  }
  // A size of the space (width, height as the camera gives them), turned and scaled to P.
  Size scaled(double width, double height) const {
    if (orientationExchangesSides(orientation_)) std::swap(width, height);
    return {width * p_.width() / turnedWidth(), height * p_.height() / turnedHeight()};
  }
  // A frame around a centre relative to P, in view coordinates.
  Rect around(Point centre, Size size) const {
    return {p_.x() + centre.x - size.width / 2, p_.y() + centre.y - size.height / 2, size.width, size.height};
  }

 private:
  Rect p_;
  uint8_t orientation_;
  double width_, height_;
};

}  // namespace

Rect AfOverlayGeometry::pictureRect() const {
  return Utilities::rectThatFitsImageSize(pictureSize, Rect(0, 0, viewSize.width, viewSize.height));
}

Point turnNormalisedPoint(Point p, uint8_t orientation) {
  switch (orientation) {
    case 3: return {1 - p.x, 1 - p.y};
    case 6: return {1 - p.y, p.x};  // a quarter turn clockwise: the top left corner goes to the top right
    case 8: return {p.y, 1 - p.x};
    default: return p;
  }
}

AfOverlayPlan canonAfOverlay(const EOS_LiveViewInfoStruct& h, const AfOverlayGeometry& geometry) {
  enum { kState, kLeft, kTop, kWidth, kHeight };
  if (h.afFrameCount == 0 || h.afFrame[kWidth][0] == 0) return plan(AfOverlayPlan::Action::Keep);
  const bool zoomArea = h.zoom >= 2;
  const double originX = zoomArea ? h.zoomX : 0, originY = zoomArea ? h.zoomY : 0;
  const double spaceWidth = zoomArea ? h.record13[0] : h.record18[0];
  const double spaceHeight = zoomArea ? h.record13[1] : h.record18[1];
  const Placement place(geometry, spaceWidth, spaceHeight);
  if (place.picture().width() <= 0) return plan(AfOverlayPlan::Action::Keep);
  if (spaceWidth <= 0 || spaceHeight <= 0) return plan(AfOverlayPlan::Action::Remove);
  // Whole-image frames are measured from a frame taller than the image: their top edge comes up by half the
  // difference (signed: a smaller value at 48 moves them down, never wraps).
  const int64_t correction = zoomArea ? 0 : (int64_t(h.frameHeight) - int64_t(h.record18[1])) / 2;
  AfOverlayPlan out = plan(AfOverlayPlan::Action::Draw);
  const uint32_t count = std::min(h.afFrameCount, kCanonLiveViewMaxAfFrames);
  for (uint32_t i = 0; i < count; ++i) {
    const double width = h.afFrame[kWidth][i], height = h.afFrame[kHeight][i];
    if (width == 0 || height == 0) continue;
    const double top = double(int64_t(h.afFrame[kTop][i]) - correction);
    const Point centre = place.inPicture(h.afFrame[kLeft][i] + width / 2 - originX, top + height / 2 - originY);
    const uint32_t state = h.afFrame[kState][i];
    out.frames.push_back({place.around(centre, place.scaled(width, height)),
                          state == kCanonInFocus ? kGreen : state == kCanonOutOfFocus ? kRed : kWhite});
  }
  return out;
}

AfOverlayPlan nikonAfOverlay(const Nikon_LiveViewInfoStruct2& r, const AfOverlayGeometry& geometry) {
  const double displayWidth = r.displayWidth, displayHeight = r.displayHeight;
  if (displayWidth == 0 || displayHeight == 0) return plan(AfOverlayPlan::Action::Remove);
  const Placement place(geometry, displayWidth, displayHeight);
  const Rect& P = place.picture();
  if (P.width() <= 0 || P.height() <= 0) return plan(AfOverlayPlan::Action::Remove);
  const double originX = r.displayCentreX - displayWidth / 2, originY = r.displayCentreY - displayHeight / 2;
  const Point centre = place.inPicture(r.afCentreX - originX, r.afCentreY - originY);
  // The frame's size against P taken lying down, whatever the turn; never larger than P less 5 points a side.
  const double longSide = std::max(P.width(), P.height()), shortSide = std::min(P.width(), P.height());
  double width = r.afWidth * longSide / displayWidth, height = r.afHeight * shortSide / displayHeight;
  if (width > P.width()) width = P.width() - 10;
  if (height > P.height()) height = P.height() - 10;
  if (width <= 0 || height <= 0) return plan(AfOverlayPlan::Action::Remove);
  // Edges past P's sides come 5 points inside them (x from the left, y from the top, as the camera counts).
  auto inside = [](double start, double length, double room) {
    if (start < 0) return 5.0;
    if (start + length > room) return std::max(5.0, room - 5 - length);
    return start;
  };
  const double left = inside(centre.x - width / 2, width, P.width());
  const double top = inside(P.height() - centre.y - height / 2, height, P.height());
  const Color colour = r.afSelected ? kYellow : r.afState == 2 ? kGreen : r.afState == 1 ? kRed : kWhite;
  AfOverlayPlan out = plan(AfOverlayPlan::Action::Draw);
  out.frames.push_back({Rect(P.x() + left, P.y() + P.height() - top - height, width, height), colour});
  return out;
}

AfOverlayPlan sonyAfOverlay(const SonyAfState& s, const AfOverlayGeometry& geometry) {
  if (!s.focusState) return plan(AfOverlayPlan::Action::Remove);
  const Color colour = *s.focusState == 2 ? kGreen : kWhite;
  if (s.zoomRatio != 0) {
    AfOverlayPlan out = plan(AfOverlayPlan::Action::Draw);
    const Size v = geometry.viewSize;
    out.cross = AfCross{{v.width / 2, v.height / 2}, std::max(v.width, v.height) / 20, colour};
    return out;
  }
  if (!s.focusArea || (*s.focusArea >= 1 && *s.focusArea <= 3)) return plan(AfOverlayPlan::Action::Remove);
  if (s.spaceWidth <= 0 || s.spaceHeight <= 0) return plan(AfOverlayPlan::Action::Remove);
  const Placement place(geometry, s.spaceWidth, s.spaceHeight);
  const Rect& P = place.picture();
  if (P.width() <= 0) return plan(AfOverlayPlan::Action::Remove);
  Point centre;
  Size size;
  if (!s.focus.empty()) {
    centre = place.inPicture(s.focus.x, s.focus.y);
    size = place.scaled(s.focus.width, s.focus.height);
  } else if (s.afPoint) {
    centre = place.inPicture(s.afPoint->x, s.afPoint->y);
    const double longSide = std::max(P.width(), P.height());
    size = {0.12 * longSide, 0.08 * longSide};
  } else {
    return plan(AfOverlayPlan::Action::Remove);
  }
  if (centre.x - size.width / 2 < 0 || centre.y - size.height / 2 < 0) return plan(AfOverlayPlan::Action::Remove);
  AfOverlayPlan out = plan(AfOverlayPlan::Action::Draw);
  out.frames.push_back({place.around(centre, size), colour});
  return out;
}

AfOverlayPlan fujiAfOverlay(const FujiAfState& s, const AfOverlayGeometry& geometry) {
  if (s.zoomRatio != 0 || !s.area || s.area->isEmpty()) return plan(AfOverlayPlan::Action::Remove);
  const Placement place(geometry, 1, 1);
  const Rect& P = place.picture();
  if (P.width() <= 0) return plan(AfOverlayPlan::Action::Remove);
  const Point centre = place.inPicture(s.area->x(), s.area->y());
  const Size size{s.area->width() * P.width(), s.area->height() * P.width()};
  if (centre.x - size.width / 2 < 0 || centre.y - size.height / 2 < 0) return plan(AfOverlayPlan::Action::Remove);
  AfOverlayPlan out = plan(AfOverlayPlan::Action::Draw);
  out.frames.push_back({place.around(centre, size), s.focused ? kGreen : kWhite});
  return out;
}
