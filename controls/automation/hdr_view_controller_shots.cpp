// Window-shot states of the HDR panel, shown in the widget-kit popover as the capture panel shows it: set up for a
// five-shot bracket, in the camera's bulb setting, covered by the overlay that asks for manual exposure, while a
// bracket runs, and with its shots picker open.
#include "app/tools/shot_registry.h"
#include "controls/automation/hdr_popover_host.h"
#include "controls/automation/hdr_view_controller.h"
#include "controls/property_button_host.h"
#include "devicesim/canon_camera.h"
#include "engine/automation/automation_checks.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/session_open.h"
#include "guitest/user_actions.h"
#include "platform/foundation/user_defaults.h"

namespace {

using window_shots::ShotContext;

// A bracket of five shots of the shutter speed, two list steps apart, around the camera's current value.
void saveFiveShotBracket() {
  PropertyCopy shutter = propCopyValues(camVendorPropertyCodes().shutterSpeed);
  platform::UserDefaults::standardUserDefaults().setDictionary(
      {{"PropertyCode", platform::Value(int64_t{camVendorPropertyCodes().shutterSpeed})},
       {"StepSize", platform::Value(int64_t{2})},
       {"NumberShots", platform::Value(int64_t{5})},
       {"PropertyValue", platform::Value(int64_t{shutter ? shutter->value : 0})}},
      "HdrValues");
}

struct Opened {
  automation_testing::PanelHost* host = nullptr;
  HdrViewController* panel = nullptr;
};

Opened open(ShotContext& shot) {
  controls_testing::openSessionForSettings();
  shot.harness().waitUntil(controls_testing::settingsTaken);
  auto [host, panel] = automation_testing::PanelHost::openForShot<HdrViewController>(shot);
  return {host, panel};
}

QWidget* windowOf(const Opened& o) { return o.host->popoverWindow(); }

[[maybe_unused]] const bool registered = [] {
  window_shots::registerShot({"hdr-panel-canon", "canon", "the HDR panel set up for five shots with a Canon body",
                              [](ShotContext& shot) -> QWidget* {
                                controls_testing::openSessionForSettings();
                                shot.harness().waitUntil(controls_testing::settingsTaken);
                                saveFiveShotBracket();
                                return windowOf(open(shot));
                              }});
  window_shots::registerShot({"hdr-panel-bulb-canon", "canon",
                              "the HDR panel with a Canon body in its bulb setting: a bracket of bulb times",
                              [](ShotContext& shot) -> QWidget* {
                                controls_testing::openSessionForSettings();
                                shot.harness().waitUntil(controls_testing::settingsTaken);
                                shot.rig()->cameraAs<devicesim::CanonCamera>()->changeOnCamera(0xD102, 0x0C);
                                if (!shot.harness().waitUntil([] { return camIsBulbMode(); }))
                                  shot.fail("the body did not go to bulb");
                                Opened o = open(shot);
                                return windowOf(o);
                              }});
  window_shots::registerShot({"hdr-panel-overlay-nikon", "nikon",
                              "the HDR panel with a Nikon body in aperture priority: manual exposure asked for",
                              [](ShotContext& shot) -> QWidget* { return windowOf(open(shot)); }});
  window_shots::registerShot({"hdr-panel-running-canon", "canon",
                              "the HDR panel while the device brackets: two of five shots taken",
                              [](ShotContext& shot) -> QWidget* {
                                controls_testing::openSessionForSettings();
                                shot.harness().waitUntil(controls_testing::settingsTaken);
                                saveFiveShotBracket();
                                shot.rig()->automation().setPaced(true);
                                Opened o = open(shot);
                                guitest::click(o.panel->oStartButton);
                                // Shots are released once the device has the request (each start begins with none).
                                if (!shot.harness().waitUntil([&] { return shot.rig()->automation().running(); }))
                                  shot.fail("the bracket did not start");
                                shot.rig()->automation().releaseShots(2);
                                if (!shot.harness().waitUntil([&] {
                                      return o.panel->isFeedbackShown() && shot.rig()->automation().shotsTaken() == 2;
                                    }))
                                  shot.fail("the bracket did not run");
                                shot.harness().waitUntil([&] { return o.panel->oProgressView->value() == 400; });
                                guitest::Harness::waitForOverlays();
                                return windowOf(o);
                              }});
  window_shots::registerShot({"hdr-picker-shots-canon", "canon", "the HDR panel's shots picker (around the middle)",
                              [](ShotContext& shot) -> QWidget* {
                                controls_testing::openSessionForSettings();
                                shot.harness().waitUntil(controls_testing::settingsTaken);
                                saveFiveShotBracket();
                                Opened o = open(shot);
                                guitest::click(o.panel->oNumShotsButton);
                                shot.harness().waitUntil([&] {
                                  return o.panel->pickerPopover() && o.panel->pickerPopover()->popoverWindow();
                                });
                                automation_testing::PanelHost::letAnimationsEnd();
                                return o.panel->pickerPopover() ? o.panel->pickerPopover()->popoverWindow() : nullptr;
                              }});
  return true;
}();

}  // namespace
