// Window-shot states of the focus-stacking panel, in its popover: both end points set (Canon), the advanced
// section open (Nikon), the classic way (Sony), a run in progress, and each overlay (live view off, autofocus, an
// exposure mode that moves the aperture, the Canon configuration shot).
#include <chrono>
#include <functional>

#include "app/tools/shot_registry.h"
#include "controls/automation/focus_stack_view_controller.h"
#include "devicesim/fuji_camera.h"
#include "devicesim/nikon_camera.h"
#include "devicesim/sony_camera.h"
#include "guitest/user_actions.h"
#include "platform/foundation/user_defaults.h"
#include "platform/ui/window.h"
#include "session/camera_controller.h"
#include "session/camera_event_pump.h"
#include "widgets/sfb_popover.h"

namespace {

using window_shots::ShotContext;
using guitest::Harness;

bool liveViewOn() {
  CameraController::instance().toggleLiveView(true, nullptr);
  return Harness::waitUntil([] { return CameraController::instance().liveViewStatus() != 0; });
}

// Lets what the camera reported reach the panel and the fades end.
void letSettle() {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
  Harness::waitUntil([end] { return std::chrono::steady_clock::now() >= end; });
}

// The panel in the widget kit's popover over a window, as the capture control panel shows it.
FocusStackViewController* showPanel(ShotContext& shot) {
  startCameraEventDispatch();
  auto* window = shot.keep(std::make_unique<platform::Window>());
  window->setContentSize({500, 460});
  if (!guitest::showWindow(window)) return nullptr;
  auto* panel = shot.keep(std::make_unique<FocusStackViewController>());
  auto* popover = shot.keep(std::make_unique<SFBPopover>(panel));
  panel->setPopover(popover);
  popover->displayPopoverInWindow(window, {250, 430});
  if (!Harness::waitUntil([&] { return panel->appearance() == platform::ViewController::Appearance::Appeared; }))
    return nullptr;
  letSettle();
  return panel;
}

// A click on a control of the panel, once the progress overlay of the last one has gone.
bool press(FocusStackViewController* panel, const char* name) {
  if (!Harness::waitForOverlays() || !guitest::click(panel->view(), name)) return false;
  Harness::waitForOverlays();
  letSettle();
  return true;
}

// Start point here, one large nudge toward the far end, end point there.
bool setPoints(FocusStackViewController* panel) {
  return press(panel, "oSetStartButton") && press(panel, "oLargeFartherChangeButton") &&
         press(panel, "oSetEndButton");
}

void registerState(const char* name, const char* vendor, const char* description,
                   std::function<bool(ShotContext&, FocusStackViewController*&)> build) {
  window_shots::registerShot({name, vendor, description, [build](ShotContext& shot) -> QWidget* {
                                FocusStackViewController* panel = nullptr;
                                if (!build(shot, panel) || !panel) {
                                  shot.fail("the panel did not reach its state");
                                  return nullptr;
                                }
                                letSettle();
                                return panel->popover()->popoverWindow();
                              }});
}

[[maybe_unused]] const bool registered = [] {
  registerState("focus-stack-points-canon", "canon", "focus stacking with both end points set, Canon",
                [](ShotContext& shot, FocusStackViewController*& panel) {
                  CameraController::updateFocalLength(50);
                  return liveViewOn() && (panel = showPanel(shot)) && setPoints(panel);
                });
  registerState("focus-stack-advanced-nikon", "nikon", "focus stacking with its advanced section open, Nikon",
                [](ShotContext& shot, FocusStackViewController*& panel) {
                  shot.rig()->cameraAs<devicesim::NikonCamera>()->turnDial(0x500E, 3);
                  return liveViewOn() && (panel = showPanel(shot)) && setPoints(panel) &&
                         press(panel, "oShowAdvancedButton");
                });
  registerState("focus-stack-classic-sony", "sony", "classic focus stacking, Sony in manual focus",
                [](ShotContext& shot, FocusStackViewController*& panel) {
                  shot.rig()->cameraAs<devicesim::SonyCamera>()->setPropertyValue(0x500A, 1);
                  return liveViewOn() && (panel = showPanel(shot)) != nullptr;
                });
  registerState("focus-stack-running-canon", "canon", "a focus stack in progress: 3 of 9 pictures",
                [](ShotContext& shot, FocusStackViewController*& panel) {
                  CameraController::updateFocalLength(50);
                  if (!liveViewOn() || !(panel = showPanel(shot))) return false;
                  panel->displayFocusStackFeedback(9);
                  panel->updateFocusStackFeedback(3);
                  return true;
                });
  registerState("focus-stack-overlay-live-view-canon", "canon", "the overlay asking for live view",
                [](ShotContext& shot, FocusStackViewController*& panel) {
                  CameraController::updateFocalLength(50);
                  return (panel = showPanel(shot)) && panel->disabledView();
                });
  registerState("focus-stack-overlay-manual-focus-fuji", "fuji", "the overlay asking for manual focus, Fujifilm",
                [](ShotContext& shot, FocusStackViewController*& panel) {
                  return (panel = showPanel(shot)) && panel->disabledView();
                });
  registerState("focus-stack-overlay-exposure-nikon", "nikon", "the stack overlay of an exposure mode that moves the "
                "aperture, Nikon in program mode",
                [](ShotContext& shot, FocusStackViewController*& panel) {
                  shot.rig()->cameraAs<devicesim::NikonCamera>()->turnDial(0x500E, 2);
                  return liveViewOn() && (panel = showPanel(shot)) && panel->stackDisabledView();
                });
  registerState("focus-stack-configuration-shot-canon", "canon", "a Canon panel asking for its configuration shot",
                [](ShotContext& shot, FocusStackViewController*& panel) {
                  return liveViewOn() && (panel = showPanel(shot)) && panel->configurationShotView();
                });
  return true;
}();

}  // namespace
