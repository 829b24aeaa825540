#pragma once
// Views that post their frame changes through the notification centre, for observers that follow a view's place
// or size (a popover kept at a button, a browser that loads what came into sight):
//
//   platform::setPostsFrameChangedNotifications(oHistogramButton, true);
//   platform::NotificationCenter::defaultCenter().addObserver(
//       this, [this](const platform::Notification&) { histogramButtonFrameChanged(); },
//       platform::ViewFrameDidChangeNotification, oHistogramButton);     // only this view's changes
//
// Posted on the main thread once per change of the view's y-up frame in its superview: a move, a resize, or a
// change of the superview's height that moves the view in y-up coordinates. The object is the view, as a
// reference to the QWidget (Value::reference), so observers filter by the view's address. A hidden view posts
// when Qt hands it the change, at the latest when it is shown. Main thread only.
#include <QWidget>

namespace platform {

inline constexpr const char* ViewFrameDidChangeNotification = "NSViewFrameDidChangeNotification";

void setPostsFrameChangedNotifications(QWidget* view, bool posts);
bool postsFrameChangedNotifications(const QWidget* view);

}  // namespace platform
