#pragma once
// The drawing conventions every property icon follows, in one place: points as fractions of a y-up frame,
// rectangles and ovals snapped to whole points from the frame's origin (floor(fraction x side + 0.5)), every path
// filled with the non-zero rule, one colour at alpha 1, the optional per-shape shadow, letters as filled glyph
// outlines, and texts in fonts named by PostScript name.
//
// An IconArt saves the canvas state when it is made and restores it when it goes away, so a draw operation leaves
// the caller's state as it found it. It draws nothing when there is no current canvas or the frame is empty.

#include <QString>
#include <algorithm>
#include <initializer_list>
#include <utility>

#include "platform/graphics/canvas.h"
#include "platform/graphics/color.h"
#include "platform/graphics/font.h"
#include "platform/graphics/geometry.h"
#include "platform/graphics/path.h"

namespace icons {

// floor(v + 0.5): where a snapped edge at `fraction` of `side` lies from the frame's origin.
double snapOffset(double fraction, double side);

// The two shadows of icons with a shadow flag: visible (alpha 0.75, (1, -1), blur 0) and hidden (alpha 0, (3, -3),
// blur 5).
platform::Shadow visibleIconShadow();
platform::Shadow hiddenIconShadow();

struct Frac {
  double x;
  double y;
};

class IconArt {
 public:
  // An icon without a shadow parameter.
  IconArt(const platform::Rect& frame, double r, double g, double b);
  // An icon with a shadow flag: every shape and text is drawn in its own saved state under the chosen shadow.
  IconArt(const platform::Rect& frame, double r, double g, bool showShadow, double b);
  ~IconArt();
  IconArt(const IconArt&) = delete;
  IconArt& operator=(const IconArt&) = delete;

  // False when nothing can be drawn (no current canvas, or a frame of no area); every drawing call is then a no-op.
  bool ok() const { return canvas_ != nullptr; }
  const platform::Rect& frame() const { return frame_; }
  const platform::Color& color() const { return color_; }
  platform::Canvas& canvas() { return *canvas_; }

  // Fractions are of the frame, or of the region set here (given in fractions of the frame), so that one motif
  // can be drawn whole or in a part of another icon.
  void setRegion(double x0, double y0, double x1, double y1) { region_ = {x0, y0, x1 - x0, y1 - y0}; }
  void resetRegion() { region_ = {0, 0, 1, 1}; }

  platform::Point at(double x, double y) const;
  double fx(double f) const { return region_.x() + f * region_.width(); }
  double fy(double f) const { return region_.y() + f * region_.height(); }
  double xAt(double f) const { return frame_.x() + fx(f) * frame_.width(); }
  double yAt(double f) const { return frame_.y() + fy(f) * frame_.height(); }
  // A rectangle of the frame in points, unsnapped.
  platform::Rect box(double x0, double y0, double x1, double y1) const;

  // Shapes, by fractions of the frame (x0, y0) to (x1, y1).
  platform::Path polygon(std::initializer_list<Frac> points) const;
  // A rectangle as a polygon (not snapped); `clockwise` reverses its direction, to make holes.
  platform::Path rect(double x0, double y0, double x1, double y1, bool clockwise = false) const;
  // The snapped rectangle (edges on whole points from the origin).
  platform::Rect snapped(double x0, double y0, double x1, double y1) const;
  // A band between two rectangles (the inner one a hole).
  // A rectangle whose corners are rounded over fractions (rx of the width, ry of the height).
  platform::Path roundedRect(double x0, double y0, double x1, double y1, double rx, double ry,
                             bool clockwise = false) const;
  // An oval inscribed in the fractions (not snapped).
  platform::Path oval(double x0, double y0, double x1, double y1) const;
  platform::Path ring(double ox0, double oy0, double ox1, double oy1, double ix0, double iy0, double ix1,
                      double iy1) const;
  // The outline of `text` in Liberation Sans (bold when asked), stretched to fill the box exactly.
  platform::Path glyphs(const QString& text, double x0, double y0, double x1, double y1, bool bold = true) const;
  // `base` with `holes` cut out of it.
  static platform::Path cutOut(const platform::Path& base, const platform::Path& holes);
  static platform::Path united(const platform::Path& a, const platform::Path& b);
  static platform::Path intersected(const platform::Path& a, const platform::Path& b);

  // Fills a path, with the shadow when the icon has one. Empty paths are skipped.
  void fill(const platform::Path& path);
  // Fills a snapped rectangle or oval; skipped when its snapped size is empty.
  void fillRect(double x0, double y0, double x1, double y1);
  void fillOval(double x0, double y0, double x1, double y1);

  // Text, drawn with the icon's shadow when it has one. Nothing is drawn for an empty or null text or a font
  // size of 0 or less.
  // Centred horizontally in `box`, centred vertically by its measured height, clipped to the box and moved up by
  // `lift` points.
  void centredClippedText(const QString& text, const platform::Rect& box, const QString& fontName, double fontSize,
                          double lift);
  // Centred horizontally, laid out from the top of `box` moved up by `lift`, not clipped (it may spill).
  void topText(const QString& text, const platform::Rect& box, const QString& fontName, double fontSize,
               double lift);

 private:
  template <class F> void shaped(F&& draw);

  platform::Canvas* canvas_ = nullptr;
  platform::Rect frame_;
  platform::Color color_;
  bool hasShadowFlag_ = false;
  platform::Shadow shadow_;
  platform::Rect region_{0, 0, 1, 1};
};

}  // namespace icons
