#pragma once
// A layer-backed view that fills its bounds with one colour: the selection border and backgrounds of the
// thumbnail cells, the dark veils over disabled panels. The colour is its layer's background, so the layer's
// corner radius rounds the fill, its border (width and colour) is drawn over it, and its opacity fades the whole
// view. A clear colour draws nothing.

#include <QColor>

#include "platform/graphics/color.h"
#include "platform/ui/view.h"

class ColorView : public platform::View {
  Q_OBJECT
  // For interface files: colours as QColor (an invalid colour is clear), lengths in points.
  Q_PROPERTY(QColor backgroundColor READ qBackgroundColor WRITE setQBackgroundColor)
  Q_PROPERTY(QColor borderColor READ qBorderColor WRITE setQBorderColor)
  Q_PROPERTY(qreal borderWidth READ borderWidth WRITE setBorderWidth)
  Q_PROPERTY(qreal cornerRadius READ cornerRadius WRITE setCornerRadius)

 public:
  explicit ColorView(QWidget* parent = nullptr);

  const platform::Color& backgroundColor() const { return mBackgroundColor; }
  // Keeps the colour and has the view drawn again.
  void setBackgroundColor(const platform::Color& color);

  // The layer's border and corner radius, as `layer().setBorderWidth(...)` and the others set them.
  double borderWidth() const;
  void setBorderWidth(double width);
  platform::Color borderColor() const;
  void setBorderColor(const platform::Color& color);
  double cornerRadius() const;
  void setCornerRadius(double radius);

 private:
  QColor qBackgroundColor() const { return mBackgroundColor.toQColor(); }
  void setQBackgroundColor(const QColor& c);
  QColor qBorderColor() const { return borderColor().toQColor(); }
  void setQBorderColor(const QColor& c);

  platform::Color mBackgroundColor = platform::Color::clear();
};
