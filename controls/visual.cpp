#include "controls/visual.h"

#include "widgets/sy_flat_button.h"

namespace controls {

Visual visualOf(const icons::PropertyVisual& visual) {
  if (visual.isImage()) return visual.image;
  return visual.text;
}

void applyFace(SYFlatButton* button, const Visual& face) {
  if (!button) return;
  if (const auto* image = std::get_if<platform::Image>(&face)) {
    button->setTitle(QString());
    button->setImage(*image);
  } else {
    button->setImage(platform::Image());
    button->setTitle(std::get<QString>(face));
  }
}

}  // namespace controls
