// End to end with a stand-in body of each maker (Canon EOS R6, Nikon D850, Sony ILCE-7M3, Fujifilm X-T3): a
// property button for ISO hosted in a plain window, pressed with the mouse, opens a grid of exactly the body's
// allowed values; a click on one reaches the body, and the button follows the body's own report of the change; a
// refusal of the body shows "PropertySetError". Then each maker's own pickers: Fujifilm's image-format picker
// (only the warning while live view runs), Nikon's burst count after a continuous drive mode, Sony's stepper.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <algorithm>
#include <functional>

#include "controls/pickers/image_format_values_view_controller.h"
#include "controls/pickers/property_combo_box_view_controller.h"
#include "controls/pickers/up_down_view_controller.h"
#include "controls/property_button_host.h"
#include "controls/property_controller.h"
#include "controls/property_controller_test_bodies.h"
#include "controls/property_set_texts.h"
#include "devicesim/canon_camera.h"
#include "devicesim/fuji_camera.h"
#include "devicesim/nikon_camera.h"
#include "devicesim/sony_camera.h"
#include "engine/automation/automation_checks.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/property_values.h"
#include "engine/ptp/session_open.h"
#include "engine/vendors/dispatch.h"
#include "engine/vendors/nikon/nikon_properties.h"
#include "guitest/gui_test.h"
#include "session/camera_controller.h"
#include "session/camera_event_pump.h"
#include "session/ptp_errors.h"
#include "widgets/it_switch.h"
#include "widgets/mb_progress_hud.h"

namespace {

using controls_testing::PropertyButtonHost;
using controls_testing::Body;
using controls_testing::kBodies;
using devicesim::PropertySetLog;
using devicesim::PropertySetRequest;

class PropertyButtonTest : public guitest::GuiTest {
 protected:
  // Connects the body and opens the event gate, as the camera window does once it stands.
  void connectBody(const char* vendor) {
    ASSERT_TRUE(connect(vendor));
    controls_testing::openSessionForSettings();
    ASSERT_TRUE(waitUntil(controls_testing::settingsTaken));
    host_ = std::make_unique<PropertyButtonHost>();
    ASSERT_TRUE(guitest::showWindow(host_->window()));
    ASSERT_TRUE(waitUntil([&] { return !overlaid(); })) << "device work still runs behind its overlay";
  }
  static bool overlaid() { return controls_testing::overlaid(); }
  void TearDown() override {
    controllers_.clear();
    host_.reset();
    GuiTest::TearDown();
  }

  PropertyController* bind(uint32_t code, const char* buttonName) {
    auto controller = PropertyController::initWithPropertyCode(code, host_->button(buttonName), host_.get());
    if (!controller) return nullptr;
    controllers_.push_back(controller);
    return controller.get();
  }
  static bool press(QWidget* widget) { return controls_testing::pressWhenFree(widget); }
  static bool openPicker(PropertyController* controller) { return controls_testing::openPicker(controller); }
  static uint32_t current(uint32_t code) {
    PropertyCopy copy = propCopyValues(code);
    return copy ? copy->value : 0;
  }
  std::vector<session_testing::ShownAlert> shownAlerts() { return controls_testing::shownAlerts(alerts()); }

  std::unique_ptr<PropertyButtonHost> host_;
  std::vector<std::shared_ptr<PropertyController>> controllers_;
};

class PropertyButtonVendorTest : public PropertyButtonTest, public ::testing::WithParamInterface<Body> {};

TEST_P(PropertyButtonVendorTest, IsoGridHoldsTheBodysValuesAClickReachesItAndARefusalIsShown) {
  const Body& body = GetParam();
  connectBody(body.vendor);
  PropertyController* controller = bind(camVendorPropertyCodes().iso, "oIsoButton");
  ASSERT_NE(controller, nullptr);
  controls_testing::isoGridRoundTrip(rig(), body, controller, alerts());
}

INSTANTIATE_TEST_SUITE_P(EveryVendor, PropertyButtonVendorTest, ::testing::ValuesIn(kBodies),
                         [](const auto& info) { return std::string(info.param.vendor); });

TEST_F(PropertyButtonTest, FujifilmFormatPickerSetsTheFormatAndOnlyWarnsWhileLiveViewRuns) {
  connectBody("fuji");
  auto fuji = rig().cameraAs<devicesim::FujiCamera>();
  PropertyController* controller = bind(camVendorPropertyCodes().imageFormat, "oImageFormatButton");
  ASSERT_NE(controller, nullptr);
  // The body reports its format settable a moment after its ISO (host mode); a user waits for the button.
  ASSERT_TRUE(waitUntil([&] { return controller->button()->isEnabled(); }));
  ASSERT_TRUE(openPicker(controller));
  auto* picker = dynamic_cast<ImageFormatValuesViewController*>(controller->propertyValuesViewController());
  ASSERT_NE(picker, nullptr);
  ASSERT_GE(picker->rawButtons().size(), 2u);
  ASSERT_GE(picker->jpgButtons().size(), 2u);
  EXPECT_EQ(picker->rawButtons().front()->tag(), -1);
  EXPECT_EQ(picker->jpgButtons().front()->tag(), -1);

  // RAW added to the format: the body is told, the picker stays open and follows.
  int32_t raw = 0, jpeg = 0;
  ASSERT_EQ(camImageFormatRawValue(&raw), PTP_RC_OK);
  ASSERT_EQ(camImageFormatJpegValue(&jpeg), PTP_RC_OK);
  SYFlatButton* otherRaw = nullptr;
  for (SYFlatButton* b : picker->rawButtons())
    if (b->tag() != raw) otherRaw = b;
  ASSERT_NE(otherRaw, nullptr);
  ASSERT_TRUE(press(otherRaw));
  ASSERT_TRUE(waitUntil([&] { return !fuji->propertySets().requests().empty(); }));
  ASSERT_TRUE(waitUntil([&] { return otherRaw->state() == 1; })) << "the picker follows the body's change";
  EXPECT_NE(controller->popover(), nullptr);
  EXPECT_TRUE(shownAlerts().empty()) << shownAlerts().front().message;

  // Live view on: the next choice only warns.
  bool started = false;
  platform::mainQueue().async([&] { CameraController::instance().toggleLiveView(true, nullptr); });
  ASSERT_TRUE(waitUntil([&] { return (started = CameraController::instance().liveViewStatus() != 0); }));
  ASSERT_TRUE(waitUntil([&] { return !overlaid(); }));
  const size_t sets = fuji->propertySets().requests().size();
  SYFlatButton* otherJpeg = nullptr;
  ASSERT_EQ(camImageFormatJpegValue(&jpeg), PTP_RC_OK);
  for (SYFlatButton* b : picker->jpgButtons())
    if (b->tag() != jpeg) otherJpeg = b;
  ASSERT_NE(otherJpeg, nullptr);
  ASSERT_TRUE(press(otherJpeg));
  ASSERT_TRUE(waitUntil([&] { return !shownAlerts().empty(); }));
  EXPECT_EQ(shownAlerts().front().title, "Warning");
  EXPECT_EQ(shownAlerts().front().message, "Please turn off live view before setting the image format.");
  settle();
  EXPECT_EQ(fuji->propertySets().requests().size(), sets) << "nothing reaches the body";
  platform::mainQueue().async([] { CameraController::instance().toggleLiveView(false, nullptr); });
  ASSERT_TRUE(waitUntil([] { return CameraController::instance().liveViewStatus() == 0; }));
}

TEST_F(PropertyButtonTest, NikonContinuousDriveOpensTheBurstCountWhichReachesTheBody) {
  connectBody("nikon");
  auto nikon = rig().cameraAs<devicesim::NikonCamera>();
  PropertyController* controller = bind(0x5013, "oDriveModeButton");
  ASSERT_NE(controller, nullptr);
  ASSERT_TRUE(openPicker(controller));
  PropertyValuesViewController* picker = controller->propertyValuesViewController();
  ASSERT_NE(picker, nullptr);
  SYFlatButton* continuous = nullptr;
  for (SYFlatButton* b : picker->buttons())
    if (camStillCaptureMode(0x5013, uint32_t(b->tag()))) continuous = b;
  ASSERT_NE(continuous, nullptr) << "the body offers a continuous drive mode";
  const auto mode = uint32_t(continuous->tag());
  ASSERT_TRUE(press(continuous));
  ASSERT_TRUE(waitUntil([&] { return uint32_t(nikon->value(0x5013)) == mode; }));

  // The burst count follows in a popover of its own: the numbers up to the smaller of the shots left and the
  // body's burst limit.
  ASSERT_TRUE(waitUntil([&] { return controller->comboBoxViewController() && controller->popover() &&
                                     controller->popover()->isShown(); }));
  PropertyComboBoxViewController* combo = controller->comboBoxViewController();
  const int64_t limit = std::min(nikon->value(0xD1F1), nikon->value(0xD1B4));
  EXPECT_EQ(combo->maxShots(), uint32_t(limit));
  ASSERT_NE(combo->oComboBox, nullptr);
  EXPECT_EQ(combo->oComboBox->count(), limit);
  EXPECT_EQ(combo->oComboBox->currentIndex(), nikon->value(0x5018) - 1);
  ASSERT_TRUE(waitUntil([&] { return combo->view()->window()->isVisible(); }));
  ASSERT_TRUE(press(combo->oComboBox));  // focus, as the user's click gives it
  for (int i = 0; i < 4; ++i) guitest::keyClick(combo->oComboBox, Qt::Key_Down);
  settle();
  ASSERT_TRUE(waitUntil([&] { return !nikon->propertySets().requests(0x5018).empty(); }));
  ASSERT_TRUE(waitUntil([&] { return controller->popover() == nullptr; })) << "the set closes the picker";
  EXPECT_EQ(nikon->value(0x5018), nikon->propertySets().requests(0x5018).back().value);
  EXPECT_GT(nikon->value(0x5018), 1);
  EXPECT_TRUE(shownAlerts().empty()) << shownAlerts().front().message;
}

TEST_F(PropertyButtonTest, SonyExposureCompensationStepsOnTheBody) {
  connectBody("sony");
  auto sony = rig().cameraAs<devicesim::SonyCamera>();
  PropertyController* controller = bind(camVendorPropertyCodes().exposureCompensation, "oExposureCompButton");
  ASSERT_NE(controller, nullptr);
  const QString before = controller->button()->title();
  ASSERT_TRUE(openPicker(controller));
  UpDownViewController* stepper = controller->upDownViewController();
  ASSERT_NE(stepper, nullptr);
  ASSERT_TRUE(waitUntil([&] { return !stepper->oUpButton->image().isNull(); })) << "the arrows are drawn at layout";
  EXPECT_FALSE(stepper->oDownButton->image().isNull());
  // The arrows show on the grey stepper.
  EXPECT_GT(guitest::coverage(guitest::render(stepper->view()), QColor(230, 230, 230),
                              stepper->oUpButton->geometry()), 0.1);
  const uint64_t was = sony->propertyValue(0x5010);
  ASSERT_TRUE(press(stepper->oUpButton));
  ASSERT_TRUE(waitUntil([&] { return sony->propertyValue(0x5010) != was; }));
  const std::vector<devicesim::SonyControlWrite> writes = sony->controlWrites();
  ASSERT_FALSE(writes.empty());
  EXPECT_EQ(writes.back().code, 0x5010);
  EXPECT_EQ(writes.back().value, 1);
  ASSERT_TRUE(waitUntil([&] { return controller->button()->title() != before; })) << "the face follows";
  EXPECT_NE(controller->popover(), nullptr) << "the stepper stays open";

  ASSERT_TRUE(press(stepper->oDownButton));
  ASSERT_TRUE(waitUntil([&] { return sony->propertyValue(0x5010) == was; }));
  EXPECT_EQ(sony->controlWrites().back().value, -1);
  EXPECT_TRUE(shownAlerts().empty()) << shownAlerts().front().message;
}

}  // namespace

namespace {

TEST_F(PropertyButtonTest, NikonAutoIsoSwitchAndTheGridsAutoEntryReachTheBody) {
  devicesim::NikonCameraOptions options;
  options.autoIsoInExposureModes = true;  // 0xD054 on, in aperture priority
  connect(std::make_shared<devicesim::NikonCamera>(options));
  ASSERT_TRUE(rig().sessionStarted());
  controls_testing::openSessionForSettings();
  host_ = std::make_unique<PropertyButtonHost>();
  ASSERT_TRUE(guitest::showWindow(host_->window()));
  auto nikon = rig().cameraAs<devicesim::NikonCamera>();
  ASSERT_EQ(nikon->value(0xD054), 1);

  // While ISO is automatic the auto-ISO value's button offers the switch.
  PropertyController* autoValue = bind(0xD0B5, "oIsoButton");
  ASSERT_NE(autoValue, nullptr);
  EXPECT_TRUE(autoValue->button()->isEnabled());
  ASSERT_TRUE(openPicker(autoValue));
  PropertyValuesViewController* form = autoValue->propertyValuesViewController();
  ASSERT_NE(form, nullptr);
  ASSERT_NE(form->toggleSwitch(), nullptr);
  EXPECT_EQ(form->togglePropertyCode(), 0xD054u);
  EXPECT_TRUE(form->toggleSwitch()->checked());
  EXPECT_TRUE(form->buttons().empty());
  ASSERT_TRUE(press(form->toggleSwitch()));
  ASSERT_TRUE(waitUntil([&] { return nikon->value(0xD054) == 0; }));
  ASSERT_TRUE(waitUntil([&] { return autoValue->popover() == nullptr && current(0xD054) == 0; }));
  EXPECT_EQ(nikon->propertySets().requests(0xD054).back().value, 0);

  // The ISO grid's "Auto" turns it on again.
  autoValue->setButton(nullptr);
  PropertyController* iso = bind(camVendorPropertyCodes().iso, "oIsoButton");
  ASSERT_NE(iso, nullptr);
  ASSERT_TRUE(openPicker(iso));
  const auto& buttons = iso->propertyValuesViewController()->buttons();
  ASSERT_FALSE(buttons.empty());
  ASSERT_EQ(buttons.back()->tag(), 0xFFFF);
  ASSERT_TRUE(press(buttons.back()));
  ASSERT_TRUE(waitUntil([&] { return nikon->value(0xD054) == 1; }));
  // The set ends once the session has read the value back: ended earlier, the test would take the session away
  // from under that read, and its "not confirmed" alert would reach the next test.
  ASSERT_TRUE(waitUntil([&] { return current(0xD054) == 1 && !overlaid(); }));
  settle();
  EXPECT_TRUE(shownAlerts().empty()) << shownAlerts().front().message;
}

}  // namespace
