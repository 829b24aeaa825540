#include "platform/graphics/canvas.h"

#include <QPainterPathStroker>
#include <cmath>

#include "platform/graphics/image.h"
#include "platform/graphics/shadow_blur.h"

namespace platform {

namespace {

thread_local Canvas* tCurrent = nullptr;

QPainter::CompositionMode qtMode(BlendMode m) {
  switch (m) {
    case BlendMode::Normal: return QPainter::CompositionMode_SourceOver;
    case BlendMode::Multiply: return QPainter::CompositionMode_Multiply;
    case BlendMode::Screen: return QPainter::CompositionMode_Screen;
    case BlendMode::Overlay: return QPainter::CompositionMode_Overlay;
    case BlendMode::Darken: return QPainter::CompositionMode_Darken;
    case BlendMode::Lighten: return QPainter::CompositionMode_Lighten;
    case BlendMode::SoftLight: return QPainter::CompositionMode_SoftLight;
    case BlendMode::HardLight: return QPainter::CompositionMode_HardLight;
    case BlendMode::Difference: return QPainter::CompositionMode_Difference;
    case BlendMode::Copy: return QPainter::CompositionMode_Source;
    case BlendMode::Clear: return QPainter::CompositionMode_Clear;
    case BlendMode::SourceIn: return QPainter::CompositionMode_SourceIn;
    case BlendMode::SourceOut: return QPainter::CompositionMode_SourceOut;
    case BlendMode::SourceAtop: return QPainter::CompositionMode_SourceAtop;
    case BlendMode::DestinationOver: return QPainter::CompositionMode_DestinationOver;
    case BlendMode::DestinationIn: return QPainter::CompositionMode_DestinationIn;
    case BlendMode::DestinationOut: return QPainter::CompositionMode_DestinationOut;
    case BlendMode::Plus: return QPainter::CompositionMode_Plus;
  }
  return QPainter::CompositionMode_SourceOver;
}

QRectF qrect(const Rect& r) { return {r.x(), r.y(), r.width(), r.height()}; }

constexpr QPainter::RenderHints kHints =
    QPainter::Antialiasing | QPainter::SmoothPixmapTransform | QPainter::TextAntialiasing;

}  // namespace

Canvas::Canvas(QPainter& painter, Size size) : size_(size) { init(painter); }

Canvas::Canvas(QImage& image) {
  const double ratio = image.devicePixelRatio() > 0 ? image.devicePixelRatio() : 1.0;
  size_ = {image.width() / ratio, image.height() / ratio};
  ownedPainter_ = std::make_unique<QPainter>(&image);
  init(*ownedPainter_);
}

void Canvas::init(QPainter& painter) {
  p_ = outerPainter_ = &painter;
  p_->save();
  p_->setRenderHints(kHints);
  area_ = p_->worldTransform().mapRect(QRectF(0, 0, size_.width, size_.height));
  // y-up: the user space's origin is the lower-left corner.
  QTransform flip(1, 0, 0, -1, 0, size_.height);
  p_->setWorldTransform(flip * p_->worldTransform());
  states_.emplace_back();
  previous_ = tCurrent;
  tCurrent = this;
}

Canvas::~Canvas() {
  while (!layers_.empty()) endTransparencyLayer();
  if (outerPainter_) outerPainter_->restore();
  ownedPainter_.reset();
  tCurrent = previous_;
}

Canvas* Canvas::current() { return tCurrent; }

double Canvas::deviceRatio() const {
  const QPaintDevice* d = p_->device();
  return d ? std::max(1.0, d->devicePixelRatioF()) : 1.0;
}

void Canvas::saveGState() {
  p_->save();
  GState copy = st();
  copy.layerStart = false;
  states_.push_back(copy);
}

void Canvas::restoreGState() {
  if (states_.size() <= 1) return;
  if (st().layerStart) return;  // a transparency layer must be ended first
  states_.pop_back();
  p_->restore();
}

void Canvas::translate(double dx, double dy) { p_->translate(dx, dy); }
void Canvas::scale(double sx, double sy) { p_->scale(sx, sy); }
void Canvas::rotate(double radians) { p_->rotate(radians * 180.0 / M_PI); }
void Canvas::concat(const QTransform& t) { p_->setWorldTransform(t * p_->worldTransform()); }

void Canvas::clipToRect(const Rect& r) {
  p_->setClipRect(qrect(r), p_->hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
}

void Canvas::clipToPath(const Path& path) {
  p_->setClipPath(path.qtPath(), p_->hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
}

Rect Canvas::clipBoundingBox() const {
  QRectF b = p_->worldTransform().inverted().mapRect(area_);
  if (p_->hasClipping()) b = b.intersected(p_->clipBoundingRect());
  return {b.x(), b.y(), b.width(), b.height()};
}

QPen Canvas::pen() const {
  QPen pen(st().stroke.toQColor(), st().lineWidth);
  switch (st().cap) {
    case LineCap::Butt: pen.setCapStyle(Qt::FlatCap); break;
    case LineCap::Round: pen.setCapStyle(Qt::RoundCap); break;
    case LineCap::Square: pen.setCapStyle(Qt::SquareCap); break;
  }
  switch (st().join) {
    case LineJoin::Miter: pen.setJoinStyle(Qt::SvgMiterJoin); break;  // bevels past the limit, as the model does
    case LineJoin::Round: pen.setJoinStyle(Qt::RoundJoin); break;
    case LineJoin::Bevel: pen.setJoinStyle(Qt::BevelJoin); break;
  }
  // The drawing model limits the miter's full length (inner corner to tip) in line widths and bevels a join past
  // it. Qt's plain miter join measures from the join point and cuts the miter off instead; its SVG miter join
  // measures as the model does and bevels.
  pen.setMiterLimit(st().miterLimit);
  return pen;
}

template <class F> void Canvas::drawElement(const QRectF& userBounds, F&& draw) {
  const GState& s = st();
  if (!s.hasShadow) {
    p_->save();
    p_->setOpacity(p_->opacity() * s.alpha);
    p_->setCompositionMode(qtMode(s.blend));
    draw(*p_);
    p_->restore();
    return;
  }
  // Offscreen: the element with room for its blur, limited to what can reach the canvas.
  const double margin = std::ceil(3 * s.shadow.blur / 2) + 2;
  const double reach = margin + std::max(std::abs(s.shadow.offset.width), std::abs(s.shadow.offset.height));
  QRectF area = p_->worldTransform().mapRect(userBounds).adjusted(-margin, -margin, margin, margin);
  area = area.intersected(area_.adjusted(-reach, -reach, reach, reach));
  area = QRectF(std::floor(area.x()), std::floor(area.y()), std::ceil(area.width()) + 1, std::ceil(area.height()) + 1);
  if (area.width() <= 0 || area.height() <= 0) return;
  const double ratio = deviceRatio();
  QImage layer(int(std::ceil(area.width() * ratio)), int(std::ceil(area.height() * ratio)),
               QImage::Format_ARGB32_Premultiplied);
  layer.setDevicePixelRatio(ratio);
  layer.fill(Qt::transparent);
  {
    QPainter lp(&layer);
    lp.setRenderHints(kHints);
    lp.setWorldTransform(p_->worldTransform() * QTransform::fromTranslate(-area.x(), -area.y()));
    draw(lp);
  }
  composite(layer, area, s);
}

void Canvas::composite(const QImage& image, const QRectF& area, const GState& s) {
  p_->save();
  p_->setWorldTransform(QTransform());
  p_->setOpacity(p_->opacity() * s.alpha);
  p_->setCompositionMode(qtMode(s.blend));
  if (s.hasShadow) {
    const QImage shadow = makeShadowImage(image, s.shadow.blur / 2 * deviceRatio(), s.shadow.color);
    p_->drawImage(area.topLeft() + QPointF(s.shadow.offset.width, -s.shadow.offset.height), shadow);
  }
  p_->drawImage(area.topLeft(), image);
  p_->restore();
}

void Canvas::fillRect(const Rect& r) {
  fillPath(Path::rect(r));
}

void Canvas::strokeRect(const Rect& r) { strokePath(Path::rect(r)); }
void Canvas::fillEllipse(const Rect& r) { fillPath(Path::ellipse(r)); }
void Canvas::strokeEllipse(const Rect& r) { strokePath(Path::ellipse(r)); }

void Canvas::fillPath(const Path& path) {
  const QBrush brush(st().fill.toQColor());
  drawElement(path.qtPath().boundingRect(), [&](QPainter& p) { p.fillPath(path.qtPath(), brush); });
}

void Canvas::strokePath(const Path& path) {
  const QPen qpen = pen();
  QPainterPathStroker stroker(qpen);
  const QRectF bounds = stroker.createStroke(path.qtPath()).boundingRect();
  drawElement(bounds, [&](QPainter& p) { p.strokePath(path.qtPath(), qpen); });
}

void Canvas::strokeLine(Point from, Point to) {
  Path p;
  p.moveTo(from);
  p.lineTo(to);
  strokePath(p);
}

void Canvas::drawLinearGradient(const Gradient& g, Point start, Point end, unsigned options) {
  const double dx = end.x - start.x, dy = end.y - start.y;
  const double len = std::hypot(dx, dy);
  if (len <= 0) return;
  QLinearGradient lg(start.x, start.y, end.x, end.y);
  g.applyTo(lg);
  lg.setSpread(QGradient::PadSpread);
  // The band the gradient covers: between the perpendiculars through start and end, extended where asked.
  const Rect clip = clipBoundingBox();
  const double big = std::hypot(clip.width(), clip.height()) + std::hypot(clip.midX() - start.x, clip.midY() - start.y) + len;
  const double ux = dx / len, uy = dy / len;
  const double nx = -uy, ny = ux;
  const double t0 = (options & kGradientDrawsBeforeStart) ? -big : 0;
  const double t1 = (options & kGradientDrawsAfterEnd) ? len + big : len;
  QPainterPath band;
  band.moveTo(start.x + ux * t0 + nx * big, start.y + uy * t0 + ny * big);
  band.lineTo(start.x + ux * t1 + nx * big, start.y + uy * t1 + ny * big);
  band.lineTo(start.x + ux * t1 - nx * big, start.y + uy * t1 - ny * big);
  band.lineTo(start.x + ux * t0 - nx * big, start.y + uy * t0 - ny * big);
  band.closeSubpath();
  band = band.intersected([&] { QPainterPath c; c.addRect(qrect(clip)); return c; }());
  drawElement(band.boundingRect(), [&](QPainter& p) { p.fillPath(band, QBrush(lg)); });
}

void Canvas::drawRadialGradient(const Gradient& g, Point startCenter, double startRadius, Point endCenter,
                                double endRadius, unsigned options) {
  QRadialGradient rg(QPointF(endCenter.x, endCenter.y), endRadius, QPointF(startCenter.x, startCenter.y),
                     startRadius);
  g.applyTo(rg);
  rg.setSpread(QGradient::PadSpread);
  const Rect clip = clipBoundingBox();
  QPainterPath region;
  if (options & kGradientDrawsAfterEnd) {
    region.addRect(qrect(clip));
  } else {
    region.addEllipse(QPointF(endCenter.x, endCenter.y), endRadius, endRadius);
  }
  if (!(options & kGradientDrawsBeforeStart) && startRadius > 0) {
    QPainterPath inner;
    inner.addEllipse(QPointF(startCenter.x, startCenter.y), startRadius, startRadius);
    region = region.subtracted(inner);
  }
  drawElement(region.boundingRect(), [&](QPainter& p) { p.fillPath(region, QBrush(rg)); });
}

void Canvas::drawImage(const QImage& image, const Rect& r, double opacity) {
  if (image.isNull() || r.isEmpty()) return;
  drawElement(qrect(r), [&](QPainter& p) {
    p.save();
    p.setOpacity(p.opacity() * opacity);
    // Upright: undo the y flip locally.
    p.translate(r.x(), r.maxY());
    p.scale(1, -1);
    p.drawImage(QRectF(0, 0, r.width(), r.height()), image);
    p.restore();
  });
}

void Canvas::drawImage(const Image& image, const Rect& r, double opacity) {
  if (image.isNull() || r.isEmpty()) return;
  if (!image.hasDrawingHandler()) {
    drawImage(image.bitmap(), r, opacity);
    return;
  }
  // Vector images draw through their handler, scaled into the rectangle.
  saveGState();
  if (opacity < 1.0) {
    setAlpha(alpha() * opacity);
    beginTransparencyLayer();
  }
  translate(r.x(), r.y());
  const Size s = image.size();
  if (s.width > 0 && s.height > 0) scale(r.width() / s.width, r.height() / s.height);
  image.runDrawingHandler(*this);
  if (opacity < 1.0) endTransparencyLayer();
  restoreGState();
}

void Canvas::drawString(const QString& text, Point point, const Font& font, const Color& color) {
  if (text.isEmpty()) return;
  const Size sz = font.sizeOfString(text);
  const QRectF bounds(point.x, point.y, sz.width, sz.height);
  drawElement(bounds, [&](QPainter& p) {
    p.save();
    p.translate(point.x, point.y + font.descent());
    p.scale(font.qfontScale(), -font.qfontScale());
    p.setFont(font.qfont());
    p.setPen(color.toQColor());
    p.drawText(QPointF(0, 0), text);
    p.restore();
  });
}

void Canvas::drawString(const QString& text, const Rect& r, const Font& font, const Color& color,
                        TextAlignment alignment, bool wraps) {
  if (text.isEmpty() || r.width() <= 0) return;
  int flags = Qt::AlignTop;
  flags |= alignment == TextAlignment::Center ? Qt::AlignHCenter
           : alignment == TextAlignment::Right ? Qt::AlignRight
                                               : Qt::AlignLeft;
  if (wraps) flags |= Qt::TextWordWrap;
  drawElement(qrect(r), [&](QPainter& p) {
    p.save();
    p.translate(r.x(), r.maxY());
    const double s = font.qfontScale();
    p.scale(s, -s);
    p.setFont(font.qfont());
    p.setPen(color.toQColor());
    p.drawText(QRectF(0, 0, r.width() / s, r.height() / s), flags, text);
    p.restore();
  });
}

void Canvas::beginTransparencyLayer() {
  saveGState();
  st().layerStart = true;
  QRectF area = area_;
  if (p_->hasClipping()) area = area.intersected(p_->worldTransform().mapRect(p_->clipBoundingRect()));
  const GState& s = st();
  if (s.hasShadow) {
    const double reach = std::ceil(3 * s.shadow.blur / 2) + 2 +
                         std::max(std::abs(s.shadow.offset.width), std::abs(s.shadow.offset.height));
    area = area_.adjusted(-reach, -reach, reach, reach);
  }
  area = QRectF(std::floor(area.x()), std::floor(area.y()), std::ceil(area.width()) + 1, std::ceil(area.height()) + 1);
  const double ratio = deviceRatio();
  LayerLevel level;
  level.image = std::make_unique<QImage>(std::max(1, int(std::ceil(area.width() * ratio))),
                                         std::max(1, int(std::ceil(area.height() * ratio))),
                                         QImage::Format_ARGB32_Premultiplied);
  level.image->setDevicePixelRatio(ratio);
  level.image->fill(Qt::transparent);
  level.painter = std::make_unique<QPainter>(level.image.get());
  level.painter->setRenderHints(kHints);
  level.painter->setWorldTransform(p_->worldTransform() * QTransform::fromTranslate(-area.x(), -area.y()));
  level.outer = p_;
  level.area = area;
  level.outerArea = area_;
  p_ = level.painter.get();
  area_ = area_.translated(-area.x(), -area.y());
  layers_.push_back(std::move(level));
  // Inside the layer drawing starts plain; the layer as a whole gets the alpha, blend and shadow.
  GState inner = st();
  inner.alpha = 1;
  inner.blend = BlendMode::Normal;
  inner.hasShadow = false;
  inner.layerStart = false;
  states_.push_back(inner);
  p_->save();
}

void Canvas::endTransparencyLayer() {
  if (layers_.empty()) return;
  // Unwind any states saved inside the layer.
  while (!states_.empty() && !states_.back().layerStart) {
    states_.pop_back();
    p_->restore();
  }
  LayerLevel level = std::move(layers_.back());
  layers_.pop_back();
  level.painter->end();
  p_ = level.outer;
  area_ = level.outerArea;
  GState s = st();
  composite(*level.image, level.area, s);
  states_.back().layerStart = false;
  restoreGState();
}

}  // namespace platform
