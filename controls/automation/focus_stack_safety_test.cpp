// What a focus stack must never do: run with fewer than two shots or without a step between them, wait for a busy
// lens without end, go on (and end as complete) in autofocus, reach a panel that was closed and released, or lose
// a lens position past 32,767 steps.
#include <QComboBox>
#include <future>

#include "controls/automation/focus_stack_state.h"
#include "controls/automation/focus_stack_test_fixture.h"
#include "devicesim/canon_camera.h"
#include "devicesim/nikon_camera.h"
#include "devicesim/sony_camera.h"
#include "engine/vendors/dispatch.h"
#include "engine/vendors/nikon/nikon_operations.h"
#include "session/ptp_errors.h"

namespace focus_stack_testing {
namespace {

class FocusStackSafetyTest : public FocusPanelTest {
 protected:
  void openCanon() {
    ASSERT_TRUE(connect("canon"));
    ASSERT_TRUE(liveViewOn());
    CameraController::updateFocalLength(50);
    showPanel();
  }
  // Both points set, 80 small steps apart, the advanced section open.
  void setPoints() {
    click("oSetStartButton");
    nudge("oMediumFartherChangeButton");
    click("oSetEndButton");
    click("oShowAdvancedButton");
  }
};

TEST_F(FocusStackSafetyTest, RunsWithoutTwoShotsOrAStepAreRefused) {
  defaults().setInteger(2, "FocusStackingIncrementSize");
  openCanon();
  auto canon = rig().cameraAs<devicesim::CanonCamera>();
  setPoints();
  EXPECT_NE(panel().oNumShotsTextField->text(), "0") << "the aperture and focal length give a shot count";
  const int shots = canon->shots();

  for (const char* typed : {"1", "0", "-4", "many"}) {
    SCOPED_TRACE(typed);
    type(panel().oNumShotsTextField, typed);
    const size_t before = alerts().count();
    click("oStartButton");
    ASSERT_TRUE(waitForAlert(text("FocusStackInvalidShots"), before));
    EXPECT_FALSE(panel().isRunning());
  }

  // A correction factor of 0 leaves no step between shots: the panel says so and shows no count.
  size_t before = alerts().count();
  defaults().setDouble(0, "FocusStackCorrectionFactor");
  settle();
  click("oSetEndButton");  // cleared
  click("oSetEndButton");  // set again: the counts are worked out and reported
  ASSERT_TRUE(waitForAlert(text("FocusStackInvalidStep"), before));
  EXPECT_EQ(panel().oNumShotsTextField->text(), "0");
  EXPECT_EQ(panel().oStepSizeTextField->text(), "0");
  before = alerts().count();
  click("oStartButton");
  ASSERT_TRUE(waitForAlert(text("FocusStackInvalidShots"), before));

  // The classic count is checked as well.
  defaults().setBool(true, "ClassicFocusStacking");
  settle();
  ASSERT_TRUE(panel().oClassicStackView->isVisible());
  type(panel().oClassicNumShotsTextField, "1");
  before = alerts().count();
  click("oClassicStartButton");
  ASSERT_TRUE(waitForAlert(text("FocusStackInvalidShots"), before));
  settle();
  EXPECT_EQ(canon->shots(), shots) << "no picture was taken";
}

TEST_F(FocusStackSafetyTest, ABusyLensIsAskedAgainForALimitedTime) {
  defaults().setInteger(1, "FocusStackingIncrementSize");
  openCanon();
  auto canon = rig().cameraAs<devicesim::CanonCamera>();

  // Busy twice, then it moves.
  canon->busyLensDrives(2);
  nudge("oSmallFartherChangeButton");
  EXPECT_EQ(panel().currentSteps(), -1);
  EXPECT_EQ(canon->lensTravel(), -1);
  EXPECT_EQ(alerts().count(), 0u);

  // Busy for good: after ten seconds of asking the nudge gives up with the busy answer, and the points go.
  click("oSetStartButton");
  canon->busyLensDrives(1000000);
  const size_t before = alerts().count();
  click("oSmallFartherChangeButton");
  ASSERT_TRUE(waitForAlert(text("FocusDriveFailure"), before));
  ASSERT_TRUE(waitUntil([&] { return !panel().nearPointSet(); }));
  EXPECT_NE(messagesSince(before).front().find(PtpErrors::stringForResponseCode(0x2019)), std::string::npos)
      << messagesSince(before).front();
  EXPECT_EQ(canon->lensTravel(), -1);
  canon->busyLensDrives(0);
}

TEST_F(FocusStackSafetyTest, ARunThatCannotSwitchToManualFocusStops) {
  // A body that switches to manual focus through a setting of its own (AF-S priority).
  devicesim::NikonCameraOptions options;
  options.body = devicesim::NikonBody::D90;
  ASSERT_TRUE(connect(std::make_shared<devicesim::NikonCamera>(options)));
  ASSERT_TRUE(liveViewOn());
  auto nikon = rig().cameraAs<devicesim::NikonCamera>();
  nikon->turnDial(0x500E, 3);
  defaults().setBool(true, "ClassicFocusStacking");
  defaults().setDouble(0, "SequenceDelay");
  showPanel();
  ASSERT_TRUE(nikonIsAutoFocus(true)) << "a Nikon body starts a stack in autofocus";
  ASSERT_FALSE(camIsManualFocus());
  const int shots = nikon->shots();
  // Every property set refused from now on: the switch to manual focus fails.
  nikon->propertySets().refuseNext(0, 0x2019, 1000);
  const size_t before = alerts().count();
  click("oClassicStartButton");
  ASSERT_TRUE(waitForAlert("Failed to toggle focus to not re-adjust focus with capture.", before));
  ASSERT_TRUE(waitForRunEnd());
  EXPECT_FALSE(alertShown(text("FocusStackingComplete"), before));
  EXPECT_EQ(nikon->shots(), shots);
  nikon->propertySets().refuseNext(0, 0x2019, 0);
}

TEST_F(FocusStackSafetyTest, ANikonRunStartsOnlyInAutofocus) {
  ASSERT_TRUE(connect("nikon"));
  ASSERT_TRUE(liveViewOn());
  auto nikon = rig().cameraAs<devicesim::NikonCamera>();
  nikon->turnDial(0x500E, 3);
  nikon->turnDial(0xD061, 3);  // the lens switched to manual focus
  ASSERT_TRUE(waitUntil([] { return !nikonIsAutoFocus(true); }));
  defaults().setBool(true, "ClassicFocusStacking");
  showPanel();
  const int shots = nikon->shots();
  const size_t before = alerts().count();
  click("oClassicStartButton");
  ASSERT_TRUE(waitForAlert(text("SetAfFocus"), before));
  EXPECT_FALSE(panel().isRunning());
  EXPECT_EQ(nikon->shots(), shots);
}

TEST_F(FocusStackSafetyTest, AReleasedPanelIsNeverReachedByItsRun) {
  ASSERT_TRUE(connect("sony"));
  auto sony = rig().cameraAs<devicesim::SonyCamera>();
  sony->setPropertyValue(0x500A, 1);
  ASSERT_TRUE(waitUntil([] { return camIsManualFocus(); }));
  ASSERT_TRUE(liveViewOn());
  defaults().setDouble(0, "SequenceDelay");
  showPanel();
  type(panel().oClassicNumShotsTextField, "3");
  const int shots = sony->shots();
  const size_t before = alerts().count();
  click("oClassicStartButton");
  ASSERT_TRUE(waitUntil([&] { return panel().oFeedbackProgressIndicator->value() >= 1; }));
  // The user closes the popover and the capture panel lets the panel go while the engine goes on.
  closePanel();
  ASSERT_TRUE(waitForAlert(text("FocusStackingComplete"), before));
  settle();
  EXPECT_EQ(sony->shots(), shots + 3);
  ASSERT_TRUE(Utilities::tryLockLiveView(2000)) << "the run gave the live-view lock back";
  Utilities::unlockLiveView();
}

TEST_F(FocusStackSafetyTest, PositionsFarBeyondSixteenBitsKeepTheirValue) {
  defaults().setInteger(1, "FocusStackingIncrementSize");
  ASSERT_TRUE(connect("canon"));
  auto canon = rig().cameraAs<devicesim::CanonCamera>();
  auto state = std::make_shared<focus_stack::State>();
  state->nearStep = 40000;
  state->farStep = 39000;
  // Positioning runs on a worker, as the panel's go-to buttons and runs do.
  auto moveTo = [&](int point) {
    return std::async(std::launch::async, [&] { return focus_stack::moveToPosition(*state, {}, point); }).get();
  };
  const int64_t start = canon->lensTravel();
  ASSERT_EQ(moveTo(1), PTP_RC_OK);
  EXPECT_EQ(state->currentSteps.load(), 40000);
  EXPECT_EQ(canon->lensTravel() - start, 40000);
  ASSERT_EQ(moveTo(2), PTP_RC_OK);
  EXPECT_EQ(state->currentSteps.load(), 39000);
  EXPECT_EQ(canon->lensTravel() - start, 39000);
  EXPECT_EQ(alerts().count(), 0u);
}

}  // namespace
}  // namespace focus_stack_testing
