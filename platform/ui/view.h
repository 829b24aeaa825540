#pragma once
// Layer-backed plain views: a widget whose look is a layer (background colour, border, corner radius, opacity,
// shadow, anchor point and transform), animated as layers are, with what the view draws itself in between.
//
// The backing layer's frame is the view's frame in its superview's y-up coordinates and follows it; a caller
// may still move the layer (its position) to draw the view off its frame, as the drawing model allows. A view
// whose layer is turned (a non-identity transform) inside another View is drawn by that superview, so that
// the turned picture is not cut off at the view's own rectangle; its Qt subviews stay where they are.
//
// Alpha: the view's alphaValue (view_geometry.h) is applied while painting, multiplied down the superviews, so
// that a view at 0.5 inside one at 0.5 shows at 0.25 without an offscreen pass per view. Plain Qt widgets
// inside a View are not faded by it. Main thread only.

#include <QWidget>
#include <memory>

#include "platform/graphics/canvas.h"
#include "platform/graphics/geometry.h"
#include "platform/ui/layer.h"
#include "platform/ui/view_geometry.h"

namespace platform {

class View : public QWidget {
 public:
  explicit View(QWidget* parent = nullptr);
  ~View() override;

  // The backing layer, its frame brought up to date with the view's.
  Layer& layer() {
    syncLayerFrame();
    return *layer_;
  }
  const std::shared_ptr<Layer>& backingLayer() const { return layer_; }

  // The view's own alpha as drawn now (setAlphaValue sets it, frame by frame while it animates); kept here so
  // that painting reads it without a property look-up.
  double presentedAlpha() const { return presentedAlpha_; }
  void setPresentedAlpha(double alpha);

 protected:
  // What the view draws itself, in its bounds (y-up), over the layer's background and under its sublayers
  // and border. Nothing by default.
  virtual void drawRect(Canvas& canvas, const Rect& bounds);
  // Whether drawRect draws anything now; a view whose layer shows nothing either is not painted at all.
  virtual bool drawsContent() const { return false; }

  void paintEvent(QPaintEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  class BackingLayer;
  friend class BackingLayer;

  // Brings the layer's frame along with the view's frame (the parent's height changes a y-up frame too).
  void syncLayerFrame();
  // True while the superview draws this view (see above).
  bool drawnBySuperview() const;
  // True when the layer and drawRect draw nothing now.
  bool showsNothing() const;
  // Repaints what the layer covers after a change of it.
  void layerChanged();

  std::shared_ptr<Layer> layer_;
  Rect syncedFrame_;
  bool wasDrawnBySuperview_ = false;
  double presentedAlpha_ = 1;
};

}  // namespace platform
