#pragma once
// The ticks and numbers of the exposure scale: a window of six stops centred on the camera's exposure
// compensation, one cell per step of the camera's scale (three per stop for third stops), a number at each whole
// stop (a tall stroke at zero), a dot between, and the signs of the two ends. The scale (ExposureCompView) owns
// it and hands it its values; it draws nothing while it has no spacing. Main thread only.
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/graphics/color.h"
#include "platform/ui/view.h"

class ExposureCompImageView : public platform::View {
 public:
  explicit ExposureCompImageView(QWidget* parent = nullptr);

  // Makes the view see-through (what the scale asks of it once it is in place).
  void initialize();

  float centerExposure() const { return mCenterExposure; }
  // Stores the centre, snapped so that a value the scale cannot show between two marks lands on one: a value a
  // sixth of a stop off a whole stop is drawn at that stop, a half stop at the next third.
  void setCenterExposure(float stops);
  int32_t spacing() const { return mSpacing; }
  void setSpacing(int32_t marksPerStop);
  bool isScaleEnabled() const { return mIsEnabled; }
  void setScaleEnabled(bool enabled);
  // Kept for the owner; nothing drawn depends on them.
  void setMinExposureComp(float v) { mMinExposureComp = v; }
  void setMaxExposureComp(float v) { mMaxExposureComp = v; }
  void setMaxLeftStop(float v) { mMaxLeftStop = v; }
  void setMaxRightStop(float v) { mMaxRightStop = v; }

  // One cell of the scale: its index and left edge, and what it shows (a whole stop's number, or a dot).
  struct Cell {
    int index = 0;
    double x = 0;                 // left edge of the cell, y-up points
    std::optional<int> number;    // a whole stop (0 shows as the tall stroke), none for a dot
  };
  // The cells a scale of `width` points shows around `center` with `spacing` marks per stop, and each cell's
  // width; none without spacing.
  static std::vector<Cell> cells(float center, int32_t spacing, double width, double* cellWidth = nullptr);
  // The marks' colour: white, grey while disabled.
  static platform::Color markColor(bool enabled);

 protected:
  void drawRect(platform::Canvas& canvas, const platform::Rect& bounds) override;
  bool drawsContent() const override { return mSpacing != 0; }

 private:
  float mCenterExposure = 0;
  int32_t mSpacing = 0;
  bool mIsEnabled = true;
  float mMinExposureComp = 0, mMaxExposureComp = 0, mMaxLeftStop = 0, mMaxRightStop = 0;
};
