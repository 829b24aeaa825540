#include "app/viewing/histogram_view.h"

#include <QPointer>
#include <algorithm>
#include <cmath>
#include <vector>

#include "app/viewing/still_image_decoder.h"
#include "platform/foundation/dispatch.h"
#include "platform/ui/animation.h"
#include "platform/ui/view_geometry.h"
#include "widgets/bezier_path_quartz_utilities.h"

using platform::Color;
using platform::Point;
using platform::Rect;

namespace {

// sRGB transfer functions, on values in 0 ... 1 (and beyond: counts are far larger than colour values).
double decodeSrgb(double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); }
double encodeSrgb(double l) { return l <= 0.0031308 ? 12.92 * l : 1.055 * std::pow(l, 1 / 2.4) - 0.055; }

}  // namespace

HistogramView::HistogramView(QWidget* parent) : platform::View(parent) { initializeLayers(); }

HistogramView::HistogramView(const Rect& frame, QWidget* parent) : platform::View(parent) {
  platform::setFrame(this, frame);
  initializeLayers();
}

HistogramView::~HistogramView() = default;

std::shared_ptr<platform::ShapeLayer> HistogramView::createLayerForColor(const Color& color) {
  auto layer = platform::ShapeLayer::make();
  layer->setStrokeColor(color);
  layer->setFillColor(color.withAlpha(0.5));
  layer->setLineJoin(platform::LineJoin::Round);
  auto baseline = platform::ShapeLayer::make();
  baseline->setStrokeColor(Color::grayColor());
  baseline->setFillColor(std::nullopt);
  baseline->setLineWidth(1);
  baseline->setLineJoin(platform::LineJoin::Round);
  layer->addSublayer(baseline);
  return layer;
}

void HistogramView::initializeLayers() {
  platform::DisableActions immediate;
  shows_ = false;
  mRedLayer = createLayerForColor(Color::redColor());
  mGreenLayer = createLayerForColor(Color::rgb(0, 1, 0));
  mBlueLayer = createLayerForColor(Color::rgb(0, 0, 1));
  mLuminanceLayer = createLayerForColor(Color::grayColor());
  const Rect bounds = platform::boundsOf(this);
  for (const auto& layer : {mRedLayer, mGreenLayer, mBlueLayer, mLuminanceLayer}) {
    layer->setFrame(bounds);
    layer->sublayers().front()->setFrame({0, 0, bounds.width(), bounds.height()});
    this->layer().addSublayer(layer);
  }
}

void HistogramView::clear() {
  ++generation_;  // counts still being made are not drawn
  for (const auto& layer : {mRedLayer, mGreenLayer, mBlueLayer, mLuminanceLayer})
    if (layer) layer->removeFromSuperlayer();
  initializeLayers();
}

void HistogramView::resizeEvent(QResizeEvent* event) {
  platform::View::resizeEvent(event);
  platform::DisableActions immediate;
  const Rect bounds = platform::boundsOf(this);
  for (const auto& layer : {mRedLayer, mGreenLayer, mBlueLayer, mLuminanceLayer}) {
    layer->setFrame(bounds);
    layer->sublayers().front()->setFrame(bounds);
  }
}

void HistogramView::setImageRef(const QImage& image, bool useRGB, bool opaque) {
  drawHistogramWithImageRef(image, useRGB, opaque);
}

void HistogramView::drawHistogramWithImageRef(const QImage& image, bool useRGB, bool opaque) {
  if (image.isNull()) return;
  const uint64_t generation = ++generation_;
  ++pending_;
  QPointer<HistogramView> self(this);
  platform::globalQueue().async([self, image, useRGB, opaque, generation] {
    stillAssertOffMainThread();
    auto counts = std::make_shared<platform::HistogramCounts>();
    // An opaque picture in a format with alpha is counted as the same bytes without alpha (`image` keeps them).
    const bool asOpaque = opaque && (image.format() == QImage::Format_ARGB32_Premultiplied ||
                                     image.format() == QImage::Format_ARGB32);
    const QImage counted32 =
        asOpaque ? QImage(image.constBits(), image.width(), image.height(), image.bytesPerLine(), QImage::Format_RGB32)
                 : image;
    const bool counted = platform::histogramCount(counted32, counts.get());
    const uint64_t pixels = uint64_t(image.width()) * uint64_t(image.height());
    platform::mainQueue().async([self, counts, counted, pixels, useRGB, generation] {
      if (!self) return;
      --self->pending_;
      // A failed count, or one overtaken by a later picture or a clear, leaves the view as it is.
      if (!counted || generation != self->generation_) return;
      self->drawHistogramWithCounts(*counts, pixels, useRGB);
    });
  });
}

HistogramView::Bins HistogramView::binHeights(const std::array<uint64_t, 256>& values, uint64_t pixelCount) {
  const uint64_t largest = *std::max_element(values.begin(), values.end());
  const uint64_t cap = largest > pixelCount / 30 ? pixelCount / 30 : largest;
  Bins bins;
  const float divisor = float(cap) / 255.0f;
  for (size_t i = 0; i < 256; ++i) {
    // No cap (fewer than 30 pixels, or nothing counted) draws every bin at full height; never 0 / 0.
    bins[i] = divisor > 0 ? uint8_t(std::min(float(values[i]) / divisor, 255.0f)) : 255;
  }
  return bins;
}

std::array<uint64_t, 256> HistogramView::luminanceValues(const platform::HistogramCounts& counts) {
  std::array<uint64_t, 256> values{};
  for (size_t i = 0; i < 256; ++i) {
    const double r = decodeSrgb(double(counts[platform::kHistogramRed][i]) / 255);
    const double g = decodeSrgb(double(counts[platform::kHistogramGreen][i]) / 255);
    const double b = decodeSrgb(double(counts[platform::kHistogramBlue][i]) / 255);
    const double luminance = 0.212655 * r + 0.715158 * g + 0.072187 * b;
    const double value = std::trunc(encodeSrgb(luminance) * 255 + 0.5);
    values[i] = value > 0 ? uint64_t(value) : 0;
  }
  return values;
}

void HistogramView::drawHistogramWithCounts(const platform::HistogramCounts& counts, uint64_t pixelCount,
                                            bool useRGB) {
  platform::DisableActions immediate;
  const double w = width(), h = height();
  mLuminanceLayer->setHidden(useRGB);
  for (const auto& layer : {mRedLayer, mGreenLayer, mBlueLayer}) layer->setHidden(!useRGB);
  if (useRGB) {
    const Rect frame(0, 0, w - 2, h - 2);
    drawChannelBins(binHeights(counts[platform::kHistogramRed], pixelCount), *mRedLayer, frame);
    drawChannelBins(binHeights(counts[platform::kHistogramGreen], pixelCount), *mGreenLayer, frame);
    drawChannelBins(binHeights(counts[platform::kHistogramBlue], pixelCount), *mBlueLayer, frame);
  } else {
    drawChannelBins(binHeights(luminanceValues(counts), pixelCount), *mLuminanceLayer, Rect(0, 0, w, h - 2));
  }
  ++drawn_;
  shows_ = true;
  update();
}

void HistogramView::drawChannelBins(const Bins& bins, platform::ShapeLayer& layer, const Rect& frame) {
  const double y0 = frame.y(), W = frame.width(), H = frame.height();
  std::vector<Point> points(256);
  for (size_t i = 0; i < 256; ++i) points[i] = {double(i) * W / 256, double(bins[i]) * H / 256 + y0};
  BezierPath path;
  path.moveToPoint({0, y0});
  path.interpolatePointsWithHermite(points, points.size(), 0.5);
  path.lineToPoint({W, y0});
  path.lineToPoint({0, y0});
  layer.setPath(path.quartzPath()->path());
  platform::Path baseline;
  baseline.moveTo({0, y0});
  baseline.lineTo({W, y0});
  if (!layer.sublayers().empty()) {
    if (auto* line = dynamic_cast<platform::ShapeLayer*>(layer.sublayers().front().get())) line->setPath(baseline);
  }
}
