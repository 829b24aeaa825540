#include "platform/ui/frame_notifications.h"

#include <QEvent>
#include <QPointer>

#include "platform/foundation/notification_center.h"
#include "platform/ui/view_geometry.h"

namespace platform {

namespace {

constexpr const char* kWatcherName = "vxFrameWatcher";

// Watches the view's moves and resizes and its superview's resizes, and posts when the y-up frame changed.
class FrameWatcher : public QObject {
 public:
  explicit FrameWatcher(QWidget* view) : QObject(view), view_(view), frame_(frameOf(view)) {
    setObjectName(kWatcherName);
    view->installEventFilter(this);
    watchParent();
  }
  ~FrameWatcher() override {
    if (parent_) parent_->removeEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!view_) return false;
    const QEvent::Type type = event->type();
    if (watched == view_) {
      if (type == QEvent::ParentChange) {
        watchParent();
        check();
      } else if (type == QEvent::Move || type == QEvent::Resize) {
        check();
      }
    } else if (watched == parent_ && type == QEvent::Resize) {
      check();
    }
    return false;
  }

 private:
  void watchParent() {
    if (parent_) parent_->removeEventFilter(this);
    parent_ = view_->parentWidget();
    if (parent_) parent_->installEventFilter(this);
  }
  void check() {
    const Rect now = frameOf(view_);
    if (now == frame_) return;
    frame_ = now;
    NotificationCenter::defaultCenter().postNotificationName(ViewFrameDidChangeNotification,
                                                             Value::reference(static_cast<const QWidget*>(view_)));
  }

  QWidget* view_;
  QPointer<QWidget> parent_;
  Rect frame_;
};

FrameWatcher* watcherOf(const QWidget* view) {
  return view ? view->findChild<FrameWatcher*>(kWatcherName, Qt::FindDirectChildrenOnly) : nullptr;
}

}  // namespace

void setPostsFrameChangedNotifications(QWidget* view, bool posts) {
  if (!view) return;
  FrameWatcher* watcher = watcherOf(view);
  if (posts && !watcher) new FrameWatcher(view);
  if (!posts) delete watcher;
}

bool postsFrameChangedNotifications(const QWidget* view) { return watcherOf(view) != nullptr; }

}  // namespace platform
