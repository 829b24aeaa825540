#include "controls/pickers/grid_layout.h"

#include <algorithm>
#include <cmath>

namespace controls {

GridMetrics gridMetrics(double width, double buttonWidth) {
  GridMetrics m;
  const double w = std::max(0.0, width);
  int columns = buttonWidth > 0 ? static_cast<int>(std::floor(w / buttonWidth)) : 1;
  columns = std::max(columns, 1);
  auto gapFor = [&](int c) { return (w - c * buttonWidth) / (c + 1); };
  double gap = gapFor(columns);
  while (gap < kGridMinimumGap && columns > 1) {
    --columns;
    gap = gapFor(columns);
  }
  m.columns = columns;
  m.gap = std::max(0.0, gap);
  m.rowGap = std::min(m.gap, kGridMaximumRowGap);
  return m;
}

GridLayout gridLayout(size_t count, double width, double buttonWidth, double currentHeight, double* viewHeight) {
  GridLayout g;
  g.metrics = gridMetrics(width, buttonWidth);
  const int c = g.metrics.columns;
  const double gap = g.metrics.gap, rowGap = g.metrics.rowGap;
  g.rows = static_cast<int>((count + c - 1) / c);
  const double needed = std::trunc((kGridButtonHeight + rowGap) * g.rows + rowGap);
  const double height = currentHeight < needed ? needed : currentHeight;
  g.height = needed;
  if (viewHeight) *viewHeight = height;
  g.frames.reserve(count);
  // Each row holds `columns` buttons, so that the rows counted for the height are the rows laid out.
  for (size_t i = 0; i < count; ++i) {
    const int row = static_cast<int>(i / c), column = static_cast<int>(i % c);
    const double x = gap + column * (buttonWidth + gap);
    const double y = height - kGridButtonHeight - rowGap - row * (kGridButtonHeight + rowGap);
    g.frames.push_back({x, y, buttonWidth, kGridButtonHeight});
  }
  return g;
}

}  // namespace controls
