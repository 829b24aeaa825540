#include "widgets/sy_flat_button.h"

#include <QEnterEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <cmath>

#include "platform/ui/view_geometry.h"

using platform::Font;
using platform::Image;
using platform::Layer;
using platform::Rect;
using platform::roundHalfAway;
using platform::Size;
using platform::TextLayer;

namespace {
constexpr double kSmallestTitleSize = 1.0;  // the title stops shrinking here
constexpr double kTitleInset = 2.0;         // the title shrinks until its left edge is this far in
}  // namespace

SYFlatButton::SYFlatButton(QWidget* parent) : LayerHostWidget(parent) {
  setup();
  setupImageLayer();
  setupTitleLayer();
}

SYFlatButton::SYFlatButton(const Rect& frame, QWidget* parent) : LayerHostWidget(parent) {
  platform::setFrame(this, frame);
  layer().setFrame({0, 0, frame.width(), frame.height()});
  setup();
  setupImageLayer();
  setupTitleLayer();
}

SYFlatButton::~SYFlatButton() = default;

void SYFlatButton::setup() {
  layer().setMasksToBounds(true);
  layer().setBackgroundColor(platform::Color::redColor());
  platform::setAlphaValue(this, isEnabled() ? 1.0 : 0.5);
  setAttribute(Qt::WA_TransparentForMouseEvents, !isEnabled());
  setMouseTracking(false);
}

void SYFlatButton::awakeFromNib() {
  trackingArea_ = true;
  setAttribute(Qt::WA_Hover, true);
  pointerInside_ = underMouse();
}

Size SYFlatButton::frameSizeForString(const QString& string, const Font& font) {
  const double advance = font.glyphAdvanceSum(string);
  if (advance < 0) return {0, 0};
  return {advance, font.ascent() + font.descent()};
}

Layer& SYFlatButton::imageLayer() {
  if (!imageLayer_) imageLayer_ = Layer::make();
  return *imageLayer_;
}

TextLayer& SYFlatButton::titleLayer() {
  if (!titleLayer_) {
    titleLayer_ = TextLayer::make();
    titleLayer_->setWrapped(true);
  }
  return *titleLayer_;
}

void SYFlatButton::setupImageLayer() {
  if (image_.isNull() || imagePosition_ == NSNoImage) {
    imageLayer().removeFromSuperlayer();
    return;
  }
  const double W = width(), H = height();
  const double iw = image_.size().width, ih = image_.size().height;
  const Size t = font_.sizeOfString(title_);
  const double tw = t.width, th = t.height, s = spacing_;
  double x = 0, y = 0;
  switch (imagePosition_) {
    case NSImageLeft:
    case NSImageLeading:
      x = (W - iw - tw) / 2 - s;
      y = (H - ih) / 2;
      break;
    case NSImageRight:
    case NSImageTrailing:
      x = (W - iw + tw) / 2 + s;
      y = (H - ih) / 2;
      break;
    case NSImageBelow:
      x = (W - iw) / 2;
      y = (H - ih + th) / 2 + s;
      break;
    case NSImageAbove:
      x = (W - iw) / 2;
      y = (H - ih - th) / 2 - s;
      break;
    default:  // image only, overlaps, anything else
      x = (W - iw) / 2;
      y = (H - ih) / 2;
      break;
  }
  platform::DisableActions immediate;
  Layer& il = imageLayer();
  il.setFrame({0, 0, W, H});
  auto mask = Layer::make();
  mask->setFrame({roundHalfAway(x), roundHalfAway(y), iw, ih});
  mask->setContents(image_);
  il.setMask(mask);
  layer().addSublayer(imageLayer_);
}

void SYFlatButton::setupTitleLayer() {
  if (title_.isEmpty() || imagePosition_ == NSImageOnly) {
    titleLayer().removeFromSuperlayer();
    return;
  }
  const double W = width(), H = height();
  const double iw = image_.isNull() ? 0 : image_.size().width;
  const double ih = image_.isNull() ? 0 : image_.size().height;
  const double s = spacing_;
  double x = 0, y = 0;
  Size t;
  for (;;) {
    t = frameSizeForString(title_, font_);
    const double tw = t.width, th = t.height;
    switch (imagePosition_) {
      case NSImageLeft:
      case NSImageLeading:
        x = (W + iw - tw) / 2 + s;
        y = (H - th) / 2;
        break;
      case NSImageRight:
      case NSImageTrailing:
        x = (W - iw - tw) / 2 - s;
        y = (H - th) / 2;
        break;
      case NSImageBelow:
        x = (W - tw) / 2;
        y = (H - ih - th) / 2 - s;
        break;
      case NSImageAbove:
        x = (W - tw) / 2;
        y = (H + ih - th) / 2 + s;
        break;
      default:  // no image, overlaps
        x = (W - tw) / 2;
        y = (H - th) / 2;
        break;
    }
    if (x >= kTitleInset || font_.pointSize() - 1 < kSmallestTitleSize) break;
    // One point smaller, stored without starting the layout again.
    font_ = font_.withSize(font_.pointSize() - 1);
  }
  platform::DisableActions immediate;
  TextLayer& tl = titleLayer();
  tl.setFrame({roundHalfAway(x), roundHalfAway(y), std::ceil(t.width), std::ceil(t.height)});
  tl.setString(title_);
  tl.setFont(font_);
  const QScreen* screen = QGuiApplication::primaryScreen();
  tl.setContentsScale(screen ? screen->devicePixelRatio() : 1.0);
  layer().addSublayer(titleLayer_);
}

void SYFlatButton::removeAllAnimations() {
  layer().removeAllAnimations();
  for (const auto& sub : layer().sublayers()) sub->removeAllAnimations();
}

void SYFlatButton::animateColorWithState(int state) {
  removeAllAnimations();
  const bool on = state == 1;
  const double duration = on ? onAnimateDuration_ : offAnimateDuration_;
  animateLayer(layer(), on ? borderHighlightColor_ : borderNormalColor_, "borderColor", duration);
  animateLayer(layer(), on ? backgroundHighlightColor_ : backgroundNormalColor_, "backgroundColor", duration);
  animateLayer(imageLayer(), on ? imageHighlightColor_ : imageNormalColor_, "backgroundColor", duration);
  animateLayer(titleLayer(), on ? titleHighlightColor_ : titleNormalColor_, "foregroundColor", duration);
}

void SYFlatButton::animateLayer(Layer& target, const OptionalColor& color, const std::string& keyPath, double duration) {
  const OptionalColor stored = target.colorForKeyPath(keyPath);
  if (stored == color) return;
  platform::BasicAnimation a;
  a.keyPath = keyPath;
  a.fromValue = stored;
  a.toValue = color;
  a.duration = duration;
  a.timing = platform::TimingFunction::Linear;
  a.removedOnCompletion = false;
  target.addAnimation(a, keyPath);
  platform::DisableActions immediate;
  target.setColorForKeyPath(keyPath, color);
}

// --- the press ---

void SYFlatButton::mouseDown() {
  if (!isEnabled()) return;
  mouseDown_ = true;
  setState(state_ == 1 ? 0 : 1);
  if (delegate_) delegate_->buttonDown(this);
  if (mouseDownBlock_) {
    auto block = mouseDownBlock_;  // the block may replace itself
    block();
  }
}

void SYFlatButton::mouseExited() {
  if (!isEnabled()) return;
  if (!mouseDown_) return;
  mouseDown_ = false;
  setState(state_ == 1 ? 0 : 1);
  if (delegate_) delegate_->buttonUp(this);
}

void SYFlatButton::mouseEntered() {
  if (!isEnabled()) return;
  if (mouseDown_) setState(state_ == 1 ? 0 : 1);
}

void SYFlatButton::mouseUp() {
  if (!isEnabled()) return;
  if (!mouseDown_) return;
  mouseDown_ = false;
  if (momentary_) setState(state_ == 1 ? 0 : 1);
  sendAction();
  if (delegate_) delegate_->buttonUp(this);
}

void SYFlatButton::sendAction() {
  if (action_) {
    auto action = action_;
    action(this);
  }
  emit clicked();
}

void SYFlatButton::pointerInside(bool inside) {
  if (!trackingArea_ || inside == pointerInside_) return;
  pointerInside_ = inside;
  if (inside) mouseEntered();
  else mouseExited();
}

void SYFlatButton::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    event->ignore();
    return;
  }
  event->accept();
  pointerInside_ = true;
  mouseDown();
}

void SYFlatButton::mouseMoveEvent(QMouseEvent* event) {
  // While a button is held the pointer is grabbed and Qt holds back leave events: follow it here.
  pointerInside(rect().contains(event->position().toPoint()));
  event->accept();
}

void SYFlatButton::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    event->ignore();
    return;
  }
  event->accept();
  mouseUp();
  pointerInside_ = rect().contains(event->position().toPoint());
}

void SYFlatButton::enterEvent(QEnterEvent* event) {
  LayerHostWidget::enterEvent(event);
  pointerInside(true);
}

void SYFlatButton::leaveEvent(QEvent* event) {
  LayerHostWidget::leaveEvent(event);
  pointerInside(false);
}

void SYFlatButton::changeEvent(QEvent* event) {
  LayerHostWidget::changeEvent(event);
  if (event->type() == QEvent::EnabledChange) {
    platform::setAlphaValue(this, isEnabled() ? 1.0 : 0.5);
    // A disabled button is not hit: a click goes to whatever lies below it.
    setAttribute(Qt::WA_TransparentForMouseEvents, !isEnabled());
    enabledChanged();
  }
}

void SYFlatButton::resizeEvent(QResizeEvent* event) {
  LayerHostWidget::resizeEvent(event);
  // A layout may size the button long after its image was set: the image follows every size.
  if (imageLayer_ && imageLayer_->superlayer()) setupImageLayer();
  setupTitleLayer();
}

// --- setters ---

void SYFlatButton::setMomentary(bool m) {
  momentary_ = m;
  animateColorWithState(state_);
}

void SYFlatButton::setCornerRadius(double r) {
  cornerRadius_ = r;
  layer().setCornerRadius(r);
}

void SYFlatButton::setBorderWidth(double w) {
  borderWidth_ = w;
  layer().setBorderWidth(w);
}

void SYFlatButton::setSpacing(double s) {
  spacing_ = s;
  setupImageLayer();
  setupTitleLayer();
}

#define VX_COLOR_SETTER(Name, field)            \
  void SYFlatButton::set##Name(const OptionalColor& c) { \
    field = c;                                   \
    animateColorWithState(state_);               \
  }
VX_COLOR_SETTER(BorderNormalColor, borderNormalColor_)
VX_COLOR_SETTER(BorderHighlightColor, borderHighlightColor_)
VX_COLOR_SETTER(BackgroundNormalColor, backgroundNormalColor_)
VX_COLOR_SETTER(BackgroundHighlightColor, backgroundHighlightColor_)
VX_COLOR_SETTER(ImageNormalColor, imageNormalColor_)
VX_COLOR_SETTER(ImageHighlightColor, imageHighlightColor_)
VX_COLOR_SETTER(TitleNormalColor, titleNormalColor_)
VX_COLOR_SETTER(TitleHighlightColor, titleHighlightColor_)
#undef VX_COLOR_SETTER

void SYFlatButton::setState(int state) {
  state_ = state;
  animateColorWithState(state);
}

void SYFlatButton::setTitle(const QString& title) {
  title_ = title;
  setupTitleLayer();
}

void SYFlatButton::setFont(const Font& font) {
  font_ = font;
  setupTitleLayer();
}

void SYFlatButton::setImage(const Image& image) {
  image_ = image;
  setupImageLayer();
}

void SYFlatButton::setImagePosition(int position) {
  imagePosition_ = position;
  setupImageLayer();
  setupTitleLayer();
}

Rect SYFlatButton::frame() const { return platform::frameOf(this); }

void SYFlatButton::setFrame(const Rect& frame) {
  platform::setFrame(this, frame);
  if (!isVisible()) {
    // Hidden widgets get their resize event only when shown; the layout follows the frame at once.
    platform::DisableActions immediate;
    layer().setFrame({0, 0, frame.width(), frame.height()});
    if (imageLayer_ && imageLayer_->superlayer()) setupImageLayer();
    setupTitleLayer();
  }
}
