#include "controls/automation/hdr_panel_support.h"

#include <cstring>

#include "icons/properties/vorlaxent_style_kit.h"
#include "platform/ui/image_view.h"
#include "platform/ui/view_geometry.h"
#include "widgets/sy_flat_button.h"

namespace automation_panels {

void setIcon(platform::ImageView* view, platform::Image (*make)(const platform::Size&)) {
  if (view) view->setImage(make(platform::boundsOf(view).size));
}

void setCloseImage(SYFlatButton* button) {
  if (!button) return;
  const platform::Size bounds = platform::boundsOf(button).size;
  button->setImage(VorlaxentStyleKit::imageOfXMarkWithSize(platform::Size{bounds.width - 4, bounds.height - 4}));
}

void showCovering(QWidget* feedbackView, QWidget* panel) {
  if (!feedbackView || !panel || !feedbackView->isHidden()) return;
  feedbackView->setGeometry(panel->rect());
  feedbackView->show();
  feedbackView->raise();
}

void hideCovering(QWidget* feedbackView) {
  if (feedbackView) feedbackView->hide();
}

bool isCovering(const QWidget* feedbackView) { return feedbackView && !feedbackView->isHidden(); }

uint16_t readLe16(const platform::Data& data, size_t at) {
  return static_cast<uint16_t>(data[at] | (data[at + 1] << 8));
}

float readLeFloat(const platform::Data& data, size_t at) {
  const uint32_t bits =
      uint32_t(data[at]) | uint32_t(data[at + 1]) << 8 | uint32_t(data[at + 2]) << 16 | uint32_t(data[at + 3]) << 24;
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

}  // namespace automation_panels
