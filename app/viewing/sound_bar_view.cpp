#include "app/viewing/sound_bar_view.h"

#include "platform/ui/view_geometry.h"

using platform::Color;
using platform::Rect;

SoundBarView::SoundBarView(const Rect& frame, QWidget* parent) : View(parent) { platform::setFrame(this, frame); }

void SoundBarView::setNumberOfBins(uint64_t bins) {
  mNumBins = bins;
  setNeedsDisplay();
}

void SoundBarView::setMaxBin(uint64_t bin) {
  mMaxBin = bin;
  setNeedsDisplay();
}

void SoundBarView::setCurrentBin(uint64_t bin) {
  mCurrentBin = bin;
  setNeedsDisplay();
}

void SoundBarView::setNeedsDisplay() { update(); }

void SoundBarView::drawRect(platform::Canvas& canvas, const Rect& bounds) {
  const uint64_t n = mNumBins;
  if (n == 0) return;
  const double b = bounds.width() / double(n);
  for (uint64_t i = 0; i < n; ++i) {
    const bool lit = i <= mCurrentBin || i == mMaxBin;
    Color colour = Color::white(1.0 / 3.0);  // dark grey
    if (lit) {
      if (double(i) < 0.6 * double(n))
        colour = Color::rgb(0, 1, 0);
      else if (double(i) < 0.8 * double(n))
        colour = Color::rgb(1, 1, 0);
      else
        colour = Color::rgb(1, 0, 0);
    }
    canvas.setFillColor(colour);
    canvas.fillRect(Rect(double(i) * b, 0, 0.8 * b, bounds.height()));
  }
}
