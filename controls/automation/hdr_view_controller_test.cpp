// The HDR panel end to end, in the widget-kit popover as the capture panel shows it, against a stand-in body of
// each maker with the device's automation side paced by the test: the bracket set up through the pickers with the
// mouse reaches the device as the request the panel owes it, the progress view follows the device's reports and
// goes at the end; live view is held while the device brackets (also when the popover closes) and given back at
// the end or after a refused start; cancel, a busy device, a Canon bulb bracket around a typed midpoint, the
// camera's own bracketing, a continuous drive, the overlays, and the settings kept for the timer panel.
#include "controls/automation/hdr_view_controller.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QProgressBar>
#include <algorithm>
#include <thread>

#include "controls/automation/hdr_panel_test_fixture.h"
#include "devicesim/canon_camera.h"
#include "devicesim/fuji_camera.h"
#include "devicesim/nikon_camera.h"
#include "devicesim/sony_camera.h"
#include "engine/automation/automation_checks.h"
#include "engine/automation/automation_request.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/session_open.h"
#include "engine/vendors/dispatch.h"
#include "platform/foundation/dispatch.h"
#include "platform/ui/alert.h"
#include "session/camera_controller.h"
#include "session/command.h"
#include "session/notification_names.h"
#include "session/utilities.h"
#include "widgets/mb_progress_hud.h"
#include "widgets/sy_flat_button.h"

namespace {

using automation_testing::current;
using automation_testing::defaults;
using devicesim::SequenceRequest;

// The body's allowed values of a property, in its order, and the one after its current value.
std::vector<uint32_t> allowed(uint32_t code) {
  std::vector<uint32_t> out;
  PropertyCopy copy = propCopyValues(code);
  for (uint16_t i = 0; copy && i < copy->valueCount; ++i) out.push_back(copy->values[i].value);
  return out;
}

class HdrPanelTest : public automation_testing::PanelTest<HdrViewController> {
 protected:
  void connectBody(const std::string& vendor) {
    PanelTest::connectBody(vendor);
    defaults().setDouble(0, "SequenceDelay");
  }
  // Presses a setting button and waits for its picker.
  PropertyValuesViewController* openPicker(SYFlatButton* button) {
    if (!guitest::click(button)) return nullptr;
    if (!waitUntil([&] {
          return panel_->pickerPopover() && panel_->pickerPopover()->popoverWindow() &&
                 panel_->pickerPopover()->popoverWindow()->isVisible();
        }))
      return nullptr;
    return panel_->valuesViewController();
  }
  // Clicks the picker's button with the tag, then closes the picker with its close button.
  bool choose(SYFlatButton* settingButton, int64_t tag) {
    PropertyValuesViewController* picker = openPicker(settingButton);
    if (!picker) return false;
    const auto& buttons = picker->buttons();
    auto it = std::find_if(buttons.begin(), buttons.end(), [tag](SYFlatButton* b) { return b->tag() == tag; });
    if (it == buttons.end()) {
      ADD_FAILURE() << "no entry " << tag << " in the picker";
      return false;
    }
    if (!guitest::click(*it) || !guitest::click(picker->oCloseButton)) return false;
    return waitUntil([&] { return panel_->pickerPopover() == nullptr; });
  }
  std::string shotsText() const { return panel_->oShotsRemainingLabel->text().toStdString(); }
  bool sawMessageStartingWith(const std::string& text) {
    for (const std::string& m : shown())
      if (m.rfind(text, 0) == 0) return true;
    return false;
  }
  // Runs a bracket to its end: every shot released, the end reported and handled, the progress view gone.
  bool finishRun() {
    rig().automation().releaseShots(100);
    return waitForEnds(++runs_);
  }

  size_t runs_ = 0;  // sequences whose end the test has waited for
};

// One row of the table the request must match, per maker: what is picked, and what the device must receive.
struct Row {
  const char* vendor;
  int propertyEntry;    // position in the property picker
  uint32_t code;        // the bracketed property
  int stepEntry;        // position in the step picker: the step is entry + 1
  int64_t shots;        // picked in the shots picker
  unsigned startPoint;  // the setting "HdrStartPoint"
  uint8_t order;        // sent: Sony's shutter speed and Fujifilm's aperture run the other way
  bool manualFocus;     // the body set to manual focus first
};

const Row kRows[] = {
    {"canon", 1, 0xD102, 1, 3, 1, 1, false},  // shutter speed, from the high end
    {"nikon", 2, 0x500F, 0, 2, 2, 2, false},  // ISO, from the low end
    {"sony", 0, 0xD20D, 0, 3, 1, 2, true},    // shutter speed (the first entry on Sony), high end sent as low
    {"fuji", 0, 0x5007, 0, 3, 1, 2, false},   // aperture, high end sent as low
};

class HdrPanelVendorTest : public HdrPanelTest, public ::testing::WithParamInterface<Row> {};

TEST_P(HdrPanelVendorTest, PickersSetUpTheRequestAndTheProgressFollowsTheDevice) {
  const Row& row = GetParam();
  connectBody(row.vendor);
  defaults().setInteger(row.startPoint, "HdrStartPoint");
  if (std::string(row.vendor) == "nikon") {
    auto nikon = rig().cameraAs<devicesim::NikonCamera>();
    nikon->turnDial(0x500E, 1);  // manual exposure
    nikon->turnDial(0xD16A, 1);  // automatic ISO off: a bracket of ISO values needs a fixed ISO
    ASSERT_TRUE(waitUntil([] { return current(0x500E) == 1 && !camIsAutoIso(); }));
  }
  if (row.manualFocus) {
    rig().cameraAs<devicesim::SonyCamera>()->setPropertyValue(0x500A, 1);
    ASSERT_TRUE(waitUntil([] { return current(0x500A) == 1; }));
  }
  openPanel();
  EXPECT_EQ(panel_->disabledView(), nullptr) << "manual exposure: no overlay";

  ASSERT_TRUE(choose(panel_->oPropertyButton, row.propertyEntry));
  ASSERT_EQ(panel_->selectedPropertyCode(), row.code);
  // The value next to the camera's own, from the body's list.
  const std::vector<uint32_t> values = allowed(row.code);
  const auto at = std::find(values.begin(), values.end(), current(row.code));
  ASSERT_NE(at, values.end());
  const uint32_t start = at + 1 != values.end() ? *(at + 1) : *(at - 1);
  ASSERT_TRUE(choose(panel_->oStartValueButton, start));
  ASSERT_TRUE(choose(panel_->oStepSizeButton, row.stepEntry));
  ASSERT_TRUE(choose(panel_->oNumShotsButton, row.shots));
  EXPECT_EQ(panel_->oNumShotsLabel->text().toStdString(), std::to_string(row.shots));

  const size_t framesBefore = rig().automation().liveViewRequestsDuringRuns();
  ASSERT_TRUE(guitest::click(panel_->oStartButton));
  ASSERT_TRUE(waitForRequests(1)) << (shown().empty() ? "no message" : shown().back());
  const SequenceRequest r = requests().front();
  EXPECT_EQ(r.sections, 2);  // HDR only
  EXPECT_EQ(r.flag, 1);
  EXPECT_EQ(r.length, 22u);
  EXPECT_FALSE(r.hasTimeLapse);
  EXPECT_EQ(r.hdrProperty, row.code);
  EXPECT_EQ(r.hdrStart, start);
  EXPECT_EQ(r.hdrStep, uint32_t(row.stepEntry + 1));
  EXPECT_EQ(r.hdrShots, row.shots);
  EXPECT_EQ(r.hdrOrder, row.order);
  EXPECT_FLOAT_EQ(r.hdrDelay, 0.01f) << "\"SequenceDelay\" 0 is sent as 0.01 s";
  EXPECT_EQ(r.hdrManualFocus, row.manualFocus ? 1 : 0);

  // "k of n" follows the device's reports; the end takes the progress view away.
  ASSERT_TRUE(waitUntil([&] { return panel_->isFeedbackShown(); }));
  EXPECT_EQ(shotsText(), "0 of " + std::to_string(row.shots) + " shots taken");
  rig().automation().releaseShots(1);
  ASSERT_TRUE(waitUntil([&] { return shotsText() == "1 of " + std::to_string(row.shots) + " shots taken"; }))
      << shotsText();
  EXPECT_EQ(panel_->oProgressView->value(), int(std::lround(1000.0 / double(row.shots))));
  rig().automation().releaseShots(int(row.shots) - 1);
  ASSERT_TRUE(waitUntil([&] { return !panel_->isFeedbackShown(); }));
  EXPECT_EQ(rig().automation().liveViewRequestsDuringRuns(), framesBefore);
  EXPECT_TRUE(shown().empty()) << shown().front();
}

INSTANTIATE_TEST_SUITE_P(EveryVendor, HdrPanelVendorTest, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.vendor); });

// Live view on, "AutoViewImages" off: the panel holds the live-view lock from Start to the device's end, so no
// frame is fetched while the device brackets, also after the popover has closed mid-bracket; the end gives the
// lock back and frames come again. A start the device refuses (busy) gives the lock back at once.
TEST_F(HdrPanelTest, LiveViewIsHeldFromStartToTheEndAndGivenBackAfterARefusedStart) {
  connectBody("canon");
  defaults().setBool(false, "AutoViewImages");
  CameraController::instance().toggleLiveView(true, nullptr);
  ASSERT_TRUE(waitUntil([] { return CameraController::instance().liveViewStatus() == 1; }));
  const auto frames = [&] { return rig().operationCount(0x9153); };
  size_t seen = frames();
  ASSERT_TRUE(waitUntil([&] { return frames() > seen + 3; })) << "live view fetches frames";
  openPanel();
  ASSERT_TRUE(choose(panel_->oNumShotsButton, 5));

  ASSERT_TRUE(guitest::click(panel_->oStartButton));
  ASSERT_TRUE(waitForRequests(1));
  ASSERT_TRUE(waitUntil([&] { return panel_->isFeedbackShown(); }));
  EXPECT_TRUE(panel_->hasLiveViewLock());
  rig().automation().releaseShots(1);
  ASSERT_TRUE(waitUntil([&] { return shotsText() == "1 of 5 shots taken"; }));
  // Closing the popover mid-bracket keeps the lock: the device still brackets.
  ASSERT_TRUE(waitForOverlays());
  ASSERT_TRUE(guitest::click(panel_->view()->findChild<SYFlatButton*>("oFeedbackCloseButton")));
  ASSERT_TRUE(automation_testing::PanelHost::waitUntilGone(panel_.get()));
  EXPECT_TRUE(panel_->hasLiveViewLock());
  // Each report's round trip takes many live-view frame times: a loop that could fetch would have by now.
  for (int taken = 2; taken <= 4; ++taken) {
    rig().automation().releaseShots(1);
    ASSERT_TRUE(waitUntil([&] { return shotsText() == std::to_string(taken) + " of 5 shots taken"; }));
  }
  EXPECT_TRUE(panel_->hasLiveViewLock());
  EXPECT_EQ(rig().automation().liveViewRequestsDuringRuns(), 0u);
  ASSERT_TRUE(finishRun());
  ASSERT_TRUE(waitUntil([&] { return !panel_->hasLiveViewLock(); }));
  EXPECT_EQ(rig().automation().liveViewRequestsDuringRuns(), 0u) << "no frame was fetched while the device bracketed";
  seen = frames();
  ASSERT_TRUE(waitUntil([&] { return frames() > seen + 3; })) << "frames come again after the end";

  // The device is busy with a sequence started elsewhere: the start is refused and the lock given back.
  std::thread([] { EXPECT_EQ(linkStartSequence(1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0), PTP_RC_OK); }).join();
  ASSERT_TRUE(rig().automation().running());
  openPanel();
  ASSERT_TRUE(guitest::click(panel_->oStartButton));
  ASSERT_TRUE(waitUntil([&] { return alerts().sawMessage("The Vorlaxent is already running a sequence."); }))
      << "HDRBusy";
  EXPECT_EQ(rig().automation().busyAnswers(), 1);
  EXPECT_FALSE(panel_->hasLiveViewLock());
  EXPECT_FALSE(panel_->isFeedbackShown());
  seen = frames();
  ASSERT_TRUE(waitUntil([&] { return frames() > seen + 3; })) << "frames come again after the refused start";
  rig().automation().releaseShots(1);
  ASSERT_TRUE(rig().automation().waitUntilIdle(std::chrono::seconds(20)));
}

TEST_F(HdrPanelTest, CancelStopsTheDeviceAndItsEndRemovesTheProgress) {
  connectBody("canon");
  openPanel();
  ASSERT_TRUE(guitest::click(panel_->oStartButton));
  ASSERT_TRUE(waitUntil([&] { return panel_->isFeedbackShown(); }));
  ASSERT_TRUE(waitForOverlays());
  ASSERT_TRUE(guitest::click(panel_->view()->findChild<SYFlatButton*>("oCancelButton")));
  ASSERT_TRUE(waitUntil([&] { return !panel_->isFeedbackShown(); }));
  EXPECT_EQ(rig().automation().cancels(), 1);
  EXPECT_FALSE(sawMessageStartingWith("HDR could not be cancelled.")) << shown().front();
}

// Canon in bulb: the property is the shutter speed, the value a midpoint typed in seconds (nonsense refused, the
// old midpoint kept), the request carries 0x1234 and the midpoint in milliseconds; the end points are bulb times.
TEST_F(HdrPanelTest, CanonBulbBracketsAroundATypedMidpoint) {
  connectBody("canon");
  rig().cameraAs<devicesim::CanonCamera>()->changeOnCamera(0xD102, 0x0C);
  ASSERT_TRUE(waitUntil([] { return camIsBulbMode(); }));
  openPanel();
  EXPECT_TRUE(panel_->isBulbMode());
  EXPECT_FALSE(panel_->oPropertyButton->isEnabled());
  EXPECT_EQ(panel_->oPropertyValueLabel->text(), "00:01");
  EXPECT_EQ(panel_->oPropertyLabel->text(), "Shutter Speed");

  QString typed;
  alerts().answerPlatformAlert = [&typed](platform::Alert& alert, const session_testing::ShownAlert&) {
    auto* field = qobject_cast<QLineEdit*>(alert.accessoryView());
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->width(), 200);
    guitest::typeText(field, typed);
    guitest::keyClick(field, Qt::Key_Return);
  };
  for (const char* nonsense : {"nan", "-1", "90000", "1e30"}) {
    typed = nonsense;
    ASSERT_TRUE(guitest::click(panel_->oStartValueButton));
    ASSERT_TRUE(waitUntil([&] {
      return alerts().sawMessage("Enter a number of seconds from 0.1 to 86400 (24 hours).");
    })) << nonsense;
    EXPECT_EQ(panel_->selectedPropertyValue(), 1000) << nonsense << " changed the midpoint";
  }
  typed = "2.5";
  ASSERT_TRUE(guitest::click(panel_->oStartValueButton));
  ASSERT_TRUE(waitUntil([&] { return panel_->oPropertyValueLabel->text() == "2.5"; }));
  ASSERT_TRUE(choose(panel_->oNumShotsButton, 3));
  // 2.5 s x 2^(-1/3) and x 2^(1/3): 1984 ms and 3150 ms.
  EXPECT_EQ(panel_->oStartValueLabel->text(), "00:01.9");
  EXPECT_EQ(panel_->oEndValueLabel->text(), "00:03.1");

  ASSERT_TRUE(guitest::click(panel_->oStartButton));
  ASSERT_TRUE(waitForRequests(1));
  const SequenceRequest r = requests().front();
  EXPECT_EQ(r.hdrProperty, kHdrBulbProperty);
  EXPECT_EQ(r.hdrStart, 2500u);
  EXPECT_EQ(r.hdrStep, 1u);
  EXPECT_EQ(r.hdrShots, 3);
  EXPECT_EQ(r.hdrOrder, 0);
  ASSERT_TRUE(finishRun());
}

// The camera's own bracketing is switched off first, then the bracket starts; a camera that answers the
// switch-off but keeps bracketing ends in "BracketingDisableFailed" after one try, not in a loop.
TEST_F(HdrPanelTest, CanonBracketingIsSwitchedOffOnceAndAKeptOneIsReported) {
  connectBody("canon");
  auto canon = rig().cameraAs<devicesim::CanonCamera>();
  canon->changeOnCamera(0xD1D9, 3);
  ASSERT_TRUE(waitUntil([] { return camHdrPrepare(); }));
  openPanel();
  ASSERT_TRUE(guitest::click(panel_->oStartButton));
  ASSERT_TRUE(waitForRequests(1));
  EXPECT_EQ(canon->propertyValue(0xD1D9), 0u);
  ASSERT_TRUE(finishRun());
  ASSERT_TRUE(waitForOverlays());

  canon->changeOnCamera(0xD1D9, 3);
  ASSERT_TRUE(waitUntil([] { return camHdrPrepare(); }));
  canon->ignoreSets(0xD1D9, 5);
  const size_t sets = canon->propertySets().requests(0xD1D9).size();
  ASSERT_TRUE(guitest::click(panel_->oStartButton));
  ASSERT_TRUE(waitUntil([&] { return alerts().sawMessage("The camera's own bracketing could not be turned off."); }));
  ASSERT_TRUE(waitForOverlays());
  EXPECT_EQ(canon->propertySets().requests(0xD1D9).size(), sets + 1);
  EXPECT_EQ(requests().size(), 1u) << "nothing started";
}

// A continuous drive with manual focus asks first; Yes sets single-shot drive on the camera and the start goes on.
TEST_F(HdrPanelTest, ContinuousDriveAnsweredYesSetsSingleDriveAndStarts) {
  connectBody("canon");
  auto canon = rig().cameraAs<devicesim::CanonCamera>();
  ASSERT_EQ(camSetManualFocus(1, false), PTP_RC_OK);
  canon->changeOnCamera(0xD106, 1);
  ASSERT_TRUE(waitUntil([] { return current(0xD106) == 1; }));
  openPanel();
  ASSERT_TRUE(guitest::click(panel_->oStartButton));  // the presenter answers the question with its first button
  ASSERT_TRUE(waitForRequests(1));
  EXPECT_TRUE(sawMessageStartingWith("Continuous Shooting"));
  EXPECT_EQ(canon->propertyValue(0xD106), 0u);
  EXPECT_EQ(requests().front().hdrManualFocus, 1);
  ASSERT_TRUE(finishRun());
}

// The overlay says why the panel cannot be used and goes when the reason does; the close button stays usable.
TEST_F(HdrPanelTest, OverlayFollowsExposureModeAndMovieMode) {
  connectBody("nikon");  // aperture priority
  openPanel();
  ASSERT_NE(panel_->disabledView(), nullptr);
  EXPECT_EQ(panel_->disabledTextView()->text(), "Set the camera to manual exposure for HDR.");
  EXPECT_FALSE(panel_->isEnabled());
  EXPECT_EQ(panel_->disabledView()->geometry(), QRect(0, 35, panel_->view()->width(), panel_->view()->height() - 35));

  rig().cameraAs<devicesim::NikonCamera>()->turnDial(0x500E, 1);
  ASSERT_TRUE(waitUntil([&] { return panel_->disabledView() == nullptr; }));
  EXPECT_TRUE(panel_->isEnabled());

  std::thread([] {
    platform::NotificationCenter::defaultCenter().postNotificationName(kMovieModeToggledNotification, true);
  }).join();
  ASSERT_TRUE(waitUntil([&] { return panel_->disabledView() != nullptr; }));
  EXPECT_EQ(panel_->disabledTextView()->text(), "Turn off movie mode for HDR.");
  std::thread([] {
    platform::NotificationCenter::defaultCenter().postNotificationName(kMovieModeToggledNotification, false);
  }).join();
  ASSERT_TRUE(waitUntil([&] { return panel_->disabledView() == nullptr; }));

  ASSERT_TRUE(guitest::click(panel_->oCloseButton));
  EXPECT_TRUE(automation_testing::PanelHost::waitUntilGone(panel_.get()));
}

// Start pressed while a picker is open: the picker closes (its popover fades out over the panel's) and the
// batch's progress overlay covers the window behind both popovers, not the fading picker or the panel.
TEST_F(HdrPanelTest, TheStartsOverlayCoversTheWindowBehindThePopovers) {
  connectBody("canon");
  // The device takes its time over the start, so that the overlay is there to be seen.
  rig().device().setFaultSource([](const devicesim::Exchange& e) -> std::optional<devicesim::Fault> {
    if (e.command && *e.command == 0xD3 && e.answerBytes == 0)
      return devicesim::Fault::delayed(std::chrono::milliseconds(300));
    return std::nullopt;
  });
  openPanel();
  ASSERT_NE(openPicker(panel_->oPropertyButton), nullptr);
  QWidget* pickerWindow = panel_->pickerPopover()->popoverWindow();
  ASSERT_TRUE(guitest::click(panel_->oStartButton));
  ASSERT_TRUE(waitUntil([&] { return MBProgressHUD::HUDForView(host_->window().contentView()) != nullptr; }))
      << "no overlay over the window behind the popovers";
  EXPECT_EQ(MBProgressHUD::HUDForView(pickerWindow->findChild<QWidget*>()), nullptr);
  EXPECT_TRUE(host_->popover()->popoverWindow()->findChildren<MBProgressHUD*>().empty());
  ASSERT_TRUE(waitForRequests(1));
  rig().device().setFaultSource(nullptr);
  ASSERT_TRUE(finishRun());
}

// The bracket is kept in "HdrValues" when the popover closes (the timer panel's class operations read it); none
// kept reads as 0. Switching the start point to the middle clamps the shots to what the list allows.
TEST_F(HdrPanelTest, SettingsAreKeptForTheTimerPanelAndTheShotsFollowTheStartPoint) {
  connectBody("canon");
  EXPECT_EQ(HdrViewController::propertyCode(), 0u);
  EXPECT_EQ(HdrViewController::stepSize(), 0u);
  EXPECT_EQ(HdrViewController::numberShots(), 0u);
  EXPECT_EQ(HdrViewController::initialPropertyValue(), 0u);

  defaults().setInteger(2, "HdrStartPoint");  // from the low end
  openPanel();
  const uint32_t iso = camVendorPropertyCodes().iso;
  ASSERT_TRUE(choose(panel_->oPropertyButton, 2));
  const std::vector<uint32_t> isoValues = allowed(iso);
  const size_t from = size_t(std::find(isoValues.begin(), isoValues.end(), current(iso)) - isoValues.begin());
  // From the low end with one step: as many shots as there are values from the current one up.
  const int64_t most = int64_t(isoValues.size() - from);
  ASSERT_GE(most, 4);
  ASSERT_TRUE(choose(panel_->oNumShotsButton, most));
  ASSERT_TRUE(guitest::click(panel_->oCloseButton));
  ASSERT_TRUE(automation_testing::PanelHost::waitUntilGone(panel_.get()));
  EXPECT_EQ(HdrViewController::propertyCode(), iso);
  EXPECT_EQ(HdrViewController::stepSize(), 1u);
  EXPECT_EQ(HdrViewController::numberShots(), uint32_t(most));
  EXPECT_EQ(HdrViewController::initialPropertyValue(), current(iso));

  defaults().setInteger(0, "HdrStartPoint");  // around the middle
  openPanel();
  const unsigned shots = std::stoul(panel_->oNumShotsLabel->text().toStdString());
  EXPECT_EQ(shots % 2, 1u);
  EXPECT_LE(shots, 2 * std::min(from, isoValues.size() - 1 - from) + 1);
  EXPECT_EQ(panel_->oHdrDirectionLabel->text(), "Mid Point");
}

}  // namespace
