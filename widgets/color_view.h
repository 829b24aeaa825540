#pragma once
// A view that fills itself with one colour (the selection border of the thumbnail cells).

#include <QWidget>

#include "platform/graphics/color.h"

class ColorView : public QWidget {
  Q_OBJECT

 public:
  explicit ColorView(QWidget* parent = nullptr) : QWidget(parent) {}

  const platform::Color& backgroundColor() const { return mBackgroundColor; }
  // Keeps the colour and has the view drawn again.
  void setBackgroundColor(const platform::Color& color);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  platform::Color mBackgroundColor = platform::Color::clear();
};
