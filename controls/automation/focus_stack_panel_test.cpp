// The focus-stacking panel used as a user uses it, against a stand-in body of each vendor: nudges that move the
// lens by the vendor's step counts, end points that keep the near one before the far one, an end-point run that
// takes its pictures at the lens positions between the points, a cancelled run, and the classic way.
#include <QComboBox>
#include <QLabel>
#include <cmath>

#include "controls/automation/focus_stack_test_fixture.h"
#include "devicesim/canon_camera.h"
#include "devicesim/fuji_camera.h"
#include "devicesim/nikon_camera.h"
#include "devicesim/sony_camera.h"
#include "engine/vendors/dispatch.h"
#include "engine/vendors/fujifilm/fuji_models.h"
#include "engine/vendors/nikon/nikon_properties.h"
#include "platform/ui/testing/manual_time_source.h"
#include "widgets/color_view.h"

namespace focus_stack_testing {
namespace {

// Where the lens of the connected body is, in the panel's direction (toward the near end positive): Canon's
// travel in small steps, Nikon's drive position turned round (its near end is 0), Fujifilm's focus position.
int64_t lensOf(guitest::CameraRig& rig) {
  if (auto canon = rig.cameraAs<devicesim::CanonCamera>()) return canon->lensTravel();
  if (auto nikon = rig.cameraAs<devicesim::NikonCamera>()) return -nikon->focusPosition();
  if (auto fuji = rig.cameraAs<devicesim::FujiCamera>()) return fuji->property(0xD171)->current;
  return 0;
}

// The same at each picture taken.
std::vector<int64_t> shotPositions(guitest::CameraRig& rig) {
  if (auto canon = rig.cameraAs<devicesim::CanonCamera>()) return canon->shotLensTravel();
  std::vector<int64_t> out;
  if (auto nikon = rig.cameraAs<devicesim::NikonCamera>()) {
    for (int64_t p : nikon->shotFocusPositions()) out.push_back(-p);
  }
  if (auto fuji = rig.cameraAs<devicesim::FujiCamera>()) out = fuji->shotFocusPositions();
  return out;
}

class FocusStackPanelTest : public FocusPanelTest {
 protected:
  // The vendor's body connected with live view on (Fujifilm stacks without it) and, on Canon, the focal length
  // known; the panel shown.
  void open(const std::string& vendor) {
    ASSERT_TRUE(connect(vendor));
    if (vendor != "fuji") {
      ASSERT_TRUE(liveViewOn());
    }
    if (vendor == "fuji") {
      // Fujifilm stacks in manual focus only.
      rig().cameraAs<devicesim::FujiCamera>()->changeOnCamera(0x500A, 1);
      ASSERT_TRUE(waitUntil([] { return camIsManualFocus(); }));
    }
    if (vendor == "canon") CameraController::updateFocalLength(50);
    showPanel();
    ASSERT_EQ(panel().disabledView(), nullptr) << FocusStackViewController::overlayText(panel().disabledView());
    ASSERT_EQ(panel().stackDisabledView(), nullptr) << FocusStackViewController::overlayText(panel().stackDisabledView());
    ASSERT_EQ(panel().configurationShotView(), nullptr);
  }

  QLabel* stepsLabel() { return panel().oStepsLabel; }
};

// --- nudges ---

struct NudgeCase {
  const char* vendor;
  const char* first;   // a nudge toward the near end
  const char* second;  // one toward the far end
  // The lens steps the Part gives each, by vendor (and for Canon the increment size 2: x 8 small steps).
  std::function<int64_t()> firstSteps;
  std::function<int64_t()> secondSteps;
};

class FocusStackNudgeTest : public FocusStackPanelTest, public ::testing::WithParamInterface<NudgeCase> {};

TEST_P(FocusStackNudgeTest, NudgesMoveTheLensByTheVendorsCounts) {
  const NudgeCase& c = GetParam();
  defaults().setInteger(2, "FocusStackingIncrementSize");
  open(c.vendor);
  const int64_t start = lensOf(rig());

  // Fujifilm's counter is the camera's own focus position; the others count from where the panel began.
  const int64_t origin = std::string(c.vendor) == "fuji" ? start : 0;
  nudge(c.first);
  const int64_t first = c.firstSteps();
  EXPECT_EQ(panel().currentSteps(), origin + first);
  ASSERT_TRUE(waitUntil([&] { return lensOf(rig()) - start == first; })) << lensOf(rig()) - start << " for " << first;

  nudge(c.second);
  const int64_t second = c.secondSteps();
  EXPECT_EQ(panel().currentSteps(), origin + first - second);
  ASSERT_TRUE(waitUntil([&] { return lensOf(rig()) - start == first - second; }));
  // No point set: the label shows the counter turned round (Nikon's in fifteens).
  const int64_t counter = origin + first - second;
  EXPECT_EQ(stepsLabel()->text().toStdString(),
            std::to_string(std::string(c.vendor) == "nikon" ? -counter / 15 : -counter) + "/?");
  EXPECT_EQ(alerts().count(), 0u) << messagesSince(0).front();

  if (std::string(c.vendor) == "canon") {
    // A large nudge with increment size 2: 25 medium steps, which the counter counts as 200 small ones.
    const auto drives = rig().cameraAs<devicesim::CanonCamera>()->lensDrives();
    ASSERT_GE(drives.size(), 2u);
    EXPECT_EQ(drives[drives.size() - 2], (std::pair<uint32_t, uint16_t>{2, 25}));
    EXPECT_EQ(drives.back(), (std::pair<uint32_t, uint16_t>{0x8002, 1}));
  }
}

int64_t fujiSteps(int large, int small) { return fujiModelFeatureTest(camModelIndex()) ? large : small; }

INSTANTIATE_TEST_SUITE_P(
    EndPointVendors, FocusStackNudgeTest,
    ::testing::Values(
        NudgeCase{"canon", "oLargeCloserChangeButton", "oSmallFartherChangeButton", [] { return int64_t{25 * 8}; },
                  [] { return int64_t{1 * 8}; }},
        NudgeCase{"nikon", "oMediumCloserChangeButton", "oSmallFartherChangeButton", [] { return int64_t{75}; },
                  [] { return int64_t{15}; }},
        NudgeCase{"fuji", "oLargeCloserChangeButton", "oMediumFartherChangeButton", [] { return fujiSteps(500, 140); },
                  [] { return fujiSteps(125, 50); }}),
    [](const auto& info) { return std::string(info.param.vendor); });

// --- end points ---

TEST_F(FocusStackPanelTest, TheStartPointStaysNearerThanTheEndPoint) {
  open("canon");
  defaults().setInteger(1, "FocusStackingIncrementSize");
  click("oSetStartButton");
  EXPECT_TRUE(panel().nearPointSet());
  EXPECT_EQ(panel().oSetStartButton->title().toStdString(), text("Clear"));
  EXPECT_TRUE(panel().oGotoOneButton->isVisible());
  EXPECT_FALSE(panel().oStartButton->isEnabled());

  // An end point nearer than the start point clears the start point.
  nudge("oMediumCloserChangeButton");
  click("oSetEndButton");
  EXPECT_FALSE(panel().nearPointSet());
  EXPECT_TRUE(panel().farPointSet());
  EXPECT_EQ(panel().oSetStartButton->title().toStdString(), text("Set"));
  EXPECT_FALSE(panel().oGotoOneButton->isVisible());

  // A start point farther than the end point clears the end point: the start point becomes the counter's zero and
  // the end point keeps its place on the lens (a step nearer), so it lies nearer and goes.
  nudge("oSmallFartherChangeButton");
  click("oSetStartButton");
  EXPECT_TRUE(panel().nearPointSet());
  EXPECT_FALSE(panel().farPointSet());
  EXPECT_EQ(panel().nearStep(), 0);

  // The right order: both set, Start enabled, the label "to start/range".
  nudge("oMediumFartherChangeButton");
  click("oSetEndButton");
  EXPECT_TRUE(panel().nearPointSet());
  EXPECT_TRUE(panel().farPointSet());
  EXPECT_TRUE(panel().oStartButton->isEnabled());
  EXPECT_EQ(panel().farStep(), -10);
  EXPECT_EQ(stepsLabel()->text().toStdString(), "10/10");

  // Both points on one position: the one pressed last shows as set, and there is nothing to stack.
  click("oSetEndButton");  // clears the end point
  nudge("oMediumCloserChangeButton");
  click("oSetEndButton");
  EXPECT_EQ(panel().farStep(), panel().nearStep());
  EXPECT_FALSE(panel().nearPointSet());
  EXPECT_TRUE(panel().farPointSet());
  EXPECT_FALSE(panel().oStartButton->isEnabled());
}

TEST_F(FocusStackPanelTest, GoToDrivesTheLensToEachPoint) {
  open("canon");
  defaults().setInteger(2, "FocusStackingIncrementSize");
  const int64_t origin = lensOf(rig());
  click("oSetStartButton");
  nudge("oLargeFartherChangeButton");
  click("oSetEndButton");
  EXPECT_EQ(lensOf(rig()) - origin, -200);

  click("oGotoOneButton");
  ASSERT_TRUE(waitUntil([&] { return panel().currentSteps() == 0; }));
  EXPECT_EQ(lensOf(rig()) - origin, 0);
  click("oGotoTwoButton");
  ASSERT_TRUE(waitUntil([&] { return panel().currentSteps() == -200; }));
  EXPECT_EQ(lensOf(rig()) - origin, -200);
  EXPECT_EQ(rig().cameraAs<devicesim::CanonCamera>()->lensDrives().back(), (std::pair<uint32_t, uint16_t>{0x8002, 25}));
  EXPECT_EQ(alerts().count(), 0u);
}

TEST_F(FocusStackPanelTest, WithResetEachPositioningStartsFromTheNearEnd) {
  defaults().setInteger(2, "FocusStackingIncrementSize");
  defaults().setBool(true, "FocusStackingDoReset");
  open("canon");
  nudge("oLargeFartherChangeButton");
  click("oSetStartButton");
  EXPECT_EQ(panel().nearStep(), -200) << "the start point keeps the counter's value";
  auto canon = rig().cameraAs<devicesim::CanonCamera>();
  const size_t drives = canon->lensDrives().size();
  click("oGotoOneButton");
  ASSERT_TRUE(waitUntil([&] { return canon->lensDrives().size() == drives + 2; }));
  ASSERT_TRUE(waitForOverlays());
  // Thirty large steps to the near end, then the start point from there.
  const auto all = canon->lensDrives();
  EXPECT_EQ(all[drives], (std::pair<uint32_t, uint16_t>{3, 30}));
  EXPECT_EQ(all[drives + 1], (std::pair<uint32_t, uint16_t>{0x8002, 25}));
  EXPECT_EQ(panel().currentSteps(), -200);
  EXPECT_EQ(stepsLabel()->text().toStdString(), "200/?");
}

// --- end-point runs ---

struct RunCase {
  const char* vendor;
  const char* farther;  // the nudge toward the far end, pressed `nudges` times after the start point is set
  int nudges;
  int shots;
  std::vector<int64_t> positions;  // the lens at each picture, from the start point
  const char* label;               // the steps label with both points set (empty: not checked)
};

class FocusStackRunTest : public FocusStackPanelTest, public ::testing::WithParamInterface<RunCase> {};

TEST_P(FocusStackRunTest, ARunTakesItsPicturesBetweenThePoints) {
  const RunCase& c = GetParam();
  defaults().setInteger(2, "FocusStackingIncrementSize");
  defaults().setInteger(2, "AutoViewImages");
  open(c.vendor);
  click("oSetStartButton");
  const int64_t start = lensOf(rig());
  for (int i = 0; i < c.nudges; ++i) nudge(c.farther);
  click("oSetEndButton");
  if (*c.label) {
    EXPECT_EQ(stepsLabel()->text().toStdString(), c.label);
  }

  click("oShowAdvancedButton");
  ASSERT_TRUE(panel().isAdvancedShown());
  type(panel().oNumShotsTextField, QString::number(c.shots));
  watchProgress();
  const size_t alertsBefore = alerts().count();
  click("oStartButton");
  ASSERT_TRUE(waitForAlert(text("FocusStackingComplete"), alertsBefore));
  ASSERT_TRUE(waitForRunEnd());

  std::vector<int64_t> taken;
  for (int64_t p : shotPositions(rig())) taken.push_back(p - start);
  EXPECT_EQ(taken, c.positions);
  // The counter counts what the lens was driven (Canon's whole steps), so it still tells where the lens is.
  const int64_t origin = std::string(c.vendor) == "fuji" ? start : 0;
  EXPECT_EQ(panel().currentSteps(), origin + lensOf(rig()) - start);
  std::vector<int> expected;
  for (int k = 1; k <= static_cast<int>(c.positions.size()); ++k) expected.push_back(k);
  std::vector<int> shown;
  for (int v : progress())
    if (v > 0) shown.push_back(v);
  EXPECT_EQ(shown, expected) << "the progress follows each picture";
  EXPECT_EQ(messagesSince(alertsBefore), std::vector<std::string>{text("FocusStackingComplete")});
  EXPECT_EQ(defaults().integerForKey("AutoViewImages"), 2) << "automatic viewing comes back as it was";
}

INSTANTIATE_TEST_SUITE_P(
    EndPointVendors, FocusStackRunTest,
    ::testing::Values(
        // 80 small steps over 9 shots: a step of 10 is one medium step (8); the run stops at its 9th picture,
        // short of the end point, rather than take the 11 that steps of 8 would need.
        RunCase{"canon", "oMediumFartherChangeButton", 1, 9, {0, -8, -16, -24, -32, -40, -48, -56, -64}, "80/80"},
        // 150 drive steps, shown in fifteens; 4 shots 50 apart.
        RunCase{"nikon", "oMediumFartherChangeButton", 2, 4, {0, -50, -100, -150}, "10/10"},
        // Two medium steps of 50 (the X-T3's): 3 shots 50 apart on the camera's own focus positions.
        RunCase{"fuji", "oMediumFartherChangeButton", 2, 3, {0, -50, -100}, ""}),
    [](const auto& info) { return std::string(info.param.vendor); });

TEST_F(FocusStackPanelTest, ACancelStopsTheRunBeforeItsNextPicture) {
  open("canon");
  defaults().setInteger(3, "AutoViewImages");
  click("oSetStartButton");
  nudge("oLargeFartherChangeButton");
  click("oSetEndButton");
  click("oShowAdvancedButton");
  type(panel().oNumShotsTextField, "5");

  // The run's waits on a clock the test moves.
  auto clock = std::make_shared<platform::testing::ManualTimeSource>();
  platform::ScopedWaitClock waits(clock);
  auto* canon = rig().cameraAs<devicesim::CanonCamera>().get();
  const int before = canon->shots();
  const size_t alertsBefore = alerts().count();
  click("oStartButton");
  ASSERT_TRUE(waitUntil([&] { return panel().oFeedbackView->isVisible(); }));
  for (int wait = 0; wait < 3; ++wait) {  // before the 1st picture, before the drive, before the 2nd picture
    ASSERT_TRUE(clock->awaitSleepers(1)) << wait;
    clock->advance(10);
  }
  ASSERT_TRUE(clock->awaitSleepers(1));  // waiting to drive toward the 3rd
  EXPECT_EQ(canon->shots(), before + 2);
  EXPECT_EQ(defaults().integerForKey("AutoViewImages"), 0) << "no automatic viewing while the run takes pictures";
  EXPECT_FALSE(Utilities::tryLockLiveView(0)) << "the run holds the live-view lock";
  ASSERT_TRUE(waitUntil([&] { return panel().oFeedbackProgressIndicator->value() == 2; }));

  click("oCancelFocusStackButton");
  EXPECT_EQ(panel().oFeedbackTextField->text().toStdString(), text("CancellingFocusStack"));
  ASSERT_TRUE(waitForAlert(text("FocusStackingCancelled"), alertsBefore));
  ASSERT_TRUE(waitForRunEnd());
  EXPECT_EQ(canon->shots(), before + 2) << "no third picture";
  EXPECT_EQ(messagesSince(alertsBefore), std::vector<std::string>{text("FocusStackingCancelled")});
  EXPECT_EQ(defaults().integerForKey("AutoViewImages"), 3);
}

// --- the classic way ---

class FocusStackClassicTest : public FocusStackPanelTest {
 protected:
  void openSony() {
    ASSERT_TRUE(connect("sony"));
    ASSERT_TRUE(defaults().boolForKey("ClassicFocusStacking")) << "a Sony session stacks the classic way";
    rig().cameraAs<devicesim::SonyCamera>()->setPropertyValue(0x500A, 1);  // manual focus
    ASSERT_TRUE(waitUntil([] { return camIsManualFocus(); }));
    ASSERT_TRUE(liveViewOn());
    showPanel();
    ASSERT_EQ(panel().disabledView(), nullptr) << FocusStackViewController::overlayText(panel().disabledView());
    ASSERT_TRUE(panel().oClassicStackView->isVisible());
  }
};

TEST_F(FocusStackClassicTest, TheEngineTakesTheShotsAndThePanelFollows) {
  openSony();
  defaults().setDouble(0, "SequenceDelay");
  auto sony = rig().cameraAs<devicesim::SonyCamera>();
  const int before = sony->shots();
  type(panel().oClassicNumShotsTextField, "3");
  ASSERT_TRUE(guitest::click(panel().oClassicStepSizeComboBox));
  ASSERT_TRUE(guitest::keyClick(nullptr, Qt::Key_Down));  // Large
  ASSERT_TRUE(guitest::keyClick(nullptr, Qt::Key_Return));
  ASSERT_EQ(panel().oClassicStepSizeComboBox->currentIndex(), 2);
  watchProgress();
  const size_t alertsBefore = alerts().count();
  const size_t writesBefore = sony->controlWrites().size();
  click("oClassicStartButton");
  ASSERT_TRUE(waitForAlert(text("FocusStackingComplete"), alertsBefore));
  ASSERT_TRUE(waitForRunEnd());
  EXPECT_EQ(sony->shots(), before + 3);
  std::vector<int> shown;
  for (int v : progress())
    if (v > 0) shown.push_back(v);
  EXPECT_EQ(shown, (std::vector<int>{1, 2, 3}));
  // Two lens steps of the large size between the three shots, toward the far end (Sony's large classic step is 5,
  // and its positive amounts drive toward the far end).
  int drives = 0;
  const auto writes = sony->controlWrites();
  for (size_t i = writesBefore; i < writes.size(); ++i) {
    if (writes[i].code != 0xD2D1) continue;
    ++drives;
    EXPECT_EQ(writes[i].value, 5);
  }
  EXPECT_EQ(drives, 2);
}

TEST_F(FocusStackClassicTest, ACancelEndsTheEnginesRun) {
  openSony();
  // A long wait between the shots, which the cancel cuts short.
  defaults().setDouble(30, "SequenceDelay");
  auto sony = rig().cameraAs<devicesim::SonyCamera>();
  const int before = sony->shots();
  type(panel().oClassicNumShotsTextField, "4");
  const size_t alertsBefore = alerts().count();
  click("oClassicStartButton");
  ASSERT_TRUE(waitUntil([&] { return panel().oFeedbackProgressIndicator->value() == 1; }));
  click("oCancelFocusStackButton");
  ASSERT_TRUE(waitForAlert(text("FocusStackingCancelled"), alertsBefore));
  ASSERT_TRUE(waitForRunEnd());
  EXPECT_EQ(sony->shots(), before + 1);
}

TEST_F(FocusStackClassicTest, ClassicNudgesStepTheLensWithoutCounting) {
  openSony();
  auto sony = rig().cameraAs<devicesim::SonyCamera>();
  const size_t writesBefore = sony->controlWrites().size();
  click("oLargeCloserChangeButton");
  ASSERT_TRUE(waitUntil([&] { return sony->controlWrites().size() > writesBefore; }));
  ASSERT_TRUE(waitForOverlays());
  EXPECT_EQ(sony->controlWrites().back().code, 0xD2D1);
  EXPECT_EQ(panel().currentSteps(), 0);
  EXPECT_EQ(alerts().count(), 0u);
}

}  // namespace
}  // namespace focus_stack_testing
