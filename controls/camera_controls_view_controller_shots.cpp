// Window-shot states of the capture panel and its exposure scale and picker: the panel with each maker's body,
// Fujifilm's panel with host mode off, the bulb clock, the scale in its states, and the exposure picker.
#include <QLabel>
#include <QVBoxLayout>
#include <chrono>

#include "app/tools/shot_registry.h"
#include "controls/camera_controls_view_controller_host.h"
#include "controls/exposure_comp_view.h"
#include "controls/property_button_host.h"
#include "guitest/user_actions.h"
#include "platform/foundation/notification_center.h"
#include "platform/graphics/font.h"
#include "platform/ui/testing/manual_time_source.h"
#include "session/notification_names.h"
#include "widgets/sfb_popover.h"

namespace {

using controls_testing::CameraControlsHost;
using window_shots::ShotContext;

const char* const kVendors[] = {"canon", "nikon", "sony", "fuji"};

// Lets the buttons' colour animations and the popovers' fades end, and the panel's reads of the camera come back.
void letItSettle(ShotContext& shot, CameraControlsViewController* panel) {
  shot.harness().waitUntil([panel] { return panel->isIdle(); });
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
  shot.harness().waitUntil([end] { return std::chrono::steady_clock::now() >= end; });
  shot.harness().waitUntil([panel] { return panel->isIdle(); });
}

CameraControlsHost* showPanel(ShotContext& shot) {
  controls_testing::openSessionForSettings();
  shot.harness().waitUntil(controls_testing::settingsTaken);
  auto* host = shot.keep(std::make_unique<CameraControlsHost>());
  guitest::showWindow(host->window());
  letItSettle(shot, host->panel());
  return host;
}

// A scale in a state, with a caption, for the sheet of scales.
void addScale(QWidget* sheet, QVBoxLayout* column, const QString& caption,
              const std::function<void(ExposureCompView*)>& state) {
  auto* label = new QLabel(caption, sheet);
  label->setStyleSheet(QStringLiteral("color: rgb(200, 200, 200);"));
  label->setFont(platform::Font::named(QStringLiteral("AvenirNext-Regular"), 11).qfont());
  column->addWidget(label);
  auto* scale = new ExposureCompView(sheet);
  scale->setFixedSize(146, 44);
  column->addWidget(scale);
  scale->initialize();
  state(scale);
}

[[maybe_unused]] const bool registered = [] {
  for (const char* vendor : kVendors) {
    const std::string v = vendor;
    window_shots::registerShot({"camera-controls-" + v, v, "the capture panel with a " + v + " body",
                                [](ShotContext& shot) -> QWidget* { return showPanel(shot)->window(); }});
  }
  window_shots::registerShot({"camera-controls-fuji-host-mode-off", "fuji",
                              "the capture panel of a Fujifilm body with host mode off",
                              [](ShotContext& shot) -> QWidget* {
                                CameraControlsHost* host = showPanel(shot);
                                platform::NotificationCenter::defaultCenter().postNotificationName(
                                    kHostModeUpdateNotification, platform::Value(false));
                                letItSettle(shot, host->panel());
                                return host->window();
                              }});
  window_shots::registerShot({"camera-controls-bulb-clock", "canon", "the shutter button's clock after 61 s of bulb",
                              [](ShotContext& shot) -> QWidget* {
                                CameraControlsHost* host = showPanel(shot);
                                CameraControlsViewController* panel = host->panel();
                                // The clock runs on a clock of the state's own, stopped at 61 s.
                                auto clock = std::make_shared<platform::testing::ManualTimeSource>();
                                shot.keep(std::make_unique<platform::ScopedTimeSource>(clock));
                                panel->bulbCaptureToggledNotification({kBulbCaptureToggledNotification, true, {}});
                                clock->advance(61);
                                shot.harness().settle();
                                return host->window();
                              }});
  for (const char* vendor : {"canon", "nikon"}) {
    const std::string v = vendor;
    window_shots::registerShot({"exposure-picker-" + v, v, "the exposure picker of a " + v + " body",
                                [](ShotContext& shot) -> QWidget* {
                                  CameraControlsViewController* panel = showPanel(shot)->panel();
                                  panel->showExposurePopup(panel->oExposureCompButton);
                                  shot.harness().waitUntil([panel] {
                                    return panel->exposureCompPopover() && panel->exposureCompPopover()->isVisible();
                                  });
                                  if (!panel->exposureCompPopover()) {
                                    shot.fail("the picker did not open");
                                    return nullptr;
                                  }
                                  letItSettle(shot, panel);
                                  return panel->exposureCompPopover()->popoverWindow();
                                }});
  }
  window_shots::registerShot(
      {"exposure-scale-states", "", "the exposure scale in its states", [](ShotContext& shot) -> QWidget* {
         auto* window = shot.keep(std::make_unique<platform::Window>());
         window->setFrame({100, 100, 170, 640});
         QWidget* sheet = window->contentView();
         sheet->setAutoFillBackground(true);
         QPalette palette = sheet->palette();
         palette.setColor(QPalette::Window, QColor(36, 36, 36));
         sheet->setPalette(palette);
         auto* column = new QVBoxLayout(sheet);
         column->setContentsMargins(12, 8, 12, 8);
         const auto thirds = [](ExposureCompView* s, float offset) {
           s->setSpacing(3);
           s->setExposureOffset(offset);
         };
         addScale(sheet, column, QStringLiteral("third stops, centre 0"), [&](ExposureCompView* s) { thirds(s, 0); });
         addScale(sheet, column, QStringLiteral("centre -1 1/3, disabled"), [&](ExposureCompView* s) {
           thirds(s, -1.3333f);
           s->setEnabled(false);
           s->updateBrackets();
         });
         addScale(sheet, column, QStringLiteral("centre 0.5 (drawn at 2/3)"), [&](ExposureCompView* s) { thirds(s, 0.5f); });
         addScale(sheet, column, QStringLiteral("half stops, bracket +/-1"), [&](ExposureCompView* s) {
           s->setSpacing(2);
           s->replaceBrackets({-1.0f, 1.0f});
         });
         addScale(sheet, column, QStringLiteral("bracket +/-2, +4 beyond"), [&](ExposureCompView* s) {
           thirds(s, 0);
           s->replaceBrackets({-2.0f, 2.0f, 4.0f, -4.0f});
         });
         addScale(sheet, column, QStringLiteral("reading over the right end"), [&](ExposureCompView* s) {
           thirds(s, 0);
           s->setRightOverflow(true);
         });
         addScale(sheet, column, QStringLiteral("reading under the left end"), [&](ExposureCompView* s) {
           thirds(s, 0);
           s->setLeftOverflow(true);
         });
         addScale(sheet, column, QStringLiteral("no spacing: nothing"), [&](ExposureCompView* s) { s->setSpacing(0); });
         column->addStretch();
         guitest::showWindow(window);
         shot.harness().settle();
         return window;
       }});
  return true;
}();

}  // namespace
