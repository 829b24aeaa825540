#include "platform/ui/view.h"

#include <QPainter>
#include <QPointer>

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
  setPaintsOwnAlpha(this);
  setAttribute(Qt::WA_TranslucentBackground);
  syncLayerFrame();
}

View::~View() { static_cast<BackingLayer&>(*layer_).detach(); }

void View::drawRect(Canvas&, const Rect&) {}

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

void View::paintEvent(QPaintEvent*) {
  syncLayerFrame();
  const double alpha = effectiveAlpha(this);
  if (alpha <= 0) return;
  QPainter painter(this);
  painter.setOpacity(alpha);
  Canvas canvas(painter, {double(width()), double(height())});
  if (!drawnBySuperview()) {
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
