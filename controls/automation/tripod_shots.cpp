// Window-shot states of the tripod-head panel: in its popover with a full battery, with the pad's up-right arrow
// lit while the head moves, and as the tripod window hosts it (no close button, a low battery).
#include <chrono>

#include "app/tools/shot_registry.h"
#include "controls/automation/tripod_view_controller.h"
#include "guitest/user_actions.h"
#include "platform/ui/window.h"
#include "widgets/sfb_popover.h"

namespace {

using guitest::Harness;
using window_shots::ShotContext;

void letSettle() {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
  Harness::waitUntil([end] { return std::chrono::steady_clock::now() >= end; });
}

QY_TripodViewController* showInPopover(ShotContext& shot) {
  auto* window = shot.keep(std::make_unique<platform::Window>());
  window->setContentSize({420, 420});
  if (!guitest::showWindow(window)) return nullptr;
  auto* panel = shot.keep(std::make_unique<QY_TripodViewController>());
  auto* popover = shot.keep(std::make_unique<SFBPopover>(panel));
  panel->setPopover(popover);
  popover->displayPopoverInWindow(window, {210, 380});
  if (!Harness::waitUntil([&] { return !panel->batteryImage().empty(); })) return nullptr;
  letSettle();
  return panel;
}

[[maybe_unused]] const bool registered = [] {
  window_shots::registerShot({"tripod-head", "canon", "the tripod-head panel in its popover, battery full",
                              [](ShotContext& shot) -> QWidget* {
                                shot.rig()->tripod().setBatteryLevel(5100);
                                QY_TripodViewController* panel = showInPopover(shot);
                                if (!panel) shot.fail("the panel did not read the battery");
                                return panel ? panel->popover()->popoverWindow() : nullptr;
                              }});
  window_shots::registerShot(
      {"tripod-head-arrow-lit", "canon", "the tripod-head panel while the head moves up and to the right",
       [](ShotContext& shot) -> QWidget* {
         shot.rig()->tripod().setBatteryLevel(4700);
         QY_TripodViewController* panel = showInPopover(shot);
         if (!panel) {
           shot.fail("the panel did not read the battery");
           return nullptr;
         }
         // A press on the pad's upper right, held.
         QWidget* pad = panel->oTripodMoveView;
         const QPoint upRight(pad->width() / 2 + 50, pad->height() / 2 - 50);
         if (!guitest::press(pad, upRight) || !Harness::waitUntil([&] { return panel->currentDirection() == 9; })) {
           shot.fail("the head did not move");
           return nullptr;
         }
         return panel->popover()->popoverWindow();
       }});
  window_shots::registerShot({"tripod-head-window", "canon", "the panel as the tripod window hosts it, battery low",
                              [](ShotContext& shot) -> QWidget* {
                                shot.rig()->tripod().setBatteryLevel(4400);
                                auto* panel = shot.keep(std::make_unique<QY_TripodViewController>());
                                panel->hideCloseButton();
                                auto* window = shot.keep(std::make_unique<platform::Window>());
                                window->setContentView(panel->view());
                                window->setContentSize({260, 300});
                                if (!guitest::showWindow(window) ||
                                    !Harness::waitUntil([&] { return !panel->batteryImage().empty(); })) {
                                  shot.fail("the panel did not read the battery");
                                  return nullptr;
                                }
                                letSettle();
                                return window;
                              }});
  return true;
}();

}  // namespace
