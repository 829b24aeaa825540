#pragma once
// A composition grid: evenly spaced horizontal and vertical lines, one point wide, in one of four colours, over
// whatever lies beneath. n divisions draw n - 1 lines; fewer than 2 draw none in that direction. Main thread only.
#include <QString>
#include <optional>

#include "platform/graphics/color.h"
#include "platform/ui/view.h"

class GridView : public platform::View {
 public:
  explicit GridView(QWidget* parent = nullptr);

  void setHorizontalLines(int32_t horizontal, int32_t verticalLines);
  // 0 gray, 1 white, 2 black, 3 red; any other index gray.
  void setGridColor(int index);
  void setNeedsDisplay() { update(); }

  // The names of the presets and colours by index ("3x3", "6x4", "5x3", "Off"; "Gray", "White", "Black", "Red").
  static QString stringForGridLines(int index);
  static QString stringForColor(int index);
  static platform::Color colorForIndex(int index);

  int32_t horizontalLines() const { return mNumHorizontalLines; }
  int32_t verticalLines() const { return mNumVerticalLines; }
  // The line colour; gray until one is chosen.
  platform::Color gridColor() const { return mColorRef.value_or(colorForIndex(0)); }

 protected:
  void drawRect(platform::Canvas& canvas, const platform::Rect& bounds) override;
  bool drawsContent() const override { return mNumHorizontalLines >= 2 || mNumVerticalLines >= 2; }

 private:
  int32_t mNumHorizontalLines = 0;
  int32_t mNumVerticalLines = 0;
  std::optional<platform::Color> mColorRef;
};
