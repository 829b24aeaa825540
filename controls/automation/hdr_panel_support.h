#pragma once
// What the device-run panels (HDR, timer) share in their views and threads: a notification handled on the main
// queue while the panel lives, the panel's icons and close buttons as the interface kit draws them, the progress
// view laid over the whole panel, and the little-endian fields of the device's progress reports.
#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/foundation/dispatch.h"
#include "platform/foundation/notification_center.h"
#include "platform/foundation/value.h"
#include "platform/graphics/geometry.h"
#include "platform/graphics/image.h"

class SYFlatButton;
namespace platform {
class ImageView;
}

namespace automation_panels {

// Runs `f` with the controller on the main queue if it still lives then; at once when called on the main thread.
template <class Controller>
void onMainQueue(Controller* controller, std::function<void(Controller&)> f) {
  if (platform::isMainThread()) {
    f(*controller);
    return;
  }
  QPointer<Controller> self(controller);
  platform::mainQueue().async([self, f = std::move(f)] {
    if (self) f(*self);
  });
}

// Observes `name` on behalf of the controller: the handler runs on the main queue, and only while the controller
// lives (notifications are posted from the engine's and the device-message threads).
template <class Controller>
void observeOnMainQueue(Controller* controller, const std::string& name,
                        std::function<void(Controller&, const platform::Notification&)> handler) {
  QPointer<Controller> self(controller);
  platform::NotificationCenter::defaultCenter().addObserver(
      controller,
      [self, handler = std::move(handler)](const platform::Notification& n) {
        platform::mainQueue().async([self, handler, n] {
          if (self) handler(*self, n);
        });
      },
      name);
}

// An icon of the interface kit at the view's size.
void setIcon(platform::ImageView* view, platform::Image (*make)(const platform::Size&));
// The close button's cross, 4 points smaller than the button each way.
void setCloseImage(SYFlatButton* button);

// The progress view laid over the whole panel (when it is not shown already), and taken away.
void showCovering(QWidget* feedbackView, QWidget* panel);
void hideCovering(QWidget* feedbackView);
bool isCovering(const QWidget* feedbackView);

// Fields of a report's payload; the caller has checked its length.
uint16_t readLe16(const platform::Data& data, size_t at);
float readLeFloat(const platform::Data& data, size_t at);

}  // namespace automation_panels
