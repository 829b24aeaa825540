#pragma once
// The brightness distribution of the picture on screen as filled curves on shape layers: red, green and blue over
// one another, or one gray luminance curve. Nothing is drawn in the view's own drawing pass; each picture only
// replaces the paths of the curve layers.
//
// Counting a photo's pixels is the slow part: setImageRef counts on a background queue and draws the curves on the
// main thread when the counts arrive (a picture handed over later, or clear, drops the counts of an earlier one).
// Main thread only.
#include <QImage>
#include <array>
#include <cstdint>
#include <memory>

#include "platform/graphics/color.h"
#include "platform/graphics/geometry.h"
#include "platform/imaging/histogram.h"
#include "platform/ui/layer.h"
#include "platform/ui/view.h"

class HistogramView : public platform::View {
 public:
  // Heights of the 256 levels of one curve, 0 to 255.
  using Bins = std::array<uint8_t, 256>;

  // initWithFrame: / initWithCoder: (an interface file's view), followed by initializeLayers.
  explicit HistogramView(QWidget* parent = nullptr);
  HistogramView(const platform::Rect& frame, QWidget* parent);
  ~HistogramView() override;

  // Makes the four curve layers (red, green, blue, then luminance on top) under the view's layer.
  void initializeLayers();
  // Takes the curve layers away and makes new empty ones: the view shows nothing until the next picture.
  void clear();

  // The histogram of a picture: the colour curves (useRGB) or the luminance curve. A null picture does nothing.
  // `opaque` says the picture's alpha bytes are all 0xFF (a decoded photo): they are then not counted.
  void setImageRef(const QImage& image, bool useRGB, bool opaque = false);
  void drawHistogramWithImageRef(const QImage& image, bool useRGB, bool opaque = false);
  // Draws from counts already made (per channel, red, green, blue, alpha) of a picture of `pixelCount` pixels.
  void drawHistogramWithCounts(const platform::HistogramCounts& counts, uint64_t pixelCount, bool useRGB);
  // Sets a curve layer's path through the bins within `frame` and its baseline.
  void drawChannelBins(const Bins& bins, platform::ShapeLayer& layer, const platform::Rect& frame);

  // A curve layer in `color` (the fill half transparent) with its gray baseline as its one sublayer.
  static std::shared_ptr<platform::ShapeLayer> createLayerForColor(const platform::Color& color);

  // --- the arithmetic of one drawing ---
  // Bin heights of 256 values: each scaled against the largest, which is capped at a thirtieth of the pixel count,
  // so that one level holding many pixels is clipped at the top instead of flattening the rest. A cap of 0 (fewer
  // than 30 pixels) draws every bin at full height.
  static Bins binHeights(const std::array<uint64_t, 256>& values, uint64_t pixelCount);
  // The three counts of each level combined as if they were sRGB colour values into one luminance value.
  static std::array<uint64_t, 256> luminanceValues(const platform::HistogramCounts& counts);

  std::shared_ptr<platform::ShapeLayer> redLayer() const { return mRedLayer; }
  std::shared_ptr<platform::ShapeLayer> greenLayer() const { return mGreenLayer; }
  std::shared_ptr<platform::ShapeLayer> blueLayer() const { return mBlueLayer; }
  std::shared_ptr<platform::ShapeLayer> luminanceLayer() const { return mLuminanceLayer; }
  // Pictures handed over whose counts are still being made; histograms drawn so far (for waits).
  bool isCounting() const { return pending_ > 0; }
  // Whether curves are on show (a histogram drawn since the layers were made).
  bool showsHistogram() const { return shows_; }
  uint64_t histogramsDrawn() const { return drawn_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  std::shared_ptr<platform::ShapeLayer> mRedLayer, mGreenLayer, mBlueLayer, mLuminanceLayer;
  uint64_t generation_ = 0;
  int pending_ = 0;
  uint64_t drawn_ = 0;
  bool shows_ = false;
};
