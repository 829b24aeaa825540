#pragma once
// A drawing context over QPainter in the y-up model the drawing code is written for: a state stack (colours,
// line style, alpha, blend mode, shadow, transform and clip), clipping that only ever intersects, non-zero
// paths, fills and strokes, gradients, drop shadows with offset and blur, transparency layers and text.
//
// QPainter has no shadows: an element drawn with a shadow is first drawn into an offscreen image, whose alpha
// is blurred, tinted and composited at the shadow's offset before the element itself.
//
// The canvas that was made last and is still alive on a thread is that thread's current canvas, so that code
// which draws "into the current context" can find it.

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <memory>
#include <vector>

#include "platform/graphics/color.h"
#include "platform/graphics/font.h"
#include "platform/graphics/geometry.h"
#include "platform/graphics/gradient.h"
#include "platform/graphics/path.h"

namespace platform {

enum class LineCap { Butt, Round, Square };
enum class LineJoin { Miter, Round, Bevel };
enum class BlendMode { Normal, Multiply, Screen, Overlay, Darken, Lighten, SoftLight, HardLight, Difference,
                       Copy, Clear, SourceIn, SourceOut, SourceAtop, DestinationOver, DestinationIn,
                       DestinationOut, Plus };
enum class TextAlignment { Left, Center, Right };

struct Shadow {
  Size offset;          // y-up: a positive height puts the shadow above the element
  double blur = 0;      // as the drawing model defines it: the Gaussian's standard deviation is blur / 2
  Color color = Color::blackColor().withAlpha(1.0 / 3.0);

  // The icon kits' convenience constructor: colour, offset and blur radius, set in that order.
  static Shadow shadowWithColor(const Color& color, Size offset, double blurRadius) {
    return Shadow{offset, blurRadius, color};
  }
};

class Image;

class Canvas {
 public:
  // Draws through `painter`, whose current coordinates put the canvas's top-left corner at (0, 0) with y down
  // and whose units are points; the canvas covers `size` from there. The painter's state is restored when
  // the canvas goes away.
  Canvas(QPainter& painter, Size size);
  // Draws into an image; the image's device pixel ratio gives the scale (points = pixels / ratio).
  explicit Canvas(QImage& image);
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  static Canvas* current();

  Size size() const { return size_; }
  Rect bounds() const { return {0, 0, size_.width, size_.height}; }

  void saveGState();
  void restoreGState();

  // Transforms of the user space (y-up; rotate turns counter-clockwise for positive radians).
  void translate(double dx, double dy);
  void scale(double sx, double sy);
  void rotate(double radians);
  void concat(const QTransform& t);

  // Clipping intersects with the clip in force; restoreGState brings back the clip that was saved.
  void clipToRect(const Rect& r);
  void clipToPath(const Path& p);
  // The bounds of the clip in user space (the canvas bounds when nothing clips).
  Rect clipBoundingBox() const;

  void setFillColor(const Color& c) { st().fill = c; }
  void setStrokeColor(const Color& c) { st().stroke = c; }
  void setLineWidth(double w) { st().lineWidth = w; }
  void setLineCap(LineCap c) { st().cap = c; }
  void setLineJoin(LineJoin j) { st().join = j; }
  void setMiterLimit(double m) { st().miterLimit = m; }
  void setAlpha(double a) { st().alpha = std::clamp(a, 0.0, 1.0); }
  void setBlendMode(BlendMode m) { st().blend = m; }
  void setShadow(const Shadow& s) { st().shadow = s; st().hasShadow = s.color.alpha > 0; }
  void setShadow(Size offset, double blur, const Color& color) { setShadow(Shadow{offset, blur, color}); }
  void clearShadow() { st().hasShadow = false; }
  const Color& fillColor() const { return st().fill; }
  const Color& strokeColor() const { return st().stroke; }
  double lineWidth() const { return st().lineWidth; }
  double alpha() const { return st().alpha; }

  void fillRect(const Rect& r);
  void strokeRect(const Rect& r);
  void fillEllipse(const Rect& r);
  void strokeEllipse(const Rect& r);
  void fillPath(const Path& p);
  void strokePath(const Path& p);
  void strokeLine(Point from, Point to);

  void drawLinearGradient(const Gradient& g, Point start, Point end, unsigned options = 0);
  void drawRadialGradient(const Gradient& g, Point startCenter, double startRadius, Point endCenter,
                          double endRadius, unsigned options = 0);

  // Draws a bitmap into a rectangle of user space, upright.
  void drawImage(const QImage& image, const Rect& r, double opacity = 1.0);
  void drawImage(const Image& image, const Rect& r, double opacity = 1.0);

  // One line of text whose line box has its lower-left corner at `point` (the baseline lies `descent` above).
  void drawString(const QString& text, Point point, const Font& font, const Color& color);
  // Text laid out from the top of the rectangle, wrapped at its width when `wraps` is set.
  void drawString(const QString& text, const Rect& r, const Font& font, const Color& color,
                  TextAlignment alignment = TextAlignment::Left, bool wraps = true);

  // Everything drawn until the matching end is composited as one element, with the alpha, blend mode and
  // shadow in force at the start (inside the layer they start reset).
  void beginTransparencyLayer();
  void endTransparencyLayer();

  // The painter the canvas currently draws through (in y-up user coordinates).
  QPainter& painter() { return *p_; }

 private:
  struct GState {
    Color fill = Color::blackColor();
    Color stroke = Color::blackColor();
    double lineWidth = 1;
    LineCap cap = LineCap::Butt;
    LineJoin join = LineJoin::Miter;
    double miterLimit = 10;
    double alpha = 1;
    BlendMode blend = BlendMode::Normal;
    Shadow shadow;
    bool hasShadow = false;
    bool layerStart = false;  // this entry was pushed by beginTransparencyLayer
  };
  struct LayerLevel {
    std::unique_ptr<QImage> image;  // stable address: a painter is open on it
    std::unique_ptr<QPainter> painter;
    QPainter* outer = nullptr;
    QRectF area;       // in the outer painter's device-independent coordinates
    QRectF outerArea;
  };

  void init(QPainter& painter);
  GState& st() { return states_.back(); }
  const GState& st() const { return states_.back(); }
  QPen pen() const;
  // Draws one element: directly, or through an offscreen image when a shadow (or a blend mode that must see
  // the element whole) is in force. `userBounds` bounds what `draw` paints, in user space.
  template <class F> void drawElement(const QRectF& userBounds, F&& draw);
  void composite(const QImage& image, const QRectF& area, const GState& s);
  double deviceRatio() const;

  std::unique_ptr<QImage> ownedImage_;
  std::unique_ptr<QPainter> ownedPainter_;
  QPainter* p_ = nullptr;
  QPainter* outerPainter_ = nullptr;
  Size size_;
  QRectF area_;  // the canvas in the current painter's device-independent coordinates
  std::vector<GState> states_;
  std::vector<LayerLevel> layers_;
  Canvas* previous_ = nullptr;
};

}  // namespace platform
