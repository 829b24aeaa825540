#include "platform/ui/layer.h"

#include <QPainter>
#include <QPainterPathStroker>
#include <QResizeEvent>
#include <algorithm>
#include <cmath>

#include "platform/graphics/canvas.h"

namespace platform {

namespace {

Color asColor(const OptionalColor& c, const OptionalColor& other) {
  if (c) return *c;
  // An unset colour fades like the other end with no alpha.
  return other ? other->withAlpha(0) : Color::clear();
}

Path roundedRectPath(const Rect& r, double radius) {
  const double maxRadius = std::min(r.width(), r.height()) / 2;
  const double rr = std::clamp(radius, 0.0, std::max(0.0, maxRadius));
  return rr > 0 ? Path::roundedRect(r, rr, rr) : Path::rect(r);
}

}  // namespace

Layer::Layer() = default;

Layer::~Layer() {
  // Stop the drivers without calling back into this layer's state.
  auto animations = std::move(animations_);
  animations_.clear();
  for (auto& [key, a] : animations) {
    if (a.driver && Animator::shared().isRunning(a.driver)) Animator::shared().cancel(a.driver);
  }
  for (auto& sub : sublayers_) sub->superlayer_ = nullptr;
}

void Layer::addSublayer(const std::shared_ptr<Layer>& layer) {
  if (!layer || layer.get() == this) return;
  if (layer->superlayer_ == this) {
    // Moving it to the top.
    auto it = std::find(sublayers_.begin(), sublayers_.end(), layer);
    if (it != sublayers_.end()) sublayers_.erase(it);
  } else {
    layer->removeFromSuperlayer();
  }
  layer->superlayer_ = this;
  sublayers_.push_back(layer);
  setNeedsDisplay();
}

void Layer::removeFromSuperlayer() {
  Layer* parent = superlayer_;
  if (!parent) return;
  auto keep = shared_from_this();  // stay alive until we are out
  auto it = std::find_if(parent->sublayers_.begin(), parent->sublayers_.end(),
                         [this](const std::shared_ptr<Layer>& l) { return l.get() == this; });
  superlayer_ = nullptr;
  if (it != parent->sublayers_.end()) parent->sublayers_.erase(it);
  parent->setNeedsDisplay();
}

QWidget* Layer::host() const {
  const Layer* l = this;
  while (l->superlayer_) l = l->superlayer_;
  return l->host_.data();
}

void Layer::setNeedsDisplay() {
  if (superlayer_) superlayer_->setNeedsDisplay();
  else if (host_) host_->update();
}

void Layer::setFrame(const Rect& frame) {
  if (frame == frame_) return;
  implicitlyAnimate("frame", presentationFrame(), frame);
  frame_ = frame;
  setNeedsDisplay();
}

void Layer::setBackgroundColor(const OptionalColor& c) {
  if (c == backgroundColor_) return;
  implicitlyAnimate("backgroundColor", presentationColor("backgroundColor"), c);
  backgroundColor_ = c;
  setNeedsDisplay();
}

void Layer::setBorderColor(const OptionalColor& c) {
  if (c == borderColor_) return;
  implicitlyAnimate("borderColor", presentationColor("borderColor"), c);
  borderColor_ = c;
  setNeedsDisplay();
}

void Layer::setBorderWidth(double w) {
  borderWidth_ = w;
  setNeedsDisplay();
}

void Layer::setCornerRadius(double r) {
  cornerRadius_ = r;
  setNeedsDisplay();
}

void Layer::setOpacity(double o) {
  o = std::clamp(o, 0.0, 1.0);
  if (o == opacity_) return;
  implicitlyAnimate("opacity", presentationOpacity(), o);
  opacity_ = o;
  setNeedsDisplay();
}

void Layer::setMasksToBounds(bool m) {
  masksToBounds_ = m;
  setNeedsDisplay();
}

void Layer::setHidden(bool h) {
  hidden_ = h;
  setNeedsDisplay();
}

void Layer::setShadow(const Color& color, double opacity, Size offset, double radius) {
  shadowColor_ = color;
  shadowOpacity_ = opacity;
  shadowOffset_ = offset;
  shadowRadius_ = radius;
  setNeedsDisplay();
}

void Layer::setTransform(const Transform3D& t) {
  transform_ = t;
  setNeedsDisplay();
}

void Layer::setAnchorPoint(Point anchor) {
  const Point keep = position();
  anchorPoint_ = anchor;
  setPosition(keep);
  setNeedsDisplay();
}

Point Layer::position() const {
  return {frame_.x() + anchorPoint_.x * frame_.width(), frame_.y() + anchorPoint_.y * frame_.height()};
}

void Layer::setPosition(Point position) {
  setFrame({position.x - anchorPoint_.x * frame_.width(), position.y - anchorPoint_.y * frame_.height(),
            frame_.width(), frame_.height()});
}

void Layer::setZPosition(double z) {
  zPosition_ = z;
  setNeedsDisplay();
}

QTransform Layer::toSuperlayer() const {
  const Rect f = presentationFrame();
  QTransform t = QTransform::fromTranslate(f.x(), f.y());
  if (!transform_.isIdentity()) {
    const double cx = f.width() * anchorPoint_.x, cy = f.height() * anchorPoint_.y;
    t = QTransform::fromTranslate(-cx, -cy) * transform_.toQTransform() * QTransform::fromTranslate(cx, cy) * t;
  }
  return t;
}

std::vector<Layer*> Layer::sublayersInDrawingOrder() const {
  std::vector<Layer*> out;
  for (const auto& s : sublayers_) out.push_back(s.get());
  std::stable_sort(out.begin(), out.end(), [](const Layer* a, const Layer* b) { return a->zPosition_ < b->zPosition_; });
  return out;
}

Layer* Layer::hitTest(Point p) {
  if (hidden_ || presentationOpacity() <= 0) return nullptr;
  bool ok = true;
  const QTransform inverse = toSuperlayer().inverted(&ok);
  if (!ok) return nullptr;
  const QPointF local = inverse.map(QPointF(p.x, p.y));
  const Point lp{local.x(), local.y()};
  const Rect b{0, 0, presentationFrame().width(), presentationFrame().height()};
  if (masksToBounds_ && !b.contains(lp)) return nullptr;
  auto order = sublayersInDrawingOrder();
  for (auto it = order.rbegin(); it != order.rend(); ++it) {
    if (Layer* hit = (*it)->hitTest(lp)) return hit;
  }
  return b.contains(lp) ? this : nullptr;
}

void Layer::setContents(const Image& image) {
  contents_ = image;
  setNeedsDisplay();
}

void Layer::setMask(const std::shared_ptr<Layer>& mask) {
  mask_ = mask;
  setNeedsDisplay();
}

// --- animations ---

void Layer::addAnimation(const BasicAnimation& animation, const std::string& key) {
  removeAnimation(key);
  ActiveAnimation active{animation, 0, false};
  active.animation.keyPath = animation.keyPath.empty() ? key : animation.keyPath;
  animations_[key] = active;
  // The driver only repaints and reports the end; values are computed from the clock when drawn.
  std::weak_ptr<Layer> weak = weak_from_this();
  Layer* self = this;
  const bool shared = !weak.expired();
  Animator::Plan plan;
  plan.duration = animation.duration;
  plan.timing = TimingFunction::Linear;
  plan.step = [weak, self, shared](double) {
    if (shared && weak.expired()) return;
    self->setNeedsDisplay();
  };
  plan.done = [weak, self, shared, key](bool finished) {
    if (shared && weak.expired()) return;
    auto it = self->animations_.find(key);
    if (it == self->animations_.end()) return;
    auto didStop = it->second.animation.didStop;
    if (it->second.animation.removedOnCompletion || !finished) self->animations_.erase(it);
    else it->second.finished = true;
    self->setNeedsDisplay();
    if (didStop) didStop(finished);
  };
  animations_[key].beginTime = currentTimeSource()->now();
  animations_[key].serial = ++serial_;
  AnimationContext* ctx = implicitSerial_ ? AnimationContext::current() : nullptr;
  const Animator::Id id = ctx ? ctx->start(std::move(plan)) : Animator::shared().start(std::move(plan));
  auto it = animations_.find(key);
  if (it != animations_.end() && !it->second.finished) it->second.driver = id;
}

void Layer::removeAnimation(const std::string& key) {
  auto it = animations_.find(key);
  if (it == animations_.end()) return;
  const Animator::Id driver = it->second.driver;
  auto didStop = it->second.animation.didStop;
  const bool wasFinished = it->second.finished;
  animations_.erase(it);
  if (driver && Animator::shared().isRunning(driver)) {
    Animator::shared().cancel(driver);  // its done() finds nothing under the key any more
  }
  if (!wasFinished && didStop) didStop(false);
  setNeedsDisplay();
}

void Layer::removeAllAnimations() {
  std::vector<std::string> keys;
  for (const auto& [key, a] : animations_) keys.push_back(key);
  for (const auto& key : keys) removeAnimation(key);
}

const BasicAnimation* Layer::animationForKey(const std::string& key) const {
  auto it = animations_.find(key);
  return it == animations_.end() ? nullptr : &it->second.animation;
}

std::vector<std::string> Layer::animationKeys() const {
  std::vector<std::string> keys;
  for (const auto& [key, a] : animations_) keys.push_back(key);
  return keys;
}

void Layer::implicitlyAnimate(const std::string& keyPath, AnimationValue from, AnimationValue to) {
  AnimationContext* ctx = AnimationContext::current();
  if (!ctx || ctx->duration() <= 0) return;
  BasicAnimation a;
  a.keyPath = keyPath;
  a.fromValue = std::move(from);
  a.toValue = std::move(to);
  a.duration = ctx->duration();
  a.timing = ctx->timing();
  ++implicitSerial_;
  addAnimation(a, keyPath);
  --implicitSerial_;
}

const Layer::ActiveAnimation* Layer::activeFor(const std::string& keyPath) const {
  const ActiveAnimation* best = nullptr;
  for (const auto& [key, a] : animations_) {
    if (a.finished || a.animation.keyPath != keyPath) continue;
    if (!best || a.serial > best->serial) best = &a;
  }
  return best;
}

double Layer::progressOf(const ActiveAnimation& a) const {
  if (a.animation.duration <= 0) return 1.0;
  const double t = (currentTimeSource()->now() - a.beginTime) / a.animation.duration;
  return applyTiming(a.animation.timing, t);
}

OptionalColor Layer::modelColor(const std::string& keyPath) const {
  if (keyPath == "backgroundColor") return backgroundColor_;
  if (keyPath == "borderColor") return borderColor_;
  return std::nullopt;
}

void Layer::setColorForKeyPath(const std::string& keyPath, const OptionalColor& color) {
  if (keyPath == "backgroundColor") {
    setBackgroundColor(color);
  } else if (keyPath == "borderColor") {
    setBorderColor(color);
  } else if (auto* text = dynamic_cast<TextLayer*>(this); text && keyPath == "foregroundColor") {
    text->setForegroundColor(color);
  } else if (auto* shape = dynamic_cast<ShapeLayer*>(this)) {
    if (keyPath == "fillColor") shape->setFillColor(color);
    if (keyPath == "strokeColor") shape->setStrokeColor(color);
  }
}

OptionalColor Layer::presentationColor(const std::string& keyPath) const {
  const ActiveAnimation* a = activeFor(keyPath);
  if (!a) return modelColor(keyPath);
  const auto* from = std::get_if<OptionalColor>(&a->animation.fromValue);
  const auto* to = std::get_if<OptionalColor>(&a->animation.toValue);
  const OptionalColor f = from ? *from : modelColor(keyPath);
  const OptionalColor t = to ? *to : modelColor(keyPath);
  const double p = progressOf(*a);
  if (p >= 1.0) return t;
  if (!f && !t) return std::nullopt;
  return asColor(f, t).mix(asColor(t, f), p);
}

Rect Layer::presentationFrame() const {
  const ActiveAnimation* a = activeFor("frame");
  if (!a) return frame_;
  const auto* from = std::get_if<Rect>(&a->animation.fromValue);
  const auto* to = std::get_if<Rect>(&a->animation.toValue);
  const Rect f = from ? *from : frame_;
  const Rect t = to ? *to : frame_;
  const double p = progressOf(*a);
  auto lerp = [p](double x, double y) { return x + (y - x) * p; };
  return {lerp(f.x(), t.x()), lerp(f.y(), t.y()), lerp(f.width(), t.width()), lerp(f.height(), t.height())};
}

double Layer::presentationOpacity() const {
  const ActiveAnimation* a = activeFor("opacity");
  if (!a) return opacity_;
  const auto* from = std::get_if<double>(&a->animation.fromValue);
  const auto* to = std::get_if<double>(&a->animation.toValue);
  const double f = from ? *from : opacity_;
  const double t = to ? *to : opacity_;
  return f + (t - f) * progressOf(*a);
}

// --- drawing ---

void Layer::render(Canvas& canvas) const {
  if (hidden_) return;
  const double opacity = presentationOpacity();
  if (opacity <= 0) return;
  canvas.saveGState();
  canvas.concat(toSuperlayer());
  const bool group = opacity < 1 || shadowOpacity_ > 0 || mask_;
  if (shadowOpacity_ > 0) {
    canvas.setShadow(shadowOffset_, shadowRadius_, shadowColor_.withAlpha(shadowColor_.alpha * shadowOpacity_));
  }
  if (group) {
    canvas.setAlpha(canvas.alpha() * opacity);
    canvas.beginTransparencyLayer();
  }
  renderSelf(canvas);
  if (mask_) {
    canvas.saveGState();
    canvas.setBlendMode(BlendMode::DestinationIn);
    canvas.beginTransparencyLayer();
    mask_->render(canvas);
    canvas.endTransparencyLayer();
    canvas.restoreGState();
  }
  if (group) canvas.endTransparencyLayer();
  canvas.restoreGState();
}

void Layer::renderSelf(Canvas& canvas) const {
  const Rect b{0, 0, presentationFrame().width(), presentationFrame().height()};
  canvas.saveGState();
  if (masksToBounds_) canvas.clipToPath(roundedRectPath(b, cornerRadius_));
  const OptionalColor bg = presentationColor("backgroundColor");
  if (bg && bg->alpha > 0) {
    canvas.setFillColor(*bg);
    canvas.fillPath(roundedRectPath(b, cornerRadius_));
  }
  if (!contents_.isNull()) canvas.drawImage(contents_, b);
  drawContent(canvas);
  for (const Layer* sub : sublayersInDrawingOrder()) sub->render(canvas);
  const OptionalColor border = presentationColor("borderColor");
  if (borderWidth_ > 0 && border && border->alpha > 0) {
    // The ring between the outline and the outline moved in by the width, filled: what a stroke along the
    // middle covers, at a fraction of the stroker's cost (a grid of bordered thumbnails draws many).
    const double w = std::min(borderWidth_, std::min(b.width(), b.height()) / 2);
    QPainterPath ring = roundedRectPath(b, cornerRadius_).qtPath();
    ring.addPath(roundedRectPath(b.insetBy(w, w), std::max(0.0, cornerRadius_ - w)).qtPath().toReversed());
    canvas.setFillColor(*border);
    canvas.fillPath(Path::fromQt(ring));
  }
  canvas.restoreGState();
}

void Layer::drawContent(Canvas&) const {}

// --- text layer ---

void TextLayer::setString(const QString& s) {
  string_ = s;
  setNeedsDisplay();
}

void TextLayer::setFont(const Font& f) {
  font_ = f;
  setNeedsDisplay();
}

void TextLayer::setFontSize(double size) {
  font_ = font_.withSize(size);
  setNeedsDisplay();
}

void TextLayer::setForegroundColor(const OptionalColor& c) {
  if (c == foregroundColor_) return;
  implicitlyAnimate("foregroundColor", presentationColor("foregroundColor"), c);
  foregroundColor_ = c;
  setNeedsDisplay();
}

void TextLayer::setWrapped(bool w) {
  wrapped_ = w;
  setNeedsDisplay();
}

void TextLayer::setAlignment(TextAlignment a) {
  alignment_ = a;
  setNeedsDisplay();
}

OptionalColor TextLayer::modelColor(const std::string& keyPath) const {
  if (keyPath == "foregroundColor") return foregroundColor_;
  return Layer::modelColor(keyPath);
}

void TextLayer::drawContent(Canvas& canvas) const {
  const OptionalColor c = presentationColor("foregroundColor");
  if (string_.isEmpty() || !c || c->alpha <= 0) return;
  canvas.drawString(string_, bounds(), font_, *c, alignment_, wrapped_);
}

// --- shape layer ---

void ShapeLayer::setPath(const Path& p) {
  path_ = p;
  setNeedsDisplay();
}

void ShapeLayer::setFillColor(const OptionalColor& c) {
  if (c == fillColor_) return;
  implicitlyAnimate("fillColor", presentationColor("fillColor"), c);
  fillColor_ = c;
  setNeedsDisplay();
}

void ShapeLayer::setStrokeColor(const OptionalColor& c) {
  if (c == strokeColor_) return;
  implicitlyAnimate("strokeColor", presentationColor("strokeColor"), c);
  strokeColor_ = c;
  setNeedsDisplay();
}

void ShapeLayer::setLineWidth(double w) {
  lineWidth_ = w;
  setNeedsDisplay();
}

void ShapeLayer::setLineCap(LineCap c) {
  lineCap_ = c;
  setNeedsDisplay();
}

void ShapeLayer::setLineJoin(LineJoin j) {
  lineJoin_ = j;
  setNeedsDisplay();
}

void ShapeLayer::setMiterLimit(double m) {
  miterLimit_ = m;
  setNeedsDisplay();
}

void ShapeLayer::setLineDashPattern(std::vector<double> pattern) {
  lineDashPattern_ = std::move(pattern);
  setNeedsDisplay();
}

void ShapeLayer::setLineDashPhase(double phase) {
  lineDashPhase_ = phase;
  setNeedsDisplay();
}

namespace {

// The dash pattern as the stroker wants it: in units of the line width, an even number of entries; empty when
// the pattern draws a solid line.
QList<qreal> strokerDashes(const std::vector<double>& pattern, double lineWidth) {
  double total = 0;
  for (double length : pattern) {
    if (length < 0 || !std::isfinite(length)) return {};
    total += length;
  }
  if (total <= 0) return {};
  QList<qreal> dashes;
  const int copies = pattern.size() % 2 ? 2 : 1;
  for (int i = 0; i < copies; ++i) {
    for (double length : pattern) dashes << length / lineWidth;
  }
  return dashes;
}

// The outline of a dashed stroke, to be filled with the stroke colour.
QPainterPath dashedOutline(const Path& path, double lineWidth, LineCap cap, LineJoin join, double miterLimit,
                           const QList<qreal>& dashes, double phase) {
  QPainterPathStroker stroker;
  stroker.setWidth(lineWidth);
  stroker.setCapStyle(cap == LineCap::Round ? Qt::RoundCap : cap == LineCap::Square ? Qt::SquareCap : Qt::FlatCap);
  stroker.setJoinStyle(join == LineJoin::Round   ? Qt::RoundJoin
                       : join == LineJoin::Bevel ? Qt::BevelJoin
                                                 : Qt::SvgMiterJoin);
  stroker.setMiterLimit(miterLimit);
  stroker.setDashPattern(dashes);
  stroker.setDashOffset(phase / lineWidth);
  // Filled with the non-zero rule: where dashes overlap at a join they must not cancel out.
  QPainterPath outline = stroker.createStroke(path.qtPath());
  outline.setFillRule(Qt::WindingFill);
  return outline;
}

}  // namespace

OptionalColor ShapeLayer::modelColor(const std::string& keyPath) const {
  if (keyPath == "fillColor") return fillColor_;
  if (keyPath == "strokeColor") return strokeColor_;
  return Layer::modelColor(keyPath);
}

void ShapeLayer::drawContent(Canvas& canvas) const {
  if (path_.isEmpty()) return;
  const OptionalColor fill = presentationColor("fillColor");
  if (fill && fill->alpha > 0) {
    canvas.setFillColor(*fill);
    canvas.fillPath(path_);
  }
  const OptionalColor stroke = presentationColor("strokeColor");
  if (stroke && stroke->alpha > 0 && lineWidth_ > 0) {
    const QList<qreal> dashes = strokerDashes(lineDashPattern_, lineWidth_);
    if (!dashes.isEmpty()) {
      canvas.saveGState();
      canvas.setFillColor(*stroke);
      canvas.fillPath(
          Path::fromQt(dashedOutline(path_, lineWidth_, lineCap_, lineJoin_, miterLimit_, dashes, lineDashPhase_)));
      canvas.restoreGState();
      return;
    }
    canvas.setStrokeColor(*stroke);
    canvas.setLineWidth(lineWidth_);
    canvas.setLineCap(lineCap_);
    canvas.setLineJoin(lineJoin_);
    canvas.setMiterLimit(miterLimit_);
    canvas.strokePath(path_);
  }
}

// --- host ---

LayerHostWidget::LayerHostWidget(QWidget* parent) : QWidget(parent), root_(Layer::make()) {
  root_->setHost(this);
  setAttribute(Qt::WA_TranslucentBackground);
}

LayerHostWidget::~LayerHostWidget() { root_->setHost(nullptr); }

void LayerHostWidget::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  DisableActions noAnimation;
  root_->setFrame({0, 0, double(width()), double(height())});
}

void LayerHostWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  Canvas canvas(painter, {double(width()), double(height())});
  root_->render(canvas);
}

}  // namespace platform
