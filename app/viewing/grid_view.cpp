#include "app/viewing/grid_view.h"

#include "platform/graphics/canvas.h"

using platform::Color;

GridView::GridView(QWidget* parent) : platform::View(parent) {}

void GridView::setHorizontalLines(int32_t horizontal, int32_t verticalLines) {
  mNumHorizontalLines = horizontal;
  mNumVerticalLines = verticalLines;
  setNeedsDisplay();
}

Color GridView::colorForIndex(int index) {
  switch (index) {
    case 1: return Color::whiteColor();
    case 2: return Color::blackColor();
    case 3: return Color::redColor();
    default: return Color::grayColor();
  }
}

void GridView::setGridColor(int index) {
  mColorRef = colorForIndex(index);
  setNeedsDisplay();
}

QString GridView::stringForGridLines(int index) {
  switch (index) {
    case 0: return QStringLiteral("3x3");
    case 1: return QStringLiteral("6x4");
    case 2: return QStringLiteral("5x3");
    default: return QStringLiteral("Off");
  }
}

QString GridView::stringForColor(int index) {
  switch (index) {
    case 1: return QStringLiteral("White");
    case 2: return QStringLiteral("Black");
    case 3: return QStringLiteral("Red");
    default: return QStringLiteral("Gray");
  }
}

void GridView::drawRect(platform::Canvas& canvas, const platform::Rect& bounds) {
  const double w = bounds.width(), h = bounds.height();
  canvas.setLineWidth(1);
  canvas.setStrokeColor(gridColor());
  if (mNumHorizontalLines >= 2) {
    const float spacing = float(h / mNumHorizontalLines);
    for (int32_t i = 1; i < mNumHorizontalLines; ++i) canvas.strokeLine({0, double(i * spacing)}, {w, double(i * spacing)});
  }
  if (mNumVerticalLines >= 2) {
    const float spacing = float(w / mNumVerticalLines);
    for (int32_t i = 1; i < mNumVerticalLines; ++i) canvas.strokeLine({double(i * spacing), 0}, {double(i * spacing), h});
  }
}
