#include "widgets/it_switch.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include "platform/ui/animation.h"

using platform::Color;
using platform::Rect;

ITSwitch::ITSwitch(QWidget* parent) : platform::LayerHostWidget(parent) {
  setEnabled(true);
  setFocusPolicy(Qt::StrongFocus);  // keyboard access: tab to it, arrows and space
  setUpLayers();
}

ITSwitch::~ITSwitch() = default;

void ITSwitch::setUpLayers() {
  platform::DisableActions immediate;
  layer().setMasksToBounds(false);

  backgroundLayer_ = platform::Layer::make();
  backgroundLayer_->setFrame(layer().bounds());
  backgroundLayer_->setBorderWidth(kBorderLineWidth);
  layer().addSublayer(backgroundLayer_);

  knobLayer_ = platform::Layer::make();
  knobLayer_->setFrame(rectForKnob());
  knobLayer_->setBackgroundColor(Color::white(1.0));
  knobLayer_->setShadow(Color::blackColor(), 0.3, {0, -2}, 1);
  layer().addSublayer(knobLayer_);

  knobInsideLayer_ = platform::Layer::make();
  knobInsideLayer_->setFrame(knobLayer_->bounds());
  knobInsideLayer_->setShadow(Color::blackColor(), 0.35, {0, 0}, 1);
  knobInsideLayer_->setBackgroundColor(Color::whiteColor());
  knobLayer_->addSublayer(knobInsideLayer_);

  reloadLayerSize();
  reloadLayer();
}

Color ITSwitch::tintColor() const { return tintColor_.value_or(Color::rgb(0.27, 0.86, 0.36, 1.0)); }

void ITSwitch::setTintColor(const Color& color) {
  tintColor_ = color;
  reloadLayer();
}

Color ITSwitch::disabledBorderColor() const { return disabledBorderColor_.value_or(Color::white(0.0, 0.2)); }

void ITSwitch::setDisabledBorderColor(const Color& color) {
  disabledBorderColor_ = color;
  reloadLayer();
}

Rect ITSwitch::rectForKnob() const {
  const Rect track = backgroundLayer_ ? backgroundLayer_->bounds() : rootLayer()->bounds();
  const double w = track.width(), h = track.height();
  const double width = active_ ? (w - 2) / kDecreasedGoldenRatio : (w - 2) / double(kGoldenRatio);
  const bool showsOff = (!dragged_ && !checked_) || (dragged_ && !draggingTowardsOn_);
  const double x = showsOff ? 1 : w - width - 1;
  return {x, 1, width, knobHeightForSize({w, h})};
}

void ITSwitch::reloadLayerSize() {
  platform::DisableActions immediate;
  knobLayer_->setFrame(rectForKnob());
  knobInsideLayer_->setFrame(knobLayer_->bounds());
  backgroundLayer_->setCornerRadius(backgroundLayer_->bounds().height() / 2);
  knobLayer_->setCornerRadius(knobLayer_->bounds().height() / 2);
  knobInsideLayer_->setCornerRadius(knobLayer_->bounds().height() / 2);
}

void ITSwitch::reloadLayer() {
  // A click's move overshoots a little; the knob follows a drag on the plain curve.
  const auto timing = dragged_ ? platform::TimingFunction::Default : platform::TimingFunction::Overshoot;
  platform::AnimationContext::run(kAnimationDuration, timing, [this] {
    if ((dragged_ && draggingTowardsOn_) || (!dragged_ && checked_)) {
      backgroundLayer_->setBorderColor(tintColor());
      backgroundLayer_->setBackgroundColor(tintColor());
    } else {
      backgroundLayer_->setBorderColor(disabledBorderColor());
      backgroundLayer_->setBackgroundColor(Color::clear());
    }
    layer().setOpacity(isEnabled() ? kEnabledOpacity : kDisabledOpacity);
    knobLayer_->setFrame(rectForKnob());
    knobInsideLayer_->setFrame(knobLayer_->bounds());
  });
  update();
}

void ITSwitch::setChecked(bool checked) {
  if (checked != checked_) {
    checked_ = checked;
    propagateValue(checked, "checked");
  }
  reloadLayer();
}

void ITSwitch::invokeTargetAction() {
  if (action_) action_(this);
}

void ITSwitch::bind(const std::string& binding, platform::BindingInfo info) {
  std::function<void(const platform::Value&)> show;
  if (binding == "checked") {
    show = [this](const platform::Value& v) {
      if (v.toBool() != checked_) {
        checked_ = v.toBool();  // shown, not pushed back
        reloadLayer();
      }
    };
  }
  bindings_.bind(binding, std::move(info), std::move(show));
}

void ITSwitch::propagateValue(bool value, const std::string& binding) {
  bindings_.propagateValue(platform::Value(value), binding, "-[ITSwitch propagateValue:forBinding:]");
}

// --- mouse ---

void ITSwitch::mousePressEvent(QMouseEvent* event) {
  if (!isEnabled() || event->button() != Qt::LeftButton) return;
  active_ = true;
  reloadLayer();
}

void ITSwitch::mouseMoveEvent(QMouseEvent* event) {
  if (!isEnabled() || !active_) return;
  dragged_ = true;
  draggingTowardsOn_ = event->position().x() >= width() / 2.0;
  reloadLayer();
}

void ITSwitch::mouseReleaseEvent(QMouseEvent* event) {
  if (!isEnabled() || !active_ || event->button() != Qt::LeftButton) return;
  active_ = false;
  const bool old = checked_;
  const bool value = dragged_ ? draggingTowardsOn_ : !checked_;
  setChecked(value);
  if (value != old) invokeTargetAction();
  dragged_ = false;
  draggingTowardsOn_ = false;
  reloadLayer();
}

// --- keys ---

void ITSwitch::moveLeft() {
  if (!checked_) return;
  setChecked(false);
  invokeTargetAction();
}

void ITSwitch::moveRight() {
  if (checked_) return;
  setChecked(true);
  invokeTargetAction();
}

bool ITSwitch::performKeyEquivalent(QKeyEvent* event) {
  if (hasFocus() && event->key() == Qt::Key_Space) {
    setChecked(!checked_);
    invokeTargetAction();
    return true;
  }
  return false;
}

void ITSwitch::keyPressEvent(QKeyEvent* event) {
  if (performKeyEquivalent(event)) return;
  switch (event->key()) {
    case Qt::Key_Left: moveLeft(); return;
    case Qt::Key_Right: moveRight(); return;
    default: LayerHostWidget::keyPressEvent(event);
  }
}

// --- size, state, focus ---

void ITSwitch::resizeEvent(QResizeEvent* event) {
  LayerHostWidget::resizeEvent(event);
  {
    platform::DisableActions immediate;
    backgroundLayer_->setFrame(layer().bounds());
  }
  reloadLayerSize();
}

void ITSwitch::changeEvent(QEvent* event) {
  LayerHostWidget::changeEvent(event);
  if (event->type() == QEvent::EnabledChange) reloadLayer();
}

void ITSwitch::focusInEvent(QFocusEvent* event) {
  LayerHostWidget::focusInEvent(event);
  update();
}

void ITSwitch::focusOutEvent(QFocusEvent* event) {
  LayerHostWidget::focusOutEvent(event);
  update();
}

void ITSwitch::paintEvent(QPaintEvent* event) {
  LayerHostWidget::paintEvent(event);
  if (!hasFocus()) return;
  // The focus ring follows the track's rounded shape.
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  QPen pen(palette().color(QPalette::Highlight), 2);
  p.setPen(pen);
  const QRectF r = QRectF(rect()).adjusted(1, 1, -1, -1);
  p.drawRoundedRect(r, r.height() / 2, r.height() / 2);
}
