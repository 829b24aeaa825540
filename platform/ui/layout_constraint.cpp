#include "platform/ui/layout_constraint.h"

#include <QLayout>
#include <algorithm>
#include <cmath>

namespace platform {

LayoutConstraint::LayoutConstraint(QWidget* item, LayoutAttribute attribute, double constant)
    : QObject(item), item_(item), attribute_(attribute), constant_(std::max(0.0, constant)) {
  apply();
}

void LayoutConstraint::setConstant(double constant) {
  constant_ = std::max(0.0, constant);
  apply();
}

void LayoutConstraint::apply() {
  if (!item_) return;
  const int size = int(std::lround(constant_));
  if (attribute_ == LayoutAttribute::Width) item_->setFixedWidth(size);
  else item_->setFixedHeight(size);
  // Laid out now rather than at the next turn of the event loop: what is painted next has the new size.
  for (QWidget* w = item_->parentWidget(); w; w = w->parentWidget()) {
    if (QLayout* layout = w->layout()) {
      layout->invalidate();
      layout->activate();
    }
    if (w->isWindow()) break;
  }
}

}  // namespace platform
