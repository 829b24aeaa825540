#pragma once
// The camera's electronic level over the live picture: the level icon with a line turned by the roll, and, when
// the camera reports a pitch, the tilt icon with two triangles moved up or down by it. Level within a degree is
// green, anything else red. Main thread only.
#include <QImage>

#include "platform/ui/view.h"

class ElectronicLevelView : public platform::View {
 public:
  explicit ElectronicLevelView(const platform::Rect& frame, QWidget* parent = nullptr);

  // Roll in degrees, already reduced by the picture's turn.
  float angle() const { return angle_; }
  void setAngle(float angle);
  // Pitch in degrees; outside -91 ... 361 (both excluded) there is none (the live view passes 1000).
  float tilt() const { return tilt_; }
  void setTilt(float tilt);

  // Whether a tilt is shown at all.
  static bool hasTilt(float tilt) { return tilt > -91 && tilt < 361; }

 protected:
  void drawRect(platform::Canvas& canvas, const platform::Rect& bounds) override;
  bool drawsContent() const override { return true; }

 private:
  // The level and tilt icons (their scale casts shadows, slow to draw) drawn once for the view's size into a
  // bitmap, drawn again only when the size, the scale or the tilt icon's presence changes.
  void drawIcons(platform::Canvas& canvas, const platform::Rect& bounds, bool tilted);

  float angle_ = 0;
  float tilt_ = 0;
  QImage iconCache_;
  platform::Size cacheSize_;
  double cacheScale_ = 0;
  bool cacheTilted_ = false;
};
