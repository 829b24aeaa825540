#include "platform/ui/view.h"

#include <QPainter>
#include <QPointer>
#include <algorithm>

#include "platform/ui/animation.h"

namespace platform {

// The root layer of a view: draws the view's own content and reports changes to the view.
class View::BackingLayer : public Layer {
 public:
  explicit BackingLayer(View* view) : view_(view) {}
  void detach() { view_ = nullptr; }
  void setNeedsDisplay() override {
    if (view_) view_->layerChanged();
  }

 protected:
  void drawContent(Canvas& canvas) const override {
    if (view_) view_->drawRect(canvas, bounds());
  }

 private:
  View* view_;
};

View::View(QWidget* parent) : QWidget(parent), layer_(std::make_shared<BackingLayer>(this)) {
  setAttribute(Qt::WA_TranslucentBackground);
  syncLayerFrame();
}

View::~View() { static_cast<BackingLayer&>(*layer_).detach(); }

void View::drawRect(Canvas&, const Rect&) {}

void View::setPresentedAlpha(double alpha) {
  presentedAlpha_ = std::clamp(alpha, 0.0, 1.0);
  // Repainting the view repaints its subviews, which take the new alpha from it.
  update();
}

void View::syncLayerFrame() {
  const Rect now = frameOf(this);
  if (now == syncedFrame_) return;
  const Rect layerFrame = layer_->frame();
  // Keep an offset the caller gave the layer; take the view's size unless the layer was sized otherwise.
  const double dx = now.x() - syncedFrame_.x(), dy = now.y() - syncedFrame_.y();
  const bool sameSize = layerFrame.width() == syncedFrame_.width() && layerFrame.height() == syncedFrame_.height();
  syncedFrame_ = now;
  DisableActions immediate;
  layer_->setFrame({layerFrame.x() + dx, layerFrame.y() + dy, sameSize ? now.width() : layerFrame.width(),
                    sameSize ? now.height() : layerFrame.height()});
}

bool View::drawnBySuperview() const {
  return dynamic_cast<const View*>(parentWidget()) && !layer_->transform().isIdentity();
}

void View::layerChanged() {
  const bool bySuperview = drawnBySuperview();
  if (bySuperview || wasDrawnBySuperview_) {
    if (QWidget* parent = parentWidget()) parent->update();
  }
  wasDrawnBySuperview_ = bySuperview;
  update();
}

void View::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  syncLayerFrame();
}

void View::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  syncLayerFrame();
}

bool View::showsNothing() const {
  const Layer& l = *layer_;
  const OptionalColor background = l.presentationColor("backgroundColor");
  const OptionalColor border = l.presentationColor("borderColor");
  return !drawsContent() && (!background || background->alpha <= 0) &&
         (l.borderWidth() <= 0 || !border || border->alpha <= 0) && l.contents().isNull() && l.sublayers().empty() &&
         l.shadowOpacity() <= 0;
}

void View::paintEvent(QPaintEvent*) {
  syncLayerFrame();
  const double alpha = effectiveAlpha(this);
  if (alpha <= 0) return;
  const bool drawSelf = !drawnBySuperview() && !showsNothing();
  bool turnedSubviews = false;
  for (QObject* child : children()) {
    auto* sub = dynamic_cast<View*>(child);
    if (sub && !sub->isHidden() && sub->drawnBySuperview()) turnedSubviews = true;
  }
  if (!drawSelf && !turnedSubviews) return;  // nothing to paint: no painter at all (cheap for plain containers)
  QPainter painter(this);
  painter.setOpacity(alpha);
  Canvas canvas(painter, {double(width()), double(height())});
  if (drawSelf) {
    canvas.saveGState();
    canvas.translate(-syncedFrame_.x(), -syncedFrame_.y());
    layer_->render(canvas);
    canvas.restoreGState();
  }
  // Turned subviews, in their order among the subviews, in this view's coordinates (their layers' space).
  for (QObject* child : children()) {
    auto* sub = dynamic_cast<View*>(child);
    if (!sub || sub->isHidden() || !sub->drawnBySuperview()) continue;
    sub->syncLayerFrame();
    const double subAlpha = effectiveAlpha(sub) / alpha;
    if (subAlpha <= 0) continue;
    canvas.saveGState();
    canvas.setAlpha(subAlpha);
    sub->layer_->render(canvas);
    canvas.restoreGState();
  }
}

}  // namespace platform
