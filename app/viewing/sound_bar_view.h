#pragma once
// One audio level meter over the live picture: a row of bins, lit from the first up to the current level, plus
// the peak's bin; lit bins are green in the first six tenths of the row, yellow to eight tenths, red beyond;
// unlit bins dark grey. Main thread only.
#include <cstdint>

#include "platform/ui/view.h"

class SoundBarView : public platform::View {
 public:
  // initWithFrame: the bin count and the current bin start at 0.
  explicit SoundBarView(const platform::Rect& frame, QWidget* parent = nullptr);

  void setNumberOfBins(uint64_t bins);
  void setMaxBin(uint64_t bin);
  void setCurrentBin(uint64_t bin);
  void setNeedsDisplay();

  uint64_t numberOfBins() const { return mNumBins; }
  uint64_t currentBin() const { return mCurrentBin; }
  uint64_t maxBin() const { return mMaxBin; }

 protected:
  void drawRect(platform::Canvas& canvas, const platform::Rect& bounds) override;
  bool drawsContent() const override { return mNumBins > 0; }

 private:
  uint64_t mNumBins = 0;
  uint64_t mCurrentBin = 0;
  uint64_t mMaxBin = 0;
};
