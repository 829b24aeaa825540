#include "widgets/text_color_button.h"

TextColorButton::TextColorButton(QWidget* parent) : QPushButton(parent) {}

void TextColorButton::setTextColor(const platform::Color& color) {
  textColor_ = color;
  setTitle(title());
}

void TextColorButton::setTitle(const QString& title) {
  // The colour goes over the whole title, whatever the style would choose for it.
  QPalette pal = palette();
  const QColor c = textColor_.toQColor();
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
    pal.setColor(group, QPalette::ButtonText, c);
    pal.setColor(group, QPalette::WindowText, c);
  }
  setPalette(pal);
  setText(title);
}
