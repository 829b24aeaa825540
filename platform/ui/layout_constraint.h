#pragma once
// A size in a Qt layout that code changes later: the fixed width or height of a widget that its superview's
// layout places. The camera window collapses a panel this way, before the window's first paint when it starts
// hidden:
//
//   auto* showControls = new platform::LayoutConstraint(oControlsParentView, platform::LayoutAttribute::Width,
//                                                       controlsWidth);      // lives as long as the widget
//   showControls->setConstant(visible ? controlsWidth : 0);
//
// Setting the constant lays the superview out at once, so that the next paint (the first, too) shows the new
// size. A constant of 0 leaves the widget in its layout with no room: it takes no space and gets no paint.
// Main thread only.
#include <QObject>
#include <QPointer>
#include <QWidget>

namespace platform {

enum class LayoutAttribute { Width, Height };

class LayoutConstraint : public QObject {
 public:
  // Applies `constant` (points, at least 0) to `item` at once; the constraint is the item's child.
  LayoutConstraint(QWidget* item, LayoutAttribute attribute, double constant);

  double constant() const { return constant_; }
  void setConstant(double constant);
  QWidget* item() const { return item_; }
  LayoutAttribute attribute() const { return attribute_; }

 private:
  void apply();

  QPointer<QWidget> item_;
  LayoutAttribute attribute_;
  double constant_ = 0;
};

}  // namespace platform
