#pragma once
// Autoresizing masks on plain views: when a view's parent changes size, the view's margins and size take up the
// change on the axes its mask makes flexible. On an axis with more than one flexible part the change is shared
// evenly among them; with none, the frame stays as it is, so in the y-up model the view keeps its distance to
// the left and to the bottom. Views laid out by a layout manager should not also have a mask.
#include <QWidget>

#include "platform/graphics/geometry.h"

namespace platform {

// Values as the view model spells them; y-up: the minimum-y margin is the one at the bottom.
enum AutoresizingMask : unsigned {
    ViewNotSizable = 0,
    ViewMinXMargin = 1,
    ViewWidthSizable = 2,
    ViewMaxXMargin = 4,
    ViewMinYMargin = 8,
    ViewHeightSizable = 16,
    ViewMaxYMargin = 32,
};

// The frame (y-up, in the parent's coordinates) after the parent went from `oldParent` to `newParent`.
Rect autoresizedFrame(const Rect& frame, unsigned mask, Size oldParent, Size newParent);

// Makes the view follow its parent's size changes by the mask from now on; with ViewNotSizable it keeps to the
// bottom left. Views never given a mask are left alone. Set it once the view has its parent. Main thread.
void setAutoresizingMask(QWidget* view, unsigned mask);
unsigned autoresizingMask(const QWidget* view);

}  // namespace platform
