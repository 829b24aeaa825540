// Window-shot states of the settings window: without a camera, and with a body of each maker (Canon's mirrorless
// body, and its DSLR with mirror-up), each showing the controls that fit that camera.
#include <string>

#include "app/tools/shot_registry.h"
#include "app/windows/settings_window_controller.h"
#include "devicesim/canon_camera.h"
#include "platform/ui/window.h"

namespace {

using window_shots::ShotContext;

// The one settings window, opened as the menu opens it. The window closes (and its controller goes) with the
// harness at the end of the state.
QWidget* openSettings(ShotContext& shot) {
  SettingsWindowController* controller = SettingsWindowController::showSettings();
  if (!controller || !controller->window()) {
    shot.fail("the settings window did not open");
    return nullptr;
  }
  return controller->window();
}

[[maybe_unused]] const bool registered = [] {
  window_shots::registerShot({"settings-window", "", "the settings window without a camera", openSettings});
  for (const char* vendor : {"canon", "nikon", "sony", "fuji"})
    window_shots::registerShot({std::string("settings-window-") + vendor, vendor,
                                std::string("the settings window with a connected ") + vendor + " body", openSettings});
  window_shots::registerShot({"settings-window-canon-dslr", "", "the settings window with a Canon DSLR (mirror-up)",
                              [](ShotContext& shot) -> QWidget* {
                                std::string why;
                                if (!shot.harness().connect(
                                        devicesim::makeCanonCamera(devicesim::CanonBody::DslrJpegLiveView), &why)) {
                                  shot.fail("no session: " + why);
                                  return nullptr;
                                }
                                return openSettings(shot);
                              }});
  return true;
}();

}  // namespace
