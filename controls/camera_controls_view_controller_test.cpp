// The capture panel end to end, hosted in a plain window with a stand-in body of each maker (Canon EOS R6, Nikon
// D850, Sony ILCE-7M3, Fujifilm X-T3), driven with real mouse and key events: the maker's buttons and whom they
// belong to, the ISO grid's round trip and a refusal, the space bar as the shutter, the exposure picker's Set with
// bracketing, Nikon's movie rebinding and exposure indicator, Canon's own exposure reading, the bulb clock,
// Fujifilm's host mode and focus dot, the automation panels' popovers, and what happens when the session or the
// panel goes.
#include <gtest/gtest.h>

#include <QTest>
#include <QWindow>
#include <map>
#include <thread>

#include "controls/camera_controls_view_controller.h"

#include "controls/automation/focus_stack_view_controller.h"
#include "controls/automation/hdr_view_controller.h"
#include "controls/automation/timer_view_controller.h"
#include "controls/automation/tripod_view_controller.h"
#include "controls/camera_controls_view_controller_host.h"
#include "controls/exposure_comp_view.h"
#include "controls/pickers/property_values_view_controller.h"
#include "controls/property_button_host.h"
#include "controls/property_controller.h"
#include "controls/property_controller_test_bodies.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/session_open.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/canon/canon_exposure.h"
#include "engine/vendors/dispatch.h"
#include "guitest/gui_test.h"
#include "platform/foundation/notification_center.h"
#include "platform/ui/testing/manual_time_source.h"
#include "session/camera_controller.h"
#include "session/notification_names.h"
#include "widgets/i_carousel.h"
#include "widgets/sfb_popover.h"
#include "widgets/toggle_button.h"

namespace {

using controls_testing::Body;
using controls_testing::CameraControlsHost;
using controls_testing::kBodies;

void postFromEventThread(const std::string& name, const platform::Value& object = {}) {
  std::thread([name, object] { platform::NotificationCenter::defaultCenter().postNotificationName(name, object); })
      .join();
}

std::string changed(uint32_t code) { return "JW_" + std::to_string(code); }

// A stand-in for an automation panel: a plain view, and what it was handed.
class TestAutomationPanel : public platform::ViewController {
 public:
  SFBPopover* popover = nullptr;

 protected:
  void loadView() override {
    auto* v = new QWidget();
    v->resize(180, 90);
    setView(v);
  }
};

class CameraControlsTest : public guitest::GuiTest {
 protected:
  void TearDown() override {
    host_.reset();
    CameraControlsViewController::resetAutomationPanelFactories();
    GuiTest::TearDown();
  }

  // The session stands (event gate open; host mode on for Fujifilm) and the panel shows in its window, done with
  // its first reads of the camera.
  void showPanel() {
    controls_testing::openSessionForSettings();
    ASSERT_TRUE(waitUntil(controls_testing::settingsTaken));
    host_ = std::make_unique<CameraControlsHost>();
    ASSERT_TRUE(guitest::showWindow(host_->window()));
    ASSERT_TRUE(idle());
  }
  void connectBody(const std::string& vendor) {
    ASSERT_TRUE(connect(vendor));
    showPanel();
  }
  CameraControlsViewController* panel() const { return host_->panel(); }
  // No read of the camera in flight and no device work behind its overlay. The state can turn busy again while the
  // wait ends (an event processed after the last look starts new work), so a miss before the limit looks again.
  bool idle() {
    const auto end = std::chrono::steady_clock::now() + guitest::kWaitLimit;
    const auto quiet = [&] { return panel()->isIdle() && !controls_testing::overlaid(); };
    while (std::chrono::steady_clock::now() < end) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
      if (waitUntil(quiet, left)) return true;
    }
    return quiet();
  }

  // The code of the controller that holds the button (0: none).
  uint32_t codeOn(SYFlatButton* button) const {
    for (const auto& c : panel()->propertyControllers())
      if (c->button() == button) return c->propertyCode();
    return 0;
  }
  PropertyController* controllerOn(SYFlatButton* button) const {
    for (const auto& c : panel()->propertyControllers())
      if (c->button() == button) return c.get();
    return nullptr;
  }
  bool hasController(uint32_t code) const { return panel()->propertyControllerForPropertyCode(code) != nullptr; }

  // The space bar as the window system hands it to the application.
  void space(bool down, bool repeat = false) {
    QTest::simulateEvent(host_->window()->windowHandle(), down, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "),
                         repeat);
  }
  // Held for a while (the press's work done meanwhile): the window system repeats it as release-press pairs,
  // then lets it go.
  void holdSpace() {
    space(true);
    ASSERT_TRUE(waitUntil([&] { return panel()->isSpaceShutterHeld(); })) << "the shutter was not pressed";
    ASSERT_TRUE(idle());
    for (int i = 0; i < 6; ++i) {
      space(false, true);
      space(true, true);
      settle();
    }
    ASSERT_TRUE(idle());
    EXPECT_TRUE(panel()->isSpaceShutterHeld()) << "a repeat's release lets nothing go";
    space(false);
    ASSERT_TRUE(idle());
  }

  std::unique_ptr<CameraControlsHost> host_;
};

// --- per maker -------------------------------------------------------------------------------------------------

struct Maker {
  Body body;
  // Outlets that show, each with the code of the property that holds it (0: a button of the panel's own).
  std::vector<std::pair<const char*, uint32_t>> shown;
  std::vector<const char*> hidden;
  // Codes whose controllers wait without a button (they take one in movie mode or while ISO is automatic).
  std::vector<uint32_t> waiting;
  std::function<int(guitest::CameraRig&)> shots;
};

const Maker kMakers[] = {
    {kBodies[0],
     {{"oApertureButton", 0xD101}, {"oShutterSpeedButton", 0xD102}, {"oIsoButton", 0xD103},
      {"oFocusModeButton", 0xD108}, {"oMeteringModeButton", 0xD107}, {"oDriveModeButton", 0xD106},
      {"oImageFormatButton", 0xD120}, {"oWhiteBalanceButton", 0xD109}, {"oExposureCompButton", 0},
      {"oExposureCompensationView", 0}, {"oHalfPressButton", 0}, {"oTripodButton", 0}},
     {"oSonyExposureCompButton", "oSonyFocusAreaButton", "oFlashToggleButton"},
     {0xD179},
     [](guitest::CameraRig& r) { return r.cameraAs<devicesim::CanonCamera>()->shots(); }},
    {kBodies[1],
     // Automatic ISO is on in the D850 as it comes: its value holds the ISO button.
     {{"oApertureButton", 0x5007}, {"oShutterSpeedButton", 0xD100}, {"oIsoButton", 0xD0B5},
      {"oMeteringModeButton", 0x500B}, {"oDriveModeButton", 0x5013}, {"oImageFormatButton", 0x5004},
      {"oWhiteBalanceButton", 0x5005}, {"oExposureModeButton", 0x500E}, {"oExposureCompButton", 0},
      {"oExposureCompensationView", 0}},
     {"oSonyExposureCompButton", "oSonyFocusAreaButton", "oFlashToggleButton", "oHalfPressButton"},
     {0xD1A8, 0xD1A9, 0xD1AA, 0x500F},
     [](guitest::CameraRig& r) { return r.cameraAs<devicesim::NikonCamera>()->shots(); }},
    {kBodies[2],
     {{"oApertureButton", 0x5007}, {"oShutterSpeedButton", 0xD20D}, {"oIsoButton", 0xD21E},
      {"oFocusModeButton", 0x500A}, {"oDriveModeButton", 0x5013}, {"oWhiteBalanceButton", 0x5005},
      {"oExposureModeButton", 0x500E}, {"oSonyExposureCompButton", 0x5010}},
     {"oExposureCompensationView", "oExposureCompButton", "oFlashToggleButton"},
     {},
     [](guitest::CameraRig& r) { return r.cameraAs<devicesim::SonyCamera>()->shots(); }},
    {kBodies[3],
     {{"oApertureButton", 0x5007}, {"oShutterSpeedButton", 0x500D}, {"oIsoButton", 0x500F},
      {"oFocusModeButton", 0x500A}, {"oImageFormatButton", 0xD018}, {"oWhiteBalanceButton", 0x5005},
      {"oExposureModeButton", 0x500E}, {"oExposureCompButton", 0}, {"oExposureCompensationView", 0}},
     {"oDriveModeButton", "oSonyExposureCompButton", "oSonyFocusAreaButton", "oFlashToggleButton"},
     {},
     [](guitest::CameraRig& r) { return r.cameraAs<devicesim::FujiCamera>()->shots(); }},
};

void PrintTo(const Maker& maker, std::ostream* os) { *os << maker.body.vendor; }

class CameraControlsMakerTest : public CameraControlsTest, public ::testing::WithParamInterface<Maker> {};

TEST_P(CameraControlsMakerTest, TheMakersButtonsShowTheIsoGridRoundTripsAndTheSpaceBarShootsOnce) {
  const Maker& maker = GetParam();
  connectBody(maker.body.vendor);
  QWidget* window = host_->window();
  // Nikon's exposure indicator and automatic ISO are read a moment after the panel loads.
  if (camIsNikon()) {
    ASSERT_TRUE(waitUntil([&] { return codeOn(panel()->oIsoButton) == 0xD0B5; }));
  }

  for (const auto& [name, code] : maker.shown) {
    QWidget* w = guitest::findWidget(window, QString::fromLatin1(name));
    ASSERT_NE(w, nullptr) << name;
    EXPECT_TRUE(w->isVisible()) << name;
    if (code != 0) {
      EXPECT_EQ(codeOn(qobject_cast<SYFlatButton*>(w)), code) << name;
    }
  }
  for (const char* name : maker.hidden) {
    QWidget* w = guitest::findWidget(window, QString::fromLatin1(name));
    ASSERT_NE(w, nullptr) << name;
    EXPECT_FALSE(w->isVisible()) << name;
  }
  for (uint32_t code : maker.waiting) EXPECT_TRUE(hasController(code)) << std::hex << code;
  // Exposure mode on Canon is the module's own code.
  if (camIsCanon()) {
    EXPECT_EQ(codeOn(panel()->oExposureModeButton), camVendorPropertyCodes().exposureMode);
  }

  // The space bar, held with the window system's repeats, shoots once and lets go once: as a click does.
  const auto captureOps = [&] { return std::make_pair(rig().operationCount(0x9128), rig().operationCount(0x9129)); };
  const int shots = maker.shots(rig());
  const auto beforeClick = captureOps();
  ASSERT_TRUE(guitest::click(panel()->oCaptureButton));
  ASSERT_TRUE(waitUntil([&] { return maker.shots(rig()) == shots + 1; }));
  ASSERT_TRUE(idle());
  const auto afterClick = captureOps();
  holdSpace();
  ASSERT_TRUE(waitUntil([&] { return maker.shots(rig()) == shots + 2; }));
  settle();
  ASSERT_TRUE(idle());
  EXPECT_EQ(maker.shots(rig()), shots + 2) << "one picture for the whole hold";
  EXPECT_FALSE(panel()->isSpaceShutterHeld());
  if (camIsCanon()) {
    const auto afterHold = captureOps();
    EXPECT_EQ(afterHold.first - afterClick.first, afterClick.first - beforeClick.first) << "presses as a click's";
    EXPECT_EQ(afterHold.second - afterClick.second, afterClick.second - beforeClick.second) << "releases as a click's";
    auto canon = rig().cameraAs<devicesim::CanonCamera>();
    EXPECT_TRUE(waitUntil([&] { return !canon->fullPressed() && !canon->halfPressed(); }));
  }

  // ISO: on the D850 automatic ISO is turned off on the body first, which gives the button back to ISO.
  if (camIsNikon()) {
    rig().cameraAs<devicesim::NikonCamera>()->turnDial(0xD16A, 1);
    ASSERT_TRUE(waitUntil([&] { return codeOn(panel()->oIsoButton) == 0x500F; }));
  }
  PropertyController* iso = controllerOn(panel()->oIsoButton);
  ASSERT_NE(iso, nullptr);
  controls_testing::isoGridRoundTrip(rig(), maker.body, iso, alerts());
}

INSTANTIATE_TEST_SUITE_P(EveryMaker, CameraControlsMakerTest, ::testing::ValuesIn(kMakers),
                         [](const auto& info) { return std::string(info.param.body.vendor); });

// --- the exposure picker ------------------------------------------------------------------------------------------

// Opens the picker with a click on the exposure button, moves the carousel three steps (a stop) right with the
// keyboard,
// widens the bracket by one step and presses Set.
void pickAStopUpAndWidenTheBracket(CameraControlsTest& t, CameraControlsViewController* panel,
                                      uint32_t* chosenValue) {
  ASSERT_TRUE(controls_testing::pressWhenFree(panel->oExposureCompButton));
  ASSERT_TRUE(guitest::Harness::waitUntil([&] {
    return panel->exposureCompPopover() && panel->exposureCompPopover()->isVisible() &&
           panel->exposureCompPicker()->oCarouselView->isVisible();
  }));
  AdjustExposureCompViewController* picker = panel->exposureCompPicker();
  iCarousel* carousel = picker->oCarouselView;
  const int64_t start = picker->initialIndex();
  ASSERT_EQ(carousel->currentItemIndex(), start);
  EXPECT_FALSE(picker->oSetButton->isEnabled());
  // Shown and at rest (the carousel settles on its item as it is laid out).
  ASSERT_TRUE(guitest::Harness::waitUntil([&] {
    return picker->appearance() == platform::ViewController::Appearance::Appeared && !carousel->scrolling();
  }));
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(guitest::keyClick(carousel, Qt::Key_Right));
    ASSERT_TRUE(guitest::Harness::waitUntil([&] { return carousel->currentItemIndex() == start + i + 1 && !carousel->scrolling(); }));
  }
  ASSERT_TRUE(guitest::click(picker->oArrowsOutButton));
  EXPECT_TRUE(picker->oSetButton->isEnabled());
  *chosenValue = picker->selectedValue();
  ASSERT_TRUE(guitest::click(picker->oSetButton));
  (void)t;
}

TEST_F(CameraControlsTest, CanonPickersSetReachesTheBodyWithItsBracketAndTheScaleShowsTheShots) {
  connectBody("canon");
  auto canon = rig().cameraAs<devicesim::CanonCamera>();
  uint32_t chosen = 0;
  pickAStopUpAndWidenTheBracket(*this, panel(), &chosen);
  EXPECT_EQ(chosen, canonEvFloatToCode(1.0f));
  ASSERT_TRUE(waitUntil([&] { return canon->propertyValue(0xD104) == chosen; }));
  // A third of a stop either side: the body's code for it.
  ASSERT_TRUE(waitUntil([&] { return canon->propertyValue(0xD1D9) == 3u; }));
  EXPECT_TRUE(controls_testing::shownAlerts(alerts()).empty());
  // The body reports both: the scale is centred on the new value with a bar for each bracketed shot.
  ExposureCompView* scale = panel()->oExposureCompensationView;
  ASSERT_TRUE(waitUntil([&] { return scale->exposureOffset() == 1.0f && scale->bracketViews().size() == 2; }));
  EXPECT_EQ(scale->spacing(), 3);
  // The picker stays open until the button is clicked again.
  ASSERT_NE(panel()->exposureCompPopover(), nullptr);
  ASSERT_TRUE(controls_testing::pressWhenFree(panel()->oExposureCompButton));
  EXPECT_EQ(panel()->exposureCompPopover(), nullptr);

  // A refused bracket says so with the bracketing property's name.
  canon->propertySets().refuseNext(0xD1D9, 0x2005);
  pickAStopUpAndWidenTheBracket(*this, panel(), &chosen);
  ASSERT_TRUE(waitUntil([&] { return !controls_testing::shownAlerts(alerts()).empty(); }));
  EXPECT_EQ(controls_testing::shownAlerts(alerts()).front().message.rfind(
                controls::propertySetErrorText(controls::propertyDisplayName(0xD1D9)), 0),
            0u)
      << controls_testing::shownAlerts(alerts()).front().message;
}

TEST_F(CameraControlsTest, NikonPickersSetReachesTheBodyAndTurnsItsBracketingOn) {
  connectBody("nikon");
  auto nikon = rig().cameraAs<devicesim::NikonCamera>();
  ASSERT_EQ(nikon->value(0xD0C0), 0);
  uint32_t chosen = 0;
  pickAStopUpAndWidenTheBracket(*this, panel(), &chosen);
  ASSERT_TRUE(waitUntil([&] { return uint32_t(uint16_t(nikon->value(0x5010))) == chosen; }));
  EXPECT_EQ(nikon->value(0x5010), 1000) << "a stop in the body's thousandths";
  ASSERT_TRUE(waitUntil([&] { return nikon->value(0xD0C0) == 1; }));
  EXPECT_EQ(nikon->value(0xD0C1), 0) << "the body's step of a third";
  EXPECT_TRUE(controls_testing::shownAlerts(alerts()).empty());
}

TEST_F(CameraControlsTest, WithoutStepsPerStopTheExposureButtonOpensNothing) {
  connectBody("sony");
  // Sony's compensation is an ordinary property button; its scale has no steps, so the picker never opens.
  panel()->showExposurePopup(panel()->oExposureCompButton);
  settle();
  EXPECT_EQ(panel()->exposureCompPopover(), nullptr);
}

// --- Nikon: movie rebinding and the exposure indicator -------------------------------------------------------------

TEST_F(CameraControlsTest, NikonMovieModeHandsTheExposureButtonsToTheMovieSettingsAndBack) {
  connectBody("nikon");
  auto nikon = rig().cameraAs<devicesim::NikonCamera>();
  nikon->turnDial(0xD16A, 1);  // automatic ISO off: ISO holds its button
  ASSERT_TRUE(waitUntil([&] { return codeOn(panel()->oIsoButton) == 0x500F; }));
  // Manual exposure: the body's indicator moves the scale, in sixths of a stop (0xFA = -6).
  nikon->turnDial(0x500E, 1);
  nikon->turnDial(0xD1B1, 0xFA);
  ExposureCompView* scale = panel()->oExposureCompensationView;
  ASSERT_TRUE(waitUntil([&] { return scale->exposureOffset() == -1.0f; }));

  const struct {
    SYFlatButton* button;
    uint32_t role, movie;
  } pairs[] = {{panel()->oShutterSpeedButton, 0xD100, 0xD1A8},
               {panel()->oApertureButton, 0x5007, 0xD1A9},
               {panel()->oIsoButton, 0x500F, 0xD1AA}};
  ASSERT_TRUE(guitest::click(panel()->oVideoToggleButton));
  ASSERT_TRUE(waitUntil([] { return CameraController::instance().liveViewStatus() == 2; }));
  for (const auto& p : pairs) ASSERT_TRUE(waitUntil([&] { return codeOn(p.button) == p.movie; })) << std::hex << p.movie;
  for (const auto& p : pairs) EXPECT_EQ(panel()->propertyControllerForPropertyCode(p.role)->button(), nullptr);
  EXPECT_EQ(panel()->oVideoToggleButton->state(), 1);
  EXPECT_EQ(panel()->oCaptureButton->title(), QStringLiteral("Start Recording"));
  ASSERT_TRUE(idle());
  // In movie mode the movie compensation moves the scale; the still one and the indicator do not.
  nikon->turnDial(0xD1AB, 666);
  ASSERT_TRUE(waitUntil([&] { return std::abs(scale->exposureOffset() - 0.666f) < 0.01; }));
  nikon->turnDial(0x5010, -1000);
  nikon->turnDial(0xD1B1, 0x06);
  ASSERT_TRUE(waitUntil([&] { return nikon->value(0xD1B1) == 6; }));
  ASSERT_TRUE(idle());
  settle();
  ASSERT_TRUE(idle());
  EXPECT_NEAR(scale->exposureOffset(), 0.666f, 0.01);

  ASSERT_TRUE(controls_testing::pressWhenFree(panel()->oVideoToggleButton));
  ASSERT_TRUE(waitUntil([] { return CameraController::instance().liveViewStatus() == 0; }));
  for (const auto& p : pairs) ASSERT_TRUE(waitUntil([&] { return codeOn(p.button) == p.role; })) << std::hex << p.role;
  // Leaving movie mode puts the still compensation back on the scale, and the body reports its settings anew; the
  // readings of those reports land in any order. Two polls later they have all been taken, and once the panel is
  // idle they are on the scale: none of them can then overwrite the indicator's next reading.
  const size_t polls = rig().commandCount(0x82);
  ASSERT_TRUE(waitUntil([&] { return rig().commandCount(0x82) >= polls + 2; }));
  settle();
  ASSERT_TRUE(idle());
  // Out of movie mode the indicator moves the scale again.
  nikon->turnDial(0xD1B1, 0xF4);
  ASSERT_TRUE(waitUntil([&] { return scale->exposureOffset() == -2.0f; }));
}

// --- Canon's own exposure reading ---------------------------------------------------------------------------------

TEST_F(CameraControlsTest, CanonsOwnReadingTakesTheScaleWhileTheCameraOffersNoCompensation) {
  connectBody("canon");
  auto canon = rig().cameraAs<devicesim::CanonCamera>();
  ExposureCompView* scale = panel()->oExposureCompensationView;
  // With compensation offered, the reading is not shown.
  canon->showOnScreenExposure(0x0B);
  ASSERT_TRUE(idle());
  settle();
  ASSERT_TRUE(idle());
  EXPECT_FALSE(panel()->isDisplayingOlcInfo());

  // No compensation to offer (as in manual exposure): the body's reading takes the scale, and clears 3.5 s after
  // the last reading.
  devicesim::CanonSimProperty comp = *canon->property(0xD104);
  comp.allowed.clear();
  canon->setProperty(comp);
  ASSERT_TRUE(waitUntil([] { return camExposureCompMax(0) == 0.0f; }));
  canon->showOnScreenExposure(0x0B);
  ASSERT_TRUE(waitUntil([&] { return panel()->isDisplayingOlcInfo(); }));
  ASSERT_TRUE(idle());
  EXPECT_NEAR(scale->exposureOffset(), canonEvCodeToFloat(0x0B), 1e-4);
  EXPECT_EQ(scale->maxExposureComp(), 12.0f);
  EXPECT_EQ(scale->minExposureComp(), -12.0f);
  EXPECT_TRUE(panel()->isOlcClearPending());
  // While it shows, a compensation change leaves the scale alone.
  postFromEventThread(changed(0xD104));
  ASSERT_TRUE(idle());
  EXPECT_NEAR(scale->exposureOffset(), canonEvCodeToFloat(0x0B), 1e-4);
  ASSERT_TRUE(waitUntil([&] { return !panel()->isDisplayingOlcInfo(); }));
  ASSERT_TRUE(idle());
  EXPECT_EQ(scale->exposureOffset(), 0.0f);

  // Readings off the scale light the arrow of their side, the offset at 0.
  const struct {
    int32_t reading;
    bool right, left;
  } overflow[] = {{99999, true, false}, {-99999, false, true}};
  for (const auto& o : overflow) {
    postFromEventThread("JW_Olc_64", platform::Value(static_cast<uint32_t>(o.reading)));
    ASSERT_TRUE(waitUntil([&] { return scale->rightOverflow() == o.right && scale->leftOverflow() == o.left; }))
        << o.reading;
    EXPECT_TRUE(panel()->isDisplayingOlcInfo());
    EXPECT_EQ(scale->exposureOffset(), 0.0f);
  }
  // The 1D X Mark III and R5 Mark II rows: a zero reading clears at once; others keep no pending clear.
  for (uint8_t model : {uint8_t{229}, uint8_t{251}}) {
    camSetModelIndex(model);
    postFromEventThread("JW_Olc_64", platform::Value(uint32_t{0x10}));
    ASSERT_TRUE(waitUntil([&] { return panel()->isDisplayingOlcInfo() && std::abs(scale->exposureOffset() - 2.0f) < 1e-4; }));
    EXPECT_FALSE(scale->rightOverflow() || scale->leftOverflow());
    postFromEventThread("JW_Olc_64", platform::Value(uint32_t{0}));
    ASSERT_TRUE(waitUntil([&] { return !panel()->isDisplayingOlcInfo(); })) << int(model);
  }
}

// --- bulb clock -----------------------------------------------------------------------------------------------

TEST_F(CameraControlsTest, TheBulbClockCountsMinutesAndSecondsWithoutALimitOnTheMinutes) {
  connectBody("canon");
  auto clock = std::make_shared<platform::testing::ManualTimeSource>();
  platform::ScopedTimeSource scoped(clock);
  postFromEventThread(kBulbCaptureToggledNotification, true);
  ASSERT_TRUE(waitUntil([&] { return panel()->isBulbClockRunning(); }));
  SYFlatButton* capture = panel()->oCaptureButton;
  EXPECT_EQ(capture->title(), QStringLiteral("00:00"));
  EXPECT_FALSE(panel()->oHalfPressButton->isEnabled());
  const struct {
    double at;
    const char* shows;
  } clockFace[] = {{59, "00:59"}, {61, "01:01"}, {3599, "59:59"}, {6000, "100:00"}};
  double now = 0;
  for (const auto& c : clockFace) {
    clock->advance(c.at - now);
    now = c.at;
    EXPECT_EQ(capture->title().toStdString(), c.shows);
  }
  postFromEventThread(kBulbCaptureToggledNotification, false);
  ASSERT_TRUE(waitUntil([&] { return !panel()->isBulbClockRunning(); }));
  EXPECT_EQ(capture->title(), QStringLiteral("Capture"));
  EXPECT_TRUE(panel()->oHalfPressButton->isEnabled());
  clock->advance(5);
  EXPECT_EQ(capture->title(), QStringLiteral("Capture"));
}

// --- AF/MF -------------------------------------------------------------------------------------------------------

TEST_F(CameraControlsTest, CanonsAfMfToggleSwitchesTheFocusModeAndALensSetToMfShowsMfDisabled) {
  connectBody("canon");
  ToggleButton* toggle = panel()->oAfToggleButton;
  ASSERT_TRUE(toggle->isEnabled());
  ASSERT_EQ(toggle->state(), 1);
  ASSERT_TRUE(controls_testing::pressWhenFree(toggle));
  ASSERT_TRUE(idle());
  EXPECT_TRUE(camIsManualFocus());
  EXPECT_EQ(toggle->state(), 0);
  ASSERT_TRUE(controls_testing::pressWhenFree(toggle));
  ASSERT_TRUE(idle());
  EXPECT_FALSE(camIsManualFocus());
  EXPECT_EQ(toggle->state(), 1);
  EXPECT_TRUE(controls_testing::shownAlerts(alerts()).empty());
  // The lens's own switch at MF (focus mode 3): the toggle shows MF and cannot be used.
  rig().cameraAs<devicesim::CanonCamera>()->changeOnCamera(0xD108, 3);
  ASSERT_TRUE(waitUntil([&] { return toggle->state() == 0; }));
  EXPECT_FALSE(toggle->isEnabled());
}

// --- the space bar: only while the window has the keyboard, and always let go --------------------------------------

TEST_F(CameraControlsTest, TheSpaceBarPressesOnlyInTheKeyWindowAndLetsGoWhenTheWindowLosesTheKeyboard) {
  connectBody("canon");
  auto canon = rig().cameraAs<devicesim::CanonCamera>();
  const int shots = canon->shots();
  platform::Window other;
  other.setFrame({400, 300, 200, 100});

  // Another window has the keyboard: the space goes there, no picture.
  ASSERT_TRUE(guitest::showWindow(&other));
  QTest::simulateEvent(other.windowHandle(), true, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), false);
  QTest::simulateEvent(other.windowHandle(), false, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), false);
  ASSERT_TRUE(idle());
  EXPECT_FALSE(panel()->isSpaceShutterHeld());

  // The shutter button is disabled: nothing either.
  ASSERT_TRUE(guitest::showWindow(host_->window()));
  panel()->oCaptureButton->setEnabled(false);
  space(true);
  space(false);
  ASSERT_TRUE(idle());
  EXPECT_EQ(canon->shots(), shots);
  panel()->oCaptureButton->setEnabled(true);

  // Held, then the window loses the keyboard: the shutter is let go at once, and the key-up that follows in the
  // other window lets go of nothing more.
  space(true);
  ASSERT_TRUE(waitUntil([&] { return canon->shots() == shots + 1; }));
  EXPECT_TRUE(panel()->isSpaceShutterHeld());
  const size_t releases = rig().operationCount(0x9129);
  ASSERT_TRUE(guitest::showWindow(&other));
  ASSERT_TRUE(waitUntil([&] { return !panel()->isSpaceShutterHeld(); }));
  ASSERT_TRUE(waitUntil([&] { return !canon->fullPressed() && !canon->halfPressed(); }));
  ASSERT_TRUE(idle());
  const size_t released = rig().operationCount(0x9129);
  EXPECT_GT(released, releases);
  QTest::simulateEvent(other.windowHandle(), false, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), false);
  ASSERT_TRUE(idle());
  settle();
  EXPECT_EQ(rig().operationCount(0x9129), released);
  EXPECT_EQ(canon->shots(), shots + 1);
}

// --- automation panels -----------------------------------------------------------------------------------------

TEST_F(CameraControlsTest, AutomationPanelsOpenInTheCommonStyleOnePerSlotAndAnUnwiredOneOpensNothing) {
  int hdrMade = 0, timerMade = 0;
  std::map<AutomationPanel, TestAutomationPanel*> made;
  const auto factory = [&](AutomationPanel kind, int* count) {
    return [&made, kind, count] {
      ++*count;
      auto panel = std::make_unique<TestAutomationPanel>();
      made[kind] = panel.get();
      TestAutomationPanel* raw = panel.get();
      return AutomationPanelController{std::move(panel), [raw](SFBPopover* p) { raw->popover = p; }};
    };
  };
  CameraControlsViewController::setAutomationPanelFactory(AutomationPanel::Hdr, factory(AutomationPanel::Hdr, &hdrMade));
  CameraControlsViewController::setAutomationPanelFactory(AutomationPanel::Tripod, nullptr);
  CameraControlsViewController::setAutomationPanelFactory(AutomationPanel::Timer,
                                                          factory(AutomationPanel::Timer, &timerMade));
  connectBody("canon");

  ASSERT_TRUE(guitest::click(panel()->oHdrButton));
  ASSERT_TRUE(waitUntil([&] { return panel()->tabPopover() && panel()->tabPopover()->isVisible(); }));
  SFBPopover* hdr = panel()->tabPopover();
  EXPECT_EQ(hdr->contentViewController(), made[AutomationPanel::Hdr]);
  EXPECT_EQ(made[AutomationPanel::Hdr]->popover, hdr) << "the panel is handed its popover";
  EXPECT_EQ(hdr->borderColor(), platform::Color::clear());
  EXPECT_EQ(hdr->borderWidth(), 0);
  EXPECT_EQ(hdr->distance(), 12);
  EXPECT_EQ(hdr->backgroundColor(), platform::Color::rgb(0, 0, 0, 0.2));
  EXPECT_TRUE(hdr->animates());
  EXPECT_EQ(hdr->position(), SFBPopoverPositionBottomLeft);
  // The arrow points at the middle of the HDR button.
  const platform::Point tip = hdr->popoverWindow()->frame().origin +
                              hdr->popoverWindow()->popoverWindowFrame()->attachmentPoint();
  const QPoint centre = panel()->oHdrButton->mapToGlobal(panel()->oHdrButton->rect().center());
  const platform::Point expected = platform::screenPointFromQt(QPointF(centre) + QPointF(0.5, 0.5));
  EXPECT_NEAR(tip.x, expected.x, 1.5);
  EXPECT_NEAR(tip.y, expected.y, 1.5);

  // The timer shares the slot: while the HDR panel shows, its button does nothing.
  ASSERT_TRUE(guitest::click(panel()->oTimerButton));
  settle();
  EXPECT_EQ(timerMade, 0);
  EXPECT_EQ(panel()->tabPopover(), hdr);
  // A kind without a panel: nothing opens, nothing breaks.
  ASSERT_TRUE(guitest::click(panel()->oTripodButton));
  settle();
  EXPECT_EQ(panel()->tabPopover(), hdr);

  hdr->closePopover();
  ASSERT_TRUE(waitUntil([&] { return !hdr->isVisible(); }));
  ASSERT_TRUE(guitest::click(panel()->oTimerButton));
  ASSERT_TRUE(waitUntil([&] { return panel()->tabPopover() && panel()->tabPopover()->isVisible(); }));
  EXPECT_EQ(timerMade, 1);
  EXPECT_EQ(panel()->tabPopover()->contentViewController(), made[AutomationPanel::Timer]);
  panel()->tabPopover()->closePopover();
  ASSERT_TRUE(waitUntil([&] { return !panel()->tabPopover()->isVisible(); }));
  // The HDR panel's controller is made once and shown again.
  ASSERT_TRUE(guitest::click(panel()->oHdrButton));
  ASSERT_TRUE(waitUntil([&] { return panel()->tabPopover() && panel()->tabPopover()->isVisible(); }));
  EXPECT_EQ(hdrMade, 1);
  EXPECT_EQ(panel()->tabPopover()->contentViewController(), made[AutomationPanel::Hdr]);
}

TEST_F(CameraControlsTest, EachAutomationButtonOpensTheProgramsOwnPanel) {
  connectBody("canon");
  struct Row {
    SYFlatButton* button;
    std::function<bool(platform::ViewController*)> isIts;
  } rows[] = {
      {panel()->oFocusStackButton, [](platform::ViewController* c) { return dynamic_cast<FocusStackViewController*>(c); }},
      {panel()->oHdrButton, [](platform::ViewController* c) { return dynamic_cast<HdrViewController*>(c); }},
      {panel()->oTimerButton, [](platform::ViewController* c) { return dynamic_cast<TimerViewController*>(c); }},
      {panel()->oTripodButton, [](platform::ViewController* c) { return dynamic_cast<QY_TripodViewController*>(c); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.button->objectName().toStdString());
    ASSERT_TRUE(guitest::click(row.button));
    const auto popover = [&] {
      return row.button == panel()->oFocusStackButton ? panel()->focusPopover() : panel()->tabPopover();
    };
    ASSERT_TRUE(waitUntil([&] { return popover() && popover()->isVisible(); }));
    SFBPopover* shown = popover();
    EXPECT_TRUE(row.isIts(shown->contentViewController()));
    shown->closePopover();
    ASSERT_TRUE(waitUntil([&] { return !shown->isVisible(); }));
  }
}

// --- Fujifilm: host mode and the focus dot ---------------------------------------------------------------------

TEST_F(CameraControlsTest, FujifilmHostModeOffDisablesTheShootingControlsAndTheFocusDotHidesItself) {
  session_testing::NotificationLog hostMode({kHostModeUpdateNotification});
  connectBody("fuji");
  // The session's own "host mode on" comes first: arriving after the change below, it would undo it.
  ASSERT_TRUE(waitForPosts(hostMode, kHostModeUpdateNotification));
  CameraControlsViewController* p = panel();
  const std::vector<QWidget*> controls = {p->oCaptureButton,       p->oHalfPressButton, p->oLiveViewToggleButton,
                                          p->oVideoToggleButton,   p->oAfToggleButton,  p->oTimerButton,
                                          p->oHdrButton};
  postFromEventThread(kHostModeUpdateNotification, false);
  ASSERT_TRUE(waitUntil([&] { return !p->oCaptureButton->isEnabled(); }));
  for (QWidget* w : controls) EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
  EXPECT_FALSE(p->oFocusStackButton->isEnabled());
  EXPECT_EQ(*p->oCaptureButton->backgroundNormalColor(), platform::Color::rgb(0.6, 0.6, 0.6, 1.0));
  EXPECT_EQ(*p->oHalfPressButton->backgroundNormalColor(), platform::Color::rgb(0.6, 0.6, 0.6, 1.0));
  postFromEventThread(kHostModeUpdateNotification, true);
  ASSERT_TRUE(waitUntil([&] { return p->oCaptureButton->isEnabled(); }));
  EXPECT_TRUE(p->oHalfPressButton->isEnabled());
  EXPECT_TRUE(p->oTimerButton->isEnabled());
  EXPECT_EQ(*p->oCaptureButton->backgroundNormalColor(), platform::Color::rgb(1.0, 0.23, 0.19, 1.0));
  EXPECT_EQ(*p->oHalfPressButton->backgroundNormalColor(), platform::Color::rgb(1.0, 0.8, 0.0, 1.0));

  // Focus found: the dot shows, and goes 3 s later by itself.
  auto fuji = rig().cameraAs<devicesim::FujiCamera>();
  fuji->changeOnCamera(0xD209, 2);
  ASSERT_TRUE(waitUntil([&] { return p->oFocusIndicatorView->isVisible(); }));
  ASSERT_TRUE(waitUntil([&] { return !p->oFocusIndicatorView->isVisible(); }));
}

// --- lifetimes -----------------------------------------------------------------------------------------------------

TEST_F(CameraControlsTest, TheSessionsEndEndsTheControllersAndTheNextSessionMakesThemAgain) {
  connectBody("canon");
  SYFlatButton* isoButton = panel()->oIsoButton;
  ASSERT_NE(codeOn(isoButton), 0u);
  postFromEventThread(kVorlaxentConnectionStatusNotification, int32_t{2});
  ASSERT_TRUE(waitUntil([&] { return panel()->propertyControllers().empty(); }));
  // The button belongs to nothing: a click opens no picker.
  ASSERT_TRUE(guitest::click(isoButton));
  settle();
  for (QWidget* w : QApplication::topLevelWidgets())
    EXPECT_FALSE(w->isVisible() && dynamic_cast<platform::Window*>(w) && w != host_->window())
        << w->metaObject()->className();
  postFromEventThread(kSessionStartedNotification);
  ASSERT_TRUE(waitUntil([&] { return codeOn(isoButton) == 0xD103; }));
}

TEST_F(CameraControlsTest, NothingQueuedOrDelayedReachesAPanelThatIsGone) {
  connectBody("fuji");
  // Work in flight of every kind: global-queue reads, main-queue hops, the focus dot's delayed hide.
  rig().cameraAs<devicesim::FujiCamera>()->changeOnCamera(0xD209, 2);
  ASSERT_TRUE(waitUntil([&] { return panel()->oFocusIndicatorView->isVisible(); }));
  const VendorPropertyCodes roles = camVendorPropertyCodes();
  std::thread poster([roles] {
    for (int i = 0; i < 20; ++i) {
      platform::NotificationCenter::defaultCenter().postNotificationName(changed(roles.exposureCompensation));
      platform::NotificationCenter::defaultCenter().postNotificationName(changed(roles.exposureMode));
      platform::NotificationCenter::defaultCenter().postNotificationName(kLiveViewToggledNotification, true);
    }
  });
  panel()->propertyUpdated(roles.exposureCompensation);
  poster.join();
  host_.reset();
  // The hide would have come 3 s after the dot showed; the reads come back within moments.
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(600);
  waitUntil([&] { return std::chrono::steady_clock::now() >= until; });
}

}  // namespace
