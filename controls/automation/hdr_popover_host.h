#pragma once
// For the automation panels' window tests and window shots (header only): a plain window standing in for the
// camera window, and the panel shown in a widget-kit popover in it, styled and placed as the capture panel shows
// its automation panels (a new popover each time the panel opens; the panel keeps its controller and view).
#include <QApplication>
#include <QPointer>
#include <chrono>
#include <functional>
#include <memory>
#include <utility>

#include "guitest/harness.h"
#include "guitest/user_actions.h"
#include "platform/graphics/color.h"
#include "platform/ui/view_controller.h"
#include "platform/ui/window.h"
#include "session/notification_names.h"
#include "session/session_harness.h"
#include "widgets/mb_progress_hud.h"
#include "widgets/sfb_popover.h"

namespace automation_testing {

class PanelHost {
 public:
  PanelHost() {
    window_.setFrame({80, 80, 760, 600});
    window_.contentView()->setObjectName("oCameraWindowContent");
  }
  ~PanelHost() {
    if (popover_) popover_->closePopover();
    delete popover_.data();
  }
  PanelHost(const PanelHost&) = delete;
  PanelHost& operator=(const PanelHost&) = delete;

  platform::Window& window() { return window_; }
  SFBPopover* popover() const { return popover_.data(); }

  // Shows the window and opens `controller` in a new popover below the window's top left; `handOver` gets the
  // popover (the panel's setPopover). True once the panel has appeared.
  bool open(platform::ViewController* controller, const std::function<void(SFBPopover*)>& handOver) {
    if (!window_.isVisible() && !guitest::showWindow(&window_)) return false;
    if (popover_) {
      popover_->closePopover();
      guitest::Harness::waitUntil([&] { return !popover_->isVisible(); });
      popover_->deleteLater();
    }
    auto* popover = new SFBPopover(controller);
    popover_ = popover;
    if (handOver) handOver(popover);
    popover->setBorderColor(platform::Color::clear());
    popover->setBorderWidth(0);
    popover->setDistance(12);
    popover->setBackgroundColor(platform::Color::rgb(0, 0, 0, 0.2));
    popover->setAnimates(true);
    popover->setPosition(SFBPopoverPositionBottomRight);
    popover->displayPopoverInWindow(&window_, platform::Point{40, window_.frame().height() - 30});
    return guitest::Harness::waitUntil(
        [controller] { return controller->appearance() == platform::ViewController::Appearance::Appeared; });
  }

  // Lets fades and the buttons' colour animations end (a quarter second at most, far less at the harness's time
  // scale), so that a picture shows the colours at rest.
  static void letAnimationsEnd() {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(150);
    guitest::Harness::waitUntil([end] { return std::chrono::steady_clock::now() >= end; });
  }

  // For window shots: a new host and `panel` (both kept until the picture is taken), the panel opened in it.
  template <class Panel, class Context>
  static std::pair<PanelHost*, Panel*> openForShot(Context& shot) {
    auto* host = shot.keep(std::make_unique<PanelHost>());
    auto* panel = shot.keep(std::make_unique<Panel>());
    if (!host->open(panel, [panel](SFBPopover* popover) { panel->setPopover(popover); }))
      shot.fail("the panel did not appear");
    letAnimationsEnd();
    return {host, panel};
  }
  // The window a shot shows: the popover's.
  QWidget* popoverWindow() const { return popover_ ? popover_->popoverWindow() : nullptr; }

  // The popover closes (as the panel's close button does); true once the panel has gone.
  static bool waitUntilGone(platform::ViewController* controller) {
    return guitest::Harness::waitUntil(
        [controller] { return controller->appearance() == platform::ViewController::Appearance::Disappeared; });
  }

  // The progress overlay of the command runner that shows now, or null; with its window.
  static MBProgressHUD* visibleOverlay() {
    for (QWidget* top : QApplication::topLevelWidgets())
      for (MBProgressHUD* hud : top->findChildren<MBProgressHUD*>())
        if (hud->isVisible()) return hud;
    return nullptr;
  }

 private:
  platform::Window window_;
  QPointer<SFBPopover> popover_;
};

// The device's reports of a sequence's end, counted from when the watcher is made. A panel's progress view may go
// before the end arrives (the final report, the timer's countdown) and a report still on its way may bring it
// back, so a test that goes on after a run waits for the end itself and for the panel to have handled it.
class EndWatcher {
 public:
  // True once `n` ends have been reported, every handler queued for them has run, and then `settled` holds.
  bool waitForEnds(size_t n, const std::function<bool()>& settled) {
    if (!guitest::Harness::waitForPosts(log_, kAutomateRemoveFeedbackNotification, n)) return false;
    guitest::Harness::settle();
    return guitest::Harness::waitUntil(settled);
  }

 private:
  session_testing::NotificationLog log_{{kAutomateRemoveFeedbackNotification}};
};

}  // namespace automation_testing
