#pragma once
// A layer model in the manner the widgets were designed on: a tree of layers with a frame (y-up, in the
// superlayer's coordinates), background and border colours, border width, corner radius, opacity, shadow,
// contents image and mask, plus text and shape layers. A host widget paints the tree (LayerHostWidget);
// nothing here paints by itself.
//
// Animations: explicit ones (addAnimation) run from a value to a value under a key; implicit ones begin when an
// animatable property is set inside an AnimationContext group. What is drawn is the presentation value: the
// model value, or the value of the animation running on that property. Main thread only.

#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/graphics/canvas.h"
#include "platform/graphics/color.h"
#include "platform/graphics/font.h"
#include "platform/graphics/geometry.h"
#include "platform/graphics/image.h"
#include "platform/graphics/path.h"
#include "platform/ui/animation.h"
#include "platform/ui/transform3d.h"

namespace platform {

class Canvas;

// A colour that may be unset (drawn as nothing).
using OptionalColor = std::optional<Color>;
// The values an animation can run between.
using AnimationValue = std::variant<std::monostate, double, OptionalColor, Rect>;

struct BasicAnimation {
  std::string keyPath;
  AnimationValue fromValue;
  AnimationValue toValue;
  double duration = 0.25;
  TimingFunction timing = TimingFunction::Default;
  bool removedOnCompletion = true;
  // Called when the animation stops: finished = false when it was removed or replaced early.
  std::function<void(bool finished)> didStop;
};

class Layer : public std::enable_shared_from_this<Layer> {
 public:
  Layer();
  virtual ~Layer();
  Layer(const Layer&) = delete;
  Layer& operator=(const Layer&) = delete;

  static std::shared_ptr<Layer> make() { return std::make_shared<Layer>(); }

  // Tree.
  void addSublayer(const std::shared_ptr<Layer>& layer);
  void removeFromSuperlayer();
  const std::vector<std::shared_ptr<Layer>>& sublayers() const { return sublayers_; }
  Layer* superlayer() const { return superlayer_; }
  // The widget that paints this tree (set on the root).
  void setHost(QWidget* host) { host_ = host; }
  QWidget* host() const;
  // Has the host repaint; a root layer asks its host widget, any other its superlayer.
  virtual void setNeedsDisplay();

  // Geometry (y-up). bounds() is (0, 0, frame size).
  const Rect& frame() const { return frame_; }
  void setFrame(const Rect& frame);
  Rect bounds() const { return {0, 0, frame_.width(), frame_.height()}; }

  // Appearance. Animatable: "backgroundColor", "borderColor", "opacity", "frame" (and "foregroundColor",
  // "fillColor", "strokeColor" on the subclasses that have them).
  const OptionalColor& backgroundColor() const { return backgroundColor_; }
  void setBackgroundColor(const OptionalColor& c);
  const OptionalColor& borderColor() const { return borderColor_; }
  void setBorderColor(const OptionalColor& c);
  double borderWidth() const { return borderWidth_; }
  void setBorderWidth(double w);
  double cornerRadius() const { return cornerRadius_; }
  void setCornerRadius(double r);
  double opacity() const { return opacity_; }
  void setOpacity(double o);
  bool masksToBounds() const { return masksToBounds_; }
  void setMasksToBounds(bool m);
  bool isHidden() const { return hidden_; }
  void setHidden(bool h);
  // Shadow: drawn when the opacity is above 0, from the layer's composited alpha.
  void setShadow(const Color& color, double opacity, Size offset, double radius);
  double shadowOpacity() const { return shadowOpacity_; }
  // Contents image, drawn over the bounds.
  const Image& contents() const { return contents_; }
  void setContents(const Image& image);
  double contentsScale() const { return contentsScale_; }
  void setContentsScale(double s) { contentsScale_ = s; }
  // Only where the mask layer (in this layer's coordinates) is opaque does this layer show.
  const std::shared_ptr<Layer>& mask() const { return mask_; }
  void setMask(const std::shared_ptr<Layer>& mask);

  // The point of the bounds, in units of its size (0...1, y-up), that the transform turns about and that
  // position() names; (0.5, 0.5), the centre, unless set. Setting it keeps the position, so the frame moves.
  Point anchorPoint() const { return anchorPoint_; }
  void setAnchorPoint(Point anchor);
  // The anchor point in the superlayer's coordinates; setting it moves the frame.
  Point position() const;
  void setPosition(Point position);

  // A 3D transform about the layer's anchor point, drawn with perspective.
  const Transform3D& transform() const { return transform_; }
  void setTransform(const Transform3D& t);
  double zPosition() const { return zPosition_; }
  // Sublayers are drawn in increasing zPosition (then in the order they were added).
  void setZPosition(double z);

  // The deepest visible layer under a point of the superlayer's coordinates (this one or a sublayer), or null.
  Layer* hitTest(Point p);

  // Explicit animations.
  void addAnimation(const BasicAnimation& animation, const std::string& key);
  void removeAnimation(const std::string& key);
  void removeAllAnimations();
  const BasicAnimation* animationForKey(const std::string& key) const;
  std::vector<std::string> animationKeys() const;

  // The model value of an animatable colour ("backgroundColor", "borderColor", "foregroundColor", ...) and its
  // setter by name (which, like the named setters, animates inside a group).
  OptionalColor colorForKeyPath(const std::string& keyPath) const { return modelColor(keyPath); }
  void setColorForKeyPath(const std::string& keyPath, const OptionalColor& color);

  // The values as drawn now.
  OptionalColor presentationColor(const std::string& keyPath) const;
  Rect presentationFrame() const;
  double presentationOpacity() const;

  // Paints the layer and its sublayers into the canvas, whose user space is this layer's superlayer's.
  void render(Canvas& canvas) const;

 protected:
  // Draws the layer's own content (between background and sublayers) in its bounds.
  virtual void drawContent(Canvas& canvas) const;
  // Model value of an animatable colour key path (subclasses add theirs).
  virtual OptionalColor modelColor(const std::string& keyPath) const;
  // Starts an implicit animation when a group is in force.
  void implicitlyAnimate(const std::string& keyPath, AnimationValue from, AnimationValue to);

 private:
  struct ActiveAnimation {
    BasicAnimation animation;
    Animator::Id driver = 0;
    bool finished = false;
    double beginTime = 0;
    std::uint64_t serial = 0;
  };
  const ActiveAnimation* activeFor(const std::string& keyPath) const;
  double progressOf(const ActiveAnimation& a) const;
  void renderSelf(Canvas& canvas) const;
  // Superlayer coordinates -> this layer's own (frame origin and transform).
  QTransform toSuperlayer() const;
  std::vector<Layer*> sublayersInDrawingOrder() const;

  Layer* superlayer_ = nullptr;
  std::vector<std::shared_ptr<Layer>> sublayers_;
  QPointer<QWidget> host_;
  Rect frame_;
  OptionalColor backgroundColor_;
  OptionalColor borderColor_;
  double borderWidth_ = 0;
  double cornerRadius_ = 0;
  double opacity_ = 1;
  bool masksToBounds_ = false;
  bool hidden_ = false;
  Color shadowColor_ = Color::blackColor();
  double shadowOpacity_ = 0;
  Size shadowOffset_{0, -3};
  double shadowRadius_ = 3;
  Image contents_;
  double contentsScale_ = 1;
  std::shared_ptr<Layer> mask_;
  Transform3D transform_;
  Point anchorPoint_{0.5, 0.5};
  double zPosition_ = 0;
  std::map<std::string, ActiveAnimation> animations_;
  std::uint64_t implicitSerial_ = 0;  // > 0 while an implicit animation is being added
  std::uint64_t serial_ = 0;
};

// Text drawn from the top-left of the bounds.
class TextLayer : public Layer {
 public:
  static std::shared_ptr<TextLayer> make() { return std::make_shared<TextLayer>(); }

  const QString& string() const { return string_; }
  void setString(const QString& s);
  const Font& font() const { return font_; }
  void setFont(const Font& f);
  double fontSize() const { return font_.pointSize(); }
  void setFontSize(double size);
  const OptionalColor& foregroundColor() const { return foregroundColor_; }
  void setForegroundColor(const OptionalColor& c);
  bool isWrapped() const { return wrapped_; }
  void setWrapped(bool w);
  TextAlignment alignment() const { return alignment_; }
  void setAlignment(TextAlignment a);

 protected:
  void drawContent(Canvas& canvas) const override;
  OptionalColor modelColor(const std::string& keyPath) const override;

 private:
  QString string_;
  Font font_ = Font::named(QStringLiteral("Helvetica"), 36);
  OptionalColor foregroundColor_ = Color::whiteColor();
  bool wrapped_ = false;
  TextAlignment alignment_ = TextAlignment::Left;
};

// A filled and stroked path in the layer's coordinates.
class ShapeLayer : public Layer {
 public:
  static std::shared_ptr<ShapeLayer> make() { return std::make_shared<ShapeLayer>(); }

  const Path& path() const { return path_; }
  void setPath(const Path& p);
  const OptionalColor& fillColor() const { return fillColor_; }
  void setFillColor(const OptionalColor& c);
  const OptionalColor& strokeColor() const { return strokeColor_; }
  void setStrokeColor(const OptionalColor& c);
  double lineWidth() const { return lineWidth_; }
  void setLineWidth(double w);
  LineCap lineCap() const { return lineCap_; }
  void setLineCap(LineCap c);
  LineJoin lineJoin() const { return lineJoin_; }
  void setLineJoin(LineJoin j);
  double miterLimit() const { return miterLimit_; }
  void setMiterLimit(double m);
  // Lengths of painted and unpainted stretches in points, repeated along the stroke (an odd count is taken
  // twice over); empty, or a pattern with a negative length or none above 0, strokes a solid line.
  const std::vector<double>& lineDashPattern() const { return lineDashPattern_; }
  void setLineDashPattern(std::vector<double> pattern);
  // How far into the pattern the stroke starts, in points.
  double lineDashPhase() const { return lineDashPhase_; }
  void setLineDashPhase(double phase);

 protected:
  void drawContent(Canvas& canvas) const override;
  OptionalColor modelColor(const std::string& keyPath) const override;

 private:
  Path path_;
  OptionalColor fillColor_ = Color::blackColor();
  OptionalColor strokeColor_;
  double lineWidth_ = 1;
  LineCap lineCap_ = LineCap::Butt;
  LineJoin lineJoin_ = LineJoin::Miter;
  double miterLimit_ = 10;
  std::vector<double> lineDashPattern_;
  double lineDashPhase_ = 0;
};

// A widget that paints a layer tree: its root layer has the widget's bounds as frame.
class LayerHostWidget : public QWidget {
 public:
  explicit LayerHostWidget(QWidget* parent = nullptr);
  ~LayerHostWidget() override;
  Layer& layer() { return *root_; }
  const std::shared_ptr<Layer>& rootLayer() const { return root_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  std::shared_ptr<Layer> root_;
};

}  // namespace platform
