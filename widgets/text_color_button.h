#pragma once
// A push button whose title is drawn in a colour of its own choosing.

#include <QPushButton>

#include "platform/graphics/color.h"

class TextColorButton : public QPushButton {
  Q_OBJECT

 public:
  explicit TextColorButton(QWidget* parent = nullptr);

  const platform::Color& textColor() const { return textColor_; }
  // Keeps the colour and draws the current title again in it.
  void setTextColor(const platform::Color& color);
  // Shows `title` in the text colour.
  void setTitle(const QString& title);
  QString title() const { return text(); }

 private:
  platform::Color textColor_ = platform::Color::blackColor();
};
