// Window-shot states of the property buttons and their pickers: the buttons' faces per maker, and each picker as
// its popover shows it (the grid, the image-format picker, Nikon's burst count, Sony's stepper, the carousel
// picker with and without its dismiss button).
#include <QLabel>
#include <chrono>

#include "app/tools/shot_registry.h"
#include "controls/carousel_view_controller.h"
#include "controls/pickers/property_combo_box_view_controller.h"
#include "controls/property_button_host.h"
#include "controls/property_controller.h"
#include "engine/ptp/session_open.h"
#include "guitest/user_actions.h"
#include "platform/ui/popover.h"
#include "platform/ui/window.h"
#include "session/property_object.h"

namespace {

using controls_testing::PropertyButtonHost;
using window_shots::ShotContext;

const char* const kVendors[] = {"canon", "nikon", "sony", "fuji"};

// Lets the buttons' colour animations and the popover's fade end (a quarter second at most, at the harness's
// time scale well under that), so that the picture shows the colours at rest.
void letAnimationsEnd(ShotContext& shot) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(150);
  shot.harness().waitUntil([end] { return std::chrono::steady_clock::now() >= end; });
}

struct Prepared {
  PropertyButtonHost* host = nullptr;
  std::vector<std::shared_ptr<PropertyController>> controllers;
};

// The host window with one controller per role the body has, ready for settings.
Prepared prepare(ShotContext& shot) {
  Prepared p;
  controls_testing::openSessionForSettings();
  shot.harness().waitUntil(controls_testing::settingsTaken);
  p.host = shot.keep(std::make_unique<PropertyButtonHost>());
  const VendorPropertyCodes roles = camVendorPropertyCodes();
  const std::pair<uint32_t, const char*> bindings[] = {
      {roles.aperture, "oApertureButton"},   {roles.shutterSpeed, "oShutterSpeedButton"},
      {roles.iso, "oIsoButton"},             {roles.exposureCompensation, "oExposureCompButton"},
      {roles.imageFormat, "oImageFormatButton"}, {roles.driveMode, "oDriveModeButton"},
      {roles.whiteBalance, "oWhiteBalanceButton"}};
  for (const auto& [code, name] : bindings) {
    if (code == 0) continue;
    if (auto c = PropertyController::initWithPropertyCode(code, p.host->button(name), p.host)) {
      shot.keep(c);
      p.controllers.push_back(c);
    }
  }
  guitest::showWindow(p.host->window());
  letAnimationsEnd(shot);
  return p;
}

PropertyController* controllerOf(const Prepared& p, uint32_t code) {
  for (const auto& c : p.controllers)
    if (c->propertyCode() == code) return c.get();
  return nullptr;
}

// The window of a controller's open popover, once it shows.
QWidget* pickerWindow(ShotContext& shot, PropertyController* controller) {
  shot.harness().waitUntil([&] { return controller->popover() && controller->popover()->popoverWindow(); });
  if (!controller->popover() || !controller->popover()->popoverWindow()) {
    shot.fail("the picker did not open");
    return nullptr;
  }
  letAnimationsEnd(shot);
  return controller->popover()->popoverWindow();
}

// Opens a controller's picker as a press does and returns the popover's window.
QWidget* openPicker(ShotContext& shot, PropertyController* controller) {
  if (!controller) {
    shot.fail("the body has no such property");
    return nullptr;
  }
  controller->showPossibleValues();
  return pickerWindow(shot, controller);
}

[[maybe_unused]] const bool registered = [] {
  for (const char* vendor : kVendors) {
    const std::string v = vendor;
    window_shots::registerShot({"property-buttons-" + v, v, "the setting buttons' faces with a " + v + " body",
                                [](ShotContext& shot) -> QWidget* {
                                  Prepared p = prepare(shot);
                                  return p.host->window();
                                }});
    window_shots::registerShot({"picker-grid-" + v, v, "the ISO grid of a " + v + " body",
                                [](ShotContext& shot) -> QWidget* {
                                  Prepared p = prepare(shot);
                                  return openPicker(shot, controllerOf(p, camVendorPropertyCodes().iso));
                                }});
    window_shots::registerShot({"picker-image-format-" + v, v, "the image-format picker of a " + v + " body",
                                [](ShotContext& shot) -> QWidget* {
                                  Prepared p = prepare(shot);
                                  return openPicker(shot, controllerOf(p, camVendorPropertyCodes().imageFormat));
                                }});
  }
  window_shots::registerShot({"picker-grid-white-balance-canon", "canon", "the white-balance grid (icons) of a Canon body",
                              [](ShotContext& shot) -> QWidget* {
                                Prepared p = prepare(shot);
                                return openPicker(shot, controllerOf(p, camVendorPropertyCodes().whiteBalance));
                              }});
  window_shots::registerShot({"picker-combo-box-nikon", "nikon", "the burst count of a Nikon D850",
                              [](ShotContext& shot) -> QWidget* {
                                Prepared p = prepare(shot);
                                PropertyController* drive = controllerOf(p, 0x5013);
                                if (!drive) {
                                  shot.fail("no drive-mode button");
                                  return nullptr;
                                }
                                drive->showNikonNumShots();
                                return pickerWindow(shot, drive);
                              }});
  window_shots::registerShot({"picker-stepper-sony", "sony", "the exposure-compensation stepper of a Sony body",
                              [](ShotContext& shot) -> QWidget* {
                                Prepared p = prepare(shot);
                                return openPicker(shot, controllerOf(p, 0x5010));
                              }});
  for (bool cancel : {false, true}) {
    window_shots::registerShot(
        {cancel ? "picker-carousel-cancel" : "picker-carousel", "",
         cancel ? "the carousel picker with its dismiss button" : "the carousel picker",
         [cancel](ShotContext& shot) -> QWidget* {
           std::vector<controls::Visual> visuals;
           platform::ValueArray values;
           const char* texts[] = {"1/30", "1/60", "1/125", "1/250", "1/500", "1/1000", "1/2000"};
           for (int i = 0; i < 7; ++i) {
             values.push_back(i);
             visuals.emplace_back(QString::fromLatin1(texts[i]));
           }
           auto* picker = shot.keep(CarouselViewController::initWithValues(values, visuals, 3, cancel));
           auto* window = shot.keep(std::make_unique<platform::Window>());
           QWidget* v = picker->view();
           window->setFrame({200, 200, double(v->width()), double(v->height())});
           QPalette palette = window->contentView()->palette();
           palette.setColor(QPalette::Window, QColor(40, 40, 40));
           window->contentView()->setPalette(palette);
           window->contentView()->setAutoFillBackground(true);
           v->setParent(window->contentView());
           picker->beginAppearanceTransition(true);
           v->show();
           guitest::showWindow(window);
           picker->endAppearanceTransition();
           picker->setItemWidth(60);
           letAnimationsEnd(shot);
           return window;
         }});
  }
  return true;
}();

}  // namespace
