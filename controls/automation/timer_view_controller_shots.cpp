// Window-shot states of the timer panel, shown in the widget-kit popover as the capture panel shows it: a
// time-lapse set up with the bulb section covered by its reason, the camera in its bulb setting with a bulb
// duration of 75 s, an HDR bracket at each position, and a time-lapse that runs with its countdown.
#include "app/tools/shot_registry.h"
#include "controls/automation/hdr_popover_host.h"
#include "controls/automation/timer_view_controller.h"
#include "controls/property_button_host.h"
#include "devicesim/canon_camera.h"
#include "engine/automation/automation_checks.h"
#include "platform/foundation/user_defaults.h"
#include "widgets/it_switch.h"

namespace {

using window_shots::ShotContext;

// 120 shots, 10 s apart, after 1 min 5 s; a bulb timer of 75 s after 3 s.
void saveTimeLapse() {
  platform::UserDefaults::standardUserDefaults().setDictionary(
      {{"TimerNumberShots", platform::Value(int64_t{120})},
       {"TimerInitialDelayMinutes", platform::Value(int64_t{1})},
       {"TimerInitialDelaySeconds", platform::Value(int64_t{5})},
       {"TimerShotDelayMinutes", platform::Value(int64_t{0})},
       {"TimerShotDelaySeconds", platform::Value(int64_t{10})},
       {"TimerBulbInitialDelayMinutes", platform::Value(int64_t{0})},
       {"TimerBulbInitialDelaySeconds", platform::Value(int64_t{3})},
       {"TimerBulbDurationSeconds", platform::Value(75.0)},
       {"TimerBulbDurationString", platform::Value("01:15.0")},
       {"TimerHdrEnabled", platform::Value(false)}},
      "TimerValues");
}

struct Opened {
  automation_testing::PanelHost* host = nullptr;
  TimerViewController* panel = nullptr;
};

Opened open(ShotContext& shot) {
  auto [host, panel] = automation_testing::PanelHost::openForShot<TimerViewController>(shot);
  return {host, panel};
}

void prepare(ShotContext& shot) {
  controls_testing::openSessionForSettings();
  shot.harness().waitUntil(controls_testing::settingsTaken);
  saveTimeLapse();
}

QWidget* windowOf(const Opened& o) { return o.host->popoverWindow(); }

[[maybe_unused]] const bool registered = [] {
  window_shots::registerShot({"timer-panel-canon", "canon",
                              "the timer panel with a time-lapse set up; bulb waits for the camera's bulb setting",
                              [](ShotContext& shot) -> QWidget* {
                                prepare(shot);
                                return windowOf(open(shot));
                              }});
  window_shots::registerShot({"timer-panel-bulb-canon", "canon",
                              "the timer panel with a Canon body in its bulb setting: 75 s exposures",
                              [](ShotContext& shot) -> QWidget* {
                                prepare(shot);
                                shot.rig()->cameraAs<devicesim::CanonCamera>()->changeOnCamera(0xD102, 0x0C);
                                if (!shot.harness().waitUntil([] { return camIsBulbMode(); }))
                                  shot.fail("the body did not go to bulb");
                                return windowOf(open(shot));
                              }});
  window_shots::registerShot({"timer-panel-hdr-canon", "canon",
                              "the timer panel with an HDR bracket of three shots at each position",
                              [](ShotContext& shot) -> QWidget* {
                                prepare(shot);
                                platform::UserDefaults::standardUserDefaults().setDictionary(
                                    {{"PropertyCode", platform::Value(int64_t{0xD102})},
                                     {"StepSize", platform::Value(int64_t{1})},
                                     {"NumberShots", platform::Value(int64_t{3})},
                                     {"PropertyValue", platform::Value(int64_t{0x60})}},
                                    "HdrValues");
                                Opened o = open(shot);
                                if (!o.panel->oHdrSwitch || !o.panel->oHdrSwitch->isEnabled())
                                  shot.fail("the HDR switch is not usable");
                                else
                                  o.panel->oHdrSwitch->setChecked(true);
                                o.panel->refresh();
                                automation_testing::PanelHost::letAnimationsEnd();
                                return windowOf(o);
                              }});
  window_shots::registerShot(
      {"timer-panel-running-canon", "canon", "the timer panel while the device runs a time-lapse: 3 of 120 shots",
       [](ShotContext& shot) -> QWidget* {
         prepare(shot);
         shot.rig()->automation().setPaced(true);
         shot.harness().alerts().answer = nullptr;  // every question answered with its first button
         Opened o = open(shot);
         o.panel->startIntervalometer();
         if (!shot.harness().waitUntil([&] { return shot.rig()->automation().running(); }))
           shot.fail("the time-lapse did not start");
         shot.rig()->automation().releaseShots(3);
         if (!shot.harness().waitUntil([&] { return o.panel->feedbackShotsRemainingString().rfind("3 ", 0) == 0; }))
           shot.fail("no progress shown");
         guitest::Harness::waitForOverlays();
         return windowOf(o);
       }});
  return true;
}();

}  // namespace
