// The property button on a store filled by hand: its face and enabled state, which picker opens and how, what a
// set's result shows, the RAW-only warning's timing, Canon's on-screen values, and that nothing reaches a
// controller that is gone or a property that took its slot. Presses are real mouse events.
#include "controls/property_controller.h"

#include <QTest>

#include "controls/pickers/image_format_values_view_controller.h"
#include "controls/pickers/up_down_view_controller.h"
#include "controls/property_controller_test_fixture.h"
#include "controls/property_set_texts.h"
#include "engine/vendors/canon/canon_property_table.h"
#include "platform/ui/view_geometry.h"
#include "session/ptp_errors.h"
#include "widgets/mb_progress_hud.h"

namespace {

using controls_testing::Allowed;
using platform::Color;

class PropertyControllerTest : public controls_testing::PropertyStoreFixture {
 protected:
  std::shared_ptr<PropertyController> make(uint32_t code, SYFlatButton* button) {
    return PropertyController::initWithPropertyCode(code, button, &panel_);
  }
  // Presses the button and lets the popover fade in.
  void open(SYFlatButton* button) {
    click(button);
    clock_->advance(platform::Popover::kFadeDuration);
    settle();
  }
  void fade() {
    clock_->advance(platform::Popover::kFadeDuration);
    settle();
  }
  static std::string changed(uint32_t code) { return "JW_" + std::to_string(code); }
};

TEST_F(PropertyControllerTest, EnabledStateAndColoursFollowTheRecordExceptForTwoCodes) {
  struct Case {
    VendorType vendor;
    uint32_t code;
    uint8_t recordEnabled;
    bool buttonEnabled;
  } cases[] = {
      {VENDOR_NIKON, 0xD0B5, 0, true},   // the auto-ISO value's button is always usable
      {VENDOR_CANON, 0xD108, 1, false},  // Canon's focus mode is never set from here
      {VENDOR_SONY, 0x5007, 0, false},
      {VENDOR_SONY, 0x5007, 1, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    resetEngine();
    addRecord(c.code, {{100, "100"}, {200, "200"}}, 200, c.recordEnabled);
    useVendor(c.vendor);
    SYFlatButton* button = addButton(10, 10);
    auto controller = make(c.code, button);
    ASSERT_NE(controller, nullptr);
    EXPECT_EQ(button->isEnabled(), c.buttonEnabled);
    EXPECT_EQ(button->backgroundNormalColor(), Color::white(c.buttonEnabled ? 0.38 : 0.28));
    EXPECT_EQ(button->titleNormalColor(), c.buttonEnabled ? Color::whiteColor() : Color::white(0.7));
    controller.reset();
    delete button;
  }
  // No record: no controller.
  EXPECT_EQ(make(0x5008, nullptr), nullptr);
}

TEST_F(PropertyControllerTest, TheFaceFollowsTheCamerasChangeAndNotAPropertyThatTookTheSlot) {
  addRecord(0x500B, {{2, "Center"}, {3, "Multi"}, {4, "Spot"}}, 2);
  addRecord(0xD21E, {{100, "ISO 100"}, {200, "ISO 200"}}, 100);
  useVendor(VENDOR_SONY);
  SYFlatButton* button = addButton(10, 10);
  auto controller = make(0xD21E, button);
  const QString before = button->title();
  EXPECT_FALSE(before.isEmpty());

  setRecord(0xD21E, 200);
  postFromEventThread(changed(0xD21E));
  EXPECT_EQ(button->title(), before) << "the face changes on the main thread only";
  drainMainQueue();
  const QString after = button->title();
  EXPECT_NE(after, before);

  // The store is emptied and another property takes the slot: the button keeps showing what it showed.
  PropertyStruct* slot = propFind(0xD21E);
  propStoreClear();
  addRecord(0x5005, {{100, "x"}}, 100);
  addRecord(0x500F, {{100, "y"}}, 100);
  ASSERT_TRUE(propFind(0x500F) == slot || propFind(0x5005) == slot);
  postFromEventThread(changed(0xD21E));
  drainMainQueue();
  EXPECT_EQ(button->title(), after);
}

TEST_F(PropertyControllerTest, EachPropertyGetsItsPickerWithButtonsOfItsWidth) {
  addRecord(0xD21E, {{100, "100"}, {200, "200"}}, 100);                  // ISO role: 2.2
  addRecord(0x500E, {{1, "M"}, {2, "P"}}, 1);                             // exposure mode role: 3.5
  addRecord(0x500B, {{2, "Center"}, {3, "Multi"}}, 2);                     // any other: 1.5
  addRecord(0x5010, {{0, "0"}, {333, "+1/3"}}, 0);                         // exposure compensation: stepper
  PropertyStruct* range = addRecord(0xD20F, {}, 5500);                     // an unlisted range: stepper
  propLock(range);
  range->form = kPropFormRange;
  range->rangeMin = 2500;
  range->rangeMax = 9900;
  range->rangeStep = 100;
  propUnlock(range);
  useVendor(VENDOR_SONY, 170);
  showWindow();

  struct Case {
    uint32_t code;
    double buttonWidth;  // 0: the stepper
  } cases[] = {{0xD21E, 77}, {0x500E, 122.5}, {0x500B, 52.5}, {0x5010, 0}, {0xD20F, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    SYFlatButton* button = addButton(10, 10);
    auto controller = make(c.code, button);
    open(button);
    ASSERT_NE(controller->popover(), nullptr);
    EXPECT_TRUE(controller->popover()->isShown());
    if (c.buttonWidth == 0) {
      ASSERT_NE(controller->upDownViewController(), nullptr);
      EXPECT_EQ(controller->popover()->contentViewController(), controller->upDownViewController());
      EXPECT_EQ(controller->upDownViewController()->propertyCode(), c.code);
    } else {
      PropertyValuesViewController* picker = controller->propertyValuesViewController();
      ASSERT_NE(picker, nullptr);
      ASSERT_FALSE(picker->buttons().empty());
      EXPECT_NEAR(platform::frameOf(picker->buttons()[0]).width(), c.buttonWidth, 0.5);
      EXPECT_EQ(picker->delegate(), controller.get());
    }
    // The popover hangs below the button.
    const QRect popoverOnScreen = controller->popover()->popoverWindow()->frameGeometry();
    EXPECT_GE(popoverOnScreen.top(), button->mapToGlobal(QPoint(0, button->height())).y() - 1);
    controller->popover()->close();
    fade();
    EXPECT_EQ(controller->popover(), nullptr);
    controller.reset();
    delete button;
  }
}

TEST_F(PropertyControllerTest, PressingTheButtonAgainClosesThePickerAndOpensNothing) {
  addRecord(0x500B, {{2, "Center"}, {3, "Multi"}}, 2);
  useVendor(VENDOR_SONY);
  SYFlatButton* button = addButton(10, 10);
  auto controller = make(0x500B, button);
  showWindow();
  open(button);
  ASSERT_NE(controller->popover(), nullptr);
  click(button);
  fade();
  EXPECT_EQ(controller->popover(), nullptr);
  EXPECT_EQ(controller->propertyValuesViewController(), nullptr);
  // And the next press opens it again.
  open(button);
  EXPECT_NE(controller->popover(), nullptr);
}

TEST_F(PropertyControllerTest, ASetCountsAsDoneOn2001AndFF16AndARefusalSaysSo) {
  controls_testing::AnsweringSony vendor;
  addRecord(0xD21E, {{100, "100"}, {200, "200"}, {400, "400"}}, 100);
  useVendor(VENDOR_SONY);
  SYFlatButton* button = addButton(10, 10);
  auto controller = make(0xD21E, button);
  showWindow();
  struct Case {
    uint16_t answer;
    bool refused;
  } cases[] = {{0x2001, false}, {0xFF16, false}, {0x2005, true}, {0x2019, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    vendor.sony.setAnswer = c.answer;
    const size_t alertsBefore = alertCount();
    const size_t setsBefore = vendor.sony.log.all().size();
    open(button);
    PropertyValuesViewController* picker = controller->propertyValuesViewController();
    ASSERT_NE(picker, nullptr);
    ASSERT_EQ(picker->buttons().size(), 3u);
    click(picker->buttons()[2]);  // ISO 400
    fade();
    EXPECT_EQ(controller->popover(), nullptr) << "a choice closes the picker";
    ASSERT_TRUE(waitFor([&] {
      for (const std::string& call : vendor.sony.log.all())
        if (call == "set " + std::to_string(0xD21E)) return vendor.sony.log.all().size() > setsBefore;
      return false;
    }));
    drainMainQueue();
    ASSERT_TRUE(waitFor([&] { return !c.refused || alertCount() > alertsBefore; }));
    drainMainQueue();
    if (c.refused) {
      ASSERT_EQ(alertCount(), alertsBefore + 1);
      EXPECT_EQ(alerts().back().message,
                PtpErrors::appendString(controls::propertySetErrorText("0xD21E"), c.answer));
    } else {
      EXPECT_EQ(alertCount(), alertsBefore) << alerts().back().title << "/" << alerts().back().message;
    }
    // The set's progress overlay covers the panel's window (it swallows presses) until the batch has ended and it
    // has faded out on the test's clock.
    ASSERT_TRUE(waitFor([&] {
      clock_->advance(0.05);
      return MBProgressHUD::HUDForView(window_->contentView()) == nullptr;
    }));
  }
}

TEST_F(PropertyControllerTest, NikonAutoIsoWithoutItsRecordIsRefusedWithoutSending) {
  addRecord(0x500F, {{100, "100"}}, 100);
  useVendor(VENDOR_NIKON);
  auto controller = make(0x500F, nullptr);
  controller->buttonSelected(0xFFFF, nullptr);
  drainMainQueue();
  ASSERT_EQ(alertCount(), 1u);
  EXPECT_EQ(alerts()[0].message, controls::propertySetErrorText("Auto ISO"));
}

TEST_F(PropertyControllerTest, TheRawOnlyWarningComesFirstAndThenOnlyAfterFiveQuietMinutes) {
  controls_testing::RegisteredFuji vendor;
  addRecord(0xD018, {{1, "RAW"}, {2, "FINE"}, {4, "RAW+FINE"}}, 1);
  useVendor(VENDOR_FUJI);
  SYFlatButton* button = addButton(10, 10);
  auto controller = make(0xD018, button);
  auto check = [&](double after, uint32_t format) {
    clock_->advance(after);
    setRecord(0xD018, format);
    postFromEventThread(changed(0xD018));
    drainMainQueue();
    drainMainQueue();
    return alertCount();
  };
  drainMainQueue();
  ASSERT_EQ(alertCount(), 1u) << "the first check after start warns";
  const session_testing::ShownAlert first = alerts()[0];
  EXPECT_EQ(first.style, 1u);
  EXPECT_EQ(first.title, "Image Format Warning");
  EXPECT_EQ(first.message,
            "For Sony and Fuji cameras it is strongly recommended to shoot RAW+JPG and not RAW only. Previewing "
            "images will be much faster.");
  EXPECT_EQ(first.okText, "Dismiss");
  EXPECT_EQ(first.cancelText, "Don't remind me");

  EXPECT_EQ(check(299, 1), 1u);  // within 300 s of the last check: quiet, and the clock starts again
  EXPECT_EQ(check(299, 1), 1u);
  EXPECT_EQ(check(301, 1), 2u);
  EXPECT_EQ(check(400, 4), 2u) << "RAW + JPEG: no warning";
  EXPECT_EQ(check(0, 1), 3u) << "a RAW+JPEG check does not start the clock again";

  // "Don't remind me" ends the warnings.
  alerts_.answer = [](JW_Alert& alert, const session_testing::ShownAlert&) { alert.cancelAction(alert.oCancelButton); };
  EXPECT_EQ(check(301, 1), 4u);
  EXPECT_FALSE(defaults().boolForKey("NagSonyFujiRaw"));
  EXPECT_EQ(check(301, 1), 4u);
}

TEST_F(PropertyControllerTest, CanonOnScreenValuesShowInItalicsUntilTheNextChange) {
  propSetNameTable(canonPropertyNames(), kCanonPropertySentinel);  // the camera's names of ISO and shutter values
  addRecord(0xD103, {{0, "Auto"}, {0x48, "100"}, {0x50, "200"}, {0x58, "400"}}, 0);
  addRecord(0xD102, {{0x68, "1/60"}, {0x70, "1/125"}}, 0x68, 0);
  useVendor(VENDOR_CANON);
  SYFlatButton* iso = addButton(10, 10);
  SYFlatButton* shutter = addButton(10, 60);
  auto isoController = make(0xD103, iso);
  auto shutterController = make(0xD102, shutter);
  const QString isoFace = iso->title();

  // The ISO button on Auto shows the camera's choice 0.2 s later.
  postFromEventThread("JW_Olc_8", platform::Value(0x58));
  drainMainQueue();
  EXPECT_EQ(iso->title(), isoFace);
  clock_->advance(PropertyController::kOlcDelay);
  EXPECT_EQ(iso->title(), "ISO 400");
  EXPECT_TRUE(iso->font().postScriptName().contains("Italic"));
  EXPECT_TRUE(isoController->isDisplayingOlcInfo());
  // 0 and 0xFFFF leave it as it is.
  for (int ignored : {0, 0xFFFF}) {
    postFromEventThread("JW_Olc_8", platform::Value(ignored));
    drainMainQueue();
    clock_->advance(1);
    EXPECT_EQ(iso->title(), "ISO 400");
  }
  // A change of its own property gives the button back to the property.
  postFromEventThread(changed(0xD103));
  drainMainQueue();
  EXPECT_FALSE(isoController->isDisplayingOlcInfo());
  EXPECT_EQ(iso->title(), isoFace);

  // A disabled record shows the value at once.
  postFromEventThread("JW_Olc_2", platform::Value(0x70));
  drainMainQueue();
  EXPECT_EQ(shutter->title(), "1/125");
  // The exposure mode's change only clears the flag; the next redraw shows the property.
  shutterController->autoExposureModeChanged();
  EXPECT_FALSE(shutterController->isDisplayingOlcInfo());
  EXPECT_EQ(shutter->title(), "1/125");

  // An enabled ISO record with a value of its own ignores the camera's reading.
  setRecord(0xD103, 0x48);
  postFromEventThread(changed(0xD103));
  drainMainQueue();
  const QString manual = iso->title();
  postFromEventThread("JW_Olc_8", platform::Value(0x58));
  drainMainQueue();
  clock_->advance(1);
  EXPECT_EQ(iso->title(), manual);
}

TEST_F(PropertyControllerTest, NothingQueuedOrDelayedReachesAControllerThatIsGone) {
  addRecord(0xD103, {{0, "Auto"}, {0x58, "400"}}, 0);
  useVendor(VENDOR_CANON);
  SYFlatButton* button = addButton(10, 10);
  auto controller = make(0xD103, button);
  const QString face = button->title();

  // A delayed on-screen value and a queued change, then the controller goes.
  postFromEventThread("JW_Olc_8", platform::Value(0x58));
  drainMainQueue();
  setRecord(0xD103, 0x58);
  postFromEventThread(changed(0xD103));
  controller.reset();
  drainMainQueue();
  clock_->advance(1);
  EXPECT_EQ(button->title(), face);
  // Posts after it has gone reach nothing.
  postFromEventThread(changed(0xD103));
  postFromEventThread("JW_Olc_8", platform::Value(0x58));
  drainMainQueue();
  clock_->advance(1);
  EXPECT_EQ(button->title(), face);
}

TEST_F(PropertyControllerTest, RebindingMovesThePressToTheNewButtonOnly) {
  addRecord(0x500B, {{2, "Center"}, {3, "Multi"}}, 3);
  useVendor(VENDOR_SONY);
  SYFlatButton* first = addButton(10, 10);
  SYFlatButton* second = addButton(10, 100);
  auto controller = make(0x500B, first);
  showWindow();
  controller->setButton(second);
  EXPECT_EQ(controller->button(), second);
  click(first);
  fade();
  EXPECT_EQ(controller->popover(), nullptr) << "the old button no longer opens the picker";
  open(second);
  EXPECT_NE(controller->popover(), nullptr);
  controller->popover()->close();
  fade();
  // From another thread the rebinding waits for the main queue.
  std::thread([&] { controller->setButton(nullptr); }).join();
  EXPECT_EQ(controller->button(), second);
  drainMainQueue();
  EXPECT_EQ(controller->button(), nullptr);
}

}  // namespace
